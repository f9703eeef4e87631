// The history dialog and its list as the user meets them: History.xml as the recorder
// leaves it, real files from ffmpeg, tabs and search through xdotool, renames and deletes
// checked on disk and in History.xml, the pruning of emptied folders.
#include "LibraryTestSupport.h"
#include "tests/support/ReadOnlyFile.h"

#include "app/AppGlobals.h"
#include "app/HistoryFile.h"
#include "app/QRecordAreaInfo.h"
#include "library/QHistoryChunk.h"
#include "library/QHistoryDlg.h"
#include "library/QHistoryListWgt.h"
#include "library/QHistoryViewParts.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"
#include "platform/codec/calvorine_codec.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZMenu.h"

#include <QAction>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolTip>
#include <QVector>

#include <algorithm>
#include <cmath>

using namespace librarytest;

namespace {

QStringList shownNames(QHistoryListWgt* list) {
    QStringList names;
    QAbstractItemModel* proxy = list->view()->model();
    for (int row = 0; row < proxy->rowCount(); ++row) {
        names << proxy->index(row, 1).data().toString();
    }
    return names;
}

QHistoryChunk* chunkNamed(QHistoryListWgt* list, const QString& name) {
    for (QHistoryChunk* chunk : list->allChunks()) {
        if (QString::fromStdString(chunk->displayName()) == name) {
            return chunk;
        }
    }
    return nullptr;
}

QModelIndex rowOf(QHistoryListWgt* list, const QString& name, int column = 1) {
    QAbstractItemModel* proxy = list->view()->model();
    for (int row = 0; row < proxy->rowCount(); ++row) {
        if (proxy->index(row, 1).data().toString() == name) {
            return proxy->index(row, column);
        }
    }
    return QModelIndex();
}

// What a reader meets in a picture of a text box: the box's fill (its most common colour)
// and the rows it covers, the rows holding ink within it (each a run of rows, one a line),
// and the contrast ratio of the strongest ink against the fill as WCAG reckons it.
struct TextInBox {
    QColor fill;
    int boxTop = -1;
    int boxBottom = -1;
    QVector<QPair<int, int>> lines; // first and last row of each line of text
    double contrast = 0.0;

    double boxMiddle() const { return (boxTop + boxBottom) / 2.0; }
    double textMiddle() const { return lines.isEmpty() ? -1.0 : (lines.first().first + lines.last().second) / 2.0; }
};

double relativeLuminance(const QColor& colour) {
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) + 0.0722 * linear(colour.blue());
}

TextInBox readTextInBox(const QImage& shot) {
    TextInBox result;
    QHash<QRgb, int> counts;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            ++counts[shot.pixel(x, y) & 0xffffff];
        }
    }
    QRgb mode = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > counts.value(mode)) {
            mode = it.key();
        }
    }
    result.fill = QColor(mode);
    // The box: rows mostly of the fill (its border and what lies outside it are not).
    for (int y = 0; y < shot.height(); ++y) {
        if (desktoptest::countColour(shot, QRect(0, y, shot.width(), 1), result.fill, 6) * 2 > shot.width()) {
            result.boxTop = result.boxTop < 0 ? y : result.boxTop;
            result.boxBottom = y;
        }
    }
    if (result.boxTop < 0) {
        return result;
    }
    // Ink: inside the box, clear of its left and right edges, the pixels more than a
    // quarter of the way from the fill to the strongest ink.
    const QRect inside(10, result.boxTop, shot.width() - 20, result.boxBottom - result.boxTop + 1);
    const double fillLuminance = relativeLuminance(result.fill);
    double strongest = 0.0;
    QColor ink = result.fill;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const double away = std::abs(relativeLuminance(shot.pixelColor(x, y)) - fillLuminance);
            if (away > strongest) {
                strongest = away;
                ink = shot.pixelColor(x, y);
            }
        }
    }
    const double lighter = std::max(fillLuminance, relativeLuminance(ink));
    const double darker = std::min(fillLuminance, relativeLuminance(ink));
    result.contrast = (lighter + 0.05) / (darker + 0.05);
    bool inLine = false;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        bool inked = false;
        for (int x = inside.left(); x <= inside.right() && !inked; ++x) {
            inked = std::abs(relativeLuminance(shot.pixelColor(x, y)) - fillLuminance) > strongest / 4;
        }
        if (inked && !inLine) {
            result.lines.append({y, y});
        } else if (inked) {
            result.lines.last().second = y;
        }
        inLine = inked;
    }
    return result;
}

// The tip window X shows now: a child of the root window of the tool-tip type that is
// viewable. Its rectangle; empty when there is none.
QRect shownTipWindow() {
    const QString children = desktoptest::run("xwininfo", {"-root", "-children"});
    QRegularExpressionMatchIterator windows =
        QRegularExpression("^\\s+(0x[0-9a-f]+) ", QRegularExpression::MultilineOption).globalMatch(children);
    while (windows.hasNext()) {
        const quint64 id = windows.next().captured(1).toULongLong(nullptr, 16);
        if (desktoptest::xprop(id, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_TOOLTIP") &&
            desktoptest::run("xwininfo", {"-id", QString::number(id)}).contains("Map State: IsViewable")) {
            return desktoptest::xwininfoRect(id);
        }
    }
    return QRect();
}

} // namespace

class TestHistoryList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void loadListsNewestFirstDropsMissingAndProbesFormatsOnce();
    void emptyOrDamagedHistoryShowsNothingHereYet();
    void tidyingThatCannotBeSavedIsLoggedOnly();
    void tabsCountAndSearchMatchesLiterally();
    void searchAndItsClearingShowTheListFromItsTop();
    void renameKeepsTheExtensionAndHistoryFollows();
    void moveKeepsFilesDeleteRemovesThem();
    void renameAndDeleteThatCannotBeSavedAreTold();
    void deleteAllFromTheMenuTakesTheShownTabOnly();
    void pruningStopsAtTheOutputRoot();
    void recordDetailsAndCoverPlacement();
    void aRecordingJustMadeIsTheFirstRowWithItsThumbnail();
    void loadedListDrawsItsFirstRowAsCurrent();
    void menuPlayPlaysTheRightClickedRowWhereverTheMenuOpens();
    void nameTipShowsTheWholeName();
    void openFileLocationThatNothingOpensIsTold();

