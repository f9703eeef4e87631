// The option pages, the cursor-picture chooser, the watermark dialog and the small
// dialogs, driven through their controls on the offscreen platform; stored values are
// read back from the settings file with the DOM.
#include "RecorderTestSupport.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "app/Utilities.h"
#include "recorder/CurrentFormat.h"
#include "recorder/QBasicOptions.h"
#include "recorder/QCursorOptions.h"
#include "recorder/QOptionsMainDlg.h"
#include "recorder/QTimeOptions.h"
#include "recorder/QWatermarkDlg.h"
#include "recorder/SmallDialogs.h"
#include "tests/support/PrivateUserFolders.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZButton.h" // before the spin box header: its template compares buttons
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZListView.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/QRZSpinBox.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace recordertest;

namespace {

// What a user's last keystroke in a value edit leaves: the text and its textEdited.
void typeInto(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    emit edit->textEdited(text);
}

QString appDir() {
    return QString::fromLocal8Bit(qgetenv("CALVORINE_APP_DIR"));
}

bool isRed(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

} // namespace

class TestOptionPages : public QObject {
    Q_OBJECT

    QTemporaryDir m_files;

private slots:
    void initTestCase() {
        QVERIFY(m_files.isValid());
        setFormatCatalogueProblemHandler([](const QString& message) { QFAIL(qPrintable(message)); });
        // Stored values out of range, written before the recording settings first load.
        writeSettingValue("RECORD_TIME_INFO", "Bool_Stop_After_Time", "Y");
        writeSettingValue("RECORD_TIME_INFO", "Stop_time_lenght", "-1000000");
        writeSettingValue("RECORD_SCHEDULE_INFO", "Bool_Schedule", "Y");
        writeSettingValue("RECORD_SCHEDULE_INFO", "Schedule_Start_Time", "-5");
        writeSettingValue("RECORD_SCHEDULE_INFO", "Schedule_End_Time", "86400000000");
        writeSettingValue("CURSOR_OPTION", "Cursor_Hight_Index", "5");
        writeSettingValue("CURSOR_OPTION", "Cursor_Hight_Click_Index", "99");
    }

    void transparencyRoundsBothWays() {
        QCOMPARE(alphaFromPercent(100), 255);
        QCOMPARE(alphaFromPercent(50), 128);
        QCOMPARE(alphaFromPercent(0), 0);
        QCOMPARE(alphaFromPercent(150), 255);
        QCOMPARE(alphaFromPercent(-3), 0);
        QCOMPARE(percentFromAlpha(128), 50);
        QCOMPARE(percentFromAlpha(255), 100);
        QCOMPARE(percentFromAlpha(400), 100);
        QCOMPARE(percentFromAlpha(-1), 0);
        for (int percent = 0; percent <= 100; ++percent)
            QCOMPARE(percentFromAlpha(alphaFromPercent(percent)), percent);
    }

    void storedTimesOutOfRangeReadAsZero() {
        QRecordAreaInfo* info = QRecordAreaInfo::instance();
        QCOMPARE(info->stopAfterLength(), int64_t(0));
        QTimeOptions page;
        QCOMPARE(info->stopAfterLength(), int64_t(0));
        QCOMPARE(info->scheduleStart(), int64_t(0));
        QCOMPARE(info->scheduleEnd(), int64_t(0));
        // A flag without a usable length or with equal times is switched off and stored so.
        QVERIFY(!page.manualBox()->isChecked());
        QVERIFY(!page.scheduleBox()->isChecked());
        QCOMPARE(storedSetting("RECORD_TIME_INFO", "Bool_Stop_After_Time"), QStringLiteral("N"));
        QCOMPARE(storedSetting("RECORD_SCHEDULE_INFO", "Bool_Schedule"), QStringLiteral("N"));
        QVERIFY(!info->isScheduleOn());
        QCOMPARE(page.hoursEdit()->text(), QStringLiteral("0"));
        QVERIFY(!page.hoursEdit()->isEnabled());
        QVERIFY(!page.startEdit()->isEnabled());
        QCOMPARE(storedMicroseconds("86399999999", kMicrosecondsPerDay - 1), int64_t(86399999999));
        QCOMPARE(storedMicroseconds("12abc", kMicrosecondsPerDay - 1), int64_t(0));
    }

