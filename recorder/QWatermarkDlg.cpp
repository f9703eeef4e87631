#include "recorder/QWatermarkDlg.h"

#include "app/AppGlobals.h"
#include "app/Utilities.h"
#include "recorder/FormHelpers.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/StyleHelpers.h"

#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace {

// One axis of the placement: where the shown part starts in the scaled image, how long
// it is, and where it goes. `side` 0 is left/top, 1 centre, 2 right/bottom.
struct AxisPlacement {
    int sourceStart = 0;
    int sourceLength = 0;
    int destination = 0;
};

AxisPlacement placeOnAxis(int side, int areaLength, int length, int margin) {
    AxisPlacement p;
    if (side == 0) {
        p.destination = margin;
        p.sourceLength = margin + length > areaLength ? areaLength - margin : length;
    } else if (side == 1) {
        if (length > areaLength) {
            p.sourceStart = (length - areaLength) / 2;
            p.sourceLength = areaLength;
        } else {
            p.destination = (areaLength - length) / 2;
            p.sourceLength = length;
        }
    } else if (margin + length > areaLength) {
        p.sourceLength = areaLength - margin;
        p.sourceStart = length - std::max(0, p.sourceLength);
    } else {
        p.destination = areaLength - margin - length;
        p.sourceLength = length;
    }
    p.sourceLength = std::max(0, p.sourceLength);
    return p;
}

// The typed value of an edit; what is no number counts as 0.
int typedValue(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

WatermarkPlacement placeWatermark(const QSize& area, const QSize& image, const WatermarkImageSettings& settings) {
    WatermarkPlacement result;
    const int W = area.width(), H = area.height();
    const int iw = image.width(), ih = image.height();
    if (W <= 0 || H <= 0 || iw <= 0 || ih <= 0)
        return result;
    int baseWidth, baseHeight;
    if (qint64(ih) * W < qint64(H) * iw) {
        baseWidth = W / 2;
        baseHeight = int(qint64(W / 2) * ih / iw);
    } else {
        baseHeight = H / 2;
        baseWidth = int(qint64(H / 2) * iw / ih);
    }
    const int width = int(baseWidth * settings.widthScalePercent / 100);
    const int height = int(baseHeight * settings.heightScalePercent / 100);
    result.scaledSize = QSize(width, height);
    const int position = std::min(8, std::max(0, settings.position));
    const int mx = W * std::min(100, std::max(0, settings.horizontalMarginPercent)) / 100;
    const int my = H * std::min(100, std::max(0, settings.verticalMarginPercent)) / 100;
    const AxisPlacement x = placeOnAxis(position % 3, W, width, mx);
    const AxisPlacement y = placeOnAxis(position / 3, H, height, my);
    result.source = QRect(x.sourceStart, y.sourceStart, x.sourceLength, y.sourceLength);
    result.destination = QPoint(x.destination, y.destination);
    return result;
}

double scaleFromSliderFraction(double fraction) {
    if (fraction <= 0.49)
        return 100 - (0.5 - fraction) * 180;
    if (fraction >= 0.51)
        return (fraction - 0.5) * 600 + 100;
    return 100;
}

int sliderPositionFromScale(double percent) {
    if (percent > 100)
        return int((percent - 100) * 100 / 300 + 100 + 0.5);
    if (percent < 100)
        return int((percent - 10) * 100 / 90 + 0.5);
    return 100;
}

// ---------------------------------------------------------------------------------------
// Preview

QImageViewButton::QImageViewButton(QWidget* parent) : QRZBaseButton(parent) {
    m_settings.imagePath.clear();
    m_settings.widthScalePercent = m_settings.heightScalePercent = 100.0;
    m_settings.alpha = 255;
}

QImageViewButton::~QImageViewButton() = default;

void QImageViewButton::setWatermarkSetting(WatermarkImageSettings* settings) {
    if (settings)
        m_settings = *settings;
    prepare();
    update();
}

void QImageViewButton::setWatermarkSettingSource(WatermarkImageSettings* settings) {
    if (settings)
        m_settings = *settings;
    const QString path = QString::fromUtf8(m_settings.imagePath.c_str());
    m_loaded = QImage();
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            m_loaded = QImage::fromData(file.readAll());
    }
    if (m_loaded.isNull()) {
        m_prepared = QImage();
        m_source = QRect();
        m_destination = QPoint(0, 0);
    }
    prepare();
    update();
}

