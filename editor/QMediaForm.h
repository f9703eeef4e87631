// The editor's preview pane: a source surface (the unedited picture) and a preview
// surface that the window's playback controller paints into, a level display for files
// without video, and two overlay windows that outline the crop rectangle over the
// source and the watermark's parts over the preview. Which of them show depends on the
// editor's tab (the mode) and on whether the file has video. The overlays follow the
// editor window when it moves. GUI thread only.
#pragma once

#include "media/VEEditConfig.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

class QAudioDataWidget;
class QMediaBorderFrame;
class QMediaElementWindow;
class RZPlayerManager;

class QMediaForm : public QWidget {
    Q_OBJECT

public:
    enum Mode { Trim = 0, Adjust = 1, Effect = 2, Watermark = 3, Subtitle = 4, Audio = 5, Tag = 6 };

    explicit QMediaForm(RZPlayerManager* manager, QWidget* parent = nullptr);
    ~QMediaForm() override;

    // The editor's tab index: shows and hides the surfaces, overlays and level display
    // and picks the controller's main surface.
    void setMode(int tabIndex);
    int mode() const { return m_mode; }
    // Moves the overlays over the two surfaces, in screen coordinates.
    void placeOverlays();

    bool hasVideo() const { return m_hasVideo; }
    QMediaElementWindow* sourceSurface() const { return m_source; }
    QMediaElementWindow* previewSurface() const { return m_preview; }
    QMediaBorderFrame* cropOverlay() const { return m_cropOverlay; }
    QMediaBorderFrame* watermarkOverlay() const { return m_watermarkOverlay; }
    QAudioDataWidget* audioWidget() const { return m_audioWidget; }

public slots:
    void isHaveVideo(bool hasVideo);
    void audioData(unsigned char* block, int samples);
    void playerChange();
    void CropAreaChange(VECropSettings crop);
    void originalVideoElementSizeChange(QRect rect);
    void previewVideoElementSizeChange(QRect rect);
    void watermarkRectChange(VEWatermarkSettings watermark, int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyMode();
    void layoutChildren();
    void placeCrop(const QRect& element, const VECropSettings& crop);
    void placeWatermark(const QRect& element, const VEWatermarkSettings& watermark);
    void setMainSurface(QWidget* surface);

    bool m_hasVideo = true;
    QAudioDataWidget* m_audioWidget;
    QMediaElementWindow* m_source;
    QMediaElementWindow* m_preview;
    QMediaBorderFrame* m_cropOverlay;
    QMediaBorderFrame* m_watermarkOverlay;
    // Weak: the pane must not reach into a controller its owner destroyed first.
    QPointer<RZPlayerManager> m_manager;
    int m_mode = Trim;
    QWidget* m_watchedWindow = nullptr;
    int m_placeChecksLeft = 20; // further looks while the window's place is unsettled
};