    void timePageEditsAndExclusiveOptions() {
        QRecordAreaInfo* info = QRecordAreaInfo::instance();
        QTimeOptions page;
        page.resize(239, 200);
        page.show();
        QTest::mouseClick(page.manualBox(), Qt::LeftButton, {}, QPoint(5, page.manualBox()->height() / 2));
        QVERIFY(page.manualBox()->isChecked());
        QVERIFY(page.hoursEdit()->isEnabled());
        QCOMPARE(storedSetting("RECORD_TIME_INFO", "Bool_Stop_After_Time"), QStringLiteral("Y"));
        QVERIFY(info->isStopAfterTime());

        page.hoursEdit()->clear();
        QTest::keyClicks(page.hoursEdit(), "150");
        QCOMPARE(page.hoursEdit()->text(), QStringLiteral("99"));
        typeInto(page.minutesEdit(), "75");
        QCOMPARE(page.minutesEdit()->text(), QStringLiteral("59"));
        typeInto(page.minutesEdit(), "");
        QCOMPARE(page.minutesEdit()->text(), QStringLiteral("0"));
        typeInto(page.secondsEdit(), "7");
        QCOMPARE(info->stopAfterLength(), int64_t(99) * 3600 * 1000000 + 7 * 1000000);
        QCOMPARE(storedSetting("RECORD_TIME_INFO", "Stop_time_lenght"), QStringLiteral("356407000000"));

        // Turning the schedule on turns stop-after off, in memory and in the file.
        QTest::mouseClick(page.scheduleBox(), Qt::LeftButton, {}, QPoint(5, page.scheduleBox()->height() / 2));
        QVERIFY(page.scheduleBox()->isChecked());
        QVERIFY(!page.manualBox()->isChecked());
        QVERIFY(!page.hoursEdit()->isEnabled());
        QVERIFY(page.startEdit()->isEnabled());
        QVERIFY(!info->isStopAfterTime());
        QVERIFY(info->isScheduleOn());
        QCOMPARE(storedSetting("RECORD_TIME_INFO", "Bool_Stop_After_Time"), QStringLiteral("N"));
        QCOMPARE(storedSetting("RECORD_SCHEDULE_INFO", "Bool_Schedule"), QStringLiteral("Y"));

        page.startEdit()->setTime(QTime(22, 0, 0));
        page.startEdit()->setCurrentSection(QDateTimeEdit::HourSection);
        page.startEdit()->stepBy(1);
        QCOMPARE(storedSetting("RECORD_SCHEDULE_INFO", "Schedule_Start_Time"), QStringLiteral("82800000000"));
        QCOMPARE(info->scheduleStart(), int64_t(82800000000));

        // And back: stop-after on turns the schedule off.
        QTest::mouseClick(page.manualBox(), Qt::LeftButton, {}, QPoint(5, page.manualBox()->height() / 2));
        QVERIFY(!page.scheduleBox()->isChecked());
        QVERIFY(!info->isScheduleOn());
        QCOMPARE(storedSetting("RECORD_SCHEDULE_INFO", "Bool_Schedule"), QStringLiteral("N"));
        keepShot(&page, "time_options");

        page.reset();
        QVERIFY(!info->isStopAfterTime());
        QCOMPARE(info->stopAfterLength(), int64_t(0));
        QCOMPARE(info->scheduleStart(), int64_t(0));
        QCOMPARE(storedSetting("RECORD_TIME_INFO", "Stop_time_lenght"), QStringLiteral("0"));
        QCOMPARE(storedSetting("RECORD_SCHEDULE_INFO", "Schedule_Start_Time"), QStringLiteral("0"));
        QCOMPARE(page.startEdit()->time(), QTime(0, 0, 0));
    }

