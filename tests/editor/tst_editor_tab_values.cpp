// The values the effect, watermark, subtitle, audio and tags tabs and the two text style
// dialogs store in the settings holder when a user drags, types and clicks, without a
// player: the rules of each control, the pack lists' selection, and the tags' change
// and cover rules.
#include "editor/QAudioOperationForm.h"
#include "editor/QAudioTagForm.h"
#include "editor/QEffectOperationForm.h"
#include "editor/QHorizontalListFrom.h"
#include "editor/QSubtitleOperationForm.h"
#include "editor/QTextStyleSettingDlg.h"
#include "editor/QVideoEditingSettings.h"
#include "editor/QWatermarkOperationForm.h"
#include "editor/VEEffectPack.h"
#include "tests/editor/TabTestSupport.h"
#include "tests/support/PrivateUserFolders.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZSpinBox.h"
#include "toolkit/QRZTextEdit.h"

#include <QBuffer>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <cmath>

using tabtest::child;
using tabtest::chooseFile;
using tabtest::typeInto;

namespace {

// Pastes a whole text into an edit at once (typed key by key, a box that rewrites out of
// range values would see "1" before "10").
void pasteInto(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    emit edit->textEdited(text);
}

// Moves a slider the way its handle does: the slider reports the new fraction.
void drag(QRZBaseSlider* slider, double fraction) {
    slider->setValue(fraction * slider->maximum());
    emit slider->sendProgressValue(fraction);
}

void sizedConfig(QVideoEditingSettings* settings, int width, int height) {
    VEEditConfig config;
    config.sourceWidth = width;
    config.sourceHeight = height;
    settings->setEditConfig(config);
}

VEWatermarkSettings watermarkOf(const QVideoEditingSettings& s) {
    VEWatermarkSettings record;
    s.getWatermark(record);
    return record;
}

} // namespace

class TestEditorTabValues : public QObject {
    Q_OBJECT

private slots:
    void effectSlidersAndBoxes();
    void effectPacksFollowTheVideoShape();
    void effectPackZeroAppliesOnAFreshRecord();
    void effectWithoutAVideoSizeTakesTheWholePicture();
    void watermarkTransparency();
    void watermarkTextAndPicture();
    void styleDialogSpinsColoursAndReset();
    void subtitleFilesAndScale();
    void subtitleTransparencyMarginAndReset();
    void audioVolumeWeightAndPacks();
    void tagsPairsAndDates();
    void tagsChangeRules();
    void tagsCoverRules();

private:
    // The file dialogs keep their last folders in the user's configuration.
    PrivateUserFolders m_folders;
};

void TestEditorTabValues::effectSlidersAndBoxes() {
    QVideoEditingSettings settings;
    QEffectOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    auto* brightness = child<QRZBaseSlider>(&tab, "m_sliderBrightness");
    auto* hue = child<QRZBaseSlider>(&tab, "m_sliderHue");
    auto* brightnessBox = child<QRZLineEdit>(&tab, "m_leBrightnessValue");
    auto* contrastBox = child<QRZLineEdit>(&tab, "m_leConstrastValue");
    auto* hueBox = child<QRZLineEdit>(&tab, "m_leHueValue");
    VEAdjustSettings adjust;
    // A fresh record loads the neutral middle.
    QCOMPARE(brightness->maximum(), 200.0);
    QCOMPARE(brightness->value(), 100.0);
    QCOMPARE(hue->value(), 100.0);

    // The middle of the track snaps to the neutral value.
    drag(brightness, 0.2);
    drag(hue, 0.2);
    drag(brightness, 0.50);
    drag(hue, 0.505);
    settings.getAdjust(adjust);
    QCOMPARE(adjust.brightness, 0);
    QCOMPARE(adjust.hue, 0);
    QCOMPARE(brightnessBox->text(), QStringLiteral("100"));
    drag(brightness, 0.0);
    settings.getAdjust(adjust);
    QCOMPARE(adjust.brightness, -255);

    typeInto(brightnessBox, QStringLiteral("0150"));
    QCOMPARE(brightnessBox->text(), QStringLiteral("150"));
    typeInto(brightnessBox, QStringLiteral("250"));
    settings.getAdjust(adjust);
    QCOMPARE(adjust.brightness, 255); // taken as 200
    typeInto(brightnessBox, QString());
    QCOMPARE(brightnessBox->text(), QStringLiteral("0"));
    settings.getAdjust(adjust);
    QCOMPARE(adjust.brightness, -255);

    typeInto(contrastBox, QStringLiteral("150"));
    settings.getAdjust(adjust);
    QCOMPARE(adjust.contrast, 200);
    typeInto(hueBox, QStringLiteral("200"));
    settings.getAdjust(adjust);
    QCOMPARE(adjust.hue, 180);
    drag(hue, 0.2);
    drag(hue, 1.0);
    settings.getAdjust(adjust);
    QCOMPARE(adjust.hue, 180); // the slider's right end stores the same

    // A contrast stored as 200 loads back as 150.
    tab.loadingSetting();
    QCOMPARE(contrastBox->text(), QStringLiteral("150"));
    QCOMPARE(hueBox->text(), QStringLiteral("200"));
    QCOMPARE(brightnessBox->text(), QStringLiteral("0"));
}

