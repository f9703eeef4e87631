// The editor window's looks and placement on the virtual desktop, as a user meets them:
// every control of every tab lies inside its 128-pixel tab where a click reaches it (the
// lowest buttons and boxes clicked and typed into with xdotool); the tab bar shows the
// tab that is shown, also when the window switched it itself; the crop frame, a window
// of its own, lies over the picture after the window manager moved the editor (read back
// with xwininfo); the watermark's frame encloses the text drawn into the preview; every
// drop-down opens at its box.
#include "editor/QAdjustOperationForm.h"
#include "editor/QMediaBorderFrame.h"
#include "editor/QMediaForm.h"
#include "editor/QTrimOperationForm.h"
#include "editor/QVideoEditTag.h"
#include "editor/QVideoEditingDlg.h"
#include "editor/QVideoEditingSettings.h"
#include "editor/QWatermarkOperationForm.h"
#include "media/QMediaElementWindow.h"
#include "tests/editor/DesktopHelpers.h"
#include "tests/editor/EditorFixtures.h"
#include "tests/support/DesktopHelpers.h"
#include "tests/support/PrivateUserFolders.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZTextEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

QPoint centreOf(QWidget* widget) {
    return widget->mapToGlobal(widget->rect().center());
}

// The tab's controls a user sees: its own children and the buttons of its Reset /
// Apply-to-all strip.
QList<QWidget*> controlsOf(QWidget* tab) {
    QList<QWidget*> controls;
    for (QWidget* child : tab->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isVisible()) {
            continue;
        }
        controls += child;
        if (child->objectName() == QLatin1String("m_buttonFrom")) {
            for (QWidget* button : child->findChildren<QRZBaseButton*>()) {
                if (button->isVisible()) {
                    controls += button;
                }
            }
        }
    }
    return controls;
}

// The bounds of the light pixels of the image (white text over the red and blue clip).
QRect lightBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 170 && c.green() > 170 && c.blue() > 170) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

QString describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestEditorPlacement : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void everyControlFitsItsTab();
    void lowestControlsTakeClicksAndKeys();
    void tabBarShowsTheTabShown();
    void cropFrameFollowsTheMovedEditor();
    void watermarkFrameEnclosesTheDrawnText();
    void everyDropDownOpensAtItsBox();

private:
    void showTab(int tab);
    QWidget* tabWidget(int tab) const;

    PrivateUserFolders* m_folders = nullptr;
    QString m_clip;
    std::unique_ptr<QVideoEditingDlg> m_editor;
};

void TestEditorPlacement::initTestCase() {
    m_folders = new PrivateUserFolders;
    QVERIFY(m_folders->isValid());
    m_clip = m_folders->root() + "/quadrants.mp4";
    QVERIFY(editorfixtures::makeQuadrantClip(m_clip, 320, 240, 6.0));
}

void TestEditorPlacement::cleanupTestCase() {
    delete m_folders;
}

void TestEditorPlacement::init() {
    m_editor = std::make_unique<QVideoEditingDlg>();
    QVERIFY(desktop::openEditor(m_editor.get(), m_clip));
    // The file's own playing would move the picture under the pixel checks.
    QTRY_VERIFY(m_editor->trimTab()->button("m_btnPause")->isVisible());
    QVERIFY(desktoptest::click(centreOf(m_editor->trimTab()->button("m_btnPause"))));
    QTRY_VERIFY(m_editor->trimTab()->button("m_btnPlay")->isVisible());
}

void TestEditorPlacement::cleanup() {
    m_editor.reset();
}

QWidget* TestEditorPlacement::tabWidget(int tab) const {
    static const char* const names[] = {
        "QTrimOperationForm",     "QAdjustOperationForm", "QEffectOperationForm", "QWatermarkOperationForm",
        "QSubtitleOperationForm", "QAudioOperationForm",  "QAudioTagForm"};
    return m_editor->findChild<QWidget*>(QLatin1String(names[tab]));
}

// Adjust to Audio are hidden in the tab bar for now: the window switches to them itself.
void TestEditorPlacement::showTab(int tab) {
    m_editor->selectedTag(tab);
    QVERIFY(tabWidget(tab)->isVisible());
}

