// The editor window on the virtual desktop, driven with xdotool: the trim range set with
// the handles, frame steps and section play of the trim tab, the transport bar and the
// adjust tab reaching the player, OK handing over the range shown; snapshots into the
// folder and format of the settings file, changed through the snapshot menu, with their
// toasts and the missing-folder message; "Open Folder" reaching a stand-in file manager
// on a private session bus; the picture centred in the preview; a sound-only file whose
// title is typed into the Tag tab (read back with ffprobe).
#include "editor/QAdjustOperationForm.h"
#include "editor/QAudioTagForm.h"
#include "editor/QCaptureSettingDlg.h"
#include "editor/QMediaBorderFrame.h"
#include "editor/QMediaForm.h"
#include "editor/QMessageOpacityForm.h"
#include "editor/QPlayerOperationForm.h"
#include "editor/QTrimOperationForm.h"
#include "editor/QVEDualSlider.h"
#include "editor/QVideoEditTag.h"
#include "editor/QVideoEditingDlg.h"
#include "editor/QVideoEditingSettings.h"
#include "editor/QWaitForDlg.h"
#include "editor/SnapshotSettings.h"
#include "media/QMediaElementWindow.h"
#include "media/RZPlayerClass.h"
#include "media/RZPlayerManager.h"
#include "tests/editor/DesktopHelpers.h"
#include "tests/editor/EditorFixtures.h"
#include "tests/editor/TabTestSupport.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/NextMessageBox.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/PrivateUserFolders.h"
#include "toolkit/QProgressIndicator.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZMenu.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QFileDialog>
#include <QHash>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace {

QPoint centreOf(QWidget* widget) {
    return widget->mapToGlobal(widget->rect().center());
}

uint64_t distance(uint64_t a, uint64_t b) {
    return a > b ? a - b : b - a;
}

std::pair<uint64_t, uint64_t> trimOf(QVideoEditingSettings* settings) {
    VEEditConfig edit;
    settings->getEditConfig(edit);
    return {edit.trimStart, edit.trimEnd};
}

// The bounds of what is not black in the image (a picture on its black surface).
QRect pictureBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qMax(qRed(p), qMax(qGreen(p), qBlue(p))) > 40) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// The grey of the picture on a surface, a quarter into it (clear of the crop frame's
// centre handle), as the screen shows it; -1 while the surface shows no picture.
int greyOnScreen(QMediaElementWindow* surface) {
    const QRect element = surface->videoElementRect();
    if (!surface->isVisible() || element.width() < 8 || element.height() < 8) {
        return -1;
    }
    const QColor c =
        desktop::shot(surface).pixelColor(element.topLeft() + QPoint(element.width() / 4, element.height() / 4));
    return qAbs(c.red() - c.green()) > 6 || qAbs(c.blue() - c.green()) > 6 ? -1 : c.green();
}

// Counts the paint events each widget receives, ahead of every filter of the widgets
// themselves (the player's filter takes the surfaces' paint events).
class PaintCounter : public QObject {
public:
    PaintCounter() { qApp->installEventFilter(this); }
    int paints(QObject* widget) const { return m_paints.value(widget); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_paints[watched];
        }
        return false;
    }

private:
    QHash<QObject*, int> m_paints;
};

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files);
}

// A stand-in file manager on the session bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shownFolders;
public slots:
    void ShowFolders(const QStringList& uris, const QString& startupId) {
        Q_UNUSED(startupId);
        shownFolders += uris;
    }
};

} // namespace

class TestEditorWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void handlesTransportAndAdjustReachThePlayer();
    void snapshotsFollowTheSettingsAndReportInToasts();
    void pictureIsCentredInThePreview_data();
    void pictureIsCentredInThePreview();
    void pausedPictureShowsOnEverySurfaceShown();
    void soundOnlyFileTakesATypedTitle();
    void tagsOfATypeNoTagCanBeWrittenIntoAreRefused();
    void coverForAWavFileIsRefusedByName();
    void loadingSpinnerIsDrawnAsDots();

