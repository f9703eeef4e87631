#include "library/QHistoryDlg.h"

#include "app/AppGlobals.h"
#include "library/PlayBtnWidget.h"
#include "library/QHistoryListWgt.h"
#include "library/QPlayerWidget.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/StyleHelpers.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int kListWidth = 350;
constexpr int kTabTop = 30;
} // namespace

QHistoryDlg::QHistoryDlg(QWidget* parent) : QRZDialogEx(parent) {
    setupForm();
    installEventFilter(this);
    m_list = new QHistoryListWgt(this);
    m_player = new QPlayerWidget(this);
    m_list->setPlayObject(m_player->playObject());
    connectParts();
    m_btnAll->click();
}

QHistoryDlg::~QHistoryDlg() {
    delete m_list;
    m_list = nullptr;
    delete m_player;
    m_player = nullptr;
}

void QHistoryDlg::setupForm() {
    setObjectName(QStringLiteral("QHistoryDlg"));
    styleHistoryDialog(this);
    // The history window resizes by its edges, unlike the other dialogs of its kind.
    setResizeFlags(ResizeBoth);
    setWindowIcon(QIcon(toolkitImagePath(QStringLiteral("/image/common/dlg_logo.png"))));
    setTitle(tr("History"));
    setWindowTitle(QStringLiteral("Calvorine Screen Recorder"));
    setMinimumSize(853, 438);
    resize(853, 438);
    setMouseTracking(true);

    m_editSearch = new QRZLineEdit(this);
    m_editSearch->setObjectName(QStringLiteral("m_editSearch"));
    styleSearchEdit(m_editSearch);
    m_editSearch->setPlaceholderText(tr("Search"));
    const auto makeTab = [this](const char* name, const QString& text) {
        auto* tab = new QRZBaseButton(this);
        tab->setObjectName(QString::fromLatin1(name));
        styleTabButton(tab);
        tab->setText(text);
        tab->setFocusPolicy(Qt::TabFocus);
        connect(tab, &QAbstractButton::clicked, this, &QHistoryDlg::OnClickTabBtn);
        return tab;
    };
    m_btnVideo = makeTab("m_btnVideo", tr("Video"));
    m_btnAudio = makeTab("m_btnAudio", tr("Audio"));
    m_btnAll = makeTab("m_btnAll", tr("All"));
    m_btnDeleteAll = new QRZBaseButton(this);
    m_btnDeleteAll->setObjectName(QStringLiteral("m_btnDeleteAll"));
    m_btnDeleteAll->setText(tr("Delete All"));
    styleCommonButton(m_btnDeleteAll, 75, 24);
    m_btnDeleteAll->setFocusPolicy(Qt::ClickFocus);

    m_btnClose = createCloseButton(toolkitImagePath(QStringLiteral("/image/btn_close.png")), true);
    connect(m_btnClose, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_btnClose, &QAbstractButton::clicked, this, &QHistoryDlg::OnBtnClose);
}

void QHistoryDlg::connectParts() {
    connect(m_player, &QPlayerWidget::emitPlay, m_list, &QHistoryListWgt::OnBtnPlay);
    connect(m_player, &QPlayerWidget::emitFullScreen, this, &QHistoryDlg::OnFullScreen);
    connect(m_player->controlBar(), &PlayBtnWidget::emitBtnPreVideo, m_list, &QHistoryListWgt::OnBtnPrevious);
    connect(m_player->controlBar(), &PlayBtnWidget::emitBtnNextVideo, m_list, &QHistoryListWgt::OnBtnNext);
    connect(m_list, &QHistoryListWgt::emitPlayName, m_player, &QPlayerWidget::setPlayFileName);
    connect(m_list, &QHistoryListWgt::emitShowPlayWgt, m_player, &QPlayerWidget::startShowPlayWgt);
    connect(m_list, &QHistoryListWgt::emitStartPlayerTimer, m_player, &QPlayerWidget::StartPlayerTimer);
    connect(m_editSearch, &QLineEdit::textChanged, m_list, &QHistoryListWgt::OnSearchString);
    connect(m_btnDeleteAll, &QAbstractButton::clicked, m_list, &QHistoryListWgt::OnBtnAllDelete);
}

