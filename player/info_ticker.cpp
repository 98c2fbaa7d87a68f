#include "player/form1.h"

#include "player/ticker_item.h"

namespace player {

void Form1::Timer2_Timer() {
    if (File1.FileName().isEmpty()) {
        return;
    }
    const TickerItem item = tickerItem(state_.infoStep, state_);
    Label1.setCaption(item.caption);
    state_.infoStep = item.nextStep;
}

} // namespace player
