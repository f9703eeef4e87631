// The trim slider, the Trim tab and the transport bar on the virtual desktop, wired to a
// real playback controller as the editor wires them: handle limits and drags, section
// play, frame steps, chapters and their preselection, Trim and Reset with and without
// chapters, the selections too short to apply, and seeking from the transport bar.
#include "editor/QVEDualSlider.h"
#include "media/ConvertParam.h"
#include "media/RZConverterObject.h"
#include "media/RZPlayerClass.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/editor/DesktopHelpers.h"
#include "tests/editor/EditorFixtures.h"
#include "tests/editor/EditorRig.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The global point of a slider handle's centre.
QPoint centreOf(QWidget* widget) {
    return widget->mapToGlobal(widget->rect().center());
}

uint64_t distance(uint64_t a, uint64_t b) {
    return a > b ? a - b : b - a;
}

// Five pictures a second, each carrying its own number as a 16-bit bar code across the
// picture (10-pixel columns, lowest bit on the left), with a tone under it.
const int kNumberedFps = 5;
bool makeNumberedClip(const QString& path, int seconds) {
    const QString bars = QStringLiteral("nullsrc=s=160x120:r=%1:d=%2,format=gray,"
                                        "geq=lum='if(mod(floor(N/pow(2\\,floor(X/10)))\\,2)\\,235\\,16)'")
                             .arg(kNumberedFps)
                             .arg(seconds);
    return fixtures::ffmpeg({"-f", "lavfi", "-i", bars, "-f", "lavfi", "-i",
                             QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds), "-c:v",
                             "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest",
                             path});
}

// The numbers of all pictures of a file made by makeNumberedClip (or cut from one), in
// the order ffmpeg decodes them.
QVector<int> pictureNumbers(const QString& path) {
    QProcess decoder;
    decoder.start(QStringLiteral("ffmpeg"), {"-v", "error", "-nostdin", "-i", path, "-vf",
                                             "scale=160:120,crop=160:1:0:60,format=gray", "-f", "rawvideo", "-"});
    QVector<int> numbers;
    if (!decoder.waitForFinished(120000) || decoder.exitCode() != 0) {
        return numbers;
    }
    const QByteArray rows = decoder.readAllStandardOutput();
    for (int at = 0; at + 160 <= rows.size(); at += 160) {
        int number = 0;
        for (int bit = 0; bit < 16; ++bit) {
            number |= uchar(rows[at + bit * 10 + 5]) > 128 ? 1 << bit : 0;
        }
        numbers << number;
    }
    return numbers;
}

// "hh:mm:ss.mmm" back to microseconds; -1 for any other text.
int64_t labelMicroseconds(const QString& text) {
    const QRegularExpressionMatch m = QRegularExpression("^(\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d\\d\\d)$").match(text);
    if (!m.hasMatch()) {
        return -1;
    }
    return ((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 60 + m.captured(3).toLongLong()) *
               1000000 +
           m.captured(4).toLongLong() * 1000;
}

// The times the handles of a slider spanning `lengthUs` are drawn at, read as the user
// reads them: by each handle's centre line, on the track from where the start handle's
// line stands at the beginning (`zeroX`) to where the end handle's stands at the end
// (`fullX`), both in the slider's coordinates.
struct DrawnRange {
    int64_t startUs;
    int64_t endUs;
};
int lineOf(const QWidget* handle) {
    return handle->x() + handle->width() / 2;
}
DrawnRange drawnRange(const QVEDualSlider* slider, uint64_t lengthUs, int zeroX, int fullX) {
    const double track = fullX - zeroX;
    return {int64_t((lineOf(slider->startButton()) - zeroX) / track * double(lengthUs)),
            int64_t((lineOf(slider->endButton()) - zeroX) / track * double(lengthUs))};
}

} // namespace

class TestEditorTrim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sliderLimitsAndDrags();
    void handlesFollowThePointerWhereverQtThinksTheWindowIs();
    void rangeLabelText();
    void sectionPlayStopsAtTheEndHandle();
    void framesStepAtTheSelectedHandle();
    void trimWithoutChapters();
    void longRecordingIsCutWhereTheHandlesAreDrawn();
    void selectionsTooShortApplyNothing();
    void chaptersPreselectAndTrimInsideAChapter();
    void transportBarSeeksAndShowsState();

private:
    QTemporaryDir m_dir;
    QString m_clip;
    QString m_chapters;
};

