// The property-list reader against lists written by Python's plistlib (the independent
// writer) and against hand-made hostile binary lists.
#include "media/PlistReader.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cmath>
#include <ctime>
#include <functional>
#include <sstream>

using Plist::Array;
using Plist::Data;
using Plist::Dictionary;

namespace {

QString errorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const std::runtime_error& error) {
        return QString::fromUtf8(error.what());
    } catch (const boost::bad_any_cast&) {
        return QStringLiteral("bad_any_cast");
    }
    return QStringLiteral("(no error)");
}

QString errorOfData(const QByteArray& bytes) {
    return errorOf([&] {
        Dictionary dict;
        Plist::readPlist(bytes.constData(), bytes.size(), dict);
    });
}

Dictionary readData(const QByteArray& bytes) {
    Dictionary dict;
    Plist::readPlist(bytes.constData(), bytes.size(), dict);
    return dict;
}

QByteArray xmlList(const QByteArray& root) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + root + "</plist>\n";
}

// Compares two trees; on a difference `where` names the path.
bool sameTree(const boost::any& a, const boost::any& b, const QString& path, QString* where) {
    *where = path;
    if (a.type() != b.type())
        return false;
    if (const auto* text = boost::any_cast<std::string>(&a))
        return *text == boost::any_cast<std::string>(b);
    if (const auto* number = boost::any_cast<int64_t>(&a))
        return *number == boost::any_cast<int64_t>(b);
    if (const auto* real = boost::any_cast<double>(&a))
        return *real == boost::any_cast<double>(b);
    if (const auto* flag = boost::any_cast<bool>(&a))
        return *flag == boost::any_cast<bool>(b);
    if (const auto* date = boost::any_cast<PlistDate>(&a))
        return *date == boost::any_cast<PlistDate>(b);
    if (const auto* bytes = boost::any_cast<Data>(&a))
        return *bytes == boost::any_cast<Data>(b);
    if (const auto* array = boost::any_cast<Array>(&a)) {
        const Array& other = boost::any_cast<const Array&>(b);
        if (array->size() != other.size())
            return false;
        for (size_t i = 0; i < array->size(); ++i) {
            if (!sameTree((*array)[i], other[i], path + QStringLiteral("[%1]").arg(i), where))
                return false;
        }
        return true;
    }
    if (const auto* dict = boost::any_cast<Dictionary>(&a)) {
        const Dictionary& other = boost::any_cast<const Dictionary&>(b);
        if (dict->size() != other.size())
            return false;
        for (const auto& entry : *dict) {
            const auto found = other.find(entry.first);
            if (found == other.end()) {
                *where = path + "/" + QString::fromStdString(entry.first);
                return false;
            }
            if (!sameTree(entry.second, found->second, path + "/" + QString::fromStdString(entry.first), where))
                return false;
        }
        return true;
    }
    return false;
}

// A binary list made by hand: "bplist00", the objects as given, the offset table and
// the trailer. References inside the objects are written by the caller.
struct BinaryList {
    QList<QByteArray> objects;
    int offsetWidth = 1;
    int referenceWidth = 1;
    QMap<int, quint64> offsetOverrides; // object number -> offset written instead
    qint64 tableOffsetOverride = -1;

    QByteArray bytes() const {
        QByteArray out("bplist00");
        QList<quint64> offsets;
        for (const QByteArray& object : objects) {
            offsets << quint64(out.size());
            out += object;
        }
        const quint64 tableOffset = quint64(out.size());
        for (int i = 0; i < offsets.size(); ++i)
            out += bigEndian(offsetOverrides.value(i, offsets[i]), offsetWidth);
        out += QByteArray(6, '\0');
        out += char(offsetWidth);
        out += char(referenceWidth);
        out += bigEndian(quint64(objects.size()), 8);
        out += bigEndian(0, 8);
        out += bigEndian(tableOffsetOverride >= 0 ? quint64(tableOffsetOverride) : tableOffset, 8);
        return out;
    }

    static QByteArray bigEndian(quint64 value, int width) {
        QByteArray out;
        for (int i = width - 1; i >= 0; --i)
            out += char((value >> (8 * i)) & 0xFF);
        return out;
    }
};

QByteArray marker(int byte) {
    return QByteArray(1, char(byte));
}

// A root dictionary {"a": object 2} with object 2 supplied by the caller.
BinaryList dictionaryHolding(const QByteArray& value) {
    BinaryList list;
    list.objects << (marker(0xD1) + marker(1) + marker(2))
                 << QByteArray("\x51"
                               "a",
                               2)
                 << value;
    return list;
}

} // namespace

