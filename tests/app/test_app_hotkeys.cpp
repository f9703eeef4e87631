// Global hotkeys on the virtual desktop: key presses sent with
// xdotool arrive as activated(); a combination another X client holds reports failure;
// registrations are keyed by (key, modifiers); the key tables and texts.
#include "app/KeyApplication.h"
#include "app/QShortCutManager.h"
#include "tests/support/DesktopHelpers.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

bool pressKeys(const QString& combination) {
    return desktoptest::xdotool({"key", "--clearmodifiers", combination});
}

const int kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;

} // namespace

class TestAppHotkeys : public QObject {
    Q_OBJECT
private:
    QWidget* m_owner = nullptr;

    QGlobalShortCut* makeShortcut(int actionId, int key, int modifiers) {
        auto* shortcut = new QGlobalShortCut(m_owner);
        shortcut->setActionId(actionId);
        shortcut->setKey(key, modifiers);
        QShortCutManager::instance()->addShortcut(shortcut);
        return shortcut;
    }

private slots:
    void init() { m_owner = new QWidget(); }
    void cleanup() {
        QShortCutManager::instance()->clear();
        delete m_owner;
        m_owner = nullptr;
    }

    // ---- tables and texts (no display needed) ----
    void texts() {
        QCOMPARE(shortcutText(Qt::Key_F11, kCtrlAlt), QString("Ctrl + Alt + F11"));
        QCOMPARE(shortcutText(Qt::Key_F11, 0), QString("F11"));
        QCOMPARE(shortcutText(Qt::Key_F11, Qt::MetaModifier), QString("WIN + F11"));
        QCOMPARE(modifiersText(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier),
                 QString("Shift + Ctrl + Alt + WIN"));
        int key = -1;
        int modifiers = -1;
        QVERIFY(parseShortcutText("201326592*16777275", &key, &modifiers));
        QCOMPARE(key, int(Qt::Key_F12));
        QCOMPARE(modifiers, kCtrlAlt);
        key = modifiers = -7;
        QVERIFY(!parseShortcutText("201326592-16777275", &key, &modifiers));
        QCOMPARE(key, -7);
        QCOMPARE(modifiers, -7);
        QVERIFY(parseShortcutText("x*y", &key, &modifiers));
        QCOMPARE(key, 0);
        QCOMPARE(modifiers, 0);
        QCOMPARE(storedShortcutText(Qt::Key_F11, kCtrlAlt), QString("201326592*16777274"));
    }
    void virtualKeys() {
        QCOMPARE(keyToVirtualKey(Qt::Key_F24), 135);
        QCOMPARE(keyToVirtualKey(Qt::Key_F11), 122);
        QCOMPARE(keyToVirtualKey(Qt::Key_Menu), 0);
        QVERIFY(keyName(Qt::Key_Menu).isEmpty());
        QCOMPARE(keyToVirtualKey(Qt::Key_A), 0x41);
        QCOMPARE(keyToVirtualKey(Qt::Key_5), 0x35);
        QCOMPARE(keyToVirtualKey(Qt::Key_Space), 32);
        QCOMPARE(keyName(Qt::Key_PageUp), QString("PageUp"));
        // Print and the main keyboard's operators have their own keys; the keypad's are 106-111.
        QCOMPARE(keyToVirtualKey(Qt::Key_Print), 44);
        QCOMPARE(keyToVirtualKey(Qt::Key_Plus), 187);
        QCOMPARE(keyToVirtualKey(Qt::Key_Comma), 188);
        QCOMPARE(keyToVirtualKey(Qt::Key_Minus), 189);
        QCOMPARE(keyToVirtualKey(Qt::Key_Period), 190);
        QCOMPARE(keyToVirtualKey(Qt::Key_Slash), 191);
        QVERIFY(keyToVirtualKey(Qt::Key_Asterisk) != 106);
        QCOMPARE(keyToVirtualKey(Qt::Key_Asterisk, Qt::KeypadModifier), 106);
        QCOMPARE(keyToVirtualKey(Qt::Key_Plus, Qt::KeypadModifier), 107);
        QCOMPARE(keyToVirtualKey(Qt::Key_Slash, Qt::KeypadModifier), 111);
        QCOMPARE(keyToKeysymName(Qt::Key_Asterisk, 0), QString("asterisk"));
        QCOMPARE(keyToKeysymName(Qt::Key_Asterisk, Qt::KeypadModifier), QString("KP_Multiply"));
        QCOMPARE(keyToKeysymName(Qt::Key_Print, 0), QString("Print"));
        QCOMPARE(keyToKeysymName(Qt::Key_B, kCtrlAlt), QString("b"));
    }

