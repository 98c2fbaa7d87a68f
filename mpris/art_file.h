#pragma once

#include <QIcon>
#include <QString>
#include <QTemporaryFile>
#include <optional>

namespace mpris {

// The picture that "now playing" panels show for the tracks: the player's icon, written once to
// a file in the session's runtime folder ($XDG_RUNTIME_DIR), where panels in other processes
// read it by URL, and removed with this object (at exit). The engine tells whether a track has
// an embedded picture but not what it is, so every track shows the icon.
class ArtFile {
public:
    // The file's file:// URL, written from `icon` at the first call; empty without a runtime
    // folder, or if the file cannot be written.
    QString url(const QIcon& icon);

private:
    std::optional<QString> url_;
    QTemporaryFile file_;
};

} // namespace mpris
