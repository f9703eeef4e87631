// The older message box used by the main window: a frameless QDialog drawn from the
// images under "/pic/", with up to two action buttons and a close button chosen by a
// style flags word set before exec(). Created, run with exec() and deleted by its
// caller. GUI thread only.
#pragma once

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QRect>

class QRZBaseButton;

namespace Ui {
class QRZMessageDlg;
}

class QRZMessageDlg : public QDialog {
    Q_OBJECT
public:
    enum StyleFlag {
        ShowIcon = 0x002,
        WarningIcon = 0x012,
        SuccessIcon = 0x022,
        ErrorIcon = 0x032,
        OkCancelButtons = 0x100,
        RestartButtons = 0x200,
        YesNoButtons = 0x400
    };
    enum Result {
        ResultOk = 0x400,
        ResultYes = 0x4000,
        ResultNo = 0x10000,
        ResultCancel = 0x400000,
        ResultClose = 0x200000
    };

    explicit QRZMessageDlg(QWidget* parent = nullptr);
    ~QRZMessageDlg() override;

    void setText(const QString& text);
    QString text() const;
    void setUseGeometry(bool useGeometry);
    void setStyleFlags(int flags);
    int styleFlags() const;

    // Laid out by the last show.
    QRect boxRect() const;
    QRect textRect() const;
    QRect typeIconRect() const;
    bool hasTypeIcon() const;

    // Width of the text's longest line in the font.
    static int longestLineWidth(const QString& text, const QFont& font);

    QRZBaseButton* m_btnOk = nullptr;
    QRZBaseButton* m_btnCancel = nullptr;
    QRZBaseButton* m_btnClose = nullptr;

public slots:
    void OnBtnOk();
    void OnBtnCancel();
    void OnBtnClose();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void initButtons();
    void layoutText();
    void reportMissingImage(const QString& message);
    Ui::QRZMessageDlg* ui;
    struct Private;
    Private* d;
};
