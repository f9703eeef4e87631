// One player handle of the codec library, one member per player entry. No playback
// logic lives here: each member checks the handle, makes its call and converts the
// result. GUI thread only.
//
// Pictures: the library announces each new picture from its own thread; this object
// fetches it on the GUI thread and paints it into the widgets whose native window ids
// it was given (setVideoWindow, setSecondVideoWindow), scaled to fit and centred.
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <cstdint>

class QWidget;

class RZPlayerClass : public QObject {
    Q_OBJECT

public:
    explicit RZPlayerClass(QObject* parent = nullptr);
    ~RZPlayerClass() override;

    // Replaces any player by a new one (mode true: -1, false: -3).
    void createHandle(bool mode);
    // Capture sources by index: replaces the player; false here (none exist).
    bool openSource(int sourceIndex);
    // Opens a UTF-8 path; a failed open leaves the player empty.
    bool openFile(const char* pathUtf8, int width, int height, int a, int b);
    bool isValid() const { return m_handle != 0; }
    bool isOpened() const { return m_opened; }

    bool play();
    bool pause();
    bool stop();
    bool close();
    bool seek(uint64_t timeUs);
    bool beginAsyncSeek(uint64_t value);
    bool endAsyncSeek();
    bool step(int direction);
    bool showCurrentFrame();
    bool repaint();
    bool isAtEnd() const;
    bool isPaused() const;
    bool hasVideo() const;
    bool hasAudio() const;
    bool hasStreams() const;
    uint64_t duration() const;
    uint64_t position() const;
    uint64_t frameTime() const;
    void videoSize(int* width, int* height) const;
    void displaySize(int* width, int* height) const;
    bool setVideoWindow(int windowId);
    bool setSecondVideoWindow(int windowId);
    bool setInterval(uint64_t intervalUs);
    bool setOpenMode(int mode);
    bool setAudioOnly(int on);
    // Level block: byte count at byte 24 of the block; give it back with
    // releaseAudioBlock (null accepted).
    unsigned char* audioBlock(int kind);
    bool releaseAudioBlock(unsigned char* block);
    // BMP file in memory (total size at byte 2); give it back with releaseSnapshot.
    unsigned char* snapshot(int a, int b, int c);
    bool releaseSnapshot(unsigned char* block);

    bool beginUpdate();
    bool endUpdate();
    bool setRotation(int degrees);
    bool setMirrored(int on);
    bool setPad(int enabled, int colour);
    bool setPictureRect(double x, double y, double width, double height);
    bool setOutputSize(int width, int height);
    bool setBrightness(int value);
    bool setSaturation(int value);
    bool setHue(int value);
    bool setContrast(int value);

    bool selectWatermark(int index);
    bool setWatermarkImage(const char* path);
    bool setWatermarkImage2(const char* path);
    bool setWatermarkImageMode(int value);
    bool setWatermarkImagePos(double x, double y);
    bool setWatermarkImageScale(int width, int height);
    bool setWatermarkImageParam(int value);
    bool setWatermarkImageAlpha(int alpha);
    bool setWatermarkImageFlag(int value);
    bool setWatermarkImageShown(int on);
    bool setWatermarkImageFactors(double a, double b);
    bool setWatermarkImageKind(int value);
    bool setWatermarkImageRect(double x, double y, double width, double height);
    bool setWatermarkImageRange(uint64_t start, uint64_t end);
    bool setWatermarkImageTimes(int a, int b, int c, int d);
    bool setWatermarkText(const char* text);
    bool setWatermarkTextOff(int value);
    bool setWatermarkTextAlpha(int alpha);
    bool setWatermarkTextPos(double x, double y);
    bool setWatermarkTextParam(int value);
    bool setWatermarkTextBold(int on);
    bool setWatermarkTextSize(int points);
    bool setWatermarkTextFont(const char* font);
    bool setWatermarkTextColor(int colour);
    bool setWatermarkOutlineColor(int colour);
    bool setWatermarkOutlineSize(double value);
    bool setWatermarkShadowColor(int colour);
    bool setWatermarkShadowOffset(double value);
    bool setWatermarkTextItalic(int on);
    bool setWatermarkTextUnderline(int on);
    bool setWatermarkTextStrikeOut(int on);
    bool setWatermarkTextScale(int width, int height);
    bool setWatermarkTextShown(int on);
    bool setWatermarkTextSelected(int on);
    bool setWatermarkTextSpacingH(double value);
    bool setWatermarkTextSpacingV(double value);
    bool setWatermarkTextRange(uint64_t start, uint64_t end);
    bool refreshWatermark();
    double watermarkTextX() const;
    double watermarkTextY() const;
    double watermarkTextWidth() const;
    double watermarkTextHeight() const;
    double watermarkImageX() const;
    double watermarkImageY() const;
    double watermarkImageWidth() const;
    double watermarkImageHeight() const;

    bool selectAudioTrack(int index);
    bool selectSubtitle(int index);
    bool setSubtitleFile(const char* path);
    bool setSubtitleOn(int on);
    bool setSubtitleAlpha(int alpha);
    bool setSubtitleScale(int width, int height);
    bool setSubtitleParams(int a, int b);
    bool setSubtitleFont(const char* font);
    bool setSubtitleSize(int points);
    bool setSubtitleBold(int on);
    bool setSubtitleItalic(int on);
    bool setSubtitleUnderline(int on);
    bool setSubtitleStrikeOut(int on);
    bool setSubtitleColor(int colour);
    bool setSubtitleShadowColor(int colour);
    bool setSubtitleOutlineColor(int colour);
    bool setSubtitleShadowOffset(double value);
    bool setSubtitleOutlineSize(double value);
    bool setSubtitlePosition(int code);
    bool setSubtitleSpacingH(double value);
    bool setSubtitleSpacingV(double value);
    bool setSubtitleMarginA(double value);
    bool setSubtitleMargin(double value);

    bool setAudioTrackParam(int value);
    bool setBackgroundAudio(const char* path);
    bool setBackgroundRepeat(int on);
    bool setBackgroundParam(int value);
    bool setVolume(int percent);
    bool setBackgroundWeight(int percent);
    bool setBackgroundRange(uint64_t start, uint64_t end);
    bool setBackgroundRange2(uint64_t start, uint64_t end);
    // The second argument is not passed on.
    bool setEffectVolume(int percent, int unused = 0);
    bool setEffectParam(int value);
    bool setEffectRate(int percent, int unused = 0);
    bool setEqualizer(const double* frequencies, const double* gains, int count);

    // The player handle as the library knows it (0 = none), for entries without a member.
    uintptr_t handle() const { return m_handle; }
    // The last picture fetched for painting (null before the first): with the edits, as
    // the second window shows it.
    QImage currentImage() const { return m_image; }
    // The same picture before the edits, as the main window shows it (null while no main
    // window is set).
    QImage currentSourceImage() const { return m_sourceImage; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void fetchFrame();

private:
    static void frameReady(void* context);
    void destroyHandle();
    void attachWindow(int which, int windowId);

    uintptr_t m_handle = 0;
    bool m_opened = false;
    QPointer<QWidget> m_windows[2];
    QImage m_image;       // painted into the second window
    QImage m_sourceImage; // painted into the main window
    std::atomic<bool> m_framePending{false};
};
