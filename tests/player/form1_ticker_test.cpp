#include <cstring>

#include "form1_fixture.h"

using form1_test::Form1Test;

namespace {

void setTags(const char* artist, const char* album, const char* title, const char* genre) {
    vbmp3_TagInfo& tag = fake::engine().tagInfo;
    tag = vbmp3_TagInfo{};
    std::strcpy(tag.artist, artist);
    std::strcpy(tag.album, album);
    std::strcpy(tag.title, title);
    std::strcpy(tag.genreName, genre);
}

// What the label shows: the caption carries the whole field, fill included.
QString shown(const platform::Label& label) {
    return label.text();
}

} // namespace

TEST_F(Form1Test, TickerCyclesThroughTheTagsAndTheBitRate) {
    setTags("Artist A", "Album B", "Title C", "Genre D");
    fake::engine().mpegInfo.bitRate = 128;
    player::Form1& f = load({"a.mp3"});
    EXPECT_EQ(f.Label1.Caption(), folder.path()) << "the folder stays until the first tick";
    const char* expected[] = {"Artist：Artist A", "Album：Album B",   "Track：Title C",
                              "Genre：Genre D",   "Bitrate：128KB/s", "Artist：Artist A"};
    for (const char* text : expected) {
        f.Timer2_Timer();
        EXPECT_EQ(shown(f.Label1), QString::fromUtf8(text));
    }
    // Text fields are the prefix and all 128 characters of the field.
    f.state().infoStep = player::TickerStep::Artist;
    f.Timer2_Timer();
    EXPECT_EQ(f.Label1.Caption().size(), 7 + 128);
}

TEST_F(Form1Test, StepsOutsideTheCycleShowTheBitRate) {
    fake::engine().mpegInfo.bitRate = 320;
    fake::engine().mpegResult = 0; // the step stays 0 after start-up
    player::Form1& f = load({"a.mp3"});
    EXPECT_EQ(f.state().infoStep, player::TickerStep::NotStarted);
    f.Timer2_Timer();
    EXPECT_EQ(f.Label1.Caption(), "Bitrate：0KB/s") << "no stream read succeeded";
    EXPECT_EQ(f.state().infoStep, player::TickerStep::Artist);
    f.state().infoStep = player::TickerStep::BitRate;
    f.Timer2_Timer();
    EXPECT_EQ(f.state().infoStep, player::TickerStep::Artist);
    f.state().infoStep = player::TickerStep{-3};
    f.Timer2_Timer();
    EXPECT_EQ(f.state().infoStep, player::TickerStep::Artist);
}

TEST_F(Form1Test, TickerWithoutASelectionLeavesLabelAndStep) {
    player::Form1& f = load({});
    f.state().infoStep = player::TickerStep::Title;
    f.Timer2_Timer();
    EXPECT_EQ(f.Label1.Caption(), "MP3File Nothing");
    EXPECT_EQ(f.state().infoStep, player::TickerStep::Title);
}

TEST_F(Form1Test, NewTrackMidCycleShowsItsArtistNext) {
    setTags("First", "", "", "");
    player::Form1& f = load({"a.mp3", "b.mp3"});
    f.Timer2_Timer();
    f.Timer2_Timer();
    setTags("Second", "", "", "");
    f.File1_Click();
    f.Timer2_Timer();
    EXPECT_EQ(shown(f.Label1), "Artist：Second");
}

TEST_F(Form1Test, TagTextIsShownAsPlainTextNeverAsMarkup) {
    setTags("<b>bold</b><img src=x>", "", "", "");
    player::Form1& f = load({"a.mp3"});
    f.Timer2_Timer();
    EXPECT_EQ(shown(f.Label1), "Artist：<b>bold</b><img src=x>");
    EXPECT_EQ(f.Label1.textFormat(), Qt::PlainText);
}