void QHistoryDlg::selectTab(int index) {
    QRZBaseButton* tab = index == 0 ? m_btnVideo : (index == 1 ? m_btnAudio : m_btnAll);
    if (tab->isEnabled()) {
        tab->click();
    }
}

void QHistoryDlg::OnClickTabBtn() {
    auto* tab = qobject_cast<QRZBaseButton*>(sender());
    if (tab == nullptr) {
        return;
    }
    for (QRZBaseButton* each : {m_btnVideo, m_btnAudio, m_btnAll}) {
        each->setEnabled(true);
        each->setChecked(false);
    }
    tab->setChecked(true);
    tab->setEnabled(false);
    m_list->showFileType(tab == m_btnVideo ? QHistoryListWgt::Video
                                           : (tab == m_btnAudio ? QHistoryListWgt::Audio : QHistoryListWgt::All));
}

void QHistoryDlg::closePlayback() {
    m_player->closePlay();
}

void QHistoryDlg::OnBtnClose() {
    closePlayback();
    close();
}

void QHistoryDlg::OnFullScreen() {
    m_fullScreen = !m_fullScreen;
    if (m_fullScreen) {
        showFullScreen();
    } else {
        showNormal();
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_btnClose, m_btnVideo, m_btnAudio, m_btnAll, m_btnDeleteAll, m_editSearch}) {
        control->setVisible(!m_fullScreen);
    }
    m_player->setFullScreen(m_fullScreen);
    relayout();
}

bool QHistoryDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)) {
        setHistoryWindowActive(event->type() == QEvent::WindowActivate);
        return true;
    }
    return QRZDialogEx::eventFilter(watched, event);
}

void QHistoryDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        closePlayback();
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return;
    default:
        QRZDialogEx::keyPressEvent(event);
    }
}

void QHistoryDlg::paintEvent(QPaintEvent* event) {
    QRZDialogEx::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(QRect(0, kTabTop, kListWidth, m_btnVideo->height()), QColor(62, 60, 60));
}

void QHistoryDlg::mouseMoveEvent(QMouseEvent* event) {
    QRZDialogEx::mouseMoveEvent(event);
    m_player->layoutFloatingBars();
}

void QHistoryDlg::moveEvent(QMoveEvent* event) {
    QRZDialogEx::moveEvent(event);
    // The floating bars are windows of their own: they follow the dialog.
    m_player->layoutFloatingBars();
}

void QHistoryDlg::showEvent(QShowEvent* event) {
    QRZDialogEx::showEvent(event);
    relayout();
}

void QHistoryDlg::resizeEvent(QResizeEvent* event) {
    QRZDialogEx::resizeEvent(event);
    relayout();
}

void QHistoryDlg::relayout() {
    if (m_list == nullptr || m_player == nullptr) {
        return;
    }
    const int W = width();
    const int H = height();
    if (m_btnClose != nullptr) {
        m_btnClose->move(W - m_btnClose->width(), 0);
    }
    m_btnVideo->move(3 * (117 - m_btnVideo->width()) / 2, kTabTop);
    m_btnAudio->move(m_btnVideo->x() + m_btnVideo->width(), kTabTop);
    m_btnAll->move(m_btnAudio->x() + m_btnAudio->width(), kTabTop);
    const int bandTop = H - 39;
    m_editSearch->move(20, bandTop + (39 - m_editSearch->height()) / 2);
    m_btnDeleteAll->move(330 - m_btnDeleteAll->width(), bandTop + (39 - m_btnDeleteAll->height()) / 2);
    if (m_fullScreen) {
        m_list->hide();
        m_player->setGeometry(0, 0, W, H);
    } else {
        m_list->show();
        const int top = m_btnVideo->height() + 31;
        m_list->setGeometry(0, top, kListWidth, H - 40 - top);
        m_player->setGeometry(kListWidth, kTabTop, W - kListWidth, H - kTabTop);
    }
}