private:
    QString media(const QString& name) const { return m_media + "/" + name; }
    QString copyOf(const QString& source, const QString& target) const;

    PrivateUserFolders m_folders;
    QString m_media;
};

void TestHistoryList::initTestCase() {
    QVERIFY(m_folders.isValid());
    m_media = m_folders.root() + "/media";
    QVERIFY(QDir().mkpath(m_media));
    QVERIFY(fixtures::makeClip(media("clip.mp4"), 2.0));
    QVERIFY(fixtures::makeClip(media("movie.mkv"), 2.0));
    QVERIFY(fixtures::makeTone(media("song.mp3"), 2.0));
}

void TestHistoryList::init() {
    QFile::remove(m_folders.dataFolder() + "/History.xml");
    QFile::remove(m_folders.dataFolder() + "/History.xml.bad");
    setOutputPath(QString());
}

QString TestHistoryList::copyOf(const QString& source, const QString& target) const {
    QFile::remove(target);
    QDir().mkpath(QFileInfo(target).absolutePath());
    return QFile::copy(media(source), target) ? target : QString();
}

void TestHistoryList::loadListsNewestFirstDropsMissingAndProbesFormatsOnce() {
    const QString backslashed = copyOf("clip.mp4", m_media + "/older.mp4");
    QVERIFY(!backslashed.isEmpty());
    QString stored = backslashed;
    stored.replace('/', '\\');
    QVERIFY(writeHistory(m_folders, {{media("clip.mp4"), "", true, false},
                                     {media("movie.mkv"), "", true, false},
                                     {media("song.mp3"), "", false, false},
                                     {media("gone.mp4"), "mp4", true, false},
                                     {stored, "", true, false},
                                     {media("clip.mp4") + ".new.mp4", "mp4", true, true}}));
    QVERIFY(QFile::copy(media("clip.mp4"), media("clip.mp4") + ".new.mp4"));

    {
        QHistoryDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QHistoryListWgt* list = dialog.listWidget();
        QCOMPARE(shownNames(list), QStringList({"clip.mp4.new.mp4", "older.mp4", "song.mp3", "movie.mkv", "clip.mp4"}));
        QCOMPARE(list->view()->currentIndex().row(), 0);
        QCOMPARE(list->videoChunks().size(), 4);
        QCOMPARE(list->audioChunks().size(), 1);
        QCOMPARE(chunkNamed(list, "clip.mp4")->format(), std::string("mp4"));
        QCOMPARE(chunkNamed(list, "movie.mkv")->format(), std::string("matroska"));
        QCOMPARE(chunkNamed(list, "song.mp3")->format(), std::string("mp3"));
        QVERIFY(chunkNamed(list, "clip.mp4.new.mp4")->isNewFile());
        QVERIFY(!chunkNamed(list, "clip.mp4")->isNewFile());
        saveScreenshot(&dialog, "history_loaded");
    }
    const QString text = historyText(m_folders);
    QVERIFY(!text.contains("gone.mp4"));
    QCOMPARE(text.count("<Path_item"), 5); // the backslashed entry was updated, not doubled
    QCOMPARE(text.count("Format_=\"matroska\""), 1);
    QVERIFY(!text.contains("New_file=\"Y\""));
    QVERIFY(!text.contains("Format_=\"\""));

    // A stored format is read, never probed again; the badge was for the first opening.
    QString changed = text;
    changed.replace("Format_=\"matroska\"", "Format_=\"kept\"");
    QVERIFY(fixtures::writeFile(m_folders.dataFolder() + "/History.xml", changed.toUtf8()));
    QHistoryDlg again;
    QCOMPARE(chunkNamed(again.listWidget(), "movie.mkv")->format(), std::string("kept"));
    QVERIFY(!chunkNamed(again.listWidget(), "clip.mp4.new.mp4")->isNewFile());
    QVERIFY(historyText(m_folders).contains("Format_=\"kept\""));
    QFile::remove(media("clip.mp4") + ".new.mp4");
}

// A History.xml that cannot be written: the load still lists what exists, probed, with
// its badge; the tidying it could not save (a gone file, a new mark, a probed format) is
// logged, as nothing the user did is lost, and the file keeps what it held.
void TestHistoryList::tidyingThatCannotBeSavedIsLoggedOnly() {
    QVERIFY(writeHistory(m_folders, {{media("clip.mp4"), "", true, false},
                                     {media("gone.mp4"), "mp4", true, false},
                                     {media("song.mp3"), "mp3", false, true}}));
    const QString before = historyText(m_folders);
    {
        ReadOnlyFile readOnly(m_folders.dataFolder() + "/History.xml");
        QVERIFY(readOnly.isReadOnly());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("History.xml could not be tidied"));
        QHistoryDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QHistoryListWgt* list = dialog.listWidget();
        QCOMPARE(shownNames(list), QStringList({"song.mp3", "clip.mp4"}));
        QCOMPARE(chunkNamed(list, "clip.mp4")->format(), std::string("mp4"));
        QVERIFY(chunkNamed(list, "song.mp3")->isNewFile());
        QCOMPARE(historyText(m_folders), before);
    }
    // Writable again, the next load tidies it.
    QHistoryDlg again;
    QCOMPARE(shownNames(again.listWidget()), QStringList({"song.mp3", "clip.mp4"}));
    const QString after = historyText(m_folders);
    QVERIFY(!after.contains("gone.mp4"));
    QVERIFY(!after.contains("New_file=\"Y\""));
    QVERIFY(after.contains("Format_=\"mp4\""));
}

