#include "toolkit/DrawState.h"

#include <QEvent>
#include <QWidget>

namespace drawstate {

void set(QWidget* owner, int* state, int next, bool repaint) {
    if (*state == next) {
        return;
    }
    *state = next;
    if (repaint && owner != nullptr) {
        owner->repaint();
    }
}

void enter(QWidget* owner, int* state) {
    if (owner == nullptr) {
        return;
    }
    set(owner, state, owner->isEnabled() ? Hover : Disabled, owner->isEnabled());
}

void leave(QWidget* owner, int* state) {
    if (owner == nullptr) {
        return;
    }
    if (!owner->isEnabled()) {
        set(owner, state, Disabled, false);
    } else if (*state == Hover) {
        set(owner, state, Normal, true);
    }
}

void enabledChange(QWidget* owner, int* state, const QEvent* event) {
    if (owner == nullptr || event == nullptr || event->type() != QEvent::EnabledChange) {
        return;
    }
    *state = owner->isEnabled() ? Normal : Disabled;
}

} // namespace drawstate
