// The toolkit's process-wide settings (product title and words, message-box margins and
// band heights, font), filled once by setupToolkitStyle at the end of the main window's
// construction; and fadeOutAndClose. GUI thread only; the singleton is unguarded.
#pragma once

#include <QFont>
#include <QMargins>
#include <QString>

class QWidget;

class QRZAppInfo {
public:
    // Created on the first call; lives until releaseToolkitSettings.
    static QRZAppInfo* instance();
    static void release();

    void setCompanyWord(const QString& word);
    QString companyWord() const;
    void setProductTitle(const QString& title);
    QString productTitle() const;
    void setShortTitle(const QString& title);
    QString shortTitle() const;
    // Message-box title band and bottom band heights.
    void setBandHeights(int titleBand, int bottomBand);
    int titleBandHeight() const;
    int bottomBandHeight() const;
    void setMargins(int margin);
    QMargins margins() const;
    void setFont(const QFont& font);
    QFont font() const;

private:
    QRZAppInfo() = default;
    QString m_companyWord;
    QString m_productTitle;
    QString m_shortTitle;
    int m_titleBand = 30;
    int m_bottomBand = 50;
    QMargins m_margins{0, 0, 0, 0};
    QFont m_font;
};

// Fills QRZAppInfo with the program's words and look and installs the message-box style
// hook. `mainWindow` (may be null) gives the font.
void setupToolkitStyle(QWidget* mainWindow);
void releaseToolkitSettings();

// Fades the window out over 400 ms, then closes it.
void fadeOutAndClose(QWidget* window);