void TestHistoryList::emptyOrDamagedHistoryShowsNothingHereYet() {
    {
        QHistoryDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QHistoryListWgt* list = dialog.listWidget();
        QVERIFY(!list->view()->isVisible());
        QVERIFY(list->nothingLabel()->isVisible());
        QCOMPARE(list->nothingLabel()->text(), QString("Nothing here yet!"));
        dialog.searchEdit()->setText("x");
        QVERIFY(!list->view()->isVisible());
        saveScreenshot(&dialog, "history_empty");
    }
    QVERIFY(fixtures::writeFile(m_folders.dataFolder() + "/History.xml", "<ROOTITEM><Path_item"));
    QHistoryDlg damaged;
    QCOMPARE(damaged.listWidget()->allChunks().size(), 0);
    QVERIFY(QFile::exists(m_folders.dataFolder() + "/History.xml.bad"));
}

void TestHistoryList::tabsCountAndSearchMatchesLiterally() {
    const QString special = copyOf("clip.mp4", m_media + "/x(1).mp4");
    QVERIFY(writeHistory(m_folders, {{media("clip.mp4"), "mp4", true},
                                     {special, "mp4", true},
                                     {media("movie.mkv"), "matroska", true},
                                     {media("song.mp3"), "mp3", false}}));
    QHistoryDlg dialog;
    dialog.selectTab(0);
    QVERIFY(dialog.videoTab()->isChecked() && !dialog.videoTab()->isEnabled());
    QCOMPARE(shownNames(dialog.listWidget()).size(), 3);
    dialog.selectTab(1);
    QCOMPARE(shownNames(dialog.listWidget()), QStringList({"song.mp3"}));
    dialog.selectTab(5);
    QVERIFY(dialog.allTab()->isChecked() && !dialog.allTab()->isEnabled());
    QVERIFY(dialog.videoTab()->isEnabled() && dialog.audioTab()->isEnabled());
    QCOMPARE(shownNames(dialog.listWidget()).size(), 4);

    QVERIFY(showForInput(&dialog));
    QHistoryListWgt* list = dialog.listWidget();
    // The user clicks the Video tab and types into the search box.
    QVERIFY(clickAt(dialog.videoTab(), dialog.videoTab()->rect().center()));
    QTRY_VERIFY(dialog.videoTab()->isChecked());
    QVERIFY(clickAt(dialog.searchEdit(), dialog.searchEdit()->rect().center()));
    QTRY_VERIFY(dialog.searchEdit()->hasFocus());
    QVERIFY(typeText("X(1)"));
    QTRY_COMPARE(dialog.searchEdit()->text(), QString("X(1)"));
    QCOMPARE(shownNames(list), QStringList({"x(1).mp4"}));
    saveScreenshot(&dialog, "history_search");
    QVERIFY(key("Return"));
    QTest::qWait(100);
    QVERIFY(dialog.isVisible()); // Return neither closes nor accepts

    dialog.searchEdit()->setText("[");
    QCOMPARE(shownNames(list).size(), 0);
    QVERIFY(list->view()->isVisible()); // typing never hides the table
    saveScreenshot(&dialog, "history_search_miss");
    QVERIFY(clickAt(dialog.audioTab(), dialog.audioTab()->rect().center()));
    QTRY_VERIFY(dialog.audioTab()->isChecked());
    QVERIFY(!list->view()->isVisible()); // a tab change does
    saveScreenshot(&dialog, "history_search_miss_after_tab");
    // The user selects the search text and deletes it: the tab's items come back.
    QVERIFY(clickAt(dialog.searchEdit(), dialog.searchEdit()->rect().center()));
    QTRY_VERIFY(dialog.searchEdit()->hasFocus());
    QVERIFY(key("ctrl+a") && key("BackSpace"));
    QTRY_VERIFY(dialog.searchEdit()->text().isEmpty());
    QCOMPARE(shownNames(list), QStringList({"song.mp3"}));
    QTRY_VERIFY(list->view()->isVisible());
    saveScreenshot(&dialog, "history_search_cleared");
    QVERIFY(key("Escape")); // closes the dialog
    QTRY_VERIFY(!dialog.isVisible());
}

void TestHistoryList::searchAndItsClearingShowTheListFromItsTop() {
    QList<Entry> entries;
    QDir().mkpath(m_media + "/many");
    for (int i = 1; i <= 160; ++i) {
        const QString path = m_media + QStringLiteral("/many/tutorial_%1.mp4").arg(i);
        QFile::remove(path);
        QVERIFY(QFile::link(media("clip.mp4"), path));
        entries << Entry(path, "mp4", true);
    }
    QVERIFY(writeHistory(m_folders, entries));
    QHistoryDlg dialog;
    QVERIFY(showForInput(&dialog));
    QHistoryListWgt* list = dialog.listWidget();
    QAbstractItemView* view = list->view();
    QCOMPARE(view->model()->rowCount(), 160);
    // The row drawn at the top of the list and the one it should be (row 0, the newest).
    const auto topRow = [view] { return view->model()->index(view->indexAt(QPoint(4, 4)).row(), 1).data().toString(); };
    const auto firstRow = [view] { return view->model()->index(0, 1).data().toString(); };
    const auto scrollDown = [view] {
        const QPoint inside = view->viewport()->mapToGlobal(view->viewport()->rect().center());
        return xdotool({"mousemove", "--sync", QString::number(inside.x()), QString::number(inside.y())}) &&
               xdotool({"click", "--repeat", "40", "--delay", "10", "5"});
    };
    // The user scrolls far down the list, then searches.
    QVERIFY(scrollDown());
    QTRY_VERIFY(view->verticalScrollBar()->value() > view->verticalScrollBar()->minimum());
    saveScreenshot(&dialog, "history_many_scrolled");
    QVERIFY(clickAt(dialog.searchEdit(), dialog.searchEdit()->rect().center()));
    QTRY_VERIFY(dialog.searchEdit()->hasFocus());
    QVERIFY(typeText("tutorial_1"));
    QTRY_COMPARE(dialog.searchEdit()->text(), QString("tutorial_1"));
    QVERIFY(view->model()->rowCount() >= 1 + 10 + 60 && view->model()->rowCount() < 160); // 1, 10-19, 100-159
    QTest::qWait(100);                                                                    // drawn
    saveScreenshot(&dialog, "history_many_searched");
    QVERIFY2(topRow() == firstRow(),
             qPrintable(QStringLiteral("the search shows %1 at the top, not %2").arg(topRow(), firstRow())));
    // Down the matches, then the search cleared: the whole list from its top.
    QVERIFY(scrollDown());
    QTRY_VERIFY(view->verticalScrollBar()->value() > view->verticalScrollBar()->minimum());
    QVERIFY(clickAt(dialog.searchEdit(), dialog.searchEdit()->rect().center()));
    QVERIFY(key("ctrl+a") && key("BackSpace"));
    QTRY_VERIFY(dialog.searchEdit()->text().isEmpty());
    QCOMPARE(view->model()->rowCount(), 160);
    QTest::qWait(100);
    saveScreenshot(&dialog, "history_many_search_cleared");
    QVERIFY2(topRow() == firstRow(),
             qPrintable(QStringLiteral("the cleared search shows %1 at the top, not %2").arg(topRow(), firstRow())));
}

