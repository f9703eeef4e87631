// The editor's snapshot settings file and the "Snapshot Setting" dialog: defaults
// written on the first read, empty and misplaced values, other content kept, a damaged
// file kept aside, and the dialog driven with the pointer and keyboard (OK stores both
// choices, Cancel stores nothing). Files are read back as text.
#include "app/AppGlobals.h"
#include "editor/QCaptureSettingDlg.h"
#include "editor/SnapshotSettings.h"
#include "tests/editor/DesktopHelpers.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/PrivateUserFolders.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QPoint centreOf(QWidget* widget) {
    return widget->mapToGlobal(widget->rect().center());
}

} // namespace

class TestSnapshotSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void firstReadsWriteTheDefaults();
    void emptyAndNestedValues();
    void damagedFileIsKeptAsideAndChoicesStick();
    void writesWithoutAFileStoreNothing();
    void dialogOkStoresBothChoices();
    void dialogCancelStoresNothing();

private:
    std::unique_ptr<PrivateUserFolders> m_folders;
    QString m_path;
};

void TestSnapshotSettings::initTestCase() {
    m_folders = std::make_unique<PrivateUserFolders>();
    QVERIFY(m_folders->isValid());
    m_path = snapshotSettingsPath();
    QVERIFY(m_path.startsWith(m_folders->root()));
}

void TestSnapshotSettings::init() {
    QFile::remove(m_path);
    QFile::remove(m_path + ".bad");
}

void TestSnapshotSettings::firstReadsWriteTheDefaults() {
    QCOMPARE(readScreenshotFormat(), QStringLiteral("JPG"));
    QByteArray text = readAll(m_path);
    QVERIFY(text.contains("<ROOTITEM>"));
    QVERIFY(text.contains("<Screenshots IMG_SUFFIX=\"JPG\"/>"));
    const QString folder = readScreenshotFolder();
    QCOMPARE(folder, getDocumentsProductDir() + "/Converted/Screenshots/");
    QVERIFY(QDir(folder).exists());
    QVERIFY(!folder.contains(QLatin1Char('\\')));
    text = readAll(m_path);
    QCOMPARE(text.count("<Screenshots"), 1);
    QVERIFY(text.contains(QStringLiteral("IMG_Folder=\"%1\"").arg(folder).toUtf8()));
    // Stored values come back as they are, lower case included.
    QVERIFY(writeScreenshotFormat(QStringLiteral("png")));
    QCOMPARE(readScreenshotFormat(), QStringLiteral("png"));
}

void TestSnapshotSettings::emptyAndNestedValues() {
    QVERIFY(writeAll(m_path, "<ROOTITEM>\n <Other keep=\"1\"/>\n <Group><Screenshots IMG_SUFFIX=\"PNG\"/></Group>\n"
                             " <Screenshots IMG_SUFFIX=\"\" IMG_Folder=\"/tmp/shots/\"/>\n</ROOTITEM>\n"));
    // The root's own element counts; its empty format is replaced by the default.
    QCOMPARE(readScreenshotFormat(), QStringLiteral("JPG"));
    QCOMPARE(readScreenshotFolder(), QStringLiteral("/tmp/shots/"));
    QByteArray text = readAll(m_path);
    QVERIFY(text.contains("<Other keep=\"1\"/>"));
    QVERIFY(text.contains("<Group>"));
    QVERIFY(text.contains("IMG_SUFFIX=\"JPG\""));
    // Only nested: a new element is appended to the root.
    QVERIFY(writeAll(m_path, "<ROOTITEM><Group><Screenshots IMG_SUFFIX=\"PNG\"/></Group></ROOTITEM>"));
    QCOMPARE(readScreenshotFormat(), QStringLiteral("JPG"));
    text = readAll(m_path);
    QCOMPARE(text.count("<Screenshots"), 2);
    QVERIFY(text.contains("IMG_SUFFIX=\"PNG\""));
}

void TestSnapshotSettings::damagedFileIsKeptAsideAndChoicesStick() {
    QVERIFY(writeAll(m_path, QByteArray()));
    QCOMPARE(readScreenshotFormat(), QStringLiteral("JPG"));
    QVERIFY(QFile::exists(m_path + ".bad"));
    QCOMPARE(QFileInfo(m_path + ".bad").size(), qint64(0));
    QVERIFY(writeScreenshotFormat(QStringLiteral("PNG")));
    QCOMPARE(readScreenshotFormat(), QStringLiteral("PNG"));
    // A damaged file met by a write: set aside beside the first copy, which stays, and the
    // choice starts the new file.
    QVERIFY(writeAll(m_path, "<ROOTITEM><Screensh"));
    QVERIFY(writeScreenshotFolder(QStringLiteral("/tmp/elsewhere/")));
    QCOMPARE(readAll(m_path + ".2.bad"), QByteArray("<ROOTITEM><Screensh"));
    QVERIFY(QFile::exists(m_path + ".bad"));
    QCOMPARE(QFileInfo(m_path + ".bad").size(), qint64(0));
    QCOMPARE(readScreenshotFolder(), QStringLiteral("/tmp/elsewhere/"));
}

