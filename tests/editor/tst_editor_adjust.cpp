// The Adjust tab on a real playback controller, read back from screenshots of the
// preview: rotation and mirror steps, "Original Resolution" on an odd-sized video, typed
// crop sizes, a drag of the crop frame's edge followed by the size edits, the dashed
// frame drawn over the source, and files without a video size through every control.
#include "editor/QAdjustOperationForm.h"
#include "editor/QCommonButtonForm.h"
#include "editor/QMediaBorderFrame.h"
#include "media/QMediaElementWindow.h"
#include "media/ScaleEvenDimension.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/editor/DesktopHelpers.h"
#include "tests/editor/EditorFixtures.h"
#include "tests/editor/EditorRig.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using editorfixtures::isBlack;
using editorfixtures::isRed;

namespace {

// The editor stand-in on the Adjust tab: preview side by side above the tab.
struct AdjustRig : EditorRig {
    AdjustRig() {
        adjust = new QAdjustOperationForm(&window);
        adjust->setVideoEditingSettings(&settings);
        adjust->setGeometry(6, 540 - 56 - 128, 686 - 12, 128);
        trim->hide();
        bar->move(6, adjust->y() - 6 - 26);
        bar->show();
        pane->setGeometry(0, 55, 686, bar->y() - 55);
        pane->setMode(QMediaForm::Adjust);
        adjust->hide();
    }
    bool open(const QString& path) {
        const bool opened = load(path);
        pane->setMode(QMediaForm::Adjust);
        adjust->show();
        return opened;
    }
    VECropSettings crop() const {
        VECropSettings c;
        settings.getCrop(c);
        return c;
    }
    QAdjustOperationForm* adjust = nullptr;
};

// The bounding box of what is not black on the preview surface.
QRect pictureBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!isBlack(image.pixelColor(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// Waits for the preview to settle on a picture of the expected orientation; returns it.
QImage settledPreview(QWidget* preview, bool portrait) {
    QImage image;
    for (int i = 0; i < 60; ++i) {
        QTest::qWait(100);
        image = desktop::shot(preview);
        const QRect box = pictureBox(image);
        if (box.isValid() && (box.height() > box.width()) == portrait) {
            break;
        }
    }
    return image;
}

bool redAt(const QImage& image, const QRect& box, double fx, double fy) {
    return isRed(image.pixelColor(box.left() + int(box.width() * fx), box.top() + int(box.height() * fy)));
}

void clickButton(QAdjustOperationForm* adjust, const char* name) {
    QRZBaseButton* button = adjust->button(name);
    QVERIFY(desktoptest::click(button->mapToGlobal(button->rect().center())));
}

} // namespace

class TestEditorAdjust : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rotationsAndMirrors();
    void originalResolutionOnAnOddSize();
    void typedSizesAndTheDraggedFrame();
    void noVideoSizeChangesNothing();

private:
    QTemporaryDir m_dir;
    QString m_clip;
    QString m_odd;
    QString m_mp3;
    QString m_text;
};

void TestEditorAdjust::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("clip.mp4");
    m_odd = m_dir.filePath("odd.mp4");
    m_mp3 = m_dir.filePath("tone.mp3");
    m_text = m_dir.filePath("notes.mp4");
    QVERIFY(editorfixtures::makeQuadrantClip(m_clip, 640, 360, 10.0));
    QVERIFY(editorfixtures::makeQuadrantClip(m_odd, 1919, 1079, 1.0, QString(), QStringLiteral("yuv444p")));
    QVERIFY(editorfixtures::makeMp3(m_mp3, 3.0));
    QVERIFY(fixtures::writeFile(m_text, "not a media file\n"));
}

