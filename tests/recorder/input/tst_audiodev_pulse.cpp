// The audio-device library, checked with pactl on sound servers of the test's own (it
// changes their default source): the sine source is listed and monitors are not; the
// panel's row sets the default source and its slider the source's volume; sources loaded
// and unloaded show through the refresh timer; getters answer at once while such a server
// is stopped; without a server no device comes within about a second; and a level preview
// of the desktop server's sine source moves the microphone meter.
#include "app/QRecordAreaInfo.h"
#include "media/QRecordAudioObject.h"
#include "platform/audiodev/audio_device.h"
#include "recorder/SelectRecordInputWgt.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZComboBox.h"

#include "DesktopHelpers.h"
#include "OwnSoundServer.h"
#include "PrivateUserFolders.h"
#include "TestOutput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace desktoptest;

namespace {

QString pactl(const QStringList& args) {
    return run(QStringLiteral("pactl"), args).trimmed();
}

struct DeviceLibrary {
    QLibrary library{SelectRecordInputWgt::deviceLibraryPath()};
    CreateDeviceFunction create = nullptr;
    DestroyDeviceFunction destroy = nullptr;
    bool load() {
        if (!library.load()) {
            return false;
        }
        create = reinterpret_cast<CreateDeviceFunction>(library.resolve("CreateDevice"));
        destroy = reinterpret_cast<DestroyDeviceFunction>(library.resolve("DestroyDevice"));
        return create && destroy;
    }
};

QStringList deviceNames(IAudioDevice* device) {
    QStringList names;
    for (int i = 0; i < device->deviceCount(); ++i) {
        names << QString::fromUtf16(device->deviceName(i));
    }
    return names;
}

int rowHolding(QRZComboBox* combo, const QString& text) {
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).contains(text)) {
            return i;
        }
    }
    return -1;
}

} // namespace

class TestAudioDevicePulse : public QObject {
    Q_OBJECT

    DeviceLibrary m_library;

private slots:
    void initTestCase() {
        QVERIFY(m_library.load());
        QVERIFY(!pactl({"info"}).isEmpty());
    }

    // On a server of the test's own: the default source it changes is read by every test
    // that records sound from the desktop's server.
    void sourcesAndMonitors() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        IAudioDevice* device = m_library.create();
        QVERIFY(device);
        const QStringList names = deviceNames(device);
        QVERIFY2(names.contains("own_mic"), qPrintable(names.join(", ")));
        for (const QString& name : names) {
            QVERIFY(!name.endsWith(".monitor"));
        }
        QVERIFY(pactl({"list", "short", "sources"}).contains("own_null.monitor"));
        // The sine source's line is named after its description.
        const int index = names.indexOf("own_mic");
        QCOMPARE(device->lineCount(index), 1);
        const QString description = QString::fromUtf16(device->lineName(index, 0));
        QVERIFY(pactl({"list", "sources"}).contains("Description: " + description));

        int d = -1;
        int l = -1;
        QCOMPARE(device->currentCaptureLine(&d, &l), 0);
        QCOMPARE(d, index);
        QCOMPARE(l, 0);
        QCOMPARE(device->currentPlaybackLine(&d, &l), 0);
        QVERIFY(device->playbackVolume(d, l) >= 0);
        QVERIFY(device->captureVolume(index, 0) >= 0 && device->captureVolume(index, 0) <= 100);
        QVERIFY(device->lineName(99, 0) == nullptr);
        QCOMPARE(device->captureVolume(99, 0), -1);

