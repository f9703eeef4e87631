#include "editor/QWatermarkOperationForm.h"

#include "app/Utilities.h"
#include "editor/EditorAlpha.h"
#include "editor/EditorStyle.h"
#include "editor/EditorTabLayout.h"
#include "editor/QCommonButtonForm.h"
#include "editor/QVideoEditingSettings.h"
#include "media/RZInfoManager.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZScrollBar.h"
#include "toolkit/QRZTextEdit.h"

#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QTextEdit>

namespace {

const QRect kPictureRect(QPoint(0, 0), QPoint(64, 64));

} // namespace

QWatermarkOperationForm::QWatermarkOperationForm(QWidget* parent)
    : QWidget(parent), m_lblWatermarkImage(new QLabel(this)), m_btnAddWKImg(new QRZButtonExtend(this)),
      m_btnDelete(new QRZBaseButton(this)), m_lblTransparency(new QLabel(this)), m_sliderAlpha(new QRZBaseSlider(this)),
      m_leAlphaValue(new QRZLineEdit(this)), m_buttonFrom(new QCommonButtonForm(this)),
      m_btnSetWKTFont(new QRZBaseButton(this)), m_lblWatermarkText(new QLabel(this)),
      m_leAddWKText(new QRZTextEdit(this)), m_sliderTextAlpha(new QRZBaseSlider(this)),
      m_leTextAlphaValue(new QRZLineEdit(this)), m_lblTextTransparency(new QLabel(this)) {
    setObjectName(QStringLiteral("QWatermarkOperationForm"));
    setWindowTitle(QStringLiteral("Form"));
    resize(945, 205);
    m_btnAddWKImg->setObjectName(QStringLiteral("m_btnAddWKImg"));
    m_btnDelete->setObjectName(QStringLiteral("m_btnDelete"));
    m_sliderAlpha->setObjectName(QStringLiteral("m_sliderAlpha"));
    m_leAlphaValue->setObjectName(QStringLiteral("m_leAlphaValue"));
    m_btnSetWKTFont->setObjectName(QStringLiteral("m_btnSetWKTFont"));
    m_leAddWKText->setObjectName(QStringLiteral("m_leAddWKText"));
    m_sliderTextAlpha->setObjectName(QStringLiteral("m_sliderTextAlpha"));
    m_leTextAlphaValue->setObjectName(QStringLiteral("m_leTextAlphaValue"));
    m_buttonFrom->setObjectName(QStringLiteral("m_buttonFrom"));

    setEditorLabelFitted(m_lblWatermarkImage, tr("Image:"), 12);
    m_btnAddWKImg->resize(125, 125);
    m_btnAddWKImg->setImage(editorImagePath(QStringLiteral("/VEditSource/add_watermark_image.png")), false);
    m_btnAddWKImg->setBackgroundColor(EditorColors::control());
    m_btnAddWKImg->setToolTip(tr("Add Watermark Image"));
    m_btnDelete->resize(31, 31);
    m_btnDelete->setImage(editorImagePath(QStringLiteral("/VEditSource/delete_watermark_image.png")), false);
    m_btnDelete->setToolTip(tr("Delete"));
    setEditorLabelFitted(m_lblTransparency, tr("Transparency:"), 12);
    setEditorLabelFitted(m_lblTextTransparency, tr("Transparency:"), 12);
    setEditorLabelFitted(m_lblWatermarkText, tr("Text:"), 12);
    for (QLabel* label : {m_lblWatermarkImage, m_lblTransparency, m_lblTextTransparency, m_lblWatermarkText}) {
        label->resize(label->width(), 16); // the form's height: one line
    }
    for (QRZBaseSlider* slider : {m_sliderAlpha, m_sliderTextAlpha}) {
        slider->resize(204, 22);
        setEditorSliderStyle(slider);
        slider->setRange(0, 255);
        slider->setValue(255.0);
        connect(slider, &QRZBaseSlider::sendProgressValue, this, &QWatermarkOperationForm::progressValue);
    }
    for (QRZLineEdit* edit : {m_leAlphaValue, m_leTextAlphaValue}) {
        edit->setText(QStringLiteral("0"));
        setEditorLineEditStyle(edit);
        edit->resize(46, 22);
        connect(edit, &QLineEdit::textEdited, this, &QWatermarkOperationForm::alphaTextEdited);
    }
    m_btnSetWKTFont->resize(31, 23);
    m_btnSetWKTFont->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_text_font.png")), false);
    m_btnSetWKTFont->setToolTip(tr("Set Font"));

    m_leAddWKText->setFrameImage(editorImagePath(QStringLiteral("/VEditSource/edit_background.png")));
    QTextEdit* inner = m_leAddWKText->textEdit();
    inner->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetFontFamily(inner, QStringLiteral("Tahoma"), 12);
    setWidgetColor(inner, QPalette::Text, EditorColors::text());
    m_leAddWKText->resize(220, 22);
    m_textScrollBar = new QRZScrollBar(Qt::Vertical);
    setEditorScrollBarStyle(m_textScrollBar);
    inner->setVerticalScrollBar(m_textScrollBar);

    connect(m_btnAddWKImg, &QPushButton::clicked, this, &QWatermarkOperationForm::onSetAddWKImg);
    connect(m_btnDelete, &QPushButton::clicked, this, &QWatermarkOperationForm::onDeleteImage);
    connect(inner, &QTextEdit::textChanged, this, &QWatermarkOperationForm::wkTextEdited);
    connect(m_btnSetWKTFont, &QPushButton::clicked, this, &QWatermarkOperationForm::emitWatermartTextSetting);
    connect(m_buttonFrom, &QCommonButtonForm::emitApplyToAll, this, &QWatermarkOperationForm::emitApplyToAll);
    connect(m_buttonFrom, &QCommonButtonForm::emitReset, this, &QWatermarkOperationForm::reset);
}

