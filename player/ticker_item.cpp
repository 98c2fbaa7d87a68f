#include "player/ticker_item.h"

namespace player {

TickerItem tickerItem(TickerStep infoStep, const PlayerState& state) {
    switch (infoStep) {
    case TickerStep::Artist:
        return {QStringLiteral("Artist：") + state.tagInfo.artist, TickerStep::Album};
    case TickerStep::Album:
        return {QStringLiteral("Album：") + state.tagInfo.album, TickerStep::Title};
    case TickerStep::Title:
        return {QStringLiteral("Track：") + state.tagInfo.title, TickerStep::Genre};
    case TickerStep::Genre:
        return {QStringLiteral("Genre：") + state.tagInfo.genreName, TickerStep::BitRate};
    default:
        return {QStringLiteral("Bitrate：") + QString::number(state.mpegInfo.bitRate) +
                    QStringLiteral("KB/s"),
                TickerStep::Artist};
    }
}

} // namespace player
