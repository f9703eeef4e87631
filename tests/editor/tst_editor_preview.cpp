// The editor's preview pane on a real playback controller, read back from screenshots:
// letterboxing both ways, the surfaces, frames and level bars of each tab, a whole edit
// record (crop, colours, text watermark) shown in the preview, the crop and watermark
// frames placed from the controller's rectangles, and a watermark frame dragged with
// the pointer landing in the holder's record.
#include "editor/QMediaBorderFrame.h"
#include "editor/QMediaForm.h"
#include "editor/QVideoEditingSettings.h"
#include "media/QMediaElementWindow.h"
#include "media/RZPlayerManager.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/editor/DesktopHelpers.h"
#include "tests/editor/EditorFixtures.h"
#include "toolkit/QAudioDataWidget.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using editorfixtures::isBlack;
using editorfixtures::isBlue;
using editorfixtures::isRed;

namespace {

// A top-level editor stand-in holding the pane at (0, 55).
struct PreviewWindow {
    explicit PreviewWindow(const QSize& paneSize) {
        window.setGeometry(200, 150, paneSize.width(), paneSize.height() + 55);
        manager.createPlayer(true);
        settings.setPlayerManager(&manager);
        pane = new QMediaForm(&manager, &window);
        pane->setGeometry(0, 55, paneSize.width(), paneSize.height());
    }
    // The size hints are the picture's, as the editor reads them from the file.
    bool open(const QString& path, int width = 640, int height = 360) {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            return false;
        }
        const bool opened = manager.openFileInNewPlayer(path, width, height, 3);
        manager.resizeOutputs();
        return opened;
    }
    RZPlayerManager manager;
    QVideoEditingSettings settings;
    // Last, so that it goes first and takes the pane with it before the controller goes,
    // as in the editor.
    QWidget window;
    QMediaForm* pane = nullptr;
};

// Waits until the surface shows the picture (something neither black nor grey).
bool waitForPicture(QWidget* surface) {
    for (int i = 0; i < 100; ++i) {
        const QImage image = desktop::shot(surface);
        const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
        if (!isBlack(c) && c.saturation() > 100) {
            return true;
        }
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class TestEditorPreview : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void surfaceFitsThePicture();
    void wideVideoInANarrowSurfaceIsLetterboxed();
    void narrowVideoInAWideSurfaceIsPillarboxed();
    void modesShowTheirSurfacesAndFrames();
    void soundOnlyFileShowsBarsOnBlack();
    void wholeEditRecordShowsInThePreview();
    void draggedWatermarkFrameLandsInTheRecord();

private:
    QTemporaryDir m_dir;
    QString m_wide;
    QString m_narrow;
    QString m_mp3;
};

void TestEditorPreview::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_wide = m_dir.filePath("wide.mp4");
    m_narrow = m_dir.filePath("narrow.mp4");
    m_mp3 = m_dir.filePath("tone.mp3");
    QVERIFY(editorfixtures::makeQuadrantClip(m_wide, 640, 360, 10.0));
    QVERIFY(editorfixtures::makeQuadrantClip(m_narrow, 480, 360, 10.0));
    QVERIFY(editorfixtures::makeMp3(m_mp3, 10.0));
}

void TestEditorPreview::surfaceFitsThePicture() {
    QMediaElementWindow surface;
    surface.resize(401, 300);
    QSignalSpy changes(&surface, &QMediaElementWindow::emitVideoElementSizeChange);
    surface.setVideoSize(0, 360);
    surface.setVideoSize(640, -1);
    QVERIFY(changes.isEmpty());
    QCOMPARE(surface.videoSize(), QSize(0, 0));
    // Truncated height, integer halves: 360 x 401 / 640 = 225.56.
    surface.setVideoSize(640, 360);
    QCOMPARE(surface.videoElementRect(), QRect(0, 37, 401, 225));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.first().first().toRect(), QRect(0, 37, 401, 225));
    surface.resize(641, 361);
    surface.setVideoSize(480, 360);
    QCOMPARE(surface.videoElementRect(), QRect(80, 0, 481, 361));
    // Without a player the surface is opaque black, once the window manager has placed it
    // and the compositor has drawn it (on a loaded desktop a while after it is exposed).
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    QTRY_VERIFY_WITH_TIMEOUT(isBlack(desktop::shot(&surface).pixelColor(100, 100)), 5000);
}

