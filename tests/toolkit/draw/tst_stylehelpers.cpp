// Style helpers: fonts and palettes, the images they give each control from the generated
// application folder, and null widgets.
#include "DrawTestSupport.h"

#include "toolkit/QBaseDrawWidget.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZDialog.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZMenu.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/QRZScrollBar.h"
#include "toolkit/QRZSpinBox.h"
#include "toolkit/QRZTextEdit.h"
#include "toolkit/StyleHelpers.h"

#include <QLabel>
#include <QTest>
#include <QTextEdit>

using namespace drawtest;

class TestStyleHelpers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + "/image/common/btn_common.png"));
    }

    void nullWidgetsAreIgnored() {
        setWidgetFont(nullptr, 12);
        setWidgetTextColor(nullptr, QPalette::Text, Qt::red);
        setLightWindowText(nullptr);
        styleHistoryList(nullptr);
        applyDialogTitleLook(nullptr);
        setDialogBackground1(nullptr);
        setDialogBackground2(nullptr);
        styleHistoryDialog(nullptr);
        styleMenu(nullptr);
        styleSlider(nullptr);
        styleComboBoxColors(nullptr);
        styleComboBox(nullptr, 10, 10);
        styleComboBoxFlat(nullptr, 10, 10);
        styleSearchEdit(nullptr);
        styleScrollBar(nullptr);
        styleTabButton(nullptr);
        styleCommonButton(nullptr, 10, 10);
        styleCommonButton1(nullptr, 10, 10);
        styleSelectionCheckBox(static_cast<QRZRadioButton*>(nullptr));
        styleSelectionCheckBox(static_cast<QRZCheckBox*>(nullptr));
        styleCheckBox(nullptr);
        styleLineEdit(nullptr, 10, 10);
        styleTextEdit(nullptr);
        styleTimeEdit(nullptr, 10, 10);
        QVERIFY(!setBoxImages(nullptr, QString(), QString(), QString()));
    }

    void fontKeepsItsOtherAttributes() {
        QLabel label;
        QFont font = label.font();
        font.setBold(true);
        font.setItalic(true);
        label.setFont(font);
        setWidgetFont(&label, 13);
        QCOMPARE(label.font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(label.font().pixelSize(), 13);
        QVERIFY(label.font().bold());
        QVERIFY(label.font().italic());
    }

    void textColourAlsoDimsDisabledWindowText() {
        QLabel label;
        setWidgetTextColor(&label, QPalette::Text, ToolkitColors::accent());
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            QCOMPARE(label.palette().color(group, QPalette::Text), ToolkitColors::accent());
        }
        QCOMPARE(label.palette().color(QPalette::Disabled, QPalette::WindowText), ToolkitColors::dimText());
    }

    void lightWindowTextStartsFromADefaultPalette() {
        QLabel label;
        QPalette palette = label.palette();
        palette.setColor(QPalette::Button, Qt::magenta);
        label.setPalette(palette);
        setLightWindowText(&label);
        QCOMPARE(label.palette().color(QPalette::Active, QPalette::WindowText), ToolkitColors::lightText());
        QVERIFY(label.palette().color(QPalette::Button) != QColor(Qt::magenta));
    }

    void commonButtonTakesTheGeneratedStrip() {
        QRZBaseButton button;
        styleCommonButton(&button, 72, 24);
        QVERIFY(button.hasImage());
        QCOMPARE(button.size(), QSize(72, 24));
        QCOMPARE(button.currentTextColor(), ToolkitColors::accent());
        QCOMPARE(button.font().pixelSize(), 12);
        QRZBaseButton tab;
        styleTabButton(&tab);
        QVERIFY(tab.isCheckable());
        QVERIFY(tab.hasImage());
    }

    void boxesAndEditsTakeTheirImages() {
        QRZCheckBox box;
        styleCheckBox(&box);
        QVERIFY(box.hasBoxImage());
        QCOMPARE(box.palette().color(QPalette::Disabled, QPalette::WindowText), ToolkitColors::dimText());
        QRZRadioButton radio;
        styleSelectionCheckBox(&radio);
        QVERIFY(radio.hasBoxImage());
        QVERIFY(!radio.imageMode());

        QRZLineEdit edit;
        styleLineEdit(&edit, 150, 24);
        QVERIFY(edit.hasFrameImage());
        QCOMPARE(edit.size(), QSize(150, 24));
        QCOMPARE(edit.textMargins(), QMargins(4, 0, 0, 0));
        QCOMPARE(edit.palette().color(QPalette::Disabled, QPalette::Text), ToolkitColors::dimText());

        QRZLineEdit search;
        styleSearchEdit(&search);
        QCOMPARE(search.size(), QSize(175, 20));
        QCOMPARE(search.textMargins(), QMargins(22, 0, 0, 0));

        QRZTextEdit text;
        styleTextEdit(&text);
        QVERIFY(text.hasFrameImage());
        QCOMPARE(text.textEdit()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

        QRZTimeEdit time;
        styleTimeEdit(&time, 75, 24);
        QCOMPARE(time.displayFormat(), QStringLiteral("hh:mm:ss"));
        QVERIFY(time.upButton() != nullptr);
    }

    void sliderTakesGrooveFillAndHandle() {
        QRZBaseSlider slider;
        slider.resize(100, 12);
        styleSlider(&slider);
        QCOMPARE(slider.progressType(), int(QRZBaseProgress::HorizontalBar));
        QVERIFY(slider.handle() != nullptr);
        QVERIFY(slider.handle()->hasImage());
        QVERIFY(slider.textFormat().isEmpty());
    }

    void dialogTitleLook() {
        QRZDialog dialog;
        setDialogBackground1(&dialog);
        QVERIFY(dialog.hasBackgroundImage());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Calvorine Screen Recorder"));
        QCOMPARE(dialog.titleHeight(), 38);
        QCOMPARE(dialog.resizeFlags(), 0);
        QCOMPARE(dialog.titleImageRect().topLeft(), QPoint(18, 13));
        QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(dialog.palette().color(QPalette::WindowText), ToolkitColors::lightText());

        QRZDialog history;
        styleHistoryDialog(&history);
        QCOMPARE(history.titleHeight(), 30);
        QCOMPARE(history.titleImageRect().topLeft(), QPoint(10, 5));

        QRZDialog list;
        styleHistoryList(&list);
        QCOMPARE(list.resizeFlags(), 0);
    }

    void comboMenuAndScrollBarLooks() {
        QRZComboBox combo;
        styleComboBox(&combo, 85, 22);
        QCOMPARE(combo.size(), QSize(85, 22));
        QVERIFY(combo.hasFrameImage());
        QVERIFY(combo.arrowButton() != nullptr);
        QCOMPARE(combo.font().pixelSize(), 12);
        QCOMPARE(combo.itemHeight(), 20);

        QRZComboBox flat;
        styleComboBoxFlat(&flat, 40, 24);
        QCOMPARE(flat.maxVisibleItems(), 20);
        QCOMPARE(flat.textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));

        QRZScrollBar bar(Qt::Vertical);
        styleScrollBar(&bar);
        const QRZScrollBar::StyleRecord record = bar.styleData();
        QCOMPARE(record.grooveColor, ToolkitColors::scrollDark());
        QCOMPARE(record.alwaysShowArrows, 1);
        QCOMPARE(record.colors[QRZScrollBar::HandleHover], ToolkitColors::scrollLight());

        QRZMenu menu;
        styleMenu(&menu);
    }
};

QTEST_MAIN(TestStyleHelpers)
#include "tst_stylehelpers.moc"
