// The small visual pieces of the history list: the table view with per-cell tool tips,
// the delegate that draws covers and the new badge and edits names, the delete-or-move
// question and the self-closing tool-tip box. GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"
#include "toolkit/QRZTableView.h"

#include <QImage>

class QHistorySortModel;
class QLabel;
class QRZBaseButton;
class QTimer;

class QTableViewEx : public QRZTableView {
    Q_OBJECT
public:
    explicit QTableViewEx(QWidget* parent = nullptr);

    // The proxy the view shows (also handed to the base view).
    void setSortModel(QHistorySortModel* model);

public slots:
    QString showToolTipText(const QModelIndex& index) override;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QHistorySortModel* m_sortModel = nullptr;
};

// The details of a record as its name cell's tool tip shows them.
class QHistoryChunk;
QString historyDetailsText(QHistoryChunk* chunk);

class QHistoryDelegate : public QRZBaseStyleDelegate {
    Q_OBJECT
public:
    explicit QHistoryDelegate(QObject* parent = nullptr);

    // Each image is loaded only when the file exists; a new path drops the old image.
    void setDefaultCoverImage(const QString& path);
    void setNewBadgeImage(const QString& path);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // Where a cover of the given size lands in the 40 x 40 square at `topLeft`.
    static QRect coverRect(const QPoint& topLeft, const QSize& cover);

public slots:
    void commitAndCloseEditor();

protected:
    void paintDecoration(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const override;
    void paintBadge(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QImage m_defaultCover;
    QImage m_newBadge;
};

// Answers 0 (Cancel, or the title close button), 1 ("Move files") or 2 ("Delete files").
class AskMessageDlg : public QRZDialogEx {
    Q_OBJECT
public:
    explicit AskMessageDlg(QWidget* parent = nullptr);

    void setMessage(const QString& text);
    QRZBaseButton* cancelButton() const { return m_btnCancel; }
    QRZBaseButton* moveButton() const { return m_btnMove; }
    QRZBaseButton* deleteButton() const { return m_btnDelete; }

public slots:
    void OnBtnDeleted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void placeControls();

    QRZBaseButton* m_btnCancel;
    QRZBaseButton* m_btnDelete;
    QRZBaseButton* m_btnMove;
    QLabel* m_labMsg;
};

int askDeleteOrMove(QWidget* parent, const QString& message);

// A modal box that closes by its own timer after 1.5 s.
class QCustomToolTip : public QRZDialog {
    Q_OBJECT
public:
    explicit QCustomToolTip(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    void setBoxSize(int width, int height);
    QLabel* label() const { return m_label; }

public slots:
    void onTimer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_text;
    QLabel* m_label;
    QTimer* m_timer;
    QSize m_boxSize{300, 13};
    bool m_boxSizeGiven = false;
};

int showCustomToolTip(QWidget* parent, const QPoint& globalPoint, const QString& text, const QString& imagePath,
                      int width, int height);

// The stay-on-top flag of `window` when `reference`'s window has it.
void copyStayOnTopFlag(QWidget* reference, QWidget* window);
