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

#include <QApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QProcess>
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

    void previewMovesTheMicrophoneMeter() {
        SelectRecordInputWgt panel;
        panel.show();
        QRecordAudioObject preview(QRecordAudioObject::Microphone);
        preview.setLevelMeterEnabled(true);
        connect(&preview, &QRecordAudioObject::emitVolume, &panel, &SelectRecordInputWgt::MicrophoneAudioVolume);
        preview.start();
        QVERIFY(waitFor([&]() { return panel.microphoneLevel() > 0; }, 5000));
        QDir().mkpath(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR));
        panel.grab().save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR) + QStringLiteral("/audio_input_panel.png"));
        preview.stop();
        QVERIFY(waitFor([&]() { return panel.microphoneLevel() == 0; }, 2000));
    }
};

int main(int argc, char** argv) {
    PrivateUserFolders folders;
    QApplication app(argc, argv);
    TestAudioDevicePulse test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_audiodev_pulse.moc"
