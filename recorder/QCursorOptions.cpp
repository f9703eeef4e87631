#include "recorder/QCursorOptions.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "recorder/FormHelpers.h"
#include "toolkit/IBaseChunk.h"
#include "toolkit/QBaseIconListDelegate.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZListView.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/ScreenOrigin.h"
#include "toolkit/StyleHelpers.h"

#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kCursorSection = QStringLiteral("CURSOR_OPTION");

QString optionKey(int type) {
    switch (type) {
    case QRecordAreaInfo::ShowCursor:
        return QStringLiteral("Cursor_Show_Value");
    case QRecordAreaInfo::HighlightCursor:
        return QStringLiteral("Cursor_Hight_Value");
    default:
        return QStringLiteral("Cursor_Hight_Click_Value");
    }
}

QString indexKey(int type) {
    return type == QRecordAreaInfo::HighlightCursor ? QStringLiteral("Cursor_Hight_Index")
                                                    : QStringLiteral("Cursor_Hight_Click_Index");
}

bool isCroppedHighlight(int type, int index) {
    return type == QRecordAreaInfo::HighlightCursor && index >= 4 && index <= 6;
}

} // namespace

QImage lowerRightPart(const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    return image.copy(int(0.4 * w), int(0.4 * h), int(0.6 * w), int(0.6 * h));
}

// ---------------------------------------------------------------------------------------
// Chooser

QCursorSelectDlg::QCursorSelectDlg(QWidget* parent, const QString& folder) : QDialog(parent), m_folder(folder) {
    setObjectName(QStringLiteral("QCursorSelectDlg"));
    setWindowTitle(tr("Form"));
    m_listView = new QRZListView(this);
    m_listView->setObjectName(QStringLiteral("m_listView"));
    m_listView->setGeometry(1, 1, 88, 44);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    installEventFilter(this);
    resize(90, 46);

    m_listView->move(1, 1);
    m_listView->setStyleSheet(QStringLiteral("QListView{background:%1;}").arg(QColor(74, 72, 72).name()));
    m_listView->setAttribute(Qt::WA_MacShowFocusRect, false);
    if (!m_folder.isEmpty()) {
        const int type = pictureType();
        for (int i = 0; i < QRecordAreaInfo::kCursorImageCount; ++i) {
            auto* item = new IBaseChunk(false);
            item->setName(QStringLiteral("title%1").arg(i).toStdString());
            if (i < QRecordAreaInfo::kOwnCursorImageIndex) {
                const QString path = m_folder + QStringLiteral("%1.png").arg(i + 1);
                item->setImagePath(path.toUtf8().toStdString());
                if (isCroppedHighlight(type, i)) {
                    const QImage picture(path);
                    if (!picture.isNull())
                        m_model.setRecordImage(item, lowerRightPart(picture));
                }
            } else {
                item->setOverlayImagePath(
                    (getAppDirPath() + QStringLiteral("/image/cmb_add.png")).toUtf8().toStdString());
            }
            m_items.push_back(item);
        }
        m_model.setChunks(&m_items);
        m_listView->setModel(&m_model);
        m_listView->setToolTipEnabled(true);
        m_listView->setSelectionMode(QAbstractItemView::SingleSelection);
    }
    const QColor row(64, 62, 62), text(250, 237, 237);
    m_model.setBackgroundColors(row, row);
    m_model.setTextColors(text, text);
    m_model.setCurrentColors(QColor(70, 68, 68), text);
    m_model.setItemSize(20, 20);
    m_listView->setGridSize(QSize(22, 22));
    m_listView->setResizeMode(QListView::Adjust);
    m_listView->setViewMode(QListView::IconMode);
    m_listView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_delegate = new QBaseIconListDelegate();
    // The names are tool tips: no room is left for them inside the 20-pixel tiles.
    m_delegate->setTextMargins(0, 0, 20, 0);
    m_listView->setItemDelegate(m_delegate);
    connect(m_listView, &QAbstractItemView::clicked, this, &QCursorSelectDlg::OnClickItem);
    connect(m_listView, &QAbstractItemView::doubleClicked, this, &QCursorSelectDlg::DoubleClickItem);
    connect(m_listView, &QRZListView::emitCurrentChanged, this, &QCursorSelectDlg::CurrentChanged);
}

