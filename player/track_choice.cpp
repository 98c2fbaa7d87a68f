#include "player/form1.h"

#include "engine/calls.h"
#include "player/random_index.h"

#include <chrono>
#include <random>

namespace player {

void Form1::pickRandomTrack() {
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    // 24 random bits give every float step of [0, 1) and never 1 itself.
    const float r = static_cast<float>(generator() >> 8) / static_cast<float>(1u << 24);
    File1.setListIndex(randomIndex(File1.ListCount(), r));
}

void Form1::File1_Click() {
    playPickedEntry();
}

void Form1::Image1_Click() {
    pickRandomTrack();
    playPickedEntry();
}

void Form1::playPickedEntry() {
    failedStartsInRow_ = 0;
    engine::vbmp3_close();
    takeSelectedFile();
    startTrack();
    showTrackCaption();
}

} // namespace player
