// The two text style dialogs of the editor: QWatermartTextSettingDlg styles the text
// watermark, QSubtitleSettingDlg the subtitles. Both edit font, colours, shadow,
// outline and spacing of a record in the settings holder and store every change at
// once (the preview shows it); OK and Cancel only close, nothing is undone. The twins
// differ in the record they edit and in a few sizes, which the subclasses supply.
// GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

#include <QString>

#include <cstdint>

class QLabel;
class QRZBaseButton;
class QRZButtonExtend;
class QRZDoubleSpinBox;
class QVideoEditingSettings;

// The style fields both records share.
struct TextLook {
    std::string fontName; // UTF-8; empty: the default font
    int32_t fontSize = 0; // points
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strikeout = 0;
    uint32_t fontColour = 0;
    uint32_t shadowColour = 0;
    uint32_t outlineColour = 0;
    double shadowOffset = 0;
    double outlineSize = 0;
    double spacingHorizontal = 0;
    double spacingVertical = 0;
};

class QTextStyleSettingDlg : public QRZDialog {
    Q_OBJECT

public:
    void setVideoEditingSettings(QVideoEditingSettings* settings) { m_settings = settings; }

public slots:
    void onFont();
    void onColor();
    void valueChanged(double value);
    void onReset();

protected:
    // columnGap: the gap between a label column and its controls; okWidth: the width of
    // OK and Cancel.
    QTextStyleSettingDlg(QWidget* parent, int columnGap, int okWidth);

    // The record's style fields, read from and stored into the holder.
    virtual bool readLook(TextLook* look) const = 0;
    virtual void storeLook(const TextLook& look) = 0;

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    QVideoEditingSettings* m_settings = nullptr;
    QRZBaseButton* m_btnOK;
    QRZBaseButton* m_btnCancel;

private:
    void nameChildren();
    void styleWindow();
    void placeLabels();
    void styleButtons(int okWidth);
    void setUpSpinBoxes();
    void loadControls();
    void showFontName(const std::string& family);
    void layoutControls();

    QLabel* m_lblFontColor;
    QLabel* m_lblFontName;
    QLabel* m_lblShadow;
    QLabel* m_lblShadowOff;
    QLabel* m_lblOutline;
    QLabel* m_lblOutlineSize;
    QLabel* m_lblSpacingH;
    QLabel* m_lblSpacingV;
    QRZButtonExtend* m_btnTextColor;
    QRZButtonExtend* m_btnShadowColor;
    QRZButtonExtend* m_btnOutlineColor;
    QRZBaseButton* m_btnFont;
    QRZDoubleSpinBox* m_dspShadowOff;
    QRZDoubleSpinBox* m_dspOutlineSize;
    QRZDoubleSpinBox* m_dspSpacingH;
    QRZDoubleSpinBox* m_dspSpacingV;
    QRZBaseButton* m_btnReset;
    QRZBaseButton* m_btnClose;
    QRZBaseButton* m_btnMin;
    QRZBaseButton* m_btnMax;
    bool m_loaded = false;
    int m_columnGap;
};

// Styles the text part of the watermark record; stored with the read-back flag, without
// reloading files. Emits emitDlgClose when it closes.
class QWatermartTextSettingDlg : public QTextStyleSettingDlg {
    Q_OBJECT

public:
    explicit QWatermartTextSettingDlg(QWidget* parent = nullptr);

signals:
    void emitDlgClose();

protected:
    bool readLook(TextLook* look) const override;
    void storeLook(const TextLook& look) override;
    void closeEvent(QCloseEvent* event) override;
};

// Styles the subtitle text style; OK accepts.
class QSubtitleSettingDlg : public QTextStyleSettingDlg {
    Q_OBJECT

public:
    explicit QSubtitleSettingDlg(QWidget* parent = nullptr);

protected:
    bool readLook(TextLook* look) const override;
    void storeLook(const TextLook& look) override;
};