private:
    // Opens the sound file's tags tab and types the title into it, as a user does.
    void typeTitle(const QString& song, const QString& typed);
    // The editor on the file, loaded and placed where pointer input reaches it.
    bool openEditor(const QString& path);
    void clickButton(QWidget* button);
    void chooseMenuItem(const QString& text);

    PrivateUserFolders* m_folders = nullptr;
    PrivateSessionBus m_bus;
    QString m_clip;
    std::unique_ptr<QVideoEditingDlg> m_editor;
};

void TestEditorWindow::initTestCase() {
    m_folders = new PrivateUserFolders;
    QVERIFY(m_folders->isValid());
    // A private session bus for the stand-in file manager.
    QVERIFY(m_bus.start());
    m_clip = m_folders->root() + "/quadrants.mp4";
    QVERIFY(editorfixtures::makeQuadrantClip(m_clip, 320, 240));
}

void TestEditorWindow::cleanupTestCase() {
    m_editor.reset();
    m_bus.stop();
    delete m_folders;
}

void TestEditorWindow::cleanup() {
    m_editor.reset();
}

bool TestEditorWindow::openEditor(const QString& path) {
    m_editor = std::make_unique<QVideoEditingDlg>();
    return desktop::openEditor(m_editor.get(), path);
}

void TestEditorWindow::clickButton(QWidget* button) {
    QVERIFY2(button->isVisible() && button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(desktoptest::click(centreOf(button)));
}

// Pops the snapshot menu up from the trim tab and clicks one of its items.
void TestEditorWindow::chooseMenuItem(const QString& text) {
    QRZMenu* menu = m_editor->snapshotMenu();
    clickButton(m_editor->trimTab()->button("m_btnSnapshotMenu"));
    QTRY_VERIFY(menu->isVisible());
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            chosen = action;
        }
    }
    QVERIFY(chosen);
    QTRY_VERIFY(QApplication::widgetAt(menu->mapToGlobal(menu->actionGeometry(chosen).center())) == menu);
    QVERIFY(desktoptest::click(menu->mapToGlobal(menu->actionGeometry(chosen).center())));
}

