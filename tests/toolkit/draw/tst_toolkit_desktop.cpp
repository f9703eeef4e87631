// On the virtual desktop: a main-window base and a dialog drawn from the generated images,
// shown side by side, checked on screen and kept as a screenshot among the test outputs
// (test-output/toolkit_windows.png in the build folder); a message box over a window the
// window manager keeps above, read back with xprop.
#include "DrawTestSupport.h"
#include "tests/support/TestOutput.h"

#include "platform/system/window_overlay.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZDialog.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZMainWindow.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/StyleHelpers.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QX11Info>

using namespace drawtest;

namespace {
QString imagePath(const char* relative) {
    return QCoreApplication::applicationDirPath() + QLatin1String(relative);
}

QString xprop(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xprop"), arguments);
    process.waitForFinished(10000);
    return QString::fromLatin1(process.readAllStandardOutput());
}

QString windowState(WId window) {
    return xprop({QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_WM_STATE")});
}

// Where the window manager stacks the client window, from the bottom; -1 when unlisted.
int stackingPlace(WId window) {
    const QString list = xprop({QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    const QStringList ids = list.section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int i = 0; i < ids.size(); ++i) {
        if (ids[i].trimmed().toULongLong(nullptr, 16) == window) {
            return i;
        }
    }
    return -1;
}
} // namespace

class TestToolkitDesktop : public QObject {
    Q_OBJECT

    // The box is kept above by the window manager and stacked over both windows.
    void checkBoxAbove(QWidget* box, QWidget& owner, QWidget& ordinary) {
        QVERIFY(QTest::qWaitForWindowExposed(box));
        const WId id = box->winId();
        QTRY_VERIFY_WITH_TIMEOUT(windowState(id).contains(QStringLiteral("_NET_WM_STATE_ABOVE")), 5000);
        ordinary.show();
        ordinary.raise();
        ordinary.activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&ordinary));
        QTRY_VERIFY_WITH_TIMEOUT(stackingPlace(ordinary.winId()) >= 0, 5000);
        // Give the window manager the chance to put the ordinary window on top.
        QTest::qWait(300);
        QTRY_VERIFY_WITH_TIMEOUT(stackingPlace(id) > stackingPlace(owner.winId()) &&
                                     stackingPlace(id) > stackingPlace(ordinary.winId()),
                                 5000);
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(testoutput::pngPath("toolkit_box_kept_above")));
    }

private slots:
    void windowsDrawnFromTheGeneratedImages() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs the virtual desktop");
        }
        // Main window base: background, logo, title and title-bar buttons.
        QRZMainWindow window;
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.setAttribute(Qt::WA_TranslucentBackground, true);
        QVERIFY(window.loadBackgroundImage(imagePath("/image/backgroud.png"), false));
        window.setBackgroundMargins(38, 38, 38, 38, 38, 38, 38, 38);
        window.setTitleHeight(38);
        QVERIFY(window.setTitleImage(imagePath("/image/common/dlg_logo.png")));
        window.setTitleImageRect(QRect(13, 13, 0, 0));
        window.setTitleTextRect(QRect(38, 14, 0, 0));
        setLightWindowText(&window);
        setWidgetFont(&window, 12);
        window.setTitle(QStringLiteral("Calvorine Screen Recorder"));
        const char* titleButtons[] = {"/image/btn_close.png", "/image/btn_min.png", "/image/btn_meun.png"};
        int right = window.width() - 10;
        for (const char* strip : titleButtons) {
            auto* button = new QRZBaseButton(&window);
            QVERIFY(button->setImage(imagePath(strip), true));
            right -= button->width() + 3;
            button->move(right, 10);
        }
        auto* record = new QRZBaseButton(&window);
        QVERIFY(record->setImage(imagePath("/image/btn_recorder.png"), false));
        record->move(547 + (114 - record->width()) / 2, 47 + (114 - record->height()) / 2);
        auto* mic = new QRZBaseButton(&window);
        QVERIFY(mic->setImage(imagePath("/image/btn_mic_on.png"), false));
        mic->move(320, 70);
        auto* system = new QRZBaseButton(&window);
        QVERIFY(system->setImage(imagePath("/image/btn_system_off.png"), false));
        system->move(410, 70);
        auto* area = new QRZBaseButton(&window);
        QVERIFY(area->setImage(imagePath("/image/btn_addArae.png"), true));
        area->move(100, 75);
        window.move(60, 60);
        window.show();

        // A dialog with the common look and its controls.
        QRZDialog dialog;
        dialog.resize(441, 285);
        setDialogBackground1(&dialog);
        dialog.resize(441, 285);
        dialog.setTitle(QStringLiteral("Preferences"));
        auto* ok = new QRZBaseButton(&dialog);
        styleCommonButton1(ok, 80, 24);
        ok->setText(QStringLiteral("OK"));
        ok->move(441 - 2 * 80 - 40, 240);
        auto* cancel = new QRZBaseButton(&dialog);
        styleCommonButton1(cancel, 80, 24);
        cancel->setText(QStringLiteral("Cancel"));
        cancel->move(441 - 80 - 25, 240);
        auto* box = new QRZCheckBox(&dialog);
        styleCheckBox(box);
        box->setText(QStringLiteral("Check for updates automatically"));
        box->setChecked(true);
        box->setGeometry(30, 60, 260, 20);
        auto* edit = new QRZLineEdit(&dialog);
        styleLineEdit(edit, 260, 24);
        edit->setText(QStringLiteral("/home/user/Videos/Calvorine Screen Recorder"));
        edit->move(30, 95);
        auto* combo = new QRZComboBox(&dialog);
        styleComboBox(combo, 150, 24);
        combo->addItems({QStringLiteral("English"), QStringLiteral("Deutsch")});
        combo->move(30, 135);
        auto* slider = new QRZBaseSlider(&dialog);
        slider->resize(200, 16);
        styleSlider(slider);
        slider->setValue(40);
        slider->move(30, 180);
        dialog.move(800, 120);
        dialog.show();

        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(500);

        QScreen* screen = QGuiApplication::primaryScreen();
        const QImage shot = screen->grabWindow(0).toImage();
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save(testoutput::pngPath("toolkit_windows")));

        // The windows on screen carry the colours of their images: the main window's
        // body and title band, and the dialog's body.
        const QImage background(imagePath("/image/backgroud.png"));
        const QPoint body = window.mapToGlobal(QPoint(240, 150));
        QVERIFY(near(shot.pixelColor(body), background.pixelColor(240, 150), 3));
        const QPoint band = window.mapToGlobal(QPoint(300, 25));
        QVERIFY(near(shot.pixelColor(band), background.pixelColor(300, 25), 3));
        const QImage dialogBackground(imagePath("/image/common/bg_1.png"));
        const QPoint dialogBody = dialog.mapToGlobal(QPoint(380, 180));
        QVERIFY(near(shot.pixelColor(dialogBody), dialogBackground.pixelColor(60, 60), 3));
        // The checked box shows its accent.
        const QPoint check = box->mapToGlobal(QPoint(box->boxRect().center().x(), 10));
        QVERIFY(near(shot.pixelColor(check + QPoint(-4, -4)), ToolkitColors::accent(), 40));
    }

    // A window the window manager keeps above (no stay-on-top flag of its own) opens a
    // message box: the box is kept above too, so neither that window nor an ordinary
    // window raised after it covers the box.
    void boxOverAWindowKeptAboveStaysAboveIt() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs the virtual desktop");
        }
        QWidget owner;
        owner.setWindowTitle(QStringLiteral("kept above"));
        owner.setGeometry(300, 200, 700, 400);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QVERIFY(calvorine::platform::setWindowKeepAbove(QX11Info::connection(), uint32_t(owner.winId()), true));
        QTRY_VERIFY_WITH_TIMEOUT(windowState(owner.winId()).contains(QStringLiteral("_NET_WM_STATE_ABOVE")), 5000);
        QVERIFY(isKeptAboveOthers(&owner));
        QVERIFY(!owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

        QWidget ordinary;
        ordinary.setWindowTitle(QStringLiteral("ordinary"));
        ordinary.setGeometry(350, 250, 600, 300);
        bool checked = false;
        QTimer::singleShot(0, [&]() {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            checkBoxAbove(box, owner, ordinary);
            checked = !QTest::currentTestFailed();
            box->reject(); // also after a failed check, so that the test goes on
        });
        QRZMessageBox::showMessage(&owner, QStringLiteral("Over the window kept above"), QString(),
                                   QRZMessageBox::Error, QRZMessageBox::OkButton);
        QVERIFY(checked);
    }
};

QTEST_MAIN(TestToolkitDesktop)
#include "tst_toolkit_desktop.moc"
