#include "editor/QTextStyleSettingDlg.h"

#include "editor/EditorStyle.h"
#include "editor/EditorTabLayout.h"
#include "editor/QVideoEditingSettings.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZSpinBox.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QFontDialog>
#include <QLabel>

#include <cmath>

namespace {

// Changes of a spin box this small or smaller are typing noise, not a new value (with
// room for the binary form of decimal steps: 0.61 - 0.6 is a little above 0.01).
const double kSpinTolerance = 0.01 + 1e-9;

template <typename Record> TextLook lookOf(const Record& r) {
    TextLook look;
    look.fontName = r.fontName;
    look.fontSize = r.fontSize;
    look.bold = r.bold;
    look.italic = r.italic;
    look.underline = r.underline;
    look.strikeout = r.strikeout;
    look.fontColour = uint32_t(r.fontColour);
    look.shadowColour = uint32_t(r.shadowColour);
    look.outlineColour = uint32_t(r.outlineColour);
    look.shadowOffset = r.shadowOffset;
    look.outlineSize = r.outlineSize;
    look.spacingHorizontal = r.spacingHorizontal;
    look.spacingVertical = r.spacingVertical;
    return look;
}

template <typename Record> void applyLook(const TextLook& look, Record* r) {
    r->fontName = look.fontName;
    r->fontSize = look.fontSize;
    r->bold = look.bold;
    r->italic = look.italic;
    r->underline = look.underline;
    r->strikeout = look.strikeout;
    r->fontColour = int32_t(look.fontColour);
    r->shadowColour = int32_t(look.shadowColour);
    r->outlineColour = int32_t(look.outlineColour);
    r->shadowOffset = look.shadowOffset;
    r->outlineSize = look.outlineSize;
    r->spacingHorizontal = look.spacingHorizontal;
    r->spacingVertical = look.spacingVertical;
}

QColor colorOf(uint32_t argb) {
    return QColor::fromRgba(argb);
}

uint32_t argbOf(const QColor& color) {
    return uint32_t(color.alpha()) << 24 | uint32_t(color.red()) << 16 | uint32_t(color.green()) << 8 |
           uint32_t(color.blue());
}

} // namespace

QTextStyleSettingDlg::QTextStyleSettingDlg(QWidget* parent, int columnGap, int okWidth)
    : QRZDialog(parent), m_btnOK(new QRZBaseButton(this)), m_btnCancel(new QRZBaseButton(this)),
      m_lblFontColor(new QLabel(this)), m_lblFontName(new QLabel(this)), m_lblShadow(new QLabel(this)),
      m_lblShadowOff(new QLabel(this)), m_lblOutline(new QLabel(this)), m_lblOutlineSize(new QLabel(this)),
      m_lblSpacingH(new QLabel(this)), m_lblSpacingV(new QLabel(this)), m_btnTextColor(new QRZButtonExtend(this)),
      m_btnShadowColor(new QRZButtonExtend(this)), m_btnOutlineColor(new QRZButtonExtend(this)),
      m_btnFont(new QRZBaseButton(this)), m_dspShadowOff(new QRZDoubleSpinBox(this)),
      m_dspOutlineSize(new QRZDoubleSpinBox(this)), m_dspSpacingH(new QRZDoubleSpinBox(this)),
      m_dspSpacingV(new QRZDoubleSpinBox(this)), m_btnReset(new QRZBaseButton(this)),
      m_btnClose(new QRZBaseButton(this)), m_btnMin(new QRZBaseButton(this)), m_btnMax(new QRZBaseButton(this)),
      m_columnGap(columnGap) {
    resize(539, 357);
    nameChildren();
    styleWindow();
    placeLabels();
    styleButtons(okWidth);
    setUpSpinBoxes();
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnFont, &QPushButton::clicked, this, &QTextStyleSettingDlg::onFont);
    connect(m_btnReset, &QPushButton::clicked, this, &QTextStyleSettingDlg::onReset);
    resize(516, 348);
}