void TestEditorPlacement::everyControlFitsItsTab() {
    for (int tab = QVideoEditingDlg::Adjust; tab <= QVideoEditingDlg::Audio; ++tab) {
        showTab(tab);
        QWidget* page = tabWidget(tab);
        QVERIFY(page && page->isVisible());
        QCOMPARE(page->height(), 128);
        const QRect inside = page->rect();
        const QList<QWidget*> controls = controlsOf(page);
        QVERIFY(controls.size() > 5);
        for (QWidget* control : controls) {
            const QRect where(control->mapTo(page, QPoint(0, 0)), control->size());
            QVERIFY2(inside.contains(where),
                     qPrintable(QStringLiteral("tab %1, %2 %3: %4")
                                    .arg(tab)
                                    .arg(control->metaObject()->className(), control->objectName(), describe(where))));
            // Nothing else lies over its middle, where a user clicks it.
            QWidget* under = QApplication::widgetAt(centreOf(control));
            QVERIFY2(under && (under == control || control->isAncestorOf(under)),
                     qPrintable(QStringLiteral("%1 is covered by %2")
                                    .arg(control->objectName(), under ? under->objectName() : QStringLiteral("none"))));
        }
        // No control lies over part of another (a one-pixel shared edge aside; the
        // picture's delete button sits inside the picture button by design).
        for (QWidget* a : controls) {
            for (QWidget* b : controls) {
                const QRect shared = a->geometry() & b->geometry();
                if (a == b || a->parentWidget() != b->parentWidget() || shared.width() <= 1 || shared.height() <= 1 ||
                    a->objectName() == QLatin1String("m_btnDelete") ||
                    b->objectName() == QLatin1String("m_btnDelete")) {
                    continue;
                }
                QFAIL(qPrintable(QStringLiteral("tab %1: %2 %3 overlaps %4 %5")
                                     .arg(tab)
                                     .arg(a->objectName(), describe(a->geometry()))
                                     .arg(b->objectName(), describe(b->geometry()))));
            }
        }
        QTest::qWait(150); // the screen catches up with the switch (for the picture kept only)
        desktop::keep(desktop::shot(m_editor.get()), QStringLiteral("editor_placement_tab%1").arg(tab));
    }
}

void TestEditorPlacement::lowestControlsTakeClicksAndKeys() {
    QVideoEditingSettings* settings = m_editor->settings();
    showTab(QVideoEditingDlg::Adjust);
    // "Flip Vertical", the rotation column's lowest button: mirror and half a turn.
    QVERIFY(desktoptest::click(centreOf(m_editor->adjustTab()->button("m_btnFlipV"))));
    VECropSettings crop;
    QTRY_VERIFY((settings->getCrop(crop), crop.rotation == 180));
    QCOMPARE(crop.mirrored, 1);

    showTab(QVideoEditingDlg::Watermark);
    QWatermarkOperationForm* watermark = m_editor->watermarkTab();
    // The text box, then the text's transparency box at the bottom of the middle panel.
    auto* text = watermark->findChild<QRZTextEdit*>("m_leAddWKText");
    QVERIFY(desktoptest::click(centreOf(text)));
    QTRY_VERIFY(text->textEdit()->hasFocus());
    QVERIFY(desktoptest::xdotool({"type", "--delay", "20", "Mark"}));
    VEWatermarkSettings record;
    QTRY_VERIFY((settings->getWatermark(record), record.text.text == "Mark"));
    auto* alpha = watermark->findChild<QRZLineEdit*>("m_leTextAlphaValue");
    QVERIFY(desktoptest::click(centreOf(alpha)));
    QTRY_VERIFY(alpha->hasFocus());
    QVERIFY(desktoptest::xdotool({"key", "ctrl+a"}));
    QVERIFY(desktoptest::xdotool({"type", "--delay", "20", "50"}));
    // Half of 255, however the half is rounded.
    QTRY_VERIFY((settings->getWatermark(record), qAbs(record.text.alpha - 127) <= 1 && record.text.alpha != 255));
    desktop::keep(desktop::shot(m_editor.get()), "editor_placement_watermark_typed");
}

