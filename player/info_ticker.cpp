#include "player/info_ticker.h"

#include "player/rules.h"

namespace player {

InfoTicker::InfoTicker(const platform::FileListBox& list, platform::Label& label,
                       PlayerState& state)
    : list_(list), label_(label), state_(state) {}

void InfoTicker::tick() {
    if (list_.FileName().isEmpty()) {
        return;
    }
    const TickerItem item = tickerItem(state_.infoStep, state_);
    label_.setCaption(item.caption);
    state_.infoStep = item.nextStep;
}

} // namespace player
