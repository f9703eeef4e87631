#include "editor/QAdjustOperationForm.h"

#include "editor/EditorStyle.h"
#include "editor/EditorTabLayout.h"
#include "editor/QCommonButtonForm.h"
#include "editor/QVideoEditingSettings.h"
#include "media/RZPlayerManager.h"
#include "media/ScaleEvenDimension.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"

#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int kSmallestCropPixels = 20;
} // namespace

bool usesPanScanRect(const VECropSettings& crop) {
    return crop.padEnabled != 0 && crop.cropMode == 1 && crop.aspectMode != 2;
}

QAdjustOperationForm::QAdjustOperationForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QAdjustOperationForm"));
    resize(843, 143);
    m_btnRotate_L_90 = makeButton("m_btnRotate_L_90", "rotate_L_90.png", tr("Rotate Anticlockwise"));
    m_btnRotate_R_90 = makeButton("m_btnRotate_R_90", "rotate_R_90.png", tr("Rotate Clockwise"));
    m_btnFlipH = makeButton("m_btnFlipH", "flip_H.png", tr("Flip Horizontal"));
    m_btnFlipV = makeButton("m_btnFlipV", "flip_V.png", tr("Flip Vertical"));
    m_lblRotion = makeLabel("m_lblRotion", tr("Rotation:"));
    m_lblCropAreaSize = makeLabel("m_lblCropAreaSize", tr("Crop Area Size:"));
    m_leCropArea_W = new QRZLineEdit(this);
    m_leCropArea_W->setObjectName(QStringLiteral("m_leCropArea_W"));
    m_leCropArea_H = new QRZLineEdit(this);
    m_leCropArea_H->setObjectName(QStringLiteral("m_leCropArea_H"));
    for (QRZLineEdit* edit : {m_leCropArea_W, m_leCropArea_H}) {
        setEditorLineEditStyle(edit);
        edit->resize(50, 22);
        edit->setText(QStringLiteral("0"));
    }
    m_lblX = makeLabel("m_lblX", QStringLiteral("x"));
    m_lblX->setFixedSize(22, 22);
    m_lblX->setAlignment(Qt::AlignCenter);
    m_lblOriginalSize = makeLabel("m_lblOriginalSize", tr("Original Resolution:"));
    m_lblOriginalSizeValue = makeLabel("m_lblOriginalSizeValue", QStringLiteral("0 x 0"));
    m_lblAspectRatio = makeLabel("m_lblAspectRatio", tr("Aspect Ratio:"));
    m_cbbAspectRatio = new QRZComboBox(this);
    m_cbbAspectRatio->setObjectName(QStringLiteral("m_cbbAspectRatio"));
    setEditorComboStyle(m_cbbAspectRatio);
    m_cbbAspectRatio->resize(170, 22);
    m_cbbAspectRatio->addItems(
        {tr("Original Display"), tr("Original Resolution"), tr("Full Screen"), tr("16:9"), tr("4:3"), tr("Pan Scan")});
    m_cbbAspectRatio->setCurrentIndex(-1);
    m_buttonFrom = new QCommonButtonForm(this);
    m_buttonFrom->setObjectName(QStringLiteral("m_buttonFrom"));

    connect(m_btnRotate_L_90, &QRZBaseButton::clicked, this, &QAdjustOperationForm::onRotate_L_90);
    connect(m_btnRotate_R_90, &QRZBaseButton::clicked, this, &QAdjustOperationForm::onRotate_R_90);
    connect(m_btnFlipH, &QRZBaseButton::clicked, this, &QAdjustOperationForm::onFlipH);
    connect(m_btnFlipV, &QRZBaseButton::clicked, this, &QAdjustOperationForm::onFlipV);
    connect(m_cbbAspectRatio, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QAdjustOperationForm::aspectRatioChanged);
    connect(m_leCropArea_W, &QLineEdit::textEdited, this, &QAdjustOperationForm::cropAreaChanged);
    connect(m_leCropArea_H, &QLineEdit::textEdited, this, &QAdjustOperationForm::cropAreaChanged);
    connect(m_buttonFrom, &QCommonButtonForm::emitReset, this, &QAdjustOperationForm::reset);
    connect(m_buttonFrom, &QCommonButtonForm::emitApplyToAll, this, &QAdjustOperationForm::emitApplyToAll);
}

QAdjustOperationForm::~QAdjustOperationForm() = default;

QRZBaseButton* QAdjustOperationForm::makeButton(const char* objectName, const char* image, const QString& tip) {
    auto* button = new QRZBaseButton(this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setImage(editorImagePath(QStringLiteral("/VEditSource/adjust/") + QString::fromLatin1(image)), false);
    button->setToolTip(tip);
    return button;
}

QLabel* QAdjustOperationForm::makeLabel(const char* objectName, const QString& text) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(objectName));
    setEditorLabelFitted(label, text, 12);
    // One line of 12-pixel text: the rotation column's two rows of buttons then fit
    // under it in the editor's 128-pixel tab.
    label->resize(label->width(), 16);
    return label;
}