void TestEditorTabValues::effectPacksFollowTheVideoShape() {
    QVideoEffectManager effects;
    QFrameChunkManager frames;
    VEEffectPack* frame = frames.packAt(0);
    QVERIFY(frame);
    QVERIFY(QEffectOperationForm::overlayImagePath(*frame, 16.0 / 9).endsWith(QLatin1String("_16x9.png")));
    QVERIFY(QEffectOperationForm::overlayImagePath(*frame, 4.0 / 3).endsWith(QLatin1String("_4x3.png")));
    QVERIFY(QEffectOperationForm::overlayImagePath(*frame, 0.5).endsWith(QLatin1String("_9x16.png")));
    QVERIFY(QEffectOperationForm::overlayImagePath(*frame, 1.1).endsWith(QLatin1String("_1x1.png")));
    VEEffectPack empty;
    QVERIFY(QEffectOperationForm::overlayImagePath(empty, 1.0).isEmpty());

    QVideoEditingSettings settings;
    sizedConfig(&settings, 320, 240);
    QEffectOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    auto* effectList = child<QHorizontalListFrom>(&tab, "m_effectsList");
    auto* frameList = child<QHorizontalListFrom>(&tab, "m_frameList");
    QCOMPARE(effectList->count(), effects.packs().size());
    QCOMPARE(frameList->count(), frames.packs().size());

    QTest::mouseClick(frameList->itemAt(1), Qt::LeftButton);
    VEWatermarkSettings record;
    settings.getWatermark2(record);
    QCOMPARE(QString::fromStdString(record.image.imagePath),
             QEffectOperationForm::overlayImagePath(*frames.packAt(1), 4.0 / 3));
    QCOMPARE(record.image.listIndex, 1);
    QVERIFY(QFile::exists(QString::fromStdString(record.image.imagePath)));

    // An effect on a 4:3 video takes the 4:3 picture whole; cut from a 16:9 picture it
    // would keep the middle three quarters of its width.
    QTest::mouseClick(effectList->itemAt(2), Qt::LeftButton);
    settings.getWatermark1(record);
    QVERIFY(QString::fromStdString(record.image.imagePath).endsWith(QLatin1String("_4x3.png")));
    QCOMPARE(record.image.listIndex, 2);
    QCOMPARE(record.image.kind, effects.packAt(2)->frameInfo.files[1].Type);
    double rect[4];
    QEffectOperationForm::centredCrop(320, 240, 640, 360, rect);
    QVERIFY(std::abs(rect[2] - 0.75) < 1e-9 && std::abs(rect[0] - 0.125) < 1e-9 && rect[1] == 0.0 && rect[3] == 1.0);
    QEffectOperationForm::centredCrop(640, 360, 480, 480, rect);
    QVERIFY(std::abs(rect[3] - 0.5625) < 1e-9 && std::abs(rect[1] - 0.21875) < 1e-9 && rect[2] == 1.0);

    // A new load shows the chosen packs; Reset clears both and shows no selection.
    tab.loadingSetting();
    QCOMPARE(effectList->currentIndex(), 2);
    QCOMPARE(frameList->currentIndex(), 1);
    QMetaObject::invokeMethod(child<QWidget>(&tab, "m_buttonFrom"), "emitReset");
    settings.getWatermark1(record);
    QVERIFY(record.image.imagePath.empty());
    QCOMPARE(effectList->currentIndex(), -1);
    QCOMPARE(frameList->currentIndex(), -1);
}

