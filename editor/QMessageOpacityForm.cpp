#include "editor/QMessageOpacityForm.h"

#include "editor/EditorStyle.h"
#include "editor/TranslucentWindow.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int kHoldMs = 1000;
constexpr int kStepMs = 50;
} // namespace

QMessageOpacityForm::QMessageOpacityForm(QWidget* parent)
    : QRZDialog(parent), m_lblText(new QLabel(this)), m_ckbNote(new QRZCheckBox(this)),
      m_btnClose(new QRZBaseButton(this)), m_btnOk(new QRZBaseButton(this)), m_lblSuppport(new QLabel(this)),
      m_btnMin(new QRZBaseButton(this)), m_btnMax(new QRZBaseButton(this)), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("QMessageOpacityForm"));
    resize(532, 248);
    m_lblText->setObjectName(QStringLiteral("m_lblText"));
    m_ckbNote->setObjectName(QStringLiteral("m_ckbNote"));
    m_btnClose->setObjectName(QStringLiteral("m_btnClose"));
    m_btnOk->setObjectName(QStringLiteral("m_btnOk"));
    m_lblSuppport->setObjectName(QStringLiteral("m_lblSuppport"));
    m_btnMin->setObjectName(QStringLiteral("m_btnMin"));
    m_btnMax->setObjectName(QStringLiteral("m_btnMax"));
    m_btnOk->setText(QStringLiteral("Ok"));
    m_btnOk->setGeometry(200, 180, 75, 23);
    setEditorLabel(m_lblText, QString(), 12);

    setAttribute(Qt::WA_TranslucentBackground, true);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    connect(m_timer, &QTimer::timeout, this, &QMessageOpacityForm::onTimer);
    m_btnClose->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_close.png")), true);
    m_btnMin->hide();
    m_btnMax->hide();
    m_btnMin->setToolTip(tr("Minimize"));
    m_btnMax->setToolTip(tr("Maximize"));
    m_btnClose->setToolTip(tr("Close"));
    m_btnOk->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_common.png")), true);
    m_btnOk->resize(75, 23);
    m_btnOk->setTextColors(EditorColors::text(), EditorColors::text(), EditorColors::text(), EditorColors::text());
    setWidgetFontFamily(m_btnOk, QStringLiteral("Tahoma"), 12);
    connect(m_btnClose, &QRZBaseButton::clicked, this, &QMessageOpacityForm::onClose);
    connect(m_btnOk, &QRZBaseButton::clicked, this, &QMessageOpacityForm::onClose);
    connect(m_lblSuppport, &QLabel::linkActivated, this, &QMessageOpacityForm::openUrl);
    loadBackgroundImage(editorImagePath(QStringLiteral("/VEditSource/bg_3.png")), false);
    setFixedSize(351, 125);
    setBackgroundMargins(50, 50, 50, 50, 50, 50, 50, 50);
}

QMessageOpacityForm::~QMessageOpacityForm() = default;

void QMessageOpacityForm::relayout() {
    m_btnClose->move(width() - m_btnClose->width() - 8, 8);
}

void QMessageOpacityForm::setMessage(const QString& text) {
    m_lblText->setText(text);
    m_lblText->adjustSize();
    const int w = width();
    const int h = height();
    m_lblText->setGeometry(QRect(QPoint(50, h / 2 - 5), QPoint(w + 49, h / 2 + 34)));
    m_lblText->setWordWrap(true);
    m_lblText->setAlignment(Qt::AlignTop);
}

void QMessageOpacityForm::restartFade() {
    setWindowOpacity(1.0);
    m_timer->start(kHoldMs);
}

bool QMessageOpacityForm::isFading() const {
    return m_timer->isActive();
}

void QMessageOpacityForm::onTimer() {
    const double opacity = windowOpacity();
    if (opacity > 0.9) {
        // Past the hold: one step of 0.1 every 50 ms from here on.
        m_timer->start(kStepMs);
        setWindowOpacity(opacity - 0.1);
        return;
    }
    if (opacity < 0.1) {
        m_timer->stop();
        close();
        return;
    }
    setWindowOpacity(opacity - 0.1);
}

void QMessageOpacityForm::onClose() {
    setWindowOpacity(1.0);
    m_timer->stop();
    close();
}

void QMessageOpacityForm::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void QMessageOpacityForm::showLink(int x, int y, bool show) {
    m_lblSuppport->setVisible(show);
    m_lblSuppport->move(x, y);
}

void QMessageOpacityForm::showNote(bool show) {
    m_ckbNote->setVisible(show);
}

void QMessageOpacityForm::moveToScreenCorner(QWidget* reference) {
    QScreen* screen = reference ? reference->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    move(area.right() - width() + 1, area.bottom() - height() + 1);
}

void QMessageOpacityForm::enterEvent(QEvent* event) {
    QRZDialog::enterEvent(event);
    if (m_hoverHold) {
        setWindowOpacity(1.0);
        m_timer->stop();
    }
}

void QMessageOpacityForm::leaveEvent(QEvent* event) {
    QRZDialog::leaveEvent(event);
    if (m_hoverHold) {
        setWindowOpacity(1.0);
        m_timer->start(kHoldMs);
    }
}

void QMessageOpacityForm::showEvent(QShowEvent* event) {
    QRZDialog::showEvent(event);
    maskToPaintedArea(this);
}
