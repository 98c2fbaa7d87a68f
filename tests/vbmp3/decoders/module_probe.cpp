// Opens and plays each file named on the command line in turn through the C functions and prints
// a line for each: "played", or "refused" when it would not open.
#include <iostream>

#include "vbmp3.h"

int main(int argc, char** argv) {
    if (vbmp3_init() == 0)
        return 1;
    for (int i = 1; i < argc; ++i) {
        vbmp3_InputInfo info{};
        const bool opened = vbmp3_open(argv[i], &info) != 0;
        vbmp3_play();
        int32_t seconds = 0;
        const bool playing = vbmp3_getState(&seconds) == VBMP3_PLAYING;
        std::cout << (opened && playing ? "played" : opened ? "opened" : "refused") << std::endl;
        vbmp3_close();
    }
    vbmp3_free();
    return 0;
}
