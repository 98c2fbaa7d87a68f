#pragma once

#include <QString>
#include <functional>

namespace platform {

// How a box is put before the user and answered: the real box (presentMsgBox) waits for the user;
// tests answer it themselves.
using MsgBoxPresenter = std::function<void(const QString& text, const QString& caption)>;

// The real box: modal, one OK button, no icon; returns when the user dismisses it.
void presentMsgBox(const QString& text, const QString& caption);

// Shows a box through `present` and waits until it is dismissed. While it is up no timer handler
// runs, and a second box asked for meanwhile is not shown.
void MsgBox(const QString& text, const QString& caption, const MsgBoxPresenter& present);

// True while a box of MsgBox is up.
bool modalBoxShown();

} // namespace platform