void TestHistoryList::renameKeepsTheExtensionAndHistoryFollows() {
    const QString clip = copyOf("clip.mp4", m_media + "/rename/clip.mp4");
    const QString dotted = copyOf("clip.mp4", m_media + "/rename/a.b.mp4");
    const QString bare = copyOf("clip.mp4", m_media + "/rename/nodot");
    copyOf("clip.mp4", m_media + "/rename/taken.mp4");
    QVERIFY(writeHistory(m_folders, {{clip, "mp4"}, {dotted, "mp4"}, {bare, ""}}));
    QHistoryDlg dialog;
    QVERIFY(showForInput(&dialog));
    QHistoryListWgt* list = dialog.listWidget();

    // Through the name editor, as the "Edit Name" button opens it.
    list->OnChangeName(rowOf(list, "clip.mp4", 2));
    auto* editor = list->view()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QTRY_VERIFY(editor->isVisible());
    QCOMPARE(editor->text(), QString("clip"));
    saveScreenshot(&dialog, "history_rename_editor");
    editor->setText("take");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(QFile::exists(m_media + "/rename/take.mp4"));
    QVERIFY(!QFile::exists(clip));
    QVERIFY(historyText(m_folders).contains(m_media + "/rename/take.mp4"));
    QVERIFY(chunkNamed(list, "take.mp4"));

    list->ItemNameChange(rowOf(list, "a.b.mp4"), "c");
    QVERIFY(QFile::exists(m_media + "/rename/c.mp4"));
    list->ItemNameChange(rowOf(list, "nodot"), "plain");
    QVERIFY(QFile::exists(m_media + "/rename/plain"));

    // Ignored without a word: forbidden characters and a blank name.
    for (const QString& name :
         {QString("a/b"), QString("a:b"), QString("a?b"), QString("a*b"), QString("  "), QString("")}) {
        list->ItemNameChange(rowOf(list, "c.mp4"), name);
        QVERIFY(QFile::exists(m_media + "/rename/c.mp4"));
    }
    QVERIFY(!QFile::exists(m_media + "/rename/.mp4"));

    // A name that is taken, typed as the user does after the row's "Edit Name" button:
    // the file stays, and the tooltip shows and closes by itself. Read from the screen,
    // its text sits in the middle of its box, its two lines apart, dark on a light fill.
    QElapsedTimer shown;
    QSize tipSize;
    QString tipText;
    QImage onScreen;
    QString tipPlace;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        auto* tip = qobject_cast<QCustomToolTip*>(QApplication::activeModalWidget());
        if (tip != nullptr && tip->isVisible() && !shown.isValid()) {
            shown.start();
            tipSize = tip->size();
            tipText = tip->text();
        } else if (tip != nullptr && shown.isValid() && shown.elapsed() > 500 && onScreen.isNull()) {
            const QRect area = desktoptest::xwininfoRect(tip->winId()); // where the screen has it
            tipPlace = QStringLiteral("tip at %1,%2").arg(area.x()).arg(area.y());
            onScreen = QGuiApplication::primaryScreen()
                           ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
            onScreen.save(testoutput::pngPath("history_rename_failed_tip"));
        }
    });
    watch.start(20);
    const QRect editCell = list->view()->visualRect(rowOf(list, "c.mp4", 2));
    const QPoint onEdit = list->view()->viewport()->mapToGlobal(editCell.center());
    QVERIFY(xdotool({"mousemove", "--sync", QString::number(onEdit.x() - 20), QString::number(onEdit.y())}));
    QTest::qWait(100);
    QVERIFY(clickAt(list->view()->viewport(), editCell.center()));
    QLineEdit* nameEditor = nullptr;
    QTRY_VERIFY((nameEditor = [list]() -> QLineEdit* {
                    for (QLineEdit* edit : list->view()->findChildren<QLineEdit*>()) {
                        if (edit->isVisible() && edit->hasFocus()) {
                            return edit;
                        }
                    }
                    return nullptr;
                }()) != nullptr);
    QCOMPARE(nameEditor->text(), QString("c"));
    QVERIFY(key("ctrl+a"));
    QVERIFY(typeText("taken"));
    QTRY_COMPARE(nameEditor->text(), QString("taken"));
    QVERIFY(key("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(shown.isValid() && QApplication::activeModalWidget() == nullptr, 5000);
    QVERIFY(shown.elapsed() > 1000);
    QCOMPARE(tipSize, QSize(320, 70));
    QVERIFY(tipText.startsWith("Edit failed."));
    QVERIFY(QFile::exists(m_media + "/rename/c.mp4"));
    QVERIFY(historyText(m_folders).contains(m_media + "/rename/c.mp4"));

    QVERIFY(!onScreen.isNull());
    const TextInBox read = readTextInBox(onScreen);
    const QString seen = tipPlace + QStringLiteral(": fill %1, box rows %2-%3, text rows %4, contrast %5")
                                        .arg(read.fill.name())
                                        .arg(read.boxTop)
                                        .arg(read.boxBottom)
                                        .arg([&read] {
                                            QStringList runs;
                                            for (const auto& line : read.lines) {
                                                runs << QStringLiteral("%1-%2").arg(line.first).arg(line.second);
                                            }
                                            return runs.join(' ');
                                        }())
                                        .arg(read.contrast, 0, 'f', 2);
    QVERIFY2(read.boxBottom - read.boxTop >= 30, qPrintable(seen));              // the box, with room for the text
    QVERIFY2(read.lines.size() == 2, qPrintable(seen));                          // two lines, blank rows between
    QVERIFY2(read.lines[1].first - read.lines[0].second >= 3, qPrintable(seen)); // two of them
    QVERIFY2(std::abs(read.textMiddle() - read.boxMiddle()) <= 1.5, qPrintable(seen));
    QVERIFY2(read.contrast >= 4.5, qPrintable(seen));
    QDir(m_media + "/rename").removeRecursively();
}

void TestHistoryList::moveKeepsFilesDeleteRemovesThem() {
    const QString first = copyOf("clip.mp4", m_media + "/del/first.mp4");
    const QString second = copyOf("song.mp3", m_media + "/del/second.mp3");
    QVERIFY(writeHistory(m_folders, {{first, "mp4", true}, {second, "mp3", false}}));
    {
        QHistoryDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        answerNextModal("m_btnMove");
        dialog.listWidget()->deleteItem(rowOf(dialog.listWidget(), "first.mp4"));
        QCOMPARE(shownNames(dialog.listWidget()), QStringList({"second.mp3"}));
        QVERIFY(QFile::exists(first));
        // Cancel (and the question's own close button) change nothing.
        answerNextModal("m_btnCancel");
        dialog.listWidget()->deleteItem(rowOf(dialog.listWidget(), "second.mp3"));
        QCOMPARE(shownNames(dialog.listWidget()).size(), 1);
    }
    QVERIFY(historyText(m_folders).contains("first.mp4"));
    {
        QHistoryDlg dialog; // moved rows come back
        QCOMPARE(shownNames(dialog.listWidget()).size(), 2);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        answerNextModal("m_btnDelete");
        dialog.OnBtnClose(); // nothing is playing: closing is harmless
        dialog.show();
        dialog.listWidget()->OnBtnAllDelete();
        QCOMPARE(shownNames(dialog.listWidget()).size(), 0);
        QVERIFY(!dialog.listWidget()->view()->isVisible());
        QVERIFY(!QFile::exists(first));
        QVERIFY(!QFile::exists(second));
    }
    QHistoryDlg after; // deleted files lose their entries at the next load
    QCOMPARE(after.listWidget()->allChunks().size(), 0);
    QVERIFY(!historyText(m_folders).contains("first.mp4"));
}

// A history file that cannot be written: a rename would leave the entry on the old name
// (and the recording out of the history at the next load), so the file keeps its name
// and the user is told. A file that cannot be deleted is told too, and stays.
void TestHistoryList::renameAndDeleteThatCannotBeSavedAreTold() {
    const QString clip = copyOf("clip.mp4", m_media + "/locked/clip.mp4");
    QVERIFY(writeHistory(m_folders, {{clip, "mp4", true}}));
    const QString history = historyText(m_folders);
    QHistoryDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QHistoryListWgt* list = dialog.listWidget();
    QString told;
    {
        ReadOnlyFile readOnly(m_folders.dataFolder() + "/History.xml");
        QVERIFY(readOnly.isReadOnly());
        acceptNextMessage(&told);
        list->ItemNameChange(rowOf(list, "clip.mp4"), "take");
        QVERIFY2(told.contains("could not be saved in the history"), qPrintable(told));
        QVERIFY(QFile::exists(clip));
        QVERIFY(!QFile::exists(m_media + "/locked/take.mp4"));
        QVERIFY(chunkNamed(list, "clip.mp4"));
    }
    QCOMPARE(historyText(m_folders), history);

    told.clear();
    {
        ReadOnlyFile lockedFolder(m_media + "/locked");
        QVERIFY(lockedFolder.isReadOnly());
        answerNextModal("m_btnDelete");
        acceptNextMessage(&told);
        list->deleteItem(rowOf(list, "clip.mp4"));
        QTRY_VERIFY(!told.isEmpty());
        QVERIFY2(told.contains("could not be deleted") && told.contains("clip.mp4"), qPrintable(told));
        QVERIFY(QFile::exists(clip));
    }
    QDir(m_media + "/locked").removeRecursively();
}

void TestHistoryList::deleteAllFromTheMenuTakesTheShownTabOnly() {
    const QString video = copyOf("clip.mp4", m_media + "/menu/v.mp4");
    const QString audio = copyOf("song.mp3", m_media + "/menu/a.mp3");
    QVERIFY(writeHistory(m_folders, {{video, "mp4", true}, {audio, "mp3", false}}));
    QHistoryDlg dialog;
    QVERIFY(showForInput(&dialog));
    dialog.selectTab(1);
    QHistoryListWgt* list = dialog.listWidget();
    // Right click away from a clicked row: only "Delete All" is offered.
    const QPoint onRow = list->view()->visualRect(rowOf(list, "a.mp3", 1)).center();
    QVERIFY(clickAt(list->view()->viewport(), onRow, 3));
    QTRY_VERIFY(list->tableMenu()->isVisible());
    const QList<QAction*> actions = list->tableMenu()->actions();
    QCOMPARE(actions.size(), 3);
    QVERIFY(!actions.at(0)->isEnabled() && !actions.at(1)->isEnabled() && actions.at(2)->isEnabled());
    saveScreenshot(nullptr, "history_context_menu");
    list->tableMenu()->hide();
    answerNextModal("m_btnDelete");
    actions.at(2)->trigger();
    QVERIFY(!QFile::exists(audio));
    QVERIFY(QFile::exists(video));
    QCOMPARE(list->allChunks().size(), 1);
    dialog.selectTab(2);
    QCOMPARE(shownNames(list), QStringList({"v.mp4"}));
    QDir(m_media + "/menu").removeRecursively();
}

void TestHistoryList::pruningStopsAtTheOutputRoot() {
    const QString out = m_folders.root() + "/out";
    const QString deep = copyOf("clip.mp4", out + "/a/b/x.mp4");
    const QString hidden = copyOf("clip.mp4", out + "/h/y.mp4");
    QVERIFY(fixtures::writeFile(out + "/h/.keep", "x"));
    const QString outside = copyOf("clip.mp4", m_folders.root() + "/elsewhere/z.mp4");
    const QString fromSettings = copyOf("clip.mp4", out + "/s/w.mp4");
    setOutputPath(out); // the entry without its own root falls back to the output folder
    QVERIFY(writeHistory(m_folders, {{deep, "mp4", true, false, "", "", out},
                                     {hidden, "mp4", true, false, "", "", out + "/"},
                                     {outside, "mp4", true, false, "", "", out},
                                     {fromSettings, "mp4", true, false, "", "", ""}}));
    QHistoryDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    answerNextModal("m_btnDelete");
    dialog.listWidget()->OnBtnAllDelete();
    QVERIFY(!QFile::exists(deep));
    QVERIFY(!QDir(out + "/a").exists());
    QVERIFY(QDir(out + "/h").exists());
    QVERIFY(!QDir(out + "/s").exists());
    QVERIFY(QDir(out).exists());
    QVERIFY(QDir(m_folders.root() + "/elsewhere").exists());
    QVERIFY(QDir(m_folders.root()).exists());

    // Without any root nothing is pruned; the root itself never goes.
    QVERIFY(QDir().mkpath(out + "/p/q"));
    QHistoryListWgt::pruneEmptyFolders(out + "/p/q", QString());
    QVERIFY(QDir(out + "/p/q").exists());
    QHistoryListWgt::pruneEmptyFolders(out + "/p/q", out);
    QVERIFY(!QDir(out + "/p").exists());
    QVERIFY(QDir().mkpath(out + "/only"));
    QHistoryListWgt::pruneEmptyFolders(out + "/only", out + "/only");
    QVERIFY(QDir(out + "/only").exists());
    QCOMPARE(QHistoryListWgt::pruneRoot("C:\\rec\\\\x", "/y"), QString("C:/rec/x/"));
    QCOMPARE(QHistoryListWgt::pruneRoot("", "/y"), QString("/y/"));
}

void TestHistoryList::recordDetailsAndCoverPlacement() {
    QHistoryChunk plain;
    QVERIFY(plain.isVideoFile() && !plain.isNewFile() && plain.path().empty());
    plain.setVideoFile(false);
    plain.setSize("1.00 KB");
    const QString audioText = historyDetailsText(&plain);
    QVERIFY(audioText.startsWith("File size: 1.00 KB\n"));
    QVERIFY(!audioText.contains("Resolution:"));
    QVERIFY(audioText.endsWith("Create time: "));
    plain.setVideoFile(true);
    plain.setName("T");
    plain.setGenre("G");
    QVERIFY(historyDetailsText(&plain).startsWith("Title: T\nGenre: G\nFile size:"));
    QVERIFY(historyDetailsText(&plain).contains("Resolution: \n"));
    QCOMPARE(QHistoryDelegate::coverRect(QPoint(0, 0), QSize(200, 100)), QRect(0, 10, 40, 20));

    // The question: its title close button answers 0, like Cancel.
    AskMessageDlg question;
    question.setMessage("Do you want to delete the seleted files or just move \nthe files from the list?");
    QImage asked;
    QTimer::singleShot(300, [&question, &asked] {
        asked = question.grab().toImage();
        asked.save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR) + "/history_ask_delete.png");
        question.closeButton()->click();
    });
    QCOMPARE(question.exec(), 0);
    // Its two lines, read in the message's band, have blank rows between them.
    const TextInBox read = readTextInBox(asked.copy(0, 45, asked.width(), 60));
    QVERIFY2(read.lines.size() == 2, qPrintable(QString::number(read.lines.size())));
    QVERIFY2(read.lines[1].first - read.lines[0].second >= 3, qPrintable(QStringLiteral("%1-%2 %3-%4")
                                                                             .arg(read.lines[0].first)
                                                                             .arg(read.lines[0].second)
                                                                             .arg(read.lines[1].first)
                                                                             .arg(read.lines[1].second)));
    QCOMPARE(QHistoryDelegate::coverRect(QPoint(5, 5), QSize(50, 100)), QRect(15, 5, 20, 40));
}