void TestEditorWindow::handlesTransportAndAdjustReachThePlayer() {
    QVERIFY(openEditor(m_clip));
    QTrimOperationForm* trim = m_editor->trimTab();
    QVEDualSlider* slider = trim->slider();
    QVideoEditingSettings* settings = m_editor->settings();
    QVERIFY(trim->isVisible());
    QVERIFY(!m_editor->transportBar()->isVisible());
    QCOMPARE(trim->geometry(), QRect(6, 540 - 56 - 86, 686 - 12, 86));
    // Playing after the load: the pause button shows; the trim tab's pause stops it.
    QTRY_VERIFY(trim->button("m_btnPause")->isVisible());
    clickButton(trim->button("m_btnPause"));
    QTRY_VERIFY(trim->button("m_btnPlay")->isVisible());
    const QString pausedAt = trim->timeLabel()->text();
    QTest::qWait(300);
    QCOMPARE(trim->timeLabel()->text(), pausedAt);

    // The handles to about 3 s and 7 s of the 10 s clip.
    const int track = slider->usableWidth();
    QVERIFY(desktoptest::drag(centreOf(slider->startButton()),
                              centreOf(slider->startButton()) + QPoint(track * 3 / 10, 0)));
    QVERIFY(
        desktoptest::drag(centreOf(slider->endButton()), centreOf(slider->endButton()) - QPoint(track * 3 / 10, 0)));
    QVERIFY(!slider->isStartSelected());
    // A frame forward and back at the end handle: the player moves it a picture each way.
    const float end = slider->endValue();
    clickButton(trim->button("m_btnNext"));
    QTRY_VERIFY(slider->endValue() > end);
    const float stepped = slider->endValue();
    clickButton(trim->button("m_btnPrevious"));
    QTRY_VERIFY(slider->endValue() < stepped);
    desktop::keep(desktop::shot(m_editor.get()), "editor_window_handles");
    // Section play runs between the handles.
    clickButton(trim->button("m_btnTrimPlay"));
    QTRY_VERIFY(trim->button("m_btnTrimPause")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(slider->playValue() > slider->startValue(), 5000);
    clickButton(trim->button("m_btnTrimPause"));
    QTRY_VERIFY(trim->button("m_btnTrimPlay")->isVisible());

    // Trim: the range the handles showed, in the record and the labels.
    const uint64_t length = settings->playRangeLength();
    const uint64_t wantedStart = uint64_t(double(length) * slider->startValue());
    const uint64_t wantedEnd = uint64_t(double(length) * slider->endValue());
    clickButton(trim->button("m_btnTrim"));
    QTRY_VERIFY(trimOf(settings).second != 0);
    const uint64_t start = trimOf(settings).first;
    const uint64_t stop = trimOf(settings).second;
    QVERIFY2(distance(start, wantedStart) < 2000 && distance(stop, wantedEnd) < 2000,
             qPrintable(QStringLiteral("%1-%2 for %3-%4").arg(start).arg(stop).arg(wantedStart).arg(wantedEnd)));
    QVERIFY2(distance(start, 3000000) < 300000 && distance(stop, 7000000) < 300000,
             qPrintable(QStringLiteral("%1-%2").arg(start).arg(stop)));
    QCOMPARE(trim->startTimeLabel()->text(), QTrimOperationForm::rangeLabelText(start));
    QCOMPARE(trim->endTimeLabel()->text(), QTrimOperationForm::rangeLabelText(stop));
    QCOMPARE(slider->startValue(), 0.0f);
    QCOMPARE(slider->endValue(), 1.0f);

    // The transport bar (on every tab but Trim and Tag) plays, pauses and stops.
    m_editor->selectedTag(QVideoEditingDlg::Adjust);
    QPlayerOperationForm* bar = m_editor->transportBar();
    QVERIFY(bar->isVisible());
    QVERIFY(!trim->isVisible());
    QCOMPARE(bar->geometry(), QRect(6, 540 - 56 - 128 - 6 - 26, 686 - 12, 26));
    QCOMPARE(m_editor->adjustTab()->geometry(), QRect(6, 540 - 56 - 128, 686 - 12, 128));
    QCOMPARE(m_editor->preview()->geometry(), QRect(0, 55, 686, bar->y() - 55));
    // The crop frame, a window of its own, was mapped at the preview's new size: never
    // over the transport bar.
    QMediaBorderFrame* cropFrame = m_editor->preview()->cropOverlay();
    QTRY_VERIFY(cropFrame->isVisible());
    QVERIFY(!cropFrame->geometry().intersects(QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size())));
    QTRY_VERIFY(QApplication::widgetAt(centreOf(bar->button("m_btnPlay"))) == bar->button("m_btnPlay"));
    clickButton(bar->button("m_btnPlay"));
    QTRY_VERIFY(bar->button("m_btnPause")->isVisible());
    const QString playingAt = bar->timeLabel()->text();
    QTRY_VERIFY_WITH_TIMEOUT(bar->timeLabel()->text() != playingAt, 5000);
    QVERIFY(bar->progressSlider()->value() > 0.0);
    clickButton(bar->button("m_btnStop"));
    QTRY_VERIFY(bar->button("m_btnPlay")->isVisible());
    QTRY_VERIFY(bar->timeLabel()->text().startsWith(QStringLiteral("00:00:00 /")));
    desktop::keep(desktop::shot(m_editor.get()), "editor_window_transport_bar");

    // The adjust tab turns the picture through the record.
    QAdjustOperationForm* adjust = m_editor->adjustTab();
    QVERIFY(adjust->isVisible());
    clickButton(adjust->button("m_btnRotate_R_90"));
    VECropSettings crop;
    settings->getCrop(crop);
    QCOMPARE(crop.rotation, 90);
    QCOMPARE(adjust->originalSizeLabel()->text(), QStringLiteral("320 x 240"));
    desktop::keep(desktop::shot(m_editor.get()), "editor_window_adjust_rotated");

    // OK hands over the range the labels show.
    m_editor->selectedTag(QVideoEditingDlg::Trim);
    QSignalSpy converts(m_editor.get(), &QVideoEditingDlg::emitConvertFile);
    QSignalSpy tags(m_editor.get(), &QVideoEditingDlg::emitAudioTagChange);
    clickButton(m_editor->findChild<QWidget*>("m_btnOK"));
    QTRY_VERIFY(!m_editor->isVisible());
    QCOMPARE(converts.count(), 1);
    QCOMPARE(tags.count(), 0);
    const auto edit = converts.first().first().value<VEEditConfig>();
    QCOMPARE(edit.trimStart, start);
    QCOMPARE(edit.trimEnd, stop);
    QCOMPARE(edit.crop.rotation, 90);
}