void TestEditorPlacement::tabBarShowsTheTabShown() {
    QVideoEditTag* bar = m_editor->tabBar();
    const auto checkedTabs = [bar] {
        QList<int> checked;
        for (int i = 0; i < bar->count(); ++i) {
            if (bar->button(i)->isChecked()) {
                checked += i;
            }
        }
        return checked;
    };
    const auto barLook = [bar] {
        QTest::qWait(100);
        return desktop::shot(bar);
    };
    QCOMPARE(checkedTabs(), QList<int>{QVideoEditingDlg::Trim});
    const QImage onTrim = barLook();
    desktop::keep(onTrim, "editor_placement_tab_bar_trim");
    // The window switches to the watermark tab, whose button is hidden: Trim no longer
    // looks selected.
    m_editor->selectedTag(QVideoEditingDlg::Watermark);
    QCOMPARE(checkedTabs(), QList<int>{QVideoEditingDlg::Watermark});
    const QImage onWatermark = barLook();
    desktop::keep(onWatermark, "editor_placement_tab_bar_watermark");
    QVERIFY(onWatermark != onTrim);
    m_editor->selectedTag(QVideoEditingDlg::Trim);
    QCOMPARE(checkedTabs(), QList<int>{QVideoEditingDlg::Trim});
    QCOMPARE(barLook(), onTrim);

    // Tag, which a file with video keeps disabled, shown by the window: it looks
    // selected; after the user's click back on Trim it is out of reach again.
    QVERIFY(!bar->button(QVideoEditingDlg::Tag)->isEnabled());
    m_editor->selectedTag(QVideoEditingDlg::Tag);
    QCOMPARE(checkedTabs(), QList<int>{QVideoEditingDlg::Tag});
    const QImage onTag = barLook();
    desktop::keep(onTag, "editor_placement_tab_bar_tag");
    QVERIFY(onTag != onTrim && onTag != onWatermark);
    QVERIFY(desktoptest::click(centreOf(bar->button(QVideoEditingDlg::Trim))));
    QTRY_COMPARE(m_editor->currentTab(), int(QVideoEditingDlg::Trim));
    QCOMPARE(checkedTabs(), QList<int>{QVideoEditingDlg::Trim});
    QVERIFY(!bar->button(QVideoEditingDlg::Tag)->isEnabled());
    QCOMPARE(barLook(), onTrim);
}

void TestEditorPlacement::cropFrameFollowsTheMovedEditor() {
    showTab(QVideoEditingDlg::Adjust);
    QMediaBorderFrame* frame = m_editor->preview()->cropOverlay();
    QMediaElementWindow* source = m_editor->preview()->sourceSurface();
    QTRY_VERIFY(frame->isVisible());
    const quint64 editorWindow = m_editor->winId();
    const quint64 frameWindow = frame->winId();
    // Where X has the frame, and where the source surface lies by X's editor position.
    QRect placed;
    QRect wanted;
    const auto framed = [&] {
        placed = desktoptest::xwininfoRect(frameWindow);
        wanted = QRect(desktoptest::xwininfoRect(editorWindow).topLeft() + source->mapTo(m_editor.get(), QPoint(0, 0)),
                       source->size());
        return placed == wanted;
    };
    QVERIFY2(desktoptest::waitFor(framed, 5000), qPrintable(describe(placed) + " for " + describe(wanted)));
    for (const QPoint& to : {QPoint(240, 150), QPoint(20, 90)}) {
        QVERIFY(desktoptest::xdotool(
            {"windowmove", "--sync", QString::number(editorWindow), QString::number(to.x()), QString::number(to.y())}));
        QVERIFY(desktoptest::waitFor([&] { return desktoptest::xwininfoRect(editorWindow).topLeft() == to; }, 5000));
        QVERIFY2(desktoptest::waitFor(framed, 5000), qPrintable(describe(placed) + " for " + describe(wanted)));
    }
    desktop::keep(desktop::screen(), "editor_placement_crop_frame_moved");
}