void TestHistoryList::aRecordingJustMadeIsTheFirstRowWithItsThumbnail() {
    QVERIFY(writeHistory(m_folders, {{media("clip.mp4"), "mp4", true}}));
    OutputFormatSetting format = h264AacFormat(30);
    g_currentFormat = &format;
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAreaOrigin(0, 0);
    area->setAreaSize(320, 240);
    area->setAudioSource(QRecordAreaInfo::SystemSound, false);
    area->setAudioSource(QRecordAreaInfo::Microphone, false);
    area->setCursorOption(QRecordAreaInfo::ShowCursor, false);
    QWidget scene;
    scene.setWindowFlags(Qt::FramelessWindowHint);
    scene.setStyleSheet("background: rgb(40, 160, 40);");
    scene.setGeometry(0, 0, 320, 240);
    scene.show();
    QVERIFY(QTest::qWaitForWindowExposed(&scene));

    const QString file = m_media + "/REC_just_made.mp4";
    {
        QRecordObject recorder;
        QVERIFY(recorder.startRecord(file, 100.0f, true));
        QTest::qWait(1500);
        recorder.stopRecord();
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.isRecording(), 10000);
    }
    g_currentFormat = nullptr;
    scene.hide();
    const QJsonObject probed = fixtures::probe(file);
    QCOMPARE(fixtures::stream(probed, "video").value("codec_name").toString(), QString("h264"));
    QVERIFY(fixtures::formatDuration(probed) > 1.0);

    QHistoryDlg dialog;
    QVERIFY(showForInput(&dialog));
    QHistoryListWgt* list = dialog.listWidget();
    QCOMPARE(shownNames(list).first(), QString("REC_just_made.mp4"));
    QHistoryChunk* made = chunkNamed(list, "REC_just_made.mp4");
    const QString cover = QString::fromStdString(made->imagePath());
    QVERIFY(QFile::exists(cover));
    QVERIFY(made->isNewFile());
    // The thumbnail is what the list draws in the row's cover square.
    const QImage shot = saveScreenshot(&dialog, "history_recording_just_made");
    const QRect cell = list->view()->visualRect(rowOf(list, "REC_just_made.mp4", 0));
    const QPoint inCover = list->view()->viewport()->mapTo(&dialog, cell.topLeft() + QPoint(20, 30));
    const QColor drawn =
        shot.pixelColor(inCover + (dialog.frameGeometry().topLeft() - dialog.geometry().topLeft()) * -1);
    QVERIFY2(drawn.green() > drawn.red() + 60, qPrintable(drawn.name()));
    QFile::remove(file);
}

