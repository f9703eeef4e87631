// The pack reader against hand-made folders (every odd description the reader must
// survive), the packs the build generates (read back with the image reader, not with our
// own code), and the thumbnail strip's selection rules.
#include "editor/QHorizontalListFrom.h"
#include "editor/VEEffectPack.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

VEEffectPack* packNamed(const VEEffectPackManager& manager, const QString& name) {
    for (VEEffectPack* pack : manager.packs()) {
        if (pack->Name == name) {
            return pack;
        }
    }
    return nullptr;
}

} // namespace

class TestEditorPacks : public QObject {
    Q_OBJECT

private slots:
    void missingAndEmptyFolders();
    void descriptionsThatYieldNoPack();
    void bareRootAndVersions();
    void rateValues();
    void equaliserPoints();
    void frameInfo();
    void nestedPacksAndBackupCopies();
    void generatedPicturePacks_data();
    void generatedPicturePacks();
    void generatedSoundPacks();
    void listSelection();
    void listTitlesAndColours();
};

void TestEditorPacks::missingAndEmptyFolders() {
    QTemporaryDir dir;
    VEEffectPackManager missing(dir.path() + QStringLiteral("/AudioEffects/"));
    QVERIFY(missing.packs().isEmpty());
    QCOMPARE(missing.packAt(0), nullptr);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("AudioEffects")));
    VEEffectPackManager empty(dir.path() + QStringLiteral("/AudioEffects/"));
    QVERIFY(empty.packs().isEmpty());
    QCOMPARE(empty.packAt(-1), nullptr);
}

void TestEditorPacks::descriptionsThatYieldNoPack() {
    QTemporaryDir dir;
    writeFile(dir.path() + QStringLiteral("/empty/config.xml"), QByteArray());
    writeFile(dir.path() + QStringLiteral("/broken/config.xml"), "<Pack Name=\"x\"><EQ></Pack>");
    writeFile(dir.path() + QStringLiteral("/binary/config.xml"), QByteArray("\x00\xff\xfe\x01", 4));
    writeFile(dir.path() + QStringLiteral("/good/config.xml"), "<Pack Name=\"Good\"/>");
    writeFile(dir.path() + QStringLiteral("/good/readme.txt"), "<Pack Name=\"Not a description\"/>");
    VEEffectPackManager manager(dir.path());
    QCOMPARE(manager.packs().size(), 1);
    QCOMPARE(manager.packAt(0)->Name, QStringLiteral("Good"));
    QCOMPARE(manager.packAt(1), nullptr);
    QCOMPARE(parseEffectConfig(dir.path() + QStringLiteral("/nowhere/config.xml")), nullptr);
    QCOMPARE(parseEffectConfig(dir.path() + QStringLiteral("/good")), nullptr); // a folder
}

void TestEditorPacks::bareRootAndVersions() {
    QTemporaryDir dir;
    writeFile(dir.path() + QStringLiteral("/bare/config.xml"), "<anything/>");
    writeFile(dir.path() + QStringLiteral("/future/config.xml"),
              "<Pack APPMinVersion=\"999999\" Version=\"x7\" Name=\"Future\" Thumbnail=\"\"/>");
    VEEffectPackManager manager(dir.path());
    QCOMPARE(manager.packs().size(), 2);
    VEEffectPack* bare = packNamed(manager, QString());
    QVERIFY(bare);
    QCOMPARE(bare->APPMinVersion, 0);
    QCOMPARE(bare->Rate, 100);
    QVERIFY(bare->eq.isEmpty());
    QVERIFY(bare->frameInfo.files.isEmpty());
    QCOMPARE(bare->folder, QDir(dir.path() + QStringLiteral("/bare")).absolutePath());
    VEEffectPack* future = packNamed(manager, QStringLiteral("Future"));
    QVERIFY(future);
    QCOMPARE(future->APPMinVersion, 999999);
    QCOMPARE(future->Version, 0);
    QCOMPARE(future->thumbnailPath(), future->folder + QStringLiteral("/"));
}

void TestEditorPacks::rateValues() {
    struct Case {
        const char* body;
        int rate;
    } cases[] = {
        {"<Rate/>", 100},
        {"<Rate Value=\"\"/>", 100},
        {"<Rate Value=\"fast\"/>", 0},
        {"<Rate Value=\"150\"/>", 150},
        {"<Rate Value=\"-20\"/>", -20},
        {"<Rate Value=\"150\"/><Rate/>", 150},              // a later empty one keeps the earlier value
        {"<Rate Value=\"150\"/><rate Value=\"50\"/>", 150}, // names are case-sensitive
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.path() + QStringLiteral("/config.xml");
        writeFile(path, QByteArray("<Pack>") + c.body + "</Pack>");
        QScopedPointer<VEEffectPack> pack(parseEffectConfig(path));
        QVERIFY2(pack, c.body);
        QVERIFY2(pack->Rate == c.rate, c.body);
    }
}

