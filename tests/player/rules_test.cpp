#include "platform/codepage.h"
#include "player/program_folder.h"
#include "player/rules.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace player;

TEST(SeekRange, FollowsTheTrackLengthAtAnyLength) {
    struct Case {
        int32_t total;
        int32_t max, largeChange;
    };
    for (const Case c : {Case{0, 0, 1},
                         {10, 10, 1},
                         {11, 11, 1},
                         {15, 15, 2},
                         {25, 25, 2},
                         {35, 35, 4},
                         {104, 104, 10},
                         {106, 106, 11},
                         {32767, 32767, 3277},
                         {32768, 32768, 3277},
                         {32775, 32775, 3278},    // 3277.5: the even neighbour
                         {360000, 360000, 36000}, // 100 hours
                         {-7, -7, 1}}) {
        const SeekRange range = seekRangeFor(c.total);
        EXPECT_EQ(range.max, c.max) << c.total;
        EXPECT_EQ(range.largeChange, c.largeChange) << c.total;
    }
}

TEST(RandomIndex, EveryEntryCanBeDrawnAndAnEmptyListSelectsNothing) {
    EXPECT_EQ(randomIndex(0, 0.0f), -1);
    EXPECT_EQ(randomIndex(0, 0.99f), -1);
    EXPECT_EQ(randomIndex(1, 0.999999f), 0);
    EXPECT_EQ(randomIndex(2, 0.0f), 0);
    EXPECT_EQ(randomIndex(2, 0.5f), 1);
    const float last = 1.0f - 1.0f / (1 << 24);
    for (const int32_t count : {32767, 32768, 65536, 100000}) {
        EXPECT_EQ(randomIndex(count, last), count - 1) << count;
        EXPECT_EQ(randomIndex(count, 0.5f), count / 2) << count;
    }
    EXPECT_EQ(randomIndex(4, 1.0f), 3) << "never past the last entry";
}

TEST(ElapsedTimeText, MinutesAndSecondsWithoutHours) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0:00"},       {5, "0:05"},       {9, "0:09"},        {10, "0:10"},
        {42, "0:42"},      {59, "0:59"},      {60, "1:00"},       {67, "1:07"},
        {70, "1:10"},      {754, "12:34"},    {3600, "60:00"},    {6000, "100:00"},
        {32767, "546:07"}, {32768, "546:08"}, {360000, "6000:00"}};
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(elapsedTimeText(seconds), QString::fromUtf8(text)) << seconds;
    }
}

TEST(StateText, UnknownStatesReadAsPaused) {
    EXPECT_EQ(stateText(0), QStringLiteral("現在の状況：停止中"));
    EXPECT_EQ(stateText(1), QStringLiteral("現在の状況：再生中"));
    EXPECT_EQ(stateText(2), QStringLiteral("現在の状況：一時停止中"));
    EXPECT_EQ(stateText(7), QStringLiteral("現在の状況：一時停止中"));
}

TEST(TrackCaption, DropsTheExtensionAndShortNamesGiveNothing) {
    EXPECT_EQ(trackCaption(QStringLiteral("track01.mp3")), QStringLiteral("track01"));
    EXPECT_EQ(trackCaption(QStringLiteral(".mp3")), QString());
    EXPECT_EQ(trackCaption(QStringLiteral("a.b")), QString());
}

TEST(TickerItem, CyclesThroughTheFieldsWithWholeFixedLengthTexts) {
    PlayerState state;
    state.tagInfo.artist.replace(0, 3, QStringLiteral("Ann"));
    state.tagInfo.title.replace(0, 8, QStringLiteral("<b>x</b>"));
    state.mpegInfo.bitRate = 128;
    const TickerItem artist = tickerItem(TickerStep::Artist, state);
    EXPECT_EQ(artist.caption.size(), 7 + 128);
    EXPECT_TRUE(artist.caption.startsWith(QStringLiteral("Artist：Ann")));
    EXPECT_EQ(artist.nextStep, TickerStep::Album);
    EXPECT_EQ(tickerItem(TickerStep::Album, state).nextStep, TickerStep::Title);
    EXPECT_TRUE(
        tickerItem(TickerStep::Title, state).caption.startsWith(QStringLiteral("Track：<b>x</b>")));
    EXPECT_EQ(tickerItem(TickerStep::Genre, state).nextStep, TickerStep::BitRate);
    for (int16_t step : {0, 5, -3, 9}) {
        const TickerItem bitRate = tickerItem(TickerStep{step}, state);
        EXPECT_EQ(bitRate.caption, QStringLiteral("Bitrate：128KB/s"));
        EXPECT_EQ(bitRate.nextStep, TickerStep::Artist);
    }
}

TEST(ProgramFolder, TheFolderOfThePathAsGivenByteForByte) {
    const std::string here = std::filesystem::current_path().string();
    const std::pair<const char*, std::string> cases[] = {
        {"/music/caf\xe9/tonalisk", "/music/caf\xe9"},
        {"/music/./caf\xe9//tonalisk", "/music/caf\xe9"},
        {"caf\xe9/tonalisk", here + "/caf\xe9"},
        {"./tonalisk", here},
        {"/music/\x89\xb9\x8a\x79/tonalisk", "/music/\x89\xb9\x8a\x79"}}; // CP932
    for (const auto& [startedAs, folder] : cases)
        EXPECT_EQ(platform::toEightBit(programFolder(QByteArray(startedAs))).toStdString(), folder)
            << startedAs;
}