QCursorSelectDlg::~QCursorSelectDlg() {
    m_listView->setModel(nullptr);
    delete m_delegate;
    m_model.setChunks(nullptr);
    for (IBaseChunk* item : m_items)
        delete item;
}

int QCursorSelectDlg::pictureType() const {
    return m_folder == QRecordAreaInfo::cursorImageFolder(QRecordAreaInfo::HighlightCursor)
               ? QRecordAreaInfo::HighlightCursor
               : QRecordAreaInfo::HighlightClicks;
}

void QCursorSelectDlg::setCurrentIndex(int row) {
    const QModelIndex index = m_model.index(row, 0);
    if (index.isValid())
        m_listView->setCurrentIndex(index);
}

bool QCursorSelectDlg::adoptOwnPicture(const QString& chosenFile) {
    QFile source(chosenFile);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    // Only a picture that decodes replaces the old one.
    if (QImage::fromData(bytes).isNull())
        return false;
    const QString target = QRecordAreaInfo::cursorImagePath(pictureType(), QRecordAreaInfo::kOwnCursorImageIndex);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qWarning() << "The own cursor picture could not be written to" << target;
        return false;
    }
    emit emitCurrIndex(QRecordAreaInfo::kOwnCursorImageIndex, true);
    return true;
}

void QCursorSelectDlg::OnBtnCancel() {
    hide();
}

void QCursorSelectDlg::OnClickItem(const QModelIndex& index) {
    if (!index.isValid() || index.row() < 0 || index.column() < 0 || !index.model())
        return;
    if (index.row() == QRecordAreaInfo::kOwnCursorImageIndex) {
        const QString chosen = QFileDialog::getOpenFileName(
            this, QString(), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
            QStringLiteral("png file(*.png);;All files(*.*)"));
        if (!chosen.isEmpty() && !adoptOwnPicture(chosen))
            tellNotSaved(this, tr("The file could not be taken as your own cursor picture."));
    } else {
        emit emitCurrIndex(index.row(), false);
    }
    hide();
}

void QCursorSelectDlg::DoubleClickItem(const QModelIndex& index) {
    if (index.isValid())
        hide();
}

void QCursorSelectDlg::CurrentChanged(const QModelIndex&) {}

bool QCursorSelectDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && event->type() == QEvent::WindowDeactivate) {
        hide();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void QCursorSelectDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(56, 55, 55));
    m_listView->resize(width(), height() - 2);
}

// ---------------------------------------------------------------------------------------
// Page

QImage QCursorOptions::comboPicture(int type, int index) {
    const QImage picture(QRecordAreaInfo::cursorImagePath(type, index));
    if (picture.isNull() || !isCroppedHighlight(type, index))
        return picture;
    return lowerRightPart(picture);
}

