#include "toolkit/QAudioDataWidget.h"

#include "platform/codec/calvorine_codec.h"
#include "toolkit/ImagePainting.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
// Blocks longer than this many samples are read only over their first part, scaled so
// that one block covers as much sound as a block of this size.
constexpr int kLongestBlockSamples = 16000;
constexpr int kFullScale = 65535;
} // namespace

QAudioDataWidget::QAudioDataWidget(QWidget* parent, const AudioBarStyle* style) : QWidget(parent) {
    if (style) {
        m_style = *style;
    }
    if (m_style.mode == AudioBarStyle::Polyline) {
        m_style.xSpacing = 0;
        m_style.ySpacing = 0;
    }
}

QAudioDataWidget::~QAudioDataWidget() {
    delete m_background;
}

void QAudioDataWidget::setBackgroundPixmap(const QString& path) {
    delete m_background;
    m_background = nullptr;
    if (QFileInfo(path).isFile()) {
        QPixmap pixmap(path);
        if (!pixmap.isNull()) {
            m_background = new QPixmap(pixmap);
        }
    }
    update();
}

int QAudioDataWidget::levelOf(const short* samples, int count) {
    if (!samples || count <= 0) {
        return 0;
    }
    int64_t sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += std::abs(int(samples[i]));
    }
    return int(std::min<int64_t>(kFullScale, 2 * sum / count));
}

void QAudioDataWidget::layoutBars() {
    const QRect r = rect();
    m_x1 = r.left();
    m_y1 = r.top();
    m_x2 = r.right();
    m_y2 = r.bottom();
    const int width = m_x2 - m_x1 + 1;
    const int height = m_y2 - m_y1 + 1;
    const int barStep = m_style.xSpacing + m_style.barWidth;
    const int cellStep = m_style.ySpacing + m_style.cellHeight;
    m_barCount = barStep > 0 ? std::max(0, (width + m_style.xSpacing) / barStep) : 0;
    m_cellsPerBar = cellStep > 0 ? std::max(0, (height + m_style.ySpacing) / cellStep) : 0;
    m_levels = QVector<int>(m_barCount, 0);
    if (m_style.peakMarker) {
        m_peaks = QVector<int>(m_barCount, 0);
        m_peakSteps = QVector<int>(m_barCount, 0);
    } else {
        m_peaks.clear();
        m_peakSteps.clear();
    }
}

void QAudioDataWidget::dropPeaks() {
    std::fill(m_peaks.begin(), m_peaks.end(), 0);
    std::fill(m_peakSteps.begin(), m_peakSteps.end(), 0);
}

void QAudioDataWidget::setAudioData(unsigned char* block, int samples) {
    if (!block) {
        m_hasData = false;
        dropPeaks();
        update();
        return;
    }
    uint32_t bytes = 0;
    std::memcpy(&bytes, block + CVCODEC_LEVEL_SIZE_OFFSET_AGAIN, sizeof bytes);
    // The header's size is only believed as far as the caller vouches for the block.
    int64_t n = std::min<int64_t>(bytes / 2, std::max(samples, 0));
    if (samples >= kLongestBlockSamples) {
        n = n * kLongestBlockSamples / samples;
    }
    const short* data = reinterpret_cast<const short*>(block + CVCODEC_LEVEL_HEADER_BYTES);
    const int bars = m_barCount;
    for (int i = 0; i < bars; ++i) {
        const int64_t s = int64_t(i) * n / bars;
        const int64_t e = std::min<int64_t>(int64_t(i + 1) * n / bars, n);
        int level = 0;
        if (s < e) {
            level = levelOf(data + s, int(e - s));
        } else if (s < n) {
            level = levelOf(data + s, 1);
        }
        if (m_cellsPerBar > 0) {
            level = int((int64_t(m_cellsPerBar) * level) >> 16);
        }
        m_levels[i] = level;
    }
    if (m_style.peakMarker) {
        const int cellStep = m_style.cellHeight + m_style.ySpacing;
        for (int i = 0; i < bars; ++i) {
            int& peak = m_peaks[i];
            int& step = m_peakSteps[i];
            if (peak > 0) {
                if (m_style.accelerating) {
                    ++step;
                    peak -= step * step / 8;
                } else {
                    peak -= 1;
                }
            }
            const int level = m_levels[i];
            const int pixels = level > 0 ? level * cellStep - m_style.ySpacing : 0;
            if (peak < pixels) {
                peak = pixels;
                step = 0;
            }
        }
    }
    m_hasData = true;
    update();
}

void QAudioDataWidget::refreshTimer() {
    if (!m_lastDataPaint.isValid() || m_lastDataPaint.elapsed() > m_timeoutMs) {
        m_hasData = false;
        update();
    }
}

void QAudioDataWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutBars();
}

void QAudioDataWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    layoutBars();
    repaint();
}

void QAudioDataWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 255, 1));
    if (m_background) {
        painter.drawPixmap((width() - m_background->width()) / 2, (height() - m_background->height()) / 2,
                           *m_background);
    }
    if (!m_hasData) {
        return;
    }
    if (m_style.mode == AudioBarStyle::Polyline) {
        paintPolyline(&painter);
    } else {
        paintCells(&painter);
    }
    if (m_style.peakMarker) {
        paintPeaks(&painter);
    }
    m_hasData = false;
    if (m_refreshTimer && !m_refreshTimer->isActive()) {
        m_refreshTimer->start(m_timeoutMs / 2);
    }
    m_lastDataPaint.start();
}

void QAudioDataWidget::paintCells(QPainter* painter) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_style.barColor);
    const int barStep = m_style.barWidth + m_style.xSpacing;
    const int cellStep = m_style.cellHeight + m_style.ySpacing;
    for (int b = 0; b < m_barCount; ++b) {
        const int x = b * barStep;
        for (int i = 0; i < m_levels[b]; ++i) {
            const int bottom = m_y2 - i * cellStep - 1;
            const int top = bottom - m_style.cellHeight + 1;
            painter->drawPath(roundedRectPath(x, top, m_style.barWidth, m_style.cellHeight, m_style.cornerRadius));
        }
    }
    painter->restore();
}

void QAudioDataWidget::paintPolyline(QPainter* painter) {
    if (m_barCount <= 0) {
        return;
    }
    QPolygon line;
    line.reserve(m_barCount);
    for (int b = 0; b < m_barCount; ++b) {
        line << QPoint(b * m_style.barWidth, m_y2 - m_levels[b] * m_style.cellHeight);
    }
    painter->save();
    painter->setPen(QPen(m_style.barColor, m_style.barWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter->drawPolyline(line);
    painter->restore();
}

void QAudioDataWidget::paintPeaks(QPainter* painter) {
    const int barStep = m_style.barWidth + m_style.xSpacing;
    for (int b = 0; b < m_peaks.size(); ++b) {
        if (m_peaks[b] > 0) {
            painter->fillRect(b * barStep, m_y2 - m_peaks[b] - 1, m_style.barWidth, 1, m_style.peakColor);
        }
    }
}