void TestEditorTabValues::effectPackZeroAppliesOnAFreshRecord() {
    QVideoEditingSettings settings;
    sizedConfig(&settings, 640, 360);
    QEffectOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    auto* effectList = child<QHorizontalListFrom>(&tab, "m_effectsList");
    auto* frameList = child<QHorizontalListFrom>(&tab, "m_frameList");
    // Nothing is applied, so nothing shows as chosen...
    QCOMPARE(effectList->currentIndex(), -1);
    QCOMPARE(frameList->currentIndex(), -1);
    // ...and the first pack can be chosen by a click.
    QTest::mouseClick(effectList->itemAt(0), Qt::LeftButton);
    VEWatermarkSettings record;
    settings.getWatermark1(record);
    QVERIFY(QString::fromStdString(record.image.imagePath).endsWith(QLatin1String("_16x9.png")));
    QCOMPARE(record.image.listIndex, 0);
    QTest::mouseClick(frameList->itemAt(0), Qt::LeftButton);
    settings.getWatermark2(record);
    QVERIFY(!record.image.imagePath.empty());
}

void TestEditorTabValues::effectWithoutAVideoSizeTakesTheWholePicture() {
    QVideoEditingSettings settings; // 0 x 0: a sound file
    QEffectOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    QTest::mouseClick(child<QHorizontalListFrom>(&tab, "m_effectsList")->itemAt(0), Qt::LeftButton);
    VEWatermarkSettings record;
    settings.getWatermark1(record);
    for (double part : record.image.rect) {
        QVERIFY(std::isfinite(part));
    }
    QCOMPARE(record.image.rect[2], 1.0);
    QCOMPARE(record.image.rect[3], 1.0);
    // A pack picture without a size likewise.
    double rect[4];
    QEffectOperationForm::centredCrop(640, 360, 0, 0, rect);
    QCOMPARE(rect[0], 0.0);
    QCOMPARE(rect[2], 1.0);
}

void TestEditorTabValues::watermarkTransparency() {
    QVideoEditingSettings settings;
    QWatermarkOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    auto* alphaBox = child<QRZLineEdit>(&tab, "m_leAlphaValue");
    auto* textAlphaBox = child<QRZLineEdit>(&tab, "m_leTextAlphaValue");
    auto* slider = child<QRZBaseSlider>(&tab, "m_sliderAlpha");
    auto* textSlider = child<QRZBaseSlider>(&tab, "m_sliderTextAlpha");

    typeInto(alphaBox, QStringLiteral("50"));
    QCOMPARE(watermarkOf(settings).image.alpha, 128);
    QCOMPARE(slider->value(), 128.0);
    QCOMPARE(alphaBox->text(), QStringLiteral("50"));
    typeInto(textAlphaBox, QStringLiteral("150"));
    QCOMPARE(watermarkOf(settings).text.alpha, 255);
    QCOMPARE(textAlphaBox->text(), QStringLiteral("100"));
    // The box takes digits only; a negative number that still arrives is clamped at 0.
    emit textAlphaBox->textEdited(QStringLiteral("-20"));
    QCOMPARE(watermarkOf(settings).text.alpha, 0);
    QCOMPARE(textAlphaBox->text(), QStringLiteral("0"));
    textAlphaBox->setText(QString());
    emit textAlphaBox->textEdited(QStringLiteral("abc"));
    QCOMPARE(watermarkOf(settings).text.alpha, 0);

    drag(textSlider, 0.5);
    QCOMPARE(watermarkOf(settings).text.alpha, 128);
    QCOMPARE(textAlphaBox->text(), QStringLiteral("50"));
    textAlphaBox->setText(QStringLiteral("7"));
    drag(textSlider, 0.5); // the stored value again: nothing stored, the box rewritten
    QCOMPARE(textAlphaBox->text(), QStringLiteral("50"));

    // Both ways round to the nearest: the next load shows the typed 50 again.
    tab.loadingSetting();
    QCOMPARE(alphaBox->text(), QStringLiteral("50"));
}