// Row 0 is the list's current row once it has loaded and its tab is chosen, and the user
// sees it: it is drawn in the current-row colour while the others keep the list's own.
void TestHistoryList::loadedListDrawsItsFirstRowAsCurrent() {
    QVERIFY(writeHistory(m_folders, {{media("clip.mp4"), "mp4", true}, {media("movie.mkv"), "matroska", true}}));
    QHistoryDlg dialog;
    dialog.selectTab(0); // as the main window opens it after a video recording
    QVERIFY(showForInput(&dialog));
    // The pointer away from the list: no row is hovered.
    const QPoint away = QGuiApplication::primaryScreen()->geometry().bottomRight() - QPoint(10, 10);
    QVERIFY(xdotool({"mousemove", QString::number(away.x()), QString::number(away.y())}));
    QTRY_COMPARE(QCursor::pos(), away);
    QHistoryListWgt* list = dialog.listWidget();
    QCOMPARE(list->view()->currentIndex().row(), 0);
    QTest::qWait(300);
    QImage shot = saveScreenshot(&dialog, "history_loaded_current_row");
    const QPoint frameOffset = dialog.geometry().topLeft() - dialog.frameGeometry().topLeft();
    // A point of the name cell right of any text, in the row's top part.
    const auto colourOfRow = [&](int row) {
        const QRect cell = list->view()->visualRect(list->view()->model()->index(row, 1));
        const QPoint at = list->view()->viewport()->mapTo(&dialog, QPoint(cell.right() - 3, cell.top() + 4));
        return shot.pixelColor(at + frameOffset);
    };
    const QColor first = colourOfRow(0);
    const QColor second = colourOfRow(1);
    QVERIFY2(first == QColor(81, 79, 79), qPrintable(first.name()));
    QVERIFY2(second == QColor(74, 72, 72), qPrintable(second.name()));

    // The row under the pointer is drawn so while the pointer is there (the first row
    // then is not); once it leaves the list, the first row is again.
    const QRect secondCell = list->view()->visualRect(list->view()->model()->index(1, 1));
    const QPoint onSecond = list->view()->viewport()->mapToGlobal(secondCell.center());
    QVERIFY(xdotool({"mousemove", QString::number(onSecond.x()), QString::number(onSecond.y())}));
    QTRY_COMPARE(QCursor::pos(), onSecond);
    QTest::qWait(300);
    shot = saveScreenshot(&dialog, "history_hovered_row");
    QCOMPARE(colourOfRow(1), QColor(81, 79, 79));
    QCOMPARE(colourOfRow(0), QColor(74, 72, 72));
    QVERIFY(xdotool({"mousemove", QString::number(away.x()), QString::number(away.y())}));
    QTRY_COMPARE(QCursor::pos(), away);
    QTest::qWait(300);
    shot = saveScreenshot(&dialog, "history_left_list");
    QCOMPARE(colourOfRow(0), QColor(81, 79, 79));
    QCOMPARE(colourOfRow(1), QColor(74, 72, 72));
}

