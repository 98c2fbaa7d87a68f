#include "decoders/midi/midi_source.h"
#include "decoders/midi/midi_synth.h"
#include "decoders/midi/soundfont.h"
#include "midi_test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

TEST(SoundFont, CandidatesPreferTheAlternativesThenAnySoundFontByName) {
    const fs::path dir = midi_test::tempPath("fonts");
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* name : {"b.sf3", "a.SF2", "notes.txt", "default.sf2"})
        std::ofstream(dir / name) << "x";
    const std::string missing = (dir / "missing.sf2").string();
    const std::string preferred = (dir / "default.sf2").string();

    EXPECT_EQ(
        vbmp3::soundFontCandidates({missing, preferred}, {dir.string()}),
        (std::vector<std::string>{preferred, (dir / "a.SF2").string(), (dir / "b.sf3").string()}));
    EXPECT_TRUE(vbmp3::soundFontCandidates({missing}, {(dir / "none").string()}).empty());
}

TEST(SoundFont, WithoutOneNoMidiFileOpens) {
    EXPECT_FALSE(vbmp3::loadMidiSynth(midi_test::tempPath("fonts/b.sf3")));
    const std::string path =
        midi_test::writeSong("nofont.mid", midi_test::songOf({{0, 480, 0, 60, 100}}));
    EXPECT_FALSE(vbmp3::openMidiSourceWith(path, nullptr));
}

TEST(SoundFont, LoadedOnceInTheBackgroundForEveryOpen) {
    const std::string path =
        midi_test::writeSong("many.mid", midi_test::songOf({{0, 480, 0, 60, 100}}));
    const int before = vbmp3::soundFontLoadCount();
    vbmp3::startSoundFontLoad();
    vbmp3::startSoundFontLoad();
    for (int i = 0; i < 3; ++i) {
        auto source = vbmp3::openMidiSource(path);
        ASSERT_TRUE(source);
        float buffer[256];
        EXPECT_EQ(source->read(buffer, 128), 128u);
    }
    EXPECT_EQ(vbmp3::soundFontLoadCount(), before + 1);

    // A released engine loads it again when it starts anew; streams still open keep theirs.
    auto kept = vbmp3::openMidiSource(path);
    vbmp3::releaseSoundFont();
    float buffer[256];
    EXPECT_EQ(kept->read(buffer, 128), 128u);
    EXPECT_TRUE(vbmp3::openMidiSource(path));
    EXPECT_EQ(vbmp3::soundFontLoadCount(), before + 2);
    vbmp3::releaseSoundFont();
}