void TestEditorTabValues::watermarkTextAndPicture() {
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("mark.png"));
    QImage image(80, 40, QImage::Format_RGB32);
    image.fill(Qt::green);
    QVERIFY(image.save(picture));
    QVideoEditingSettings settings;
    QWatermarkOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    auto* text = child<QRZTextEdit>(&tab, "m_leAddWKText");
    auto* remove = child<QRZBaseButton>(&tab, "m_btnDelete");
    QTest::keyClicks(text->textEdit(), QStringLiteral("Hello"));
    QCOMPARE(QString::fromStdString(watermarkOf(settings).text.text), QStringLiteral("Hello"));
    QVERIFY(remove->isHidden());

    typeInto(child<QRZLineEdit>(&tab, "m_leAlphaValue"), QStringLiteral("40"));
    QSignalSpy opened(&tab, &QWatermarkOperationForm::emitOpenDlg);
    chooseFile(picture);
    QTest::mouseClick(child<QWidget>(&tab, "m_btnAddWKImg"), Qt::LeftButton);
    QCOMPARE(opened.count(), 2);
    QCOMPARE(QString::fromStdString(watermarkOf(settings).image.imagePath), picture);
    QVERIFY(!remove->isHidden());
    QVERIFY(child<QRZButtonExtend>(&tab, "m_btnAddWKImg")->hasPicture());
    // Delete keeps the alpha; a new picture then uses it.
    QTest::mouseClick(remove, Qt::LeftButton);
    QVERIFY(watermarkOf(settings).image.imagePath.empty());
    QCOMPARE(watermarkOf(settings).image.alpha, 102);
    QVERIFY(remove->isHidden());
    // A cancelled dialog changes nothing.
    tabtest::answerNextDialog<QFileDialog>(
        [](QFileDialog* dialog) { static_cast<QDialog*>(dialog)->done(QDialog::Rejected); });
    QTest::mouseClick(child<QWidget>(&tab, "m_btnAddWKImg"), Qt::LeftButton);
    QVERIFY(watermarkOf(settings).image.imagePath.empty());

    QSignalSpy styleAsked(&tab, &QWatermarkOperationForm::emitWatermartTextSetting);
    QTest::mouseClick(child<QWidget>(&tab, "m_btnSetWKTFont"), Qt::LeftButton);
    QCOMPARE(styleAsked.count(), 1);

    QMetaObject::invokeMethod(&tab, "reset");
    QVERIFY(watermarkOf(settings).text.text.empty());
    QCOMPARE(watermarkOf(settings).image.alpha, 255);
    QVERIFY(text->textEdit()->toPlainText().isEmpty());
}