void QImageViewButton::prepare() {
    if (m_loaded.isNull())
        return;
    const WatermarkPlacement placement = placeWatermark(size(), m_loaded.size(), m_settings);
    m_source = placement.source;
    m_destination = placement.destination;
    if (placement.scaledSize.isEmpty()) {
        m_prepared = QImage();
        return;
    }
    const QImage scaled = m_loaded.scaled(placement.scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_prepared = QImage(placement.scaledSize, QImage::Format_ARGB32_Premultiplied);
    m_prepared.fill(Qt::transparent);
    QPainter painter(&m_prepared);
    painter.drawImage(0, 0, scaled);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(m_prepared.rect(), QColor(40, 40, 40, std::min(255, std::max(0, m_settings.alpha))));
}

void QImageViewButton::resizeEvent(QResizeEvent* event) {
    QRZBaseButton::resizeEvent(event);
    prepare();
}

void QImageViewButton::paintEvent(QPaintEvent* event) {
    if (m_prepared.isNull()) {
        QRZBaseButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), QColor(40, 40, 40));
    if (!m_source.isEmpty())
        painter.drawImage(m_destination, m_prepared, m_source);
}

// ---------------------------------------------------------------------------------------
// Dialog

QRZLineEditEx* QWatermarkDlg::makeValueEdit(const char* name) {
    auto* edit = makeNamedChild<QRZLineEditEx>(this, name);
    styleLineEdit(edit, 40, 24);
    setWidgetFont(edit, 12);
    edit->setAlignment(Qt::AlignCenter);
    edit->setTextMargins(0, 0, 9, 0);
    edit->setExtraText(QStringLiteral("%"));
    edit->setExtraTextFont(edit->font());
    edit->setExtraTextColor(QColor(250, 237, 237));
    edit->setExtraTextMargins(0, 0, 2, 0);
    connect(edit, &QLineEdit::textEdited, this, &QWatermarkDlg::valueTextEdited);
    return edit;
}

QRZBaseSlider* QWatermarkDlg::makeSlider(const char* name, double maximum) {
    auto* slider = makeNamedChild<QRZBaseSlider>(this, name);
    styleSlider(slider);
    slider->setRange(0, maximum);
    slider->resize(200, 20);
    connect(slider, &QRZBaseSlider::sendProgressValue, this, &QWatermarkDlg::sliderChange);
    return slider;
}