QRZBaseButton* QAdjustOperationForm::button(const char* objectName) const {
    return findChild<QRZBaseButton*>(QString::fromLatin1(objectName));
}

void QAdjustOperationForm::setVideoEditingSettings(QVideoEditingSettings* settings) {
    m_settings = settings;
    if (settings && settings->playerManager()) {
        connect(settings->playerManager(), &RZPlayerManager::emitCropAreaChange, this,
                &QAdjustOperationForm::cropAreaChange, Qt::UniqueConnection);
    }
}

void QAdjustOperationForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_setUp) {
        m_setUp = true;
        loadingSetting();
    }
}

void QAdjustOperationForm::showCropSize(double widthFactor, double heightFactor) {
    if (!m_settings) {
        return;
    }
    const QSize video = m_settings->videoSize();
    m_leCropArea_W->setText(QString::number(int(video.width() * widthFactor + 0.5)));
    m_leCropArea_H->setText(QString::number(int(video.height() * heightFactor + 0.5)));
}

void QAdjustOperationForm::showCropSizeOf(const VECropSettings& crop) {
    const double* rect = usesPanScanRect(crop) ? crop.cropRect : crop.pictureRect;
    showCropSize(rect[2], rect[3]);
}

void QAdjustOperationForm::setAspectIndexQuietly(int index) {
    // The combo still hears its own change (it shows the item's text); this tab does not.
    m_showingRecord = true;
    m_cbbAspectRatio->setCurrentIndex(index);
    m_showingRecord = false;
}

void QAdjustOperationForm::loadingSetting() {
    if (!m_settings) {
        return;
    }
    VECropSettings crop;
    m_settings->getCrop(crop);
    const QSize video = m_settings->videoSize();
    setEditorLabelFitted(m_lblOriginalSizeValue, QStringLiteral("%1 x %2").arg(video.width()).arg(video.height()), 12);
    placeOriginalSize();
    showCropSizeOf(crop);
    // Showing the stored choice does not store it again.
    setAspectIndexQuietly(crop.cropMode != 0 ? PanScan : crop.aspectMode);
}

void QAdjustOperationForm::aspectRatioChanged(int index) {
    if (!m_settings || m_showingRecord || index < 0 || index > PanScan) {
        return;
    }
    VECropSettings crop;
    m_settings->getCrop(crop);
    if (index == PanScan) {
        crop.cropMode = 1;
        crop.aspectMode = 0;
        crop.ratioWidth = crop.ratioHeight = 0;
        m_settings->setCrop(crop);
        return;
    }
    crop.aspectMode = index;
    crop.cropMode = 0;
    switch (index) {
    case OriginalDisplay:
        crop.ratioWidth = crop.ratioHeight = 0;
        break;
    case OriginalResolution: {
        const QSize video = m_settings->videoSize();
        crop.ratioWidth = std::max(2, int(scaleEvenDimension(crop.pictureRect[2], unsigned(video.width()))));
        crop.ratioHeight = std::max(2, int(scaleEvenDimension(crop.pictureRect[3], unsigned(video.height()))));
        break;
    }
    case FullScreen: {
        const QPair<int, int> size = m_settings->getTrailingInts();
        crop.ratioWidth = size.first;
        crop.ratioHeight = size.second;
        break;
    }
    case Wide:
        crop.ratioWidth = 16;
        crop.ratioHeight = 9;
        break;
    default:
        crop.ratioWidth = 4;
        crop.ratioHeight = 3;
        break;
    }
    m_settings->setCrop(crop);
}

void QAdjustOperationForm::onRotate_R_90() {
    if (!m_settings) {
        return;
    }
    VECropSettings crop;
    m_settings->getCrop(crop);
    crop.rotation = (crop.rotation + (crop.mirrored == 0 ? 90 : 270)) % 360;
    if (crop.cropMode == 1) {
        crop.ratioWidth = crop.ratioHeight = 0;
    }
    m_settings->setCrop(crop);
}

void QAdjustOperationForm::onRotate_L_90() {
    if (!m_settings) {
        return;
    }
    VECropSettings crop;
    m_settings->getCrop(crop);
    crop.rotation = (crop.rotation + (crop.mirrored == 0 ? 270 : 90)) % 360;
    if (crop.cropMode == 1) {
        crop.ratioWidth = crop.ratioHeight = 0;
    }
    m_settings->setCrop(crop);
}

