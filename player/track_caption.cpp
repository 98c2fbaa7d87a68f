#include "player/track_caption.h"

namespace player {

QString trackCaption(const QString& fileName) {
    return fileName.size() < 4 ? QString() : fileName.left(fileName.size() - 4);
}

} // namespace player