// The scroll bar belongs to the view it was given to, which deletes it.
QWatermarkOperationForm::~QWatermarkOperationForm() = default;

void QWatermarkOperationForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        loadingSetting();
    }
}

void QWatermarkOperationForm::loadingSetting() {
    if (!m_settings) {
        return;
    }
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    m_sliderAlpha->setValue(double(record.image.alpha));
    m_leAlphaValue->setText(QString::number(percentFromAlpha(record.image.alpha)));
    m_sliderTextAlpha->setValue(double(record.text.alpha));
    m_leTextAlphaValue->setText(QString::number(percentFromAlpha(record.text.alpha)));
    // Runs wkTextEdited, which stores the record once.
    m_leAddWKText->textEdit()->setPlainText(QString::fromStdString(record.text.text));
    const QString imagePath = QString::fromStdString(record.image.imagePath);
    m_btnAddWKImg->setImage(kPictureRect, imagePath);
    m_btnDelete->setVisible(!imagePath.isEmpty());
}

void QWatermarkOperationForm::onSetAddWKImg() {
    if (!m_settings) {
        return;
    }
    emit emitOpenDlg(true);
    // The file dialog may match case-sensitively: both cases are offered.
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Open Image"), QStringLiteral("/home"),
        tr("Images (*.jpg *.jpeg *.png *.gif *.bmp *.webp *.heic *.JPG *.JPEG *.PNG *.GIF *.BMP *.WEBP *.HEIC)"));
    emit emitOpenDlg(false);
    if (chosen.isEmpty()) {
        return;
    }
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    record.image.imagePath = chosen.toStdString();
    m_settings->setWatermark(record, 1, true);

    RZInfoManager info;
    info.ensureInfo();
    info.open(chosen);
    m_btnAddWKImg->setImage(kPictureRect, info.coverImage(50));
    m_btnDelete->show();
}

void QWatermarkOperationForm::onDeleteImage() {
    if (!m_settings) {
        return;
    }
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    record.image.imagePath.clear();
    m_settings->setWatermark(record, 1, true);
    m_btnAddWKImg->setImage(kPictureRect, QString());
    m_btnDelete->hide();
}

void QWatermarkOperationForm::progressValue(double fraction) {
    if (!m_settings) {
        return;
    }
    const int alpha = fractionToAlpha(fraction);
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    int32_t* field = nullptr;
    QRZLineEdit* edit = nullptr;
    if (sender() == m_sliderAlpha) {
        field = &record.image.alpha;
        edit = m_leAlphaValue;
    } else if (sender() == m_sliderTextAlpha) {
        field = &record.text.alpha;
        edit = m_leTextAlphaValue;
    } else {
        return;
    }
    if (*field != alpha) {
        *field = alpha;
        m_settings->setWatermark(record, 0, false);
    }
    edit->setText(QString::number(percentFromAlpha(alpha)));
}

