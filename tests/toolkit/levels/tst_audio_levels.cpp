// Audio level display: bar and cell counts from the widget size, levels of signed sound
// (silence, -1, full scale), blocks whose header claims more than the caller handed over,
// long blocks, falling peaks, clearing, and what a paint shows.
#include "DrawTestSupport.h"

#include "toolkit/QAudioDataWidget.h"

#include <QTest>

#include <cstdint>
#include <cstring>
#include <vector>

using namespace drawtest;

namespace {
const QColor kBar(253, 94, 105);
const QColor kPeak(0, 255, 0);

// A level block as the codec library hands it out: 44-byte header, the data size in
// bytes at byte 40, then the samples. `claimedBytes` < 0 claims exactly the samples.
QByteArray levelBlock(const std::vector<short>& samples, int64_t claimedBytes = -1) {
    std::vector<char> block(44 + samples.size() * sizeof(short), 0);
    const uint32_t bytes = claimedBytes < 0 ? uint32_t(samples.size() * sizeof(short)) : uint32_t(claimedBytes);
    std::memcpy(&block[24], &bytes, 4);
    std::memcpy(&block[40], &bytes, 4);
    if (!samples.empty()) {
        std::memcpy(&block[44], samples.data(), samples.size() * sizeof(short));
    }
    return QByteArray(block.data(), int(block.size()));
}

void feed(QAudioDataWidget& widget, QByteArray block, int samples) {
    widget.setAudioData(reinterpret_cast<unsigned char*>(block.data()), samples);
}

AudioBarStyle toolbarStyle(bool peaks) {
    AudioBarStyle style;
    style.barWidth = 11;
    style.cellHeight = 3;
    style.xSpacing = 2;
    style.ySpacing = 2;
    style.peakMarker = peaks ? 1 : 0;
    style.accelerating = 1;
    style.cornerRadius = 1.3;
    style.barColor = kBar;
    style.peakColor = kPeak;
    return style;
}

// A shown widget of the given size, laid out.
void showSized(QAudioDataWidget& widget, int width, int height) {
    widget.resize(width, height);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
}
} // namespace

class TestAudioLevels : public QObject {
    Q_OBJECT

private slots:
    void defaultsAndGeometry() {
        const AudioBarStyle defaults;
        QCOMPARE(defaults.barWidth, 1);
        QCOMPARE(defaults.cellHeight, 1);
        QCOMPARE(defaults.cornerRadius, 0.0);
        QCOMPARE(defaults.barColor, QColor(255, 255, 255));
        QCOMPARE(defaults.peakColor, QColor(255, 0, 0));

        const AudioBarStyle style = toolbarStyle(true);
        QAudioDataWidget widget(nullptr, &style);
        showSized(widget, 399, 99);
        QCOMPARE(widget.barCount(), 30);
        QCOMPARE(widget.cellsPerBar(), 20);
        QCOMPARE(widget.peaks().size(), 30);

        // A polyline takes no spacing: every pixel column is a point.
        AudioBarStyle line = style;
        line.mode = AudioBarStyle::Polyline;
        line.barWidth = 2;
        QAudioDataWidget polyline(nullptr, &line);
        QCOMPARE(polyline.style().xSpacing, 0);
        QCOMPARE(polyline.style().ySpacing, 0);
        showSized(polyline, 100, 30);
        QCOMPARE(polyline.barCount(), 50);
        QCOMPARE(polyline.cellsPerBar(), 10);
    }

    void levelsOfSignedSound() {
        const AudioBarStyle style = toolbarStyle(false);
        QAudioDataWidget widget(nullptr, &style);
        showSized(widget, 399, 99);
        const int n = 3000;

        feed(widget, levelBlock(std::vector<short>(n, 0)), n);
        QCOMPARE(widget.levels(), QVector<int>(30, 0));
        // Near silence below zero must not read as nearly full scale.
        feed(widget, levelBlock(std::vector<short>(n, -1)), n);
        QCOMPARE(widget.levels(), QVector<int>(30, 0));

        // Full scale lights all cells but the top one (the level never reaches 65536);
        // half scale lights half of them.
        std::vector<short> square(n);
        for (int i = 0; i < n; ++i) {
            square[i] = i % 2 ? 32767 : -32768;
        }
        feed(widget, levelBlock(square), n);
        QCOMPARE(widget.levels(), QVector<int>(30, 19));
        std::vector<short> half(n);
        for (int i = 0; i < n; ++i) {
            half[i] = i % 2 ? 16384 : -16384;
        }
        feed(widget, levelBlock(half), n);
        QCOMPARE(widget.levels(), QVector<int>(30, 10));

        // Loud first half, silent second half: the bars follow the block from the left.
        std::vector<short> split(n, 0);
        std::fill(split.begin(), split.begin() + n / 2, short(-32768));
        feed(widget, levelBlock(split), n);
        QCOMPARE(widget.levels().first(), 19);
        QCOMPARE(widget.levels().last(), 0);

        QCOMPARE(QAudioDataWidget::levelOf(nullptr, 5), 0);
        const short extremes[] = {-32768, -32768};
        QCOMPARE(QAudioDataWidget::levelOf(extremes, 2), 65535);
    }

