#include "player/ticker_item.h"

namespace player {

TickerItem tickerItem(int16_t infoStep, const PlayerState& state) {
    switch (infoStep) {
    case 1:
        return {QStringLiteral("Artist：") + state.tagInfo.artist, 2};
    case 2:
        return {QStringLiteral("Album：") + state.tagInfo.album, 3};
    case 3:
        return {QStringLiteral("Track：") + state.tagInfo.title, 4};
    case 4:
        return {QStringLiteral("Genre：") + state.tagInfo.genreName, 5};
    default:
        return {QStringLiteral("Bitrate：") + QString::number(state.mpegInfo.bitRate) +
                    QStringLiteral("KB/s"),
                1};
    }
}

} // namespace player
