// Writes a seed set of generated tracks, one of every kind, into a folder; with --real-world, the
// files shaped like real collections instead (legacy code pages, cut downloads, odd MIDI).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/audio_writer.h"
#include "fixtures/real_world.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--real-world") {
        try {
            fixtures::writeRealWorldSet(argv[2]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER [SECONDS]\n       %s --real-world FOLDER\n", argv[0],
                     argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const double seconds = argc == 3 ? std::atof(argv[2]) : 3.5;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "SECONDS must be a positive number\n");
        return 2;
    }
    using fixtures::Kind;
    const std::vector<std::pair<Kind, const char*>> kinds = {{Kind::Wav16, "wav16.wav"},
                                                             {Kind::Wav8, "wav8.wav"},
                                                             {Kind::Wav24, "wav24.wav"},
                                                             {Kind::Wav32Float, "wav32float.wav"},
                                                             {Kind::WavAdpcmIma, "adpcm_ima.wav"},
                                                             {Kind::WavAdpcmMs, "adpcm_ms.wav"},
                                                             {Kind::Mp3Cbr, "cbr.mp3"},
                                                             {Kind::Mp3Vbr, "vbr.mp3"},
                                                             {Kind::Mp3VbrNoXing, "vbr_noxing.mp3"},
                                                             {Kind::Mp3VbrVbri, "vbr_vbri.mp3"},
                                                             {Kind::WmaV1, "wmav1.wma"},
                                                             {Kind::WmaV2, "wmav2.wma"}};
    try {
        std::filesystem::create_directories(folder);
        const fixtures::Pcm tone = fixtures::sine(440.0, seconds);
        for (const auto& [kind, name] : kinds) {
            fixtures::TrackTags tags{name,   "Tonalisk Fixtures", "Seed Set", "Test",
                                     "2026", "generated",         12};
            fixtures::writeAudio((folder / name).string(), tone, kind, tags);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
