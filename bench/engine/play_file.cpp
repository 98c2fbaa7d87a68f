// Plays one file through the engine's C functions and nothing else, polling as the player does,
// so the engine's own cost can be measured apart from the window's.
#include <chrono>
#include <cstdio>
#include <thread>

#include "vbmp3.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    vbmp3_init();
    vbmp3_InputInfo info{};
    if (!vbmp3_open(argv[1], &info)) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        vbmp3_free();
        return 1;
    }
    vbmp3_play();
    int32_t seconds = 0;
    while (vbmp3_getState(&seconds) != VBMP3_STOPPED)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    vbmp3_free();
    return 0;
}
