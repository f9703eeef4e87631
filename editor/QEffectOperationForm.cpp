#include "editor/QEffectOperationForm.h"

#include "editor/EditorStyle.h"
#include "editor/EditorTabLayout.h"
#include "editor/QCommonButtonForm.h"
#include "editor/QHorizontalListFrom.h"
#include "editor/QVideoEditTag.h"
#include "editor/QVideoEditingSettings.h"
#include "editor/VEEffectPack.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZScrollBar.h"

#include <QLabel>
#include <QPainter>

#include <cmath>

namespace {

// A slider fraction as a control value 0..200; the middle of the track snaps to 100.
int controlValue(double fraction) {
    if (fraction > 0.49 && fraction < 0.51) {
        return 100;
    }
    return static_cast<int>(fraction * 200);
}

} // namespace

QEffectOperationForm::QEffectOperationForm(QWidget* parent)
    : QWidget(parent), m_lblBrightness(new QLabel(this)), m_lblContrast(new QLabel(this)),
      m_lblSaturation(new QLabel(this)), m_lblHue(new QLabel(this)), m_sliderBrightness(new QRZBaseSlider(this)),
      m_sliderContrast(new QRZBaseSlider(this)), m_sliderSaturation(new QRZBaseSlider(this)),
      m_sliderHue(new QRZBaseSlider(this)), m_leBrightnessValue(new QRZLineEdit(this)),
      m_leConstrastValue(new QRZLineEdit(this)), m_leSaturationValue(new QRZLineEdit(this)),
      m_leHueValue(new QRZLineEdit(this)), m_effectTag(new QVideoEditTag(this)),
      m_effectsList(new QHorizontalListFrom(this)), m_frameList(new QHorizontalListFrom(this)),
      m_buttonFrom(new QCommonButtonForm(this)) {
    setObjectName(QStringLiteral("QEffectOperationForm"));
    resize(965, 281);
    m_sliderBrightness->setObjectName(QStringLiteral("m_sliderBrightness"));
    m_sliderContrast->setObjectName(QStringLiteral("m_sliderContrast"));
    m_sliderSaturation->setObjectName(QStringLiteral("m_sliderSaturation"));
    m_sliderHue->setObjectName(QStringLiteral("m_sliderHue"));
    m_leBrightnessValue->setObjectName(QStringLiteral("m_leBrightnessValue"));
    m_leConstrastValue->setObjectName(QStringLiteral("m_leConstrastValue"));
    m_leSaturationValue->setObjectName(QStringLiteral("m_leSaturationValue"));
    m_leHueValue->setObjectName(QStringLiteral("m_leHueValue"));
    m_effectsList->setObjectName(QStringLiteral("m_effectsList"));
    m_frameList->setObjectName(QStringLiteral("m_frameList"));
    m_effectTag->setObjectName(QStringLiteral("m_effectTag"));
    m_buttonFrom->setObjectName(QStringLiteral("m_buttonFrom"));

    for (QRZBaseSlider* slider : {m_sliderBrightness, m_sliderContrast, m_sliderSaturation, m_sliderHue}) {
        setEditorSliderStyle(slider);
        slider->resize(slider->width(), 22); // a row as high as its value box
        slider->setRange(0, 200);
        slider->setValue(100.0);
        connect(slider, &QRZBaseSlider::sendProgressValue, this, &QEffectOperationForm::progressValue);
    }
    for (QRZLineEdit* edit : {m_leBrightnessValue, m_leConstrastValue, m_leSaturationValue, m_leHueValue}) {
        setEditorLineEditStyle(edit);
        edit->resize(45, 22);
        edit->setText(QStringLiteral("0"));
        connect(edit, &QLineEdit::textEdited, this, &QEffectOperationForm::textEdited);
    }
    setEditorLabelFitted(m_lblBrightness, tr("Brightness:"), 12);
    setEditorLabelFitted(m_lblContrast, tr("Contrast:"), 12);
    setEditorLabelFitted(m_lblSaturation, tr("Saturation:"), 12);
    setEditorLabelFitted(m_lblHue, tr("Hue:"), 12);
    for (QLabel* label : {m_lblBrightness, m_lblContrast, m_lblSaturation, m_lblHue}) {
        label->resize(label->width(), 22); // centred on its row's value box
    }

    m_effectTag->setTags({tr("Video effects"), tr("Frame")});
    m_effectTag->setAutoFillBackground(true);
    setWidgetColor(m_effectTag, QPalette::Window, EditorColors::panel());
    connect(m_effectTag, &QVideoEditTag::emitSelectedTag, this, &QEffectOperationForm::selectedTag);
    m_effectTag->setFixedHeight(25);

    m_effectsScrollBar = new QRZScrollBar(Qt::Horizontal);
    m_frameScrollBar = new QRZScrollBar(Qt::Horizontal);
    setEditorScrollBarStyle(m_effectsScrollBar);
    setEditorScrollBarStyle(m_frameScrollBar);
    m_effectsList->setBackgroundColor(EditorColors::panel());
    m_frameList->setBackgroundColor(EditorColors::panel());
    m_effectsList->setHorizontalScrollBar(m_effectsScrollBar);
    m_frameList->setHorizontalScrollBar(m_frameScrollBar);
    connect(m_effectsList, &QHorizontalListFrom::currentIndexChanged, this,
            &QEffectOperationForm::effectsListIndexChanged);
    connect(m_frameList, &QHorizontalListFrom::currentIndexChanged, this, &QEffectOperationForm::frameListIndexChanged);

    connect(m_buttonFrom, &QCommonButtonForm::emitApplyToAll, this, &QEffectOperationForm::emitApplyToAll);
    connect(m_buttonFrom, &QCommonButtonForm::emitReset, this, &QEffectOperationForm::reset);

    m_frameManager = new QFrameChunkManager;
    m_frameList->clear();
    for (VEEffectPack* pack : m_frameManager->packs()) {
        m_frameList->addItem(pack->thumbnailPath(), pack->Name);
    }
    m_effectManager = new QVideoEffectManager(this);
    m_effectsList->clear();
    for (VEEffectPack* pack : m_effectManager->packs()) {
        m_effectsList->addItem(pack->thumbnailPath(), pack->Name);
    }
    m_effectsList->hide();
    m_frameList->hide();
}