    void headerIsNotTrustedBeyondTheCallersCount() {
        const AudioBarStyle style = toolbarStyle(false);
        QAudioDataWidget widget(nullptr, &style);
        showSized(widget, 399, 99);
        // The caller hands 300 silent samples; the memory after them is loud and the
        // header claims far more. Only the 300 may be read.
        std::vector<short> samples(600, short(-32768));
        std::fill(samples.begin(), samples.begin() + 300, short(0));
        feed(widget, levelBlock(samples, 1 << 30), 300);
        QCOMPARE(widget.levels(), QVector<int>(30, 0));
        // A block of fewer samples than bars: bars repeat samples, none beyond the count.
        std::vector<short> few = {0, 0, 0, 0, 32767, 32767};
        feed(widget, levelBlock(few), 4);
        QCOMPARE(widget.levels(), QVector<int>(30, 0));
        // No samples at all and a negative count read nothing.
        feed(widget, levelBlock({}, 1000), 0);
        QCOMPARE(widget.levels(), QVector<int>(30, 0));
        feed(widget, levelBlock(std::vector<short>(10, 32767)), -5);
        QCOMPARE(widget.levels(), QVector<int>(30, 0));
        // A header claiming less than the count is believed.
        std::vector<short> shortHeader(100, 0);
        std::fill(shortHeader.begin() + 50, shortHeader.end(), short(32767));
        feed(widget, levelBlock(shortHeader, 50 * 2), 100);
        QCOMPARE(widget.levels(), QVector<int>(30, 0));
    }

    void longBlocksAreReadOverTheirFirstPart() {
        const AudioBarStyle style = toolbarStyle(false);
        QAudioDataWidget widget(nullptr, &style);
        showSized(widget, 399, 99);
        // 32000 samples: the bars cover the first 16000 only.
        std::vector<short> samples(32000, 0);
        std::fill(samples.begin() + 16000, samples.end(), short(32767));
        feed(widget, levelBlock(samples), 32000);
        QCOMPARE(widget.levels(), QVector<int>(30, 0));
        std::fill(samples.begin(), samples.begin() + 16000, short(32767));
        feed(widget, levelBlock(samples), 32000);
        QCOMPARE(widget.levels(), QVector<int>(30, 19));
    }

    void peaksFallFasterAndFasterAndClearAtOnce() {
        const AudioBarStyle style = toolbarStyle(true);
        QAudioDataWidget widget(nullptr, &style);
        showSized(widget, 399, 99);
        const int n = 600;
        std::vector<short> loud(n, short(-32768));
        feed(widget, levelBlock(loud), n);
        // 19 cells of 3 with 2 between: 19 * 5 - 2 pixels.
        QCOMPARE(widget.peaks().first(), 93);
        const QByteArray silence = levelBlock(std::vector<short>(n, 0));
        QVector<int> drops;
        int previous = widget.peaks().first();
        for (int i = 0; i < 7; ++i) {
            feed(widget, silence, n);
            drops << previous - widget.peaks().first();
            previous = widget.peaks().first();
        }
        QCOMPARE(drops, QVector<int>({0, 0, 1, 2, 3, 4, 6}));
        // A louder block lifts the peak again and restarts the fall.
        feed(widget, levelBlock(loud), n);
        QCOMPARE(widget.peaks().first(), 93);
        widget.setAudioData(nullptr, 0);
        QCOMPARE(widget.peaks(), QVector<int>(30, 0));
        QVERIFY(!widget.hasData());

        AudioBarStyle steady = style;
        steady.accelerating = 0;
        QAudioDataWidget linear(nullptr, &steady);
        showSized(linear, 399, 99);
        feed(linear, levelBlock(loud), n);
        for (int i = 1; i <= 3; ++i) {
            feed(linear, silence, n);
            QCOMPARE(linear.peaks().first(), 93 - i);
        }
    }

    void paintShowsNewDataOnce() {
        AudioBarStyle style = toolbarStyle(true);
        style.cornerRadius = 0.0;
        QAudioDataWidget widget(nullptr, &style);
        showSized(widget, 399, 99);
        const int n = 600;
        std::vector<short> half(n, short(16384));
        feed(widget, levelBlock(half), n);
        QCOMPARE(widget.levels().first(), 10);
        QImage image = render(&widget);
        // Bottom cell of bar 0: rows 95..97, columns 0..10; bar 1 starts at 13.
        QCOMPARE(at(image, 5, 96), kBar);
        QCOMPARE(at(image, 12, 96), QColor(0, 0, 255, 1));
        QCOMPARE(at(image, 18, 96), kBar);
        // Ten cells reach up to row 51; the eleventh (rows 45..47) stays dark.
        QCOMPARE(at(image, 5, 51), kBar);
        QCOMPARE(at(image, 5, 46), QColor(0, 0, 255, 1));
        // The peak marker sits one row above the top of the lit cells.
        QCOMPARE(at(image, 5, 98 - 48 - 1), kPeak);
        QVERIFY(!widget.hasData());
        // A paint without new data shows only the background.
        image = render(&widget);
        QCOMPARE(countColour(image, image.rect(), kBar), 0);
    }

    void backgroundPicture() {
        QTemporaryDir dir;
        const QString path = save(dir, "bg.png", solidStrip({QColor(10, 200, 30)}, 20, 10));
        QAudioDataWidget widget(nullptr, nullptr);
        showSized(widget, 100, 50);
        widget.setBackgroundPixmap(path);
        QImage image = render(&widget);
        QCOMPARE(at(image, 50, 25), QColor(10, 200, 30));
        QCOMPARE(at(image, 39, 25), QColor(0, 0, 255, 1));
        widget.setBackgroundPixmap(dir.filePath("missing.png"));
        image = render(&widget);
        QCOMPARE(at(image, 50, 25), QColor(0, 0, 255, 1));
    }
};

QTEST_MAIN(TestAudioLevels)
#include "tst_audio_levels.moc"
