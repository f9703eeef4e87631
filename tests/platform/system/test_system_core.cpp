// The application core's platform pieces: version texts, hotkey grabs between two X
// clients, and finding, restoring and raising a window by its title.
#include "platform/system/hotkey_grab.h"
#include "platform/system/os_version.h"
#include "platform/system/window_list.h"

#include <QWidget>
#include <QtTest>

#include <xcb/xcb.h>

namespace platform = calvorine::platform;

namespace {

struct Client {
    xcb_connection_t* connection = nullptr;
    uint32_t root = 0;
    Client() {
        int screen = 0;
        connection = xcb_connect(nullptr, &screen);
        if (xcb_connection_has_error(connection) == 0) {
            xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
            for (int i = 0; i < screen; ++i) {
                xcb_screen_next(&it);
            }
            root = it.data->root;
        }
    }
    ~Client() { xcb_disconnect(connection); }
};

} // namespace

class TestSystemCore : public QObject {
    Q_OBJECT
private slots:
    void osRelease() {
        const platform::OsVersion debian = platform::parseOsRelease(
            "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n"
            "VERSION=\"12 (bookworm)\"\n# comment\nID=debian\n");
        QCOMPARE(debian.name, std::string("Debian GNU/Linux"));
        QCOMPARE(debian.version, std::string("12 (bookworm)"));
        QCOMPARE(debian.prettyName, std::string("Debian GNU/Linux 12 (bookworm)"));
        const platform::OsVersion minimal = platform::parseOsRelease("NAME='Tiny \\\"OS\\\"'\nVERSION_ID=3.1\n");
        QCOMPARE(minimal.name, std::string("Tiny \"OS\""));
        QCOMPARE(minimal.version, std::string("3.1"));
        QCOMPARE(minimal.prettyName, std::string("Tiny \"OS\" 3.1"));
        QVERIFY(platform::parseOsRelease("").prettyName.empty());

        platform::OsVersion version = debian;
        version.kernelName = "Linux";
        version.kernelRelease = "6.1.0-18-amd64";
        QCOMPARE(platform::osVersionText(version), std::string("Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64"));
        QCOMPARE(platform::osVersionText(platform::OsVersion()), std::string());
        const platform::OsVersion here = platform::readOsVersion();
        QCOMPARE(here.kernelName, std::string("Linux"));
        QVERIFY(!here.kernelRelease.empty());
    }

    void keysyms() {
        QCOMPARE(platform::keysymFromName("F11"), 0xffc8u);
        QCOMPARE(platform::keysymFromName("a"), 0x61u);
        QCOMPARE(platform::keysymFromName("KP_Multiply"), 0xffaau);
        QCOMPARE(platform::keysymFromName("Print"), 0xff61u);
        QCOMPARE(platform::keysymFromName("NoSuchKey"), 0u);
        QCOMPARE(platform::keysymFromName(""), 0u);
    }

    void grabsBetweenTwoClients() {
        Client first;
        Client second;
        QVERIFY(first.root != 0 && second.root != 0);
        const uint32_t f7 = platform::keysymFromName("F7");
        const unsigned ctrlShift = platform::HotkeyControl | platform::HotkeyShift;
        platform::GrabbedHotkey held;
        QCOMPARE(platform::grabHotkey(first.connection, first.root, f7, ctrlShift, &held),
                 platform::HotkeyGrabResult::Grabbed);
        QVERIFY(!held.keycodes.empty());
        QVERIFY(held.lockMask & XCB_MOD_MASK_LOCK);

        platform::GrabbedHotkey refused;
        QCOMPARE(platform::grabHotkey(second.connection, second.root, f7, ctrlShift, &refused),
                 platform::HotkeyGrabResult::HeldByAnotherClient);
        QVERIFY(refused.keycodes.empty());
        // Another combination of the same key is free.
        platform::GrabbedHotkey other;
        QCOMPARE(platform::grabHotkey(second.connection, second.root, f7, platform::HotkeyAlt, &other),
                 platform::HotkeyGrabResult::Grabbed);
        platform::ungrabHotkey(second.connection, second.root, other);
        // The refused attempt released nothing of the holder's: still refused.
        QCOMPARE(platform::grabHotkey(second.connection, second.root, f7, ctrlShift, &refused),
                 platform::HotkeyGrabResult::HeldByAnotherClient);

        platform::ungrabHotkey(first.connection, first.root, held);
        QCOMPARE(platform::grabHotkey(second.connection, second.root, f7, ctrlShift, &refused),
                 platform::HotkeyGrabResult::Grabbed);
        platform::ungrabHotkey(second.connection, second.root, refused);

        platform::GrabbedHotkey none;
        QCOMPARE(platform::grabHotkey(first.connection, first.root, 0, ctrlShift, &none),
                 platform::HotkeyGrabResult::UnknownKey);
        QCOMPARE(platform::grabHotkey(nullptr, first.root, f7, ctrlShift, &none),
                 platform::HotkeyGrabResult::NoConnection);
    }

