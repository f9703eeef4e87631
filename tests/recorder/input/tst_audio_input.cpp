// The audio-input panel over a stand-in audio-device library: rows and their item data,
// unnamed devices and lines, the selected row and the device-present bits, volumes of
// muted, unknown and unreadable lines, slider moves that unmute, device changes seen by
// the refresh timer, the level meters, no library at all, and the source choice written
// to the settings file at each click (read back with the DOM, not our own reader).
#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "recorder/SelectRecordInputWgt.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"

#include "PrivateUserFolders.h"

#include <QApplication>
#include <QDomDocument>
#include <QFile>
#include <QLabel>
#include <QLibrary>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// The stand-in library, steered through its fake* entries.
struct Fake {
    QLibrary library{QStringLiteral(CALVORINE_FAKE_AUDIODEV)};
    void (*setDevices)(const char*) = nullptr;
    void (*setCapture)(int, int, int, int, int) = nullptr;
    void (*setPlayback)(int, int, int) = nullptr;
    void (*setChanged)(int) = nullptr;
    void (*setCreateFails)(int) = nullptr;
    int (*refreshes)() = nullptr;
    const char* (*takeLog)() = nullptr;

    bool load() {
        if (!library.load()) {
            return false;
        }
        setDevices = reinterpret_cast<decltype(setDevices)>(library.resolve("fakeSetDevices"));
        setCapture = reinterpret_cast<decltype(setCapture)>(library.resolve("fakeSetCapture"));
        setPlayback = reinterpret_cast<decltype(setPlayback)>(library.resolve("fakeSetPlayback"));
        setChanged = reinterpret_cast<decltype(setChanged)>(library.resolve("fakeSetChanged"));
        setCreateFails = reinterpret_cast<decltype(setCreateFails)>(library.resolve("fakeSetCreateFails"));
        refreshes = reinterpret_cast<decltype(refreshes)>(library.resolve("fakeRefreshes"));
        takeLog = reinterpret_cast<decltype(takeLog)>(library.resolve("fakeTakeLog"));
        return setDevices && setCapture && setPlayback && setChanged && setCreateFails && refreshes && takeLog;
    }
    QString log() { return QString::fromUtf8(takeLog()); }
};

QStringList rows(QRZComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) {
        texts << combo->itemText(i);
    }
    return texts;
}

QList<int> rowData(QRZComboBox* combo) {
    QList<int> data;
    for (int i = 0; i < combo->count(); ++i) {
        data << combo->itemData(i).toInt();
    }
    return data;
}

// The stored value of the settings file, read with the DOM.
QString storedValue(const QString& section, const QString& key) {
    QFile file(settingsFilePath());
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file)) {
        return QStringLiteral("(no file)");
    }
    const QDomElement element = document.documentElement().firstChildElement(section);
    return element.isNull() ? QStringLiteral("(no section)") : element.attribute(key, QStringLiteral("(no key)"));
}

} // namespace

class TestAudioInput : public QObject {
    Q_OBJECT

    Fake m_fake;
    QRecordAreaInfo* area() { return QRecordAreaInfo::instance(); }

    std::unique_ptr<SelectRecordInputWgt> makePanel() {
        auto panel = std::make_unique<SelectRecordInputWgt>();
        panel->show();
        return panel;
    }
    QRZComboBox* combo(SelectRecordInputWgt& panel) { return panel.findChild<QRZComboBox*>("m_cmbMicDevice"); }
    QRZBaseSlider* micSlider(SelectRecordInputWgt& panel) { return panel.findChild<QRZBaseSlider*>("m_sliderVolume"); }
    QRZBaseSlider* systemSlider(SelectRecordInputWgt& panel) {
        return panel.findChild<QRZBaseSlider*>("m_sliderSysVolume");
    }

private slots:
    void initTestCase() {
        QVERIFY(m_fake.load());
        SelectRecordInputWgt::setDeviceLibraryPath(QStringLiteral(CALVORINE_FAKE_AUDIODEV));
    }

    void init() {
        m_fake.setCreateFails(0);
        m_fake.setDevices("Desk:Mic,Aux");
        m_fake.setCapture(0, 0, 1, 40, 0);
        m_fake.setPlayback(0, 70, 0);
        m_fake.setChanged(0);
        m_fake.log();
    }

