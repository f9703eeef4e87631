// The hotkey editor line and the basic page's hotkeys on the virtual desktop: keys typed
// with xdotool, grabs checked by pressing them and by another X client (hotkey_holder).
#include "RecorderTestSupport.h"

#include "app/KeyApplication.h"
#include "app/QRecordAreaInfo.h"
#include "app/QShortCutManager.h"
#include "app/SettingsFile.h"
#include "recorder/QBasicOptions.h"
#include "recorder/QCursorOptions.h"
#include "recorder/QKeyListenerLineEdit.h"
#include "recorder/QPreferencesDlg.h"
#include "recorder/QTimeOptions.h"
#include "recorder/SmallDialogs.h"
#include "tests/support/DesktopHelpers.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/NextMessageBox.h"
#include "tests/support/PrivateUserFolders.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZListView.h"
#include "toolkit/QRZSpinBox.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace recordertest;
using desktoptest::xdotool;

namespace {

const int kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;

// Another X client holding a combination until it is stopped.
class Holder {
public:
    Holder(const QString& keysym, const QString& modifiers) {
        m_process.start(QCoreApplication::applicationDirPath() + "/hotkey_holder", {keysym, modifiers});
    }
    ~Holder() {
        m_process.closeWriteChannel();
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString answer() {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        return QString::fromLatin1(m_process.readLine()).trimmed();
    }

private:
    QProcess m_process;
};

} // namespace

class TestOptionsDesktop : public QObject {
    Q_OBJECT

    QWidget* m_owner = nullptr;

    QGlobalShortCut* addShortcut(int id, int key) {
        auto* shortcut = new QGlobalShortCut(m_owner);
        shortcut->setActionId(id);
        shortcut->setDefaultKey(key, kCtrlAlt);
        shortcut->setKey(key, kCtrlAlt);
        shortcut->setPendingKey(key, kCtrlAlt);
        QShortCutManager::instance()->addShortcut(shortcut);
        shortcut->registerHotKey();
        return shortcut;
    }

private slots:
    void init() { m_owner = new QWidget(); }
    void cleanup() {
        QShortCutManager::instance()->clear();
        delete m_owner;
        m_owner = nullptr;
    }

    void keyLineReportsCombinations() {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* other = new QLineEdit(&window);
        auto* line = new QKeyListenerLineEdit(&window);
        layout->addWidget(other);
        layout->addWidget(line);
        line->setText(QStringLiteral("Ctrl + Alt + F9"));
        QSignalSpy focus(line, &QKeyListenerLineEdit::emitFocusState);
        QSignalSpy combos(line, &QKeyListenerLineEdit::eimtShortcutChange);
        QVERIFY(desktoptest::activate(&window));
        other->setFocus();
        QVERIFY(xdotool({"key", "Tab"}));
        QTRY_COMPARE(focus.count(), 1);
        QCOMPARE(focus.at(0).at(0).toBool(), false);
        QCOMPARE(line->selectedText(), line->text());

        // Ctrl and Alt alone complete nothing; F11 with them completes one combination.
        QVERIFY(xdotool({"keydown", "ctrl", "keydown", "alt", "key", "F11", "keyup", "alt", "keyup", "ctrl"}));
        QTRY_COMPARE(combos.count(), 1);
        QCOMPARE(combos.at(0).at(0).value<Qt::Key>(), Qt::Key_F11);
        QCOMPARE(int(combos.at(0).at(1).value<Qt::KeyboardModifiers>()), kCtrlAlt);
        QVERIFY(xdotool({"key", "ctrl"}));
        QVERIFY(xdotool({"key", "F3"}));
        QTRY_COMPARE(combos.count(), 2);
        QCOMPARE(combos.at(1).at(0).value<Qt::Key>(), Qt::Key_F3);
        // A key the framework cannot name is no combination either.
        QKeyEvent unknown(QEvent::KeyPress, Qt::Key_unknown, Qt::ControlModifier);
        QCoreApplication::sendEvent(line, &unknown);
        QCOMPARE(combos.count(), 2);

        QVERIFY(xdotool({"key", "shift+Tab"}));
        QTRY_COMPARE(focus.count(), 2);
        QCOMPARE(focus.at(1).at(0).toBool(), true);
        QVERIFY(line->selectedText().isEmpty());
    }