    void pressMatching() {
        platform::GrabbedHotkey grabbed;
        grabbed.keycodes = {75};
        grabbed.modifierMask = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
        grabbed.lockMask = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
        grabbed.window = 0x2a0;
        xcb_key_press_event_t press{};
        press.event = 0x2a0;
        press.response_type = XCB_KEY_PRESS;
        press.detail = 75;
        press.state = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
        QVERIFY(platform::isKeyPressEvent(&press));
        QVERIFY(platform::isPressOfHotkey(nullptr, &press, grabbed));
        press.state |= XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 | XCB_KEY_BUT_MASK_BUTTON_1;
        QVERIFY(platform::isPressOfHotkey(nullptr, &press, grabbed));
        press.response_type = XCB_KEY_PRESS | 0x80; // sent by a client: still a key press
        QVERIFY(platform::isPressOfHotkey(nullptr, &press, grabbed));
        press.event = 0x4c00007; // typed into a window of ours that holds the keyboard
        QVERIFY(!platform::isPressOfHotkey(nullptr, &press, grabbed));
        press.event = 0x2a0;
        press.state = XCB_MOD_MASK_CONTROL;
        QVERIFY(!platform::isPressOfHotkey(nullptr, &press, grabbed));
        press.state = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT;
        QVERIFY(!platform::isPressOfHotkey(nullptr, &press, grabbed));
        press.state = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
        press.detail = 76;
        QVERIFY(!platform::isPressOfHotkey(nullptr, &press, grabbed));
        press.detail = 75;
        press.response_type = XCB_KEY_RELEASE;
        QVERIFY(!platform::isKeyPressEvent(&press));
        QVERIFY(!platform::isPressOfHotkey(nullptr, &press, grabbed));
        QVERIFY(!platform::isKeyPressEvent(nullptr));
    }

    void findRestoreAndRaise() {
        const QString title = QStringLiteral("Window list test %1").arg(QCoreApplication::applicationPid());
        QWidget target;
        target.setWindowTitle(title);
        target.resize(300, 200);
        target.show();
        QWidget other;
        other.setWindowTitle(title + " (other)");
        other.resize(300, 200);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        const uint64_t window = static_cast<uint64_t>(target.winId());
        QTRY_COMPARE(platform::findTopLevelWindowByTitle(title.toStdString()), window);
        QCOMPARE(platform::findTopLevelWindowByTitle(title.toStdString() + " (none)"), uint64_t(0));

        target.showMinimized();
        QTRY_VERIFY(platform::isWindowMinimised(window));
        other.activateWindow();
        QVERIFY(platform::raiseAndActivateWindow(window));
        QTRY_VERIFY(!platform::isWindowMinimised(window));
        QTRY_COMPARE(platform::activeWindow(), window);

        QVERIFY(platform::raiseAndActivateWindow(static_cast<uint64_t>(other.winId())));
        QTRY_COMPARE(platform::activeWindow(), static_cast<uint64_t>(other.winId()));
        QVERIFY(!platform::raiseAndActivateWindow(0x7ffffff0)); // no such window
    }
};

QTEST_MAIN(TestSystemCore)
#include "test_system_core.moc"