// The object names callers and tests find the controls by.
void QTextStyleSettingDlg::nameChildren() {
    m_lblFontColor->setObjectName(QStringLiteral("m_lblFontColor"));
    m_btnTextColor->setObjectName(QStringLiteral("m_btnTextColor"));
    m_btnShadowColor->setObjectName(QStringLiteral("m_btnShadowColor"));
    m_btnOutlineColor->setObjectName(QStringLiteral("m_btnOutlineColor"));
    m_btnFont->setObjectName(QStringLiteral("m_btnFont"));
    m_dspShadowOff->setObjectName(QStringLiteral("m_dspShadowOff"));
    m_dspOutlineSize->setObjectName(QStringLiteral("m_dspOutlineSize"));
    m_dspSpacingH->setObjectName(QStringLiteral("m_dspSpacingH"));
    m_dspSpacingV->setObjectName(QStringLiteral("m_dspSpacingV"));
    m_btnReset->setObjectName(QStringLiteral("m_btnReset"));
    m_btnOK->setObjectName(QStringLiteral("m_btnOK"));
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnClose->setObjectName(QStringLiteral("m_btnClose"));
}

void QTextStyleSettingDlg::styleWindow() {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setTitle(tr("Font"));
    setTitleTextRect(QRect(14, 14, 0, 0));
    setTitleAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWidgetColor(this, QPalette::WindowText, EditorColors::text());
    setTitleHeight(38);
    setBorderWidth(6);
    setWidgetFontFamily(this, QStringLiteral("Tahoma"), 12);
    loadBackgroundImage(editorImagePath(QStringLiteral("/VEditSource/bg_3.png")), true);
    setBackgroundMargins(50, 50, 50, 50, 50, 50, 50, 50);
}

void QTextStyleSettingDlg::placeLabels() {
    const struct {
        QLabel* label;
        const char* text;
    } labels[] = {
        {m_lblFontColor, QT_TR_NOOP("Font Color:")},        {m_lblFontName, QT_TR_NOOP("Font Name:")},
        {m_lblShadow, QT_TR_NOOP("Shadow Color:")},         {m_lblShadowOff, QT_TR_NOOP("Shadow Offset:")},
        {m_lblOutline, QT_TR_NOOP("Outline Color:")},       {m_lblOutlineSize, QT_TR_NOOP("Outline Size:")},
        {m_lblSpacingH, QT_TR_NOOP("Horizontal Spacing:")}, {m_lblSpacingV, QT_TR_NOOP("Vertical Spacing:")},
    };
    for (const auto& entry : labels) {
        setEditorLabelFitted(entry.label, tr(entry.text), 12);
        entry.label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    // Each label column is as wide as its longest text; the texts sit at its right edge.
    for (const auto& column : {QList<QLabel*>{m_lblFontColor, m_lblShadow, m_lblOutline, m_lblSpacingH},
                               QList<QLabel*>{m_lblFontName, m_lblShadowOff, m_lblOutlineSize, m_lblSpacingV}}) {
        int widest = 0;
        for (QLabel* label : column) {
            widest = qMax(widest, label->width());
        }
        for (QLabel* label : column) {
            label->resize(widest, label->height());
        }
    }
}

void QTextStyleSettingDlg::styleButtons(int okWidth) {
    for (QRZButtonExtend* button : {m_btnTextColor, m_btnShadowColor, m_btnOutlineColor}) {
        setEditorIconButtonStyle(button, 78, 22);
        button->setText(tr("Color"));
        connect(button, &QPushButton::clicked, this, &QTextStyleSettingDlg::onColor);
    }
    setEditorButtonStyle(m_btnFont, 78, 22);
    m_btnFont->setText(tr("Default"));
    setEditorButtonStyle(m_btnReset, 78, 22);
    m_btnReset->setText(tr("Reset"));
    setEditorButtonStyle(m_btnOK, okWidth, 28);
    m_btnOK->setText(tr("OK"));
    setEditorButtonStyle(m_btnCancel, okWidth, 28);
    m_btnCancel->setText(tr("Cancel"));
    m_btnClose->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_close.png")), false);
    m_btnClose->setToolTip(tr("Close"));
    m_btnMin->setToolTip(tr("Minimize"));
    m_btnMax->setToolTip(tr("Maximize"));
    m_btnMin->hide();
    m_btnMax->hide();
}

void QTextStyleSettingDlg::setUpSpinBoxes() {
    const struct {
        QRZDoubleSpinBox* box;
        double minimum;
    } boxes[] = {{m_dspShadowOff, -100}, {m_dspOutlineSize, 0}, {m_dspSpacingH, -100}, {m_dspSpacingV, -100}};
    for (const auto& entry : boxes) {
        setEditorSpinBoxStyle(entry.box);
        entry.box->resize(91, 22);
        entry.box->setRange(entry.minimum, 100);
        entry.box->setSingleStep(0.1);
        connect(entry.box, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
                &QTextStyleSettingDlg::valueChanged);
    }
}

void QTextStyleSettingDlg::showEvent(QShowEvent* event) {
    QRZDialog::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        loadControls();
    }
}