void TestEditorPreview::wideVideoInANarrowSurfaceIsLetterboxed() {
    PreviewWindow w(QSize(412, 312)); // a 400 x 300 preview surface in Trim mode
    QVERIFY(w.open(m_wide, 640, 360));
    QMediaElementWindow* preview = w.pane->previewSurface();
    QCOMPARE(preview->geometry(), QRect(6, 6, 400, 300));
    QCOMPARE(preview->videoElementRect(), QRect(0, 37, 400, 225));
    QVERIFY(waitForPicture(preview));
    const QImage image = desktop::shot(preview);
    desktop::keep(image, QStringLiteral("editor_preview_letterbox"));
    QVERIFY(isBlack(image.pixelColor(200, 20)));
    QVERIFY(isBlack(image.pixelColor(200, 280)));
    QVERIFY(isRed(image.pixelColor(60, 37 + 40)));
    QVERIFY(isBlue(image.pixelColor(300, 37 + 40)));
    QVERIFY(isBlue(image.pixelColor(60, 37 + 200)));
}

void TestEditorPreview::narrowVideoInAWideSurfaceIsPillarboxed() {
    PreviewWindow w(QSize(652, 372)); // a 640 x 360 preview surface
    QVERIFY(w.open(m_narrow, 480, 360));
    QMediaElementWindow* preview = w.pane->previewSurface();
    QCOMPARE(preview->videoElementRect(), QRect(80, 0, 480, 360));
    QVERIFY(waitForPicture(preview));
    const QImage image = desktop::shot(preview);
    desktop::keep(image, QStringLiteral("editor_preview_pillarbox"));
    QVERIFY(isBlack(image.pixelColor(30, 180)));
    QVERIFY(isBlack(image.pixelColor(610, 180)));
    QVERIFY(isRed(image.pixelColor(80 + 60, 60)));
    QVERIFY(isBlue(image.pixelColor(80 + 400, 60)));
}

void TestEditorPreview::modesShowTheirSurfacesAndFrames() {
    PreviewWindow w(QSize(686, 300));
    QVERIFY(w.open(m_wide));
    QMediaForm* pane = w.pane;
    QVERIFY(pane->hasVideo());
    struct Expect {
        int mode;
        bool source, preview, crop, watermark, audio;
    };
    const Expect table[] = {
        {QMediaForm::Adjust, true, true, true, false, false},
        {QMediaForm::Effect, true, true, false, false, false},
        {QMediaForm::Watermark, true, true, false, true, false},
        {QMediaForm::Subtitle, true, true, false, false, false},
        {QMediaForm::Audio, true, true, false, false, false},
        {QMediaForm::Tag, false, false, false, false, false},
        {QMediaForm::Trim, false, true, false, false, false},
    };
    for (const Expect& e : table) {
        pane->setMode(e.mode);
        QCOMPARE(pane->sourceSurface()->isVisible(), e.source);
        QCOMPARE(pane->previewSurface()->isVisible(), e.preview);
        QCOMPARE(pane->cropOverlay()->isVisible(), e.crop);
        QCOMPARE(pane->watermarkOverlay()->isVisible(), e.watermark);
        QCOMPARE(pane->audioWidget()->isVisible(), e.audio);
    }
    // Side by side outside Trim, and the crop frame over the source's picture.
    pane->setMode(QMediaForm::Adjust);
    const int d = (686 - 18) / 2;
    QCOMPARE(pane->sourceSurface()->geometry(), QRect(6, 6, d, 300 - 12));
    QCOMPARE(pane->previewSurface()->geometry(), QRect(d + 12, 6, d, 300 - 12));
    QTRY_COMPARE(pane->cropOverlay()->pos(), pane->mapToGlobal(QPoint(6, 6)));
    QTRY_COMPARE(pane->watermarkOverlay()->pos(), pane->mapToGlobal(QPoint(d + 12, 6)));
    QTRY_COMPARE(pane->cropOverlay()->cropPiece()->geometry(), pane->sourceSurface()->videoElementRect());
    // The frames follow the window.
    w.window.move(w.window.pos() + QPoint(30, 20));
    QTRY_COMPARE(pane->cropOverlay()->pos(), pane->mapToGlobal(QPoint(6, 6)));
    // A crop of the left half narrows the frame.
    VECropSettings crop;
    crop.pictureRect[2] = 0.5;
    w.settings.setCrop(crop);
    const QRect element = pane->sourceSurface()->videoElementRect();
    QCOMPARE(pane->cropOverlay()->cropPiece()->geometry(),
             QRect(element.left(), element.top(), int(element.width() * 0.5 + 0.5), element.height()));
    QTest::qWait(300);
    desktop::keep(desktop::shot(&w.window), QStringLiteral("editor_preview_adjust_mode"));
}