    void rowsCarryDeviceAndLine() {
        auto panel = makePanel();
        QVERIFY(panel->hasDevice());
        QCOMPARE(rows(combo(*panel)), QStringList({"Mic (Desk)", "Aux (Desk)"}));
        QCOMPARE(rowData(combo(*panel)), QList<int>({0, 1}));
        QCOMPARE(combo(*panel)->currentIndex(), 1);
        QVERIFY(area()->isDevicePresent(QRecordAreaInfo::Microphone));
        QVERIFY(area()->isDevicePresent(QRecordAreaInfo::SystemSound));
        QVERIFY(combo(*panel)->isVisible());
        QVERIFY(!panel->findChild<QLabel*>("m_labMicDevice")->isVisible());

        // As the second device, and with names missing.
        m_fake.setDevices("Dock:|Desk:Mic,Aux|~:~");
        m_fake.setCapture(-1, 0, 0, 40, 0);
        auto second = makePanel();
        QCOMPARE(rows(combo(*second)), QStringList({"Mic (Desk)", "Aux (Desk)", "Noname Recorder (Noname Device)"}));
        QCOMPARE(rowData(combo(*second)), QList<int>({65536, 65537, 2 << 16}));
        // The capture line is unknown: no row chosen, no microphone present.
        QCOMPARE(combo(*second)->currentIndex(), -1);
        QVERIFY(!area()->isDevicePresent(QRecordAreaInfo::Microphone));
        QVERIFY(!micSlider(*second)->isEnabled());
        QCOMPARE(micSlider(*second)->value(), 0.0);
    }

    void volumesOfMutedAndUnreadableLines() {
        m_fake.setCapture(0, 0, 0, 65, 1);
        m_fake.setPlayback(0, -1, 0);
        auto panel = makePanel();
        // Muted: shows 0 yet stays enabled; an unreadable volume shows 100, disabled.
        QCOMPARE(micSlider(*panel)->value(), 0.0);
        QVERIFY(micSlider(*panel)->isEnabled());
        QCOMPARE(systemSlider(*panel)->value(), 100.0);
        QVERIFY(!systemSlider(*panel)->isEnabled());

        // Moving the microphone slider unmutes the chosen line and sets its volume.
        QMetaObject::invokeMethod(micSlider(*panel), "sendProgressValue", Q_ARG(double, 0.404));
        QCOMPARE(m_fake.log(), QString("setCaptureMute 0 0 0;setCaptureVolume 0 0 40;"));
        m_fake.setPlayback(0, 70, 1);
        QMetaObject::invokeMethod(systemSlider(*panel), "sendProgressValue", Q_ARG(double, 0.25));
        QCOMPARE(m_fake.log(), QString("setPlaybackMute 0 0 0;setPlaybackVolume 0 0 25;"));
        panel->refreshRecordVolume();
        QCOMPARE(micSlider(*panel)->value(), 40.0);
        QCOMPARE(systemSlider(*panel)->value(), 25.0);

        // No playback line: the system slider does nothing.
        m_fake.setPlayback(-1, 70, 0);
        QMetaObject::invokeMethod(systemSlider(*panel), "sendProgressValue", Q_ARG(double, 0.5));
        QCOMPARE(m_fake.log(), QString());
    }

    void choosingAndRefreshing() {
        auto panel = makePanel();
        QSignalSpy changes(panel.get(), &SelectRecordInputWgt::emitMicDeviceChange);
        panel->MicDeviceChange(0);
        QCOMPARE(m_fake.log(), QString("selectCaptureLine 0 0 0;"));
        QCOMPARE(combo(*panel)->currentIndex(), 0);
        QCOMPARE(changes.count(), 1);

        // Nothing changed: the timer leaves the list alone.
        panel->RefreshRecDevTimer();
        QCOMPARE(changes.count(), 1);
        // Another line became the capture line outside the program.
        m_fake.setCapture(0, 0, 1, 40, 0);
        panel->RefreshRecDevTimer();
        QCOMPARE(changes.count(), 2);
        QCOMPARE(combo(*panel)->currentIndex(), 1);
        // The devices changed: read again.
        const int refreshes = m_fake.refreshes();
        m_fake.setDevices("Desk:Mic,Aux,Line");
        m_fake.setChanged(1);
        panel->RefreshRecDevTimer();
        QCOMPARE(m_fake.refreshes(), refreshes + 1);
        QCOMPARE(combo(*panel)->count(), 3);
        QCOMPARE(changes.count(), 3);
        // The capture line cannot be read: the selection goes, nothing else.
        m_fake.setCapture(-1, 0, 0, 40, 0);
        panel->RefreshRecDevTimer();
        QCOMPARE(combo(*panel)->currentIndex(), -1);
        QCOMPARE(changes.count(), 3);

        // The timer runs every 200 ms and stops on request.
        auto* timer = panel->findChild<QTimer*>();
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 200);
        panel->setDeviceRefresh(false);
        QVERIFY(!timer->isActive());
        panel->setDeviceRefresh(true);
        QVERIFY(timer->isActive());

