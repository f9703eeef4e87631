// Item records: the typed key/value store under IBaseChunk and the record's own fields.
#include "toolkit/IBaseChunk.h"

#include <QtTest>

#include <cstring>

namespace {
// A store whose raw bytes can be planted directly, as a derived record or a caller that
// wrote a key with another type would leave them.
class PlantedStore : public QDataStorage {
public:
    void plant(const std::string& key, const std::string& bytes) { setString(key, bytes); }
};
} // namespace

class TestItemRecords : public QObject {
    Q_OBJECT
private slots:
    void newRecordDefaults();
    void typedValuesRoundTrip();
    void gettersNeverInsert();
    void int64AndDoubleShareTheirBytes();
    void shortValuesReadAsAbsent();
    void resetKeepsCheckStateAndOtherFields();
    void columnMask();
};

void TestItemRecords::newRecordDefaults() {
    IBaseChunk plain;
    IBaseChunk locked(true);
    for (IBaseChunk* chunk : {&plain, &locked}) {
        QCOMPARE(chunk->checkState(), 0);
        QVERIFY(chunk->flagA());
        QVERIFY(chunk->buttonsVisible());
        QVERIFY(!chunk->isFlagged());
        QCOMPARE(chunk->date(), std::string());
        QVERIFY(chunk->isValid());
        QVERIFY(chunk->hasKey(IBaseChunk::kCheckStateKey));
        QVERIFY(!chunk->hasKey(IBaseChunk::kDateKey));
        QCOMPARE(chunk->editSettings(), nullptr);
        QCOMPARE(chunk->number(), 0.0);
    }
}

void TestItemRecords::typedValuesRoundTrip() {
    IBaseChunk chunk;
    chunk.setString("s", std::string("a\0b", 3));
    chunk.setInt("i", -123456);
    chunk.setInt64("l", -(int64_t(1) << 40));
    chunk.setBool("b", true);
    chunk.setDouble("d", 2.5);
    QCOMPARE(chunk.getString("s"), std::string("a\0b", 3));
    QCOMPARE(chunk.getInt("i"), -123456);
    QCOMPARE(chunk.getInt64("l"), -(int64_t(1) << 40));
    QCOMPARE(chunk.getBool("b"), true);
    QCOMPARE(chunk.getDouble("d"), 2.5);

    chunk.setInt("i", 7);
    QCOMPARE(chunk.getInt("i"), 7);
    chunk.setBool("b", false);
    QCOMPARE(chunk.getBool("b"), false);

    chunk.setCheckState(2);
    QCOMPARE(chunk.checkState(), 2);
    QCOMPARE(chunk.getInt(IBaseChunk::kCheckStateKey), 2);
    chunk.setDate("2026-12-08");
    QCOMPARE(chunk.getString(IBaseChunk::kDateKey), std::string("2026-12-08"));
}

void TestItemRecords::gettersNeverInsert() {
    IBaseChunk chunk;
    QCOMPARE(chunk.getInt("missing"), 0);
    QCOMPARE(chunk.getInt64("missing"), int64_t(0));
    QCOMPARE(chunk.getBool("missing"), false);
    QCOMPARE(chunk.getDouble("missing"), 0.0);
    QCOMPARE(chunk.getString("missing"), std::string());
    QVERIFY(!chunk.hasKey("missing"));
}

void TestItemRecords::int64AndDoubleShareTheirBytes() {
    IBaseChunk chunk;
    chunk.setDouble("k", 1.0);
    int64_t expected = 0;
    const double one = 1.0;
    std::memcpy(&expected, &one, sizeof expected);
    QCOMPARE(chunk.getInt64("k"), expected);
    chunk.setInt64("k", 42);
    double asDouble = 0;
    const int64_t fortyTwo = 42;
    std::memcpy(&asDouble, &fortyTwo, sizeof asDouble);
    QCOMPARE(chunk.getDouble("k"), asDouble);
}

void TestItemRecords::shortValuesReadAsAbsent() {
    // A value shorter than the type asked for must not be read past its end.
    PlantedStore store;
    store.plant("three", "abc");
    store.plant("seven", "1234567");
    store.plant("empty", "");
    QCOMPARE(store.getInt("three"), 0);
    QCOMPARE(store.getInt64("seven"), int64_t(0));
    QCOMPARE(store.getDouble("seven"), 0.0);
    QCOMPARE(store.getBool("empty"), false);
    QCOMPARE(store.getInt("empty"), 0);

    // A bool stored under a key read back as an int is one byte short, hence absent.
    IBaseChunk chunk;
    chunk.setBool("flag", true);
    QCOMPARE(chunk.getInt("flag"), 0);
    // An int read as 64 bits is four bytes short.
    chunk.setInt("count", 5);
    QCOMPARE(chunk.getInt64("count"), int64_t(0));
    // Longer values still read their first bytes.
    chunk.setInt64("wide", 9);
    QCOMPARE(chunk.getInt("wide"), 9);
}

void TestItemRecords::resetKeepsCheckStateAndOtherFields() {
    IBaseChunk chunk;
    chunk.setCheckState(2);
    chunk.setName("clip.mp4");
    chunk.setIntA(1);
    chunk.setIntB(2);
    chunk.setIntD(3);
    chunk.setImagePath("/tmp/a.png");
    chunk.setFlagged(true);
    chunk.reset();
    QCOMPARE(chunk.checkState(), 2);
    QCOMPARE(chunk.name(), std::string());
    QCOMPARE(chunk.intA(), 0);
    QCOMPARE(chunk.intB(), 0);
    QCOMPARE(chunk.intD(), 3);
    QCOMPARE(chunk.imagePath(), std::string("/tmp/a.png"));
    QVERIFY(chunk.isFlagged());
}

void TestItemRecords::columnMask() {
    struct MaskedChunk : IBaseChunk {
        MaskedChunk() { m_columnMask = 0x5; } // columns 0 and 2
    } chunk;
    QVERIFY(chunk.isColumnEnabled(0));
    QVERIFY(!chunk.isColumnEnabled(1));
    QVERIFY(chunk.isColumnEnabled(2));
    QVERIFY(!chunk.isColumnEnabled(31));
    QVERIFY(chunk.isColumnEnabled(32));
    QVERIFY(chunk.isColumnEnabled(100));
    IBaseChunk plain;
    for (int column = 0; column < 40; ++column)
        QVERIFY(plain.isColumnEnabled(column));
}

QTEST_APPLESS_MAIN(TestItemRecords)
#include "tst_item_records.moc"
