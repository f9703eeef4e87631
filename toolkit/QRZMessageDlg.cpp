#include "toolkit/QRZMessageDlg.h"

#include "toolkit/ImagePainting.h"
#include "toolkit/QRZButton.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

// The form of the box: three buttons on a 400 by 300 dialog.
namespace Ui {
class QRZMessageDlg {
public:
    QRZBaseButton* m_btnOk = nullptr;
    QRZBaseButton* m_btnCancel = nullptr;
    QRZBaseButton* m_btnClose = nullptr;

    void setupUi(QDialog* dialog) {
        if (dialog->objectName().isEmpty()) {
            dialog->setObjectName(QStringLiteral("QRZMessageDlg"));
        }
        dialog->resize(400, 300);
        m_btnOk = new QRZBaseButton(dialog);
        m_btnOk->setObjectName(QStringLiteral("m_btnOk"));
        m_btnOk->setGeometry(QRect(80, 220, 75, 23));
        m_btnCancel = new QRZBaseButton(dialog);
        m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
        m_btnCancel->setGeometry(QRect(230, 220, 75, 23));
        m_btnClose = new QRZBaseButton(dialog);
        m_btnClose->setObjectName(QStringLiteral("m_btnClose"));
        m_btnClose->setGeometry(QRect(310, 30, 75, 23));
        retranslateUi(dialog);
    }

    void retranslateUi(QDialog* dialog) {
        dialog->setWindowTitle(QCoreApplication::translate("QRZMessageDlg", "Dialog"));
        m_btnOk->setText(QString());
        m_btnCancel->setText(QString());
        m_btnClose->setText(QString());
    }
};
} // namespace Ui

namespace {
constexpr int kDefaultBoxWidth = 255;
constexpr int kDefaultBoxHeight = 157;
constexpr int kDragBandHeight = 38;

QScreen* screenFor(const QWidget* widget) {
    QScreen* screen = nullptr;
    if (widget != nullptr && widget->parentWidget() != nullptr) {
        const QWidget* parent = widget->parentWidget();
        screen = QGuiApplication::screenAt(parent->mapToGlobal(parent->rect().center()));
    }
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}
} // namespace

