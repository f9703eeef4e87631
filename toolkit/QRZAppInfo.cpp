#include "toolkit/QRZAppInfo.h"

#include "toolkit/QRZMessageBox.h"
#include "toolkit/StyleHelpers.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

namespace {
QRZAppInfo* g_appInfo = nullptr;

void programMessageBoxStyle(QRZMessageBoxStyle& style) {
    style.okText = QCoreApplication::translate("QRZMessageBox", "OK");
    style.cancelText = QCoreApplication::translate("QRZMessageBox", "Cancel");
    style.yesText = QCoreApplication::translate("QRZMessageBox", "YES");
    style.noText = QCoreApplication::translate("QRZMessageBox", "NO");
    style.buttonTextColors[0] = ToolkitColors::lightText();
    style.buttonTextColors[1] = ToolkitColors::lightText();
    style.buttonTextColors[2] = ToolkitColors::lightText();
    style.buttonTextColors[3] = ToolkitColors::messageDisabledText();
    style.titleBandHeight = 30;
    style.bottomBandHeight = 50;
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    style.titleFont = font;
    style.textFont = font;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        style.palette.setColor(QPalette::ColorGroup(group), QPalette::WindowText, ToolkitColors::lightText());
        style.palette.setColor(QPalette::ColorGroup(group), QPalette::Text, ToolkitColors::lightText());
    }
    style.iconOffset = -7;
}
} // namespace

QRZAppInfo* QRZAppInfo::instance() {
    if (g_appInfo == nullptr) {
        g_appInfo = new QRZAppInfo;
    }
    return g_appInfo;
}

void QRZAppInfo::release() {
    delete g_appInfo;
    g_appInfo = nullptr;
}

void QRZAppInfo::setCompanyWord(const QString& word) {
    m_companyWord = word;
}
QString QRZAppInfo::companyWord() const {
    return m_companyWord;
}
void QRZAppInfo::setProductTitle(const QString& title) {
    m_productTitle = title;
}
QString QRZAppInfo::productTitle() const {
    return m_productTitle;
}
void QRZAppInfo::setShortTitle(const QString& title) {
    m_shortTitle = title;
}
QString QRZAppInfo::shortTitle() const {
    return m_shortTitle;
}

void QRZAppInfo::setBandHeights(int titleBand, int bottomBand) {
    m_titleBand = titleBand;
    m_bottomBand = bottomBand;
}

int QRZAppInfo::titleBandHeight() const {
    return m_titleBand;
}
int QRZAppInfo::bottomBandHeight() const {
    return m_bottomBand;
}
void QRZAppInfo::setMargins(int margin) {
    m_margins = QMargins(margin, margin, margin, margin);
}
QMargins QRZAppInfo::margins() const {
    return m_margins;
}
void QRZAppInfo::setFont(const QFont& font) {
    m_font = font;
}
QFont QRZAppInfo::font() const {
    return m_font;
}

void setupToolkitStyle(QWidget* mainWindow) {
    QRZAppInfo* info = QRZAppInfo::instance();
    info->setCompanyWord(QStringLiteral("Calvorine"));
    info->setProductTitle(QStringLiteral("Calvorine Screen Recorder"));
    info->setShortTitle(QStringLiteral("Screen Recorder"));
    info->setMargins(8);
    info->setBandHeights(30, 40);
    if (mainWindow != nullptr) {
        info->setFont(mainWindow->font());
    }
    setMessageBoxStyleHook(programMessageBoxStyle);
}

void releaseToolkitSettings() {
    QRZAppInfo::release();
}

void fadeOutAndClose(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    auto* animation = new QPropertyAnimation(window, "windowOpacity", window);
    animation->setDuration(400);
    animation->setStartValue(1.0);
    animation->setEndValue(0.0);
    QPointer<QWidget> guarded(window);
    QObject::connect(animation, &QPropertyAnimation::finished, window, [guarded]() {
        if (guarded) {
            guarded->close();
        }
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
