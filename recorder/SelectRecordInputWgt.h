// The audio-input panel of the main window: one toggle per sound source (system sound
// and microphone) with a live level bar inside it and a volume slider beside it, and the
// list of microphone inputs. It keeps the audio-source and device-present bits of the
// recording settings up to date, stores the source choice in the settings file at each
// click, and reaches the system mixer through the audio-device library, which it loads
// at run time (working without it when it is missing). GUI thread only.
#pragma once

#include "toolkit/QRZWidget.h"

class IAudioDevice;
class QLabel;
class QLibrary;
class QRZBaseButton;
class QRZBaseProgress;
class QRZBaseSlider;
class QRZComboBox;
class QTimer;

class SelectRecordInputWgt : public QRZWidget {
    Q_OBJECT
public:
    explicit SelectRecordInputWgt(QWidget* parent = nullptr);
    ~SelectRecordInputWgt() override;

    // The audio-device library the panels load: the application folder's
    // "libcalvorine_audiodev.so" unless a test named another file before.
    static QString deviceLibraryPath();
    static void setDeviceLibraryPath(const QString& path);

    // On: the device list and volumes are polled every 200 ms; off stops that.
    void setDeviceRefresh(bool on);
    // The recording volume handed to the recorder's start: always 100.
    float recordVolume() const { return 100.0f; }
    bool hasDevice() const { return m_device != nullptr; }
    int systemLevel() const { return m_systemLevel; }
    int microphoneLevel() const { return m_microphoneLevel; }

    // Makes sure the settings file holds which sources are on, as the panel does when it
    // goes (which then writes nothing more); false when that could not be saved.
    bool storeSourceChoiceAtExit();

    void relayout() override;

signals:
    void emitMicDeviceChange();

public slots:
    void OnBtnSystemAudio();
    void OnBtnMicAudio();
    void SystemAudioChange();
    void MicAudioChange();
    void MicDeviceChange(int row);
    void RefreshRecDevTimer();
    void refreshRecordVolume();
    void recorderVulumeChange(double fraction);
    void systemAudioVolume(int level);
    void MicrophoneAudioVolume(int level);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setupForm();
    void styleForm();
    void loadDeviceLibrary();
    void fillMicrophoneList();
    // Stores which sources are on; false when it could not be saved.
    bool writeSourceChoice();
    // The same for a choice the user just made: told when it could not be saved.
    void storeSourceChoice();
    QRZBaseProgress* makeLevelBar(QWidget* button);
    // Shows a line's volume on its slider: 0 and disabled when the line is unknown, 100
    // and disabled when its volume cannot be read, 0 (enabled) when muted.
    void showLineVolume(QRZBaseSlider* slider, int status, int volume, int mute);

    QRZBaseButton* m_btnSystemAudio = nullptr;
    QRZBaseButton* m_btnMicDevice = nullptr;
    QLabel* m_labSystemAudio = nullptr;
    QRZBaseSlider* m_sliderVolume = nullptr;
    QRZComboBox* m_cmbMicDevice = nullptr;
    QLabel* m_labMicDevice = nullptr;
    QRZBaseSlider* m_sliderSysVolume = nullptr;
    int m_systemLevel = 0;
    bool m_choiceStoredAtExit = false;
    int m_microphoneLevel = 0;
    QRZBaseProgress* m_systemLevelBar = nullptr;
    QRZBaseProgress* m_microphoneLevelBar = nullptr;
    IAudioDevice* m_device = nullptr;
    QLibrary* m_library = nullptr;
    QTimer* m_refreshTimer = nullptr;
};