QWatermarkDlg::QWatermarkDlg(QWidget* parent) : QRZDialogEx(parent) {
    setObjectName(QStringLiteral("QWatermarkDlg"));
    setDialogBackground1(this);
    setTitle(tr("Watermark Setting"));
    setWindowTitle(tr("Watermark Setting"));
    setFixedSize(796, 270);
    QRZBaseButton* close = createCloseButton(getAppDirPath() + QStringLiteral("/image/btn_close.png"), true);
    connect(close, &QAbstractButton::clicked, this, &QWatermarkDlg::onClose);

    auto label = [this](const char* name, const QString& text) {
        auto* l = makeNamedChild<QLabel>(this, name);
        l->setText(text);
        setWidgetFont(l, 12);
        setWidgetTextColor(l, QPalette::WindowText, QColor(250, 237, 237));
        l->adjustSize();
        return l;
    };
    m_lblWatermarkImage = label("m_lblWatermarkImage", tr("Image:"));
    m_imageView = makeNamedChild<QImageViewButton>(this, "m_imageView");
    m_imageView->setImage(getAppDirPath() + QStringLiteral("/image/EditDlg/btn_add_conver.png"), true);
    m_imageView->setFixedSize(125, 125);
    m_imageView->setToolTip(tr("Click here to add an image"));
    connect(m_imageView, &QAbstractButton::clicked, this, &QWatermarkDlg::SetTagImage);
    m_btnDelete = makeNamedChild<QRZBaseButton>(this, "m_btnDelete");
    m_btnDelete->setImage(getAppDirPath() + QStringLiteral("/image/EditDlg/btn_delete.png"), false);
    m_btnDelete->setToolTip(tr("Delete"));
    m_btnDelete->hide();
    connect(m_btnDelete, &QAbstractButton::clicked, this, &QWatermarkDlg::OnDeleteImage);
    m_lblPosition = label("m_lblPosition", tr("Position:"));

    m_lblXMargin = label("m_lblXMargin", tr("X Margin"));
    m_sliderXMargin = makeSlider("m_sliderXMargin", 100);
    m_leXMarginValue = makeValueEdit("m_leXMarginValue");
    m_lblYMargin = label("m_lblYMargin", tr("Y Margin"));
    m_sliderYMargin = makeSlider("m_sliderYMargin", 100);
    m_leYMarginValue = makeValueEdit("m_leYMarginValue");
    m_lblTransparency = label("m_lblTransparency", tr("Transparency"));
    m_sliderAlpha = makeSlider("m_sliderAlpha", 255);
    m_leAlphaValue = makeValueEdit("m_leAlphaValue");
    m_lblScale = label("m_lblScale", tr("Scale"));
    m_sliderScale = makeSlider("m_sliderScale", 200);
    m_leScaleValue = makeValueEdit("m_leScaleValue");

    static const char* const names[] = {"m_rbtnLTop",    "m_rbtnTop",    "m_rbtnRTop",
                                        "m_rbtnLMiddle", "m_rbtnMiddle", "m_rbtnRMiddle",
                                        "m_rbtnLBottom", "m_rbtnBottom", "m_rbtnRBottom"};
    const QStringList texts = {tr("Left Top"),    tr("Middle Top"),    tr("Right Top"),
                               tr("Left Middle"), tr("Middle"),        tr("Right Middle"),
                               tr("Left Bottom"), tr("Middle Bottom"), tr("Right Bottom")};
    for (int i = 0; i < 9; ++i) {
        auto* radio = makeNamedChild<QRZRadioButton>(this, names[i]);
        styleSelectionCheckBox(radio);
        radio->setText(texts.at(i));
        setWidgetFont(radio, 12);
        setWidgetTextColor(radio, QPalette::WindowText, QColor(250, 237, 237));
        radio->adjustSize();
        connect(radio, &QAbstractButton::clicked, this, &QWatermarkDlg::onRadioButton);
        m_positions.append(radio);
    }

    m_btnOK = makeNamedChild<QRZBaseButton>(this, "m_btnOK");
    m_btnCancel = makeNamedChild<QRZBaseButton>(this, "m_btnCancel");
    styleCommonButton(m_btnOK, 80, 24);
    styleCommonButton(m_btnCancel, 80, 24);
    m_btnOK->setText(tr("OK"));
    m_btnCancel->setText(tr("Cancel"));
    connect(m_btnOK, &QAbstractButton::clicked, this, &QWatermarkDlg::onOk);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QWatermarkDlg::onClose);

    // The controls start at the record's defaults.
    setWatermarkSettings(WatermarkImageSettings());
}

QWatermarkDlg::~QWatermarkDlg() = default;

void QWatermarkDlg::showImage(bool present) {
    m_btnDelete->setVisible(present);
    m_imageView->setWatermarkSettingSource(&m_settings);
}

