#include "library/QHistoryViewParts.h"

#include "app/AppGlobals.h"
#include "library/QHistoryChunk.h"
#include "toolkit/QRZButton.h"
#include "toolkit/StyleHelpers.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

namespace {

constexpr int kCoverSide = 40;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// At the face's own line spacing a descender of one line meets the ascenders of the
// next: the lines of a message are set 15 px apart.
QString linesSetApart(const QString& text) {
    QString lines = text.toHtmlEscaped();
    lines.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QStringLiteral("<div style=\"line-height:15px\">%1</div>").arg(lines);
}

} // namespace

// ---------------------------------------------------------------------------------------

QTableViewEx::QTableViewEx(QWidget* parent) : QRZTableView(parent) {
    setMouseTracking(true);
}

void QTableViewEx::setSortModel(QHistorySortModel* model) {
    m_sortModel = model;
    setSortModelRef(model);
}

// The hovered row is drawn as the current one; once the pointer leaves, the view's own
// current row is again. The hover repaints only the rows it moves between, so the row
// drawn as current before the pointer came is repainted too.
void QTableViewEx::mouseMoveEvent(QMouseEvent* event) {
    const int before = m_sortModel != nullptr ? m_sortModel->currentRow() : -1;
    QRZTableView::mouseMoveEvent(event);
    if (m_sortModel != nullptr && m_sortModel->currentRow() != before) {
        viewport()->update();
    }
}

void QTableViewEx::leaveEvent(QEvent* event) {
    QRZTableView::leaveEvent(event);
    if (m_sortModel != nullptr && currentIndex().isValid()) {
        m_sortModel->setCurrentRow(currentIndex().row());
        viewport()->update();
    }
}

QString historyDetailsText(QHistoryChunk* chunk) {
    if (chunk == nullptr) {
        return QString();
    }
    QString text;
    const auto optional = [&text](const char* label, const std::string& value) {
        if (!value.empty()) {
            text += QString::fromLatin1(label).arg(fromUtf8(value));
        }
    };
    optional("Title: %1\n", chunk->name());
    optional("Artist: %1\n", chunk->artist());
    optional("Genre: %1\n", chunk->genre());
    optional("Album: %1\n", chunk->album());
    text += QStringLiteral("File size: %1\n").arg(fromUtf8(chunk->size()));
    if (chunk->isVideoFile()) {
        text += QStringLiteral("Resolution: %1\n").arg(fromUtf8(chunk->resolution()));
    }
    text += QStringLiteral("Duration: %1\n").arg(fromUtf8(chunk->duration()));
    text += QStringLiteral("Create time: %1").arg(fromUtf8(chunk->createTime()));
    return text;
}

QString QTableViewEx::showToolTipText(const QModelIndex& index) {
    switch (index.column()) {
    case 0:
        return tr("Play");
    case 1: {
        // The column may cut the name: a record without a title of its own shows its
        // whole name above the details.
        QHistoryChunk* chunk = historyChunkOf(index);
        if (chunk == nullptr || !chunk->name().empty()) {
            return historyDetailsText(chunk);
        }
        return fromUtf8(chunk->displayName()) + QLatin1Char('\n') + historyDetailsText(chunk);
    }
    case 2:
        return tr("Edit Name");
    case 3:
        return tr("Open file location");
    case 4:
        return tr("Edit");
    case 5:
        return tr("Delete");
    default:
        return QString();
    }
}

// ---------------------------------------------------------------------------------------

QHistoryDelegate::QHistoryDelegate(QObject* parent) : QRZBaseStyleDelegate(parent) {}

void QHistoryDelegate::setDefaultCoverImage(const QString& path) {
    m_defaultCover = QFileInfo::exists(path) ? QImage(path) : QImage();
}

void QHistoryDelegate::setNewBadgeImage(const QString& path) {
    m_newBadge = QFileInfo::exists(path) ? QImage(path) : QImage();
}

void QHistoryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem copy(option);
    QRZBaseStyleDelegate::paint(painter, copy, index);
}