void TestSnapshotSettings::writesWithoutAFileStoreNothing() {
    QVERIFY(writeScreenshotFormat(QStringLiteral("PNG")));
    QVERIFY(!QFile::exists(m_path));
    QVERIFY(writeAll(m_path, "<ROOTITEM><Other/></ROOTITEM>"));
    QVERIFY(writeScreenshotFormat(QStringLiteral("PNG")));
    QVERIFY(!readAll(m_path).contains("Screenshots"));
}

void TestSnapshotSettings::dialogOkStoresBothChoices() {
    QVERIFY(writeAll(m_path, "<ROOTITEM><Screenshots IMG_SUFFIX=\"png\"/></ROOTITEM>"));
    const QString chosen = m_folders->root() + "/home/chosen";
    QVERIFY(QDir().mkpath(chosen));
    QCaptureSettingDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Snapshot Setting"));
    QCOMPARE(dialog.size(), QSize(360, 230));
    // A lower-case stored value matches no item: JPG is shown.
    QCOMPARE(dialog.formatBox()->currentText(), QStringLiteral("JPG"));
    QCOMPARE(dialog.folderEdit()->text(), getDocumentsProductDir() + "/Converted/Screenshots/");
    QVERIFY(dialog.folderEdit()->isReadOnly());
    dialog.move(500, 300);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.button("m_btnOk")->geometry().topLeft(), QPoint(268, 174));
    QCOMPARE(dialog.button("m_btnCancel")->geometry().topLeft(), QPoint(184, 174));

    // PNG from the list.
    QVERIFY(desktoptest::click(centreOf(dialog.formatBox())));
    QTRY_VERIFY(dialog.formatBox()->popupList() && dialog.formatBox()->popupList()->isVisible());
    QVERIFY(desktoptest::xdotool({"key", "Down"}));
    QVERIFY(desktoptest::xdotool({"key", "Return"}));
    QTRY_COMPARE(dialog.formatBox()->currentText(), QStringLiteral("PNG"));

    // The folder through the folder chooser: its path typed, then Enter.
    bool typed = false;
    whenModal<QFileDialog>([&typed, chosen](QFileDialog* chooser) {
        QTimer::singleShot(25000, chooser, [chooser] { chooser->reject(); }); // fail, never hang
        typed = desktop::typeIntoFolderChooser(chooser, chosen);
    });
    QVERIFY(desktoptest::click(centreOf(dialog.button("m_btnOpen"))));
    QTRY_VERIFY_WITH_TIMEOUT(typed, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(dialog.folder(), chosen, 10000);
    QCOMPARE(dialog.folderEdit()->text(), chosen);
    QSignalSpy closed(&dialog, &QCaptureSettingDlg::emitDlgClose);
    QVERIFY(desktoptest::click(centreOf(dialog.button("m_btnOk"))));
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QByteArray text = readAll(m_path);
    QVERIFY(text.contains("IMG_SUFFIX=\"PNG\""));
    QVERIFY(text.contains(QStringLiteral("IMG_Folder=\"%1\"").arg(chosen).toUtf8()));
}

void TestSnapshotSettings::dialogCancelStoresNothing() {
    QCOMPARE(readScreenshotFormat(), QStringLiteral("JPG"));
    const QString folder = readScreenshotFolder();
    // A stored folder that was removed is made again when the dialog opens.
    QVERIFY(QDir(folder).removeRecursively());
    const QByteArray before = readAll(m_path);
    QCaptureSettingDlg dialog;
    QVERIFY(QDir(folder).exists());
    dialog.move(500, 300);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.formatBox()->setCurrentIndex(1);
    QSignalSpy closed(&dialog, &QCaptureSettingDlg::emitDlgClose);
    QVERIFY(desktoptest::click(centreOf(dialog.button("m_btnCancel"))));
    QTRY_VERIFY(!dialog.isVisible());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(readAll(m_path), before);
}

QTEST_MAIN(TestSnapshotSettings)
#include "tst_snapshot_settings.moc"
