#include "library/QConvertProgressDlg.h"

#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/StyleHelpers.h"

#include <QLabel>

QConvertProgressDlg::QConvertProgressDlg(QWidget* parent) : QRZDialogEx(parent) {
    setObjectName(QStringLiteral("QConvertProgressDlg"));
    setDialogBackground1(this);
    setWindowTitle(tr("Converting"));
    setTitle(tr("Converting"));
    m_lblConvert = new QLabel(tr("Converting"), this);
    m_lblConvert->setObjectName(QStringLiteral("m_lblConvert"));
    QFont font = m_lblConvert->font();
    font.setPointSize(12);
    m_lblConvert->setFont(font);
    setWidgetTextColor(m_lblConvert, QPalette::WindowText, QColor(250, 237, 237));
    m_lblConvert->adjustSize();
    m_bpConvert = new QRZBaseProgress(this);
    m_bpConvert->setObjectName(QStringLiteral("m_bpConvert"));
    m_bpConvert->resize(371, 16);
    m_bpConvert->setProgressType(QRZBaseProgress::HorizontalBar);
    m_bpConvert->setBackgroundImage(toolkitImagePath(QStringLiteral("/image/PlayerImage/slider_play_bottom.png")));
    m_bpConvert->setChunkImage(toolkitImagePath(QStringLiteral("/image/PlayerImage/slider_play_top.png")));
    m_bpConvert->setOption1(1);
    m_bpConvert->setOption2(4);
    m_bpConvert->setTextFormat(QString());
    m_bpConvert->setRange(0, 100);
    m_bpConvert->setValue(0.0);
    m_btnCancel = new QRZBaseButton(this);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnCancel->setText(tr("Cancel"));
    styleCommonButton(m_btnCancel, 100, 24);
    QRZBaseButton* close = createCloseButton(toolkitImagePath(QStringLiteral("/image/btn_close.png")), true);
    connect(close, &QAbstractButton::clicked, this, &QConvertProgressDlg::onClose);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QConvertProgressDlg::onClose);
    setFixedSize(440, 180);
}

void QConvertProgressDlg::setProgress(float percent) {
    m_bpConvert->setValue(double(percent));
}

void QConvertProgressDlg::onClose() {
    reject();
}

// Escape, the title button and Cancel all end up here: a dialog the user dismissed must
// not leave its job running unseen.
void QConvertProgressDlg::reject() {
    const bool shown = isVisible();
    QRZDialogEx::reject();
    if (shown) {
        emit emitCancel();
    }
}

void QConvertProgressDlg::finish() {
    done(QDialog::Accepted);
}

void QConvertProgressDlg::relayout() {
    m_lblConvert->move(28, 58);
    m_bpConvert->setGeometry(28, (height() - m_bpConvert->height() - 46) / 2 + 38, width() - 56, m_bpConvert->height());
    m_btnCancel->move(width() - 28 - m_btnCancel->width(), height() - 28 - m_btnCancel->height());
}