// The scroll bars belong to the lists' scroll areas, which delete them.
QEffectOperationForm::~QEffectOperationForm() {
    delete m_frameManager;
    delete m_effectManager;
}

void QEffectOperationForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        loadingSetting();
    }
}

void QEffectOperationForm::storeField(Field field, int v) {
    VEAdjustSettings adjust;
    m_settings->getAdjust(adjust);
    switch (field) {
    case Brightness:
        adjust.brightness = (v - 100) * 255 / 100; // (v - 100) x 2.55 without floating-point loss
        break;
    case Contrast: {
        const int contrast = v <= 100 ? v : v + (v - 100);
        if (contrast == adjust.contrast) {
            return;
        }
        adjust.contrast = contrast;
        break;
    }
    case Saturation:
        if (v == adjust.saturation) {
            return;
        }
        adjust.saturation = v;
        break;
    case Hue: {
        const int hue = (v - 100) * 18 / 10;
        if (hue == adjust.hue) {
            return;
        }
        adjust.hue = hue;
        break;
    }
    }
    m_settings->setAdjust(adjust);
}

void QEffectOperationForm::progressValue(double fraction) {
    if (!m_settings) {
        return;
    }
    const int v = controlValue(fraction);
    QObject* from = sender();
    const struct {
        QObject* slider;
        QRZLineEdit* box;
        Field field;
    } rows[] = {{m_sliderBrightness, m_leBrightnessValue, Brightness},
                {m_sliderContrast, m_leConstrastValue, Contrast},
                {m_sliderSaturation, m_leSaturationValue, Saturation},
                {m_sliderHue, m_leHueValue, Hue}};
    for (const auto& row : rows) {
        if (row.slider == from) {
            row.box->setText(QString::number(v));
            storeField(row.field, v);
            return;
        }
    }
}

void QEffectOperationForm::textEdited(const QString& typed) {
    if (!m_settings) {
        return;
    }
    auto* box = qobject_cast<QRZLineEdit*>(sender());
    QString text = typed;
    if (text.length() > 1 && text.startsWith(QLatin1Char('0'))) {
        text = text.mid(1);
        if (box) {
            box->setText(text);
        }
    }
    int v = 0;
    if (text.isEmpty()) {
        if (box) {
            box->setText(QStringLiteral("0"));
        }
    } else {
        v = qBound(0, text.toInt(), 200);
    }
    const struct {
        QRZLineEdit* box;
        QRZBaseSlider* slider;
        Field field;
    } rows[] = {{m_leBrightnessValue, m_sliderBrightness, Brightness},
                {m_leConstrastValue, m_sliderContrast, Contrast},
                {m_leSaturationValue, m_sliderSaturation, Saturation},
                {m_leHueValue, m_sliderHue, Hue}};
    for (const auto& row : rows) {
        if (row.box == box) {
            row.slider->setValue(double(v));
            storeField(row.field, v);
            return;
        }
    }
}

