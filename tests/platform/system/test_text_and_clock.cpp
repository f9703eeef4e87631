// UTF-8 validation and the monotonic clock.
#include "platform/system/clock.h"
#include "platform/system/utf8.h"

#include <QtTest>

using calvorine::platform::isValidUtf8;

class TestTextAndClock : public QObject {
    Q_OBJECT
private slots:
    void utf8_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("ascii") << QByteArray("Calvorine") << true;
        QTest::newRow("two-byte e-acute") << QByteArray("\xC3\xA9") << true;
        QTest::newRow("lead alone") << QByteArray("\xC3") << false;
        QTest::newRow("lead then ascii") << QByteArray("\xC3\x41") << false;
        QTest::newRow("emoji (four bytes)") << QByteArray("\xF0\x9F\x98\x80") << true;
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
        QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
        QTest::newRow("overlong three-byte") << QByteArray("\xE0\x80\xAF") << false;
        QTest::newRow("overlong four-byte") << QByteArray("\xF0\x80\x80\xAF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("stray continuation") << QByteArray("a\x80") << false;
        QTest::newRow("four-byte cut short") << QByteArray("\xF0\x9F\x98") << false;
        QTest::newRow("F5 lead") << QByteArray("\xF5\x80\x80\x80") << false;
    }
    void utf8() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(isValidUtf8(bytes.constData()), valid);
        QCOMPARE(isValidUtf8(bytes.constData(), size_t(bytes.size())), valid);
    }
    void utf8NullIsInvalid() { QVERIFY(!isValidUtf8(nullptr)); }

    void clockRunsForwardInMicroseconds() {
        const int64_t a = calvorine::platform::monotonicMicroseconds();
        calvorine::platform::sleepForMicroseconds(20000);
        const int64_t b = calvorine::platform::monotonicMicroseconds();
        QVERIFY(b - a >= 20000);
        QVERIFY(b - a < 2000000);
    }
};

QTEST_GUILESS_MAIN(TestTextAndClock)
#include "test_text_and_clock.moc"