void QTextStyleSettingDlg::loadControls() {
    TextLook look;
    if (!readLook(&look)) {
        return;
    }
    m_dspShadowOff->setValue(look.shadowOffset);
    m_dspOutlineSize->setValue(look.outlineSize);
    m_dspSpacingH->setValue(look.spacingHorizontal);
    m_dspSpacingV->setValue(look.spacingVertical);
    m_btnTextColor->setFillColor(colorOf(look.fontColour));
    m_btnOutlineColor->setFillColor(colorOf(look.outlineColour));
    m_btnShadowColor->setFillColor(colorOf(look.shadowColour));
    showFontName(look.fontName);
}

void QTextStyleSettingDlg::showFontName(const std::string& family) {
    const QString name = QString::fromStdString(family);
    m_btnFont->setText(name.isEmpty() ? tr("Default") : name);
    setWidgetFontFamily(m_btnFont, name.isEmpty() ? QStringLiteral("Tahoma") : name, 12);
}

void QTextStyleSettingDlg::onFont() {
    TextLook look;
    if (!readLook(&look)) {
        return;
    }
    QFont start(QString::fromStdString(look.fontName));
    start.setWeight(look.bold ? 75 : 50);
    if (look.fontSize > 0) {
        start.setPointSize(look.fontSize);
    }
    start.setItalic(look.italic != 0);
    start.setUnderline(look.underline != 0);
    start.setStrikeOut(look.strikeout != 0);
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, start, this, QString());
    if (!ok) {
        return;
    }
    look.fontName = font.family().toStdString();
    look.bold = font.weight() > 57 ? 1 : 0;
    look.fontSize = font.pointSize();
    look.italic = font.style() != QFont::StyleNormal ? 1 : 0;
    look.underline = font.underline() ? 1 : 0;
    look.strikeout = font.strikeOut() ? 1 : 0;
    storeLook(look);
    showFontName(look.fontName);
}

void QTextStyleSettingDlg::onColor() {
    auto* button = qobject_cast<QRZButtonExtend*>(sender());
    TextLook look;
    uint32_t* field = button == m_btnTextColor      ? &look.fontColour
                      : button == m_btnOutlineColor ? &look.outlineColour
                      : button == m_btnShadowColor  ? &look.shadowColour
                                                    : nullptr;
    if (!field || !readLook(&look)) {
        return;
    }
    const QColor chosen = QColorDialog::getColor(colorOf(*field), this, QString(),
                                                 QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid()) {
        return;
    }
    *field = argbOf(chosen);
    storeLook(look);
    button->setFillColor(colorOf(*field));
}

void QTextStyleSettingDlg::valueChanged(double value) {
    TextLook look;
    QObject* from = sender();
    double* field = from == m_dspShadowOff     ? &look.shadowOffset
                    : from == m_dspOutlineSize ? &look.outlineSize
                    : from == m_dspSpacingH    ? &look.spacingHorizontal
                    : from == m_dspSpacingV    ? &look.spacingVertical
                                               : nullptr;
    if (!field || !readLook(&look) || std::fabs(value - *field) <= kSpinTolerance) {
        return;
    }
    *field = value;
    storeLook(look);
}

void QTextStyleSettingDlg::onReset() {
    TextLook look;
    if (!readLook(&look)) {
        return;
    }
    look.fontName.clear();
    look.fontColour = 0xFFFFFFFFu;
    look.shadowColour = 0x80000000u;
    look.outlineColour = 0xFF000000u;
    look.shadowOffset = 0.5;
    look.outlineSize = 1.0;
    look.spacingHorizontal = 0.05;
    look.spacingVertical = 0.05;
    storeLook(look);
    loadControls();
}

void QTextStyleSettingDlg::resizeEvent(QResizeEvent* event) {
    QRZDialog::resizeEvent(event);
    layoutControls();
}