void TestEditorWindow::snapshotsFollowTheSettingsAndReportInToasts() {
    const QString pngFolder = m_folders->root() + "/home/png shots";
    const QString jpgFolder = m_folders->root() + "/home/jpg shots";
    QVERIFY(QDir().mkpath(pngFolder));
    QVERIFY(QDir().mkpath(jpgFolder));
    readScreenshotFormat(); // the file with its defaults
    QVERIFY(writeScreenshotFormat("PNG"));
    QVERIFY(writeScreenshotFolder(pngFolder));
    QVERIFY(openEditor(m_clip));
    QCOMPARE(m_editor->snapshotFormat(), QStringLiteral("PNG"));
    QCOMPARE(QDir::fromNativeSeparators(m_editor->snapshotFolder()), pngFolder);
    QTrimOperationForm* trim = m_editor->trimTab();
    clickButton(trim->button("m_btnPause"));

    // A PNG snapshot of the 320 x 240 picture, named by the time, with its toast at the
    // desktop's bottom right.
    clickButton(trim->button("m_btnSnapshot"));
    QTRY_COMPARE(filesIn(pngFolder).size(), 1);
    const QString png = filesIn(pngFolder).first();
    QVERIFY2(QRegularExpression("^ScreenCapture_\\d{17}\\.png$").match(png).hasMatch(), qPrintable(png));
    QTRY_VERIFY(m_editor->toast() && m_editor->toast()->isVisible());
    QMessageOpacityForm* toast = m_editor->toast();
    QCOMPARE(toast->messageLabel()->text(), QStringLiteral("Snapshot successfully!"));
    const QRect desk = QGuiApplication::primaryScreen()->geometry();
    const QPoint corner(desk.width() - toast->width() - 10, desk.height() - toast->height() - 60);
    QTRY_COMPARE(toast->geometry().topLeft(), corner);
    desktop::keep(desktop::screen(), "editor_window_snapshot_toast");
    QJsonObject info = fixtures::probe(pngFolder + "/" + png);
    QCOMPARE(fixtures::stream(info, "video")["codec_name"].toString(), QStringLiteral("png"));
    QCOMPARE(fixtures::stream(info, "video")["width"].toInt(), 320);
    QCOMPARE(fixtures::stream(info, "video")["height"].toInt(), 240);
    const QImage saved(pngFolder + "/" + png);
    QVERIFY(editorfixtures::isRed(saved.pixelColor(40, 40)));
    QVERIFY(editorfixtures::isBlue(saved.pixelColor(280, 200)));

    // Settings from the snapshot menu: JPG into another folder.
    bool chosen = false;
    whenModal<QCaptureSettingDlg>([&](QCaptureSettingDlg* dialog) {
        QTimer::singleShot(40000, dialog, [dialog] { dialog->reject(); }); // fail, never hang
        desktop::keep(desktop::shot(dialog), "editor_window_snapshot_settings");
        dialog->formatBox()->setCurrentIndex(dialog->formatBox()->findText("JPG"));
        whenModal<QFileDialog>([&](QFileDialog* chooser) {
            // A dialog that missed the keys is closed, so that the test fails rather than hangs.
            QTimer::singleShot(25000, chooser, [chooser] { chooser->reject(); });
            desktop::typeIntoFolderChooser(chooser, jpgFolder);
        });
        QTest::qWait(300);
        desktoptest::click(centreOf(dialog->button("m_btnOpen")));
        chosen = desktoptest::waitFor([&] { return QDir::cleanPath(dialog->folder()) == jpgFolder; }, 25000);
        desktoptest::click(centreOf(dialog->button("m_btnOk")));
    });
    chooseMenuItem(QStringLiteral("Settings"));
    QTRY_VERIFY_WITH_TIMEOUT(chosen, 30000);
    QTRY_COMPARE(m_editor->snapshotFormat(), QStringLiteral("JPG"));
    QCOMPARE(QDir::cleanPath(QDir::fromNativeSeparators(m_editor->snapshotFolder())), jpgFolder);
    clickButton(trim->button("m_btnSnapshot"));
    QTRY_COMPARE(filesIn(jpgFolder).size(), 1);
    const QString jpg = filesIn(jpgFolder).first();
    QVERIFY2(jpg.startsWith("ScreenCapture_") && jpg.endsWith(".jpg"), qPrintable(jpg));
    info = fixtures::probe(jpgFolder + "/" + jpg);
    QCOMPARE(fixtures::stream(info, "video")["codec_name"].toString(), QStringLiteral("mjpeg"));
    QCOMPARE(filesIn(pngFolder).size(), 1);

    // "Open Folder" asks the file manager for the snapshot folder.
    FakeFileManager manager;
    QDBusConnection service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-file-manager");
    QVERIFY(service.registerObject("/org/freedesktop/FileManager1", &manager, QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService("org.freedesktop.FileManager1"));
    chooseMenuItem(QStringLiteral("Open Folder"));
    QTRY_COMPARE_WITH_TIMEOUT(manager.shownFolders.size(), 1, 10000);
    QCOMPARE(QUrl(manager.shownFolders.first()), QUrl::fromLocalFile(jpgFolder));
    service.unregisterService("org.freedesktop.FileManager1");
    QDBusConnection::disconnectFromBus("fake-file-manager");

    // The folder gone: the message names it, nothing is written.
    QVERIFY(QDir(jpgFolder).removeRecursively());
    toast->hide();
    clickButton(trim->button("m_btnSnapshot"));
    QTRY_VERIFY(toast->isVisible());
    QCOMPARE(toast->messageLabel()->text(), QStringLiteral("\"%1\"is not exists").arg(m_editor->snapshotFolder()));
    QVERIFY(!QDir(jpgFolder).exists());
    desktop::keep(desktop::screen(), "editor_window_snapshot_missing_folder");
}

void TestEditorWindow::pictureIsCentredInThePreview_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("4:3, bands left and right") << 320 << 240;
    QTest::newRow("wide, bands above and below") << 640 << 180;
}