    void cursorPagePicturesAndIndexes() {
        QRecordAreaInfo* info = QRecordAreaInfo::instance();
        QCursorOptions page;
        // Index 5 shows the lower-right 60 % of 6.png; 99 is out of range and reads 0.
        QCOMPARE(info->cursorImageIndex(QRecordAreaInfo::HighlightCursor), 5);
        QCOMPARE(info->cursorImageIndex(QRecordAreaInfo::HighlightClicks), 0);
        const QImage whole(appDir() + "/Cursor/Hightlight/6.png");
        QVERIFY(!whole.isNull());
        const QImage shown = QCursorOptions::comboPicture(QRecordAreaInfo::HighlightCursor, 5);
        const int w = whole.width(), h = whole.height();
        QCOMPARE(shown.size(), QSize(int(0.6 * w), int(0.6 * h)));
        for (const QPoint& p : {QPoint(0, 0), QPoint(shown.width() / 2, shown.height() / 3),
                                QPoint(shown.width() - 1, shown.height() - 1)})
            QCOMPARE(shown.pixel(p), whole.pixel(p + QPoint(int(0.4 * w), int(0.4 * h))));
        // The chooser shows the same part as a picture value; other rows give their file.
        QAbstractItemModel* model = page.highlightChooser()->model();
        QCOMPARE(model->data(model->index(5, 0), Qt::DecorationRole).value<QImage>(), shown);
        QCOMPARE(model->data(model->index(1, 0), Qt::DecorationRole).toString(), appDir() + "/Cursor/Hightlight/2.png");
        QCOMPARE(model->data(model->index(7, 0), Qt::UserRole).toString(), appDir() + "/image/cmb_add.png");
        QCOMPARE(model->data(model->index(3, 0), Qt::DisplayRole).toString(), QStringLiteral("title3"));
        // A click picture is always whole.
        QCOMPARE(QCursorOptions::comboPicture(QRecordAreaInfo::HighlightClicks, 5),
                 QImage(appDir() + "/Cursor/Click/6.png"));

        QSignalSpy picked(page.clickChooser(), &QCursorSelectDlg::emitCurrIndex);
        page.clickChooser()->OnClickItem(model->index(2, 0));
        QCOMPARE(picked.count(), 1);
        QCOMPARE(info->cursorImageIndex(QRecordAreaInfo::HighlightClicks), 2);
        QCOMPARE(storedSetting("CURSOR_OPTION", "Cursor_Hight_Click_Index"), QStringLiteral("2"));
        keepShot(&page, "cursor_options");
    }