void TestEditorPreview::soundOnlyFileShowsBarsOnBlack() {
    PreviewWindow w(QSize(686, 300));
    QVERIFY(w.open(m_mp3, 0, 0));
    QMediaForm* pane = w.pane;
    QTRY_VERIFY(!pane->hasVideo());
    pane->setMode(QMediaForm::Trim);
    QVERIFY(pane->audioWidget()->isVisible());
    QVERIFY(!pane->previewSurface()->isVisible());
    QVERIFY(!pane->sourceSurface()->isVisible());
    QCOMPARE(pane->audioWidget()->geometry().center(), pane->rect().center());
    // The bars as drawn right after a block of sound arrives.
    QImage image;
    connect(&w.manager, &RZPlayerManager::emitAudioData, this, [&image, pane](unsigned char* block, int count) {
        if (block && count > 0 && image.isNull()) {
            image = pane->grab().toImage();
        }
    });
    w.manager.onPlay();
    QTRY_VERIFY_WITH_TIMEOUT(!image.isNull(), 5000);
    desktop::keep(image, QStringLiteral("editor_preview_sound_only"));
    w.manager.onPause();
    // Black inside the 6-pixel margin, the window's own colour in it.
    QVERIFY(isBlack(image.pixelColor(10, 10)));
    QVERIFY(isBlack(image.pixelColor(679, 293)));
    QVERIFY(!isBlack(image.pixelColor(2, 2)));
    QVERIFY(!isBlack(image.pixelColor(683, 297)));
    // Some bars are lit (the bar colour is a light yellow).
    int lit = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = image.pixelColor(x, y);
            lit += c.red() > 200 && c.green() > 190 && c.blue() < 180 ? 1 : 0;
        }
    }
    QVERIFY2(lit > 50, qPrintable(QString::number(lit)));
    // Audio tab without video: bars again, no surfaces.
    pane->setMode(QMediaForm::Audio);
    QVERIFY(pane->audioWidget()->isVisible());
    QVERIFY(!pane->sourceSurface()->isVisible());
    pane->setMode(QMediaForm::Adjust);
    QVERIFY(!pane->cropOverlay()->isVisible());
    QVERIFY(!pane->audioWidget()->isVisible());
}

