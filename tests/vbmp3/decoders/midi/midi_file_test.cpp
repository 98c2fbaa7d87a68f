#include "decoders/midi/midi_file.h"
#include "decoders/midi/midi_tags.h"
#include "fixtures/real_world.h"
#include "midi_test_support.h"

#include <gtest/gtest.h>

using namespace fixtures;
using vbmp3::parseMidiFile;

namespace {

MidiSong twoTracksWithTempoChanges() {
    MidiSong song;
    song.ticksPerQuarter = 96;
    song.tempos = {{0, 400000}, {96 * 8, 1000000}};
    MidiTrack melody;
    melody.notes = {{0, 96 * 4, 0, 60, 100}, {96 * 8, 96 * 2, 0, 64, 100}};
    MidiTrack bass;
    bass.notes = {{96 * 10, 96 * 6, 1, 36, 100}}; // the longer track decides the end
    song.tracks = {melody, bass};
    return song;
}

std::vector<uint8_t> trackWith(const std::vector<uint8_t>& events, int64_t declared = -1) {
    std::vector<uint8_t> bytes = midiHeader(0, 1, 96);
    const std::vector<uint8_t> track = chunk("MTrk", events, declared);
    bytes.insert(bytes.end(), track.begin(), track.end());
    return bytes;
}

} // namespace

TEST(MidiFile, LengthFollowsEveryTempoChangeToTheLongestTrack) {
    auto file = parseMidiFile(encodeMidi(twoTracksWithTempoChanges()));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->trackCount, 2);
    EXPECT_EQ(file->endTick, 96 * 16);
    // 8 quarters at 0.4 s, then 8 quarters at 1 s.
    EXPECT_NEAR(file->tempo.seconds(file->endTick), 8 * 0.4 + 8 * 1.0, 1e-9);
    EXPECT_NEAR(file->tempo.seconds(96 * 10), 8 * 0.4 + 2 * 1.0, 1e-9);
}

TEST(MidiFile, TempoInALaterTrackCountsAndZeroTempoIsIgnored) {
    MidiSong song = twoTracksWithTempoChanges();
    song.tempos = {{0, 0}};
    auto bytes = encodeMidi(song);
    auto file = parseMidiFile(bytes);
    ASSERT_TRUE(file);
    EXPECT_NEAR(file->tempo.seconds(96 * 16), 16 * 0.5, 1e-9); // the default 120 bpm holds

    // A tempo event in the second track (not the conductor track) still changes the time.
    std::vector<uint8_t> raw = midiHeader(1, 2, 96);
    for (auto body :
         {std::vector<uint8_t>{0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00},
          std::vector<uint8_t>{0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x60, 0xFF, 0x2F, 0x00}}) {
        auto track = chunk("MTrk", body);
        raw.insert(raw.end(), track.begin(), track.end());
    }
    file = parseMidiFile(raw);
    ASSERT_TRUE(file);
    EXPECT_NEAR(file->tempo.seconds(96), 1.0, 1e-9);
}

TEST(MidiFile, SmpteDivisionCountsTicksPerSecond) {
    // 25 frames a second, 40 ticks a frame: 1000 ticks a second, tempo events do not apply.
    std::vector<uint8_t> bytes = midiHeader(0, 1, static_cast<uint16_t>(0xE728));
    const auto track = chunk("MTrk", {0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x87, 0x68, 0xFF,
                                      0x2F, 0x00}); // end at tick 1000
    bytes.insert(bytes.end(), track.begin(), track.end());
    auto file = parseMidiFile(bytes);
    ASSERT_TRUE(file);
    EXPECT_NEAR(file->tempo.seconds(file->endTick), 1.0, 1e-9);

    for (uint16_t unusable : {uint16_t{0xE700}, uint16_t{0xE928}, uint16_t{0}}) {
        // zero ticks per frame, 23 frames a second (no SMPTE rate), zero ticks per quarter
        std::vector<uint8_t> broken = midiHeader(0, 1, unusable);
        broken.insert(broken.end(), track.begin(), track.end());
        EXPECT_FALSE(parseMidiFile(broken)) << unusable;
    }
}

TEST(MidiFile, RunningStatusSysexAndMetaEvents) {
    auto file = parseMidiFile(trackWith({
        0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, // General MIDI on
        0x00, 0xFF, 0x03, 0x02, 'H',  'i',              // track name
        0x00, 0x90, 60,   100,                          // note on
        0x10, 64,   100,                                // running status: another note on
        0x10, 60,   0,                                  // and a note off by velocity 0
        0x00, 0xFF, 0x2F, 0x00,
    }));
    ASSERT_TRUE(file);
    ASSERT_EQ(file->events.size(), 4u);
    EXPECT_EQ(file->events[0].status, 0xF0);
    EXPECT_EQ(file->sysexData[file->events[0].sysex], std::string("\x7E\x7F\x09\x01"));
    EXPECT_EQ(file->events[2].status, 0x90);
    EXPECT_EQ(file->events[2].data1, 64);
    EXPECT_EQ(file->events[3].tick, 0x20);
    EXPECT_EQ(file->firstTrackName, "Hi");
}