    void ownCursorPicture() {
        QRecordAreaInfo* info = QRecordAreaInfo::instance();
        QCursorOptions page;
        QCursorSelectDlg* chooser = page.highlightChooser();
        QSignalSpy picked(chooser, &QCursorSelectDlg::emitCurrIndex);
        QImage own(32, 32, QImage::Format_ARGB32);
        own.fill(QColor(0, 255, 0));
        const QString ownPath = m_files.filePath("mine.png");
        QVERIFY(own.save(ownPath));
        const QString target = dataFolder() + "/Cursor/Hightlight/8.png";

        // Chosen twice: both times the page is told to reload, though the index stays 7.
        QVERIFY(chooser->adoptOwnPicture(ownPath));
        QVERIFY(chooser->adoptOwnPicture(ownPath));
        QCOMPARE(picked.count(), 2);
        for (const QList<QVariant>& signal : picked)
            QCOMPARE(signal, (QList<QVariant>{7, true}));
        QCOMPARE(QImage(target).pixel(5, 5), qRgb(0, 255, 0));
        QVERIFY(!QFile::exists(appDir() + "/Cursor/Hightlight/8.png"));
        QCOMPARE(info->cursorImageIndex(QRecordAreaInfo::HighlightCursor), 7);
        QCOMPARE(storedSetting("CURSOR_OPTION", "Cursor_Hight_Index"), QStringLiteral("7"));
        QCOMPARE(QRecordAreaInfo::cursorImagePath(QRecordAreaInfo::HighlightCursor, 7), target);

        // A file that is no picture, or one that cannot be read, keeps the old picture.
        const QByteArray before = fileBytes(target);
        QFile text(m_files.filePath("notes.png"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
        text.close();
        QVERIFY(!chooser->adoptOwnPicture(text.fileName()));
        QVERIFY(!chooser->adoptOwnPicture(m_files.filePath("missing.png")));
        QCOMPARE(picked.count(), 2);
        QCOMPARE(fileBytes(target), before);
    }

    void cursorPageBoxesAndReset() {
        QRecordAreaInfo* info = QRecordAreaInfo::instance();
        QCursorOptions page;
        page.show();
        QVERIFY(page.highlightCombo()->isEnabled());
        for (QRZCheckBox* box : {page.showBox(), page.highlightBox(), page.clickBox()})
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(!page.highlightCombo()->isEnabled());
        QVERIFY(!page.highlightLabel()->isEnabled());
        QVERIFY(!page.clickCombo()->isEnabled());
        QVERIFY(!info->cursorOption(QRecordAreaInfo::ShowCursor));
        QCOMPARE(storedSetting("CURSOR_OPTION", "Cursor_Show_Value"), QStringLiteral("N"));
        QCOMPARE(storedSetting("CURSOR_OPTION", "Cursor_Hight_Click_Value"), QStringLiteral("N"));

        page.reset();
        for (QRZCheckBox* box : {page.showBox(), page.highlightBox(), page.clickBox()})
            QVERIFY(box->isChecked());
        for (const char* key : {"Cursor_Show_Value", "Cursor_Hight_Value", "Cursor_Hight_Click_Value"})
            QCOMPARE(storedSetting("CURSOR_OPTION", key), QStringLiteral("Y"));
        QVERIFY(page.highlightCombo()->isEnabled());
        QCOMPARE(info->cursorImageIndex(QRecordAreaInfo::HighlightCursor), 0);
        QCOMPARE(storedSetting("CURSOR_OPTION", "Cursor_Hight_Index"), QStringLiteral("0"));
    }

    void watermarkValueEdits() {
        QWatermarkDlg dialog;
        typeInto(dialog.scaleEdit(), "5");
        QCOMPARE(dialog.watermarkSettings().widthScalePercent, 10.0);
        QCOMPARE(dialog.scaleEdit()->text(), QStringLiteral("10"));
        typeInto(dialog.scaleEdit(), "1000");
        QCOMPARE(dialog.watermarkSettings().widthScalePercent, 400.0);
        typeInto(dialog.scaleEdit(), "250");
        QCOMPARE(dialog.watermarkSettings().widthScalePercent, 250.0);
        QCOMPARE(dialog.watermarkSettings().heightScalePercent, 250.0);
        QCOMPARE(dialog.scaleSlider()->value(), 150.0);

        typeInto(dialog.xMarginEdit(), "150");
        QCOMPARE(dialog.xMarginEdit()->text(), QStringLiteral("100"));
        QCOMPARE(dialog.watermarkSettings().horizontalMarginPercent, 100);
        typeInto(dialog.yMarginEdit(), "-20");
        QCOMPARE(dialog.yMarginEdit()->text(), QStringLiteral("0"));
        QCOMPARE(dialog.watermarkSettings().verticalMarginPercent, 0);

        typeInto(dialog.alphaEdit(), "100");
        QCOMPARE(dialog.watermarkSettings().alpha, 255);
        typeInto(dialog.alphaEdit(), "50");
        QCOMPARE(dialog.watermarkSettings().alpha, 128);
        QWatermarkDlg reopened;
        reopened.setWatermarkSettings(dialog.watermarkSettings());
        QCOMPARE(reopened.alphaEdit()->text(), QStringLiteral("50"));
        QCOMPARE(reopened.scaleEdit()->text(), QStringLiteral("250"));

        // Scale slider: 10 % at the left end, 100 % around the middle, 400 % at the right.
        QCOMPARE(scaleFromSliderFraction(0.0), 10.0);
        QCOMPARE(scaleFromSliderFraction(0.5), 100.0);
        QCOMPARE(scaleFromSliderFraction(0.495), 100.0);
        QCOMPARE(scaleFromSliderFraction(1.0), 400.0);
        QCOMPARE(sliderPositionFromScale(10), 0);
        QCOMPARE(sliderPositionFromScale(400), 200);
        dialog.scaleSlider()->setValue(100.0);
        emit dialog.scaleSlider()->sendProgressValue(0.5);
        QCOMPARE(dialog.watermarkSettings().widthScalePercent, 100.0);
    }

    void watermarkPreviewPositions() {
        QImage red(40, 20, QImage::Format_ARGB32);
        red.fill(QColor(255, 0, 0));
        const QString path = m_files.filePath("mark.png");
        QVERIFY(red.save(path));
        WatermarkImageSettings settings;
        settings.imagePath = path.toUtf8().toStdString();
        QWatermarkDlg dialog;
        dialog.setWatermarkSettings(settings);
        QVERIFY(dialog.deleteButton()->isVisibleTo(&dialog));
        dialog.show();
        // In a 125 x 125 preview a 2:1 picture is fitted into half the width: 62 x 31.
        const int xs[] = {0, (125 - 62) / 2, 125 - 62};
        const int ys[] = {0, (125 - 31) / 2, 125 - 31};
        for (int position = 0; position < 9; ++position) {
            QTest::mouseClick(dialog.positionButtons().at(position), Qt::LeftButton, {}, QPoint(4, 8));
            QCOMPARE(dialog.watermarkSettings().position, position);
            const QImage shot = dialog.preview()->grab().toImage();
            const QRect expected(xs[position % 3], ys[position / 3], 62, 31);
            QVERIFY2(isRed(shot.pixel(expected.center())), qPrintable(QString::number(position)));
            QVERIFY(isRed(shot.pixel(expected.topLeft())));
            QVERIFY(isRed(shot.pixel(expected.bottomRight())));
            QVERIFY(!isRed(shot.pixel(expected.left() - 1 < 0 ? expected.right() + 1 : expected.left() - 1,
                                      expected.center().y())));
            if (position == 8)
                keepShot(&dialog, "watermark_dialog");
        }
        // Half transparent: the red is mixed with the preview's dark background.
        typeInto(dialog.alphaEdit(), "50");
        const QRgb half = dialog.preview()->grab().toImage().pixel(100, 110);
        QVERIFY(qRed(half) > 120 && qRed(half) < 160);

        // "Right Bottom" with both margins at 100 % pushes the picture fully out.
        typeInto(dialog.xMarginEdit(), "100");
        typeInto(dialog.yMarginEdit(), "100");
        const QImage out = dialog.preview()->grab().toImage();
        for (int y = 0; y < out.height(); y += 4)
            for (int x = 0; x < out.width(); x += 4)
                QVERIFY(qRed(out.pixel(x, y)) < 100);
        const WatermarkPlacement none = placeWatermark(QSize(125, 125), QSize(40, 20), dialog.watermarkSettings());
        QVERIFY(none.source.isEmpty());

        // A record whose picture is gone opens without it.
        QFile::remove(path);
        QWatermarkDlg reopened;
        reopened.setWatermarkSettings(settings);
        QVERIFY(reopened.watermarkSettings().imagePath.empty());
        QVERIFY(!reopened.deleteButton()->isVisibleTo(&reopened));
        QVERIFY(!reopened.preview()->hasPreparedImage());
    }

    void basicPageFolderFormatAndReset() {
        initFormatNameGlobals();
        resetFormat();
        QBasicOptions page;
        page.resize(268, 200);
        page.show();
        page.setOutputFolder("/");
        QCOMPARE(page.folderButton()->text(), QStringLiteral("/"));
        QCOMPARE(page.folderButton()->toolTip(), QStringLiteral("/"));
        QCOMPARE(storedSetting("OutPut_path", "path_value"), QStringLiteral("/"));
        page.setOutputFolder("/tmp/somewhere/Clips/");
        QCOMPARE(page.folderButton()->text(), QStringLiteral("Clips"));
        QCOMPARE(getOutputPath(), QStringLiteral("/tmp/somewhere/Clips/"));

        page.OnFormatChange(true);
        QCOMPARE(page.formatButton()->text(), QStringLiteral("MP4 (H.264)"));
        page.OnFormatChange(false);
        QCOMPARE(page.formatButton()->text(), audioFormatName()->title);
        QVERIFY(!page.formatButton()->text().isEmpty());
        keepShot(&page, "basic_options");

        WatermarkImageSettings mark;
        mark.imagePath = "/somewhere/logo.png";
        mark.alpha = 10;
        QRecordAreaInfo::instance()->setWatermarkSettings(mark);
        setConvertedPath("/tmp/converted/");
        QSignalSpy resetFormat(&page, &QBasicOptions::emitResetFormat);
        page.reset();
        QCOMPARE(resetFormat.count(), 1);
        QCOMPARE(storedSetting("OutPut_path", "path_value"), QStringLiteral("/tmp/converted/"));
        QVERIFY(QRecordAreaInfo::instance()->watermarkSettings() == WatermarkImageSettings());
        QCOMPARE(page.watermarkButton()->text(), QStringLiteral("Add image file"));
        freeFormatNameGlobals();
    }

    void panelResetAndPopups() {
        QOptionsMainDlg panel;
        panel.resize(700, 257);
        panel.show();
        keepShot(&panel, "options_panel");
        panel.cursorOptions()->OnShowCursor();
        QCursorSelectDlg* chooser = panel.cursorOptions()->highlightChooser();
        QVERIFY(chooser->isVisible());
        keepShot(chooser, "cursor_chooser");
        QRecordAreaInfo::instance()->setCursorOption(QRecordAreaInfo::ShowCursor, false);
        QRecordAreaInfo::instance()->setStopAfterLength(5000000);
        QSignalSpy resetFormat(panel.basicOptions(), &QBasicOptions::emitResetFormat);
        panel.OnReset();
        QCOMPARE(resetFormat.count(), 1);
        QVERIFY(QRecordAreaInfo::instance()->cursorOption(QRecordAreaInfo::ShowCursor));
        QCOMPARE(QRecordAreaInfo::instance()->stopAfterLength(), int64_t(0));
    }

    // An accepted watermark dialog goes into the recording settings and onto the button.
    void watermarkThroughTheBasicPage() {
        QImage mark(8, 8, QImage::Format_ARGB32);
        mark.fill(Qt::blue);
        const QString path = m_files.filePath("logo.png");
        QVERIFY(mark.save(path));
        QBasicOptions page;
        bool answered = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QWatermarkDlg*>(QApplication::activeModalWidget());
            if (!dialog || answered)
                return;
            answered = true;
            WatermarkImageSettings settings = dialog->watermarkSettings();
            settings.imagePath = path.toUtf8().toStdString();
            dialog->setWatermarkSettings(settings);
            typeInto(dialog->alphaEdit(), "50");
            dialog->onOk();
        });
        poll.start(20);
        page.OnWaterMark();
        QVERIFY(answered);
        const WatermarkImageSettings stored = QRecordAreaInfo::instance()->watermarkSettings();
        QCOMPARE(QString::fromStdString(stored.imagePath), path);
        QCOMPARE(stored.alpha, 128);
        QCOMPARE(page.watermarkButton()->text(), QStringLiteral("logo.png"));
        QCOMPARE(page.watermarkButton()->toolTip(), path);
    }

    void closeQuestion() {
        {
            QShowCloseDlg dialog;
            QVERIFY(dialog.isExitChecked());
            QVERIFY(!dialog.minimizeButton()->isChecked());
            dialog.open();
            // Clicking the chosen answer again keeps it; the other stays clear.
            QTest::mouseClick(dialog.exitButton(), Qt::LeftButton, {}, QPoint(5, 8));
            QVERIFY(dialog.isExitChecked());
            QTest::mouseClick(dialog.minimizeButton(), Qt::LeftButton, {}, QPoint(5, 8));
            QVERIFY(!dialog.isExitChecked());
            QVERIFY(dialog.minimizeButton()->isChecked());
            keepShot(&dialog, "close_question");
            QTest::mouseClick(dialog.closeButton(), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "N");
        QShowCloseDlg dialog;
        QVERIFY(!dialog.isExitChecked());
        dialog.open();
        QTest::mouseClick(dialog.noteBox(), Qt::LeftButton, {}, QPoint(5, 8));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.isNoteChecked());
        QAboutDlg about;
        about.show();
        keepShot(&about, "about_box");
    }
};

int main(int argc, char** argv) {
    PrivateUserFolders folders;
    QApplication app(argc, argv);
    TestOptionPages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_option_pages.moc"
