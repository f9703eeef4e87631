#include "editor/QCaptureSettingDlg.h"

#include "editor/EditorStyle.h"
#include "editor/SnapshotSettings.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZMessageBox.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QLabel>

QCaptureSettingDlg::QCaptureSettingDlg(QWidget* parent) : QRZDialog(parent) {
    buildForm();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    const QString title = tr("Snapshot Setting");
    setTitle(title);
    setWindowTitle(title);
    setTitleImage(editorImagePath(QStringLiteral("/VEditSource/dlg_logo.png")));
    const QRect logo = titleImageRect();
    setTitleImageRect(QRect(18, 13, logo.width(), logo.height()));
    setTitleTextRect(QRect(46, 13, 0, 0));
    setTitleAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWidgetColor(this, QPalette::WindowText, EditorColors::text());
    setTitleHeight(38);
    setBorderWidth(6);
    loadBackgroundImage(editorImagePath(QStringLiteral("/VEditSource/bg_3.png")), false);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setWidgetFontFamily(this, QStringLiteral("Tahoma"), 12);
    styleControls();

    connect(m_btnClose, &QRZBaseButton::clicked, this, &QCaptureSettingDlg::close);
    connect(m_btnCancel, &QRZBaseButton::clicked, this, &QCaptureSettingDlg::close);
    connect(m_btnOpen, &QRZBaseButton::clicked, this, &QCaptureSettingDlg::onOpenPath);
    connect(m_btnOk, &QRZBaseButton::clicked, this, &QCaptureSettingDlg::onOk);

    const int stored = m_cmbFormat->findText(readScreenshotFormat(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (stored >= 0) {
        m_cmbFormat->setCurrentIndex(stored);
    }
    m_folder = readScreenshotFolder();
    if (!QDir(m_folder).exists()) {
        QDir().mkpath(m_folder);
    }
    m_folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    m_editPath->setText(m_folder);

    setResizeFlags(0);
    setFixedSize(360, 230);
    setBackgroundMargins(50, 50, 50, 50, 50, 50, 50, 50);
}

QCaptureSettingDlg::~QCaptureSettingDlg() = default;

void QCaptureSettingDlg::buildForm() {
    setObjectName(QStringLiteral("QCaptureSettingDlg"));
    resize(555, 235);
    setWindowTitle(QStringLiteral("Dialog"));
    const auto place = [this](QWidget* w, const char* name, const QRect& geometry) {
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(geometry);
    };
    m_labPath = new QLabel(QStringLiteral("Save to:"), this);
    place(m_labPath, "m_labPath", QRect(58, 118, 61, 22));
    m_editPath = new QRZLineEdit(this);
    place(m_editPath, "m_editPath", QRect(138, 118, 200, 22));
    m_btnCancel = new QRZBaseButton(this);
    place(m_btnCancel, "m_btnCancel", QRect(428, 178, 61, 22));
    m_btnCancel->setText(tr("Cancel"));
    m_btnClose = new QRZBaseButton(this);
    place(m_btnClose, "m_btnClose", QRect(478, 8, 31, 31));
    m_labFormat = new QLabel(QStringLiteral("Format:"), this);
    place(m_labFormat, "m_labFormat", QRect(58, 78, 61, 22));
    m_btnOk = new QRZBaseButton(this);
    place(m_btnOk, "m_btnOk", QRect(338, 178, 61, 22));
    m_btnOk->setText(tr("OK"));
    m_cmbFormat = new QRZComboBox(this);
    place(m_cmbFormat, "m_cmbFormat", QRect(138, 78, 100, 22));
    m_btnOpen = new QRZBaseButton(this);
    place(m_btnOpen, "m_btnOpen", QRect(428, 118, 31, 21));
    m_btnMax = new QRZBaseButton(this);
    place(m_btnMax, "m_btnMax", QRect(420, 10, 21, 21));
    m_btnMin = new QRZBaseButton(this);
    place(m_btnMin, "m_btnMin", QRect(450, 10, 21, 21));
    for (QLabel* label : {m_labPath, m_labFormat}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void QCaptureSettingDlg::styleControls() {
    m_btnClose->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_close.png")), true);
    m_btnClose->setToolTip(tr("Close"));
    m_btnMin->hide();
    m_btnMax->hide();
    m_btnMin->setToolTip(tr("Minimize"));
    m_btnMax->setToolTip(tr("Maximize"));
    m_btnOpen->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_family.png")), true);
    m_btnOpen->setToolTip(tr("Please choose destination folder"));
    setEditorLineEditStyle(m_editPath);
    m_editPath->setAlignment(Qt::AlignLeft | Qt::AlignHCenter);
    m_editPath->setReadOnly(true);
    setEditorLabel(m_labFormat, tr("Format:"), 12);
    setEditorLabel(m_labPath, tr("Save to:"), 12);
    setEditorButtonStyle(m_btnOk, 64, 28);
    setEditorButtonStyle(m_btnCancel, 64, 28);
    setEditorComboStyle(m_cmbFormat);
    m_cmbFormat->setTextMargins(83, 8, 0, 0);
    m_cmbFormat->addItem(QStringLiteral("JPG"));
    m_cmbFormat->addItem(QStringLiteral("PNG"));
    m_cmbFormat->setCurrentIndex(0);
}

QRZBaseButton* QCaptureSettingDlg::button(const char* objectName) const {
    return findChild<QRZBaseButton*>(QString::fromLatin1(objectName));
}

void QCaptureSettingDlg::onOpenPath() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("Save to"), QStringLiteral("."), QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty()) {
        m_folder = chosen;
        m_editPath->setText(m_folder);
    }
}

void QCaptureSettingDlg::onOk() {
    const bool formatSaved = writeScreenshotFormat(m_cmbFormat->currentText());
    const bool folderSaved = writeScreenshotFolder(m_folder);
    if (!formatSaved || !folderSaved) {
        // The dialog stays open: the choice was not kept.
        tellNotSaved(this, tr("The snapshot settings could not be saved."));
        return;
    }
    accept();
}

void QCaptureSettingDlg::closeEvent(QCloseEvent* event) {
    emit emitDlgClose();
    QRZDialog::closeEvent(event);
}

void QCaptureSettingDlg::relayout() {
    const int W = width();
    const int H = height();
    m_btnClose->move(W - m_btnClose->width() - 8, 8);
    m_labFormat->move(28, 71);
    m_cmbFormat->move(m_labFormat->x() + m_labFormat->width() + 5, m_labFormat->y());
    m_labPath->move(28, m_labFormat->y() + m_labFormat->height() + 19);
    m_editPath->move(m_labPath->x() + m_labPath->width() + 5, m_labPath->y());
    m_btnOpen->move(m_editPath->x() + m_editPath->width() - 1, m_labPath->y());
    m_btnOk->move(W - m_btnOk->width() - 28, H - m_btnOk->height() - 28);
    m_btnCancel->move(m_btnOk->x() - m_btnCancel->width() - 20, H - m_btnCancel->height() - 28);
}