void TestEditorWindow::pictureIsCentredInThePreview() {
    QFETCH(int, width);
    QFETCH(int, height);
    QString clip = m_clip;
    if (width != 320) {
        clip = m_folders->root() + QStringLiteral("/quadrants_%1x%2.mp4").arg(width).arg(height);
        QVERIFY(editorfixtures::makeQuadrantClip(clip, width, height, 4.0));
    }
    QVERIFY(openEditor(clip));
    clickButton(m_editor->trimTab()->button("m_btnPause"));
    // Equal black bands on both sides of the picture, its shape kept, on the one
    // surface of Trim and on both of Adjust.
    for (int tab : {QVideoEditingDlg::Trim, QVideoEditingDlg::Adjust}) {
        m_editor->selectedTag(tab);
        QMediaForm* pane = m_editor->preview();
        for (QMediaElementWindow* surface : {pane->previewSurface(), pane->sourceSurface()}) {
            if (!surface->isVisible()) {
                continue;
            }
            const QSize size = surface->size();
            const QString name = QStringLiteral("editor_window_centred_%1x%2_tab%3_%4")
                                     .arg(width)
                                     .arg(height)
                                     .arg(tab)
                                     .arg(surface == pane->previewSurface() ? "preview" : "source");
            QRect picture;
            QElapsedTimer waited;
            waited.start();
            const auto centred = [&] {
                picture = pictureBounds(desktop::shot(surface));
                return picture.isValid() && qAbs(picture.left() - (size.width() - 1 - picture.right())) <= 1 &&
                       qAbs(picture.top() - (size.height() - 1 - picture.bottom())) <= 1 &&
                       (picture.width() == size.width() || picture.height() == size.height());
            };
            while (!centred() && waited.elapsed() < 5000) {
                QTest::qWait(50);
            }
            desktop::keep(desktop::shot(surface), name);
            QVERIFY2(centred(), qPrintable(QStringLiteral("%1: picture at %2,%3 %4x%5 in %6x%7")
                                               .arg(name)
                                               .arg(picture.x())
                                               .arg(picture.y())
                                               .arg(picture.width())
                                               .arg(picture.height())
                                               .arg(size.width())
                                               .arg(size.height())));
            QVERIFY(qAbs(picture.width() * height - picture.height() * width) <= 2 * width);
        }
    }
}