void QWatermarkDlg::setWatermarkSettings(WatermarkImageSettings settings) {
    m_settings = std::move(settings);
    // Values from outside are brought into their ranges first.
    m_settings.alpha = std::min(255, std::max(0, m_settings.alpha));
    m_settings.verticalMarginPercent = std::min(100, std::max(0, m_settings.verticalMarginPercent));
    m_settings.horizontalMarginPercent = std::min(100, std::max(0, m_settings.horizontalMarginPercent));
    m_settings.position = std::min(8, std::max(0, m_settings.position));
    m_sliderAlpha->setValue(m_settings.alpha);
    m_leAlphaValue->setText(QString::number(percentFromAlpha(m_settings.alpha)));
    m_sliderYMargin->setValue(m_settings.verticalMarginPercent);
    m_leYMarginValue->setText(QString::number(m_settings.verticalMarginPercent));
    m_sliderXMargin->setValue(m_settings.horizontalMarginPercent);
    m_leXMarginValue->setText(QString::number(m_settings.horizontalMarginPercent));
    m_sliderScale->setValue(sliderPositionFromScale(m_settings.widthScalePercent));
    m_leScaleValue->setText(QString::number(m_settings.widthScalePercent, 'f', 0));
    m_positions.at(m_settings.position)->setChecked(true);
    const QString path = QString::fromUtf8(m_settings.imagePath.c_str());
    if (!path.isEmpty() && !QFileInfo::exists(path))
        m_settings.imagePath.clear();
    showImage(!m_settings.imagePath.empty());
}

void QWatermarkDlg::sliderChange(double fraction) {
    QObject* from = sender();
    if (from == m_sliderAlpha) {
        const int alpha = std::min(255, std::max(0, int(fraction * 255 + 0.5)));
        if (alpha != m_settings.alpha) {
            m_settings.alpha = alpha;
            m_leAlphaValue->setText(QString::number(percentFromAlpha(alpha)));
        }
    } else if (from == m_sliderYMargin) {
        m_settings.verticalMarginPercent = int(fraction * 100);
        m_leYMarginValue->setText(QString::number(m_settings.verticalMarginPercent));
    } else if (from == m_sliderXMargin) {
        m_settings.horizontalMarginPercent = int(fraction * 100);
        m_leXMarginValue->setText(QString::number(m_settings.horizontalMarginPercent));
    } else if (from == m_sliderScale) {
        const double percent = scaleFromSliderFraction(fraction);
        if (percent != m_settings.widthScalePercent) {
            m_settings.widthScalePercent = m_settings.heightScalePercent = percent;
            m_leScaleValue->setText(QString::number(percent, 'f', 0));
        }
    }
    m_imageView->setWatermarkSetting(&m_settings);
}

void QWatermarkDlg::valueTextEdited(const QString& text) {
    int value = typedValue(text);
    qDebug() << ".....valueTextEdited........" << value;
    QObject* from = sender();
    if (from == m_leAlphaValue) {
        value = std::min(100, std::max(0, value));
        m_leAlphaValue->setText(QString::number(value));
        m_settings.alpha = alphaFromPercent(value);
        m_sliderAlpha->setValue(m_settings.alpha);
    } else if (from == m_leXMarginValue || from == m_leYMarginValue) {
        value = std::min(100, std::max(0, value));
        auto* edit = static_cast<QRZLineEditEx*>(from);
        edit->setText(QString::number(value));
        if (from == m_leXMarginValue) {
            m_sliderXMargin->setValue(value);
            m_settings.horizontalMarginPercent = value;
        } else {
            m_sliderYMargin->setValue(value);
            m_settings.verticalMarginPercent = value;
        }
    } else if (from == m_leScaleValue) {
        value = std::min(400, std::max(10, value));
        m_sliderScale->setValue(sliderPositionFromScale(value));
        m_leScaleValue->setText(QString::number(value));
        m_settings.widthScalePercent = m_settings.heightScalePercent = value;
    }
    m_imageView->setWatermarkSetting(&m_settings);
}

void QWatermarkDlg::onRadioButton() {
    m_settings.position = int(m_positions.indexOf(qobject_cast<QRZRadioButton*>(sender())));
    if (m_settings.position < 0)
        m_settings.position = 0;
    for (int i = 0; i < m_positions.size(); ++i)
        m_positions.at(i)->setChecked(i == m_settings.position);
    m_imageView->setWatermarkSetting(&m_settings);
}

