#include "mpris/art_file.h"

#include <QPixmap>
#include <QUrl>

namespace mpris {

namespace {
// As large as panels show it; an icon smaller than that is written at its own size.
constexpr int kArtPixels = 256;
} // namespace

QString ArtFile::url(const QIcon& icon) {
    if (url_) {
        return *url_;
    }
    url_ = QString();
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QPixmap picture = icon.pixmap(kArtPixels);
    if (runtime.isEmpty() || picture.isNull()) {
        return *url_;
    }
    file_.setFileTemplate(runtime + QStringLiteral("/tonalisk-art-XXXXXX.png"));
    if (file_.open() && picture.save(&file_, "PNG") && file_.flush()) {
        url_ = QUrl::fromLocalFile(file_.fileName()).toString();
    }
    return *url_;
}

} // namespace mpris
