#include "toolkit/QRZMessageBox.h"

#include "platform/system/window_overlay.h"
#include "toolkit/ImagePainting.h"
#include "toolkit/QRZAppInfo.h"
#include "toolkit/QRZButton.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QX11Info>

namespace {

// Blank rows between two lines of a message.
constexpr int kLineGap = 3;

QRZMessageBoxStyleHook& styleHook() {
    static QRZMessageBoxStyleHook hook;
    return hook;
}

constexpr int kMaxTextWidth = 500;
constexpr int kMinButtonWidth = 80;
constexpr int kBackgroundCut = 58;

QString picPath(const char* name) {
    return toolkitAppDirPath() + QStringLiteral("/pic/") + QLatin1String(name);
}
} // namespace

bool isKeptAboveOthers(const QWidget* widget) {
    if (widget == nullptr) {
        return false;
    }
    const QWidget* window = widget->window();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        return true;
    }
    return QX11Info::isPlatformX11() && window->isVisible() &&
           calvorine::platform::isWindowKeptAbove(QX11Info::connection(), static_cast<uint32_t>(window->winId()));
}

void tellNotSaved(QWidget* parent, const QString& what) {
    QRZMessageBox::showMessage(parent, what, QString(), QRZMessageBox::Error, QRZMessageBox::OkButton);
}

void tellFolderNotWritable(QWidget* parent, const QString& folder) {
    QRZMessageBox::showMessage(parent,
                               QCoreApplication::translate("QRZMessageBox", "The folder cannot be written:\n%1\n"
                                                                            "Choose another folder.")
                                   .arg(QDir::toNativeSeparators(folder)),
                               QString(), QRZMessageBox::Error, QRZMessageBox::OkButton);
}

void tellNotSavedLater(QWidget* parent, const QString& what) {
    const QByteArray pending = "notSavedPending:" + what.toUtf8();
    if (parent == nullptr || parent->property(pending.constData()).toBool()) {
        return;
    }
    parent->setProperty(pending.constData(), true);
    QTimer::singleShot(0, parent, [parent, what, pending] {
        parent->setProperty(pending.constData(), QVariant());
        tellNotSaved(parent, what);
    });
}

void setMessageBoxStyleHook(QRZMessageBoxStyleHook hook) {
    styleHook() = std::move(hook);
}

struct QRZMessageBox::Private {
    QString productTitle;
    QImage typeIcon;
    QString text;
    QString wrapped;
    int type = 0;
    int textWidth = 0;
    int textHeight = 0;
    QRect textRect;
    QRect iconRect;
    QRZBaseButton* closeButton = nullptr;
    QList<QRZBaseButton*> buttons;
    int buttonSet = 1;
    QRZMessageBoxStyle style;
    int minButtonWidth = kMinButtonWidth;
    int widthFloor = 0;
    int heightFloor = 0;
    bool firstShow = true;
    int maxTextWidth = kMaxTextWidth;
    int textX = 0;
};

QRZMessageBox::QRZMessageBox(QWidget* parent) : QRZDialog(parent), d(new Private) {
    QRZAppInfo* info = QRZAppInfo::instance();
    QRZMessageBoxStyle& style = d->style;
    style.buttonFont = font();
    for (QColor& color : style.buttonTextColors) {
        color = QColor(0, 0, 0);
    }
    style.palette = palette();
    style.titleFont = info->font();
    style.textFont = info->font();
    style.titleBandHeight = info->titleBandHeight();
    style.bottomBandHeight = info->bottomBandHeight();
    style.margins = info->margins();
    if (styleHook()) {
        styleHook()(style);
    }
    setPalette(style.palette);

    setAttribute(Qt::WA_TranslucentBackground, true);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    loadBackgroundImage(picPath("bg_msg.png"), false);
    setBackgroundMargins(kBackgroundCut, kBackgroundCut, kBackgroundCut, kBackgroundCut, kBackgroundCut, kBackgroundCut,
                         kBackgroundCut, kBackgroundCut);
    setResizeFlags(0);

    const QMargins& m = style.margins;
    d->productTitle = info->productTitle();
    setWindowTitle(d->productTitle);
    setTitle(d->productTitle);
    setFont(style.titleFont);
    setTitleImage(picPath("msg_title_icon.png"));
    const QRect logo = titleImageRect();
    const int logoTop = m.top() + (style.titleBandHeight - logo.height()) / 2;
    setTitleImageRect(QRect(m.left() + 10, logoTop, logo.width(), logo.height()));
    const int textLeft = m.left() + 10 + logo.width() + 5;
    setTitleTextRect(QRect(textLeft, m.top(), 0, style.titleBandHeight));
    setTitleAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTitleHeight(m.top() + style.titleBandHeight);

    const int height = style.titleBandHeight + style.bottomBandHeight + m.top() + m.bottom() + 82;
    const int width = static_cast<int>(height * 1.618);
    qDebug() << width << height;
    resize(width, height);

    d->closeButton = new QRZBaseButton(this);
    d->closeButton->setImage(picPath("btn_close.png"), true);
    connect(d->closeButton, SIGNAL(clicked()), this, SLOT(OnBtnClose()));
}

