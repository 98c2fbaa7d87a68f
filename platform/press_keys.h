#pragma once

#include <QKeyEvent>

namespace platform {

// The Shift, Ctrl, Alt and Meta keys held with a key; the keypad's own flag does not count.
Qt::KeyboardModifiers heldModifiers(const QKeyEvent& event);

// Return or the keypad's Enter, alone and not a repeat of a key held down.
bool isReturn(const QKeyEvent& event);

// Whether a key presses a focused button, as on a push button: Space or Return alone. A key held
// down presses once: its repeats do not.
bool pressesButton(const QKeyEvent& event);

// Whether a key event asks for the focused control's menu: the Menu key, or Shift+F10.
bool asksForMenu(const QKeyEvent& event);

// A focused control's frame, drawn by the style over what the control has painted, so that a
// keyboard user sees where the keys go.
void paintFocusFrame(QWidget& control);

} // namespace platform
