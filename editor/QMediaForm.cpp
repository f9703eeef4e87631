#include "editor/QMediaForm.h"

#include "editor/EditorStyle.h"
#include "editor/QMediaBorderFrame.h"
#include "editor/TranslucentWindow.h"
#include "media/QMediaElementWindow.h"
#include "media/RZPlayerManager.h"
#include "toolkit/QAudioDataWidget.h"
#include "toolkit/ScreenOrigin.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace {
constexpr int kMargin = 6;
constexpr int kPlaceChecks = 20;
constexpr int kPlaceCheckMs = 50;
} // namespace

QMediaForm::QMediaForm(RZPlayerManager* manager, QWidget* parent)
    : QWidget(parent), m_source(nullptr), m_preview(nullptr), m_manager(manager) {
    setObjectName(QStringLiteral("QMediaForm"));
    resize(703, 272);

    const AudioBarStyle style = AudioBarStyle::roundedCells(QColor(243, 228, 142), true);
    m_audioWidget = new QAudioDataWidget(this, &style);
    m_audioWidget->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    m_audioWidget->setGeometry(6, 6, 390, 230);
    m_audioWidget->setBackgroundPixmap(editorImagePath(QStringLiteral("/image/PlayDlg/bg_audio.png")));
    m_audioWidget->hide();

    m_source = new QMediaElementWindow(this);
    m_preview = new QMediaElementWindow(this);
    for (QMediaElementWindow* surface : {m_source, m_preview}) {
        surface->setWindowFlags(Qt::FramelessWindowHint);
        surface->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    }
    connect(m_source, &QMediaElementWindow::emitVideoElementSizeChange, this,
            &QMediaForm::originalVideoElementSizeChange);
    connect(m_preview, &QMediaElementWindow::emitVideoElementSizeChange, this,
            &QMediaForm::previewVideoElementSizeChange);

    m_cropOverlay = new QMediaBorderFrame(this);
    m_watermarkOverlay = new QMediaBorderFrame(this);
    m_watermarkOverlay->addFrame(0, 0, -1, -1); // the text part
    m_watermarkOverlay->addFrame(0, 0, -1, -1); // the image part

    if (m_manager) {
        connect(m_manager, &RZPlayerManager::emitIsHaveVideo, this, &QMediaForm::isHaveVideo);
        connect(m_manager, &RZPlayerManager::emitAudioData, this, &QMediaForm::audioData);
        connect(m_manager, &RZPlayerManager::emitPlayerChange, this, &QMediaForm::playerChange);
        connect(m_manager, &RZPlayerManager::emitCropAreaChange, this, &QMediaForm::CropAreaChange);
        connect(m_manager, &RZPlayerManager::emitWatermarkRectChange, this, &QMediaForm::watermarkRectChange);
        connect(m_cropOverlay, &QMediaBorderFrame::emitMouseMoveEvent, m_manager, &RZPlayerManager::mouseMoveEvent);
        connect(m_cropOverlay, &QMediaBorderFrame::emitMousePressEvent, m_manager, &RZPlayerManager::mousePressEvent);
        connect(m_cropOverlay, &QMediaBorderFrame::emitMouseReleaseEvent, m_manager,
                &RZPlayerManager::mouseReleaseEvent);
        connect(m_watermarkOverlay, &QMediaBorderFrame::emitMouseMoveEvent, m_manager,
                &RZPlayerManager::mouseWatermarkMoveEvent);
        connect(m_watermarkOverlay, &QMediaBorderFrame::emitMousePressEvent, m_manager,
                &RZPlayerManager::mouseWatermarkPressEvent);
        connect(m_watermarkOverlay, &QMediaBorderFrame::emitMouseReleaseEvent, m_manager,
                &RZPlayerManager::mouseWatermarkReleaseEvent);
        m_manager->setVideoWidget(m_source);
        m_manager->setSecondVideoWidget(m_preview);
    }
    m_source->hide();
    applyMode();
}

QMediaForm::~QMediaForm() {
    if (m_manager) {
        // The surfaces go with the pane; the controller must not paint into them later.
        m_manager->setVideoWidget(nullptr);
        m_manager->setSecondVideoWidget(nullptr);
    }
}