void TestEditorPacks::equaliserPoints() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/config.xml");
    writeFile(path, "<Pack><EQ><P hz=\"8000\" db=\"3\"/><P hz=\"60\" db=\"-4.5\"/><P hz=\"8000\" db=\"6\"/></EQ>"
                    "<EQ><P hz=\"1000\" db=\"bad\"/></EQ></Pack>");
    QScopedPointer<VEEffectPack> pack(parseEffectConfig(path));
    QVERIFY(pack);
    QCOMPARE(pack->eq.keys(), (QList<double>{60.0, 1000.0, 8000.0}));
    QCOMPARE(pack->eq.value(60.0), -4.5);
    QCOMPARE(pack->eq.value(8000.0), 6.0); // the later of two points at one frequency
    QCOMPARE(pack->eq.value(1000.0), 0.0);
}

void TestEditorPacks::frameInfo() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/config.xml");
    writeFile(path, "<Pack><FrameInfo Name=\"old\"><F FileName=\"gone.png\"/></FrameInfo>"
                    "<FrameInfo Name=\"new\"><F FileName=\"a.png\" Width=\"640\" Height=\"360\" Type=\"2\"/>"
                    "<!-- a note --><F FileName=\"b.png\" Width=\"wide\"/></FrameInfo></Pack>");
    QScopedPointer<VEEffectPack> pack(parseEffectConfig(path));
    QVERIFY(pack);
    QCOMPARE(pack->frameInfo.Name, QStringLiteral("new"));
    QCOMPARE(pack->frameInfo.files.size(), 3);
    const VEFrameFile& a = pack->frameInfo.files[0];
    QCOMPARE(a.FileName, QStringLiteral("a.png"));
    QCOMPARE(a.Width, 640);
    QCOMPARE(a.Height, 360);
    QCOMPARE(a.Type, 2);
    QVERIFY(pack->frameInfo.files[1].FileName.isEmpty()); // the comment
    QCOMPARE(pack->frameInfo.files[2].Width, 0);
}

void TestEditorPacks::nestedPacksAndBackupCopies() {
    QTemporaryDir dir;
    writeFile(dir.path() + QStringLiteral("/outer/config.xml"), "<Pack Name=\"Outer\"/>");
    writeFile(dir.path() + QStringLiteral("/outer/inner/config.xml"), "<Pack Name=\"Inner\"/>");
    writeFile(dir.path() + QStringLiteral("/outer/config.xml.bak"), "<Pack Name=\"Backup\"/>");
    VEEffectPackManager manager(dir.path());
    QCOMPARE(manager.packs().size(), 3);
    QCOMPARE(packNamed(manager, QStringLiteral("Outer"))->folder, QDir(dir.path()).absoluteFilePath("outer"));
    QCOMPARE(packNamed(manager, QStringLiteral("Inner"))->folder, QDir(dir.path()).absoluteFilePath("outer/inner"));
    QCOMPARE(packNamed(manager, QStringLiteral("Backup"))->folder, QDir(dir.path()).absoluteFilePath("outer"));
}

void TestEditorPacks::generatedPicturePacks_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("effects") << 0;
    QTest::newRow("frames") << 1;
}

void TestEditorPacks::generatedPicturePacks() {
    QFETCH(int, kind);
    QScopedPointer<VEEffectPackManager> manager(kind == 0 ? static_cast<VEEffectPackManager*>(new QVideoEffectManager)
                                                          : new QFrameChunkManager);
    QVERIFY(manager->packs().size() >= 4);
    for (VEEffectPack* pack : manager->packs()) {
        QVERIFY(!pack->Name.isEmpty());
        const QImage thumbnail(pack->thumbnailPath());
        QCOMPARE(thumbnail.size(), QSize(54, 40));
        QList<double> ratios;
        for (const VEFrameFile& file : pack->frameInfo.files) {
            QImageReader reader(pack->folder + QLatin1Char('/') + file.FileName);
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(file.FileName));
            QCOMPARE(image.size(), QSize(file.Width, file.Height));
            QVERIFY(image.hasAlphaChannel());
            ratios.append(double(file.Width) / file.Height);
            // Translucent: the middle lets the video through.
            const QColor middle = image.pixelColor(image.width() / 2, image.height() / 2);
            QVERIFY2(middle.alpha() < 200, qPrintable(file.FileName));
            if (kind == 1) {
                // A frame covers the picture's edges.
                QVERIFY(image.pixelColor(1, image.height() / 2).alpha() == 255 ||
                        image.pixelColor(image.width() / 2, 1).alpha() == 255);
            }
        }
        std::sort(ratios.begin(), ratios.end());
        QCOMPARE(ratios.size(), 4);
        QVERIFY(std::abs(ratios[0] - 9.0 / 16) < 1e-9 && std::abs(ratios[1] - 1.0) < 1e-9 &&
                std::abs(ratios[2] - 4.0 / 3) < 1e-9 && std::abs(ratios[3] - 16.0 / 9) < 1e-9);
    }
}