struct QRZMessageDlg::Private {
    QPoint pressOffset;
    QRect windowRect;
    QString appFolder;
    QString shortTitle = QStringLiteral("Screen Recorder");
    QString text;
    QRect titleRect;
    QRect textRect;
    QFont titleFont;
    QFont textFont;
    QImage titleIcon;
    QRect titleIconRect;
    QImage typeIcon;
    QRect typeIconRect;
    QRect boxRect;
    QImage background;
    int cuts[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    QRect defaultBoxRect;
    int styleFlags = 0;
    bool dragging = false;
    bool useGeometry = true;
};

QRZMessageDlg::QRZMessageDlg(QWidget* parent) : QDialog(parent), ui(new Ui::QRZMessageDlg), d(new Private) {
    ui->setupUi(this);
    m_btnOk = ui->m_btnOk;
    m_btnCancel = ui->m_btnCancel;
    m_btnClose = ui->m_btnClose;
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setWindowTitle(QStringLiteral("Calvorine Screen Recorder"));
    d->appFolder = toolkitAppDirPath();
    d->background = loadToolkitImage(d->appFolder + QStringLiteral("/pic/bg_msg.png"));
    if (!d->background.isNull()) {
        const int w = d->background.width() / 3;
        const int h = d->background.height() / 3;
        const int cuts[8] = {w, h, w, h, w, h, w, h};
        std::copy(cuts, cuts + 8, d->cuts);
    }
    d->defaultBoxRect = QRect(0, 0, kDefaultBoxWidth, kDefaultBoxHeight);
    d->boxRect = d->defaultBoxRect;
    if (QScreen* screen = screenFor(this)) {
        d->boxRect.moveCenter(screen->availableGeometry().center());
    }
    d->titleIcon = loadToolkitImage(d->appFolder + QStringLiteral("/pic/msg_title_icon.png"));
    d->titleFont = QFont(QStringLiteral("Tahoma"));
    d->titleFont.setPixelSize(11);
    d->textFont = QFont(QStringLiteral("Tahoma"));
    d->textFont.setPixelSize(12);
    connect(m_btnOk, SIGNAL(clicked()), this, SLOT(OnBtnOk()));
    connect(m_btnCancel, SIGNAL(clicked()), this, SLOT(OnBtnCancel()));
    connect(m_btnClose, SIGNAL(clicked()), this, SLOT(OnBtnClose()));
}

QRZMessageDlg::~QRZMessageDlg() {
    delete d;
    delete ui;
}

void QRZMessageDlg::setText(const QString& text) {
    d->text = text;
}
QString QRZMessageDlg::text() const {
    return d->text;
}
void QRZMessageDlg::setUseGeometry(bool useGeometry) {
    d->useGeometry = useGeometry;
}
void QRZMessageDlg::setStyleFlags(int flags) {
    d->styleFlags = flags;
}
int QRZMessageDlg::styleFlags() const {
    return d->styleFlags;
}
QRect QRZMessageDlg::boxRect() const {
    return d->boxRect;
}
QRect QRZMessageDlg::textRect() const {
    return d->textRect;
}
QRect QRZMessageDlg::typeIconRect() const {
    return d->typeIconRect;
}
bool QRZMessageDlg::hasTypeIcon() const {
    return (d->styleFlags & ShowIcon) && !d->typeIcon.isNull();
}

int QRZMessageDlg::longestLineWidth(const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest;
}

void QRZMessageDlg::OnBtnOk() {
    if (d->styleFlags & RestartButtons) {
        return;
    }
    done((d->styleFlags & YesNoButtons) ? ResultYes : ResultOk);
}

void QRZMessageDlg::OnBtnCancel() {
    done((d->styleFlags & YesNoButtons) ? ResultNo : ResultCancel);
}
void QRZMessageDlg::OnBtnClose() {
    done(ResultClose);
}

void QRZMessageDlg::reportMissingImage(const QString& message) {
    QMessageBox::information(this, d->shortTitle, message);
}

void QRZMessageDlg::initButtons() {
    const QString common = d->appFolder + QStringLiteral("/pic/btn_common.png");
    if (!m_btnClose->setImage(d->appFolder + QStringLiteral("/pic/btn_close.png"), true)) {
        reportMissingImage(QStringLiteral("QRZMessageDlg::InitButton fail"));
    }
    QString okText = tr("OK");
    QString cancelText;
    bool twoButtons = true;
    QString failure = QStringLiteral("QRZMessageDlg::InitButton Load Cancel Image fail");
    if (d->styleFlags & OkCancelButtons) {
        cancelText = tr("Cancel");
    } else if (d->styleFlags & RestartButtons) {
        okText = QStringLiteral("Restart");
        cancelText = QStringLiteral("Restart Later");
        failure = QStringLiteral("QRZMessageDlg::InitButton Load Restart Image fail");
    } else if (d->styleFlags & YesNoButtons) {
        okText = tr("YES");
        cancelText = tr("NO");
        failure = QStringLiteral("QRZMessageDlg::InitButton Load Yes Image fail");
    } else {
        twoButtons = false;
    }
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    const QColor light(250, 237, 237);
    bool loaded = true;
    for (QRZBaseButton* button : {m_btnOk, m_btnCancel}) {
        loaded = button->setImage(common, true) && loaded;
        button->setFont(font);
        button->setTextColors(light, light, light, light);
        button->resize(80, 25);
    }
    if (!loaded && twoButtons) {
        reportMissingImage(failure);
    }
    m_btnOk->setText(okText);
    m_btnCancel->setText(cancelText);
    m_btnCancel->setVisible(twoButtons);

    const int boxWidth = d->boxRect.width();
    const int boxHeight = d->boxRect.height();
    const int y = boxHeight - 15 - 25;
    if (twoButtons) {
        const int second = boxWidth - 20 - m_btnCancel->width();
        const int first = std::max(15, second - 10 - m_btnOk->width());
        m_btnCancel->move(second, y);
        m_btnOk->move(first, y);
    } else {
        m_btnOk->move(boxWidth - 25 - m_btnOk->width(), y);
    }
    m_btnClose->move(boxWidth - m_btnClose->width() - 8, 8);
}

void QRZMessageDlg::layoutText() {
    d->typeIcon = QImage();
    if (d->styleFlags & ShowIcon) {
        const int icon = d->styleFlags & 0x0F2;
        const char* name = nullptr;
        if (icon == ErrorIcon) {
            name = "/pic/error.png";
        } else if (icon == SuccessIcon) {
            name = "/pic/Success.png";
        } else if (icon == WarningIcon) {
            name = "/pic/warning.png";
        }
        if (name != nullptr) {
            d->typeIcon = loadToolkitImage(d->appFolder + QLatin1String(name));
        }
    }
    const bool withIcon = hasTypeIcon();
    QRect screenArea(0, 0, 1920, 1080);
    if (QScreen* screen = screenFor(this)) {
        screenArea = screen->availableGeometry();
    }
    d->boxRect = d->defaultBoxRect;
    d->boxRect.moveCenter(screenArea.center());

    // Sized by the longest line, not by a count of leading characters.
    int textWidth = longestLineWidth(d->text, d->textFont);
    const int narrowLimit = withIcon ? 132 : 174;
    const int wideLeft = withIcon ? 92 : 40;
    const int cap = withIcon ? 477 : 519;
    const int extra = withIcon ? 124 : 82;
    int textLeft = 0;
    if (textWidth <= narrowLimit) {
        textLeft = (d->boxRect.width() - textWidth) / 2;
    } else {
        textWidth = std::min(textWidth, cap);
        textLeft = wideLeft;
        const QPoint centre = d->boxRect.center();
        d->boxRect.setWidth(textWidth + extra);
        d->boxRect.moveCenter(QPoint(screenArea.center().x(), centre.y()));
    }
    const QFontMetrics metrics(d->textFont);
    // Two pixels of slack: text laid out in exactly its measured width can wrap on rounding.
    const int layoutWidth = std::max(1, textWidth) + 2;
    const int textHeight = metrics.boundingRect(QRect(0, 0, layoutWidth, 10000), Qt::TextWordWrap, d->text).height();
    int textTop = (d->boxRect.height() - textHeight) / 2 - 5;
    if (textTop < 35) {
        textTop = 35;
        const int height = std::max(d->boxRect.height(), textHeight + d->boxRect.height() / 2 + 12);
        const QPoint centre = d->boxRect.center();
        d->boxRect.setHeight(height);
        d->boxRect.moveCenter(QPoint(centre.x(), screenArea.center().y()));
    }
    d->textRect = QRect(textLeft, textTop, layoutWidth, textHeight);
    d->titleRect = QRect(QPoint(33, 17), QPoint(333, 39));
    d->titleIconRect = QRect(QPoint(13, 15), d->titleIcon.size());
    if (withIcon) {
        const QSize icon = d->typeIcon.size();
        d->typeIconRect = QRect(textLeft - 10 - icon.width(), textTop + (textHeight - icon.height()) / 2 + 4,
                                icon.width(), icon.height());
    } else {
        d->typeIconRect = QRect();
    }
}

void QRZMessageDlg::showEvent(QShowEvent* event) {
    layoutText();
    initButtons();
    if (d->titleIcon.isNull()) {
        reportMissingImage(QStringLiteral("QRZMessageDlg::LoadTitleIconImg fail"));
    }
    if (d->useGeometry) {
        setGeometry(d->boxRect);
    } else {
        resize(d->boxRect.size());
    }
    QDialog::showEvent(event);
}

void QRZMessageDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!d->background.isNull()) {
        const QImage& image = d->background;
        const int W = width();
        const int H = height();
        const int IW = image.width();
        const int IH = image.height();
        const int cw = d->cuts[0];
        const int ch = d->cuts[1];
        drawImagePart(&painter, QRect(0, 0, cw, ch), QRect(0, 0, cw, ch), image);
        drawImagePart(&painter, QRect(W - cw, 0, cw, ch), QRect(IW - cw, 0, cw, ch), image);
        drawImagePart(&painter, QRect(0, H - ch, cw, ch), QRect(0, IH - ch, cw, ch), image);
        drawImagePart(&painter, QRect(W - cw, H - ch, cw, ch), QRect(IW - cw, IH - ch, cw, ch), image);
        drawImagePart(&painter, QRect(cw, 0, W - 2 * cw, ch), QRect(cw, 0, IW - 2 * cw, ch), image);
        drawImagePart(&painter, QRect(cw, H - ch, W - 2 * cw, ch), QRect(cw, IH - ch, IW - 2 * cw, ch), image);
        drawImagePart(&painter, QRect(0, ch, cw, H - 2 * ch), QRect(0, ch, cw, IH - 2 * ch), image);
        drawImagePart(&painter, QRect(W - cw, ch, cw, H - 2 * ch), QRect(IW - cw, ch, cw, IH - 2 * ch), image);
        drawImagePart(&painter, QRect(cw, ch, W - 2 * cw, H - 2 * ch), QRect(cw, ch, IW - 2 * cw, IH - 2 * ch), image);
    }
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(d->titleFont);
    painter.drawText(d->titleRect, Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
    painter.setFont(d->textFont);
    painter.drawText(d->textRect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, d->text);
    if (!d->titleIcon.isNull()) {
        drawImagePart(&painter, d->titleIconRect, d->titleIcon.rect(), d->titleIcon);
    }
    if (hasTypeIcon()) {
        drawImagePart(&painter, d->typeIconRect, d->typeIcon.rect(), d->typeIcon);
    }
}

void QRZMessageDlg::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        d->pressOffset = event->globalPos() - pos();
        d->windowRect = geometry();
        d->dragging = true;
    }
}

void QRZMessageDlg::mouseMoveEvent(QMouseEvent* event) {
    QDialog::mouseMoveEvent(event);
    if (d->dragging && d->pressOffset.y() < kDragBandHeight) {
        move(event->globalPos() - d->pressOffset);
    }
}

void QRZMessageDlg::mouseReleaseEvent(QMouseEvent* event) {
    QDialog::mouseReleaseEvent(event);
    d->dragging = false;
}