void TestEditorTabValues::styleDialogSpinsColoursAndReset() {
    QVideoEditingSettings settings;
    QWatermartTextSettingDlg dialog;
    dialog.setVideoEditingSettings(&settings);
    dialog.show();
    auto* offset = child<QRZDoubleSpinBox>(&dialog, "m_dspShadowOff");
    auto* spacing = child<QRZDoubleSpinBox>(&dialog, "m_dspSpacingV");
    QCOMPARE(offset->value(), 0.5);
    offset->stepUp();
    QCOMPARE(watermarkOf(settings).text.shadowOffset, 0.6);
    offset->setValue(0.61); // a change of 0.01: dropped
    QCOMPARE(watermarkOf(settings).text.shadowOffset, 0.6);
    spacing->stepDown();
    QVERIFY(std::abs(watermarkOf(settings).text.spacingVertical + 0.1) < 1e-9);

    // Colour with alpha 128, red 255.
    tabtest::answerNextDialog<QColorDialog>([](QColorDialog* colours) {
        colours->setCurrentColor(QColor(255, 0, 0, 128));
        colours->accept();
    });
    auto* textColour = child<QRZButtonExtend>(&dialog, "m_btnTextColor");
    QTest::mouseClick(textColour, Qt::LeftButton);
    QCOMPARE(uint32_t(watermarkOf(settings).text.fontColour), 0x80FF0000u);
    // The swatch shows it (over the button's dark face, half red).
    const QColor swatch = textColour->grab().toImage().pixelColor(12, 10);
    QVERIFY2(swatch.red() > 120 && swatch.green() < 100, qPrintable(swatch.name()));
    // A cancelled colour dialog keeps colour and swatch.
    tabtest::answerNextDialog<QColorDialog>([](QColorDialog* colours) { colours->reject(); });
    QTest::mouseClick(textColour, Qt::LeftButton);
    QCOMPARE(uint32_t(watermarkOf(settings).text.fontColour), 0x80FF0000u);

    // Reset after a bold 40 pt font keeps both and empties the family.
    VEWatermarkSettings record = watermarkOf(settings);
    record.text.fontName = "DejaVu Sans";
    record.text.bold = 1;
    record.text.fontSize = 40;
    settings.setWatermark(record, 1, false);
    QMetaObject::invokeMethod(&dialog, "onReset");
    record = watermarkOf(settings);
    QCOMPARE(record.text.bold, 1);
    QCOMPARE(record.text.fontSize, 40);
    QVERIFY(record.text.fontName.empty());
    QCOMPARE(uint32_t(record.text.fontColour), 0xFFFFFFFFu);
    QCOMPARE(uint32_t(record.text.shadowColour), 0x80000000u);
    QCOMPARE(record.text.spacingHorizontal, 0.05);
    QCOMPARE(child<QRZBaseButton>(&dialog, "m_btnFont")->text(), QStringLiteral("Default"));

    // Cancel keeps what was stored; the watermark dialog reports its closing.
    QSignalSpy closed(&dialog, &QWatermartTextSettingDlg::emitDlgClose);
    offset->setValue(3.0);
    QTest::mouseClick(child<QWidget>(&dialog, "m_btnCancel"), Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(watermarkOf(settings).text.shadowOffset, 3.0);

    // The subtitle twin edits the subtitle style.
    QSubtitleSettingDlg subtitles;
    subtitles.setVideoEditingSettings(&settings);
    subtitles.show();
    child<QRZDoubleSpinBox>(&subtitles, "m_dspOutlineSize")->stepUp();
    VETextStyle style;
    settings.getTextStyle(style);
    QCOMPARE(style.outlineSize, 1.1);
    QCOMPARE(watermarkOf(settings).text.outlineSize, 1.0);
}

void TestEditorTabValues::subtitleFilesAndScale() {
    QTemporaryDir dir;
    const QString movie = dir.filePath(QStringLiteral("movie.en.srt"));
    QVERIFY(QFile(movie).open(QIODevice::WriteOnly));
    QVideoEditingSettings settings;
    QSubtitleOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    auto* list = child<QRZComboBox>(&tab, "m_cbbSubtitleList");
    QSignalSpy added(&tab, &QSubtitleOperationForm::emitAddSubtitleToCmb);

    chooseFile(movie);
    QTest::mouseClick(child<QWidget>(&tab, "m_btnSetFamily"), Qt::LeftButton);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentText(), QStringLiteral("(movie.en)[SRT]"));
    QCOMPARE(added.count(), 1);
    QCOMPARE(child<QRZLineEdit>(&tab, "m_leFamilyPath")->text(), movie);
    QList<VEStringPair> tracks;
    settings.getStringPairs(tracks);
    QCOMPARE(tracks.size(), 1);
    QCOMPARE(QString::fromStdString(tracks[0].data), movie);
    VESubtitleTrack track;
    settings.getSubtitleTrack(track);
    QCOMPARE(QString::fromStdString(track.data), movie); // the preview is told to show it

    // The same file again only selects it.
    const QString other = dir.filePath(QStringLiteral("other.ass"));
    QVERIFY(QFile(other).open(QIODevice::WriteOnly));
    chooseFile(other);
    QTest::mouseClick(child<QWidget>(&tab, "m_btnSetFamily"), Qt::LeftButton);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentText(), QStringLiteral("(other)[ASS]"));
    chooseFile(movie);
    QTest::mouseClick(child<QWidget>(&tab, "m_btnSetFamily"), Qt::LeftButton);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(added.count(), 2);
    settings.getSubtitleTrack(track);
    QCOMPARE(track.subtitleChoice, 0);
    QCOMPARE(QString::fromStdString(track.data), movie);

    auto* scaleBox = child<QRZLineEdit>(&tab, "m_leScaleValue");
    auto* scale = child<QRZBaseSlider>(&tab, "m_sliderScale");
    VETextStyle style;
    pasteInto(scaleBox, QStringLiteral("10"));
    settings.getTextStyle(style);
    QCOMPARE(scaleBox->text(), QStringLiteral("25"));
    QCOMPARE(style.scaleHorizontal, 25);
    QCOMPARE(style.scaleVertical, 25);
    QCOMPARE(scale->value(), 0.0);
    pasteInto(scaleBox, QStringLiteral("200"));
    settings.getTextStyle(style);
    QCOMPARE(style.scaleHorizontal, 200);
    QCOMPARE(scale->value(), 3000.0);
    typeInto(scaleBox, QString());
    settings.getTextStyle(style);
    QCOMPARE(style.scaleHorizontal, 25);
    for (double fraction : {0.491, 0.5, 0.509}) {
        drag(scale, fraction);
        settings.getTextStyle(style);
        QCOMPARE(style.scaleHorizontal, 100);
    }
    drag(scale, 0.0);
    settings.getTextStyle(style);
    QCOMPARE(style.scaleHorizontal, 25);
    drag(scale, 1.0);
    settings.getTextStyle(style);
    QCOMPARE(style.scaleHorizontal, 400);
}

