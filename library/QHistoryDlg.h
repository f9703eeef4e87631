// The history library's window: the record list on the left with three type tabs above
// it and a search box and "Delete All" below it, the built-in player on the right. The
// main window builds one, selects a tab, runs it modally and destroys it. GUI thread
// only.
#pragma once

#include "toolkit/QRZDialog.h"

class QHistoryListWgt;
class QPlayerWidget;
class QRZBaseButton;
class QRZLineEdit;

class QHistoryDlg : public QRZDialogEx {
    Q_OBJECT
public:
    explicit QHistoryDlg(QWidget* parent = nullptr);
    ~QHistoryDlg() override;

    // 0 the Video tab, 1 the Audio tab, any other value All (as if clicked).
    void selectTab(int index);

    QHistoryListWgt* listWidget() const { return m_list; }
    QPlayerWidget* playerWidget() const { return m_player; }
    QRZLineEdit* searchEdit() const { return m_editSearch; }
    QRZBaseButton* videoTab() const { return m_btnVideo; }
    QRZBaseButton* audioTab() const { return m_btnAudio; }
    QRZBaseButton* allTab() const { return m_btnAll; }
    QRZBaseButton* deleteAllButton() const { return m_btnDeleteAll; }
    bool isFullScreenMode() const { return m_fullScreen; }

public slots:
    void OnBtnClose();
    void OnClickTabBtn();
    void OnFullScreen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void relayout() override;

private:
    void setupForm();
    void connectParts();
    void closePlayback();

    QRZLineEdit* m_editSearch;
    QRZBaseButton* m_btnVideo;
    QRZBaseButton* m_btnAudio;
    QRZBaseButton* m_btnAll;
    QRZBaseButton* m_btnDeleteAll;
    QRZBaseButton* m_btnClose = nullptr;
    QHistoryListWgt* m_list = nullptr;
    QPlayerWidget* m_player = nullptr;
    bool m_fullScreen = false;
};
