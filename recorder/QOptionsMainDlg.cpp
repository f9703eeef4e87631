#include "recorder/QOptionsMainDlg.h"

#include "app/SettingsFile.h"
#include "recorder/QBasicOptions.h"
#include "recorder/QCursorOptions.h"
#include "recorder/QTimeOptions.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/StyleHelpers.h"

#include <QPainter>

QBaseOptionsWgt::QBaseOptionsWgt(QWidget* parent) : QRZWidget(parent) {
    setResizeFlags(0);
    setBackgroundColor(QColor(74, 72, 72));
    setWidgetTextColor(this, QPalette::WindowText, QColor(217, 106, 114));
    setWidgetFont(this, 12);
    setTitleTextRect(QRect(12, 5, 0, 0));
}

QBaseOptionsWgt::~QBaseOptionsWgt() = default;

bool QBaseOptionsWgt::storeSetting(const QString& section, const QString& key, const QString& value) {
    return checkSaved(writeSettingValue(section, key, value));
}

bool QBaseOptionsWgt::checkSaved(bool saved) {
    if (!saved) {
        tellNotSavedLater(this, tr("Your options could not be saved."));
    }
    return saved;
}

void QBaseOptionsWgt::relayout() {
    layoutControls();
}

void QBaseOptionsWgt::placeLabelLeftOf(QWidget* label, const QWidget* control) {
    label->move(control->x() - label->width() - 5, control->y() + (control->height() - label->height()) / 2);
}

QOptionsMainDlg::QOptionsMainDlg(QWidget* parent) : QRZWidget(parent) {
    setObjectName(QStringLiteral("QOptionsMainDlg"));
    resize(406, 257);
    setWindowTitle(tr("Form"));
    setResizeFlags(0);
    m_btnReset = new QRZBaseButton(this);
    m_btnReset->setObjectName(QStringLiteral("m_btnReset"));
    m_btnReset->setGeometry(310, 220, 75, 23);

    m_basic = new QBasicOptions(this);
    m_basic->setGeometry(1, 20, 268, 200);
    m_time = new QTimeOptions(this);
    m_time->setGeometry(271, 20, 239, 200);
    m_cursor = new QCursorOptions(this);
    m_cursor->setGeometry(512, 20, 175, 200);

    styleCommonButton(m_btnReset, 72, 24);
    connect(m_btnReset, &QAbstractButton::clicked, this, &QOptionsMainDlg::OnReset);
    m_btnReset->setText(tr("Reset"));
}

QOptionsMainDlg::~QOptionsMainDlg() {
    delete m_basic;
    delete m_time;
    delete m_cursor;
}

void QOptionsMainDlg::OnReset() {
    m_basic->reset();
    m_time->reset();
    m_cursor->reset();
}

void QOptionsMainDlg::paintEvent(QPaintEvent* event) {
    QRZWidget::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(74, 72, 72));
    QPen pen(QColor(67, 63, 63), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setPen(pen);
    painter.drawLine(270, 20, 270, 220);
    painter.drawLine(511, 20, 511, 220);
    m_btnReset->move(width() - m_btnReset->width() - 20, height() - m_btnReset->height() - 12);
}