// Paused, a surface that a tab shows (or sizes anew) shows the picture the player holds,
// not black (or an older picture) until playing resumes: the source surface is the
// player's main window only on the tabs that show it. The clip's pictures grow lighter
// frame by frame, so each surface tells which one it shows.
void TestEditorWindow::pausedPictureShowsOnEverySurfaceShown() {
    const QString clip = m_folders->root() + "/lighter.mp4";
    QVERIFY(fixtures::ffmpeg({"-f", "lavfi", "-i", "nullsrc=s=160x120:r=25,geq=lum='16+N':cb=128:cr=128", "-t", "8",
                              "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", clip}));
    QVERIFY(openEditor(clip));
    QTrimOperationForm* trim = m_editor->trimTab();
    RZPlayerManager* manager = m_editor->playerManager();
    // Playing after the load: paused two seconds or more in, far from the first picture.
    QTRY_VERIFY_WITH_TIMEOUT(manager->player()->frameTime() > 2000000, 10000);
    clickButton(trim->button("m_btnPause"));
    QTRY_VERIFY(trim->button("m_btnPlay")->isVisible());
    QTRY_VERIFY(manager->player()->isPaused());
    const QString snapshot = m_folders->root() + "/paused.png";
    QVERIFY(manager->saveSnapshot(snapshot));
    const int held = QImage(snapshot).pixelColor(80, 60).green();
    QVERIFY2(held > 40, qPrintable(QString::number(held)));

    QMediaForm* pane = m_editor->preview();
    PaintCounter counter;
    // The screen is read once the surface has been painted since the switch, so that what
    // it showed before cannot pass for the picture.
    const auto showsHeld = [&](QMediaElementWindow* surface, const QString& name, int paintsBefore) {
        int grey = -1;
        const bool shown = desktoptest::waitFor(
            [&] {
                grey = greyOnScreen(surface);
                return counter.paints(surface) > paintsBefore && qAbs(grey - held) <= 3;
            },
            5000);
        desktop::keep(desktop::shot(surface), name);
        return shown ? QString() : QStringLiteral("%1: grey %2 for %3").arg(name).arg(grey).arg(held);
    };
    QString wrong = showsHeld(pane->previewSurface(), "editor_window_paused_trim", -1);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    for (int tab : {QVideoEditingDlg::Effect, QVideoEditingDlg::Trim, QVideoEditingDlg::Adjust}) {
        const int previewPaints = counter.paints(pane->previewSurface());
        const int sourcePaints = counter.paints(pane->sourceSurface());
        m_editor->selectedTag(tab);
        const QString name = QStringLiteral("editor_window_paused_tab%1_").arg(tab);
        wrong = showsHeld(pane->previewSurface(), name + "preview", previewPaints);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        if (tab != QVideoEditingDlg::Trim) {
            wrong = showsHeld(pane->sourceSurface(), name + "source", sourcePaints);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        }
        // The pictures came from the paused player: it never played on.
        QVERIFY(manager->player()->isPaused());
    }
    // The adjust tab, never shown before in this editor, painted: the screen has the switch.
    QTRY_VERIFY(pane->cropOverlay()->isVisible() && counter.paints(m_editor->adjustTab()) > 0);
    desktop::keep(desktop::shot(m_editor.get()), "editor_window_paused_adjust");
}

