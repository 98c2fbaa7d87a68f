#include "mpris/now_playing.h"

#include "platform/codepage.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mpris {

QDBusObjectPath noTrackId() {
    return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
}

QDBusObjectPath trackId(uint64_t n) {
    // Outside /org/mpris, which the standard keeps for its own paths.
    return QDBusObjectPath(QStringLiteral("/org/tonalisk/Track/") + QString::number(n));
}

QString playbackStatus(player::PlayStatus status) {
    switch (status) {
    case player::PlayStatus::Stopped:
        return QStringLiteral("Stopped");
    case player::PlayStatus::Playing:
        return QStringLiteral("Playing");
    case player::PlayStatus::Paused:
        break;
    }
    return QStringLiteral("Paused");
}

QString slotText(const QString& slot) {
    const qsizetype end = slot.indexOf(QChar(u'\0'));
    return (end < 0 ? slot : slot.left(end)).trimmed();
}

bool hasTrack(const player::PlayerState& state) {
    return !QFileInfo(state.currentFile).fileName().isEmpty();
}

QVariantMap metadata(const player::PlayerState& state, const QDBusObjectPath& id) {
    QVariantMap out{{QStringLiteral("mpris:trackid"), QVariant::fromValue(id)}};
    if (!hasTrack(state)) {
        return out;
    }
    const QFileInfo file(state.currentFile);
    const QString title = slotText(state.tagInfo.title);
    // A name in a legacy code page carries escaped bytes: shown as the list shows it, and in the
    // URL as the bytes it has on disk.
    out[QStringLiteral("xesam:title")] =
        title.isEmpty() ? platform::displayName(file.completeBaseName()) : title;
    // The window forms the file's path from its absolute folder; QFileInfo would lose its escapes.
    const QByteArray path = platform::toEightBit(state.currentFile);
    out[QStringLiteral("xesam:url")] =
        QString::fromLatin1("file://" + path.toPercentEncoding("/!$&'()*+,;=:@"));
    const auto putText = [&out](const QString& key, const QString& slot, bool asList) {
        const QString text = slotText(slot);
        if (!text.isEmpty()) {
            out[key] = asList ? QVariant(QStringList{text}) : QVariant(text);
        }
    };
    putText(QStringLiteral("xesam:artist"), state.tagInfo.artist, true);
    putText(QStringLiteral("xesam:album"), state.tagInfo.album, false);
    putText(QStringLiteral("xesam:genre"), state.tagInfo.genreName, true);
    if (state.mpegInfo.totalMilliseconds > 0) {
        out[QStringLiteral("mpris:length")] =
            qlonglong{state.mpegInfo.totalMilliseconds} * (kMicrosecondsPerSecond / 1000);
    }
    return out;
}

QString pictureSuffix(const QByteArray& bytes) {
    // PNG's eight-byte signature; JPEG's start-of-image marker and the next marker's lead byte.
    if (bytes.startsWith(QByteArrayView("\x89PNG\r\n\x1a\n"))) {
        return QStringLiteral("png");
    }
    return bytes.startsWith(QByteArrayView("\xff\xd8\xff")) ? QStringLiteral("jpg") : QString();
}

int sliderPosition(double volume) {
    if (!(volume > 0.0)) { // NaN too
        return 0;
    }
    return static_cast<int>(std::nearbyint(std::min(volume, 1.0) * 100.0));
}

int64_t seekTarget(int32_t now, int64_t offset) {
    const double target =
        static_cast<double>(now) * kMicrosecondsPerSecond + static_cast<double>(offset);
    // 2^62: far beyond any track, and exactly representable both ways.
    const double limit = 4611686018427387904.0;
    return static_cast<int64_t>(std::clamp(target, 0.0, limit));
}

int32_t wholeSeconds(int64_t microseconds) {
    const double seconds =
        std::nearbyint(static_cast<double>(microseconds) / kMicrosecondsPerSecond);
    return static_cast<int32_t>(std::clamp(seconds, 0.0, double{INT32_MAX}));
}

bool positionJumped(int32_t before, int32_t after, bool playing) {
    if (!playing) {
        return after != before;
    }
    return after < before || after > before + 2;
}

} // namespace mpris