// "Play" in the context menu plays the row the user right-clicked, also when the menu had
// to open above the pointer to fit on the screen (its top-left corner then lies over
// another row).
void TestHistoryList::menuPlayPlaysTheRightClickedRowWhereverTheMenuOpens() {
    QList<Entry> entries;
    QStringList names;
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("row%1.mp4").arg(i);
        entries.append({copyOf("clip.mp4", m_media + "/menuplay/" + name), "mp4", true});
        names.prepend(name);
    }
    QVERIFY(writeHistory(m_folders, entries));
    QHistoryListWgt list;
    list.resize(600, 5 * 41 + 10);
    QVERIFY(showForInput(&list));
    QCOMPARE(shownNames(&list), names);
    // The list's bottom near the screen's bottom edge: the menu cannot open below the
    // last row.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    list.move(40, screen.bottom() - list.frameGeometry().height() - 4);
    QTRY_VERIFY_WITH_TIMEOUT(list.mapToGlobal(QPoint(0, list.height())).y() > screen.bottom() - 60, 5000);
    QTest::qWait(300);
    const QString last = names.last();
    const QPoint onRow = list.view()->visualRect(rowOf(&list, last, 1)).center();
    QVERIFY(list.view()->viewport()->mapToGlobal(onRow).y() > screen.bottom() - 70);
    QVERIFY(clickAt(list.view()->viewport(), onRow, 1));
    QTest::qWait(300);
    QVERIFY(xdotool({"click", "3"})); // where the left click was
    QRZMenu* menu = list.tableMenu();
    QTRY_VERIFY(menu->isVisible());
    QAction* play = menu->actions().at(0);
    QVERIFY(play->isEnabled());
    // Qt moved the menu up: its top-left corner is over another row.
    const QPoint cornerInList = list.view()->viewport()->mapFromGlobal(menu->pos());
    const QModelIndex underCorner = list.view()->indexAt(cornerInList);
    QVERIFY2(underCorner.isValid() && underCorner.row() != rowOf(&list, last, 1).row(),
             qPrintable(QStringLiteral("menu at %1,%2").arg(menu->pos().x()).arg(menu->pos().y())));
    saveScreenshot(nullptr, "history_menu_moved_up");
    const QPoint playAt = menu->actionGeometry(play).center();
    QVERIFY(clickAt(menu, playAt, 1));
    QTRY_VERIFY(!menu->isVisible());
    QTRY_VERIFY(list.playingChunk() != nullptr);
    QCOMPARE(QString::fromStdString(list.playingChunk()->displayName()), last);
    QDir(m_media + "/menuplay").removeRecursively();
}

