// The folder whose files the player lists at start-up.
#pragma once

#include <QString>

namespace player {

// The folder the player counts as its own, from the path it was started by: the folder of that
// path as given (a symbolic link's own folder), searched in PATH when it names no folder.
QString programFolder(const QString& startedAs);

} // namespace player