QRect QHistoryDelegate::coverRect(const QPoint& topLeft, const QSize& cover) {
    if (cover.isEmpty()) {
        return QRect(topLeft, QSize(kCoverSide, kCoverSide));
    }
    const QSize fitted = cover.scaled(kCoverSide, kCoverSide, Qt::KeepAspectRatio);
    return QRect(topLeft.x() + (kCoverSide - fitted.width()) / 2, topLeft.y() + (kCoverSide - fitted.height()) / 2,
                 fitted.width(), fitted.height());
}

void QHistoryDelegate::paintDecoration(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    if (index.column() == 0) {
        const QPoint topLeft = option.rect.topLeft();
        painter->save();
        painter->fillRect(QRect(topLeft, QSize(kCoverSide, kCoverSide)), Qt::black);
        const QString coverPath = index.data(Qt::DecorationRole).toString();
        QImage cover;
        if (!coverPath.isEmpty() && QFileInfo::exists(coverPath)) {
            cover.load(coverPath);
        }
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        if (!cover.isNull()) {
            painter->drawImage(coverRect(topLeft, cover.size()), cover);
        } else if (!m_defaultCover.isNull()) {
            painter->drawImage(QRect(topLeft, QSize(kCoverSide, kCoverSide)), m_defaultCover);
        }
        painter->restore();
    }
    QRZBaseStyleDelegate::paintDecoration(painter, option, index);
}

void QHistoryDelegate::paintBadge(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QRZBaseStyleDelegate::paintBadge(painter, option, index);
    if (index.column() == 0 && index.data(Qt::UserRole).toUInt() != 0 && !m_newBadge.isNull()) {
        painter->drawImage(option.rect.topLeft(), m_newBadge);
    }
}

QWidget* QHistoryDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    if (index.column() != 1) {
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
    auto* edit = new QLineEdit(parent);
    connect(edit, &QLineEdit::editingFinished, this, &QHistoryDelegate::commitAndCloseEditor);
    return edit;
}

void QHistoryDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (index.column() != 1 || edit == nullptr) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QString name = index.data(Qt::DisplayRole).toString();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    edit->setText(dot >= 0 ? name.left(dot) : name);
}

void QHistoryDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (index.column() != 1 || edit == nullptr) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    model->setData(index, edit->text(), Qt::DisplayRole);
}

void QHistoryDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    if (index.column() != 1) {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        return;
    }
    const QRect cell = option.rect;
    editor->setGeometry(cell.left(), cell.top() + (cell.height() - 20) / 2, cell.width() + 27, 20);
}

void QHistoryDelegate::commitAndCloseEditor() {
    auto* editor = qobject_cast<QWidget*>(sender());
    if (editor == nullptr) {
        return;
    }
    emit commitData(editor);
    emit closeEditor(editor);
}

// ---------------------------------------------------------------------------------------

void copyStayOnTopFlag(QWidget* reference, QWidget* window) {
    if (reference != nullptr && window != nullptr && reference->window()->windowFlags() & Qt::WindowStaysOnTopHint) {
        window->setWindowFlags(window->windowFlags() | Qt::WindowStaysOnTopHint);
    }
}