void QAdjustOperationForm::onFlipH() {
    if (!m_settings) {
        return;
    }
    VECropSettings crop;
    m_settings->getCrop(crop);
    crop.mirrored = 1 - crop.mirrored;
    m_settings->setCrop(crop);
}

void QAdjustOperationForm::onFlipV() {
    if (!m_settings) {
        return;
    }
    VECropSettings crop;
    m_settings->getCrop(crop);
    crop.mirrored = 1 - crop.mirrored;
    crop.rotation = (crop.rotation + 180) % 360;
    m_settings->setCrop(crop);
}

void QAdjustOperationForm::cropAreaChanged(QString text) {
    if (!m_settings) {
        return;
    }
    auto* edit = qobject_cast<QRZLineEdit*>(sender());
    if (edit != m_leCropArea_W && edit != m_leCropArea_H) {
        return;
    }
    const QSize video = m_settings->videoSize();
    if (video.width() <= 0 || video.height() <= 0) {
        // No picture to measure the size against: nothing changes.
        return;
    }
    int value = std::max(text.toInt(), kSmallestCropPixels);
    VECropSettings crop;
    m_settings->getCrop(crop);
    double* rect = usesPanScanRect(crop) ? crop.cropRect : crop.pictureRect;
    const bool isWidth = edit == m_leCropArea_W;
    const int full = isWidth ? video.width() : video.height();
    const double offset = (isWidth ? rect[0] : rect[1]) * full;
    if (offset + value > full) {
        value = int(full - offset);
    }
    edit->setText(QString::number(value));
    rect[isWidth ? 2 : 3] = double(value) / full;
    m_settings->setCrop(crop);
}

void QAdjustOperationForm::cropAreaChange(VECropSettings crop) {
    showCropSizeOf(crop);
}

void QAdjustOperationForm::reset() {
    if (!m_settings) {
        return;
    }
    const VECropSettings defaults;
    setAspectIndexQuietly(OriginalDisplay);
    m_settings->setCrop(defaults);
}

void QAdjustOperationForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int W = width();
    const int H = height();
    painter.fillRect(rect(), EditorColors::control());
    const int middle = (W - 318) / 2;
    painter.fillRect(0, 0, 178, H, EditorColors::panel());
    painter.fillRect(180, 0, middle, H, EditorColors::panel());
    painter.fillRect(182 + middle, 0, middle, H, EditorColors::panel());
    painter.fillRect(W - 134, 0, 134, H, EditorColors::panel());
}

// The size follows its label 10 pixels to the right, or goes under it where a large
// size would pass the crop column's panel.
void QAdjustOperationForm::placeOriginalSize() {
    const int panelEnd = 180 + (width() - 318) / 2 - 1;
    const int besideX = rightOf(m_lblOriginalSize) + 10;
    if (besideX + m_lblOriginalSizeValue->width() - 1 <= panelEnd - 8) {
        m_lblOriginalSizeValue->move(besideX, m_lblOriginalSize->y());
    } else {
        m_lblOriginalSizeValue->move(m_lblOriginalSize->x(), bottomOf(m_lblOriginalSize) + 1);
    }
}

void QAdjustOperationForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int W = width();
    // "n below" a control: its bottom edge plus n.
    const int left = 85 - (m_btnRotate_L_90->width() - 1);
    m_lblRotion->move(left, 12);
    const int buttonsTop = bottomOf(m_lblRotion) + 15;
    m_btnRotate_L_90->move(left, buttonsTop);
    m_btnRotate_R_90->move(rightOf(m_btnRotate_L_90) + 6, buttonsTop);
    const int flipTop = bottomOf(m_btnRotate_L_90) + 5;
    m_btnFlipH->move(left, flipTop);
    m_btnFlipV->move(rightOf(m_btnFlipH) + 6, flipTop);

    m_lblCropAreaSize->move(200, 12);
    const int editsTop = bottomOf(m_lblCropAreaSize) + 20;
    m_leCropArea_W->move(200, editsTop);
    m_lblX->move(rightOf(m_leCropArea_W), editsTop);
    m_leCropArea_H->move(rightOf(m_lblX), editsTop);
    m_lblOriginalSize->move(200, bottomOf(m_leCropArea_W) + 15);
    placeOriginalSize();

    const int panel = (W - 318) / 2;
    const int aspectX = panel + 202;
    m_lblAspectRatio->move(aspectX, 12);
    // The combo ends inside its panel, as far from its right edge as it starts from the left.
    m_cbbAspectRatio->resize(qBound(100, panel - 40, 170), m_cbbAspectRatio->height());
    m_cbbAspectRatio->move(aspectX, bottomOf(m_lblAspectRatio) + 30);
    m_buttonFrom->setGeometry(W - 134, 0, 134, height());
}
