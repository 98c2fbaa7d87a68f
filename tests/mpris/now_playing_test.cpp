#include <QStringList>
#include <cstring>
#include <gtest/gtest.h>

#include "mpris/now_playing.h"

namespace {

// A tag slot as the engine hands it over: the text, then NUL fill to the slot's length.
QString slot(const QString& text) {
    return text + QString(VBMP3_TEXT_SLOT - text.size(), QChar(u'\0'));
}

TEST(NowPlaying, MetadataFromTagsWithoutTheirFill) {
    player::PlayerState state;
    state.currentFile = QStringLiteral("/music/Ünïcode & co/01 #1 song.mp3");
    state.tagInfo.title = slot(QStringLiteral("夜明けの歌"));
    state.tagInfo.artist = slot(QStringLiteral("Band     ")); // ID3v1 pads with blanks
    state.tagInfo.album = slot(QStringLiteral("Album"));
    state.tagInfo.genreName = slot(QStringLiteral("Jazz"));
    state.mpegInfo.totalSeconds = 84;
    state.mpegInfo.totalMilliseconds = 83456;
    const QVariantMap m = mpris::metadata(state, mpris::trackId(7));
    EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/tonalisk/Track/7");
    EXPECT_EQ(m.value("xesam:title").toString(), QStringLiteral("夜明けの歌"));
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{"Band"});
    EXPECT_EQ(m.value("xesam:album").toString(), "Album");
    EXPECT_EQ(m.value("xesam:genre").toStringList(), QStringList{"Jazz"});
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 83456000) << "the exact length, not 84 s";
    EXPECT_EQ(m.value("xesam:url").toString(),
              "file:///music/%C3%9Cn%C3%AFcode%20&%20co/01%20%231%20song.mp3");
}

TEST(NowPlaying, ALegacyNameIsShownDecodedAndLinkedByItsBytes) {
    player::PlayerState state;
    // "café.wav" in Latin-1: the list hands the é over as the escaped byte 0xE9.
    state.currentFile = QStringLiteral("/music/caf") + QChar(0xDCE9) + QStringLiteral(".wav");
    const QVariantMap m = mpris::metadata(state, mpris::trackId(1));
    EXPECT_EQ(m.value("xesam:title").toString(), QStringLiteral("café"));
    EXPECT_EQ(m.value("xesam:url").toString(), "file:///music/caf%E9.wav");
}

TEST(NowPlaying, UntaggedTrackIsNamedByItsFileAndLeavesOutWhatItLacks) {
    player::PlayerState state; // every slot all NUL, as a file without tags leaves them
    state.currentFile = QStringLiteral("/music/live.at.home.wav");
    const QVariantMap m = mpris::metadata(state, mpris::trackId(1));
    EXPECT_EQ(m.value("xesam:title").toString(), "live.at.home");
    EXPECT_EQ(QStringList(m.keys()), (QStringList{"mpris:trackid", "xesam:title", "xesam:url"}));
    state.tagInfo.title = slot(QStringLiteral("   ")); // blanks only: no title either
    EXPECT_EQ(mpris::metadata(state, mpris::trackId(1)).value("xesam:title").toString(),
              "live.at.home");
}

TEST(NowPlaying, AFolderWithoutAFileIsNoTrack) {
    player::PlayerState state;
    EXPECT_FALSE(mpris::hasTrack(state));
    state.currentFile = QStringLiteral("/music/empty/"); // the empty list's pick at start-up
    EXPECT_FALSE(mpris::hasTrack(state));
    const QVariantMap m = mpris::metadata(state, mpris::noTrackId());
    EXPECT_EQ(QStringList(m.keys()), QStringList{"mpris:trackid"});
    EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/mpris/MediaPlayer2/TrackList/NoTrack");
}

TEST(NowPlaying, VolumeAndPositionsBecomeWholeSteps) {
    EXPECT_EQ(mpris::sliderPosition(0.3), 30);
    EXPECT_EQ(mpris::sliderPosition(0.125), 12) << "a tie goes to the even step";
    EXPECT_EQ(mpris::sliderPosition(-0.5), 0);
    EXPECT_EQ(mpris::sliderPosition(1.7), 100);
    EXPECT_EQ(mpris::sliderPosition(std::nan("")), 0);
    EXPECT_EQ(mpris::wholeSeconds(12'400'000), 12);
    EXPECT_EQ(mpris::wholeSeconds(12'600'000), 13);
    EXPECT_EQ(mpris::wholeSeconds(2'500'000), 2);
    EXPECT_EQ(mpris::wholeSeconds(INT64_MAX), INT32_MAX);
    EXPECT_EQ(mpris::seekTarget(10, 5'000'000), 15'000'000);
    EXPECT_EQ(mpris::seekTarget(10, -60'000'000), 0);
    EXPECT_GT(mpris::seekTarget(10, INT64_MAX), 0) << "saturates, never wraps";
    EXPECT_EQ(mpris::seekTarget(10, INT64_MIN), 0);
}

} // namespace