void TestEditorAdjust::rotationsAndMirrors() {
    AdjustRig rig;
    QVERIFY(rig.open(m_clip));
    QAdjustOperationForm* adjust = rig.adjust;
    QCOMPARE(adjust->originalSizeLabel()->text(), QStringLiteral("640 x 360"));
    QCOMPARE(adjust->widthEdit()->text(), QStringLiteral("640"));
    QCOMPARE(adjust->heightEdit()->text(), QStringLiteral("360"));
    QCOMPARE(adjust->aspectBox()->currentIndex(), 0);
    QWidget* preview = rig.pane->previewSurface();

    clickButton(adjust, "m_btnRotate_R_90");
    QCOMPARE(rig.crop().rotation, 90);
    QImage image = settledPreview(preview, true);
    desktop::keep(desktop::shot(&rig.window), QStringLiteral("editor_adjust_tab"));
    QRect box = pictureBox(image);
    QVERIFY2(box.height() > box.width(), qPrintable(QStringLiteral("%1x%2").arg(box.width()).arg(box.height())));
    QVERIFY(redAt(image, box, 0.75, 0.25));
    QVERIFY(!redAt(image, box, 0.25, 0.25));
    QVERIFY(!redAt(image, box, 0.75, 0.75));

    for (int turn = 0; turn < 3; ++turn) {
        clickButton(adjust, "m_btnRotate_R_90");
    }
    QCOMPARE(rig.crop().rotation, 0);
    image = settledPreview(preview, false);
    box = pictureBox(image);
    QVERIFY(box.width() > box.height());
    QVERIFY(redAt(image, box, 0.25, 0.25));

    // Mirrored: clockwise steps go 0, 270, 180, 90.
    clickButton(adjust, "m_btnFlipH");
    QCOMPARE(rig.crop().mirrored, 1);
    image = settledPreview(preview, false);
    box = pictureBox(image);
    QTRY_VERIFY(redAt(desktop::shot(preview), box, 0.75, 0.25));
    for (int expected : {270, 180, 90, 0}) {
        clickButton(adjust, "m_btnRotate_R_90");
        QCOMPARE(rig.crop().rotation, expected);
    }
    clickButton(adjust, "m_btnRotate_L_90");
    QCOMPARE(rig.crop().rotation, 90);
    // Flip Vertical twice returns rotation and mirror.
    const VECropSettings before = rig.crop();
    clickButton(adjust, "m_btnFlipV");
    QCOMPARE(rig.crop().rotation, (before.rotation + 180) % 360);
    QCOMPARE(rig.crop().mirrored, 1 - before.mirrored);
    clickButton(adjust, "m_btnFlipV");
    QCOMPARE(rig.crop().rotation, before.rotation);
    QCOMPARE(rig.crop().mirrored, before.mirrored);

    // Reset: the default record and the first aspect item.
    QRZBaseButton* reset = adjust->buttonStrip()->resetButton();
    QVERIFY(desktoptest::click(reset->mapToGlobal(reset->rect().center())));
    QVERIFY(rig.crop() == VECropSettings());
    QCOMPARE(adjust->aspectBox()->currentIndex(), 0);
}

void TestEditorAdjust::originalResolutionOnAnOddSize() {
    AdjustRig rig;
    QVERIFY(rig.open(m_odd));
    // The size is the player's: it may hand odd-sized pictures over made even.
    const QSize video = rig.settings.videoSize();
    QVERIFY(video.width() >= 1918 && video.height() >= 1078);
    QCOMPARE(rig.adjust->originalSizeLabel()->text(), QStringLiteral("%1 x %2").arg(video.width()).arg(video.height()));
    rig.adjust->aspectBox()->setCurrentIndex(QAdjustOperationForm::OriginalResolution);
    QCOMPARE(rig.crop().aspectMode, 1);
    // A factor of 1 keeps the size, odd or even.
    QCOMPARE(rig.crop().ratioWidth, video.width());
    QCOMPARE(rig.crop().ratioHeight, video.height());
    QCOMPARE(scaleEvenDimension(1.0, 1919), 1919u);
    QCOMPARE(scaleEvenDimension(0.5, 1919), 960u);
    VECropSettings half = rig.crop();
    half.pictureRect[2] = 0.5;
    rig.settings.setCrop(half);
    rig.adjust->aspectBox()->setCurrentIndex(QAdjustOperationForm::Wide);
    QCOMPARE(rig.crop().ratioWidth, 16);
    rig.adjust->aspectBox()->setCurrentIndex(QAdjustOperationForm::OriginalResolution);
    QCOMPARE(rig.crop().ratioWidth, 960); // 959 (or 959.5) made even
    // Pan Scan, then a fresh load shows item 5 and the second rectangle's size.
    rig.adjust->aspectBox()->setCurrentIndex(QAdjustOperationForm::PanScan);
    QCOMPARE(rig.crop().cropMode, 1);
    QCOMPARE(rig.crop().ratioWidth, 0);
    VECropSettings panScan = rig.crop();
    panScan.cropRect[2] = 0.25;
    rig.settings.setCrop(panScan);
    QAdjustOperationForm fresh;
    fresh.setVideoEditingSettings(&rig.settings);
    fresh.loadingSetting();
    QCOMPARE(fresh.aspectBox()->currentIndex(), 5);
    QCOMPARE(fresh.widthEdit()->text(), QString::number(int(video.width() * rig.crop().cropRect[2] + 0.5)));
}

