// The folder whose files the player lists at start-up.
#pragma once

#include <QByteArray>
#include <QString>

namespace player {

// The folder the player counts as its own, from the path it was started by (argv[0], as the
// bytes it is): the folder of that path as given (a symbolic link's own folder), searched in PATH
// when it names no folder. Bytes that are no text of the locale come back escaped as the file
// list's names are, so a folder named in a legacy code page is that folder and no other.
QString programFolder(const QByteArray& startedAs);

} // namespace player
