#include "recorder/SmallDialogs.h"

#include "app/AppGlobals.h"
#include "app/SettingsFile.h"
#include "app/Utilities.h"
#include "recorder/FormHelpers.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/StyleHelpers.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPainter>
#include <QUrl>

QShowCloseDlg::QShowCloseDlg(QWidget* parent) : QRZDialogEx(parent) {
    setObjectName(QStringLiteral("QShowCloseDlg"));
    setWindowTitle(tr("Form"));
    m_btnOk = makeNamedChild<QRZBaseButton>(this, "m_btnOk");
    m_btnOk->setGeometry(390, 140, 75, 23);
    m_btnCancel = makeNamedChild<QRZBaseButton>(this, "m_btnCancel");
    m_btnCancel->setGeometry(300, 140, 75, 23);
    m_radioMin = makeNamedChild<QRZRadioButton>(this, "m_radioMin");
    m_radioMin->setGeometry(40, 40, 201, 21);
    m_radioClose = makeNamedChild<QRZRadioButton>(this, "m_radioClose");
    m_radioClose->setGeometry(40, 70, 111, 21);
    m_chkNote = makeNamedChild<QRZCheckBox>(this, "m_chkNote");
    // Made exclusive by hand (OnClickRadio), so that clicking the chosen one keeps it.
    m_radioMin->setAutoExclusive(false);
    m_radioClose->setAutoExclusive(false);

    setDialogBackground2(this);
    setTitle(productTitle());
    setFixedSize(315, 170);
    QRZBaseButton* close = createCloseButton(getAppDirPath() + QStringLiteral("/image/btn_close.png"), true);
    styleCommonButton(m_btnOk, 60, 24);
    styleCommonButton(m_btnCancel, 60, 24);
    styleSelectionCheckBox(m_radioMin);
    styleSelectionCheckBox(m_radioClose);
    styleCheckBox(m_chkNote);
    for (QWidget* w : std::initializer_list<QWidget*>{m_radioMin, m_radioClose, m_chkNote})
        setWidgetFont(w, 11);
    m_btnOk->setText(tr("OK"));
    m_btnCancel->setText(tr("Cancel"));
    m_radioMin->setText(tr("Minimize to Tray"));
    m_radioClose->setText(tr("Exit"));
    m_chkNote->setText(tr("Don't show this message again"));
    m_chkNote->adjustSize();
    m_radioMin->move(50, 55);
    m_radioClose->move(50, 80);
    m_btnCancel->move(215, 125);
    m_btnCancel->hide();

    const bool exit = readSettingValue(QStringLiteral("CLOSE_ITEM"), QStringLiteral("bIsCloseDlg"),
                                       QStringLiteral("Y")) == QLatin1String("Y");
    m_radioClose->setChecked(exit);
    m_radioMin->setChecked(!exit);

    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_btnOk, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(m_radioMin, &QAbstractButton::clicked, this, &QShowCloseDlg::OnClickRadio);
    connect(m_radioClose, &QAbstractButton::clicked, this, &QShowCloseDlg::OnClickRadio);
}

QShowCloseDlg::~QShowCloseDlg() = default;

bool QShowCloseDlg::isNoteChecked() const {
    return m_chkNote->checkState() == Qt::Checked;
}

bool QShowCloseDlg::isExitChecked() const {
    return m_radioClose->isChecked();
}

void QShowCloseDlg::OnClickRadio() {
    const bool exit = sender() == m_radioClose;
    m_radioClose->setChecked(exit);
    m_radioMin->setChecked(!exit);
}

void QShowCloseDlg::paintEvent(QPaintEvent* event) {
    QRZDialogEx::paintEvent(event);
    m_chkNote->move(35, 115);
    m_btnOk->move(215, m_chkNote->y() + (m_chkNote->height() - m_btnOk->height()) / 2);
}

QString QAboutDlg::homePageAddress() {
    return QStringLiteral("https://www.calvorine.com/");
}

QAboutDlg::QAboutDlg(QWidget* parent) : QRZDialogEx(parent) {
    setObjectName(QStringLiteral("QAboutDlg"));
    auto label = [this](const char* name) { return makeNamedChild<QLabel>(this, name); };
    m_labProject = label("m_labProject");
    m_labVersion = label("m_labVersion");
    m_labCopyright = label("m_labCopyright");
    m_labHome = label("m_labHome");
    m_labVisit = label("m_labVisit");
    m_labProjectVersion = label("m_labProjectVersion");

    setDialogBackground2(this);
    setTitle(tr("About"));
    setWindowTitle(tr("About"));
    setFixedSize(400, 250);
    QRZBaseButton* close = createCloseButton(getAppDirPath() + QStringLiteral("/image/btn_close.png"), true);
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);

    m_labVersion->setText(QStringLiteral("%1 %2").arg(tr("Version"), getFileProductVersion()));
    m_labProject->setText(productTitle());
    m_labProjectVersion->clear();
    m_labCopyright->setText(tr("Copyright \u00A9 Calvorine Software. All rights reserved."));
    m_labVisit->setText(tr("Visit:"));
    m_labVisit->adjustSize();
    m_labVisit->setFixedHeight(21);
    // The address is quoted: unquoted, its closing "/" and the tag's ">" read as "/>",
    // an anchor closed empty, and the address is left as plain text no click opens.
    m_labHome->setText(
        QStringLiteral("<style> a {text-decoration: 1} </style> <a style='color: %1;' href = '%2'> %3</a>")
            .arg(QColor(250, 237, 237).name(), homePageAddress(), homePageAddress()));

    setWidgetFont(m_labProject, 16);
    for (QLabel* l : {m_labVersion, m_labVisit, m_labHome, m_labCopyright})
        setWidgetFont(l, 12);
    if (getLanguageIndex() == 3)
        setWidgetFont(m_labCopyright, 10);
    for (QLabel* l : {m_labProject, m_labVersion, m_labVisit, m_labHome, m_labCopyright}) {
        setLightWindowText(l);
        l->adjustSize();
    }
    m_labVisit->setFixedHeight(21);
    connect(m_labHome, &QLabel::linkActivated, this, &QAboutDlg::OnClickHome);
    setResizeFlags(0);
}

QAboutDlg::~QAboutDlg() = default;

void QAboutDlg::OnClickHome(const QString&) {
    QDesktopServices::openUrl(QUrl(homePageAddress()));
}

void QAboutDlg::paintEvent(QPaintEvent* event) {
    QRZDialogEx::paintEvent(event);
    QPainter painter(this);
    const QImage logo(getAppDirPath() + QStringLiteral("/image/common/no_title_logo.png"));
    if (!logo.isNull())
        painter.drawImage(50, 50, logo.scaled(80, 80, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_labProject->move(140, 80);
    m_labProjectVersion->move(140 + m_labProject->width() + 5, 78);
    m_labVersion->setGeometry(140, 100, 300, 20);
    m_labVisit->move(50, 150);
    m_labHome->move(m_labVisit->geometry().right() + 5, 150);
    m_labCopyright->move(50, 180);
}

QAcceptDialog::QAcceptDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("QAcceptDialog"));
    resize(400, 300);
    setWindowTitle(tr("Dialog"));
}

QAcceptDialog::~QAcceptDialog() = default;
