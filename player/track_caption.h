// The window caption for a picked entry.
#pragma once

#include <QString>

namespace player {

// The window caption for a list entry: its name without the last four characters.
QString trackCaption(const QString& fileName);

} // namespace player