QRZMessageBox::~QRZMessageBox() {
    delete d;
}

int QRZMessageBox::showMessage(QWidget* parent, const QString& text, const QString& title, int type, int buttons) {
    QRZMessageBox box(parent);
    if (!title.isEmpty()) {
        box.setMessageTitle(title);
    }
    if (isKeptAboveOthers(parent)) {
        box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    }
    box.addButtons(buttons);
    box.setType(type);
    box.setText(text);
    return box.exec();
}

void QRZMessageBox::setMessageTitle(const QString& title) {
    setWindowTitle(title);
    setTitle(title);
}

void QRZMessageBox::setType(int type) {
    d->type = type;
}

void QRZMessageBox::setText(const QString& text) {
    d->text = text;
    const QStringList lines = wrapText(text, d->style.textFont, d->maxTextWidth);
    d->wrapped = lines.join(QLatin1Char('\n'));
    const QFontMetrics metrics(d->style.textFont);
    d->textWidth = 0;
    for (const QString& line : lines) {
        d->textWidth = std::max(d->textWidth, metrics.horizontalAdvance(line));
    }
    d->textHeight = lines.isEmpty() ? 0 : metrics.height() * lines.size() + kLineGap * (lines.size() - 1);
}

QString QRZMessageBox::text() const {
    return d->text;
}

QString QRZMessageBox::wrappedText() const {
    return d->wrapped;
}

QStringList QRZMessageBox::wrapText(const QString& text, const QFont& font, int maxWidth) {
    const QFontMetrics metrics(font);
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (QString word : paragraph.split(QLatin1Char(' '))) {
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (metrics.horizontalAdvance(candidate) <= maxWidth) {
                line = candidate;
                continue;
            }
            if (!line.isEmpty()) {
                lines << line;
                line.clear();
            }
            // A word wider than the whole line is cut where it stops fitting.
            while (metrics.horizontalAdvance(word) > maxWidth) {
                int fit = 0;
                while (fit < word.size() && metrics.horizontalAdvance(word.left(fit + 1)) <= maxWidth) {
                    ++fit;
                }
                fit = std::max(fit, 1);
                lines << word.left(fit);
                word = word.mid(fit);
            }
            line = word;
        }
        lines << line;
    }
    return lines;
}

void QRZMessageBox::addButtons(int buttons) {
    d->buttonSet = buttons;
    switch (buttons) {
    case OkButton:
        addButton(d->style.okText, ResultOk);
        break;
    case CancelButton:
        addButton(d->style.cancelText, ResultCancel);
        break;
    case YesNoButtons:
        addButton(d->style.yesText, ResultYes);
        addButton(d->style.noText, ResultNo);
        break;
    default:
        break;
    }
}

QRZBaseButton* QRZMessageBox::addButton(const QString& text, int resultCode) {
    auto* button = new QRZBaseButton(this);
    button->setImage(picPath("btn_common.png"), true);
    const QColor* colors = d->style.buttonTextColors;
    button->setTextColors(colors[0], colors[1], colors[2], colors[3]);
    button->setFont(d->style.textFont);
    button->setText(text);
    button->setTag(resultCode);
    const int textWidth = QFontMetrics(d->style.textFont).horizontalAdvance(text);
    button->resize(std::max(d->minButtonWidth, textWidth + 21), button->height());
    connect(button, SIGNAL(clicked()), this, SLOT(OnBtnDone()));
    d->buttons.append(button);
    return button;
}

QList<QRZBaseButton*> QRZMessageBox::actionButtons() const {
    return d->buttons;
}
QRZBaseButton* QRZMessageBox::closeButton() const {
    return d->closeButton;
}
QRect QRZMessageBox::textRect() const {
    return d->textRect;
}
QRect QRZMessageBox::iconRect() const {
    return d->iconRect;
}
const QRZMessageBoxStyle& QRZMessageBox::style() const {
    return d->style;
}

void QRZMessageBox::OnBtnClose() {
    done(ResultClose);
}

void QRZMessageBox::OnBtnDone() {
    auto* button = qobject_cast<QRZBaseButton*>(sender());
    done(button != nullptr ? button->tag() : 0);
}

