// The generated images: every path the windows load exists and decodes; state strips
// hold four frames that differ where the states must look different; nine-patch
// backgrounds are large enough for their cut values; fixed-size pictures have the sizes
// the layouts rely on.
#include "DrawTestSupport.h"

#include "toolkit/ImagePainting.h"

#include <QDir>
#include <QTest>

using namespace drawtest;

namespace {
#include "generated_image_lists.inc"

QImage load(const char* relative) {
    return QImage(QCoreApplication::applicationDirPath() + QLatin1String(relative));
}

bool opaqueSomewhere(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() > 0) {
                return true;
            }
        }
    }
    return false;
}
} // namespace

class TestGeneratedImages : public QObject {
    Q_OBJECT

private slots:
    void everyImageExistsAndDecodes() {
        for (const char* path : kOtherImages) {
            const QImage image = load(path);
            QVERIFY2(!image.isNull(), path);
            QVERIFY2(opaqueSomewhere(image), path);
        }
    }

    void stripsHoldFourDistinctFrames() {
        for (const char* path : kStripImages) {
            const QImage strip = load(path);
            QVERIFY2(!strip.isNull(), path);
            QVERIFY2(strip.width() % 4 == 0, path);
            const QImage normal = stripFrame(strip, 0);
            const QImage pressed = stripFrame(strip, 2);
            const QImage disabled = stripFrame(strip, 3);
            QVERIFY2(opaqueSomewhere(normal), path);
            // Checked buttons show the pressed frame: it must stand out from normal, and
            // a disabled control must not look like an enabled one.
            QVERIFY2(pressed != normal, path);
            QVERIFY2(disabled != normal, path);
        }
    }

    void ninePatchBackgroundsFitTheirCutValues() {
        const struct {
            const char* path;
            int cut;
        } backgrounds[] = {
            {"/image/common/bg_1.png", 50},
            {"/image/common/bg_2.png", 50},
            {"/image/history_dlg/bg_history.png", 50},
            {"/pic/bg_msg.png", 58},
            {"/image/backgroud.png", 38},
            {"/VEditSource/background.png", 100},
            {"/VEditSource/bg_3.png", 50},
            {"/image/common/rect.png", 20},
            {"/image/record_tool_dlg/backgroud_recording.png", 15},
        };
        for (const auto& background : backgrounds) {
            const QImage image = load(background.path);
            QVERIFY2(image.width() > 2 * background.cut && image.height() > 2 * background.cut, background.path);
        }
        // Resizable dialog backgrounds become the windows' minimum size: they must not
        // exceed the smallest window that uses them (close question 315x170).
        QVERIFY(load("/image/common/bg_2.png").width() <= 315);
        QVERIFY(load("/image/common/bg_2.png").height() <= 170);
        QVERIFY(load("/image/common/bg_1.png").height() <= 285);
    }

    void fixedSizePicturesMatchTheirLayouts() {
        QCOMPARE(load("/image/backgroud.png").size(), QSize(696, 176));
        QCOMPARE(load("/image/bg_record.png").size(), QSize(114, 114));
        QCOMPARE(load("/image/PlayerImage/bg_audio.png").size(), QSize(390, 230));
        QCOMPARE(load("/image/PlayerImage/bg_play.png").height(), 42);
        QCOMPARE(load("/image/btn_araeCustom.png").size(), QSize(68, 18));
        QCOMPARE(load("/image/EditDlg/btn_add_conver.png").size(), QSize(500, 125));
        QCOMPARE(load("/VEditSource/btn_close.png").size(), QSize(124, 31));
        QCOMPARE(load("/VEditSource/tab_btn_bg_image.png").height(), 25);
        QVERIFY(load("/VEditSource/bg_border_line.png").width() >= 28);
        QVERIFY(load("/image/common/no_title_logo.png").width() >= 80);
        QVERIFY(load("/image/common/btn_arrow.png").width() / 4 <= 13);
        QVERIFY(load("/VEditSource/normal.png").width() / 4 <= 54);
        for (int i = 1; i <= 7; ++i) {
            const QString click = QStringLiteral("/Cursor/Click/%1.png").arg(i);
            const QString light = QStringLiteral("/Cursor/Hightlight/%1.png").arg(i);
            QVERIFY(load(qPrintable(click)).width() >= 48);
            QVERIFY(load(qPrintable(light)).width() >= 48);
        }
    }

    void mainWindowTitleBandLiesInsideItsCorners() {
        // The main window's background is cut at 38 pixels: its title band (top rows)
        // must differ from the body so that stretching keeps the band.
        const QImage background = load("/image/backgroud.png");
        QVERIFY(background.pixelColor(348, 20) != background.pixelColor(348, 100));
        QCOMPARE(background.pixelColor(348, 100), background.pixelColor(348, 150));
    }
};

QTEST_MAIN(TestGeneratedImages)
#include "tst_generatedimages.moc"