        // A monitor as the default source is no capture line.
        run("pactl", {"set-default-source", "own_null.monitor"});
        QVERIFY(waitFor([&]() { return device->currentCaptureLine(&d, &l) != 0; }));
        run("pactl", {"set-default-source", "own_mic"});
        QVERIFY(waitFor([&]() { return device->currentCaptureLine(&d, &l) == 0; }));
        m_library.destroy(device);
    }

    // The panel sets the default source: on a server of the test's own, as above. A device
    // change shows at the first refresh of the panel after the server made it, or at the
    // next one when that first refresh came before the library heard of it.
    void panelDrivesTheServer() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        const QString module = pactl({"load-module", "module-sine-source", "source_name=second_mic", "frequency=880"});
        QVERIFY(!module.isEmpty());
        SelectRecordInputWgt panel;
        panel.show();
        auto* combo = panel.findChild<QRZComboBox*>("m_cmbMicDevice");
        const int row = rowHolding(combo, "(second_mic)");
        QVERIFY2(row >= 0, qPrintable(QString::number(combo->count())));
        QSignalSpy changes(&panel, &SelectRecordInputWgt::emitMicDeviceChange);
        panel.MicDeviceChange(row);
        QVERIFY(waitFor([&]() { return pactl({"get-default-source"}) == "second_mic"; }));
        QCOMPARE(combo->currentIndex(), row);

        QMetaObject::invokeMethod(panel.findChild<QRZBaseSlider*>("m_sliderVolume"), "sendProgressValue",
                                  Q_ARG(double, 0.3));
        QVERIFY(waitFor([&]() { return pactl({"get-source-volume", "second_mic"}).contains("/  30% /"); }));

        // Refreshes of the panel's timer (every 200 ms), counted after the panel's own
        // handler ran; the refresh at which the list first showed the change.
        auto* refresh = panel.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(refresh);
        QCOMPARE(refresh->interval(), 200);
        int refreshes = 0;
        int shownAt = 0;
        std::function<bool()> shown;
        connect(refresh, &QTimer::timeout, &panel, [&]() {
            ++refreshes;
            if (shownAt == 0 && shown && shown()) {
                shownAt = refreshes;
            }
        });

        // A source unloaded and loaded again shows through the refresh timer.
        changes.clear();
        pactl({"unload-module", module});
        refreshes = 0;
        shown = [&]() { return rowHolding(combo, "(second_mic)") < 0 && !changes.isEmpty(); };
        QVERIFY(waitFor([&]() { return shownAt > 0; }, 3000));
        const int removedAt = shownAt;
        changes.clear();
        shownAt = 0;
        const QString again = pactl({"load-module", "module-sine-source", "source_name=third_mic"});
        refreshes = 0;
        shown = [&]() { return rowHolding(combo, "(third_mic)") >= 0 && !changes.isEmpty(); };
        QVERIFY(waitFor([&]() { return shownAt > 0; }, 3000));
        const int addedAt = shownAt;
        shown = nullptr;
        qInfo("source removed: shown at refresh %d; added: shown at refresh %d", removedAt, addedAt);
        QVERIFY2(removedAt <= 2 && addedAt <= 2, "a device change showed later than the second refresh");
        pactl({"unload-module", again});
    }

    void gettersDoNotWaitForAStoppedServer() {
        OwnSoundServer server;
        QVERIFY(server.started());
        IAudioDevice* device = nullptr;
        {
            ServerAddress address(server.address());
            device = m_library.create();
        }
        QVERIFY(device);
        QVERIFY(deviceNames(device).contains("own_mic"));
        server.stop();
        QElapsedTimer clock;
        qint64 slowestGettersUs = 0;
        qint64 slowestSetterUs = 0;
        for (int i = 0; i < 50; ++i) {
            int d = 0;
            int l = 0;
            clock.start();
            device->deviceCount();
            device->currentCaptureLine(&d, &l);
            device->captureVolume(0, 0);
            device->captureMute(0, 0);
            device->devicesChanged();
            slowestGettersUs = std::max<qint64>(slowestGettersUs, clock.nsecsElapsed() / 1000);
            clock.start();
            device->setCaptureVolume(0, 0, 50);
            slowestSetterUs = std::max<qint64>(slowestSetterUs, clock.nsecsElapsed() / 1000);
        }
        server.resume();
        qInfo("server stopped: slowest round of getters %lld us, slowest setter %lld us", slowestGettersUs,
              slowestSetterUs);
        QVERIFY(slowestGettersUs < 5000);
        QVERIFY(slowestSetterUs < 100000);
        m_library.destroy(device);
    }

    void noServerNoDevice() {
        QTemporaryDir dir;
        ServerAddress address("unix:" + dir.filePath("none.sock"));
        QElapsedTimer clock;
        clock.start();
        IAudioDevice* device = m_library.create();
        QVERIFY(device == nullptr);
        QVERIFY(clock.elapsed() < 2000);
    }

    // A level preview of the desktop server's sine microphone, steady from its first
    // moment: the arc around the microphone button shows on the screen in nearly every
    // one of 16 screenshots over 4 s (pixels that differ from a screenshot taken before
    // the preview ran), and it is gone once the preview stops.
    void previewMovesTheMicrophoneMeter() {
        SelectRecordInputWgt panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        const auto* button = panel.findChild<QWidget*>(QStringLiteral("m_btnMicDevice"));
        QVERIFY(button);
        const QRect area(button->mapToGlobal(QPoint(0, 0)), button->size());
        const auto shot = [&area] {
            return QGuiApplication::primaryScreen()
                ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const auto arcPixels = [](const QImage& before, const QImage& now) {
            int count = 0;
            for (int y = 0; y < std::min(before.height(), now.height()); ++y) {
                for (int x = 0; x < std::min(before.width(), now.width()); ++x) {
                    const QColor a = before.pixelColor(x, y);
                    const QColor b = now.pixelColor(x, y);
                    count +=
                        std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) >
                        60;
                }
            }
            return count;
        };
        QTest::qWait(300);
        const QImage idle = shot();
        QVERIFY(!idle.isNull());

        QRecordAudioObject preview(QRecordAudioObject::Microphone);
        preview.setLevelMeterEnabled(true);
        connect(&preview, &QRecordAudioObject::emitVolume, &panel, &SelectRecordInputWgt::MicrophoneAudioVolume);
        preview.start();
        QVERIFY(waitFor([&]() { return panel.microphoneLevel() > 0; }, 5000));
        constexpr int kFrames = 16;
        constexpr int kArcAtLeast = 20;
        QImage strip(area.width() * (kFrames + 2), area.height(), QImage::Format_RGB32);
        strip.fill(Qt::black);
        QPainter painter(&strip);
        painter.drawImage(0, 0, idle);
        QStringList counts;
        int shown = 0;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kFrames; ++i) {
            QTest::qWait(int(std::max<qint64>(1, (i + 1) * 250 - clock.elapsed())));
            const QImage frame = shot();
            const int pixels = arcPixels(idle, frame);
            counts << QString::number(pixels);
            shown += pixels >= kArcAtLeast;
            painter.drawImage(area.width() * (i + 1), 0, frame);
        }
        preview.stop();
        QVERIFY(waitFor([&]() { return panel.microphoneLevel() == 0; }, 2000));
        QTest::qWait(300);
        const QImage stopped = shot();
        painter.drawImage(area.width() * (kFrames + 1), 0, stopped);
        painter.end();
        strip.save(testoutput::pngPath(QStringLiteral("microphone_meter_frames")));
        const QString found =
            QString("arc pixels per frame: %1; after the stop %2").arg(counts.join(' ')).arg(arcPixels(idle, stopped));
        qInfo().noquote() << found;
        QVERIFY2(shown >= kFrames - 1, qPrintable(found));
        QVERIFY2(arcPixels(idle, stopped) < kArcAtLeast, qPrintable(found));
    }
};

int main(int argc, char** argv) {
    PrivateUserFolders folders;
    QApplication app(argc, argv);
    TestAudioDevicePulse test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_audiodev_pulse.moc"
