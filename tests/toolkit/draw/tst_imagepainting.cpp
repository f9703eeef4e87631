// Nine-grid drawing, strip frames, rounded outlines and the cached application folder.
#include "DrawTestSupport.h"

#include "toolkit/ImagePainting.h"

#include <QDir>
#include <QTest>

using namespace drawtest;

class TestImagePainting : public QObject {
    Q_OBJECT

private:
    static QImage paintInto(const QSize& size, const QImage& image, bool split) {
        QImage target(size, QImage::Format_ARGB32);
        target.fill(Qt::black);
        QPainter painter(&target);
        drawNineGrid(&painter, QRect(QPoint(0, 0), size), image, split);
        return target;
    }

private slots:
    void nineGridKeepsCornersAndStretchesTheMiddle() {
        // Corners are a third of the smaller of image and target: 60 wide target -> 20.
        const QImage source = nineCells(90, 30, 20, 10);
        const QImage result = paintInto(QSize(60, 30), source, true);
        // Corner columns 0..19 and 40..59 copy the image's corners unscaled.
        QCOMPARE(at(result, 0, 0), at(source, 0, 0));
        QCOMPARE(at(result, 19, 9), at(source, 19, 9));
        QCOMPARE(at(result, 40, 0), at(source, 70, 0));
        QCOMPARE(at(result, 59, 29), at(source, 89, 29));
        QCOMPARE(at(result, 0, 29), at(source, 0, 29));
        // The 50-pixel middle of the image is squeezed into 20 target pixels.
        QCOMPARE(at(result, 30, 15), at(source, 45, 15));
        QCOMPARE(at(result, 30, 0), at(source, 45, 0));
    }

    void nineGridIntoTheImageSizeIsAnExactCopy() {
        const QImage source = nineCells(48, 24, 16, 8);
        const QImage result = paintInto(source.size(), source, true);
        QCOMPARE(result.convertToFormat(QImage::Format_ARGB32), source.convertToFormat(QImage::Format_ARGB32));
    }

    void nineGridGrowsWithoutScalingCorners() {
        const QImage source = nineCells(30, 30, 10, 10);
        const QImage result = paintInto(QSize(200, 100), source, true);
        QCOMPARE(at(result, 9, 9), at(source, 9, 9));
        QCOMPARE(at(result, 190, 90), at(source, 20, 20));
        QCOMPARE(at(result, 100, 5), at(source, 15, 5));
        QCOMPARE(at(result, 5, 50), at(source, 5, 15));
        QCOMPARE(at(result, 100, 50), at(source, 15, 15));
    }

    void wholeImageStretchesCornersToo() {
        const QImage source = nineCells(30, 30, 10, 10);
        const QImage result = paintInto(QSize(90, 90), source, false);
        // Stretched three times: the image's corner cell now covers 30 pixels.
        QCOMPARE(at(result, 25, 25), at(source, 5, 5));
        QCOMPARE(at(result, 45, 45), at(source, 15, 15));
    }

    void stripFramesAreQuartersOfTheStrip() {
        const QImage strip = solidStrip({Qt::red, Qt::green, Qt::blue, Qt::yellow}, 25, 10);
        QCOMPARE(stripFrame(strip, 2).size(), QSize(25, 10));
        QCOMPARE(stripFrame(strip, 2).pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(stripFrame(strip, 3).pixelColor(24, 9), QColor(Qt::yellow));
        QVERIFY(stripFrame(QImage(), 1).isNull());
    }

    void roundedRectRadiusIsLimitedToHalfTheSmallerSide() {
        const QPainterPath path = roundedRectPath(0, 0, 40, 11, 50);
        // Radius limited to 11 / 2 = 5 (integer half): the top edge starts 5 from the left.
        QCOMPARE(path.elementAt(1).x, 5.0);
        QCOMPARE(path.elementAt(0).x, 35.0);
        QCOMPARE(path.boundingRect(), QRectF(0, 0, 40, 11));
        const QPainterPath small = roundedRectPath(0, 0, 40, 20, 3);
        QCOMPARE(small.elementAt(1).x, 3.0);
    }

    void appDirIsCachedAcrossDirectoryChanges() {
        const QString first = toolkitAppDirPath();
        QCOMPARE(first, QCoreApplication::applicationDirPath());
        const QString before = QDir::currentPath();
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        QCOMPARE(toolkitAppDirPath(), first);
        QDir::setCurrent(before);
    }

    void undecodableFilesLoadAsMissing() {
        QTemporaryDir dir;
        QFile file(dir.filePath("broken.png"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        QVERIFY(loadToolkitImage(file.fileName()).isNull());
        QVERIFY(loadToolkitImage(dir.filePath("absent.png")).isNull());
        QVERIFY(loadToolkitImage(dir.path()).isNull());
    }
};

QTEST_MAIN(TestImagePainting)
#include "tst_imagepainting.moc"