void QRZMessageBox::sizeToContent() {
    switch (d->type) {
    case Warning:
        d->typeIcon = loadToolkitImage(picPath("warning.png"));
        break;
    case Success:
        d->typeIcon = loadToolkitImage(picPath("Success.png"));
        break;
    case Error:
        d->typeIcon = loadToolkitImage(picPath("error.png"));
        break;
    default:
        d->typeIcon = QImage();
        break;
    }
    const bool hasIcon = !d->typeIcon.isNull();
    const QMargins& m = d->style.margins;
    const int iconColumn = hasIcon ? d->typeIcon.width() + 40 : 0;
    const int textColumn = hasIcon ? d->textWidth + 20 : d->textWidth + 40;
    const int contentWidth = m.left() + iconColumn + textColumn + m.right();
    int buttonRow = m.left() + 2 * d->style.buttonRowMargin + m.right();
    for (int i = 0; i < d->buttons.size(); ++i) {
        buttonRow += d->buttons[i]->width() + (i > 0 ? d->style.buttonSpacing : 0);
    }
    // The title must not run under the close button: a short message still shows it whole.
    int titleRow = 0;
    if (!title().isEmpty()) {
        const int closeWidth = d->closeButton != nullptr ? d->closeButton->width() : 0;
        titleRow = titleTextRect().left() + QFontMetrics(d->style.titleFont).horizontalAdvance(title()) + 10 +
                   closeWidth + m.right();
    }
    const int width = std::max({contentWidth, buttonRow, titleRow, d->widthFloor});
    const int titleBand = d->style.titleBandHeight;
    const int bottomBand = d->style.bottomBandHeight;
    const int height = std::max(m.top() + titleBand + d->textHeight + 40 + bottomBand + m.bottom(), d->heightFloor);
    resize(width, height);

    const int blockTop = m.top() + titleBand;
    const int blockHeight = height - blockTop - bottomBand - m.bottom();
    d->textX = m.left() + iconColumn + (hasIcon ? 0 : 20);
    d->textRect = QRect(d->textX, blockTop + (blockHeight - d->textHeight) / 2, d->textWidth, d->textHeight);
    if (hasIcon) {
        const QSize icon = d->typeIcon.size();
        d->iconRect =
            QRect(m.left() + (iconColumn - icon.width()) / 2,
                  blockTop + (blockHeight - icon.height()) / 2 - d->style.iconOffset, icon.width(), icon.height());
    } else {
        d->iconRect = QRect();
    }
}

void QRZMessageBox::showEvent(QShowEvent* event) {
    sizeToContent();
    if (d->firstShow) {
        d->firstShow = false;
        QWidget* parent = parentWidget();
        QRect reference;
        if (parent != nullptr && parent->window()->testAttribute(Qt::WA_Mapped)) {
            reference = QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size());
        } else {
            // No parent on screen yet (a box at start-up, before the window manager has
            // placed the main window) or none at all: the middle of the parent's screen,
            // else of the primary one.
            QScreen* screen = nullptr;
            if (parent != nullptr && parent->window()->windowHandle() != nullptr) {
                screen = parent->window()->windowHandle()->screen();
            }
            if (screen == nullptr) {
                screen = QGuiApplication::primaryScreen();
            }
            if (screen != nullptr) {
                reference = screen->availableGeometry();
            }
        }
        move(centredPosition(reference, size()));
    }
    QRZDialog::showEvent(event);
}

void QRZMessageBox::relayout() {
    const QMargins& m = d->style.margins;
    if (d->closeButton != nullptr) {
        d->closeButton->move(width() - d->closeButton->width() - m.right(), m.top());
    }
    int right = width() - d->style.buttonRowMargin - m.right();
    const int bandTop = height() - m.bottom() - d->style.bottomBandHeight;
    for (int i = d->buttons.size() - 1; i >= 0; --i) {
        QRZBaseButton* button = d->buttons[i];
        const int x = right - button->width();
        button->move(x, bandTop + (d->style.bottomBandHeight - button->height()) / 2);
        right = x - d->style.buttonSpacing;
    }
}

void QRZMessageBox::paintEvent(QPaintEvent* event) {
    QRZDialog::paintEvent(event);
    QPainter painter(this);
    if (!d->typeIcon.isNull()) {
        drawImagePart(&painter, d->iconRect, d->typeIcon.rect(), d->typeIcon);
    }
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(d->style.textFont);
    painter.setPen(palette().color(QPalette::WindowText));
    // The text is already wrapped; the rectangle leaves room for rounding of widths. Each
    // line is set kLineGap below the last, so that descenders never meet the next line.
    const int lineHeight = QFontMetrics(d->style.textFont).height();
    const QStringList lines = d->wrapped.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QRect line(d->textRect.left(), d->textRect.top() + i * (lineHeight + kLineGap), d->textRect.width() + 2,
                         lineHeight);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, lines[i]);
    }
}