void TestEditorPreview::wholeEditRecordShowsInThePreview() {
    PreviewWindow w(QSize(412, 312));
    QVERIFY(w.open(m_wide));
    QMediaElementWindow* preview = w.pane->previewSurface();
    QVERIFY(waitForPicture(preview));
    VEEditConfig config;
    // The red quadrant alone, its hue turned half way round (red to cyan), and a text.
    config.crop.pictureRect[2] = 0.5;
    config.crop.pictureRect[3] = 0.5;
    config.adjust.hue = 180;
    config.watermarks[2].text.text = "CALVORINE";
    config.watermarks[2].text.shown = 1;
    config.watermarks[2].text.fontSize = 48;
    config.watermarks[2].text.x = 0.1;
    config.watermarks[2].text.y = 0.1;
    w.settings.setEditConfig(config);
    w.manager.progressValueChange(0.5);
    QImage image;
    int cyan = 0;
    int white = 0;
    int red = 0;
    for (int attempt = 0; attempt < 60; ++attempt) {
        QTest::qWait(100);
        image = desktop::shot(preview);
        cyan = white = red = 0;
        for (int y = 0; y < image.height(); y += 3) {
            for (int x = 0; x < image.width(); x += 3) {
                const QColor c = image.pixelColor(x, y);
                cyan += c.red() < 90 && c.green() > 150 && c.blue() > 150 ? 1 : 0;
                white += c.red() > 220 && c.green() > 220 && c.blue() > 220 ? 1 : 0;
                red += isRed(c) ? 1 : 0;
            }
        }
        if (cyan > 2000 && white > 20 && red == 0) {
            break;
        }
    }
    desktop::keep(image, QStringLiteral("editor_preview_edit_record"));
    QVERIFY2(cyan > 2000, qPrintable(QString::number(cyan)));
    QVERIFY2(white > 20, qPrintable(QString::number(white)));
    QCOMPARE(red, 0);
}

void TestEditorPreview::draggedWatermarkFrameLandsInTheRecord() {
    PreviewWindow w(QSize(686, 300));
    QVERIFY(w.open(m_wide));
    QMediaForm* pane = w.pane;
    pane->setMode(QMediaForm::Watermark);
    VEWatermarkSettings mark;
    mark.text.text = "MARK";
    mark.text.shown = 1;
    mark.text.textSelected = 1;
    mark.text.fontSize = 40;
    mark.text.x = 0.2;
    mark.text.y = 0.2;
    mark.image.shown = 0;
    w.settings.setWatermark(mark, 1, true);
    QMediaBorderFrame* overlay = pane->watermarkOverlay();
    QVERIFY(overlay->isVisible());
    QMediaDashedFrame* piece = overlay->piece(0);
    QVERIFY(piece->isVisible());
    // A hidden part collapses to an empty rectangle at its top-left point.
    QVERIFY(!overlay->piece(1)->isVisible());
    QVERIFY(overlay->piece(1)->geometry().isEmpty());
    const QRect element = pane->previewSurface()->videoElementRect();
    VEWatermarkSettings placed;
    w.settings.getWatermark(placed);
    QCOMPARE(piece->geometry().topLeft(), QPoint(int(element.left() + element.width() * placed.text.x),
                                                 int(element.top() + element.height() * placed.text.y)));
    QTest::qWait(300);
    desktop::keep(desktop::shot(&w.window), QStringLiteral("editor_preview_watermark_frame"));
    const QPoint from = overlay->mapToGlobal(piece->geometry().center());
    QVERIFY(desktoptest::drag(from, from + QPoint(60, 30)));
    VEWatermarkSettings moved;
    w.settings.getWatermark(moved);
    QVERIFY2(moved.text.x > placed.text.x + 0.1, qPrintable(QString::number(moved.text.x)));
    QVERIFY(moved.text.y > placed.text.y + 0.05);
    QCOMPARE(moved.text.text, std::string("MARK"));
    QTRY_VERIFY(piece->geometry().left() > int(element.left() + element.width() * placed.text.x) + 30);
}

QTEST_MAIN(TestEditorPreview)
#include "tst_editor_preview.moc"