void TestEditorWindow::typeTitle(const QString& song, const QString& typed) {
    QVERIFY(openEditor(song));
    QVideoEditTag* tabs = m_editor->tabBar();
    QTRY_VERIFY(tabs->button(QVideoEditingDlg::Tag)->isEnabled());
    QVERIFY(!m_editor->trimTab()->button("m_btnSnapshot")->isEnabled());
    QVERIFY(!m_editor->trimTab()->button("m_btnSnapshotMenu")->isEnabled());
    for (int tab = QVideoEditingDlg::Adjust; tab <= QVideoEditingDlg::Audio; ++tab) {
        QVERIFY(!tabs->button(tab)->isVisible());
    }
    clickButton(tabs->button(QVideoEditingDlg::Tag));
    QTRY_COMPARE(m_editor->currentTab(), int(QVideoEditingDlg::Tag));
    QAudioTagForm* tagTab = m_editor->tagTab();
    QVERIFY(tagTab->isVisible());
    QVERIFY(!m_editor->preview()->isVisible());
    QVERIFY(!m_editor->transportBar()->isVisible());
    auto* title = tagTab->findChild<QRZLineEdit*>("m_editTitle");
    QVERIFY(title);
    QTRY_COMPARE(title->text(), QStringLiteral("Old title"));
    clickButton(title);
    QTRY_VERIFY(title->hasFocus());
    QVERIFY(desktoptest::xdotool({"key", "ctrl+a"}));
    QVERIFY(desktoptest::xdotool({"type", "--delay", "20", typed}));
    QTRY_COMPARE(title->text(), typed);
}

void TestEditorWindow::soundOnlyFileTakesATypedTitle() {
    const QString song = m_folders->root() + "/song.mp3";
    QVERIFY(fixtures::makeTone(song, 4.0, {"-c:a", "libmp3lame", "-metadata", "title=Old title"}));
    typeTitle(song, QStringLiteral("Typed title"));
    if (QTest::currentTestFailed()) {
        return;
    }
    desktop::keep(desktop::shot(m_editor.get()), "editor_window_sound_tags");

    QSignalSpy converts(m_editor.get(), &QVideoEditingDlg::emitConvertFile);
    QSignalSpy tags(m_editor.get(), &QVideoEditingDlg::emitAudioTagChange);
    clickButton(m_editor->findChild<QWidget*>("m_btnOK"));
    QTRY_VERIFY(!m_editor->isVisible());
    QCOMPARE(converts.count(), 0);
    QCOMPARE(tags.count(), 1);
    QCOMPARE(QString::fromStdString(tags.first().first().value<VEAudioTagInfo>().title), QStringLiteral("Typed title"));
    QCOMPARE(fixtures::formatTag(fixtures::probe(song), "title"), QStringLiteral("Typed title"));
}

