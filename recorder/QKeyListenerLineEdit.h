// The one-line field of the basic options page in which the user presses a new key
// combination for a global hotkey. It keeps its whole text selected, says when it gains
// and loses the focus (the global hotkeys are off meanwhile) and reports each completed
// combination (a non-modifier key with its modifiers). While it has the focus it holds
// the keyboard, so every key reaches it, global hotkeys too. It neither formats nor stores
// the combination: the page does. GUI thread only.
#pragma once

#include "toolkit/QRZLineEdit.h"

class QKeyListenerLineEdit : public QRZLineEdit {
    Q_OBJECT
public:
    explicit QKeyListenerLineEdit(QWidget* parent = nullptr);
    ~QKeyListenerLineEdit() override;

signals:
    // false when the field gains the focus, true when it loses it.
    void emitFocusState(bool enable);
    // One completed combination.
    void eimtShortcutChange(Qt::Key key, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_selecting = false;
};