void TestEditorPlacement::watermarkFrameEnclosesTheDrawnText() {
    showTab(QVideoEditingDlg::Watermark);
    QMediaBorderFrame* overlay = m_editor->preview()->watermarkOverlay();
    QMediaElementWindow* preview = m_editor->preview()->previewSurface();
    QTRY_VERIFY(overlay->isVisible());
    auto* text = m_editor->watermarkTab()->findChild<QRZTextEdit*>("m_leAddWKText");
    QVERIFY(desktoptest::click(centreOf(text)));
    QTRY_VERIFY(text->textEdit()->hasFocus());
    // Wide letters and a descender: the text's full box.
    QVERIFY(desktoptest::xdotool({"type", "--delay", "20", "WMWgjy"}));
    QWidget* piece = overlay->piece(0);
    QTRY_VERIFY(piece->isVisible());
    // The drawn text in the preview surface's own picture (the frame is a window of its
    // own and not part of it), and the frame, both on the screen.
    QRect drawn;
    QRect frame;
    const auto enclosed = [&] {
        const QRect light = lightBounds(preview->grab().toImage());
        drawn = light.translated(preview->mapToGlobal(QPoint(0, 0)));
        frame = QRect(overlay->mapToGlobal(piece->pos()), piece->size());
        return light.width() > 20 && frame.contains(drawn);
    };
    QVERIFY2(desktoptest::waitFor(enclosed, 5000), qPrintable(describe(drawn) + " outside " + describe(frame)));
    desktop::keep(desktop::screen(), "editor_placement_watermark_frame");
    // The frame is not far larger than the text either.
    QVERIFY2(frame.width() < drawn.width() + 24 && frame.height() < drawn.height() + 24,
             qPrintable(describe(drawn) + " in " + describe(frame)));
}

// Each drop-down of every tab, opened by a click on its arrow (or its face): the list X
// shows (xwininfo) lies against its box, below or above it, and a pick from it lands.
void TestEditorPlacement::everyDropDownOpensAtItsBox() {
    // An editor the window manager places itself, as the history list opens it.
    m_editor = std::make_unique<QVideoEditingDlg>();
    m_editor->setMediaFile(m_clip, 0, 0);
    m_editor->show();
    QVERIFY(desktoptest::waitFor(
        [this] { return m_editor->isLoaded() && desktoptest::xwininfoRect(m_editor->winId()).width() > 0; }, 20000));
    int opened = 0;
    for (int tab = QVideoEditingDlg::Adjust; tab <= QVideoEditingDlg::Tag; ++tab) {
        showTab(tab);
        for (QRZComboBox* combo : tabWidget(tab)->findChildren<QRZComboBox*>()) {
            if (!combo->isVisible() || combo->count() < 2) {
                continue;
            }
            QWidget* face = combo;
            if (combo->arrowButton() && combo->arrowButton()->isVisible()) {
                face = combo->arrowButton();
            }
            const QString misplaced = desktoptest::openDropDownAtItsBox(combo, face);
            const QString name = combo->objectName();
            desktop::keep(desktop::screen(), QStringLiteral("editor_dropdown_%1").arg(name));
            QVERIFY2(misplaced.isEmpty(), qPrintable(name + ": " + misplaced));
            QWidget* popup = combo->view()->window();
            // The last row, picked with a click, becomes the combo's text.
            const QModelIndex last = combo->view()->model()->index(combo->count() - 1, 0);
            combo->view()->scrollTo(last);
            const QRect row = combo->view()->visualRect(last);
            QVERIFY(
                desktoptest::click(desktoptest::xwininfoRectOf(combo->view()->viewport()).topLeft() + row.center()));
            QTRY_VERIFY(!popup->isVisible());
            QTRY_COMPARE(combo->currentText(), combo->itemText(combo->count() - 1));
            ++opened;
        }
    }
    QVERIFY(opened >= 2); // the genre list and at least one other
}

QTEST_MAIN(TestEditorPlacement)
#include "tst_editor_placement.moc"