        panel.reset();
        QVERIFY(m_fake.log().contains("DestroyDevice"));
    }

    void levelMeters() {
        auto panel = makePanel();
        QVector<int> system;
        for (int i = 0; i < 4; ++i) {
            panel->systemAudioVolume(3200);
            system << panel->systemLevel();
        }
        QCOMPARE(system, QVector<int>({12, 23, 32, 40}));
        panel->systemAudioVolume(-10000);
        QCOMPARE(panel->systemLevel(), 0);
        // A quiet system sound never rounds down to nothing.
        panel->systemAudioVolume(32);
        QCOMPARE(panel->systemLevel(), 1);

        for (int i = 0; i < 5; ++i) {
            panel->MicrophoneAudioVolume(64);
            QCOMPARE(panel->microphoneLevel(), 0);
        }
        panel->MicrophoneAudioVolume(6400);
        QCOMPARE(panel->microphoneLevel(), 12);
        panel->MicrophoneAudioVolume(-10000);
        QCOMPARE(panel->microphoneLevel(), 0);
        // The bars inside the buttons show the levels.
        panel->systemAudioVolume(3200);
        auto* bar = panel->findChild<QRZBaseButton*>("m_btnSystemAudio")->findChild<QRZBaseProgress*>();
        QVERIFY(bar);
        QCOMPARE(bar->value(), double(panel->systemLevel()));

        // A hidden panel ignores the system sound's level.
        panel->hide();
        const int level = panel->systemLevel();
        panel->systemAudioVolume(3200);
        QCOMPARE(panel->systemLevel(), level);
    }

    void withoutLibrary() {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (attempt == 0) {
                SelectRecordInputWgt::setDeviceLibraryPath(QStringLiteral("/nonexistent/libnothing.so"));
            } else {
                SelectRecordInputWgt::setDeviceLibraryPath(QStringLiteral(CALVORINE_FAKE_AUDIODEV));
                m_fake.setCreateFails(1);
            }
            auto panel = makePanel();
            QVERIFY(!panel->hasDevice());
            QCOMPARE(combo(*panel)->count(), 0);
            QVERIFY(!combo(*panel)->isVisible());
            auto* label = panel->findChild<QLabel*>("m_labMicDevice");
            QVERIFY(label->isVisible());
            QCOMPARE(label->text(), QString("No Mic Device"));
            QVERIFY(!area()->isDevicePresent(QRecordAreaInfo::Microphone));
            QVERIFY(area()->isDevicePresent(QRecordAreaInfo::SystemSound));
            panel->RefreshRecDevTimer();
            QMetaObject::invokeMethod(micSlider(*panel), "sendProgressValue", Q_ARG(double, 0.5));
        }
        SelectRecordInputWgt::setDeviceLibraryPath(QStringLiteral(CALVORINE_FAKE_AUDIODEV));
        QCOMPARE(m_fake.log(), QString());
    }

    void sourceChoiceIsStoredAtEachClick() {
        writeSettingValue("XML_AUDIO_RECORD_TYPE", "BOOL_SYSTEM_AUDIO_", "Y");
        writeSettingValue("XML_AUDIO_RECORD_TYPE", "BOOL_MIC_AUDIO_", "yes");
        auto panel = makePanel();
        // Only "Y" counts as on.
        QVERIFY(area()->hasAudioSource(QRecordAreaInfo::SystemSound));
        QVERIFY(!area()->hasAudioSource(QRecordAreaInfo::Microphone));
        auto* system = panel->findChild<QRZBaseButton*>("m_btnSystemAudio");
        auto* microphone = panel->findChild<QRZBaseButton*>("m_btnMicDevice");
        QCOMPARE(system->toolTip(), QString("System Audio On"));
        QCOMPARE(microphone->toolTip(), QString("Microphone Audio Off"));

        QTest::mouseClick(system, Qt::LeftButton);
        QVERIFY(!area()->hasAudioSource(QRecordAreaInfo::SystemSound));
        QCOMPARE(system->toolTip(), QString("System Audio Off"));
        QCOMPARE(storedValue("XML_AUDIO_RECORD_TYPE", "BOOL_SYSTEM_AUDIO_"), QString("N"));
        QTest::mouseClick(microphone, Qt::LeftButton);
        QCOMPARE(storedValue("XML_AUDIO_RECORD_TYPE", "BOOL_MIC_AUDIO_"), QString("Y"));
        QCOMPARE(microphone->toolTip(), QString("Microphone Audio On"));
        QTest::mouseClick(system, Qt::LeftButton);
        QCOMPARE(storedValue("XML_AUDIO_RECORD_TYPE", "BOOL_SYSTEM_AUDIO_"), QString("Y"));

        // The off state shows in the level bar's colour.
        QTest::mouseClick(microphone, Qt::LeftButton);
        auto* bar = microphone->findChild<QRZBaseProgress*>();
        QCOMPARE(bar->palette().color(QPalette::Active, QPalette::Highlight), QColor(253, 94, 105));
        panel.reset();
        QCOMPARE(storedValue("XML_AUDIO_RECORD_TYPE", "BOOL_MIC_AUDIO_"), QString("N"));
    }
};

int main(int argc, char** argv) {
    PrivateUserFolders folders;
    QApplication app(argc, argv);
    TestAudioInput test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_audio_input.moc"