void QEffectOperationForm::loadingSetting() {
    if (!m_settings) {
        return;
    }
    VEAdjustSettings adjust;
    m_settings->getAdjust(adjust);
    const double hue = (adjust.hue + 180) / 1.8;
    m_sliderHue->setValue(hue);
    m_leHueValue->setText(QString::number(qRound(hue)));
    const double contrast = adjust.contrast <= 100 ? adjust.contrast : (adjust.contrast - 100) / 2.0 + 100;
    m_sliderContrast->setValue(contrast);
    m_leConstrastValue->setText(QString::number(qRound(contrast)));
    m_sliderSaturation->setValue(double(adjust.saturation));
    m_leSaturationValue->setText(QString::number(adjust.saturation));
    const double brightness = (adjust.brightness + 255) / 2.55;
    m_sliderBrightness->setValue(brightness);
    m_leBrightnessValue->setText(QString::number(qRound(brightness)));

    // A record without a picture shows no selection, so that any pack (the first one
    // too) can be chosen by a click.
    VEWatermarkSettings effect;
    VEWatermarkSettings frame;
    m_settings->getWatermark1(effect);
    m_settings->getWatermark2(frame);
    if (effect.image.imagePath.empty()) {
        m_effectsList->clearSelection();
    } else {
        m_effectsList->setCurrentIndex(effect.image.listIndex);
    }
    if (frame.image.imagePath.empty()) {
        m_frameList->clearSelection();
    } else {
        m_frameList->setCurrentIndex(frame.image.listIndex);
    }
    m_effectsList->show();
    m_frameList->show();
    m_effectTag->selectTag(0);
}

void QEffectOperationForm::selectedTag(int index) {
    m_effectsList->setVisible(index == 0);
    m_frameList->setVisible(index == 1);
}

QString QEffectOperationForm::overlayImagePath(const VEEffectPack& pack, double videoRatio, int* chosen) {
    const QList<VEFrameFile>& files = pack.frameInfo.files;
    if (chosen) {
        *chosen = files.isEmpty() ? -1 : 0;
    }
    if (files.isEmpty()) {
        return QString();
    }
    auto ratioOf = [](const VEFrameFile& f) { return f.Width > 0 && f.Height > 0 ? double(f.Width) / f.Height : -1.0; };
    int best = 0;
    double bestDistance = std::fabs(ratioOf(files[0]) - videoRatio);
    for (int i = 1; i < files.size(); ++i) {
        const double distance = std::fabs(ratioOf(files[i]) - videoRatio);
        if (distance < bestDistance || distance < 1e-7) {
            best = i;
            bestDistance = distance;
        }
    }
    if (chosen) {
        *chosen = best;
    }
    return QStringLiteral("%1/%2").arg(pack.folder, files[best].FileName);
}

void QEffectOperationForm::centredCrop(int videoWidth, int videoHeight, int imageWidth, int imageHeight,
                                       double rect[4]) {
    rect[0] = rect[1] = 0.0;
    rect[2] = rect[3] = 1.0;
    if (videoWidth <= 0 || videoHeight <= 0 || imageWidth <= 0 || imageHeight <= 0) {
        return;
    }
    const double video = double(videoWidth) / videoHeight;
    const double image = double(imageWidth) / imageHeight;
    if (video < image) {
        // Scaled to the video's height; the surplus width is cut evenly.
        rect[2] = video / image;
        rect[0] = (1.0 - rect[2]) / 2.0;
    } else {
        rect[3] = image / video;
        rect[1] = (1.0 - rect[3]) / 2.0;
    }
}

void QEffectOperationForm::videoSize(int* width, int* height) const {
    const QPair<int, int> size = m_settings->getTrailingInts();
    *width = size.first;
    *height = size.second;
    if (*width <= 0 || *height <= 0) {
        // Not recorded in the edit: ask the preview.
        const QSize shown = m_settings->videoSize();
        *width = shown.width();
        *height = shown.height();
    }
}