TEST(MidiFile, DamagedTracksKeepWhatCameBefore) {
    const std::vector<uint8_t> notes = {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0};
    // A chunk length past the end of the file, with no end-of-track.
    auto file = parseMidiFile(trackWith(notes, 100000));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->events.size(), 2u);
    EXPECT_EQ(file->endTick, 0x60);

    // Truncated inside an event.
    std::vector<uint8_t> cut = trackWith(notes);
    cut.resize(cut.size() - 2);
    file = parseMidiFile(cut);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->events.size(), 1u);

    // An unterminated SysEx whose length runs off the chunk ends the track there.
    std::vector<uint8_t> sysex = notes;
    sysex.insert(sysex.end(), {0x00, 0xF0, 0x7F, 0x41, 0x10});
    file = parseMidiFile(trackWith(sysex));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->events.size(), 2u);

    // A data byte with no status to run on.
    file = parseMidiFile(trackWith({0x00, 60, 100, 0x00, 0xFF, 0x2F, 0x00}));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->events.empty());
}

TEST(MidiFile, Format2SequencesPlayOneAfterAnother) {
    MidiSong song = format2Song(10);
    song.tracks[3].notes.clear(); // an empty sequence still takes its second
    song.tempos = {{0, 250000}};  // twice as fast, in the first sequence only
    auto file = parseMidiFile(encodeMidi(song));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->endTick, 10 * 960);
    EXPECT_DOUBLE_EQ(file->tempo.seconds(file->endTick), 0.5 + 9.0);
    // The last sequence starts where the one before ended; its last note ends at 880.
    EXPECT_EQ(file->events.back().tick, 9 * 960 + 880);
}

TEST(MidiFile, UndefinedStatusBytesAreSkippedAndTheTrackPlaysOn) {
    auto file = parseMidiFile(midiWithUndefinedStatus());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->events.size(), 1u + 8 * 2); // the program change and every note
    EXPECT_DOUBLE_EQ(file->tempo.seconds(file->endTick), 4.0);
    // System common messages lose their data bytes with them.
    file =
        parseMidiFile(trackWith({0x00, 0xF2, 0x10, 0x20, 0x00, 0xF3, 0x01, 0x00, 0x90, 60, 100}));
    ASSERT_TRUE(file);
    ASSERT_EQ(file->events.size(), 1u);
    EXPECT_EQ(file->events[0].data1, 60);
}

TEST(MidiFile, RejectsWhatIsNotAMidiFile) {
    const std::string text = "MThd is how this text file begins, but nothing else fits.";
    EXPECT_FALSE(parseMidiFile(std::vector<uint8_t>(text.begin(), text.end())));
    EXPECT_FALSE(parseMidiFile({}));
    EXPECT_FALSE(parseMidiFile(midiHeader(0, 1, 96))); // no track chunk
}

TEST(MidiTags, TitleFromTrackNameOrFirstTextCopyrightIntoComment) {
    MidiSong song = midi_test::songOf({{0, 480, 0, 60, 100}});
    song.copyright = "(c) Someone";
    song.tracks[0].name = "Track Title";
    song.tracks[0].text = "Some text";
    vbmp3::Tags tags;
    tags.artist = "left over";
    ASSERT_TRUE(vbmp3::readMidiTags(midi_test::writeSong("tags1.mid", song), tags));
    EXPECT_EQ(tags.title, "Track Title");
    EXPECT_EQ(tags.comment, "(c) Someone");
    EXPECT_EQ(tags.artist, "");
    EXPECT_EQ(tags.genreCode, -1);

    song.tracks[0].name.clear();
    ASSERT_TRUE(vbmp3::readMidiTags(midi_test::writeSong("tags2.mid", song), tags));
    EXPECT_EQ(tags.title, "Some text");

    EXPECT_FALSE(vbmp3::readMidiTags(midi_test::tempPath("missing.mid"), tags));

    // Meta text in a legacy code page, decided over all of the file's text.
    song.tracks[0].name = fixtures::inCodePage("夜明けのスキャット", "CP932");
    song.copyright = fixtures::inCodePage("(C) 山田太郎", "CP932");
    ASSERT_TRUE(vbmp3::readMidiTags(midi_test::writeSong("tags3.mid", song), tags));
    EXPECT_EQ(tags.title, "夜明けのスキャット");
    EXPECT_EQ(tags.comment, "(C) 山田太郎");
}