    // The picture list opens as a popup under its combo, takes a click on a tile and
    // hides itself when the user clicks elsewhere.
    void cursorChooserPopup() {
        QCursorOptions page;
        page.resize(240, 200);
        QVERIFY(desktoptest::activate(&page));
        QRZComboBox* combo = page.highlightCombo();
        QCursorSelectDlg* chooser = page.highlightChooser();
        const QPoint comboCentre = combo->mapToGlobal(combo->rect().center());
        desktoptest::click(comboCentre);
        QTRY_VERIFY(chooser->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(chooser));
        const QPoint below = combo->mapToGlobal(QPoint(0, combo->height() - 1));
        QTRY_COMPARE(desktoptest::xwininfoRect(chooser->winId()).topLeft(), below);
        QVERIFY(!desktoptest::screenshot(testoutput::pngPath("cursor_chooser_popup")).isNull());

        QSignalSpy picked(chooser, &QCursorSelectDlg::emitCurrIndex);
        QAbstractItemView* list = chooser->listView();
        const QPoint tile = list->viewport()->mapToGlobal(list->visualRect(list->model()->index(2, 0)).center());
        desktoptest::click(tile);
        QTRY_COMPARE(picked.count(), 1);
        QCOMPARE(picked.at(0), (QList<QVariant>{2, false}));
        QTRY_VERIFY(!chooser->isVisible());
        QCOMPARE(QRecordAreaInfo::instance()->cursorImageIndex(QRecordAreaInfo::HighlightCursor), 2);
        QCOMPARE(storedSetting("CURSOR_OPTION", "Cursor_Hight_Index"), QStringLiteral("2"));

        // Opened again and left by a click elsewhere: hidden, nothing picked.
        desktoptest::click(comboCentre);
        QTRY_VERIFY(chooser->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(chooser));
        const QPoint elsewhere = page.mapToGlobal(QPoint(page.width() - 10, page.height() - 10));
        desktoptest::click(elsewhere);
        QTRY_VERIFY(!chooser->isVisible());
        QCOMPARE(picked.count(), 1);
    }

