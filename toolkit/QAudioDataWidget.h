// Audio level display: a block of 16-bit sound drawn as a row of level bars, either
// stacked rounded cells or a polyline, with optional falling peak markers. The recording
// toolbar, the history player and the editor preview each own one with their own look.
// GUI thread only; blocks arrive through setAudioData and are read before it returns,
// so the caller may free them right after.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QPixmap>
#include <QVector>
#include <QWidget>

class QTimer;

// The look of a level display, copied by value.
struct AudioBarStyle {
    int barWidth = 1;     // one bar's width in pixels (also the polyline's pen width)
    int cellHeight = 1;   // one cell's height in pixels
    int xSpacing = 0;     // gap between bars
    int ySpacing = 0;     // gap between cells
    int peakMarker = 0;   // non-zero: falling peak markers are drawn
    int accelerating = 0; // non-zero: peaks fall faster and faster, else one pixel per block
    double cornerRadius = 0.0;
    QColor barColor = QColor(255, 255, 255);
    QColor peakColor = QColor(255, 0, 0);
    int mode = 0; // 0 stacked cells, 1 polyline

    enum Mode { StackedCells = 0, Polyline = 1 };
};

class QAudioDataWidget : public QWidget {
    Q_OBJECT
public:
    // Copies the style (a null style keeps the defaults); a polyline ignores the spacings.
    QAudioDataWidget(QWidget* parent, const AudioBarStyle* style);
    ~QAudioDataWidget() override;

    // Replaces the picture drawn centred under the bars; a missing file drops it.
    void setBackgroundPixmap(const QString& path);

    const AudioBarStyle& style() const { return m_style; }
    int barCount() const { return m_barCount; }
    int cellsPerBar() const { return m_cellsPerBar; }
    // Cells lit per bar (or the raw level 0-65535 when no whole cell fits) of the last block.
    const QVector<int>& levels() const { return m_levels; }
    // Peak marker heights in pixels above the bottom; empty without peak markers.
    const QVector<int>& peaks() const { return m_peaks; }
    bool hasData() const { return m_hasData; }

    // The level of one sample range, 0-65535: twice the mean magnitude, so a full-scale
    // square wave reaches the top and silence (or a sample of -1) stays at the bottom.
    static int levelOf(const short* samples, int count);

public slots:
    // `block`: a level block of the codec library (44-byte header, its data size in bytes
    // at byte 40, then 16-bit samples); `samples`: how many samples the block holds. No
    // more than `samples` samples are read whatever the header says. Null clears the
    // display and its peaks.
    void setAudioData(unsigned char* block, int samples);
    void refreshTimer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layoutBars();
    void dropPeaks();
    void paintCells(QPainter* painter);
    void paintPolyline(QPainter* painter);
    void paintPeaks(QPainter* painter);

    int m_x1 = 0;
    int m_y1 = 0;
    int m_x2 = 399;
    int m_y2 = 99;
    bool m_hasData = false;
    QVector<int> m_peaks;
    QVector<int> m_peakSteps;
    int m_timeoutMs = 0;
    QElapsedTimer m_lastDataPaint; // since the last paint that showed data
    QTimer* m_refreshTimer = nullptr;
    QPixmap* m_background = nullptr;
    QVector<int> m_levels;
    int m_barCount = 0;
    int m_cellsPerBar = 0;
    AudioBarStyle m_style;
};
