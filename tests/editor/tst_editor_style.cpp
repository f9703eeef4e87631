// The editor's looks on the offscreen platform: fitted labels, the digits-only edit, the
// radio box's checked picture, the colour swatch of the icon button, the scroll bar's
// record and the check combo's row boxes.
#include "editor/EditorStyle.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/QRZScrollBar.h"

#include <QFontMetrics>
#include <QLabel>
#include <QValidator>
#include <QtTest>

namespace {

QImage render(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

class TestEditorStyle : public QObject {
    Q_OBJECT

private slots:
    void fittedLabelIsAsWideAsItsText();
    void lineEditTakesDigitsOnly();
    void radioShowsTheCheckedPictureWhenChecked();
    void iconButtonDrawsItsSwatch();
    void scrollBarRecord();
    void nullControlsAreIgnored();
};

void TestEditorStyle::fittedLabelIsAsWideAsItsText() {
    QLabel label;
    label.resize(10, 17);
    const QString text = QStringLiteral("00:00:00.000 / 00:00:00.000");
    setEditorLabelFitted(&label, text, 12);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(12);
    QCOMPARE(label.width(), QFontMetrics(tahoma).horizontalAdvance(text));
    QCOMPARE(label.height(), 17);
    QCOMPARE(label.font().pixelSize(), 12);
    QCOMPARE(label.palette().color(QPalette::Disabled, QPalette::WindowText), EditorColors::text());
    // The unfitted variant keeps the width.
    QLabel plain;
    plain.resize(33, 20);
    setEditorLabel(&plain, text, 14);
    QCOMPARE(plain.width(), 33);
    QCOMPARE(plain.text(), text);
}

void TestEditorStyle::lineEditTakesDigitsOnly() {
    QRZLineEdit edit;
    setEditorLineEditStyle(&edit);
    QVERIFY(edit.validator());
    QString text = QStringLiteral("12a");
    int pos = 0;
    QCOMPARE(edit.validator()->validate(text, pos), QValidator::Invalid);
    text = QStringLiteral("640");
    QCOMPARE(edit.validator()->validate(text, pos), QValidator::Acceptable);
    QCOMPARE(int(edit.alignment()), int(Qt::AlignCenter));
    // The program itself may still write "0".
    edit.setText(QStringLiteral("0"));
    QCOMPARE(edit.text(), QStringLiteral("0"));
}

void TestEditorStyle::radioShowsTheCheckedPictureWhenChecked() {
    const QImage yes(editorImagePath(QStringLiteral("/VEditSource/Edit_selections_yes.png")));
    const QImage no(editorImagePath(QStringLiteral("/VEditSource/Edit_selections_no.png")));
    QVERIFY(!yes.isNull() && !no.isNull());
    // A pixel where the two pictures differ.
    QPoint probe(-1, -1);
    for (int y = 0; y < yes.height() && probe.x() < 0; ++y) {
        for (int x = 0; x < yes.width(); ++x) {
            if (qAlpha(yes.pixel(x, y)) == 255 && yes.pixel(x, y) != no.pixel(x, y)) {
                probe = QPoint(x, y);
                break;
            }
        }
    }
    QVERIFY(probe.x() >= 0);
    QRZRadioButton radio;
    radio.setText(QStringLiteral("Option"));
    setEditorRadioStyle(&radio);
    radio.resize(120, 24);
    QVERIFY(radio.hasBoxImage());
    // The box stands vertically centred at the left.
    const QPoint at(probe.x(), (radio.height() - radio.boxRect().height()) / 2 + probe.y());
    radio.setChecked(true);
    QCOMPARE(render(&radio).pixel(at), yes.pixel(probe));
    radio.setAutoExclusive(false);
    radio.setChecked(false);
    QCOMPARE(render(&radio).pixel(at), no.pixel(probe));
    QCOMPARE(radio.palette().color(QPalette::Disabled, QPalette::WindowText), EditorColors::disabledText());
}

void TestEditorStyle::iconButtonDrawsItsSwatch() {
    QRZButtonExtend button;
    setEditorIconButtonStyle(&button, 70, 22);
    QCOMPARE(button.size(), QSize(70, 22));
    button.setFillColor(QColor(10, 200, 30));
    const QImage image = render(&button);
    // The 16 x 16 swatch at (5, 3), outlined.
    QCOMPARE(image.pixelColor(6, 4), QColor(10, 200, 30));
    QCOMPARE(image.pixelColor(19, 17), QColor(10, 200, 30));
    QVERIFY(image.pixelColor(22, 10) != QColor(10, 200, 30));
    QVERIFY(image.pixelColor(12, 1) != QColor(10, 200, 30));
}

void TestEditorStyle::scrollBarRecord() {
    QRZScrollBar bar(Qt::Vertical);
    const QColor untouched = bar.styleData().colors[QRZScrollBar::ArrowDisabled];
    setEditorScrollBarStyle(&bar);
    const QRZScrollBar::StyleRecord record = bar.styleData();
    QCOMPARE(record.grooveColor, EditorColors::control());
    QCOMPARE(record.hoverGrooveColor, EditorColors::control());
    QCOMPARE(record.alwaysShowArrows, 1);
    QCOMPARE(record.handleInset, 1);
    const QColor expected[8] = {
        EditorColors::control(), EditorColors::panel(), EditorColors::panel(), EditorColors::scrollTrack(), untouched,
        EditorColors::panel(),   EditorColors::panel(), EditorColors::panel()};
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(record.colors[i], expected[i]);
    }
}

void TestEditorStyle::nullControlsAreIgnored() {
    setEditorLabelFitted(nullptr, QStringLiteral("x"), 12);
    setEditorButtonStyle(nullptr, 1, 1);
    setEditorIconButtonStyle(nullptr, 1, 1);
    setEditorSliderStyle(nullptr);
    setEditorRadioStyle(nullptr);
    setEditorCheckBoxStyle(nullptr);
    setEditorComboStyle(nullptr);
    setEditorCheckComboStyle(nullptr);
    setEditorSpinBoxStyle(nullptr);
    setEditorLineEditStyle(nullptr);
    setEditorScrollBarStyle(nullptr);
    setWidgetColor(nullptr, QPalette::Text, Qt::red);
    setWidgetFontFamily(nullptr, QStringLiteral("Tahoma"), 12);
}

QTEST_MAIN(TestEditorStyle)
#include "tst_editor_style.moc"