// A Matroska sound file is no type the tag library writes: the user is told, the editor
// stays open, and neither the file nor the history takes the title.
void TestEditorWindow::tagsOfATypeNoTagCanBeWrittenIntoAreRefused() {
    const QString song = m_folders->root() + "/song.mka";
    QVERIFY(fixtures::makeTone(song, 4.0, {"-c:a", "libmp3lame", "-metadata", "title=Old title"}));
    auto bytes = [&song] {
        QFile file(song);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    typeTitle(song, QStringLiteral("Typed title"));
    if (QTest::currentTestFailed()) {
        return;
    }
    QSignalSpy tags(m_editor.get(), &QVideoEditingDlg::emitAudioTagChange);
    QString told;
    acceptNextMessage(&told, [](QWidget* box) { desktop::keep(desktop::shot(box), "editor_window_tags_refused"); });
    clickButton(m_editor->findChild<QWidget*>("m_btnOK"));
    QTRY_COMPARE_WITH_TIMEOUT(told, QStringLiteral("Tags cannot be written into a file of this type."), 20000);
    QVERIFY(m_editor->isVisible());
    QCOMPARE(tags.count(), 0);
    QCOMPARE(fixtures::formatTag(fixtures::probe(song), "title"), QStringLiteral("Old title"));
    QCOMPARE(bytes(), before);
}

// A WAV file holds no cover: a cover chosen for one is refused by name, so the user
// knows what to take away, and the file keeps every byte.
void TestEditorWindow::coverForAWavFileIsRefusedByName() {
    const QString song = m_folders->root() + "/song.wav";
    QVERIFY(fixtures::makeTone(song, 4.0, {"-c:a", "pcm_s16le", "-metadata", "title=Old title"}));
    const QString cover = m_folders->root() + "/cover.png";
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(cover));
    auto bytes = [&song] {
        QFile file(song);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    QVERIFY(!before.isEmpty());
    typeTitle(song, QStringLiteral("Typed title"));
    if (QTest::currentTestFailed()) {
        return;
    }
    auto* coverButton = m_editor->tagTab()->findChild<QRZButtonExtend*>("m_btnTagImg");
    QVERIFY(coverButton);
    tabtest::chooseFile(cover);
    clickButton(coverButton);
    QTRY_VERIFY(coverButton->hasPicture());
    QSignalSpy tags(m_editor.get(), &QVideoEditingDlg::emitAudioTagChange);
    QString told;
    acceptNextMessage(&told,
                      [](QWidget* box) { desktop::keep(desktop::shot(box), "editor_window_wav_cover_refused"); });
    clickButton(m_editor->findChild<QWidget*>("m_btnOK"));
    QTRY_COMPARE_WITH_TIMEOUT(
        told, QStringLiteral("A WAV file cannot hold a cover. Remove the cover to save the other tags."), 20000);
    QVERIFY(m_editor->isVisible());
    QCOMPARE(tags.count(), 0);
    QCOMPARE(bytes(), before);
}

// While the editor loads, its spinner turns twelve dots on the outer part of its circle;
// bars would reach in to half the radius. A FIFO holds the loading open until the
// spinner has been looked at, then ends the file.
void TestEditorWindow::loadingSpinnerIsDrawnAsDots() {
    const QString fifo = m_folders->root() + "/held.mp4";
    QFile::remove(fifo);
    QCOMPARE(QProcess::execute("mkfifo", {fifo}), 0);
    std::atomic<bool> looked{false};
    std::thread feeder([&looked, fifo] {
        QElapsedTimer held;
        held.start();
        while (!looked && held.elapsed() < 15000) {
            QThread::msleep(20);
        }
        // Every reader that comes (the player opens the file too) meets the file's end.
        QElapsedTimer idle;
        idle.start();
        while (idle.elapsed() < 3000) {
            const int fd = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
            if (fd < 0) {
                QThread::msleep(20);
                continue;
            }
            ::close(fd);
            idle.restart();
            QThread::msleep(50);
        }
    });
    QImage shot;
    {
        QVideoEditingDlg editor;
        editor.setMediaFile(fifo, 0, 0);
        whenModal<QWaitForDlg>([&](QWaitForDlg*) {
            QProgressIndicator* spinner = editor.spinner();
            if (QTest::qWaitFor([spinner] { return spinner->isVisible() && spinner->isAnimated(); }, 5000)) {
                QTest::qWait(300); // a few turns painted
                const QPoint at = spinner->mapTo(&editor, QPoint(0, 0));
                shot = QGuiApplication::primaryScreen()
                           ->grabWindow(editor.winId(), at.x(), at.y(), spinner->width(), spinner->height())
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
            }
            looked = true;
            whenModal<QVideoEditingDlg>([](QVideoEditingDlg* window) {
                if (!QTest::qWaitFor([window] { return window->isLoaded(); }, 20000)) {
                    qWarning("the editor never finished loading");
                }
                window->close();
            });
        });
        editor.exec();
    }
    feeder.join();
    QFile::remove(fifo);
    QVERIFY(!shot.isNull());
    QDir().mkpath(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR));
    shot.save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR "/editor_loading_spinner.png"));
    // Pixels in the spinner's blue, by their distance from the centre.
    int inner = 0;
    int outer = 0;
    const QPointF centre((shot.width() - 1) / 2.0, (shot.height() - 1) / 2.0);
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.blue() - c.red() < 25) {
                continue;
            }
            const double r = std::hypot(x - centre.x(), y - centre.y());
            inner += r >= 14 && r <= 24 ? 1 : 0;
            outer += r >= 28 && r <= 39 ? 1 : 0;
        }
    }
    QVERIFY2(outer > 100, qPrintable(QStringLiteral("outer %1").arg(outer)));
    QVERIFY2(inner == 0, qPrintable(QStringLiteral("inner %1").arg(inner)));
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editor_window.moc"
