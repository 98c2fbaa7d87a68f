#pragma once

#include <QString>
#include <functional>

namespace platform {

// Shows a modal box with one OK button and no icon, and waits until it is dismissed. While it is
// up no timer handler runs, and a second box asked for meanwhile is not shown.
void MsgBox(const QString& text, const QString& caption);

// True while a box of MsgBox is up.
bool modalBoxShown();

// Replaces how the box is shown (tests answer it without a user); an empty function restores the
// real box.
using MsgBoxPresenter = std::function<void(const QString& text, const QString& caption)>;
void setMsgBoxPresenter(MsgBoxPresenter presenter);

} // namespace platform
