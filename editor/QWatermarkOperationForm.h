// The editor's watermark tab: a picture and a text laid over the video, each with its
// transparency, kept in the edit's third watermark record. The text's look is edited in
// the text style dialog, which the editor window opens on emitWatermartTextSetting;
// position and size are dragged on the preview. Works on the settings holder's record
// only. GUI thread only.
#pragma once

#include <QWidget>

class QCommonButtonForm;
class QLabel;
class QRZBaseButton;
class QRZBaseSlider;
class QRZButtonExtend;
class QRZLineEdit;
class QRZScrollBar;
class QRZTextEdit;
class QVideoEditingSettings;

class QWatermarkOperationForm : public QWidget {
    Q_OBJECT

public:
    explicit QWatermarkOperationForm(QWidget* parent = nullptr);
    ~QWatermarkOperationForm() override;

    void setVideoEditingSettings(QVideoEditingSettings* settings) { m_settings = settings; }

signals:
    void emitApplyToAll();
    void emitReset();
    void emitWatermartTextSetting();
    // true just before the picture file dialog opens, false when it has closed.
    void emitOpenDlg(bool open);

public slots:
    void loadingSetting();
    void onSetAddWKImg();
    void onDeleteImage();
    void progressValue(double fraction);
    void wkTextEdited();
    void alphaTextEdited(const QString& text);
    void reset();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_lblWatermarkImage;
    QRZButtonExtend* m_btnAddWKImg;
    QRZBaseButton* m_btnDelete;
    QLabel* m_lblTransparency;
    QRZBaseSlider* m_sliderAlpha;
    QRZLineEdit* m_leAlphaValue;
    QCommonButtonForm* m_buttonFrom;
    QRZBaseButton* m_btnSetWKTFont;
    QLabel* m_lblWatermarkText;
    QRZTextEdit* m_leAddWKText;
    QRZBaseSlider* m_sliderTextAlpha;
    QRZLineEdit* m_leTextAlphaValue;
    QLabel* m_lblTextTransparency;

    bool m_shown = false;
    QVideoEditingSettings* m_settings = nullptr;
    QRZScrollBar* m_textScrollBar = nullptr;
};