void TestEditorPacks::generatedSoundPacks() {
    QAudioEffectManager manager;
    QVERIFY(manager.packs().size() >= 4);
    bool otherRate = false;
    for (VEEffectPack* pack : manager.packs()) {
        QVERIFY(!pack->eq.isEmpty());
        QCOMPARE(QImage(pack->thumbnailPath()).size(), QSize(54, 40));
        otherRate = otherRate || pack->Rate != 100;
    }
    QVERIFY(otherRate);
    QVERIFY(packNamed(manager, QStringLiteral("Fast Forward")));
    QCOMPARE(packNamed(manager, QStringLiteral("Fast Forward"))->Rate, 150);
}

void TestEditorPacks::listSelection() {
    QHorizontalListFrom list;
    list.resize(400, 70);
    QSignalSpy changed(&list, &QHorizontalListFrom::currentIndexChanged);
    for (int i = 0; i < 3; ++i) {
        list.addItem(QString(), QStringLiteral("Item %1").arg(i));
    }
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    list.setCurrentIndex(3); // one past the end
    QCOMPARE(list.currentIndex(), -1);
    list.setCurrentIndex(-1);
    QCOMPARE(list.currentIndex(), -1);

    QTest::mouseClick(list.itemAt(1), Qt::LeftButton);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(0).toInt(), 1);
    QCOMPARE(list.itemAt(1)->state(), int(QBaseItem::Selected));
    QTest::mouseClick(list.itemAt(1), Qt::LeftButton); // already selected
    QCOMPARE(changed.size(), 1);
    QTest::mouseClick(list.itemAt(2), Qt::LeftButton);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(list.itemAt(1)->state(), int(QBaseItem::Normal));

    list.setCurrentIndex(0); // silent
    QCOMPARE(changed.size(), 2);
    QCOMPARE(list.itemAt(0)->state(), int(QBaseItem::Selected));
    QCOMPARE(list.itemAt(2)->state(), int(QBaseItem::Normal));

    list.clearSelection();
    QCOMPARE(list.currentIndex(), -1);
    // After clearing, the item that was current can be chosen again and reports itself.
    QTest::mouseClick(list.itemAt(0), Qt::LeftButton);
    QCOMPARE(changed.size(), 3);
    QCOMPARE(changed.last().at(0).toInt(), 0);

    // Shift and Ctrl presses select nothing in the list.
    QTest::mouseClick(list.itemAt(2), Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(changed.size(), 3);

    list.clear();
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.currentIndex(), -1);
}

void TestEditorPacks::listTitlesAndColours() {
    QHorizontalListFrom list;
    list.addItem(QString(), QStringLiteral("A title far wider than any thumbnail"));
    list.addItem(QString(), QStringLiteral("Ok"));
    list.setBackgroundColor(QColor(55, 53, 53));
    QHorizontalListItem* longItem = list.itemAt(0);
    QVERIFY(longItem->shownTitle().endsWith(QChar(0x2026)));
    QCOMPARE(longItem->findChild<QWidget*>(QStringLiteral("m_lblTitle"))->toolTip(), longItem->title());
    QCOMPARE(list.itemAt(1)->shownTitle(), QStringLiteral("Ok"));
    for (int state = 0; state < 4; ++state) {
        QCOMPARE(longItem->stateColor(state), QColor(55, 53, 53));
    }
    // The state frame shows hover and selection: its picture changes with the state.
    QWidget* cover = longItem->findChild<QWidget*>(QStringLiteral("m_wdgCoverImage"));
    QVERIFY(cover);
    QCOMPARE(cover->size(), QSize(54, 40));
    longItem->showState(QBaseItem::Normal);
    const QImage normal = cover->grab().toImage();
    longItem->showState(QBaseItem::Selected);
    QVERIFY(cover->grab().toImage() != normal);
}

QTEST_MAIN(TestEditorPacks)
#include "tst_editor_packs.moc"
