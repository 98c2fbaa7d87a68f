#include "form1_fixture.h"

using form1_test::Form1Test;
using Calls = std::vector<std::string>;

TEST_F(Form1Test, TickShowsStateTimeAndButtonPicture) {
    fake::engine().mpegInfo.totalSeconds = 300;
    player::Form1& f = load({"a.mp3"});
    const QImage pause = f.PauseImg.Picture().toImage();
    const QImage play = f.PlayImg.Picture().toImage();
    ASSERT_FALSE(pause.isNull());
    ASSERT_NE(pause, play);
    struct Case {
        int32_t state;
        const char* text;
        bool pausePicture;
    };
    for (const Case& c :
         {Case{0, "現在の状況：停止中", false}, Case{1, "現在の状況：再生中", true},
          Case{2, "現在の状況：一時停止中", false}, Case{7, "現在の状況：一時停止中", false}}) {
        tick(c.state, 67);
        EXPECT_EQ(f.StatusBar1.PanelText(1), QString::fromUtf8(c.text)) << c.state;
        EXPECT_EQ(f.StatusBar1.PanelText(2), "1:07");
        EXPECT_EQ(f.PlayBtn.Picture().toImage(), c.pausePicture ? pause : play) << c.state;
        EXPECT_EQ(f.scSeek.Value(), 67);
    }
}

TEST_F(Form1Test, OnlyAPlayingTickDrawsAFrame) {
    load({"a.mp3"});
    calls().clear();
    tick(0, 1);
    tick(2, 1);
    tick(7, 1);
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_getSpectrum").empty());
    tick(1, 1);
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_getSpectrum").size(), 1u) << "view mode 3 at start";
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_getWave").empty());
}

TEST_F(Form1Test, LastSecondStartsARandomNextTrackWithoutClosing) {
    fake::engine().mpegInfo.totalSeconds = 30;
    player::Form1& f = load({"a.mp3"});
    const QString caption = f.windowTitle();
    calls().clear();
    tick(1, 28);
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_open").empty());
    tick(2, 29); // paused on the last second counts too
    EXPECT_EQ(commands(), startOf("a.mp3"));
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_close").empty());
    EXPECT_EQ(f.windowTitle(), caption);
}

TEST_F(Form1Test, ZeroLengthNeverEndsAndOneSecondEndsAtOnce) {
    fake::engine().mpegInfo.totalSeconds = 0;
    load({"a.mp3"});
    calls().clear();
    tick(1, 0);
    tick(0, 0);
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_open").empty());
    fake::engine().mpegInfo.totalSeconds = 1;
    form->File1_Click();
    calls().clear();
    tick(1, 0);
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_open").size(), 1u);
}

TEST_F(Form1Test, PlayButtonActsOnTheLastPolledState) {
    player::Form1& f = load({"a.mp3"});
    tick(0, 0);
    calls().clear();
    f.PlayBtn_Click();
    f.PlayBtn_Click();
    tick(2, 3);
    f.PlayBtn_Click();
    tick(1, 3);
    f.PlayBtn_Click();
    tick(9, 3);
    f.PlayBtn_Click();
    f.StopBtn_Click();
    EXPECT_EQ(commands(), (Calls{"vbmp3_play()", "vbmp3_play()", "vbmp3_restart()", "vbmp3_pause()",
                                 "vbmp3_pause()", "vbmp3_stop()"}));
}

TEST_F(Form1Test, SeekBarSeeksOnDragAndFocusButNotOnTicks) {
    fake::engine().mpegInfo.totalSeconds = 300;
    player::Form1& f = load({"a.mp3"});
    calls().clear();
    tick(1, 42);
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_seek").empty());
    f.scSeek_GotFocus();
    f.scSeek.setValueFromCode(100);
    f.scSeek_Scroll();
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_seek"),
              (Calls{"vbmp3_seek(42)", "vbmp3_seek(100)"}));
    EXPECT_EQ(f.state().playSeconds, 100);
}

TEST_F(Form1Test, VolumeIsTheSliderPositionOnBothSidesAndOnlyOnChange) {
    player::Form1& f = load({"a.mp3"});
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_setVolume").empty());
    f.Slider1.setValueFromCode(0);
    f.Slider1_Change();
    f.Slider1.setValueFromCode(100);
    f.Slider1_Change();
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_setVolume"),
              (Calls{"vbmp3_setVolume(0,0)", "vbmp3_setVolume(100,100)"}));
}

