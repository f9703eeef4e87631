// The editor's Adjust tab: crop size, aspect choice, rotation and mirror of the
// picture. It edits only the crop record of the settings holder: every control reads
// the record, changes it and stores it back (which pushes it to the preview player);
// the player's crop reports (also from drags of the crop frame) come back into the size
// edits. With no video size (a sound-only file, no player) the size edits change
// nothing. GUI thread only.
#pragma once

#include "media/VEEditConfig.h"

#include <QWidget>

class QCommonButtonForm;
class QLabel;
class QRZBaseButton;
class QRZComboBox;
class QRZLineEdit;
class QVideoEditingSettings;

class QAdjustOperationForm : public QWidget {
    Q_OBJECT

public:
    enum AspectItem { OriginalDisplay = 0, OriginalResolution, FullScreen, Wide, Standard, PanScan };

    explicit QAdjustOperationForm(QWidget* parent = nullptr);
    ~QAdjustOperationForm() override;

    // Stores the holder and follows its controller's crop reports.
    void setVideoEditingSettings(QVideoEditingSettings* settings);

    QRZLineEdit* widthEdit() const { return m_leCropArea_W; }
    QRZLineEdit* heightEdit() const { return m_leCropArea_H; }
    QRZComboBox* aspectBox() const { return m_cbbAspectRatio; }
    QLabel* originalSizeLabel() const { return m_lblOriginalSizeValue; }
    QCommonButtonForm* buttonStrip() const { return m_buttonFrom; }
    QRZBaseButton* button(const char* objectName) const;

signals:
    void emitApplyToAll();

public slots:
    void aspectRatioChanged(int index);
    void onRotate_R_90();
    void onRotate_L_90();
    void onFlipH();
    void onFlipV();
    void cropAreaChanged(QString text);
    void cropAreaChange(VECropSettings crop);
    void reset();
    void loadingSetting();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void placeOriginalSize();
    QRZBaseButton* makeButton(const char* objectName, const char* image, const QString& tip);
    QLabel* makeLabel(const char* objectName, const QString& text);
    void showCropSize(double widthFactor, double heightFactor);
    void showCropSizeOf(const VECropSettings& crop);
    void setAspectIndexQuietly(int index);

    bool m_setUp = false;
    bool m_showingRecord = false; // the combo is set from the record, not by the user
    QVideoEditingSettings* m_settings = nullptr;
    QRZBaseButton* m_btnRotate_L_90;
    QRZBaseButton* m_btnRotate_R_90;
    QRZBaseButton* m_btnFlipH;
    QRZBaseButton* m_btnFlipV;
    QLabel* m_lblRotion;
    QLabel* m_lblCropAreaSize;
    QRZLineEdit* m_leCropArea_W;
    QRZLineEdit* m_leCropArea_H;
    QLabel* m_lblX;
    QLabel* m_lblOriginalSize;
    QLabel* m_lblOriginalSizeValue;
    QLabel* m_lblAspectRatio;
    QRZComboBox* m_cbbAspectRatio;
    QCommonButtonForm* m_buttonFrom;
};

// The crop record's rectangle that the size edits show: the second one ("pan-scan")
// while it is enabled, chosen and the aspect is not "Full Screen", else the first.
bool usesPanScanRect(const VECropSettings& crop);
