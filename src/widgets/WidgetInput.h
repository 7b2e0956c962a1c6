#pragma once
// Input conventions shared by the skinned controls.

#include <Qt>

class QEvent;
class QWidget;

namespace korva {

// Mouse buttons as the controls report them: 1 left, 2 right, 4 middle (other buttons dropped).
int ButtonCode(Qt::MouseButtons buttons);
// Modifier keys as the controls report them: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftCode(Qt::KeyboardModifiers modifiers);

// A disabled skinned control keeps mouse, key and wheel input to itself instead of letting Qt pass it
// on to the parent (which may be another skinned control, such as a panel background). Returns true
// when `event` was such input on a disabled `widget`; the caller then returns true from event().
bool SwallowWhenDisabled(const QWidget& widget, QEvent* event);

} // namespace korva
