#include "mpris/art_file.h"

#include "mpris/now_playing.h"

#include <QPixmap>
#include <QUrl>

namespace mpris {

namespace {
// As large as panels show it; an icon smaller than that is written at its own size.
constexpr int kArtPixels = 256;

QString runtimeFolder() {
    return qEnvironmentVariable("XDG_RUNTIME_DIR");
}

QString urlOf(const QTemporaryFile& file) {
    return QUrl::fromLocalFile(file.fileName()).toString();
}
} // namespace

QString ArtFile::url(uint64_t track, const std::function<QByteArray()>& picture,
                     const QIcon& icon) {
    if (pictureTrack_ != track) {
        pictureTrack_ = track;
        takePicture(runtimeFolder().isEmpty() ? QByteArray() : picture());
    }
    return pictureFile_ ? urlOf(*pictureFile_) : iconUrl(icon);
}

void ArtFile::takePicture(const QByteArray& bytes) {
    pictureFile_.reset(); // the last track's file goes with it
    const QString suffix = pictureSuffix(bytes);
    if (suffix.isEmpty()) {
        return;
    }
    auto file = std::make_unique<QTemporaryFile>(
        runtimeFolder() + QStringLiteral("/tonalisk-cover-XXXXXX.") + suffix);
    if (file->open() && file->write(bytes) == bytes.size() && file->flush()) {
        pictureFile_ = std::move(file);
    }
}

QString ArtFile::iconUrl(const QIcon& icon) {
    if (iconUrl_) {
        return *iconUrl_;
    }
    iconUrl_ = QString();
    const QString runtime = runtimeFolder();
    const QPixmap picture = icon.pixmap(kArtPixels);
    if (runtime.isEmpty() || picture.isNull()) {
        return *iconUrl_;
    }
    iconFile_.setFileTemplate(runtime + QStringLiteral("/tonalisk-art-XXXXXX.png"));
    if (iconFile_.open() && picture.save(&iconFile_, "PNG") && iconFile_.flush()) {
        iconUrl_ = urlOf(iconFile_);
    }
    return *iconUrl_;
}

} // namespace mpris
