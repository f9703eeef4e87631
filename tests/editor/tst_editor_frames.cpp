// The editor's tab bar, button strip, wait dialog and toast on the virtual desktop:
// selecting hidden and disabled tabs, the strip's signals and places, the toast's fade,
// its hold while the pointer is over it and its place at the screen's corner.
#include "editor/QCommonButtonForm.h"
#include "editor/QMessageOpacityForm.h"
#include "editor/QVideoEditTag.h"
#include "editor/QWaitForDlg.h"
#include "tests/editor/DesktopHelpers.h"
#include "toolkit/QRZButton.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class TestEditorFrames : public QObject {
    Q_OBJECT

private slots:
    void hiddenTabsPassTheSelectionOn();
    void checkedAndDisabledTabsTakeNoClick();
    void buttonStripSignalsAndPlaces();
    void waitDialogClosesItsModalLoop();
    void toastFadesOutAndHoldsWhileHovered();
};

void TestEditorFrames::hiddenTabsPassTheSelectionOn() {
    QVideoEditTag bar;
    bar.setTags({"Trim", "Adjust", "Effect", "Watermark"});
    bar.resize(686, 25);
    bar.show();
    QSignalSpy selected(&bar, &QVideoEditTag::emitSelectedTag);
    bar.selectTag(0);
    QCOMPARE(selected.takeFirst().first().toInt(), 0);
    QVERIFY(bar.button(0)->isChecked());
    QVERIFY(!bar.button(0)->isEnabled());

    bar.hideTag(1); // selects the current index (0) again: it is checked, nothing happens
    QVERIFY(selected.isEmpty());
    bar.selectTag(1);
    QCOMPARE(selected.takeFirst().first().toInt(), 2);
    QCOMPARE(bar.currentIndex(), 2);
    QVERIFY(!bar.button(0)->isChecked());
    QVERIFY(bar.button(0)->isEnabled());

    // Nothing visible after the index: nothing is clicked, the index runs past the end.
    bar.hideTag(3);
    bar.selectTag(3);
    QVERIFY(selected.isEmpty());
    QCOMPARE(bar.currentIndex(), 4);
    QVERIFY(bar.button(2)->isChecked());

    // Past the end and with no buttons: nothing.
    bar.selectTag(9);
    QVideoEditTag empty;
    empty.selectTag(0);
    empty.hideTag(0);
    empty.setTagDisabled(0, true);
    QCOMPARE(empty.count(), 0);

    // New titles replace the buttons.
    bar.setTags({"A", "B"});
    QCOMPARE(bar.count(), 2);
    QCOMPARE(bar.button(1)->text(), QStringLiteral("B"));
    QCOMPARE(bar.button(1)->height(), 25);
}

void TestEditorFrames::checkedAndDisabledTabsTakeNoClick() {
    QVideoEditTag bar;
    bar.setTags({"Trim", "Adjust", "Tag"});
    bar.resize(686, 25);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    bar.selectTag(0);
    QSignalSpy selected(&bar, &QVideoEditTag::emitSelectedTag);
    bar.setTagDisabled(2, true);
    bar.selectTag(2);
    QVERIFY(selected.isEmpty());
    QVERIFY(desktoptest::click(bar.button(0)->mapToGlobal(bar.button(0)->rect().center())));
    QVERIFY(selected.isEmpty());
    QVERIFY(desktoptest::click(bar.button(1)->mapToGlobal(bar.button(1)->rect().center())));
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.first().first().toInt(), 1);
    bar.setTagDisabled(2, false);
    QVERIFY(bar.button(2)->isEnabled());
}