void TestEditorTabValues::subtitleTransparencyMarginAndReset() {
    QVideoEditingSettings settings;
    QList<VEStringPair> tracks{{"(a)[SRT]", "/nowhere/a.srt"}, {"(b)[SRT]", "/nowhere/b.srt"}};
    settings.setStringPairs(tracks);
    QSubtitleOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    auto* alphaBox = child<QRZLineEdit>(&tab, "m_leAlphaValue");
    auto* marginBox = child<QRZLineEdit>(&tab, "m_lePositionValue");
    VETextStyle style;
    typeInto(alphaBox, QStringLiteral("150"));
    settings.getTextStyle(style);
    QCOMPARE(alphaBox->text(), QStringLiteral("100"));
    QCOMPARE(style.alpha, 255);
    typeInto(alphaBox, QStringLiteral("50"));
    settings.getTextStyle(style);
    QCOMPARE(style.alpha, 128);
    tab.loadingSetting();
    QCOMPARE(alphaBox->text(), QStringLiteral("50"));
    typeInto(alphaBox, QString());
    settings.getTextStyle(style);
    QCOMPARE(style.alpha, 0);
    QCOMPARE(alphaBox->text(), QStringLiteral("0"));
    typeInto(marginBox, QStringLiteral("20"));
    settings.getTextStyle(style);
    QCOMPARE(style.margin, 0.2);
    QCOMPARE(child<QRZBaseSlider>(&tab, "m_sliderPosition")->value(), 200.0);
    QTest::mouseClick(child<QWidget>(&tab, "m_rbtnTop"), Qt::LeftButton);
    settings.getTextStyle(style);
    QCOMPARE(style.positionCode, 16);
    QTest::mouseClick(child<QWidget>(&tab, "m_rbtnMiddle"), Qt::LeftButton);
    settings.getTextStyle(style);
    QCOMPARE(style.positionCode, 32);

    // The loaded list stores a choice.
    child<QRZComboBox>(&tab, "m_cbbSubtitleList")->setCurrentIndex(1);
    VESubtitleTrack track;
    settings.getSubtitleTrack(track);
    QCOMPARE(track.subtitleChoice, 1);
    QCOMPARE(track.data, std::string("/nowhere/b.srt"));

    QMetaObject::invokeMethod(&tab, "reset");
    settings.getTextStyle(style);
    QCOMPARE(style.alpha, 255);
    QCOMPARE(style.margin, 0.05);
    QCOMPARE(style.positionCode, 0);
    QCOMPARE(alphaBox->text(), QStringLiteral("100"));
    QCOMPARE(marginBox->text(), QStringLiteral("5"));
    QCOMPARE(child<QRZLineEdit>(&tab, "m_leScaleValue")->text(), QStringLiteral("100"));
    QVERIFY(child<QAbstractButton>(&tab, "m_rbtnBottom")->isChecked());
    settings.getSubtitleTrack(track);
    QCOMPARE(track.subtitleChoice, 0);
}

void TestEditorTabValues::audioVolumeWeightAndPacks() {
    QVideoEditingSettings settings;
    QAudioOperationForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    auto* volumeBox = child<QRZLineEdit>(&tab, "m_leVolumeValue");
    auto* weightBox = child<QRZLineEdit>(&tab, "m_leBgVoiceValue");
    auto* list = child<QHorizontalListFrom>(&tab, "m_effectsList");
    VEAudioSettings audio;
    VEAudioEffect effect;

    typeInto(volumeBox, QStringLiteral("250"));
    QCOMPARE(volumeBox->text(), QStringLiteral("200"));
    settings.getAudioSettings(audio);
    settings.getAudioEffect(effect);
    QCOMPARE(audio.volume, 200);
    QCOMPARE(effect.volume, 200);
    typeInto(weightBox, QStringLiteral("150"));
    QCOMPARE(weightBox->text(), QStringLiteral("100"));
    settings.getAudioSettings(audio);
    QCOMPARE(audio.weight, 100);
    drag(child<QRZBaseSlider>(&tab, "m_sliderVolume"), 0.0);
    settings.getAudioSettings(audio);
    QCOMPARE(audio.volume, 0);

    // A fresh record shows no pack; the first pack can be chosen.
    QCOMPARE(list->currentIndex(), -1);
    QAudioEffectManager packs;
    QTest::mouseClick(list->itemAt(0), Qt::LeftButton);
    settings.getAudioEffect(effect);
    QCOMPARE(effect.effectIndex, 0);
    QCOMPARE(effect.curves.count, packs.packAt(0)->eq.size());
    QCOMPARE(effect.curves.frequencies[0], packs.packAt(0)->eq.firstKey());
    int fast = -1;
    for (int i = 0; i < packs.packs().size(); ++i) {
        fast = packs.packAt(i)->Rate == 150 ? i : fast;
    }
    QVERIFY(fast >= 0);
    QTest::mouseClick(list->itemAt(fast), Qt::LeftButton);
    settings.getAudioEffect(effect);
    QCOMPARE(effect.rate, 150);
    QCOMPARE(effect.effectIndex, fast);

    // Filling the track list during a load stores no track change.
    VEEditConfig config;
    settings.getEditConfig(config);
    config.audioTrackNames = QStringList{QStringLiteral("one"), QStringLiteral("two")};
    config.stream.audioTrack = 1;
    settings.setEditConfig(config);
    tab.loadingSetting();
    VESubtitleTrack track;
    settings.getSubtitleTrack(track);
    QCOMPARE(track.audioTrack, 1);
    QCOMPARE(child<QRZComboBox>(&tab, "m_cbbAudioList")->currentIndex(), 1);
    child<QRZComboBox>(&tab, "m_cbbAudioList")->setCurrentIndex(0);
    settings.getSubtitleTrack(track);
    QCOMPARE(track.audioTrack, 0);

    QMetaObject::invokeMethod(&tab, "reset");
    settings.getAudioSettings(audio);
    settings.getAudioEffect(effect);
    QCOMPARE(audio.volume, 100);
    QCOMPARE(audio.weight, 50);
    QCOMPARE(effect.rate, 100);
    QCOMPARE(effect.curves.count, 0);
    QCOMPARE(list->currentIndex(), -1);
}