    // ---- grabs on the virtual desktop ----
    void pressArrivesAsActivated() {
        QGlobalShortCut* stop = makeShortcut(StartStopAction, Qt::Key_F11, kCtrlAlt);
        QGlobalShortCut* pause = makeShortcut(PauseResumeAction, Qt::Key_F12, kCtrlAlt);
        QVERIFY(stop->registerHotKey());
        QVERIFY(stop->isRegistered());
        QVERIFY(pause->registerHotKey());
        QSignalSpy stopSpy(stop, &QGlobalShortCut::activated);
        QSignalSpy pauseSpy(pause, &QGlobalShortCut::activated);
        QVERIFY(pressKeys("ctrl+alt+F11"));
        QTRY_COMPARE(stopSpy.count(), 1);
        QCOMPARE(pauseSpy.count(), 0);
        QVERIFY(pressKeys("ctrl+alt+F12"));
        QTRY_COMPARE(pauseSpy.count(), 1);
        // A different combination of the same key is not ours.
        QVERIFY(pressKeys("ctrl+F11"));
        QTest::qWait(200);
        QCOMPARE(stopSpy.count(), 1);
    }
    void locksDoNotMatter() {
        QGlobalShortCut* shot = makeShortcut(ScreenshotAction, Qt::Key_F9, kCtrlAlt);
        QVERIFY(shot->registerHotKey());
        QSignalSpy spy(shot, &QGlobalShortCut::activated);
        QVERIFY(desktoptest::xdotool({"key", "Caps_Lock"}));
        QVERIFY(pressKeys("ctrl+alt+F9"));
        QTRY_COMPARE(spy.count(), 1);
        QVERIFY(desktoptest::xdotool({"key", "Num_Lock"}));
        QVERIFY(pressKeys("ctrl+alt+F9"));
        QTRY_COMPARE(spy.count(), 2);
        QVERIFY(desktoptest::xdotool({"key", "Caps_Lock"}));
        QVERIFY(pressKeys("ctrl+alt+F9"));
        QTRY_COMPARE(spy.count(), 3);
        QVERIFY(desktoptest::xdotool({"key", "Num_Lock"}));
        QVERIFY(pressKeys("ctrl+alt+F9"));
        QTRY_COMPARE(spy.count(), 4);
    }
    void letterAndKeypadKeys() {
        QGlobalShortCut* letter = makeShortcut(CutAction, Qt::Key_B, kCtrlAlt);
        QGlobalShortCut* keypad = makeShortcut(ScreenshotAction, Qt::Key_Asterisk, kCtrlAlt | Qt::KeypadModifier);
        QVERIFY(letter->registerHotKey());
        QVERIFY(keypad->registerHotKey());
        QSignalSpy letterSpy(letter, &QGlobalShortCut::activated);
        QSignalSpy keypadSpy(keypad, &QGlobalShortCut::activated);
        QVERIFY(pressKeys("ctrl+alt+b"));
        QTRY_COMPARE(letterSpy.count(), 1);
        QVERIFY(pressKeys("ctrl+alt+KP_Multiply"));
        QTRY_COMPARE(keypadSpy.count(), 1);
        QCOMPARE(letterSpy.count(), 1);
    }
    void printAndMainKeyboardOperators() {
        QGlobalShortCut* print = makeShortcut(ScreenshotAction, Qt::Key_Print, Qt::ControlModifier);
        QGlobalShortCut* minus = makeShortcut(CutAction, Qt::Key_Minus, kCtrlAlt);
        QGlobalShortCut* keypadMinus = makeShortcut(StartStopAction, Qt::Key_Minus, kCtrlAlt | Qt::KeypadModifier);
        QVERIFY(print->registerHotKey());
        QVERIFY(minus->registerHotKey());
        QVERIFY(keypadMinus->registerHotKey());
        QSignalSpy printSpy(print, &QGlobalShortCut::activated);
        QSignalSpy minusSpy(minus, &QGlobalShortCut::activated);
        QSignalSpy keypadMinusSpy(keypadMinus, &QGlobalShortCut::activated);
        QVERIFY(pressKeys("ctrl+Print"));
        QTRY_COMPARE(printSpy.count(), 1);
        QVERIFY(pressKeys("ctrl+alt+minus"));
        QTRY_COMPARE(minusSpy.count(), 1);
        QCOMPARE(keypadMinusSpy.count(), 0);
        QVERIFY(pressKeys("ctrl+alt+KP_Subtract"));
        QTRY_COMPARE(keypadMinusSpy.count(), 1);
        QCOMPARE(minusSpy.count(), 1);
    }
    void heldByAnotherClientReportsFailure() {
        QProcess holder;
        holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        holder.start(QCoreApplication::applicationDirPath() + "/hotkey_holder", {"F10", "ctrl,alt"});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("grabbed"));

