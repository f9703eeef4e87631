#include "recorder/QKeyListenerLineEdit.h"

#include <QDebug>
#include <QKeyEvent>

QKeyListenerLineEdit::QKeyListenerLineEdit(QWidget* parent) : QRZLineEdit(parent) {
    // The combination may also travel through queued connections.
    qRegisterMetaType<Qt::Key>("Qt::Key");
    qRegisterMetaType<Qt::KeyboardModifiers>("Qt::KeyboardModifiers");
}

QKeyListenerLineEdit::~QKeyListenerLineEdit() = default;

// A click never places the cursor: the whole text stays selected, so the next key
// replaces what is shown.
void QKeyListenerLineEdit::mousePressEvent(QMouseEvent*) {
    m_selecting = true;
    setSelection(0, text().length());
}

void QKeyListenerLineEdit::mouseMoveEvent(QMouseEvent*) {
    if (m_selecting)
        setSelection(0, text().length());
}

void QKeyListenerLineEdit::mouseReleaseEvent(QMouseEvent*) {
    m_selecting = false;
}

// While the field has the focus it takes the whole keyboard, so a combination that a
// global hotkey (ours or another program's) holds reaches it instead of firing.
void QKeyListenerLineEdit::focusInEvent(QFocusEvent* event) {
    QRZLineEdit::focusInEvent(event);
    grabKeyboard();
    setSelection(0, text().length());
    emit emitFocusState(false);
}

void QKeyListenerLineEdit::focusOutEvent(QFocusEvent* event) {
    QRZLineEdit::focusOutEvent(event);
    releaseKeyboard();
    setSelection(0, 0);
    deselect();
    emit emitFocusState(true);
}

void QKeyListenerLineEdit::keyPressEvent(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
    const int key = event->key();
    if (key == Qt::Key_unknown)
        return;
    qDebug() << event->text() << "+++1111" << key;
    // A combination is complete only with a key that is not a modifier alone.
    if (key >= Qt::Key_Shift && key <= Qt::Key_Alt)
        return;
    emit eimtShortcutChange(Qt::Key(key), event->modifiers());
    qDebug() << "-Modifiers--" << event->modifiers() << "+++" << key;
}