void TestEditorTabValues::tagsPairsAndDates() {
    QString n;
    QString m;
    QAudioTagForm::splitPair(QStringLiteral("3\\12"), &n, &m);
    QCOMPARE(n + "|" + m, QStringLiteral("3|12"));
    QAudioTagForm::splitPair(QStringLiteral("7"), &n, &m);
    QCOMPARE(n + "|" + m, QStringLiteral("7|0"));
    QAudioTagForm::splitPair(QStringLiteral("/4"), &n, &m);
    QCOMPARE(n + "|" + m, QStringLiteral("0|4"));
    QAudioTagForm::splitPair(QString(), &n, &m);
    QCOMPARE(n + "|" + m, QStringLiteral("0|0"));
    QCOMPARE(QAudioTagForm::joinPair("5", "0"), QStringLiteral("5"));
    QCOMPARE(QAudioTagForm::joinPair("0", "7"), QString());
    QCOMPARE(QAudioTagForm::joinPair("03", "012"), QStringLiteral("3/12"));

    QVideoEditingSettings settings;
    VEAudioTagInfo tags;
    tags.title = "Song";
    tags.track = "3\\12";
    tags.date = "2016-05-01";
    tags.genre = "Chiptune";
    settings.setTags(tags);
    QAudioTagForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    QCOMPARE(child<QRZLineEdit>(&tab, "m_editTrack1")->text(), QStringLiteral("3"));
    QCOMPARE(child<QRZLineEdit>(&tab, "m_editTrack2")->text(), QStringLiteral("12"));
    QCOMPARE(child<QRZLineEdit>(&tab, "m_editYear")->text(), QStringLiteral("2016"));
    QCOMPARE(child<QRZComboBox>(&tab, "m_editGenre")->currentText(), QStringLiteral("Chiptune"));
    settings.getTags(tags);
    QCOMPARE(tags.track, std::string("3/12"));
    QCOMPARE(tags.year, std::string("2016"));
    // What the load rewrote is what the user saw: no change.
    QVERIFY(!tab.isTagsChanged());

    // The information reader puts the whole date into an empty year.
    QVideoEditingSettings dated;
    tags = VEAudioTagInfo();
    tags.year = "2016-05-01";
    dated.setTags(tags);
    QAudioTagForm datedTab;
    datedTab.setVideoEditingSettings(&dated);
    datedTab.show();
    QCOMPARE(child<QRZLineEdit>(&datedTab, "m_editYear")->text(), QStringLiteral("2016"));

    typeInto(child<QRZLineEdit>(&tab, "m_editTrack2"), QStringLiteral("0"));
    settings.getTags(tags);
    QCOMPARE(tags.track, std::string("3"));
    typeInto(child<QRZLineEdit>(&tab, "m_editDisc1"), QStringLiteral("1"));
    typeInto(child<QRZLineEdit>(&tab, "m_editDisc2"), QStringLiteral("2"));
    settings.getTags(tags);
    QCOMPARE(tags.disc, std::string("1/2"));
    auto* genre = child<QRZComboBox>(&tab, "m_editGenre");
    genre->lineEdit()->selectAll();
    QTest::keyClicks(genre->lineEdit(), QStringLiteral("Sea shanty"));
    settings.getTags(tags);
    QCOMPARE(tags.genre, std::string("Sea shanty"));
}

