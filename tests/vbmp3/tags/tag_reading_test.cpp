#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

#include "api/boundary_text.h"
#include "decoders/source.h"
#include "fixtures/audio_writer.h"
#include "fixtures/encoded_writer.h"
#include "fixtures/id3v2_writer.h"
#include "fixtures/real_world.h"
#include "tags/tags.h"
#include "temp_folder.h"

using fixtures::Kind;
using test_support::processFolder;

namespace {

const fixtures::TrackTags kTags{"Title Ä", "Artist", "Album", "Rock", "2026", "Note", -1};

class TagReading : public testing::Test {
protected:
    std::string path(const std::string& name) { return (processFolder() / name).string(); }
    std::string write(const std::string& name, Kind kind, const fixtures::TrackTags& tags = kTags) {
        std::string p = path(name);
        fixtures::writeAudio(p, fixtures::sine(440, 0.3), kind, tags);
        return p;
    }
    static vbmp3::Tags read(const std::string& p) {
        vbmp3::Tags tags;
        EXPECT_TRUE(vbmp3::readTags(p, tags)) << p;
        return tags;
    }
    static void expectFields(const vbmp3::Tags& t, const fixtures::TrackTags& w) {
        EXPECT_EQ(t.title, w.title);
        EXPECT_EQ(t.artist, w.artist);
        EXPECT_EQ(t.album, w.album);
        EXPECT_EQ(t.year, w.year);
        EXPECT_EQ(t.comment, w.comment);
        EXPECT_EQ(t.genreName, w.genre);
    }
};

TEST_F(TagReading, EveryContainerGivesBackWhatWasWritten) {
    // RIFF INFO, ADPCM in WAV, ID3v2 from the mp3 muxer, and ASF with its WM/Year.
    for (auto [kind, name] : {std::pair{Kind::Wav16, "a.wav"},
                              {Kind::WavAdpcmIma, "b.wav"},
                              {Kind::Mp3Cbr, "c.mp3"},
                              {Kind::WmaV2, "d.wma"}}) {
        SCOPED_TRACE(name);
        vbmp3::Tags t = read(write(name, kind));
        expectFields(t, kTags);
        EXPECT_EQ(t.genreCode, -1);
    }
}

TEST_F(TagReading, Id3v2InEveryTextEncoding) {
    const fixtures::TrackTags japanese{"曲名", "歌手", "アルバム", "Pop", "1999", "メモ", -1};
    const fixtures::TrackTags latin{"Café", "Björk", "Ångström", "Jazz", "1999", "Über", -1};
    using fixtures::Id3Text;
    for (auto [enc, tags] : {std::pair{Id3Text::Latin1, latin},
                             {Id3Text::Utf16, japanese},
                             {Id3Text::Utf8, japanese}}) {
        std::string p = write("enc.mp3", Kind::Mp3Cbr, {});
        fixtures::replaceId3v2(p, fixtures::id3v2Tag(tags, {enc}));
        expectFields(read(p), tags);
    }
}

TEST_F(TagReading, Id3v1AloneAndUnderId3v2) {
    fixtures::TrackTags v1Only{"Old Title", "Old Artist", "Old Album", "", "1987", "c", 17};
    std::string p = write("v1.mp3", Kind::Mp3Cbr, {});
    fixtures::replaceId3v2(p, "");
    fixtures::appendId3v1(p, v1Only);
    vbmp3::Tags t = read(p);
    EXPECT_EQ(t.title, "Old Title");
    EXPECT_EQ(t.year, "1987");
    EXPECT_EQ(t.genreCode, 17);

    // v2 has the title only: v1 fills the rest and gives the genre code.
    std::string both = write("both.mp3", Kind::Mp3Cbr, {});
    fixtures::replaceId3v2(both, fixtures::id3v2Tag({"New Title", "", "", "", "", "", -1}));
    fixtures::appendId3v1(both, v1Only);
    vbmp3::Tags m = read(both);
    EXPECT_EQ(m.title, "New Title");
    EXPECT_EQ(m.artist, "Old Artist");
    EXPECT_EQ(m.album, "Old Album");
    EXPECT_EQ(m.genreCode, 17);
}

TEST_F(TagReading, UntaggedFileAfterTaggedOneGivesAnAllEmptyRecord) {
    vbmp3_TagInfo info{};
    vbmp3::fillTagInfo(read(write("t.wav", Kind::Wav16)), info);
    EXPECT_STREQ(info.artist, "Artist");
    vbmp3::fillTagInfo(read(write("u.wav", Kind::Wav16, {})), info);
    vbmp3_TagInfo empty{};
    empty.genreCode = -1;
    EXPECT_EQ(std::memcmp(&info, &empty, sizeof info), 0);
}

TEST_F(TagReading, Id3v2BytesThroughUnsynchronisationAndFrameFlags) {
    setenv("LC_ALL", "en_US.UTF-8", 1); // short legacy text takes CP1252
    const std::string artist = fixtures::inCodePage("Ÿÿé Björk", "CP1252"); // 9F FF E9 ...
    std::string unsynchronised = artist;
    unsynchronised.insert(2, 1, '\0'); // FF E9 is written FF 00 E9
    // `stored`: the size the header gives (in 2.3, that of the resynchronised body).
    auto frame = [](const std::string& id, const std::string& body, bool v24, char flags,
                    size_t stored) {
        std::string size(4, '\0');
        for (int i = 3, v = static_cast<int>(stored); i >= 0; --i, v >>= v24 ? 7 : 8)
            size[i] = static_cast<char>(v & (v24 ? 0x7F : 0xFF));
        return id + size + '\0' + flags + body;
    };
    auto tag = [](int version, char flags, const std::string& frames) {
        std::string size(4, '\0');
        for (int i = 3, v = static_cast<int>(frames.size()); i >= 0; --i, v >>= 7)
            size[i] = static_cast<char>(v & 0x7F);
        return std::string("ID3") + static_cast<char>(version) + '\0' + flags + size + frames;
    };
    // 2.3: the whole tag unsynchronised. 2.4: one frame, with a data length indicator.
    const std::string v23 =
        tag(3, '\x80', frame("TPE1", '\0' + unsynchronised, false, 0, 1 + artist.size()));
    const std::string v24 = tag(
        4, 0, frame("TPE1", std::string("\0\0\0\x0A", 4) + '\0' + unsynchronised, true, 0x03, 15));
    for (const std::string& id3 : {v23, v24}) {
        std::string p = write("flags.mp3", Kind::Mp3Cbr, {});
        fixtures::replaceId3v2(p, id3);
        EXPECT_EQ(read(p).artist, "Ÿÿé Björk");
    }
    unsetenv("LC_ALL");
}

TEST_F(TagReading, MalformedTagsAndMissingFiles) {
    std::string huge = write("pic.mp3", Kind::Mp3Cbr, {});
    fixtures::replaceId3v2(huge, fixtures::id3v2Tag(kTags, {fixtures::Id3Text::Utf16, 8 << 20}));
    EXPECT_EQ(read(huge).title, kTags.title);

    std::string bogus = write("bogus.mp3", Kind::Mp3Cbr, {});
    fixtures::replaceId3v2(bogus,
                           fixtures::id3v2Tag(kTags, {fixtures::Id3Text::Utf16, 0, 0x0FFFFFFF}));
    vbmp3::Tags t;
    vbmp3::readTags(bogus, t); // any result, but no crash or hang

    EXPECT_FALSE(vbmp3::readTags(path("missing.mp3"), t));
    EXPECT_TRUE(t.title.empty());
}

TEST(BoundaryText, CutsAtCharacterBoundaryInsideTheSlot) {
    char slot[8];
    std::memset(slot, '#', sizeof slot);
    vbmp3::putText("曲曲曲", slot, 7); // 9 bytes; two characters and a NUL fit
    EXPECT_EQ(std::string(slot, 7), std::string("曲曲\0", 7));
    EXPECT_EQ(slot[7], '#');
    vbmp3::putText("abc\xE6\x9B", slot, 7); // a cut sequence in the input is dropped
    EXPECT_STREQ(slot, "abc");
}

TEST(BoundaryText, TheCLocaleCountsAsUtf8) {
    std::setlocale(LC_CTYPE, "C");
    char slot[32];
    vbmp3::putText("試験アーティスト", slot, sizeof slot);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    EXPECT_STREQ(slot, "試験アーティスト");
}

// Tag reading as users of four locales get it: the boundary's character set and the code page
// of short legacy text both follow the locale.
class LegacyTags : public testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() {
        for (const fixtures::LegacyTagCase& c : fixtures::legacyTagCases())
            fixtures::writeLegacyTagCase(processFolder().string(), c);
        std::string p = (processFolder() / "utf16.mp3").string();
        fixtures::writeAudio(p, fixtures::sine(440, 0.3), Kind::Mp3Cbr);
        fixtures::replaceId3v2(p, fixtures::id3v2Tag(kUtf16, {fixtures::Id3Text::Utf16}));
    }
    void SetUp() override {
        // The build compiles these locales for the tests (test_locales).
        ASSERT_NE(std::setlocale(LC_ALL, GetParam()), nullptr) << "locale " << GetParam();
        setenv("LC_ALL", GetParam(), 1);
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C.UTF-8");
        unsetenv("LC_ALL");
    }
    // The fields as they come out of the engine's record.
    static std::vector<std::string> recordOf(const std::string& name) {
        vbmp3::Tags tags;
        EXPECT_TRUE(vbmp3::readTags((processFolder() / name).string(), tags));
        vbmp3_TagInfo info{};
        vbmp3::fillTagInfo(tags, info);
        return {info.title, info.artist, info.album};
    }
    static inline const fixtures::TrackTags kUtf16{
        "試験", "試験アーティスト", "アルバム", "", "", "", -1};
};

TEST_P(LegacyTags, EveryCodePageInEveryPlaceReadsRight) {
    const bool japanese = std::string(GetParam()).starts_with("ja");
    for (const fixtures::LegacyTagCase& c : fixtures::legacyTagCases()) {
        // Two-character names are too little to tell CP932 by: only a Japanese user gets them.
        if (c.fileName.find("short") != std::string::npos && !japanese)
            continue;
        EXPECT_EQ(recordOf(c.fileName),
                  (std::vector<std::string>{c.text.title, c.text.artist, c.text.album}))
            << c.fileName;
    }
    EXPECT_EQ(recordOf("utf16.mp3"),
              (std::vector<std::string>{kUtf16.title, kUtf16.artist, kUtf16.album}));
}

INSTANTIATE_TEST_SUITE_P(Locales, LegacyTags,
                         testing::Values("ja_JP.UTF-8", "ru_RU.UTF-8", "en_US.UTF-8", "C"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
