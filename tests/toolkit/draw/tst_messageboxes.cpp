// Message boxes: result codes of every button, button order and placement, titles, the
// stay-on-top parent, text wrapping and sizing, and the older box's layout and dragging.
#include "DrawTestSupport.h"

#include "toolkit/QRZAppInfo.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZMessageDlg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace drawtest;

namespace {

// Runs `act` on the modal box once it is shown.
void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act]() {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        act(modal);
    });
}

void clickAction(QWidget* modal, int index) {
    auto* box = qobject_cast<QRZMessageBox*>(modal);
    QVERIFY(box != nullptr);
    QVERIFY(index < box->actionButtons().size());
    box->actionButtons().at(index)->click();
}

} // namespace

class TestMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The images come from the generated application folder next to this test.
        QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + "/pic/bg_msg.png"));
        setupToolkitStyle(nullptr);
    }

    void cleanupTestCase() { releaseToolkitSettings(); }

    void resultCodesOfEveryButton() {
        whenModal([](QWidget* modal) { clickAction(modal, 0); });
        QCOMPARE(QRZMessageBox::showMessage(nullptr, "Recording failed!", QString(), 4, 1), 0x400);
        whenModal([](QWidget* modal) { clickAction(modal, 0); });
        QCOMPARE(QRZMessageBox::showMessage(nullptr, "Stop?", QString(), 1, 2), 0x400000);
        whenModal([](QWidget* modal) { clickAction(modal, 0); });
        QCOMPARE(QRZMessageBox::showMessage(nullptr, "Delete?", QString(), 1, 4), 0x4000);
        whenModal([](QWidget* modal) { clickAction(modal, 1); });
        QCOMPARE(QRZMessageBox::showMessage(nullptr, "Delete?", QString(), 1, 4), 0x10000);
        whenModal([](QWidget* modal) { qobject_cast<QRZMessageBox*>(modal)->closeButton()->click(); });
        QCOMPARE(QRZMessageBox::showMessage(nullptr, "Delete?", QString(), 1, 4), 0x200000);
        whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
        QCOMPARE(QRZMessageBox::showMessage(nullptr, "Closed otherwise", QString(), 0, 7), 0);
    }

    void yesSitsLeftOfNoAndTheRowEndsTwentyPixelsFromTheEdge() {
        QRZMessageBox box;
        box.addButtons(QRZMessageBox::YesNoButtons);
        box.setText(QStringLiteral("Remove the file?"));
        box.show();
        const auto buttons = box.actionButtons();
        QCOMPARE(buttons.size(), 2);
        QCOMPARE(buttons[0]->text(), QStringLiteral("YES"));
        QCOMPARE(buttons[1]->text(), QStringLiteral("NO"));
        QCOMPARE(buttons[0]->tag(), 0x4000);
        QCOMPARE(buttons[1]->tag(), 0x10000);
        const int margin = box.style().margins.right();
        QCOMPARE(buttons[1]->geometry().right(), box.width() - 20 - margin - 1);
        QCOMPARE(buttons[0]->geometry().right(), buttons[1]->x() - 15 - 1);
        QCOMPARE(buttons[0]->width(), 80);
        // The close button at the top-right inside the margins.
        QCOMPARE(box.closeButton()->pos(), QPoint(box.width() - box.closeButton()->width() - margin, margin));
    }

    void emptyTitleKeepsTheProductTitle() {
        QString seen;
        whenModal([&seen](QWidget* modal) {
            seen = modal->windowTitle();
            clickAction(modal, 0);
        });
        QRZMessageBox::showMessage(nullptr, "Text", QString(), 3, 1);
        QCOMPARE(seen, QStringLiteral("Calvorine Screen Recorder"));
        whenModal([&seen](QWidget* modal) {
            seen = modal->windowTitle();
            clickAction(modal, 0);
        });
        QRZMessageBox::showMessage(nullptr, "Text", QStringLiteral("Own title"), 3, 1);
        QCOMPARE(seen, QStringLiteral("Own title"));
    }

    void stayOnTopParentKeepsTheBoxOnTop() {
        QWidget parent(nullptr, Qt::WindowStaysOnTopHint);
        parent.resize(400, 300);
        parent.show();
        bool onTop = false;
        whenModal([&onTop](QWidget* modal) {
            onTop = modal->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            clickAction(modal, 0);
        });
        QRZMessageBox::showMessage(&parent, "Text", QString(), 1, 1);
        QVERIFY(onTop);
    }

    void longWordsAreCutWhereTheyStopFitting() {
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(12);
        const QFontMetrics metrics(font);
        QString word;
        while (metrics.horizontalAdvance(word) <= 600) {
            word += QLatin1Char('W');
        }
        const QStringList lines = QRZMessageBox::wrapText(QStringLiteral("Hi ") + word, font, 500);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("Hi"));
        QVERIFY(metrics.horizontalAdvance(lines[1]) <= 500);
        QVERIFY(metrics.horizontalAdvance(lines[1] + QLatin1Char('W')) > 500);
        QCOMPARE(lines[1] + lines[2], word);
        // Paragraphs stay apart; short words share a line.
        QCOMPARE(QRZMessageBox::wrapText(QStringLiteral("a b\nc"), font, 500), QStringList({"a b", "c"}));
    }

    void boxIsSizedByItsTextAndIcon() {
        QRZMessageBox box;
        QCOMPARE(box.size(), QSize(288, 178));
        box.setType(QRZMessageBox::Error);
        box.addButtons(QRZMessageBox::OkButton);
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(12);
        const QString text = QStringLiteral("A message that is long enough to widen the box beyond its floor");
        box.setText(text);
        box.show();
        const int textWidth = QFontMetrics(font).horizontalAdvance(text);
        // Margins 8, icon column 32 + 40, text column + 20.
        QCOMPARE(box.width(), 8 + 72 + textWidth + 20 + 8);
        QVERIFY(box.iconRect().isValid());
        QCOMPARE(box.iconRect().size(), QSize(32, 32));
        QCOMPARE(box.textRect().left(), 8 + 72);
    }

    // Two lines of a message (a folder named under "Recording failed!"): blank rows lie
    // between the first line's descenders and the second line's ascenders.
    void linesOfAMessageStandApart() {
        QRZMessageBox box;
        box.addButtons(QRZMessageBox::OkButton);
        box.setText(QStringLiteral("Recording failed, quite typically!\nThe folder /tmp/jpgq cannot be written."));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QImage image = box.grab().toImage();
        const QRect text = box.textRect();
        QVector<QPair<int, int>> runs;
        bool inLine = false;
        for (int y = text.top() - 2; y <= text.bottom() + 2; ++y) {
            bool inked = false;
            for (int x = text.left(); x <= text.right() && !inked; ++x) {
                inked = image.pixelColor(x, y).lightness() > 120;
            }
            if (inked && !inLine) {
                runs.append({y, y});
            } else if (inked) {
                runs.last().second = y;
            }
            inLine = inked;
        }
        QCOMPARE(runs.size(), 2);
        QVERIFY2(runs[1].first - runs[0].second > 2,
                 qPrintable(
                     QStringLiteral("line 1 ends at %1, line 2 starts at %2").arg(runs[0].second).arg(runs[1].first)));
    }

    // The title, its icon and the close button sit in the middle of the title band the
    // background draws, the OK button in the middle of the band above the box's bottom
    // edge (the band was drawn from the window's top edge, not below its 8-pixel margin,
    // so all of them sat 4 pixels low, and the buttons high).
    void titleAndButtonsSitInTheMiddleOfTheirBands() {
        QRZMessageBox box;
        box.addButtons(QRZMessageBox::OkButton);
        box.setText(QStringLiteral("Recording failed!"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QImage image = box.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(12);
        const int titleLeft = box.titleTextRect().left();
        const int titleRight = titleLeft + QFontMetrics(font).horizontalAdvance(box.title());
        // Rows of the title band's and of the body's colour in a column clear of the title.
        const int column = titleRight + 4;
        QVERIFY(column < box.closeButton()->x());
        auto near = [](const QColor& a, const QColor& b) {
            return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 && qAbs(a.blue() - b.blue()) <= 2;
        };
        int bandTop = -1, bandBottom = -1, bodyBottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            const QColor colour = image.pixelColor(column, y);
            if (near(colour, QColor(54, 53, 53)) && (bandTop < 0 || bandBottom == y - 1)) {
                bandTop = bandTop < 0 ? y : bandTop;
                bandBottom = y;
            }
            if (near(colour, QColor(65, 64, 64))) {
                bodyBottom = y;
            }
        }
        QVERIFY(bandTop >= 0 && bodyBottom > bandBottom);
        // The band as seen: with the box's border row above it.
        --bandTop;
        const double bandMiddle = (bandTop + bandBottom) / 2.0;
        // The title's ink.
        int inkTop = -1, inkBottom = -1;
        for (int y = bandTop + 1; y <= bandBottom; ++y) {
            for (int x = titleLeft; x < titleRight; ++x) {
                if (image.pixelColor(x, y).lightness() > 150) {
                    inkTop = inkTop < 0 ? y : inkTop;
                    inkBottom = y;
                    break;
                }
            }
        }
        QVERIFY(inkTop >= 0);
        const QString rows = QStringLiteral("band rows %1-%2, title ink %3-%4, close button %5-%6, body to %7")
                                 .arg(bandTop)
                                 .arg(bandBottom)
                                 .arg(inkTop)
                                 .arg(inkBottom)
                                 .arg(box.closeButton()->y())
                                 .arg(box.closeButton()->geometry().bottom())
                                 .arg(bodyBottom);
        QVERIFY2(qAbs((inkTop + inkBottom) / 2.0 - bandMiddle) <= 1.5, qPrintable(rows));
        const QRect close = box.closeButton()->geometry();
        QVERIFY2(close.top() >= bandTop && close.bottom() <= bandBottom, qPrintable(rows));
        // The OK button: the middle of the 50 rows above the box's bottom edge.
        const QRect ok = box.actionButtons().first()->geometry();
        QVERIFY2(qAbs((ok.top() + ok.bottom()) / 2.0 - (bodyBottom - 24.5)) <= 1.5,
                 qPrintable(rows + QStringLiteral(", OK %1-%2").arg(ok.top()).arg(ok.bottom())));
    }

    // A short message under a long title: the box widens until the title clears the close
    // button (it was cut at "Calvorine Screen Re").
    void titleIsNeverCutByTheCloseButton() {
        for (const QString& title : {QString(), QStringLiteral("A much longer title than the product's own name")}) {
            QRZMessageBox box;
            if (!title.isEmpty()) {
                box.setMessageTitle(title);
            }
            box.addButtons(QRZMessageBox::OkButton);
            box.setText(QStringLiteral("Recording failed!"));
            box.show();
            QFont font(QStringLiteral("Tahoma"));
            font.setPixelSize(12);
            const int titleRight = box.titleTextRect().left() + QFontMetrics(font).horizontalAdvance(box.title());
            QVERIFY2(titleRight < box.closeButton()->x(),
                     qPrintable(QStringLiteral("%1: title to %2, close button at %3")
                                    .arg(box.title())
                                    .arg(titleRight)
                                    .arg(box.closeButton()->x())));
        }
    }

    void olderBoxButtonsAndResults() {
        {
            QRZMessageDlg dialog;
            dialog.setStyleFlags(QRZMessageDlg::ErrorIcon | QRZMessageDlg::YesNoButtons);
            dialog.setText(QStringLiteral("Overwrite?"));
            whenModal([&dialog](QWidget*) {
                QVERIFY(dialog.hasTypeIcon());
                QCOMPARE(dialog.m_btnOk->text(), QStringLiteral("YES"));
                QCOMPARE(dialog.m_btnCancel->text(), QStringLiteral("NO"));
                QVERIFY(dialog.m_btnCancel->isVisible());
                dialog.m_btnOk->click();
            });
            QCOMPARE(dialog.exec(), 0x4000);
        }
        {
            QRZMessageDlg dialog;
            dialog.setStyleFlags(QRZMessageDlg::YesNoButtons);
            whenModal([&dialog](QWidget*) { dialog.m_btnCancel->click(); });
            QCOMPARE(dialog.exec(), 0x10000);
        }
        {
            QRZMessageDlg dialog;
            dialog.setStyleFlags(QRZMessageDlg::OkCancelButtons);
            whenModal([&dialog](QWidget*) { dialog.m_btnCancel->click(); });
            QCOMPARE(dialog.exec(), 0x400000);
        }
        {
            QRZMessageDlg dialog;
            dialog.setText(QStringLiteral("Please select the area you want to record first."));
            whenModal([&dialog](QWidget*) {
                QVERIFY(!dialog.m_btnCancel->isVisible());
                QCOMPARE(dialog.m_btnOk->size(), QSize(80, 25));
                QCOMPARE(dialog.m_btnOk->geometry().right(), dialog.width() - 25 - 1);
                QCOMPARE(dialog.m_btnOk->y(), dialog.height() - 15 - 25);
                QCOMPARE(dialog.m_btnClose->pos(), QPoint(dialog.width() - dialog.m_btnClose->width() - 8, 8));
                dialog.m_btnClose->click();
            });
            QCOMPARE(dialog.exec(), 0x200000);
        }
        {
            QRZMessageDlg dialog;
            whenModal([&dialog](QWidget*) { dialog.m_btnOk->click(); });
            QCOMPARE(dialog.exec(), 0x400);
        }
    }

    void olderBoxIsSizedByItsLongestLine() {
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(12);
        const QString longLine = QStringLiteral("This line is clearly the longest line of the message");
        const QString text = QStringLiteral("Short\n") + longLine + QStringLiteral("\nTiny");
        QCOMPARE(QRZMessageDlg::longestLineWidth(text, font), QFontMetrics(font).horizontalAdvance(longLine));

        QRZMessageDlg dialog;
        dialog.setText(text);
        dialog.setUseGeometry(false);
        dialog.show();
        const int width = QFontMetrics(font).horizontalAdvance(longLine);
        // Without an icon a text wider than 174 pixels starts at x 40 and widens the box.
        QCOMPARE(dialog.textRect().left(), 40);
        QCOMPARE(dialog.textRect().width(), width + 2);
        QCOMPARE(dialog.width(), width + 82);
        // Three lines, none of them wrapped again.
        QCOMPARE(dialog.textRect().height(),
                 QFontMetrics(font).boundingRect(QRect(0, 0, 5000, 5000), 0, text).height());
    }

    void fadeOutClosesTheWindow() {
        QWidget window;
        window.resize(100, 100);
        window.show();
        fadeOutAndClose(&window);
        QVERIFY(window.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 10000);
        fadeOutAndClose(nullptr);
    }

    void olderBoxDragsOnlyByItsTopBand() {
        QRZMessageDlg dialog;
        dialog.setText(QStringLiteral("Drag me"));
        dialog.show();
        const QPoint start = dialog.pos();
        sendMouse(&dialog, QEvent::MouseButtonPress, QPoint(100, 40));
        sendMouse(&dialog, QEvent::MouseMove, QPoint(130, 60));
        sendMouse(&dialog, QEvent::MouseButtonRelease, QPoint(130, 60));
        QCOMPARE(dialog.pos(), start);
        sendMouse(&dialog, QEvent::MouseButtonPress, QPoint(100, 20));
        sendMouse(&dialog, QEvent::MouseMove, QPoint(130, 50));
        sendMouse(&dialog, QEvent::MouseButtonRelease, QPoint(130, 50));
        QCOMPARE(dialog.pos(), start + QPoint(30, 30));
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
