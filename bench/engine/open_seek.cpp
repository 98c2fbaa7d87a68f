// Opens each file named on the command line through the C functions and prints, as JSON lines,
// what opening cost (wall time, bytes the process read meanwhile), how long until the first
// frames of play were heard, and how long a seek to `--seek` seconds took until its place was
// heard (a wave buffer with sound in it: the engine clears its history on a seek).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "vbmp3.h"

namespace {

using Clock = std::chrono::steady_clock;

long long bytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Milliseconds until the wave holds sound, or -1 after ten seconds.
double untilHeard(Clock::time_point start) {
    int32_t left[256], right[256];
    while (msSince(start) < 10000) {
        vbmp3_getWave(left, right);
        for (int i = 0; i < 256; ++i)
            if (left[i] != 0)
                return msSince(start);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    int seekTo = 6600;
    vbmp3_init();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seek") == 0 && i + 1 < argc) {
            seekTo = std::atoi(argv[++i]);
            continue;
        }
        vbmp3_close();
        const long long before = bytesRead();
        Clock::time_point start = Clock::now();
        vbmp3_InputInfo info{};
        const bool opened = vbmp3_open(argv[i], &info) != 0;
        const double openMs = msSince(start);
        const long long read = bytesRead() - before;
        vbmp3_MpegInfo mpeg{};
        vbmp3_getMpegInfo(&mpeg);
        vbmp3_play();
        const double firstMs = opened ? untilHeard(start) : -1;
        start = Clock::now();
        vbmp3_seek(std::min(seekTo, mpeg.totalSeconds / 2));
        const double seekMs = opened ? untilHeard(start) : -1;
        std::printf("{\"file\": \"%s\", \"opened\": %d, \"seconds\": %d, \"open_ms\": %.1f, "
                    "\"bytes_read_at_open\": %lld, \"open_to_sound_ms\": %.1f, "
                    "\"seek_to_sound_ms\": %.1f}\n",
                    argv[i], opened, mpeg.totalSeconds, openMs, read, firstMs, seekMs);
    }
    vbmp3_free();
    return 0;
}