void QMediaForm::setMode(int tabIndex) {
    m_mode = tabIndex;
    applyMode();
    layoutChildren();
}

void QMediaForm::setMainSurface(QWidget* surface) {
    if (m_manager) {
        m_manager->setVideoWidget(surface);
    }
}

void QMediaForm::applyMode() {
    const bool video = m_hasVideo;
    bool source = false;
    bool preview = false;
    bool crop = false;
    bool watermark = false;
    bool audio = false;
    switch (m_mode) {
    case Trim:
        preview = video;
        audio = !video;
        setMainSurface(video ? nullptr : m_source);
        break;
    case Adjust:
        source = preview = true;
        crop = video;
        setMainSurface(video ? m_source : nullptr);
        break;
    case Effect:
    case Subtitle:
        source = preview = video;
        setMainSurface(video ? m_source : nullptr);
        break;
    case Watermark:
        source = preview = true;
        watermark = video;
        setMainSurface(video ? m_source : nullptr);
        break;
    case Audio:
        source = preview = video;
        audio = !video;
        setMainSurface(m_source);
        break;
    default: // Tag: nothing
        break;
    }
    // The frames are windows of their own: shown only over an editor that is on screen,
    // or the editor, mapped later, would cover them.
    const QWindow* top = window()->windowHandle();
    const bool paneShown = isVisible() && top && top->isExposed();
    m_source->setVisible(source);
    m_preview->setVisible(preview);
    m_audioWidget->setVisible(audio);
    // The overlays are windows of their own: they show only with the pane, and are
    // placed before they are mapped so that the window manager never places them itself.
    if (paneShown && (crop || watermark)) {
        placeOverlays();
    }
    m_cropOverlay->setVisible(crop && paneShown);
    m_watermarkOverlay->setVisible(watermark && paneShown);
    if (paneShown && (crop || watermark)) {
        (crop ? m_cropOverlay : m_watermarkOverlay)->raise();
    }
    update();
}

void QMediaForm::isHaveVideo(bool hasVideo) {
    m_hasVideo = hasVideo;
    applyMode();
}

void QMediaForm::audioData(unsigned char* block, int samples) {
    m_audioWidget->setAudioData(block, samples);
}

void QMediaForm::playerChange() {
    if (m_manager) {
        m_manager->resizeOutputs();
    }
}

void QMediaForm::layoutChildren() {
    const int W = width();
    const int H = height();
    if (m_mode != Trim) {
        const int d = (W - 18) / 2;
        m_source->setGeometry(kMargin, kMargin, d, H - 12);
        m_preview->setGeometry(d + 12, kMargin, d, H - 12);
        placeOverlays();
    } else {
        m_preview->setGeometry(kMargin, kMargin, W - 12, H - 12);
    }
    m_audioWidget->move((W - m_audioWidget->width()) / 2, (H - m_audioWidget->height()) / 2);
    if (m_manager) {
        m_manager->resizeOutputs();
    }
}

void QMediaForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutChildren();
}

// Place and size in one step, from the pane's present size: a frame mapped with a stale
// size (the taller pane of the trim tab) would lie over the transport bar, and the window
// manager may keep the size a window had when it was mapped. The place comes from where
// the window system has the editor now, not from the toolkit's possibly stale idea.
void QMediaForm::placeOverlays() {
    const QPoint origin = screenOrigin(this);
    const int half = (width() - 18) / 2;
    const QSize size(half, height() - 12);
    m_cropOverlay->setGeometry(QRect(origin + QPoint(kMargin, kMargin), size));
    m_watermarkOverlay->setGeometry(QRect(origin + QPoint(half + 12, kMargin), size));
    // While the toolkit and the window system disagree (a move asked for and not yet
    // done, or one the toolkit never heard of), look again shortly, for up to a second.
    if (origin == mapToGlobal(QPoint(0, 0))) {
        m_placeChecksLeft = kPlaceChecks;
    } else if (m_placeChecksLeft > 0) {
        --m_placeChecksLeft;
        QTimer::singleShot(kPlaceCheckMs, this, [this] { placeOverlays(); });
    }
}

void QMediaForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Follow every move of the editor window.
    QWidget* top = window();
    if (top != m_watchedWindow) {
        if (m_watchedWindow) {
            m_watchedWindow->removeEventFilter(this);
        }
        m_watchedWindow = top;
        if (top && top != this) {
            top->installEventFilter(this);
        }
    }
    applyMode();
    // Once the editor itself is on screen, the frames go over it.
    QTimer::singleShot(0, this, [this] { applyMode(); });
}

void QMediaForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_cropOverlay->hide();
    m_watermarkOverlay->hide();
}

bool QMediaForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            placeOverlays();
            break;
        case QEvent::WindowActivate:
        case QEvent::UpdateRequest:
            if (m_hasVideo && isVisible() && (m_mode == Adjust || m_mode == Watermark) && !m_cropOverlay->isVisible() &&
                !m_watermarkOverlay->isVisible()) {
                applyMode();
            }
            [[fallthrough]];
        case QEvent::ZOrderChange:
            // A click that raises the editor must not bury the frames under it.
            for (QWidget* overlay : {static_cast<QWidget*>(m_cropOverlay), static_cast<QWidget*>(m_watermarkOverlay)}) {
                if (overlay->isVisible()) {
                    overlay->raise();
                }
            }
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void QMediaForm::paintEvent(QPaintEvent*) {
    if (m_hasVideo) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin), Qt::black);
}

void QMediaForm::placeCrop(const QRect& r, const VECropSettings& crop) {
    const bool usesCropRect = crop.padEnabled != 0 && crop.cropMode == 1 && crop.aspectMode != 2;
    const double* fraction = usesCropRect ? crop.cropRect : crop.pictureRect;
    const double W = r.width();
    const double H = r.height();
    const int x = int(r.left() + W * fraction[0] + 0.5);
    const int y = int(r.top() + H * fraction[1] + 0.5);
    const int width = int(W * fraction[2] + 0.5);
    const int height = int(H * fraction[3] + 0.5);
    m_cropOverlay->setCropRect(x, y, x + width - 1, y + height - 1, false);
}

void QMediaForm::placeWatermark(const QRect& r, const VEWatermarkSettings& watermark) {
    const double W = r.width();
    const double H = r.height();
    struct Part {
        bool shown;
        double x, y, width, height;
    };
    const Part parts[2] = {
        {watermark.text.shown != 0, watermark.text.x, watermark.text.y, watermark.text.fittedWidth,
         watermark.text.fittedHeight},
        {watermark.image.shown != 0, watermark.image.x, watermark.image.y, watermark.image.fittedWidth,
         watermark.image.fittedHeight},
    };
    for (int index = 0; index < 2; ++index) {
        const Part& part = parts[index];
        const int x = int(r.left() + W * part.x);
        const int y = int(r.top() + H * part.y);
        if (part.shown) {
            m_watermarkOverlay->setFrameGeometry(x, y, x + int(W * part.width + 0.5) - 1,
                                                 y + int(H * part.height + 0.5) - 1, index);
            m_watermarkOverlay->setFrameVisible(index, true);
        } else {
            m_watermarkOverlay->setFrameVisible(index, false);
            m_watermarkOverlay->setFrameGeometry(x, y, x - 1, y - 1, index);
        }
    }
}

void QMediaForm::originalVideoElementSizeChange(QRect rect) {
    if (m_manager) {
        placeCrop(rect, m_manager->cropSettings());
    }
}

void QMediaForm::CropAreaChange(VECropSettings crop) {
    placeCrop(m_source->videoElementRect(), crop);
}

void QMediaForm::previewVideoElementSizeChange(QRect rect) {
    m_watermarkOverlay->setReferenceRect(rect.left(), rect.top(), rect.right(), rect.bottom());
    if (m_manager) {
        VEWatermarkSettings watermark;
        m_manager->watermarkSettings(watermark);
        placeWatermark(rect, watermark);
    }
}

void QMediaForm::watermarkRectChange(VEWatermarkSettings watermark, int) {
    placeWatermark(m_preview->videoElementRect(), watermark);
}