void QTextStyleSettingDlg::layoutControls() {
    const int W = width();
    const int H = height();
    const int G = m_columnGap;
    m_btnClose->move(W - m_btnClose->width() - 8, 8);
    m_btnOK->move(W - m_btnOK->width() - 28, (50 - m_btnOK->height()) / 2 + H - 58);
    m_btnCancel->move(m_btnOK->x() - m_btnCancel->width() - 20, (50 - m_btnCancel->height()) / 2 + H - 58);

    m_lblFontColor->move(38, 60);
    m_lblShadow->move(38, bottomOf(m_lblFontColor) + 24);
    m_lblOutline->move(38, bottomOf(m_lblShadow) + 24);
    m_lblSpacingH->move(38, bottomOf(m_lblOutline) + 29);

    const int second = m_lblFontColor->x() + m_lblFontColor->width() - 1 + G;
    m_btnTextColor->move(second, 60);
    m_btnShadowColor->move(second, bottomOf(m_btnTextColor) + 24);
    m_btnOutlineColor->move(second, bottomOf(m_btnShadowColor) + 24);
    m_dspSpacingH->move(second, bottomOf(m_btnOutlineColor) + 29);
    // Labels of a row are centred on their control.
    m_lblFontColor->move(38, m_btnTextColor->y() + (m_btnTextColor->height() - m_lblFontColor->height()) / 2);
    m_lblShadow->move(38, m_btnShadowColor->y() + (m_btnShadowColor->height() - m_lblShadow->height()) / 2);
    m_lblOutline->move(38, m_btnOutlineColor->y() + (m_btnOutlineColor->height() - m_lblOutline->height()) / 2);
    m_lblSpacingH->move(38, m_dspSpacingH->y() + (m_dspSpacingH->height() - m_lblSpacingH->height()) / 2);

    const int fourth = W - m_dspShadowOff->width() - 48;
    m_btnFont->move(fourth, m_btnTextColor->y());
    m_dspShadowOff->move(fourth, m_btnShadowColor->y());
    m_dspOutlineSize->move(fourth, m_btnOutlineColor->y());
    m_dspSpacingV->move(fourth, m_dspSpacingH->y());

    const int third = m_dspOutlineSize->x() - m_lblOutlineSize->width() - G;
    const struct {
        QLabel* label;
        QWidget* row;
    } rows[] = {{m_lblFontName, m_btnFont},
                {m_lblShadowOff, m_dspShadowOff},
                {m_lblOutlineSize, m_dspOutlineSize},
                {m_lblSpacingV, m_dspSpacingV}};
    for (const auto& r : rows) {
        r.label->move(third, r.row->y() + (r.row->height() - r.label->height()) / 2);
    }
    m_btnReset->move(W - m_btnReset->width() - 48, bottomOf(m_dspSpacingV) + 24);
}

// ---- The watermark text dialog ----

QWatermartTextSettingDlg::QWatermartTextSettingDlg(QWidget* parent) : QTextStyleSettingDlg(parent, 10, 64) {
    setObjectName(QStringLiteral("QWatermartTextSettingDlg"));
    connect(m_btnOK, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnCancel, &QPushButton::clicked, this, &QWidget::close);
}

bool QWatermartTextSettingDlg::readLook(TextLook* look) const {
    if (!m_settings) {
        return false;
    }
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    *look = lookOf(record.text);
    return true;
}

void QWatermartTextSettingDlg::storeLook(const TextLook& look) {
    if (!m_settings) {
        return;
    }
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    applyLook(look, &record.text);
    m_settings->setWatermark(record, 1, false);
}

void QWatermartTextSettingDlg::closeEvent(QCloseEvent* event) {
    emit emitDlgClose();
    QTextStyleSettingDlg::closeEvent(event);
}

// ---- The subtitle style dialog ----

QSubtitleSettingDlg::QSubtitleSettingDlg(QWidget* parent) : QTextStyleSettingDlg(parent, 6, 70) {
    setObjectName(QStringLiteral("QSubtitleSettingDlg"));
    connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QWidget::close);
}

bool QSubtitleSettingDlg::readLook(TextLook* look) const {
    if (!m_settings) {
        return false;
    }
    VETextStyle style;
    m_settings->getTextStyle(style);
    *look = lookOf(style);
    return true;
}

void QSubtitleSettingDlg::storeLook(const TextLook& look) {
    if (!m_settings) {
        return;
    }
    VETextStyle style;
    m_settings->getTextStyle(style);
    applyLook(look, &style);
    m_settings->setTextStyle(style);
}