class TestPlistReader : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // Runs a Python snippet with plistlib imported and `folder` set to the test folder.
    void runPython(const QString& code) {
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"), QStringLiteral("import plistlib, datetime\nfolder = %1\n%2")
                                                .arg(QStringLiteral("'") + m_dir.path() + "'", code)});
        QVERIFY2(python.waitForFinished(60000), "python3 did not finish");
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    }

    QByteArray fileBytes(const QString& name) {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return file.readAll();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void xmlAndBinaryReadToTheSameTree() {
        runPython(
            QStringLiteral("value = {\n"
                           "    'string': 'a & <b> \\'c\\'', 'empty string': '', 'long string': 'x' * 100,\n"
                           "    'integer': 42, 'negative': -7, 'byte': 200, 'short': 60000, 'word': 4000000000,\n"
                           "    'big': 2 ** 40, 'max': 2 ** 63 - 1, 'min': -2 ** 63,\n"
                           "    'real': 29.97, 'tiny': 1.5e-300, 'whole real': 30.0,\n"
                           "    'true': True, 'false': False,\n"
                           "    'date': datetime.datetime(2021, 3, 4, 5, 6, 7),\n"
                           "    'data': bytes(range(256)), 'empty data': b'',\n"
                           "    'array': [1, 'two', [3.5, {'four': 4}], []], 'empty dict': {},\n"
                           "    'many': ['item %d' % i for i in range(300)],\n"
                           "}\n"
                           "for name, fmt in (('tree.xml', plistlib.FMT_XML), ('tree.bin', plistlib.FMT_BINARY)):\n"
                           "    with open(folder + '/' + name, 'wb') as f:\n"
                           "        plistlib.dump(value, f, fmt=fmt)\n"));
        QVERIFY(fileBytes("tree.bin").startsWith("bplist00"));
        Dictionary fromXml, fromBinary;
        Plist::readPlist(m_dir.filePath("tree.xml").toStdString(), fromXml);
        Plist::readPlist(m_dir.filePath("tree.bin").toStdString(), fromBinary);
        QString where;
        QVERIFY2(sameTree(fromXml, fromBinary, QString(), &where), qPrintable(where));

        // And the tree holds what Python wrote.
        QCOMPARE(fromXml.size(), size_t(22));
        QCOMPARE(boost::any_cast<std::string>(fromXml["string"]), std::string("a & <b> 'c'"));
        QCOMPARE(boost::any_cast<int64_t>(fromXml["word"]), int64_t(4000000000));
        QCOMPARE(boost::any_cast<int64_t>(fromXml["max"]), std::numeric_limits<int64_t>::max());
        QCOMPARE(boost::any_cast<int64_t>(fromXml["min"]), std::numeric_limits<int64_t>::min());
        QCOMPARE(boost::any_cast<int64_t>(fromXml["negative"]), int64_t(-7));
        QCOMPARE(boost::any_cast<double>(fromXml["real"]), 29.97);
        QCOMPARE(boost::any_cast<bool>(fromXml["true"]), true);
        const qint64 expectedDate = QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::UTC).toSecsSinceEpoch();
        QCOMPARE(boost::any_cast<PlistDate>(fromXml["date"]).secondsSinceEpoch(), expectedDate);
        const Data data = boost::any_cast<Data>(fromXml["data"]);
        QCOMPARE(data.size(), size_t(256));
        QCOMPARE(static_cast<unsigned char>(data[255]), static_cast<unsigned char>(255));
        const Array many = boost::any_cast<Array>(fromXml["many"]);
        QCOMPARE(boost::any_cast<std::string>(many[299]), std::string("item 299"));
        const Array nested = boost::any_cast<Array>(boost::any_cast<Array>(fromXml["array"])[2]);
        QCOMPARE(boost::any_cast<int64_t>(boost::any_cast<Dictionary>(nested[1])["four"]), int64_t(4));
        // No conversion between types: a real is not an integer.
        QVERIFY_EXCEPTION_THROWN(boost::any_cast<int64_t>(fromXml["whole real"]), boost::bad_any_cast);
    }

    void shippedCatalogueReadsTheSameInBinaryForm() {
        const QString shipped = qEnvironmentVariable("CALVORINE_SOURCE_DIR") + "/resources/profile/profiles_win.plist";
        QVERIFY(QFile::exists(shipped));
        runPython(
            QStringLiteral("plistlib.dump(plistlib.load(open('%1', 'rb')), open(folder + '/catalogue.bin', 'wb'), "
                           "fmt=plistlib.FMT_BINARY)")
                .arg(shipped));
        Dictionary fromXml, fromBinary;
        Plist::readPlist(shipped.toStdString(), fromXml);
        Plist::readPlist(m_dir.filePath("catalogue.bin").toStdString(), fromBinary);
        QString where;
        QVERIFY2(sameTree(fromXml, fromBinary, QString(), &where), qPrintable(where));
        QVERIFY(fromXml.count("Categories"));
    }

    void binaryFormsPythonWritesThatAreRefused() {
        // UTF-16 strings and integers beyond 64 bits are binary forms the reader does not take.
        runPython(QStringLiteral(
            "plistlib.dump({'name': 'Gr\\u00fc\\u00dfe'}, open(folder + '/utf16.bin', 'wb'), fmt=plistlib.FMT_BINARY)\n"
            "plistlib.dump({'name': 2 ** 64 - 1}, open(folder + '/int128.bin', 'wb'), fmt=plistlib.FMT_BINARY)\n"
            "plistlib.dump({'name': 'Gr\\u00fc\\u00dfe'}, open(folder + '/utf8.xml', 'wb'), fmt=plistlib.FMT_XML)\n"));
        QCOMPARE(errorOfData(fileBytes("utf16.bin")), QStringLiteral("This type is not supported"));
        QCOMPARE(errorOfData(fileBytes("int128.bin")), QStringLiteral("Plist: integer wider than 8 bytes"));
        // The XML form keeps the UTF-8 bytes as stored.
        Dictionary dict = readData(fileBytes("utf8.xml"));
        QCOMPARE(boost::any_cast<std::string>(dict["name"]), std::string("Gr\xc3\xbc\xc3\x9f"
                                                                         "e"));
    }

    void xmlValues() {
        const Dictionary dict = readData(xmlList("<dict>"
                                                 "<key>blanks</key><integer>  12abc</integer>"
                                                 "<key>plus</key><integer>+5</integer>"
                                                 "<key>none</key><integer>abc</integer>"
                                                 "<key>min</key><integer>-9223372036854775808</integer>"
                                                 "<key>real</key><real> 2.5e3</real>"
                                                 "<key>hello</key><data>SGVs\n\tbG8=</data>"
                                                 "<key>hell</key><data>SGVsbA==</data>"
                                                 "<key>cut</key><data>SGVsbG8</data>"
                                                 "<key>padded first</key><data>=SGVs</data>"
                                                 "<key>twice</key><string>first</string>"
                                                 "<key>twice</key><string>second</string>"
                                                 "<key>escaped</key><string>a&amp;b</string>"
                                                 "<key>empty</key><dict/>"
                                                 "<key>date</key><date>2000-01-02T03:04:05Z</date>"
                                                 "</dict>"));
        auto integer = [&](const char* key) { return boost::any_cast<int64_t>(dict.at(key)); };
        auto bytes = [&](const char* key) {
            const Data data = boost::any_cast<Data>(dict.at(key));
            return QByteArray(data.data(), int(data.size()));
        };
        QCOMPARE(integer("blanks"), int64_t(12));
        QCOMPARE(integer("plus"), int64_t(5));
        QCOMPARE(integer("none"), int64_t(0));
        QCOMPARE(integer("min"), std::numeric_limits<int64_t>::min());
        QCOMPARE(boost::any_cast<double>(dict.at("real")), 2500.0);
        QCOMPARE(bytes("hello"), QByteArray("Hello"));
        QCOMPARE(bytes("hell"), QByteArray("Hell"));
        QCOMPARE(bytes("cut"), QByteArray("Hel")); // a group cut short yields nothing
        QCOMPARE(bytes("padded first"), QByteArray());
        QCOMPARE(boost::any_cast<std::string>(dict.at("twice")), std::string("second"));
        QCOMPARE(boost::any_cast<std::string>(dict.at("escaped")), std::string("a&b"));
        QVERIFY(boost::any_cast<Dictionary>(dict.at("empty")).empty());
        QCOMPARE(boost::any_cast<PlistDate>(dict.at("date")).secondsSinceEpoch(),
                 QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5), Qt::UTC).toSecsSinceEpoch());
    }

    void xmlRealsIgnoreTheUserLocale() {
        // Under a locale with a decimal comma the C library's atof reads "29.97" as 29.
        QTemporaryDir locales;
        QProcess localedef;
        localedef.start(QStringLiteral("localedef"),
                        {"-i", "de_DE", "-f", "UTF-8", locales.filePath(QStringLiteral("de_DE.UTF-8"))});
        if (!localedef.waitForFinished(60000) || localedef.exitCode() > 1)
            QSKIP("cannot build a German locale here");
        qputenv("LOCPATH", locales.path().toLocal8Bit());
        const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("German locale not loadable");
        const bool commaLocale = std::atof("2,5") == 2.5;
        const Dictionary dict = readData(xmlList("<dict><key>rate</key><real>29.97</real></dict>"));
        std::setlocale(LC_NUMERIC, previous.c_str());
        qunsetenv("LOCPATH");
        QVERIFY(commaLocale);
        QCOMPARE(boost::any_cast<double>(dict.at("rate")), 29.97);
    }

    void xmlErrors() {
        auto xmlError = [](const QByteArray& root) { return errorOfData(xmlList(root)); };
        QVERIFY(errorOfData("<plist><dict></plist>").startsWith(QStringLiteral("Plist: XML parsed with error ")));
        QVERIFY(errorOfData("<plist><dict></plist>").size() > int(strlen("Plist: XML parsed with error ")));
        QCOMPARE(xmlError("<dict><key>a</key><set/></dict>"), QStringLiteral("Plist: XML unknown node type set"));
        QCOMPARE(xmlError("<dict><string>a</string></dict>"),
                 QStringLiteral("Plist: XML dictionary key expected but not found"));
        QCOMPARE(xmlError("<dict><key>a</key></dict>"),
                 QStringLiteral("Plist: XML dictionary value expected for key abut not found"));
        QCOMPARE(xmlError("<dict><key>a</key><key>b</key><string/></dict>"),
                 QStringLiteral("Plist: XML dictionary value expected for key abut found another key node"));
        // Integers that do not fit are refused, not wrapped.
        QCOMPARE(xmlError("<dict><key>a</key><integer>9223372036854775808</integer></dict>"),
                 QStringLiteral("Plist: XML integer out of range 9223372036854775808"));
        QCOMPARE(xmlError("<dict><key>a</key><integer>-9223372036854775809</integer></dict>"),
                 QStringLiteral("Plist: XML integer out of range -9223372036854775809"));
        QCOMPARE(xmlError("<dict><key>a</key><integer>99999999999999999999999</integer></dict>"),
                 QStringLiteral("Plist: XML integer out of range 99999999999999999999999"));
        QCOMPARE(xmlError("<dict><key>a</key><date>2021-13-01T00:00:00Z</date></dict>"),
                 QStringLiteral("PlistDate::set() date invalid"));
        QCOMPARE(xmlError("<dict><key>a</key><date>yesterday</date></dict>"),
                 QStringLiteral("PlistDate::set() date invalid"));
        QCOMPARE(errorOfData("<plist></plist>"), QStringLiteral("Plist: XML root object not found"));
        QCOMPARE(xmlError("<array><string>a</string></array>"), QStringLiteral("bad_any_cast"));
        QByteArray deep;
        for (int i = 0; i < 600; ++i)
            deep += "<array>";
        for (int i = 0; i < 600; ++i)
            deep += "</array>";
        QCOMPARE(xmlError("<dict><key>a</key>" + deep + "</dict>"), QStringLiteral("Plist: nesting too deep"));
    }

    void binaryStructureFaults() {
        QCOMPARE(errorOfData(QByteArray("bplist00") + QByteArray(20, '\0')),
                 QStringLiteral("Plist: binary data too short"));

        BinaryList good = dictionaryHolding(marker(0x09));
        QVERIFY(boost::any_cast<bool>(readData(good.bytes()).at("a")));

        BinaryList zeroOffsets = good;
        zeroOffsets.offsetWidth = 0;
        QCOMPARE(errorOfData(zeroOffsets.bytes()), QStringLiteral("Plist: offset width of 0"));
        BinaryList zeroReferences = good;
        zeroReferences.referenceWidth = 0;
        QCOMPARE(errorOfData(zeroReferences.bytes()), QStringLiteral("Plist: object reference width of 0"));
        BinaryList wide = good;
        wide.referenceWidth = 9;
        QCOMPARE(errorOfData(wide.bytes()), QStringLiteral("Plist: offset or reference width above 8 bytes"));

        BinaryList tableBeyondTrailer = good;
        tableBeyondTrailer.tableOffsetOverride = 1000;
        QCOMPARE(errorOfData(tableBeyondTrailer.bytes()), QStringLiteral("Plist: offset table out of bounds"));
        BinaryList hugeTableOffset = good;
        hugeTableOffset.tableOffsetOverride = std::numeric_limits<qint64>::max();
        QCOMPARE(errorOfData(hugeTableOffset.bytes()), QStringLiteral("Plist: offset table out of bounds"));

        // An object offset that points past the objects, also one that would wrap around.
        BinaryList outside = good;
        outside.offsetOverrides[2] = 200;
        QCOMPARE(errorOfData(outside.bytes()), QStringLiteral("Out of bounds getRange"));
        BinaryList wrapping = good;
        wrapping.offsetWidth = 8;
        wrapping.offsetOverrides[2] = std::numeric_limits<quint64>::max();
        QCOMPARE(errorOfData(wrapping.bytes()), QStringLiteral("Out of bounds getRange"));

        QCOMPARE(errorOfData(dictionaryHolding(marker(0xA1) + marker(9)).bytes()),
                 QStringLiteral("Plist: object reference out of range"));
        // Counts that claim more than the file holds.
        QCOMPARE(
            errorOfData(
                dictionaryHolding(marker(0xAF) + marker(0x13) + BinaryList::bigEndian(quint64(1) << 62, 8)).bytes()),
            QStringLiteral("Out of bounds getRange"));
        QCOMPARE(
            errorOfData(dictionaryHolding(marker(0xDF) + marker(0x13) + BinaryList::bigEndian(~quint64(0), 8)).bytes()),
            QStringLiteral("Out of bounds getRange"));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x5F) + marker(0x10) + marker(0xFF) + "abc").bytes()),
                 QStringLiteral("Out of bounds getRange"));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x5F) + marker(0x51) + "a").bytes()),
                 QStringLiteral("Plist: object count is not an integer"));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x13) + "\x01\x02").bytes()),
                 QStringLiteral("Out of bounds getRange"));
    }

    void binaryCyclesAndBlowUps() {
        // An array that holds itself, and a dictionary reached again through its value.
        QCOMPARE(errorOfData(dictionaryHolding(marker(0xA1) + marker(2)).bytes()),
                 QStringLiteral("Plist: object reference cycle"));
        BinaryList rootInValue;
        rootInValue.objects << (marker(0xD1) + marker(1) + marker(0))
                            << QByteArray("\x51"
                                          "a",
                                          2);
        QCOMPARE(errorOfData(rootInValue.bytes()), QStringLiteral("Plist: object reference cycle"));
        // Shared objects are fine as long as no path loops.
        BinaryList shared;
        shared.objects << (marker(0xD1) + marker(1) + marker(2))
                       << QByteArray("\x51"
                                     "a",
                                     2)
                       << (marker(0xA2) + marker(3) + marker(3)) << marker(0x08);
        QCOMPARE(boost::any_cast<Array>(readData(shared.bytes()).at("a")).size(), size_t(2));

        BinaryList deep;
        deep.referenceWidth = 2;
        deep.offsetWidth = 2;
        deep.objects << (marker(0xD1) + BinaryList::bigEndian(1, 2) + BinaryList::bigEndian(2, 2))
                     << QByteArray("\x51"
                                   "a",
                                   2);
        for (int i = 2; i < 700; ++i)
            deep.objects << (marker(0xA1) + BinaryList::bigEndian(quint64(i + 1), 2));
        deep.objects << marker(0x08);
        QCOMPARE(errorOfData(deep.bytes()), QStringLiteral("Plist: nesting too deep"));

        // 40 levels of [next, next]: a tiny file describing 2^40 values.
        BinaryList doubling;
        doubling.objects << (marker(0xD1) + marker(1) + marker(2))
                         << QByteArray("\x51"
                                       "a",
                                       2);
        for (int i = 2; i < 42; ++i)
            doubling.objects << (marker(0xA2) + marker(i + 1) + marker(i + 1));
        doubling.objects << marker(0x08);
        QCOMPARE(errorOfData(doubling.bytes()), QStringLiteral("Plist: too many values"));
    }

    void binaryObjectFaults() {
        BinaryList numberKey;
        numberKey.objects << (marker(0xD1) + marker(1) + marker(1)) << (marker(0x10) + marker(7));
        QCOMPARE(errorOfData(numberKey.bytes()),
                 QStringLiteral("Error parsing dictionary.  Key can't be parsed as a string"));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x00)).bytes()),
                 QStringLiteral("Plist: null byte encountered, unsure how to parse"));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x0F)).bytes()),
                 QStringLiteral("Plist: fill byte encountered, unsure how to parse"));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x0C)).bytes()),
                 QStringLiteral("Plist: unknown header ") + QChar(0x0C));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x80) + marker(1)).bytes()),
                 QStringLiteral("This type is not supported"));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x21) + "\x01\x02").bytes()),
                 QStringLiteral("Plist: real of unsupported size"));
        const QByteArray nan = BinaryList::bigEndian(0x7FF8000000000000ULL, 8);
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x33) + nan).bytes()),
                 QStringLiteral("Plist: date out of range"));
        QCOMPARE(errorOfData(dictionaryHolding(marker(0x33) + BinaryList::bigEndian(0x7FEFFFFFFFFFFFFFULL, 8)).bytes()),
                 QStringLiteral("Plist: date out of range"));
        BinaryList arrayRoot;
        arrayRoot.objects << (marker(0xA1) + marker(1)) << marker(0x09);
        QCOMPARE(errorOfData(arrayRoot.bytes()), QStringLiteral("bad_any_cast"));

        // Narrow integers are unsigned; eight bytes are two's complement.
        const Dictionary narrow = readData(dictionaryHolding(marker(0x11) + "\xff\xfe").bytes());
        QCOMPARE(boost::any_cast<int64_t>(narrow.at("a")), int64_t(0xfffe));
        const Dictionary wide =
            readData(dictionaryHolding(marker(0x13) + BinaryList::bigEndian(~quint64(0), 8)).bytes());
        QCOMPARE(boost::any_cast<int64_t>(wide.at("a")), int64_t(-1));
    }

    void inputForms() {
        Dictionary kept;
        kept["mark"] = std::string("unchanged");
        Plist::readPlist(std::string(), kept);
        Plist::readPlist(std::string("\xff\xfe.plist"), kept);
        QCOMPARE(kept.size(), size_t(1));

        const std::string missing = m_dir.filePath("missing.plist").toStdString();
        QCOMPARE(errorOf([&] { Plist::readPlist(missing, kept); }),
                 QString::fromStdString("Can't open file: " + missing));
        QCOMPARE(errorOf([&] { Plist::readPlist(m_dir.path().toStdString(), kept); }),
                 QString::fromStdString("Can't open file: " + m_dir.path().toStdString()));
        QFile empty(m_dir.filePath("empty.plist"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QCOMPARE(errorOf([&] { Plist::readPlist(empty.fileName().toStdString(), kept); }),
                 QStringLiteral("Can't read zero length data"));
        QCOMPARE(errorOf([&] { Plist::readPlist(nullptr, 10, kept); }), QStringLiteral("Plist: Empty plist data"));
        QCOMPARE(errorOf([&] { Plist::readPlist("x", 0, kept); }), QStringLiteral("Plist: Empty plist data"));
        QCOMPARE(errorOf([] { Plist::vecData(std::vector<char>()); }),
                 QStringLiteral("Plist::vecData trying to get pointer to empty std::vector"));

        // The stream form reads from the current position on.
        std::istringstream stream("garbage" + xmlList("<dict><key>k</key><true/></dict>").toStdString());
        stream.seekg(7);
        Dictionary fromStream;
        Plist::readPlist(stream, fromStream);
        QVERIFY(boost::any_cast<bool>(fromStream.at("k")));
    }

    void dates() {
        PlistDate date;
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        QVERIFY(qAbs(date.secondsSinceEpoch() - now) < 5);
        date.set(2, 29, 2024, 23, 59, 58, true);
        QCOMPARE(date.secondsSinceEpoch(),
                 QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC).toSecsSinceEpoch());
        // Local time, in a zone without daylight saving so that the season does not matter.
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Asia/Kolkata");
        tzset();
        date.set(7, 1, 2024, 12, 0, 0, false);
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        tzset();
        QCOMPARE(date.secondsSinceEpoch(), QDateTime(QDate(2024, 7, 1), QTime(6, 30, 0), Qt::UTC).toSecsSinceEpoch());
        QCOMPARE(errorOf([&] { date.set(0, 1, 2024, 0, 0, 0, true); }),
                 QStringLiteral("PlistDate::set() date invalid"));
        QCOMPARE(errorOf([&] { date.set(1, 1, 2024, 24, 0, 0, true); }),
                 QStringLiteral("PlistDate::set() date invalid"));
    }
};

QTEST_GUILESS_MAIN(TestPlistReader)
#include "tst_plist_reader.moc"