void TestEditorAdjust::typedSizesAndTheDraggedFrame() {
    AdjustRig rig;
    QVERIFY(rig.open(m_clip));
    QRZLineEdit* width = rig.adjust->widthEdit();
    QVERIFY(desktoptest::click(width->mapToGlobal(width->rect().center())));
    QVERIFY(desktoptest::xdotool({"key", "ctrl+a"}));
    QVERIFY(desktoptest::xdotool({"type", "5"}));
    QTRY_COMPARE(width->text(), QStringLiteral("20"));
    QCOMPARE(rig.crop().pictureRect[2], 20.0 / 640.0);
    // Past the frame's right edge from its x: cut to the remaining space.
    VECropSettings shifted = rig.crop();
    shifted.pictureRect[0] = 0.5;
    rig.settings.setCrop(shifted);
    QVERIFY(desktoptest::click(width->mapToGlobal(width->rect().center())));
    QVERIFY(desktoptest::xdotool({"key", "ctrl+a"}));
    QVERIFY(desktoptest::xdotool({"type", "600"}));
    QTRY_COMPARE(width->text(), QStringLiteral("320"));
    QCOMPARE(rig.crop().pictureRect[2], 0.5);

    // Back to the whole picture, then the frame's right edge dragged 80 pixels left.
    QRZBaseButton* reset = rig.adjust->buttonStrip()->resetButton();
    QVERIFY(desktoptest::click(reset->mapToGlobal(reset->rect().center())));
    QTRY_COMPARE(width->text(), QStringLiteral("640"));
    QMediaBorderFrame* overlay = rig.pane->cropOverlay();
    QVERIFY(overlay->isVisible());
    QMediaDashedFrame* piece = overlay->cropPiece();
    QVERIFY(piece);
    QTest::qWait(300);
    // The dashed frame is drawn: white dots along its top edge.
    const QImage frame = desktop::shot(overlay);
    desktop::keep(frame, QStringLiteral("editor_adjust_crop_frame"));
    desktop::keep(desktop::screen(), QStringLiteral("editor_adjust_crop_frame_screen"));
    int white = 0;
    const QRect g = piece->geometry();
    for (int x = g.left() + 8; x < g.right() - 8; ++x) {
        for (int y = g.top(); y < g.top() + 6; ++y) {
            const QColor c = frame.pixelColor(x, y);
            white += c.red() > 230 && c.green() > 230 && c.blue() > 230 ? 1 : 0;
        }
    }
    QVERIFY2(white > g.width() / 4, qPrintable(QString::number(white)));
    const QPoint edge = overlay->mapToGlobal(QPoint(g.right(), g.center().y()));
    QVERIFY(desktoptest::drag(edge, edge - QPoint(80, 0)));
    QVERIFY2(rig.crop().pictureRect[2] < 0.85, qPrintable(QString::number(rig.crop().pictureRect[2])));
    QCOMPARE(width->text(), QString::number(int(640 * rig.crop().pictureRect[2] + 0.5)));
    QTRY_VERIFY(piece->geometry().width() < g.width() - 40);
}

void TestEditorAdjust::noVideoSizeChangesNothing() {
    for (const QString& path : {m_mp3, m_text}) {
        AdjustRig rig;
        rig.open(path);
        QAdjustOperationForm* adjust = rig.adjust;
        QCOMPARE(rig.settings.videoSize(), QSize(0, 0));
        QCOMPARE(adjust->originalSizeLabel()->text(), QStringLiteral("0 x 0"));
        const VECropSettings before = rig.crop();
        // Typed sizes: nothing changes, nothing that is not a number reaches the record.
        QRZLineEdit* width = adjust->widthEdit();
        QVERIFY(desktoptest::click(width->mapToGlobal(width->rect().center())));
        QVERIFY(desktoptest::xdotool({"key", "ctrl+a"}));
        QVERIFY(desktoptest::xdotool({"type", "300"}));
        QRZLineEdit* height = adjust->heightEdit();
        QVERIFY(desktoptest::click(height->mapToGlobal(height->rect().center())));
        QVERIFY(desktoptest::xdotool({"key", "ctrl+a"}));
        QVERIFY(desktoptest::xdotool({"type", "7"}));
        QTest::qWait(100);
        QVERIFY(rig.crop() == before);
        // Every other control still works on the record and keeps it finite.
        for (int index = 0; index <= 5; ++index) {
            adjust->aspectBox()->setCurrentIndex(index);
        }
        clickButton(adjust, "m_btnRotate_R_90");
        clickButton(adjust, "m_btnRotate_L_90");
        clickButton(adjust, "m_btnFlipH");
        clickButton(adjust, "m_btnFlipV");
        const VECropSettings after = rig.crop();
        for (int i = 0; i < 4; ++i) {
            QVERIFY(std::isfinite(after.pictureRect[i]) && std::isfinite(after.cropRect[i]));
        }
        QCOMPARE(after.pictureRect[2], 1.0);
        QCOMPARE(after.pictureRect[3], 1.0);
        adjust->cropAreaChange(after);
        QCOMPARE(width->text(), QStringLiteral("0"));
    }
}

QTEST_MAIN(TestEditorAdjust)
#include "tst_editor_adjust.moc"