        QGlobalShortCut* cut = makeShortcut(CutAction, Qt::Key_F10, kCtrlAlt);
        QVERIFY(!cut->registerHotKey());
        QVERIFY(!cut->isRegistered());
        QVERIFY(!cut->holdsPair(Qt::Key_F10, kCtrlAlt));
        // Nothing of ours arrives for it either.
        QSignalSpy spy(cut, &QGlobalShortCut::activated);
        QVERIFY(pressKeys("ctrl+alt+F10"));
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        // Once the other program let go, the combination is ours.
        QVERIFY(cut->registerHotKey());
        QVERIFY(pressKeys("ctrl+alt+F10"));
        QTRY_COMPARE(spy.count(), 1);
    }
    void ourGrabBlocksAnotherClient() {
        QGlobalShortCut* stop = makeShortcut(StartStopAction, Qt::Key_F11, kCtrlAlt);
        QVERIFY(stop->registerHotKey());
        QProcess holder;
        holder.start(QCoreApplication::applicationDirPath() + "/hotkey_holder", {"F11", "ctrl,alt"});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("failed"));
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
    }
    void identityIsKeyAndModifiers() {
        // Alt+A and Ctrl+Alt+C share "vk XOR modifiers" (0x41^1 == 0x43^3): both register
        // and each arrives at its own shortcut.
        QCOMPARE(0x41 ^ 1, 0x43 ^ 3);
        QGlobalShortCut* altA = makeShortcut(PauseResumeAction, Qt::Key_A, Qt::AltModifier);
        QGlobalShortCut* ctrlAltC = makeShortcut(StartStopAction, Qt::Key_C, kCtrlAlt);
        QVERIFY(altA->registerHotKey());
        QVERIFY(ctrlAltC->registerHotKey());
        QSignalSpy altASpy(altA, &QGlobalShortCut::activated);
        QSignalSpy ctrlAltCSpy(ctrlAltC, &QGlobalShortCut::activated);
        QVERIFY(pressKeys("ctrl+alt+c"));
        QTRY_COMPARE(ctrlAltCSpy.count(), 1);
        QVERIFY(pressKeys("alt+a"));
        QTRY_COMPARE(altASpy.count(), 1);
        QCOMPARE(ctrlAltCSpy.count(), 1);
    }
    void secondActionCannotTakeAHeldCombination() {
        QGlobalShortCut* stop = makeShortcut(StartStopAction, Qt::Key_F11, kCtrlAlt);
        QGlobalShortCut* other = makeShortcut(CutAction, Qt::Key_F11, kCtrlAlt);
        QVERIFY(stop->registerHotKey());
        QVERIFY(!other->registerHotKey());
        QCOMPARE(QShortCutManager::instance()->holderOf(Qt::Key_F11, kCtrlAlt), stop);
        QSignalSpy stopSpy(stop, &QGlobalShortCut::activated);
        QSignalSpy otherSpy(other, &QGlobalShortCut::activated);
        QVERIFY(pressKeys("ctrl+alt+F11"));
        QTRY_COMPARE(stopSpy.count(), 1);
        QCOMPARE(otherSpy.count(), 0);
        // Registering the same shortcut again is fine.
        QVERIFY(stop->registerHotKey());
        QVERIFY(pressKeys("ctrl+alt+F11"));
        QTRY_COMPARE(stopSpy.count(), 2);
    }
    void changedPairNoLongerActivates() {
        QGlobalShortCut* stop = makeShortcut(StartStopAction, Qt::Key_F11, kCtrlAlt);
        QVERIFY(stop->registerHotKey());
        QSignalSpy spy(stop, &QGlobalShortCut::activated);
        // The change as the options page makes it.
        stop->setPendingKey(Qt::Key_F8, kCtrlAlt);
        QVERIFY(!stop->isPendingUnchanged());
        int oldKey = 0;
        int oldModifiers = 0;
        stop->getKey(&oldKey, &oldModifiers);
        stop->applyPendingKey(true);
        QVERIFY(stop->registerHotKey());
        QVERIFY(stop->unregisterKey(oldKey, oldModifiers));
        QVERIFY(!stop->unregisterKey(oldKey, oldModifiers));
        QCOMPARE(stop->keyText(), QString("Ctrl + Alt + F8"));
        QVERIFY(pressKeys("ctrl+alt+F11"));
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);
        QVERIFY(pressKeys("ctrl+alt+F8"));
        QTRY_COMPARE(spy.count(), 1);
        // Pending handling.
        stop->setPendingKey(Qt::Key_F7, 0);
        stop->applyPendingKey(false);
        QVERIFY(stop->isPendingUnchanged());
        QVERIFY(stop->unregisterHotKey());
        QVERIFY(!stop->isRegistered());
    }
    void destroyedShortcutReleasesItsGrab() {
        QGlobalShortCut* stop = makeShortcut(StartStopAction, Qt::Key_F11, kCtrlAlt);
        QVERIFY(stop->registerHotKey());
        QShortCutManager::instance()->clear();
        QCOMPARE(QShortCutManager::instance()->count(), 0);
        QProcess holder;
        holder.start(QCoreApplication::applicationDirPath() + "/hotkey_holder", {"F11", "ctrl,alt"});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("grabbed"));
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
    }
    void manager() {
        QShortCutManager* manager = QShortCutManager::instance();
        auto* a = new QGlobalShortCut(m_owner);
        auto* b = new QGlobalShortCut(m_owner);
        auto* c = new QGlobalShortCut(m_owner);
        a->setActionId(1);
        b->setActionId(2);
        c->setActionId(2);
        QCOMPARE(manager->addShortcut(a, -1), 0);
        QCOMPARE(manager->addShortcut(b, 5), 1);
        QCOMPARE(manager->addShortcut(c, 0), 0);
        QCOMPARE(manager->count(), 3);
        QCOMPARE(manager->shortcutAt(0), c);
        QCOMPARE(manager->shortcutAt(3), nullptr);
        QCOMPARE(manager->shortcutAt(-1), nullptr);
        QCOMPARE(manager->findShortcut(2), c);
        QCOMPARE(manager->findShortcut(9), nullptr);
        a->setDefaultKey(Qt::Key_F11, kCtrlAlt);
        int key = 0;
        int modifiers = 0;
        a->getDefaultKey(&key, &modifiers);
        QCOMPARE(key, int(Qt::Key_F11));
        QCOMPARE(modifiers, kCtrlAlt);
        // A shortcut deleted with its owner window drops out of the list.
        delete b;
        QCOMPARE(manager->findShortcut(2), c);
    }
    void otherEventsPassOn() {
        KeyNativeEventFilter filter;
        long result = 0;
        QVERIFY(!filter.nativeEventFilter("windows_generic_MSG", nullptr, &result));
        QVERIFY(!filter.nativeEventFilter("xcb_generic_event_t", nullptr, &result));
    }
};

int main(int argc, char** argv) {
    KeyApplication application(argc, argv);
    TestAppHotkeys test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_app_hotkeys.moc"
