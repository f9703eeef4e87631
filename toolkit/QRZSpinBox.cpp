#include "toolkit/QRZSpinBox.h"

#include "toolkit/QRZButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimerEvent>

// ---------------------------------------------------------------------------------------
// QRZSpinButtons

namespace {
constexpr int kRepeatIntervalMs = 100;
// Ticks that pass before a held button starts repeating (the seventh tick steps).
constexpr int kRepeatDelayTicks = 5;
} // namespace

QRZSpinButtons::~QRZSpinButtons() {
    destroy();
}

bool QRZSpinButtons::create(QWidget* owner, const QString& upPath, const QString& downPath, bool naturalSize) {
    destroy();
    QRZBaseButton upButton;
    if (!upButton.setImage(upPath, true)) {
        return false;
    }
    up = new QRZBaseButton(owner);
    down = new QRZBaseButton(owner);
    up->setFocusPolicy(Qt::NoFocus);
    down->setFocusPolicy(Qt::NoFocus);
    up->setImage(upPath, true);
    down->setImage(downPath, true);
    up->show();
    down->show();
    m_naturalSize = naturalSize;
    return true;
}

bool QRZSpinButtons::attach(QAbstractSpinBox* owner, const QString& upPath, const QString& downPath, bool naturalSize) {
    if (!create(owner, upPath, downPath, naturalSize)) {
        return false;
    }
    owner->setButtonSymbols(QAbstractSpinBox::NoButtons);
    QObject::connect(up, SIGNAL(clicked()), owner, SLOT(stepUp()));
    QObject::connect(down, SIGNAL(clicked()), owner, SLOT(stepDown()));
    QObject::connect(up, SIGNAL(pressed()), owner, SLOT(pressBtn()));
    QObject::connect(down, SIGNAL(pressed()), owner, SLOT(pressBtn()));
    QObject::connect(up, SIGNAL(released()), owner, SLOT(releseBtn()));
    QObject::connect(down, SIGNAL(released()), owner, SLOT(releseBtn()));
    return true;
}

void QRZSpinButtons::destroy() {
    delete up;
    delete down;
    up = nullptr;
    down = nullptr;
}

bool QRZSpinButtons::exists() const {
    return up != nullptr || down != nullptr;
}

void QRZSpinButtons::setMargins(int buttonX, int top, int right, int bottom) {
    m_buttonX = static_cast<qint16>(buttonX);
    m_top = static_cast<qint16>(top);
    m_right = static_cast<qint16>(right);
    m_bottom = static_cast<qint16>(bottom);
}

void QRZSpinButtons::setMargins(QWidget* owner, int buttonX, int top, int right, int bottom) {
    setMargins(buttonX, top, right, bottom);
    layout(owner);
    owner->update();
    owner->updateGeometry();
}

void QRZSpinButtons::layout(QWidget* owner) {
    if (up == nullptr || down == nullptr || owner == nullptr) {
        return;
    }
    if (m_buttonX < 0) {
        m_buttonX = static_cast<qint16>(owner->width() - up->width() - m_right);
    }
    if (m_naturalSize) {
        up->move(m_buttonX, m_top);
        down->move(m_buttonX, owner->height() - m_bottom - down->height());
        return;
    }
    const int right = owner->width() - 1 - m_right;
    const int half = (owner->height() - m_top - m_bottom) / 2;
    up->setGeometry(QRect(QPoint(m_buttonX, m_top), QPoint(right, m_top + half - 1)));
    down->setGeometry(QRect(QPoint(m_buttonX, m_top + half), QPoint(right, owner->height() - 1 - m_bottom)));
}

void QRZSpinButtons::press(QWidget* owner, bool upHeld) {
    if (!exists()) {
        return;
    }
    release(owner);
    m_repeatUp = upHeld;
    m_ticks = 0;
    m_timer = owner->startTimer(kRepeatIntervalMs, Qt::CoarseTimer);
}

void QRZSpinButtons::release(QWidget* owner) {
    if (m_timer != 0) {
        owner->killTimer(m_timer);
    }
    m_timer = 0;
}

int QRZSpinButtons::tick(int timerId) {
    if (m_timer == 0 || timerId != m_timer) {
        return 0;
    }
    int step = 0;
    if (m_ticks > kRepeatDelayTicks) {
        step = m_repeatUp ? 1 : -1;
    }
    ++m_ticks;
    return step;
}

void QRZSpinButtons::repeatStep(QAbstractSpinBox* owner, int timerId) {
    const int step = tick(timerId);
    if (step != 0) {
        owner->stepBy(step);
    }
}

bool QRZSpinButtons::setFrameImage(QRZBaseRectImageDraw* frame, QWidget* owner, const char* styleClass,
                                   const QString& path) {
    if (!frame->QRZBaseRectImageDraw::setFrameImage(path)) {
        return false;
    }
    owner->setStyleSheet(QLatin1String(styleClass) + QStringLiteral(" {background-color:transparent;border:none}"));
    return true;
}

void QRZSpinButtons::setTextMargins(QLineEdit* edit, int left, int top, int right, int bottom) {
    if (edit != nullptr) {
        edit->setTextMargins(left, top, right, bottom);
    }
}

// ---------------------------------------------------------------------------------------
// QRZDoubleSpinBox, QRZDateTimeEdit, QRZTimeEdit

QRZDoubleSpinBox::QRZDoubleSpinBox(QWidget* parent) : QRZImageSpinEdit(parent) {}
QRZDoubleSpinBox::~QRZDoubleSpinBox() = default;

QRZDateTimeEdit::QRZDateTimeEdit(const QVariant& value, QVariant::Type type, QWidget* parent)
    : QRZImageSpinEdit(value, type, parent) {
    connect(lineEdit(), SIGNAL(textEdited(QString)), this, SIGNAL(emitTimeEdited(QString)));
}

QRZDateTimeEdit::~QRZDateTimeEdit() = default;

void QRZDateTimeEdit::stepBy(int steps) {
    QDateTimeEdit::stepBy(steps);
    m_stepEmitted = true;
    emit emitTimeEdited(QDateTimeEdit::text());
}

void QRZDateTimeEdit::keyPressEvent(QKeyEvent* event) {
    const QDateTime before = dateTime();
    const QString textBefore = lineEdit()->text();
    m_stepEmitted = false;
    QDateTimeEdit::keyPressEvent(event);
    // The framework refuses a digit typed into a section that is full (the "00" of a
    // time just clicked into): the digit is meant to replace it, as in a selected section.
    const bool digit = event->text().size() == 1 && event->text().at(0).isDigit();
    if (digit && lineEdit()->text() == textBefore && !lineEdit()->hasSelectedText()) {
        setSelectedSection(currentSection());
        QDateTimeEdit::keyPressEvent(event);
    }
    if (dateTime() != before && !m_stepEmitted) {
        emit emitTimeEdited(QDateTimeEdit::text());
    }
}

void QRZDateTimeEdit::stepUp() {
    QDateTimeEdit::stepUp();
}
void QRZDateTimeEdit::stepDown() {
    QDateTimeEdit::stepDown();
}

QRZTimeEdit::QRZTimeEdit(QWidget* parent) : QRZDateTimeEdit(QTime(0, 0, 0, 0), QVariant::Time, parent) {}
QRZTimeEdit::~QRZTimeEdit() = default;