void QWatermarkOperationForm::wkTextEdited() {
    if (!m_settings) {
        return;
    }
    const std::string text = m_leAddWKText->textEdit()->toPlainText().toStdString();
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    if (record.text.text != text) {
        record.text.text = text;
    }
    m_settings->setWatermark(record, 1, true);
}

void QWatermarkOperationForm::alphaTextEdited(const QString& text) {
    if (!m_settings) {
        return;
    }
    auto* edit = qobject_cast<QRZLineEdit*>(sender());
    int value = text.toInt();
    if (value > 100 || value < 0) {
        value = qBound(0, value, 100);
        if (edit) {
            edit->setText(QString::number(value));
        }
    }
    const int alpha = alphaFromPercent(value);
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    if (edit == m_leAlphaValue) {
        if (alpha != record.image.alpha) {
            record.image.alpha = alpha;
            m_settings->setWatermark(record, 0, false);
        }
        m_sliderAlpha->setValue(double(alpha));
    } else if (edit == m_leTextAlphaValue) {
        if (alpha != record.text.alpha) {
            record.text.alpha = alpha;
            m_settings->setWatermark(record, 0, false);
        }
        m_sliderTextAlpha->setValue(double(alpha));
    }
}

void QWatermarkOperationForm::reset() {
    if (!m_settings) {
        return;
    }
    VEWatermarkSettings record;
    m_settings->getWatermark(record);
    record.text.reset();
    record.image.reset();
    record.carried[0] = record.carried[1] = 0;
    m_settings->setWatermark(record, 1, false);
    loadingSetting();
}

void QWatermarkOperationForm::paintEvent(QPaintEvent*) {
    paintTabPanels(this, {{0, 386}, {389, width() - 137}, {width() - 134, width() - 1}});
}

void QWatermarkOperationForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_lblWatermarkImage->move(18, 12);
    const int addTop = bottomOf(m_lblWatermarkImage) + 20;
    // The picture button keeps its square shape and the label's 12-pixel margin below
    // it: in the editor's 128-pixel tab it is smaller than its full 125 pixels.
    const int addSide = qBound(40, height() - addTop - 12, 125);
    m_btnAddWKImg->setGeometry(18, addTop, addSide, addSide);
    m_btnDelete->move(rightOf(m_btnAddWKImg) - m_btnDelete->width(), m_btnAddWKImg->y());
    m_lblTransparency->move(rightOf(m_btnAddWKImg) + 40, m_lblWatermarkImage->y());
    m_sliderAlpha->move(rightOf(m_btnAddWKImg) + 34, bottomOf(m_lblTransparency) + 35);
    // The slider ends where its value box still fits inside the picture panel.
    m_sliderAlpha->resize(qMax(60, 386 - 8 - m_leAlphaValue->width() - 8 - m_sliderAlpha->x()),
                          m_sliderAlpha->height());
    m_leAlphaValue->move(rightOf(m_sliderAlpha) + 8, m_sliderAlpha->y());

    // The text column ends 8 pixels inside its panel (which ends 137 pixels from the
    // right): the text box and the slider give up width so that the font button and the
    // value box stay beside them.
    const int lastColumn = width() - 137 - 8;
    m_lblWatermarkText->move(407, 12);
    m_leAddWKText->setGeometry(407, bottomOf(m_lblWatermarkText) + 10,
                               qBound(40, lastColumn - 8 - m_btnSetWKTFont->width() - 407 + 1, 220),
                               m_leAddWKText->height());
    m_btnSetWKTFont->move(rightOf(m_leAddWKText) + 8, bottomOf(m_leAddWKText) - 1 - m_btnSetWKTFont->height() + 1);
    m_lblTextTransparency->move(407, bottomOf(m_leAddWKText) + 10);
    m_sliderTextAlpha->setGeometry(401, bottomOf(m_lblTextTransparency) + 10,
                                   qBound(40, lastColumn - 8 - m_leTextAlphaValue->width() - 401 + 1, 204),
                                   m_sliderTextAlpha->height());
    m_leTextAlphaValue->move(rightOf(m_sliderTextAlpha) + 8, m_sliderTextAlpha->y());

    m_buttonFrom->resize(134, height());
    m_buttonFrom->move(width() - 134, 0);
}