    // A click on the about box's home page link asks the desktop for the page: a stand-in
    // xdg-open first on the path writes down what it was asked to open.
    void aboutLinkOpensThePage() {
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        const QString asked = bin.filePath("asked.txt");
        QFile script(bin.filePath("xdg-open"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '%1'\n").arg(asked).toLocal8Bit());
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");

        QAboutDlg about;
        QVERIFY(desktoptest::activate(&about));
        auto* link = about.findChild<QLabel*>("m_labHome");
        QVERIFY(link != nullptr);
        QTRY_VERIFY(link->x() > 50);
        QVERIFY(!desktoptest::screenshot(testoutput::pngPath("about_box_link")).isNull());
        // The label is as wide as the address: its middle is on the link.
        desktoptest::click(link->mapToGlobal(link->rect().center()));
        const bool opened = desktoptest::waitFor([&]() { return QFile::exists(asked); }, 5000);
        qputenv("PATH", path);
        QVERIFY2(opened, "no page was asked for");
        QTRY_COMPARE(QString::fromLocal8Bit(fileBytes(asked)).trimmed(), QAboutDlg::homePageAddress());
    }

    // Preferences, Convert, Change: the folder chosen in the chooser cannot be written even
    // by the superuser (/proc). A box says so and names it; the output folder stays.
    void chosenOutputFolderThatCannotBeWrittenIsTold() {
        QPreferencesDlg dialog;
        QVERIFY(desktoptest::activate(&dialog));
        QAbstractButton* convert = dialog.pageButtons().at(1);
        desktoptest::click(convert->mapToGlobal(convert->rect().center()));
        QTRY_VERIFY(dialog.convertPage()->isVisible());
        const QString before = dialog.convertPage()->outputFolder();
        auto* change = dialog.convertPage()->findChild<QAbstractButton*>("m_btnChange");
        QVERIFY(change != nullptr);
        QString told;
        acceptNextMessage(&told, [](QWidget* box) {
            if (QTest::qWaitForWindowExposed(box)) {
                QTest::qWait(300);
                desktoptest::screenshot(testoutput::pngPath("preferences_folder_not_writable"));
            }
        });
        bool typed = false;
        whenModal<QFileDialog>([&typed](QFileDialog* chooser) {
            if (!desktoptest::waitFor([chooser] { return chooser->isActiveWindow(); })) {
                return;
            }
            QTest::qWait(300);
            desktoptest::screenshot(testoutput::pngPath("preferences_folder_chooser"));
            typed = xdotool({"type", "--delay", "30", "/proc"}) && xdotool({"key", "Return"});
        });
        desktoptest::click(change->mapToGlobal(change->rect().center()));
        QTRY_VERIFY_WITH_TIMEOUT(typed, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 10000);
        QCOMPARE(told, QStringLiteral("The folder cannot be written: /proc Choose another folder."));
        QCOMPARE(dialog.convertPage()->outputFolder(), before);
    }

    // Schedule times typed into the hour section are taken, shown and stored as a step
    // of the arrows would.
    void typedScheduleTimesAreStored() {
        QTimeOptions page;
        page.resize(239, 200);
        QVERIFY(desktoptest::activate(&page));
        QVERIFY(desktoptest::click(page.scheduleBox()->mapToGlobal(QPoint(5, page.scheduleBox()->height() / 2))));
        QTRY_VERIFY(page.startEdit()->isEnabled());
        QCOMPARE(storedSetting("RECORD_SCHEDULE_INFO", "Bool_Schedule"), QStringLiteral("Y"));
        struct Typed {
            QRZTimeEdit* edit;
            const char* keys;
            QTime shown;
            const char* key;
            const char* stored;
        };
        for (const Typed& t : {Typed{page.startEdit(), "23", QTime(23, 0, 0), "Schedule_Start_Time", "82800000000"},
                               Typed{page.stopEdit(), "05", QTime(5, 0, 0), "Schedule_End_Time", "18000000000"}}) {
            // A click on the hours, then the digits typed.
            QVERIFY(desktoptest::click(t.edit->mapToGlobal(QPoint(8, t.edit->height() / 2))));
            QTRY_VERIFY(t.edit->hasFocus());
            QCOMPARE(t.edit->currentSection(), QDateTimeEdit::HourSection);
            QVERIFY(xdotool({"type", "--delay", "60", t.keys}));
            QTRY_VERIFY2(t.edit->time() == t.shown,
                         qPrintable(QStringLiteral("\"%1\" typed shows \"%2\"").arg(t.keys, t.edit->text())));
            QTRY_COMPARE(storedSetting("RECORD_SCHEDULE_INFO", t.key), QString::fromLatin1(t.stored));
            keepShot(&page, QStringLiteral("time_options_typed_%1").arg(t.keys));
        }
        QCOMPARE(QRecordAreaInfo::instance()->scheduleStart(), int64_t(82800000000));
        QCOMPARE(QRecordAreaInfo::instance()->scheduleEnd(), int64_t(18000000000));
        page.reset();
    }

    void basicPageHotkeys() {
        QGlobalShortCut* pause = addShortcut(PauseResumeAction, Qt::Key_F12);
        QGlobalShortCut* stop = addShortcut(StartStopAction, Qt::Key_F11);
        QGlobalShortCut* shot = addShortcut(ScreenshotAction, Qt::Key_F9);
        addShortcut(CutAction, Qt::Key_F10);
        QVERIFY(shot->isRegistered());

        QBasicOptions page;
        page.resize(268, 200);
        QSignalSpy enable(&page, &QBasicOptions::emitShortcutEnable);
        QVERIFY(desktoptest::activate(&page));
        QRZComboBox* list = page.shortcutList();
        QCOMPARE(list->count(), 4);
        const int shotRow = list->findData(int(ScreenshotAction));
        QCOMPARE(list->itemText(shotRow), QStringLiteral("Take A Screenshot"));
        list->setCurrentIndex(shotRow);
        QCOMPARE(page.keyEditor()->text(), QStringLiteral("Ctrl + Alt + F9"));
        QVERIFY(!page.conflictMark()->isVisible());

        page.ShortcutsActivated(shotRow);
        QTRY_VERIFY(page.keyEditor()->hasFocus());
        QTRY_COMPARE(enable.count(), 1);
        QCOMPARE(enable.at(0).at(0).toBool(), false);
        QVERIFY(xdotool({"key", "ctrl+alt+F5"}));
        QTRY_COMPARE(storedSetting("SHORTCUT_SET", "Screenshot_shortcut"), QStringLiteral("201326592*16777268"));
        QCOMPARE(page.keyEditor()->text(), QStringLiteral("Ctrl + Alt + F5"));
        QVERIFY(shot->isRegistered());
        keepShot(&page, "basic_options_hotkey");

        // The new key works system-wide once the editor lets the keyboard go; the old one
        // is free for another program.
        QSignalSpy shots(shot, &QGlobalShortCut::activated);
        QSignalSpy stops(stop, &QGlobalShortCut::activated);
        QSignalSpy pauses(pause, &QGlobalShortCut::activated);
        page.keyEditor()->clearFocus();
        QTRY_COMPARE(enable.count(), 2);
        QTest::qWait(50); // the event loop sends the keyboard's release to the X server
        QVERIFY(xdotool({"key", "ctrl+alt+F5"}));
        QTRY_COMPARE(shots.count(), 1);
        {
            Holder holder("F9", "ctrl,alt");
            QCOMPARE(holder.answer(), QStringLiteral("grabbed"));
        }

        // A combination held by another program reaches the editor all the same and is
        // kept, with the conflict mark.
        {
            Holder holder("F6", "ctrl,alt");
            QCOMPARE(holder.answer(), QStringLiteral("grabbed"));
            QVERIFY(desktoptest::click(page.keyEditor()->mapToGlobal(page.keyEditor()->rect().center())));
            QTRY_VERIFY(page.keyEditor()->hasFocus());
            QVERIFY(xdotool({"key", "ctrl+alt+F6"}));
            QTRY_COMPARE(storedSetting("SHORTCUT_SET", "Screenshot_shortcut"), QStringLiteral("201326592*16777269"));
            QVERIFY(!shot->isRegistered());
            QVERIFY(page.conflictMark()->isVisible());
            QCOMPARE(page.conflictMark()->toolTip(),
                     QStringLiteral("Hotkey has been occupied, proposed to replace the hotkey."));
            keepShot(&page, "basic_options_conflict");
        }

        // Pause/Resume, a click into the editor, then the Stop key: the editor has it,
        // it is stored, and the mark says Stop holds it. Stop alone answers the key; the
        // old Pause key answers nothing.
        list->setCurrentIndex(list->findData(int(PauseResumeAction)));
        QCOMPARE(page.keyEditor()->text(), QStringLiteral("Ctrl + Alt + F12"));
        QVERIFY(!page.conflictMark()->isVisible());
        QVERIFY(desktoptest::click(page.keyEditor()->mapToGlobal(page.keyEditor()->rect().center())));
        QTRY_VERIFY(page.keyEditor()->hasFocus());
        QVERIFY(xdotool({"key", "ctrl+alt+F11"}));
        QTRY_COMPARE(page.keyEditor()->text(), QStringLiteral("Ctrl + Alt + F11"));
        QCOMPARE(storedSetting("SHORTCUT_SET", "Pause_shortcut"), QStringLiteral("201326592*16777274"));
        QVERIFY(page.conflictMark()->isVisible());
        QCOMPARE(page.conflictMark()->toolTip(),
                 QStringLiteral("Ctrl + Alt + F11 is already the key of \"Start/Stop Capture\"."));
        QVERIFY(!pause->isRegistered());
        QVERIFY(stop->isRegistered());
        QCOMPARE(stops.count() + pauses.count(), 0); // typed into the editor, no action ran
        // The screen shows the key and the mark (its amber triangle) once repainted.
        QWidget* mark = page.conflictMark();
        const QRect markOnScreen(mark->mapToGlobal(QPoint(0, 0)), mark->size());
        QVERIFY(desktoptest::waitFor([&markOnScreen] {
            const QImage screen = desktoptest::screenshot(testoutput::pngPath("basic_options_clash_with_stop"));
            int amber = 0;
            for (int y = markOnScreen.top(); y <= markOnScreen.bottom(); ++y) {
                for (int x = markOnScreen.left(); x <= markOnScreen.right(); ++x) {
                    const QColor seen = screen.pixelColor(x, y);
                    amber += seen.red() > 180 && seen.blue() < 90;
                }
            }
            return amber > 10;
        }));
        page.keyEditor()->clearFocus();
        QTest::qWait(50);
        QVERIFY(xdotool({"key", "ctrl+alt+F11"}));
        QTRY_COMPARE(stops.count(), 1);
        QVERIFY(xdotool({"key", "ctrl+alt+F12"}));
        QVERIFY(xdotool({"key", "ctrl+alt+F11"}));
        QTRY_COMPARE(stops.count(), 2);
        QCOMPARE(pauses.count(), 0);

        // The key it already has stores nothing.
        const QByteArray before = fileBytes(dataFolder() + "/VideoDefaultSetting.xml");
        page.shortcutChange(Qt::Key_F11, Qt::KeyboardModifiers(kCtrlAlt));
        QCOMPARE(fileBytes(dataFolder() + "/VideoDefaultSetting.xml"), before);
        QVERIFY(!pause->isRegistered());
        // Once Stop takes another key, Pause takes the one it waited for.
        stop->setPendingKey(Qt::Key_F7, kCtrlAlt);
        page.applyShortcut(StartStopAction);
        QVERIFY(stop->isRegistered());
        QVERIFY(pause->isRegistered());
        QVERIFY(xdotool({"key", "ctrl+alt+F11"}));
        QTRY_COMPARE(pauses.count(), 1);
        QCOMPARE(stops.count(), 2);

        // Reset: default keys back and registered, and the format reset is asked for.
        QSignalSpy resetFormat(&page, &QBasicOptions::emitResetFormat);
        page.reset();
        QCOMPARE(resetFormat.count(), 1);
        QCOMPARE(storedSetting("SHORTCUT_SET", "Screenshot_shortcut"), QStringLiteral("201326592*16777272"));
        QCOMPARE(storedSetting("SHORTCUT_SET", "Stop_shortcut"), QStringLiteral("201326592*16777274"));
        QVERIFY(shot->isRegistered() && stop->isRegistered() && pause->isRegistered());
        QCOMPARE(page.keyEditor()->text(), QStringLiteral("Ctrl + Alt + F12"));
        QVERIFY(!page.conflictMark()->isVisible());
        QCOMPARE(enable.last().at(0).toBool(), true); // the editor let the keyboard go
    }
};

int main(int argc, char** argv) {
    PrivateUserFolders folders;
    KeyApplication app(argc, argv);
    TestOptionsDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_options_desktop.moc"
