// The editor's subtitle tab: which subtitle track is shown over the video (external
// subtitle files the user adds are listed with the holder's track list), and where and
// how: transparency, position, margin and scale. Font and colours are edited in the
// subtitle style dialog, opened by the editor window on emitSubtitleSetting. Works on the
// settings holder's records only. GUI thread only.
#pragma once

#include <QWidget>

class QCommonButtonForm;
class QLabel;
class QRZBaseButton;
class QRZBaseSlider;
class QRZComboBox;
class QRZLineEdit;
class QRZRadioButton;
class QRZScrollBar;
class QVideoEditingSettings;

class QSubtitleOperationForm : public QWidget {
    Q_OBJECT

public:
    explicit QSubtitleOperationForm(QWidget* parent = nullptr);
    ~QSubtitleOperationForm() override;

    // Also disconnects the track list from subtitleSelectedChanged until the next load.
    void setVideoEditingSettings(QVideoEditingSettings* settings);

    // "(name without its last suffix)[SUFFIX]", as the track list shows a subtitle file.
    static QString subtitleDisplayText(const QString& path);
    // 1000 x log2(scale / 100) + 2000: the scale slider's value for a percentage.
    static double scaleSliderValue(double scalePercent);
    // The percentage of a scale slider fraction; the middle (0.49 to 0.51) gives 100.
    static double scaleFromFraction(double fraction);

signals:
    void emitApplyToAll();
    void emitAddSubtitleToCmb(QString text, QString path);
    void emitSubtitleSetting();

public slots:
    void loadingSetting();
    void subtitleSelectedChanged(int index);
    void onSetFamily();
    void progressValue(double fraction);
    void valueTextEdited(const QString& text);
    void onRadioButton();
    void reset();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void nameChildren();
    void fitLabels();
    void setUpTrackAndFile();
    void setUpPlacement();
    void addSubtitleFile(const QString& path);

    QLabel* m_lblTrack;
    QRZComboBox* m_cbbSubtitleList;
    QLabel* m_lblFile;
    QRZLineEdit* m_leFamilyPath;
    QRZBaseButton* m_btnSetFamily;
    QRZBaseButton* m_btnSetSubtitleFont;
    QLabel* m_lblPosition;
    QRZRadioButton* m_rbtnTop;
    QRZRadioButton* m_rbtnMiddle;
    QRZRadioButton* m_rbtnBottom;
    QLabel* m_lblMargin;
    QRZBaseSlider* m_sliderPosition;
    QRZLineEdit* m_lePositionValue;
    QLabel* m_lblTransparency;
    QRZBaseSlider* m_sliderAlpha;
    QRZLineEdit* m_leAlphaValue;
    QLabel* m_lblScale;
    QRZBaseSlider* m_sliderScale;
    QRZLineEdit* m_leScaleValue;
    QCommonButtonForm* m_buttonFrom;

    bool m_loaded = false;
    QVideoEditingSettings* m_settings = nullptr;
    QRZScrollBar* m_listScrollBar = nullptr;
};