void QEffectOperationForm::effectsListIndexChanged(int index) {
    if (!m_settings) {
        return;
    }
    const VEEffectPack* pack = m_effectManager->packAt(index);
    if (!pack) {
        return;
    }
    VEWatermarkSettings record;
    m_settings->getWatermark1(record);
    int width = 0;
    int height = 0;
    videoSize(&width, &height);
    const double ratio = width > 0 && height > 0 ? double(width) / height : 0.0;
    int chosen = -1;
    const QString path = overlayImagePath(*pack, ratio, &chosen);
    record.image.imagePath = path.toStdString();
    record.image.listIndex = index;
    if (chosen >= 0) {
        const VEFrameFile& file = pack->frameInfo.files[chosen];
        record.image.kind = file.Type;
        centredCrop(width, height, file.Width, file.Height, record.image.rect);
    } else {
        centredCrop(0, 0, 0, 0, record.image.rect);
    }
    m_settings->setWatermark1(record);
}

void QEffectOperationForm::frameListIndexChanged(int index) {
    if (!m_settings) {
        return;
    }
    const VEEffectPack* pack = m_frameManager->packAt(index);
    if (!pack) {
        return;
    }
    VEWatermarkSettings record;
    m_settings->getWatermark2(record);
    int width = 0;
    int height = 0;
    videoSize(&width, &height);
    const double ratio = width > 0 && height > 0 ? double(width) / height : 0.0;
    record.image.imagePath = overlayImagePath(*pack, ratio).toStdString();
    record.image.listIndex = index;
    m_settings->setWatermark2(record);
}

void QEffectOperationForm::reset() {
    if (!m_settings) {
        return;
    }
    m_settings->setAdjust(VEAdjustSettings());
    VEWatermarkSettings effect;
    m_settings->getWatermark1(effect);
    effect.image.imagePath.clear();
    effect.image.listIndex = 0;
    m_settings->setWatermark1(effect);
    VEWatermarkSettings frame;
    m_settings->getWatermark2(frame);
    frame.image.imagePath.clear();
    frame.image.listIndex = 0;
    m_settings->setWatermark2(frame);
    loadingSetting();
}

void QEffectOperationForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int rowHeight = m_sliderBrightness->height();
    int y = (height() - 4 * rowHeight - 33) / 2;
    const struct {
        QLabel* label;
        QRZBaseSlider* slider;
        QRZLineEdit* box;
    } rows[] = {{m_lblBrightness, m_sliderBrightness, m_leBrightnessValue},
                {m_lblContrast, m_sliderContrast, m_leConstrastValue},
                {m_lblSaturation, m_sliderSaturation, m_leSaturationValue},
                {m_lblHue, m_sliderHue, m_leHueValue}};
    int labelWidth = 0;
    for (const auto& row : rows) {
        labelWidth = qMax(labelWidth, row.label->width());
    }
    for (const auto& row : rows) {
        row.label->move(8, y);
        row.slider->resize(381 - 8 - labelWidth - 6 - 6 - 45 - 8, row.slider->height());
        row.slider->move(8 + labelWidth + 6, y + 2);
        row.box->move(row.slider->x() + row.slider->width() + 6, y);
        y += rowHeight + 11;
    }
    const int listWidth = width() - 529;
    const int middleLeft = 384;
    const int middleWidth = width() - 136 - middleLeft;
    m_effectTag->resize(listWidth, 25);
    m_effectTag->move(middleLeft + (middleWidth - listWidth) / 2, 6);
    const int listTop = m_effectTag->y() + m_effectTag->height() + 6;
    for (QHorizontalListFrom* list : {m_effectsList, m_frameList}) {
        list->resize(listWidth, height() - listTop - 6);
        list->move(389, listTop);
    }
    // The strip's panel is the last 133 columns: the strip ends at the tab's edge.
    m_buttonFrom->setGeometry(width() - 133, 0, 133, height());
}

void QEffectOperationForm::paintEvent(QPaintEvent*) {
    paintTabPanels(this, {{0, 381}, {384, width() - 136}, {width() - 133, width() - 1}});
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(EditorColors::control());
    painter.drawLine(QPoint(394, 30), QPoint(width() - 145, 30));
}
