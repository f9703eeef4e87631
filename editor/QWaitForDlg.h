// The invisible modal dialog that blocks the editor while its file loads; the editor's
// own spinner shows the activity. GUI thread only.
#pragma once

#include <QDialog>

class QWaitForDlg : public QDialog {
    Q_OBJECT

public:
    explicit QWaitForDlg(QWidget* parent = nullptr);
    ~QWaitForDlg() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
