// The custom settings panel of the format chooser: the encoder-level choices of the
// selected profile in nine combos on a Video and an Audio tab, set for the chosen
// quality preset, re-read from the catalogue when the user picks another codec,
// resolution or channel layout, and written as the profile's custom record when the
// chooser's OK is pressed. Codec and channel rows carry the catalogue's value as item
// data; they are matched by it, never by the shown text. GUI thread only.
#pragma once

#include "toolkit/QRZWidget.h"

#include "media/CProfileManager.h"

#include <memory>

class QLabel;
class QRZBaseButton;
class QRZComboBox;
struct FormatSetting;

class QFormatSettingDlg : public QRZWidget {
    Q_OBJECT
public:
    explicit QFormatSettingDlg(QWidget* parent = nullptr);
    ~QFormatSettingDlg() override;

    QString category() const { return m_category; }
    QString profileId() const { return m_profileId; }
    bool hasProfile() const { return m_detail != nullptr; }

    // Loads a profile's choices into the combos (reset: forgets the previous profile and
    // its kept custom record first). Nothing happens for a null detail.
    void setProfileDetail(const ProfileDetail* detail, bool reset);
    // 0 small size, 1 high quality, 2 customized (the kept or stored custom record; high
    // quality when there is none).
    void setQualityMode(int mode);
    // Writes the combos as the profile's custom record; nothing while no profile is
    // loaded.
    // False when the custom record could not be saved.
    bool saveCustomSetting();

    // The combos, for the chooser's tests.
    QRZComboBox* videoEncoderCombo() const { return m_cmbVEncoder; }
    QRZComboBox* resolutionCombo() const { return m_cmbVResolution; }
    QRZComboBox* frameRateCombo() const { return m_cmbVFrame; }
    QRZComboBox* videoBitRateCombo() const { return m_cmbVBitRate; }
    QRZComboBox* qualityCombo() const { return m_cmbVQuality; }
    QRZComboBox* audioEncoderCombo() const { return m_cmbAEncoder; }
    QRZComboBox* channelCombo() const { return m_cmbAChannel; }
    QRZComboBox* sampleRateCombo() const { return m_cmbASample; }
    QRZComboBox* audioBitRateCombo() const { return m_cmbABitRate; }
    QRZBaseButton* videoTab() const { return m_btnVideo; }
    QRZBaseButton* audioTab() const { return m_btnAudio; }

    // "Auto" for "Auto" or "0", "Mono" 1, "Stereo" 2, "5.1 Surround" 6, else the value.
    static QString channelDisplayText(const QString& value);

signals:
    void emitCustomized();

public slots:
    void CmbItemChange(int row);
    void setAudioDlgCtrl(bool audioOnly);
    void ShowVideoSet(bool video);
    void OnClickVideo();
    void OnClickAudio();

protected:
    void paintEvent(QPaintEvent* event) override;
    void relayout() override;

private:
    bool applyCustomSetting(const QString& id);
    // The combos as they stand, as a custom record.
    FormatSetting currentSetting() const;
    void collectCustomSetting();
    void selectCustomSetting(const FormatSetting* record);
    void resetToFirstItems();
    void clearProfile();
    void styleLabel(QLabel* label);
    void fillQualityItems();
    // Re-reads the profile with the four encoder-level choices now shown.
    const ProfileDetail* readShownDetail() const;

    // A copy: the catalogue's own record changes with its next read.
    std::unique_ptr<ProfileDetail> m_detail;
    QString m_category;
    QString m_profileId;
    std::unique_ptr<FormatSetting> m_custom;
    // The tab the user last clicked; an audio-only profile shows Audio whatever it is.
    bool m_videoTabChosen = true;

    QLabel* m_labBitRate;
    QRZComboBox* m_cmbVFrame;
    QRZComboBox* m_cmbVBitRate;
    QRZComboBox* m_cmbVEncoder;
    QRZComboBox* m_cmbVResolution;
    QLabel* m_labCodec;
    QRZComboBox* m_cmbASample;
    QLabel* m_labReslution;
    QLabel* m_labChannel;
    QLabel* m_labFrame;
    QRZComboBox* m_cmbABitRate;
    QRZComboBox* m_cmbAEncoder;
    QLabel* m_labABitRate;
    QLabel* m_labACodec;
    QRZComboBox* m_cmbAChannel;
    QLabel* m_labSampleRate;
    QRZBaseButton* m_btnAudio;
    QRZBaseButton* m_btnVideo;
    QRZComboBox* m_cmbVQuality;
    QLabel* m_labQuality;
};