void QWatermarkDlg::SetTagImage() {
    const QString chosen = QFileDialog::getOpenFileName(this, QString(), QStringLiteral("."),
                                                        QStringLiteral("Image (*.jpg *.png *.gif *.bmp *.tiff)"));
    if (chosen.isEmpty())
        return;
    m_settings.imagePath = chosen.toUtf8().toStdString();
    showImage(true);
}

void QWatermarkDlg::OnDeleteImage() {
    m_settings.imagePath.clear();
    showImage(false);
}

void QWatermarkDlg::onClose() {
    reject();
}

void QWatermarkDlg::onOk() {
    accept();
}

void QWatermarkDlg::paintEvent(QPaintEvent* event) {
    QRZDialogEx::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(QColor(67, 63, 63), 1));
    const int x1 = m_imageView->geometry().right() + 20;
    const int x2 = m_positions.at(2)->geometry().right() + 14;
    const int top = m_imageView->y() - 30;
    const int bottom = m_imageView->y() + 125;
    painter.drawLine(x1, top, x1, bottom);
    painter.drawLine(x2, top, x2, bottom);
}

void QWatermarkDlg::relayout() {
    m_lblWatermarkImage->move(28, 58);
    m_imageView->move(28, m_lblWatermarkImage->geometry().bottom() + 1 + 10);
    m_btnDelete->move(m_imageView->geometry().right() - m_btnDelete->width() + 1, m_imageView->y());

    // The position grid 40 pixels right of the preview: 3 x 3, 10 below its label, rows
    // 39 pixels apart counted from the bottom row up, columns 8 pixels apart.
    const int positionX = m_imageView->geometry().right() + 40;
    m_lblPosition->move(positionX, 58);
    int columnX[3] = {positionX, 0, 0};
    for (int column = 0; column < 2; ++column) {
        int widest = 0;
        for (int row = 0; row < 3; ++row)
            widest = std::max(widest, m_positions.at(row * 3 + column)->width());
        columnX[column + 1] = columnX[column] + widest + 8;
    }
    const int bottomRowY = m_lblPosition->geometry().bottom() + 1 + 10 + 2 * 39;
    for (int i = 0; i < 9; ++i)
        m_positions.at(i)->move(columnX[i % 3], bottomRowY - (2 - i / 3) * 39);

    // The slider rows right of the grid (label, slider, value edit), rows 12 pixels apart.
    const int rowsX = m_positions.at(2)->geometry().right() + 14 + 20;
    int labelWidth = 0;
    for (QLabel* label : {m_lblXMargin, m_lblYMargin, m_lblTransparency, m_lblScale})
        labelWidth = std::max(labelWidth, label->width());
    const int editX = width() - 28 - 40;
    const int sliderX = rowsX + labelWidth + 10;
    int y = 58;
    const struct {
        QLabel* label;
        QRZBaseSlider* slider;
        QRZLineEditEx* edit;
    } rows[] = {{m_lblXMargin, m_sliderXMargin, m_leXMarginValue},
                {m_lblYMargin, m_sliderYMargin, m_leYMarginValue},
                {m_lblTransparency, m_sliderAlpha, m_leAlphaValue},
                {m_lblScale, m_sliderScale, m_leScaleValue}};
    for (const auto& row : rows) {
        row.label->move(rowsX, y + (24 - row.label->height()) / 2);
        row.slider->setGeometry(sliderX, y + (24 - row.slider->height()) / 2, std::max(40, editX - 10 - sliderX),
                                row.slider->height());
        row.edit->move(editX, y);
        y += 24 + 12;
    }
    const int bandTop = height() - 47;
    m_btnCancel->move(width() - 28 - m_btnCancel->width(), bandTop + (39 - m_btnCancel->height()) / 2);
    m_btnOK->move(m_btnCancel->x() - 13 - m_btnOK->width(), bandTop + (39 - m_btnOK->height()) / 2);
}