// A file that will not open (a truncated download, a protected track) counts as a track that
// ended: the next tick starts another. A folder of such files stops after one round of boxes.
TEST_F(Form1Test, AStartThatFailsEndsItsTrackUntilEveryEntryHasFailedInARow) {
    fake::engine().openResult = 0;
    fake::engine().mpegInfo.totalSeconds = 30;
    load({"a.mp3", "b.mp3", "c.mp3"});
    EXPECT_EQ(boxes.size(), 1u) << "start-up";
    calls().clear();
    for (int i = 0; i < 5; ++i)
        tick(0, 0);
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_open").size(), 2u);
    EXPECT_EQ(boxes.size(), 3u) << "one box for each of the three starts, then rest";
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_close").empty()) << "as at a track's end";

    form->File1.setListIndex(0);
    form->File1_Click(); // the user's pick tries again
    tick(0, 0);
    EXPECT_EQ(boxes.size(), 5u);
}

TEST_F(Form1Test, AGoodStartAfterFailedOnesPlaysOnAsUsual) {
    int opens = 0;
    fake::engine().openResultFor = [&opens](const std::string&) { return ++opens == 1 ? 0 : 1; };
    fake::engine().mpegInfo.totalSeconds = 30;
    load({"a.mp3", "b.mp3"});
    calls().clear();
    tick(0, 0);
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_play").size(), 1u) << "the failed start ended";
    for (int s = 0; s < 5; ++s)
        tick(1, s);
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_open").size(), 1u) << "the good one plays on";
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(Form1Test, AnEmptyListGivesItsOneBoxAndNoMore) {
    player::Form1& f = load({});
    fake::engine().openResult = 0;
    f.Image1_Click();
    calls().clear();
    for (int i = 0; i < 3; ++i)
        tick(0, 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_open").empty());
}

// A length that the engine corrects after the open (its count of a header-less MP3's frames, done
// in the background) is the window's from the next tick on: the seek range and the end-of-track
// rule follow it, and a track that ends before the length first read moves on all the same.
TEST_F(Form1Test, ALengthCorrectedAfterTheOpenIsTheWindowsAtTheNextTick) {
    struct Case {
        const char* what;
        int32_t atOpen;
        int32_t corrected;
        int32_t state; // polled after the correction, with `seconds`
        int32_t seconds;
        bool nextTrack;
        int32_t largeChange;
    };
    for (const Case& c : {
             Case{"longer: the last second first read is no end", 71, 1211, 1, 70, false, 121},
             Case{"longer: its own last second is", 71, 1211, 1, 1210, true, 121},
             Case{"shorter: its natural end, held at its last second", 1206, 65, 0, 64, true, 6},
             Case{"shorter, while it plays on", 1206, 65, 1, 30, false, 6},
             Case{"as first read", 30, 30, 1, 29, true, 3},
         }) {
        SCOPED_TRACE(c.what);
        fake::reset();
        fake::engine().mpegInfo.totalSeconds = c.atOpen;
        fake::engine().mpegInfo.totalMilliseconds = c.atOpen * 1000 - 400;
        player::Form1& f = load({"a.mp3"});
        tick(1, 5);
        f.state().infoStep = player::TickerStep::Genre;
        fake::engine().mpegInfo.totalSeconds = c.corrected;
        fake::engine().mpegInfo.totalMilliseconds = c.corrected * 1000 - 400;
        calls().clear();
        tick(c.state, c.seconds);
        EXPECT_EQ(fake::engine().callsNamed("vbmp3_open").size(), c.nextTrack ? 1u : 0u);
        EXPECT_EQ(f.state().mpegInfo.totalSeconds, c.corrected);
        EXPECT_EQ(f.state().mpegInfo.totalMilliseconds, c.corrected * 1000 - 400);
        EXPECT_EQ(f.scSeek.Max(), c.corrected);
        EXPECT_EQ(f.scSeek.LargeChange(), c.largeChange);
        if (!c.nextTrack) {
            EXPECT_EQ(f.state().infoStep, player::TickerStep::Genre) << "the ticker goes on";
        }
    }
}
