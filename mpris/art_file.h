#pragma once

#include <QByteArray>
#include <QIcon>
#include <QString>
#include <QTemporaryFile>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace mpris {

// The picture that "now playing" panels show for a track, from a file in the session's runtime
// folder ($XDG_RUNTIME_DIR), where panels in other processes read it by URL: the track's embedded
// picture where it is a PNG or JPEG image, else the player's icon. The icon is written once; a
// track's picture is written when the track comes and removed when the next one comes. Every file
// goes with this object (at exit).
class ArtFile {
public:
    // The URL for track number `track`. `picture` reads the track's embedded picture: it is asked
    // once for each track, when its number first comes. Empty without a runtime folder, or if no
    // file can be written.
    QString url(uint64_t track, const std::function<QByteArray()>& picture, const QIcon& icon);

private:
    // The track's picture in a file of its own, or nothing for bytes that are no PNG or JPEG.
    void takePicture(const QByteArray& bytes);
    QString iconUrl(const QIcon& icon);

    std::optional<QString> iconUrl_;
    QTemporaryFile iconFile_;
    std::optional<uint64_t> pictureTrack_;
    std::unique_ptr<QTemporaryFile> pictureFile_;
};

} // namespace mpris