void TestEditorTabValues::tagsChangeRules() {
    QVideoEditingSettings settings;
    VEAudioTagInfo tags;
    tags.title = "Song";
    tags.artist = "Band";
    settings.setTags(tags);
    QAudioTagForm tab;
    tab.setVideoEditingSettings(&settings);
    // Never shown (every video file): nothing to report.
    QVERIFY(!tab.isTagsChanged());
    tab.show();
    QVERIFY(!tab.isTagsChanged());
    auto* title = child<QRZLineEdit>(&tab, "m_editTitle");
    typeInto(title, QStringLiteral("Other"));
    QVERIFY(tab.isTagsChanged());
    typeInto(title, QStringLiteral("Song"));
    QVERIFY(!tab.isTagsChanged());
    QTest::keyClicks(child<QRZTextEdit>(&tab, "m_editComments")->textEdit(), QStringLiteral("x"));
    QVERIFY(tab.isTagsChanged());
    QTest::keyClick(child<QRZTextEdit>(&tab, "m_editComments")->textEdit(), Qt::Key_Backspace);
    QVERIFY(!tab.isTagsChanged());
    // Deleting the cover of a record that had none changes nothing.
    QMetaObject::invokeMethod(&tab, "onDeleteImage");
    QVERIFY(!tab.isTagsChanged());
}

void TestEditorTabValues::tagsCoverRules() {
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.jpg"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture at all\n");
    }
    const QString big = dir.filePath(QStringLiteral("big.png"));
    {
        // A real PNG followed by padding: 20 MiB.
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(big));
        QFile file(big);
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(20 * 1024 * 1024, '\0'));
    }
    const QString xpm = dir.filePath(QStringLiteral("cover.xpm"));
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QVERIFY(blue.save(xpm, "XPM"));
    const QString jpeg = dir.filePath(QStringLiteral("cover.jpg"));
    QVERIFY(blue.save(jpeg, "JPEG"));

    QVERIFY(QAudioTagForm::coverBytesOf(text).isEmpty());
    QVERIFY(QAudioTagForm::coverBytesOf(big).isEmpty());
    QVERIFY(QAudioTagForm::coverBytesOf(dir.filePath("missing.png")).isEmpty());
    QFile jpegFile(jpeg);
    QVERIFY(jpegFile.open(QIODevice::ReadOnly));
    QCOMPARE(QAudioTagForm::coverBytesOf(jpeg), jpegFile.readAll()); // kept as it is
    const QByteArray converted = QAudioTagForm::coverBytesOf(xpm);
    QVERIFY(converted.startsWith("\x89PNG"));
    QCOMPARE(QImage::fromData(converted).pixelColor(3, 3), QColor(Qt::blue));

    QVideoEditingSettings settings;
    VEAudioTagInfo tags;
    tags.cover_image = "loaded-bytes-that-are-no-picture";
    tags.coverSize = int(tags.cover_image.size());
    settings.setTags(tags);
    QAudioTagForm tab;
    tab.setVideoEditingSettings(&settings);
    tab.show();
    settings.getTags(tags);
    QCOMPARE(tags.cover_image, std::string("loaded-bytes-that-are-no-picture")); // a loaded cover stays
    QVERIFY(!tab.isTagsChanged());

    // A text file and a 20 MiB file are refused with a warning; nothing changes.
    for (const QString& refused : {text, big}) {
        chooseFile(refused);
        tabtest::answerNextDialog<QRZMessageBox>([](QRZMessageBox* box) { box->close(); });
        QMetaObject::invokeMethod(&tab, "setTagImage");
        QVERIFY(!tab.isTagsChanged());
        QVERIFY(tab.coverImagePath().isEmpty());
    }
    chooseFile(xpm);
    QMetaObject::invokeMethod(&tab, "setTagImage");
    settings.getTags(tags);
    QVERIFY(QByteArray::fromStdString(tags.cover_image).startsWith("\x89PNG"));
    QCOMPARE(tags.coverSize, int(tags.cover_image.size()));
    QCOMPARE(tab.coverImagePath(), xpm);
    QVERIFY(tab.isTagsChanged());
    QVERIFY(!child<QWidget>(&tab, "m_btnDelete")->isHidden());
    QMetaObject::invokeMethod(&tab, "onDeleteImage");
    settings.getTags(tags);
    QVERIFY(tags.cover_image.empty());
    QVERIFY(tab.coverImagePath().isEmpty());
    QVERIFY(child<QWidget>(&tab, "m_btnDelete")->isHidden());
}

QTEST_MAIN(TestEditorTabValues)
#include "tst_editor_tab_values.moc"