// Two trims whose names the name column cuts to the same text: resting the pointer on
// each name shows that row's whole name in a tip.
void TestHistoryList::nameTipShowsTheWholeName() {
    const QString stem = m_media + "/REC_20260102_101010_a_long_recording_name";
    const QString first = copyOf("clip.mp4", stem + "_Trim_001.mp4");
    const QString second = copyOf("clip.mp4", stem + "_Trim_002.mp4");
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    QVERIFY(writeHistory(m_folders, {{first, "mp4", true}, {second, "mp4", true}}));
    QHistoryDlg dialog;
    dialog.selectTab(0);
    QVERIFY(showForInput(&dialog));
    QTableView* view = dialog.listWidget()->view();
    // The text of the tip shown now ("" when none is).
    const auto shownTip = []() { return QToolTip::isVisible() ? QToolTip::text() : QString(); };
    for (const QString& file : {first, second}) {
        const QString name = QFileInfo(file).fileName();
        const QModelIndex cell = rowOf(dialog.listWidget(), name);
        QVERIFY(cell.isValid());
        const QPoint centre = view->viewport()->mapToGlobal(view->visualRect(cell).center());
        QVERIFY(desktoptest::moveTo(centre + QPoint(0, 3)));
        QVERIFY(desktoptest::moveTo(centre));
        QVERIFY2(desktoptest::waitFor([&] { return shownTip().startsWith(name + "\n"); }, 3000),
                 qPrintable(shownTip()));
        QVERIFY(shownTip().contains("File size: 12.00 KB\n"));
        // The tip's window is on the screen (as X has it), wider than the name column
        // and as wide as the whole name's line at least, and drawn in the tip's colour.
        QRect tipRect;
        QVERIFY2(desktoptest::waitFor([&tipRect] { return !(tipRect = shownTipWindow()).isEmpty(); }),
                 "no tip window on the screen");
        const int nameWidth = QFontMetrics(QToolTip::font()).horizontalAdvance(name);
        QVERIFY2(tipRect.width() > 185 && tipRect.width() >= nameWidth,
                 qPrintable(QStringLiteral("tip %1 px wide, the name %2 px").arg(tipRect.width()).arg(nameWidth)));
        QTest::qWait(200);
        const QImage shot = desktoptest::screenshot(testoutput::pngPath("history_name_tip_" + name.right(7).left(3)));
        QVERIFY(!shot.isNull());
        const QColor tipColour = QToolTip::palette().color(QPalette::ToolTipBase);
        const int tipPixels = desktoptest::countColour(shot, tipRect.adjusted(2, 2, -2, -2), tipColour, 6);
        QVERIFY2(tipPixels * 2 > tipRect.width() * tipRect.height(),
                 qPrintable(QStringLiteral("%1 of %2 pixels in %3")
                                .arg(tipPixels)
                                .arg(tipRect.width() * tipRect.height())
                                .arg(tipColour.name())));
    }
}

// "Open file location" clicked with no file manager on the session bus and nothing on the
// PATH that opens a folder: a box names the folder that could not be opened. The list sits
// in the screen's bottom right corner, where the box centred on it would reach past the
// screen's right and bottom edges: it is moved wholly onto the screen.
void TestHistoryList::openFileLocationThatNothingOpensIsTold() {
    const QString clip = copyOf("clip.mp4", m_media + "/unopened/clip.mp4");
    QVERIFY(!clip.isEmpty());
    QVERIFY(writeHistory(m_folders, {{clip, "mp4", true}}));
    QHistoryListWgt list;
    list.resize(320, 60);
    QVERIFY(showForInput(&list));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint corner = screen.bottomRight() - QPoint(list.frameGeometry().width(), list.frameGeometry().height());
    list.move(corner);
    QRect listRect;
    QVERIFY(desktoptest::waitFor([&] {
        listRect = desktoptest::xwininfoRect(list.winId());
        return listRect.right() > screen.right() - 20 && listRect.bottom() > screen.bottom() - 20;
    }));
    QTest::qWait(300);
    // The tools the test itself runs, and nothing that opens a folder.
    QTemporaryDir toolsOnly;
    QVERIFY(toolsOnly.isValid());
    for (const char* tool : {"xdotool", "xwininfo", "import"}) {
        QVERIFY(QFile::link(QStandardPaths::findExecutable(tool), toolsOnly.filePath(tool)));
    }
    struct PathSwap {
        explicit PathSwap(const QString& to) : saved(qgetenv("PATH")) { qputenv("PATH", QFile::encodeName(to)); }
        ~PathSwap() { qputenv("PATH", saved); }
        QByteArray saved;
    } path(toolsOnly.path());
    QString told;
    QRect boxRect;
    acceptNextMessage(&told, [&boxRect](QWidget* box) {
        if (QTest::qWaitForWindowExposed(box)) {
            QTest::qWait(300);
            boxRect = desktoptest::xwininfoFrameRect(box->winId());
            desktoptest::screenshot(testoutput::pngPath("history_open_location_failed"));
        }
    });
    const QPoint onButton =
        list.view()->viewport()->mapToGlobal(list.view()->visualRect(rowOf(&list, "clip.mp4", 3)).center());
    QVERIFY(desktoptest::moveTo(onButton + QPoint(1, 0)));
    QVERIFY(desktoptest::click(onButton));
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 15000);
    QCOMPARE(told, "The folder could not be opened: " + m_media + "/unopened");
    const auto text = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    QVERIFY2(boxRect.width() > 0 && boxRect.height() > 0, "the box never showed on the screen");
    // Centred on the list, the box would have reached past both edges.
    QVERIFY2(listRect.center().x() + boxRect.width() / 2 > screen.right() &&
                 listRect.center().y() + boxRect.height() / 2 > screen.bottom(),
             qPrintable(text(listRect) + " " + text(boxRect)));
    QVERIFY2(screen.contains(boxRect), qPrintable("the box lies at " + text(boxRect)));
    QDir(m_media + "/unopened").removeRecursively();
}

QTEST_MAIN(TestHistoryList)
#include "tst_history_list.moc"
