// The hover, press and disabled states that the image-drawn mix-ins (QRZBaseButtonDraw,
// QRZBaseRectImageDraw) keep for their owner widget, and the moves between them that
// both make alike. The numbers are both mix-ins' State values. GUI thread only.
#pragma once

class QEvent;
class QWidget;

namespace drawstate {

enum State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

// Stores `next` in *state; a change repaints `owner` (when there is one) if `repaint`.
void set(QWidget* owner, int* state, int next, bool repaint);
// The mouse entered: hover (repainted) when the owner is enabled, else disabled.
void enter(QWidget* owner, int* state);
// The mouse left: a hovered owner goes back to normal (repainted), a disabled one to
// disabled.
void leave(QWidget* owner, int* state);
// An EnabledChange event resets the state to normal or disabled, without a repaint.
void enabledChange(QWidget* owner, int* state, const QEvent* event);

} // namespace drawstate