void TestEditorTrim::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("clip.mp4");
    m_chapters = m_dir.filePath("chapters.mp4");
    QVERIFY(editorfixtures::makeQuadrantClip(m_clip, 640, 360, 10.0));
    const QString metadata = m_dir.filePath("chapters.txt");
    QVERIFY(editorfixtures::writeChapterMetadata(metadata));
    QVERIFY(editorfixtures::makeQuadrantClip(m_chapters, 640, 360, 10.0, metadata));
}

void TestEditorTrim::sliderLimitsAndDrags() {
    QWidget window;
    window.setGeometry(100, 100, 700, 80);
    QVEDualSlider slider(&window);
    const QString images = QString::fromLocal8Bit(qgetenv("CALVORINE_APP_DIR")) + "/VEditSource/";
    slider.setGrooveImage(images + "slider_bottom.png");
    slider.setRangeImage(images + "slider_top.png");
    slider.setStartHandleImage(images + "btn_silder_start.png", 1);
    slider.setEndHandleImage(images + "btn_silder_end.png");
    slider.setPlayHandleImage(images + "btn_silder_proess.png", 6);
    slider.setPiecewiseTrack(true);
    slider.setTrackEdge(1);
    slider.resize(600, slider.height());
    slider.move(20, 10);
    slider.setEndValue(100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int usable = slider.usableWidth();
    QCOMPARE(usable, 600 - 2 * slider.startButton()->width());
    QCOMPARE(slider.endValue(), 1.0f);

    // Start at 100 stops 2 pixels before the end; end at 0 stays 2 after the start.
    slider.setStartValue(100);
    QCOMPARE(slider.startPosition(), float(usable - 2));
    slider.setStartValue(0);
    slider.setEndValue(0);
    QCOMPARE(slider.endPosition(), 2.0f);
    slider.setEndValue(100);
    slider.setStartValue(25);
    QCOMPARE(slider.startValue(), 0.25f);

    // A drag of the start handle past the end handle stops on it; the play handle follows
    // the start handle.
    slider.setEndValue(50);
    QSignalSpy starts(&slider, &QVEDualSlider::sendProgressValue);
    QSignalSpy plays(&slider, &QVEDualSlider::sendPlayProValue);
    QSignalSpy presses(&slider, &QVEDualSlider::emitMousePress);
    const QPoint from = centreOf(slider.startButton());
    QVERIFY(desktoptest::drag(from, from + QPoint(400, 0)));
    QCOMPARE(lineOf(slider.startButton()), lineOf(slider.endButton()));
    QCOMPARE(lineOf(slider.playButton()), lineOf(slider.startButton()));
    QVERIFY(!starts.isEmpty());
    QCOMPARE(slider.playPosition(), slider.startPosition());
    QVERIFY(slider.isStartSelected());
    QCOMPARE(presses.count(), 1);
    // A press on the end handle selects the end.
    QVERIFY(desktoptest::drag(centreOf(slider.endButton()), centreOf(slider.endButton()) + QPoint(100, 0)));
    QVERIFY(!slider.isStartSelected());
    QVERIFY(slider.endValue() > 0.6f);

    // A click on the track moves the play handle there.
    plays.clear();
    const QPoint track = slider.mapToGlobal(QPoint(slider.startButton()->width() + usable / 10, slider.height() - 3));
    QVERIFY(desktoptest::click(track));
    QVERIFY(!plays.isEmpty());
    QVERIFY(std::abs(slider.playValue() - 0.1f) < 0.02f);

    // Mouse off: clicks and drags change nothing, yet the press is reported.
    slider.setMouseEnabled(false);
    presses.clear();
    const float play = slider.playValue();
    const float start = slider.startValue();
    QVERIFY(desktoptest::click(slider.mapToGlobal(QPoint(slider.width() / 2, slider.height() - 3))));
    QVERIFY(desktoptest::drag(centreOf(slider.startButton()), centreOf(slider.startButton()) - QPoint(80, 0)));
    QCOMPARE(slider.playValue(), play);
    QCOMPARE(slider.startValue(), start);
    QVERIFY(presses.count() >= 1);

    // Arrow keys ask for frame steps.
    QSignalSpy previous(&slider, &QVEDualSlider::emitPreviousFrame);
    QSignalSpy next(&slider, &QVEDualSlider::emitNextFrame);
    QTest::keyClick(&slider, Qt::Key_Left);
    QTest::keyClick(&slider, Qt::Key_Right);
    QCOMPARE(previous.count(), 1);
    QCOMPARE(next.count(), 1);
}

// Qt's idea of where a window is can lag behind the window manager (seen with the editor
// placed by it): the handles and the track follow the pointer's place in the window,
// whatever global position the events carry.
void TestEditorTrim::handlesFollowThePointerWhereverQtThinksTheWindowIs() {
    QWidget window;
    window.setGeometry(100, 100, 700, 80);
    QVEDualSlider slider(&window);
    const QString images = QString::fromLocal8Bit(qgetenv("CALVORINE_APP_DIR")) + "/VEditSource/";
    slider.setStartHandleImage(images + "btn_silder_start.png", 1);
    slider.setEndHandleImage(images + "btn_silder_end.png");
    slider.setPlayHandleImage(images + "btn_silder_proess.png", 6);
    slider.resize(600, slider.height());
    slider.move(20, 10);
    slider.setEndValue(100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint elsewhere(3000, 2000); // far from where Qt believes the slider is
    const auto send = [&](QWidget* to, QEvent::Type type, const QPoint& local, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, to->mapTo(&window, local), elsewhere + local, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(to, &event);
    };
    const auto dragBy = [&](QWidget* handle, int dx) {
        const QPoint at = handle->rect().center();
        send(handle, QEvent::MouseButtonPress, at, Qt::LeftButton);
        send(handle, QEvent::MouseMove, at + QPoint(dx, 0), Qt::LeftButton);
        send(handle, QEvent::MouseButtonRelease, at + QPoint(dx, 0), Qt::NoButton);
    };
    const int startX = slider.startButton()->x();
    dragBy(slider.startButton(), 150);
    QCOMPARE(slider.startButton()->x(), startX + 150);
    QCOMPARE(slider.startPosition(), 150.0f);
    const int endX = slider.endButton()->x();
    dragBy(slider.endButton(), -100);
    QCOMPARE(slider.endButton()->x(), endX - 100);
    const int playX = slider.playButton()->x();
    dragBy(slider.playButton(), -40);
    QCOMPARE(slider.playButton()->x(), playX - 40);
    QCOMPARE(slider.playPosition(), float(playX - 40 - slider.playButton()->width() / 2));
    const QPoint onTrack(slider.startButton()->width() + 300, slider.height() - 3);
    send(&slider, QEvent::MouseButtonPress, onTrack, Qt::LeftButton);
    send(&slider, QEvent::MouseButtonRelease, onTrack, Qt::NoButton);
    QCOMPARE(slider.playPosition(), 300.0f);
}

void TestEditorTrim::rangeLabelText() {
    QCOMPARE(QTrimOperationForm::rangeLabelText(0), QStringLiteral("00:00:00.000"));
    QCOMPARE(QTrimOperationForm::rangeLabelText(3723004999ULL), QStringLiteral("01:02:03.004"));
    QCOMPARE(QTrimOperationForm::rangeLabelText(999), QStringLiteral("00:00:00.000"));
}

void TestEditorTrim::sectionPlayStopsAtTheEndHandle() {
    EditorRig rig;
    QVERIFY(rig.load(m_clip));
    QVEDualSlider* slider = rig.trim->slider();
    slider->setStartValue(20);
    slider->setEndValue(40);
    const uint64_t end = uint64_t(double(rig.manager.playRangeLength()) * slider->endValue());
    QSignalSpy section(&rig.manager, &RZPlayerManager::emitTrimPlayState);
    QRZBaseButton* play = rig.trim->button("m_btnTrimPlay");
    QVERIFY(desktoptest::click(centreOf(play)));
    QVERIFY(!section.isEmpty());
    QCOMPARE(section.first().first().toBool(), true);
    QVERIFY(rig.trim->button("m_btnTrimPause")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(section.last().first().toBool() == false, 8000);
    QTest::qWait(200);
    const uint64_t shown = rig.manager.player()->frameTime();
    QVERIFY2(distance(shown, end) <= 40000, qPrintable(QStringLiteral("%1 vs %2").arg(shown).arg(end)));
    QVERIFY(rig.trim->button("m_btnTrimPlay")->isVisible());
    QVERIFY(rig.trim->timeLabel()->text().contains(QLatin1Char('.')));
    desktop::keep(desktop::shot(&rig.window), QStringLiteral("editor_trim_tab"));
}

void TestEditorTrim::framesStepAtTheSelectedHandle() {
    EditorRig rig;
    QVERIFY(rig.load(m_clip));
    QVEDualSlider* slider = rig.trim->slider();
    slider->setStartValue(30);
    const uint64_t at = uint64_t(double(rig.manager.playRangeLength()) * slider->startValue());
    QSignalSpy steps(rig.trim, &QTrimOperationForm::emitNextStep);
    QVERIFY(desktoptest::click(centreOf(rig.trim->button("m_btnNext"))));
    QCOMPARE(steps.count(), 1);
    QCOMPARE(steps.first().at(0).toBool(), true); // the play handle was elsewhere
    const uint64_t shown = rig.manager.player()->frameTime();
    QVERIFY2(shown > at && shown - at <= 40000 + 40000, qPrintable(QStringLiteral("%1 vs %2").arg(shown).arg(at)));
    // The start handle followed the picture shown.
    QVERIFY(std::abs(slider->startValue() - float(double(shown) / double(rig.manager.playRangeLength()))) < 0.005f);

    // Handles on one spot: Next with the start selected and Previous with the end
    // selected do nothing.
    steps.clear();
    QSignalSpy back(rig.trim, &QTrimOperationForm::emitPreviousStep);
    slider->setStartValue(0);
    QVERIFY(desktoptest::drag(centreOf(slider->endButton()), slider->mapToGlobal(QPoint(0, 20))));
    QVERIFY(!slider->isStartSelected());
    QCOMPARE(slider->endPosition(), slider->startPosition());
    rig.trim->onPrevious();
    QVERIFY(back.isEmpty());
    slider->setStartSelected(true);
    rig.trim->onNext();
    QVERIFY(steps.isEmpty());
    rig.trim->onPrevious();
    QCOMPARE(back.count(), 1);
}

void TestEditorTrim::trimWithoutChapters() {
    EditorRig rig;
    QVERIFY(rig.load(m_clip));
    QVERIFY(rig.trim->chapterBox()->isHidden());
    QCOMPARE(rig.trim->endTimeLabel()->text(), QTrimOperationForm::rangeLabelText(rig.manager.duration()));
    QSignalSpy trims(rig.trim, &QTrimOperationForm::emitTrim);
    // The whole range stays "no trim".
    QVERIFY(desktoptest::click(centreOf(rig.trim->button("m_btnTrim"))));
    QCOMPARE(trims.count(), 1);
    QCOMPARE(trims.first().at(0).value<uint64_t>(), uint64_t(0));
    QCOMPARE(trims.first().at(1).value<uint64_t>(), uint64_t(0));
    VEEditConfig config;
    rig.settings.getEditConfig(config);
    QCOMPARE(config.trimStart, uint64_t(0));
    QCOMPARE(config.trimEnd, uint64_t(0));
    // 20 % to 60 % of 10 s, then the slider spans the new range.
    rig.trim->slider()->setStartValue(20);
    rig.trim->slider()->setEndValue(60);
    QVERIFY(desktoptest::click(centreOf(rig.trim->button("m_btnTrim"))));
    rig.settings.getEditConfig(config);
    QVERIFY(distance(config.trimStart, 2000000) < 20000);
    QVERIFY(distance(config.trimEnd, 6000000) < 20000);
    QCOMPARE(rig.trim->slider()->startValue(), 0.0f);
    QCOMPARE(rig.trim->slider()->endValue(), 1.0f);
    QCOMPARE(rig.trim->startTimeLabel()->text(), QTrimOperationForm::rangeLabelText(config.trimStart));
    QCOMPARE(rig.trim->endTimeLabel()->text(), QTrimOperationForm::rangeLabelText(config.trimEnd));
    // Reset: the whole file again.
    QSignalSpy resets(rig.trim, &QTrimOperationForm::emitReset);
    QVERIFY(desktoptest::click(centreOf(rig.trim->button("m_btnReset"))));
    QCOMPARE(resets.count(), 1);
    rig.settings.getEditConfig(config);
    QCOMPARE(config.trimStart, uint64_t(0));
    QCOMPARE(config.trimEnd, uint64_t(0));
}

void TestEditorTrim::longRecordingIsCutWhereTheHandlesAreDrawn() {
    const QString source = m_dir.filePath("numbered.mp4");
    QVERIFY(makeNumberedClip(source, 630));
    EditorRig rig;
    QVERIFY(rig.load(source));
    QVEDualSlider* slider = rig.trim->slider();
    const uint64_t length = rig.settings.playRangeLength();
    QVERIFY2(length > 600000000, qPrintable(QString::number(length)));
    const int64_t picture = 1000000 / kNumberedFps;
    const auto near = [picture](int64_t a, int64_t b) { return std::llabs(a - b) <= picture; };
    // The track as drawn on the loaded file: the start handle's line at its beginning, the
    // end handle's at its end.
    const int zeroX = lineOf(slider->startButton());
    const int fullX = lineOf(slider->endButton());
    QVERIFY(fullX - zeroX > 500);

    // Each handle dragged by the pointer: its label follows while the button is held and
    // stays after it is let go.
    struct Drag {
        QWidget* handle;
        QLabel* label;
        double to; // share of the track
        const char* name;
    };
    for (const Drag& d : {Drag{slider->startButton(), rig.trim->startTimeLabel(), 0.55, "start"},
                          Drag{slider->endButton(), rig.trim->endTimeLabel(), 0.93, "end"}}) {
        const QPoint from = centreOf(d.handle);
        const QPoint to = slider->mapToGlobal(
            QPoint(zeroX + int((fullX - zeroX) * d.to), from.y() - slider->mapToGlobal(QPoint()).y()));
        QString held;
        int64_t drawnWhileHeld = 0;
        QVERIFY(desktoptest::drag(from, to, 10, [&] {
            QTest::qWait(150);
            held = d.label->text();
            const DrawnRange drawn = drawnRange(slider, length, zeroX, fullX);
            drawnWhileHeld = d.handle == slider->startButton() ? drawn.startUs : drawn.endUs;
            desktop::keep(desktop::shot(&rig.window), QStringLiteral("trim_long_%1_held").arg(d.name));
        }));
        QVERIFY2(near(labelMicroseconds(held), drawnWhileHeld),
                 qPrintable(QStringLiteral("%1 label \"%2\" while held, the handle drawn at %3")
                                .arg(d.name, held, QTrimOperationForm::rangeLabelText(drawnWhileHeld))));
        const DrawnRange drawn = drawnRange(slider, length, zeroX, fullX);
        const int64_t at = d.handle == slider->startButton() ? drawn.startUs : drawn.endUs;
        QVERIFY2(near(labelMicroseconds(d.label->text()), at),
                 qPrintable(QStringLiteral("%1 label \"%2\" let go, the handle drawn at %3")
                                .arg(d.name, d.label->text(), QTrimOperationForm::rangeLabelText(at))));
    }
    const DrawnRange drawn = drawnRange(slider, length, zeroX, fullX);
    desktop::keep(desktop::shot(&rig.window), "trim_long_handles_set");

    // Trim: the applied range, its labels and the cut file's first and last pictures are
    // where the handles stood.
    QVERIFY(desktoptest::click(centreOf(rig.trim->button("m_btnTrim"))));
    VEEditConfig applied;
    rig.settings.getEditConfig(applied);
    QTRY_COMPARE(slider->startValue(), 0.0f); // the slider spans the new range
    QTest::qWait(200);                        // and has painted it
    desktop::keep(desktop::shot(&rig.window), "trim_long_trimmed");
    const QString wanted = QStringLiteral("%1-%2").arg(QTrimOperationForm::rangeLabelText(drawn.startUs),
                                                       QTrimOperationForm::rangeLabelText(drawn.endUs));
    QVERIFY2(near(int64_t(applied.trimStart), drawn.startUs) && near(int64_t(applied.trimEnd), drawn.endUs),
             qPrintable(QStringLiteral("applied %1-%2, the handles drawn at %3")
                            .arg(QTrimOperationForm::rangeLabelText(applied.trimStart),
                                 QTrimOperationForm::rangeLabelText(applied.trimEnd), wanted)));
    QCOMPARE(rig.trim->startTimeLabel()->text(), QTrimOperationForm::rangeLabelText(applied.trimStart));
    QCOMPARE(rig.trim->endTimeLabel()->text(), QTrimOperationForm::rangeLabelText(applied.trimEnd));

    ConvertConfig job;
    job.param = new ConvertParam;
    job.param->setName("mp4");
    job.sourcePath = source;
    job.outputFolder = m_dir.path();
    job.displayName = QStringLiteral("numbered.mp4");
    job.edit = applied;
    RZConverterObject converter;
    bool finished = false;
    bool converted = false;
    connect(
        &converter, &RZConverterObject::emitConvertedFinish, this,
        [&](bool ok) {
            finished = true;
            converted = ok;
        },
        Qt::QueuedConnection);
    converter.setJob(job);
    converter.startConvert();
    QTRY_VERIFY_WITH_TIMEOUT(finished, 300000);
    QVERIFY(converted);
    const QVector<int> numbers = pictureNumbers(converter.job().outputPath);
    QVERIFY(!numbers.isEmpty());
    const int firstWanted = int(drawn.startUs / picture);
    const int lastWanted = int((drawn.endUs - 1) / picture);
    QVERIFY2(std::abs(numbers.first() - firstWanted) <= 1 && std::abs(numbers.last() - lastWanted) <= 1,
             qPrintable(QStringLiteral("pictures %1 to %2 (%3-%4), the handles drawn at %5 (pictures %6 to %7)")
                            .arg(numbers.first())
                            .arg(numbers.last())
                            .arg(QTrimOperationForm::rangeLabelText(uint64_t(numbers.first()) * picture),
                                 QTrimOperationForm::rangeLabelText(uint64_t(numbers.last() + 1) * picture), wanted)
                            .arg(firstWanted)
                            .arg(lastWanted)));
}

void TestEditorTrim::selectionsTooShortApplyNothing() {
    EditorRig rig;
    VEEditConfig earlier;
    earlier.trimStart = 1000000;
    earlier.trimEnd = 9000000;
    QVERIFY(rig.load(m_clip, earlier));
    QSignalSpy trims(rig.trim, &QTrimOperationForm::emitTrim);
    QVEDualSlider* slider = rig.trim->slider();
    // Both handles at one spot.
    slider->setStartValue(50);
    QVERIFY(desktoptest::drag(centreOf(slider->endButton()), centreOf(slider->startButton()) - QPoint(40, 0)));
    QCOMPARE(slider->endPosition(), slider->startPosition());
    rig.trim->onTrim();
    // Both at 0.
    slider->setStartValue(0);
    QVERIFY(desktoptest::drag(centreOf(slider->endButton()), slider->mapToGlobal(QPoint(0, 20))));
    QCOMPARE(slider->endPosition(), 0.0f);
    rig.trim->onTrim();
    QVERIFY(trims.isEmpty());
    VEEditConfig config;
    rig.settings.getEditConfig(config);
    QCOMPARE(config.trimStart, uint64_t(1000000));
    QCOMPARE(config.trimEnd, uint64_t(9000000));
    QCOMPARE(rig.manager.playRangeLength(), uint64_t(8000000));
    QCOMPARE(slider->endValue(), 1.0f);
}

void TestEditorTrim::chaptersPreselectAndTrimInsideAChapter() {
    // A range within 1 ms of chapter 2 (3-7 s) preselects its row; exactly 1 ms off does not.
    {
        EditorRig rig;
        VEEditConfig near;
        near.trimStart = 3000000 + 999;
        near.trimEnd = 7000000 - 999;
        QVERIFY(rig.load(m_chapters, near));
        QCOMPARE(rig.trim->chapterBox()->count(), 4);
        QCOMPARE(rig.trim->chapterBox()->currentIndex(), 2);
    }
    {
        EditorRig rig;
        VEEditConfig off;
        off.trimStart = 3000000 + 1000;
        off.trimEnd = 7000000;
        QVERIFY(rig.load(m_chapters, off));
        QCOMPARE(rig.trim->chapterBox()->currentIndex(), 0);
    }
    EditorRig rig;
    QVERIFY(rig.load(m_chapters));
    QCheckboxCombobox* box = rig.trim->chapterBox();
    QVERIFY(box->isVisible());
    QCOMPARE(box->count(), 4);
    QCOMPARE(box->currentIndex(), 0);
    QVERIFY(box->itemText(2).contains(QStringLiteral("00:00:03-00:00:07")));
    // Chapter 2 gives 3-7 s.
    box->setCurrentIndex(2);
    QCOMPARE(rig.trim->startTimeLabel()->text(), QStringLiteral("00:00:03.000"));
    QCOMPARE(rig.trim->endTimeLabel()->text(), QStringLiteral("00:00:07.000"));
    QVERIFY(box->itemText(0).endsWith(QStringLiteral("00:00:03-00:00:07")));
    // Trim at 25 % and 75 % of it: 4-6 s, and row 0 holds that range.
    rig.trim->slider()->setStartValue(25);
    rig.trim->slider()->setEndValue(75);
    QSignalSpy chapterTrims(rig.trim, &QTrimOperationForm::emitTrimChapter);
    QVERIFY(desktoptest::click(centreOf(rig.trim->button("m_btnTrim"))));
    QCOMPARE(chapterTrims.count(), 1);
    VEEditConfig config;
    rig.settings.getEditConfig(config);
    QVERIFY2(distance(config.trimStart, 4000000) < 20000, qPrintable(QString::number(config.trimStart)));
    QVERIFY2(distance(config.trimEnd, 6000000) < 20000, qPrintable(QString::number(config.trimEnd)));
    QCOMPARE(box->currentIndex(), 0);
    QVERIFY(QString::fromStdString(config.chapters.first().caption).endsWith(QStringLiteral("00:00:04-00:00:06")));
    QCOMPARE(config.chapters.first().start, config.trimStart);

    const VEEditConfig trimmed = config;

    // Reset: the whole file through row 0.
    QVERIFY(desktoptest::click(centreOf(rig.trim->button("m_btnReset"))));
    rig.settings.getEditConfig(config);
    QCOMPARE(config.trimStart, uint64_t(0));
    QCOMPARE(config.trimEnd, rig.manager.duration());
    QVERIFY(box->itemText(0).endsWith(QStringLiteral("00:00:00-00:00:10")));
    rig.window.hide();

    // Loaded again from the trimmed record, the whole-file row reads the trimmed range.
    EditorRig again;
    QVERIFY(again.load(m_chapters, trimmed));
    QCOMPARE(again.trim->chapterBox()->currentIndex(), 0);
    QVERIFY2(again.trim->chapterBox()->itemText(0).endsWith(QStringLiteral(", 00:00:04-00:00:06")),
             qPrintable(again.trim->chapterBox()->itemText(0)));
    QCOMPARE(again.trim->startTimeLabel()->text().left(8), QStringLiteral("00:00:04"));
}

void TestEditorTrim::transportBarSeeksAndShowsState() {
    EditorRig rig;
    QVERIFY(rig.load(m_clip));
    rig.trim->hide();
    rig.bar->show();
    QTest::qWait(100);
    QRZBaseSlider* progress = rig.bar->progressSlider();
    QVERIFY(progress->width() > 300);
    QCOMPARE(rig.bar->timeLabel()->geometry().right(), rig.bar->width() - 12 - 1);
    QSignalSpy presses(rig.bar, &QPlayerOperationForm::emitSliderPress);
    QSignalSpy releases(rig.bar, &QPlayerOperationForm::emitSliderRelease);
    QSignalSpy seeks(rig.bar, &QPlayerOperationForm::emitProgressValue);
    const int y = progress->height() / 2;
    const QPoint from = progress->mapToGlobal(QPoint(progress->width() / 10, y));
    const QPoint to = progress->mapToGlobal(QPoint(progress->width() * 6 / 10, y));
    QVERIFY(desktoptest::drag(from, to));
    QCOMPARE(presses.count(), 1);
    QCOMPARE(releases.count(), 1);
    QVERIFY(!seeks.isEmpty());
    const double fraction = seeks.last().first().toDouble();
    QVERIFY2(fraction > 0.5 && fraction < 0.7, qPrintable(QString::number(fraction)));
    QTRY_VERIFY(distance(rig.manager.player()->frameTime(), uint64_t(fraction * 10000000)) < 200000);
    QVERIFY(rig.bar->timeLabel()->text().startsWith(QStringLiteral("00:00:0")));

    // Play, then the end: the play button comes back.
    QVERIFY(desktoptest::click(centreOf(rig.bar->button("m_btnPlay"))));
    QVERIFY(rig.bar->button("m_btnPause")->isVisible());
    QVERIFY(!rig.bar->button("m_btnPlay")->isVisible());
    rig.bar->playFinish();
    QVERIFY(rig.bar->button("m_btnPlay")->isVisible());
    QVERIFY(!rig.bar->button("m_btnPause")->isVisible());
    QCOMPARE(progress->value(), 0.0);
    rig.manager.onStop();
}

QTEST_MAIN(TestEditorTrim)
#include "tst_editor_trim.moc"
