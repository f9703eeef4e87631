// The image-watermark dialog of recordings ("Watermark Setting"): image file, one of
// nine positions, horizontal and vertical margins, transparency and scale, with a live
// preview (QImageViewButton). It works on a copy of a WatermarkImageSettings record;
// the caller reads the record back after an accepted run. GUI thread only.
#pragma once

#include "app/QRecordAreaInfo.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZDialog.h"

#include <QImage>
#include <QList>

class QLabel;
class QRZBaseSlider;
class QRZLineEditEx;
class QRZRadioButton;

// Where the watermark lands in a picture of `area` size: the image fitted into half the
// area, scaled by the record, placed by position and margins. `source` is the part of
// the scaled image that is shown, `destination` where its top-left corner goes; an
// empty source shows nothing.
struct WatermarkPlacement {
    QSize scaledSize;
    QRect source;
    QPoint destination;
};
WatermarkPlacement placeWatermark(const QSize& area, const QSize& image, const WatermarkImageSettings& settings);

// Scale slider (0-200, middle 100 %) <-> scale percent (10-400).
double scaleFromSliderFraction(double fraction);
int sliderPositionFromScale(double percent);

class QImageViewButton : public QRZBaseButton {
    Q_OBJECT
public:
    explicit QImageViewButton(QWidget* parent = nullptr);
    ~QImageViewButton() override;

    bool hasPreparedImage() const { return !m_prepared.isNull(); }

public slots:
    // Copies the settings, places the loaded image again and repaints.
    void setWatermarkSetting(WatermarkImageSettings* settings);
    // Copies the settings, reloads the image file, places it and repaints.
    void setWatermarkSettingSource(WatermarkImageSettings* settings);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void prepare();

    WatermarkImageSettings m_settings;
    QImage m_loaded;
    QImage m_prepared;
    QRect m_source;
    QPoint m_destination;
};

class QWatermarkDlg : public QRZDialogEx {
    Q_OBJECT
public:
    explicit QWatermarkDlg(QWidget* parent = nullptr);
    ~QWatermarkDlg() override;

    void setWatermarkSettings(WatermarkImageSettings settings);
    WatermarkImageSettings watermarkSettings() const { return m_settings; }

    // For tests.
    QImageViewButton* preview() const { return m_imageView; }
    QRZLineEditEx* alphaEdit() const { return m_leAlphaValue; }
    QRZLineEditEx* scaleEdit() const { return m_leScaleValue; }
    QRZLineEditEx* xMarginEdit() const { return m_leXMarginValue; }
    QRZLineEditEx* yMarginEdit() const { return m_leYMarginValue; }
    QRZBaseSlider* alphaSlider() const { return m_sliderAlpha; }
    QRZBaseSlider* scaleSlider() const { return m_sliderScale; }
    QRZBaseSlider* xMarginSlider() const { return m_sliderXMargin; }
    QRZBaseSlider* yMarginSlider() const { return m_sliderYMargin; }
    QRZBaseButton* deleteButton() const { return m_btnDelete; }
    const QList<QRZRadioButton*>& positionButtons() const { return m_positions; }
    QRZBaseButton* okButton() const { return m_btnOK; }
    QRZBaseButton* cancelButton() const { return m_btnCancel; }

public slots:
    void onRadioButton();
    void SetTagImage();
    void OnDeleteImage();
    void onClose();
    void onOk();
    void sliderChange(double fraction);
    void valueTextEdited(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void relayout() override;

private:
    QRZLineEditEx* makeValueEdit(const char* name);
    QRZBaseSlider* makeSlider(const char* name, double maximum);
    void showImage(bool present);

    WatermarkImageSettings m_settings;
    QList<QRZRadioButton*> m_positions;
    QLabel* m_lblWatermarkImage;
    QImageViewButton* m_imageView;
    QRZBaseButton* m_btnDelete;
    QLabel* m_lblPosition;
    QLabel* m_lblXMargin;
    QRZBaseSlider* m_sliderXMargin;
    QRZLineEditEx* m_leXMarginValue;
    QLabel* m_lblYMargin;
    QRZBaseSlider* m_sliderYMargin;
    QRZLineEditEx* m_leYMarginValue;
    QLabel* m_lblTransparency;
    QRZBaseSlider* m_sliderAlpha;
    QRZLineEditEx* m_leAlphaValue;
    QLabel* m_lblScale;
    QRZBaseSlider* m_sliderScale;
    QRZLineEditEx* m_leScaleValue;
    QRZBaseButton* m_btnOK;
    QRZBaseButton* m_btnCancel;
};