QCursorOptions::QCursorOptions(QWidget* parent) : QBaseOptionsWgt(parent) {
    setObjectName(QStringLiteral("QCursorOptions"));
    resize(378, 219);
    m_chkShow = makeNamedChild<QRZCheckBox>(this, "m_chkShow");
    m_chkHighCursor = makeNamedChild<QRZCheckBox>(this, "m_chkHighCursor");
    m_chkHighClick = makeNamedChild<QRZCheckBox>(this, "m_chkHighClick");
    m_cmbClick = makeNamedChild<QRZComboBox>(this, "m_cmbClick");
    m_labPtClick = makeNamedChild<QLabel>(this, "m_labPtClick");
    m_labPtCursor = makeNamedChild<QLabel>(this, "m_labPtCursor");
    m_cmbCursor = makeNamedChild<QRZComboBox>(this, "m_cmbCursor");

    for (QRZCheckBox* b : {m_chkShow, m_chkHighCursor, m_chkHighClick}) {
        styleCheckBox(b);
        connect(b, &QAbstractButton::clicked, this, &QCursorOptions::OnClickChkChange);
    }
    for (QLabel* l : {m_labPtClick, m_labPtCursor}) {
        setWidgetFont(l, 12);
        setWidgetTextColor(l, QPalette::WindowText, QColor(250, 237, 237));
    }
    for (QRZComboBox* c : {m_cmbCursor, m_cmbClick}) {
        styleComboBox(c, 40, 24);
        c->setExtraImageRect(QRect(3, 3, 18, 18));
    }
    connect(m_cmbCursor, &QRZComboBox::emitClicked, this, &QCursorOptions::OnShowCursor);
    connect(m_cmbClick, &QRZComboBox::emitClicked, this, &QCursorOptions::OnShowCursorClick);

    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    for (const OptionBox& b : optionBoxes()) {
        b.box->setChecked(readSettingValue(kCursorSection, optionKey(b.type), QStringLiteral("Y")) ==
                          QLatin1String("Y"));
        info->setCursorOption(b.type, b.box->isChecked());
    }
    applyEnabling();

    m_highlightChooser =
        new QCursorSelectDlg(this, QRecordAreaInfo::cursorImageFolder(QRecordAreaInfo::HighlightCursor));
    connect(m_highlightChooser, &QCursorSelectDlg::emitCurrIndex, this,
            [this](int index, bool force) { cursorHgChange(index, force); });
    m_clickChooser = new QCursorSelectDlg(this, QRecordAreaInfo::cursorImageFolder(QRecordAreaInfo::HighlightClicks));
    connect(m_clickChooser, &QCursorSelectDlg::emitCurrIndex, this,
            [this](int index, bool force) { cursorHgClickChange(index, force); });
    for (const PictureChoice& c : pictureChoices()) {
        // A stored index outside the shipped range reads as the first picture.
        const int index = QRecordAreaInfo::cursorImageIndexFromText(
            readSettingValue(kCursorSection, indexKey(c.type), QStringLiteral("0")));
        c.combo->setExtraImage(comboPicture(c.type, index));
        info->setCursorImageIndex(c.type, index);
        c.chooser->setCurrentIndex(index);
    }

    setTitle(tr("Cursor options"));
    m_chkShow->setText(tr("Show Cursor"));
    m_chkHighCursor->setText(tr("Hightlight Cursor"));
    m_chkHighClick->setText(tr("Hightlight Clicks"));
    m_labPtClick->setText(tr("Pointer:"));
    m_labPtCursor->setText(tr("Pointer:"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_labPtClick, m_labPtCursor, m_chkShow, m_chkHighCursor, m_chkHighClick})
        w->adjustSize();
}

std::array<QCursorOptions::OptionBox, 3> QCursorOptions::optionBoxes() const {
    return {{{m_chkShow, QRecordAreaInfo::ShowCursor},
             {m_chkHighCursor, QRecordAreaInfo::HighlightCursor},
             {m_chkHighClick, QRecordAreaInfo::HighlightClicks}}};
}

std::array<QCursorOptions::PictureChoice, 2> QCursorOptions::pictureChoices() const {
    return {{{m_highlightChooser, m_cmbCursor, QRecordAreaInfo::HighlightCursor},
             {m_clickChooser, m_cmbClick, QRecordAreaInfo::HighlightClicks}}};
}

QCursorOptions::~QCursorOptions() {
    delete m_highlightChooser;
    delete m_clickChooser;
}

void QCursorOptions::applyEnabling() {
    m_cmbCursor->setEnabled(m_chkHighCursor->isChecked());
    m_labPtCursor->setEnabled(m_chkHighCursor->isChecked());
    m_cmbClick->setEnabled(m_chkHighClick->isChecked());
    m_labPtClick->setEnabled(m_chkHighClick->isChecked());
}