void TestEditorFrames::buttonStripSignalsAndPlaces() {
    QCommonButtonForm strip;
    strip.resize(134, 128);
    strip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&strip));
    QRZBaseButton* reset = strip.resetButton();
    QRZBaseButton* apply = strip.applyToAllButton();
    QCOMPARE(reset->size(), QSize(110, 22));
    QCOMPARE(reset->pos(), QPoint(12, (128 - 22 - 22 - 10) / 2));
    QCOMPARE(apply->pos(), QPoint(12, reset->y() + 22 + 10));
    QCOMPARE(reset->text(), QStringLiteral("Reset"));
    QCOMPARE(apply->toolTip(), QStringLiteral("Apply to all"));
    QSignalSpy resets(&strip, &QCommonButtonForm::emitReset);
    QSignalSpy applies(&strip, &QCommonButtonForm::emitApplyToAll);
    QVERIFY(desktoptest::click(reset->mapToGlobal(reset->rect().center())));
    QVERIFY(desktoptest::click(apply->mapToGlobal(apply->rect().center())));
    QCOMPARE(resets.count(), 1);
    QCOMPARE(applies.count(), 1);
}

void TestEditorFrames::waitDialogClosesItsModalLoop() {
    QWaitForDlg wait;
    QCOMPARE(wait.windowTitle(), QStringLiteral("Loading"));
    QCOMPARE(wait.size(), QSize(266, 241));
    QVERIFY(wait.testAttribute(Qt::WA_TranslucentBackground));
    QTimer::singleShot(300, &wait, &QWaitForDlg::close);
    QElapsedTimer timer;
    timer.start();
    wait.exec();
    QVERIFY(timer.elapsed() >= 250);
    QVERIFY(!wait.isVisible());
}

void TestEditorFrames::toastFadesOutAndHoldsWhileHovered() {
    QWidget editor;
    editor.setGeometry(100, 100, 686, 540);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QMessageOpacityForm toast(&editor);
    QCOMPARE(toast.size(), QSize(351, 125));
    toast.showLink(0, 0, false);
    toast.showNote(false);
    toast.setMessage(QStringLiteral("Snapshot saved"));
    QCOMPARE(toast.messageLabel()->geometry(), QRect(QPoint(50, 125 / 2 - 5), QPoint(351 + 49, 125 / 2 + 34)));
    toast.moveToScreenCorner(&editor);
    const QRect area = editor.screen()->availableGeometry();
    QCOMPARE(toast.frameGeometry().bottomRight(), area.bottomRight());
    QVERIFY(desktoptest::moveTo(QPoint(5, 5)));
    toast.show();
    QVERIFY(QTest::qWaitForWindowExposed(&toast));
    QElapsedTimer timer;
    timer.start();
    toast.restartFade();
    QTest::qWait(600);
    QCOMPARE(toast.windowOpacity(), 1.0);
    QTRY_VERIFY_WITH_TIMEOUT(toast.windowOpacity() < 0.95, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!toast.isVisible(), 5000);
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= 1400, qPrintable(QString::number(elapsed)));

    // Hovered: opaque and shown for as long as the pointer stays; leaving starts over.
    toast.setWindowOpacity(1.0);
    toast.show();
    QVERIFY(QTest::qWaitForWindowExposed(&toast));
    toast.restartFade();
    QVERIFY(desktoptest::moveTo(toast.geometry().center()));
    QTRY_VERIFY(!toast.isFading());
    QTest::qWait(2500);
    QVERIFY(toast.isVisible());
    QCOMPARE(toast.windowOpacity(), 1.0);
    QVERIFY(desktoptest::moveTo(QPoint(5, 5)));
    QTRY_VERIFY(toast.isFading());
    QTest::qWait(500);
    QCOMPARE(toast.windowOpacity(), 1.0);
    QTRY_VERIFY_WITH_TIMEOUT(!toast.isVisible(), 5000);

    // A new message while fading: opaque again and the full delay once more.
    toast.show();
    toast.restartFade();
    QTRY_VERIFY_WITH_TIMEOUT(toast.windowOpacity() < 0.95, 3000);
    toast.restartFade();
    QCOMPARE(toast.windowOpacity(), 1.0);
    QTest::qWait(500);
    QCOMPARE(toast.windowOpacity(), 1.0);
    toast.onClose();
    QVERIFY(!toast.isVisible());
}

QTEST_MAIN(TestEditorFrames)
#include "tst_editor_frames.moc"
