// The editor's audio tab: the file's audio track, the volume, a background audio file
// with its weight and repeat flag, and a sound-effect pack (an equaliser curve and a
// playing rate). Works on the settings holder's records only. GUI thread only.
#pragma once

#include <QWidget>

class QAudioEffectManager;
class QCommonButtonForm;
class QHorizontalListFrom;
class QLabel;
class QRZBaseButton;
class QRZBaseSlider;
class QRZCheckBox;
class QRZComboBox;
class QRZLineEdit;
class QRZScrollBar;
class QVideoEditingSettings;

class QAudioOperationForm : public QWidget {
    Q_OBJECT

public:
    explicit QAudioOperationForm(QWidget* parent = nullptr);
    ~QAudioOperationForm() override;

    // Also clears the set-up flag and disconnects the track list until the next load.
    void setVideoEditingSettings(QVideoEditingSettings* settings);

signals:
    void emitApplyToAll();

public slots:
    void onSetBgVoice();
    void onRepeat();
    void valuetextEdited(const QString& text);
    void progressValue(double fraction);
    void audioSelectedChanged(int index);
    void effectsCurrentIndexChanged(int index);
    void reset();
    void loadingSetting();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void storeVolume(int volume);
    void setBackgroundFile(const QString& path);

    QLabel* m_lblTrack;
    QRZComboBox* m_cbbAudioList;
    QLabel* m_lblVolume;
    QRZBaseSlider* m_sliderVolume;
    QRZLineEdit* m_leVolumeValue;
    QLabel* m_lblFile;
    QRZLineEdit* m_leBgVoicePath;
    QRZBaseButton* m_btnSetBgVoice;
    QRZCheckBox* m_cbxRepeat;
    QLabel* m_lblWeight;
    QRZBaseSlider* m_sliderBgVoice;
    QRZLineEdit* m_leBgVoiceValue;
    QLabel* m_lblSoundEffects;
    QHorizontalListFrom* m_effectsList;
    QCommonButtonForm* m_buttonFrom;

    bool m_loaded = false;
    QRZScrollBar* m_listScrollBar = nullptr;
    QAudioEffectManager* m_effectManager = nullptr;
    QVideoEditingSettings* m_settings = nullptr;
};