void QCursorOptions::OnClickChkChange() {
    for (const OptionBox& b : optionBoxes()) {
        if (sender() != b.box)
            continue;
        QRecordAreaInfo::instance()->setCursorOption(b.type, b.box->isChecked());
        applyEnabling();
        storeSetting(kCursorSection, optionKey(b.type), b.box->isChecked() ? QStringLiteral("Y") : QStringLiteral("N"));
    }
}

void QCursorOptions::pictureChange(int type, int index, bool force) {
    if (index < 0 || index >= QRecordAreaInfo::kCursorImageCount)
        return;
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    if (index == info->cursorImageIndex(type) && !force)
        return;
    QRZComboBox* combo = type == QRecordAreaInfo::HighlightCursor ? m_cmbCursor : m_cmbClick;
    combo->setExtraImage(comboPicture(type, index));
    combo->update();
    info->setCursorImageIndex(type, index);
    storeSetting(kCursorSection, indexKey(type), QString::number(index));
}

void QCursorOptions::cursorHgChange(int index, bool force) {
    pictureChange(QRecordAreaInfo::HighlightCursor, index, force);
}

void QCursorOptions::cursorHgClickChange(int index, bool force) {
    pictureChange(QRecordAreaInfo::HighlightClicks, index, force);
}

void QCursorOptions::showChooser(QCursorSelectDlg* chooser, QRZComboBox* combo, int type) {
    if (QRecordAreaInfo::instance()->isStayOnTop())
        chooser->setWindowFlags(chooser->windowFlags() | Qt::WindowStaysOnTopHint);
    chooser->setCurrentIndex(QRecordAreaInfo::instance()->cursorImageIndex(type));
    // Where the combo is on the screen now (the toolkit's idea lags behind a window the
    // window manager placed).
    chooser->move(screenOrigin(combo) + QPoint(0, combo->height() - 1));
    chooser->show();
}

void QCursorOptions::OnShowCursor() {
    showChooser(m_highlightChooser, m_cmbCursor, QRecordAreaInfo::HighlightCursor);
}

void QCursorOptions::OnShowCursorClick() {
    showChooser(m_clickChooser, m_cmbClick, QRecordAreaInfo::HighlightClicks);
}

void QCursorOptions::reset() {
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    for (const OptionBox& b : optionBoxes()) {
        if (!info->cursorOption(b.type)) {
            b.box->setChecked(true);
            info->setCursorOption(b.type, true);
            storeSetting(kCursorSection, optionKey(b.type), QStringLiteral("Y"));
        }
    }
    for (const PictureChoice& c : pictureChoices()) {
        if (info->cursorImageIndex(c.type) == 0)
            continue;
        c.chooser->setCurrentIndex(0);
        if (info->cursorImageIndex(c.type) != 0) {
            c.combo->setExtraImage(comboPicture(c.type, 0));
            info->setCursorImageIndex(c.type, 0);
            storeSetting(kCursorSection, indexKey(c.type), QStringLiteral("0"));
        }
    }
    applyEnabling();
}

void QCursorOptions::layoutControls() {
    auto bottom = [](const QWidget* w) { return w->geometry().bottom(); };
    m_chkShow->move(12, 35);
    m_chkHighCursor->move(m_chkShow->x(), bottom(m_chkShow) + 12);
    const int cursorTop = bottom(m_chkHighCursor) + 12;
    m_labPtCursor->move(m_chkHighCursor->x() + 18, cursorTop + (m_cmbCursor->height() - m_labPtCursor->height()) / 2);
    m_cmbCursor->move(m_labPtCursor->geometry().right() + 5, cursorTop);
    m_chkHighClick->move(m_chkHighCursor->x(), bottom(m_cmbCursor) + 12);
    const int clickTop = bottom(m_chkHighClick) + 12;
    m_labPtClick->move(m_chkHighClick->x() + 18, clickTop + (m_cmbClick->height() - m_labPtClick->height()) / 2);
    m_cmbClick->move(m_labPtClick->geometry().right() + 5, clickTop);
}
