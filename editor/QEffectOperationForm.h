// The editor's effect tab: brightness, contrast, saturation and hue sliders with value
// boxes, and two thumbnail lists of packs: video effects (laid over the picture as the
// edit's first watermark) and frames (the second watermark). Works on the settings
// holder's records only; every change is stored back at once. GUI thread only.
#pragma once

#include <QWidget>

class QCommonButtonForm;
class QFrameChunkManager;
class QHorizontalListFrom;
class QLabel;
class QRZBaseSlider;
class QRZLineEdit;
class QRZScrollBar;
class QVideoEditTag;
class QVideoEditingSettings;
class QVideoEffectManager;
struct VEEffectPack;
struct VEWatermarkImage;

class QEffectOperationForm : public QWidget {
    Q_OBJECT

public:
    explicit QEffectOperationForm(QWidget* parent = nullptr);
    ~QEffectOperationForm() override;

    void setVideoEditingSettings(QVideoEditingSettings* settings) { m_settings = settings; }

    // The pack picture nearest the video's shape (width / height); an empty path for a
    // pack without pictures. Also gives the chosen picture's index in the pack (-1: none).
    static QString overlayImagePath(const VEEffectPack& pack, double videoRatio, int* chosen = nullptr);
    // The centred part of an image of the given size that has the video's shape, as
    // fractions (x, y, width, height); the whole image when either size is unknown.
    static void centredCrop(int videoWidth, int videoHeight, int imageWidth, int imageHeight, double rect[4]);

signals:
    void emitApplyToAll();

public slots:
    void selectedTag(int index);
    void progressValue(double fraction);
    void textEdited(const QString& text);
    void effectsListIndexChanged(int index);
    void frameListIndexChanged(int index);
    void reset();
    void loadingSetting();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum Field { Brightness, Contrast, Saturation, Hue };
    void storeField(Field field, int value);
    void videoSize(int* width, int* height) const;

    QLabel* m_lblBrightness;
    QLabel* m_lblContrast;
    QLabel* m_lblSaturation;
    QLabel* m_lblHue;
    QRZBaseSlider* m_sliderBrightness;
    QRZBaseSlider* m_sliderContrast;
    QRZBaseSlider* m_sliderSaturation;
    QRZBaseSlider* m_sliderHue;
    QRZLineEdit* m_leBrightnessValue;
    QRZLineEdit* m_leConstrastValue;
    QRZLineEdit* m_leSaturationValue;
    QRZLineEdit* m_leHueValue;
    QVideoEditTag* m_effectTag;
    QHorizontalListFrom* m_effectsList;
    QHorizontalListFrom* m_frameList;
    QCommonButtonForm* m_buttonFrom;

    QFrameChunkManager* m_frameManager = nullptr;
    QVideoEffectManager* m_effectManager = nullptr;
    bool m_shown = false;
    QRZScrollBar* m_effectsScrollBar = nullptr;
    QRZScrollBar* m_frameScrollBar = nullptr;
    QVideoEditingSettings* m_settings = nullptr;
};