AskMessageDlg::AskMessageDlg(QWidget* parent) : QRZDialogEx(parent) {
    setObjectName(QStringLiteral("AskMessageDlg"));
    setDialogBackground1(this);
    setWindowTitle(QStringLiteral("Calvorine Screen Recorder"));
    setTitle(QStringLiteral("Calvorine Screen Recorder"));
    resize(420, 170);
    QRZBaseButton* close = createCloseButton(toolkitImagePath(QStringLiteral("/image/btn_close.png")), true);
    connect(close, &QAbstractButton::clicked, this, &QDialog::reject);

    m_labMsg = new QLabel(this);
    m_labMsg->setObjectName(QStringLiteral("m_labMsg"));
    setWidgetFont(m_labMsg, 12);
    setWidgetTextColor(m_labMsg, QPalette::WindowText, QColor(250, 237, 237));

    m_btnCancel = new QRZBaseButton(this);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnCancel->setText(tr("Cancel"));
    styleCommonButton(m_btnCancel, 81, 24);
    m_btnMove = new QRZBaseButton(this);
    m_btnMove->setObjectName(QStringLiteral("m_btnMove"));
    m_btnMove->setText(tr("Move files"));
    m_btnDelete = new QRZBaseButton(this);
    m_btnDelete->setObjectName(QStringLiteral("m_btnDelete"));
    m_btnDelete->setText(tr("Delete files"));
    const int language = getLanguageIndex();
    const bool wide = language == 2 || language == 3 || language == 4;
    for (QRZBaseButton* button : {m_btnMove, m_btnDelete}) {
        styleCommonButton(button, wide ? 110 : 80, 24);
        setWidgetFont(button, wide ? 10 : 12);
    }
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(m_btnMove, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(m_btnDelete, &QAbstractButton::clicked, this, &AskMessageDlg::OnBtnDeleted);
}

void AskMessageDlg::setMessage(const QString& text) {
    m_labMsg->setText(linesSetApart(text));
    m_labMsg->adjustSize();
}

void AskMessageDlg::OnBtnDeleted() {
    done(2);
}

void AskMessageDlg::placeControls() {
    const int w = width();
    const int h = height();
    m_labMsg->move((w - m_labMsg->width()) / 2, 60);
    const int bandTop = h - 47;
    const auto centreY = [bandTop](QWidget* button) { return bandTop + (39 - button->height()) / 2; };
    m_btnCancel->move(28, centreY(m_btnCancel));
    m_btnMove->move(w - 28 - m_btnMove->width(), centreY(m_btnMove));
    m_btnDelete->move(m_btnMove->x() - 17 - m_btnDelete->width(), centreY(m_btnDelete));
}

void AskMessageDlg::paintEvent(QPaintEvent* event) {
    placeControls();
    QRZDialogEx::paintEvent(event);
}

int askDeleteOrMove(QWidget* parent, const QString& message) {
    AskMessageDlg dialog;
    dialog.setMessage(message);
    copyStayOnTopFlag(parent, &dialog);
    return dialog.exec();
}

// ---------------------------------------------------------------------------------------

QCustomToolTip::QCustomToolTip(QWidget* parent) : QRZDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setTitleHeight(0);
    setResizeFlags(0);
    setBackgroundMargins(20, 20, 20, 20, 20, 20, 20, 20);
    m_label = new QLabel(this);
    // The text box lies 25 px down the window. Two lines of 15 px fill its 30 px; their
    // baselines fall at 4/5 of each line, which sets this face's ink 3 px below the top of
    // its lines and lets the last descender hang 1 px below them. The label stands 2 px
    // higher than the text box and reaches 2 px further down, so that the ink lies in the
    // middle of the box, whole.
    m_label->move(20, 23);
    m_label->setTextFormat(Qt::RichText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidgetFont(m_label, 12);
    setWidgetTextColor(m_label, QPalette::WindowText, Qt::black);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &QCustomToolTip::onTimer);
}

void QCustomToolTip::setText(const QString& text) {
    m_text = text;
    m_label->setText(linesSetApart(text));
}

void QCustomToolTip::setBoxSize(int width, int height) {
    m_boxSize = QSize(width, height);
    m_boxSizeGiven = true;
    m_label->resize(m_boxSize + QSize(0, 2));
}

void QCustomToolTip::onTimer() {
    close();
    m_timer->stop();
}

void QCustomToolTip::showEvent(QShowEvent* event) {
    m_timer->start(1500);
    setFixedSize(m_boxSize + QSize(40, 40));
    QRZDialog::showEvent(event);
}

int showCustomToolTip(QWidget* parent, const QPoint& globalPoint, const QString& text, const QString& imagePath,
                      int width, int height) {
    QCustomToolTip tip(parent);
    tip.loadBackgroundImage(imagePath, false);
    tip.setBackgroundMargins(20, 20, 20, 20, 20, 20, 20, 20);
    if (!text.isEmpty()) {
        tip.setText(text);
    }
    if (width > 0 && height > 0) {
        tip.setBoxSize(width, height);
    }
    copyStayOnTopFlag(parent, &tip);
    tip.move(globalPoint);
    return tip.exec();
}
