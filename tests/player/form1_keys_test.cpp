// Every function of the window from the keyboard: real keys on the shown window, each going to
// the control that holds the focus, and what reached the engine, which must be what the mouse
// on the same button sends.
#include <QApplication>

#include "form1_fixture.h"
#include "pointer.h"
#include "visual/view_mode.h"

using form1_test::Form1Test;
using Calls = std::vector<std::string>;

namespace {

// The window's Tab stops, from the one that holds the focus when it opens.
enum Stop { List, Seek, Status, Volume, Surface, Play, Stop_, Random, StopCount };

class Form1KeysTest : public Form1Test {
protected:
    // The window on one 60-second track, shown and active, polled playing at second 10.
    player::Form1& open() {
        fake::engine().mpegInfo.totalSeconds = 60;
        player::Form1& f = load({"a.mp3"});
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        tick(engine::Playing, 10);
        return f;
    }
    QWidget* control(Stop stop) const {
        player::Form1& f = *form;
        const std::array<QWidget*, StopCount> stops{&f.File1,   &f.scSeek,  &f.StatusBar1,
                                                    &f.Slider1, &f.picWave, &f.PlayBtn,
                                                    &f.StopBtn, &f.Image1};
        return stops[stop];
    }
    // Tabs from the list to `stop`; the log is cleared after (the seek bar's focus seeks).
    void tabTo(input::Pointer& pointer, Stop stop) {
        for (int step = 0; step < stop; ++step)
            pointer.key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), control(stop)) << stop;
        calls().clear();
    }
    Calls pickOfTheTrack() const {
        Calls out{"vbmp3_close()"};
        for (const auto& c : startOf("a.mp3"))
            out.push_back(c);
        return out;
    }
};

} // namespace

TEST_F(Form1KeysTest, TabVisitsTheDesignsStopsThenThePictureButtonsAndShiftTabGoesBack) {
    player::Form1& f = open();
    input::Pointer pointer(f);
    ASSERT_EQ(QApplication::focusWidget(), control(List));
    for (int stop = 1; stop <= StopCount; ++stop) {
        pointer.key(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), control(static_cast<Stop>(stop % StopCount)))
            << stop;
    }
    for (int stop = StopCount - 1; stop >= 0; --stop) {
        pointer.key(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), control(static_cast<Stop>(stop))) << stop;
    }
    // The picture holders beyond the window's edge are never reached.
    EXPECT_EQ(f.PlayImg.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(f.PauseImg.focusPolicy(), Qt::NoFocus);
}

// Each key where a user presses it, the play button's verb chosen by the state last polled.
TEST_F(Form1KeysTest, EachKeyCallsWhatItsButtonDoes) {
    const Calls pause{"vbmp3_pause()"}, stop{"vbmp3_stop()"};
    struct Case {
        Stop focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int32_t polled;
        Calls expected; // empty for a track pick, which depends on the folder
    } const cases[] = {
        {Play, Qt::Key_Space, {}, engine::Playing, pause},
        {Play, Qt::Key_Return, {}, engine::Stopped, {"vbmp3_play()"}},
        {Play, Qt::Key_Enter, Qt::KeypadModifier, engine::Paused, {"vbmp3_restart()"}},
        {Stop_, Qt::Key_Space, {}, engine::Playing, stop},
        {Stop_, Qt::Key_Return, {}, engine::Paused, stop},
        {Random, Qt::Key_Space, {}, engine::Playing, {}},
        {Random, Qt::Key_Return, {}, engine::Stopped, {}},
        // Space plays and pauses wherever it selects and types nothing.
        {List, Qt::Key_Space, {}, engine::Playing, pause},
        {List, Qt::Key_Space, {}, engine::Stopped, {"vbmp3_play()"}},
        {Seek, Qt::Key_Space, {}, engine::Paused, {"vbmp3_restart()"}},
        {Status, Qt::Key_Space, {}, engine::Playing, pause},
        {Volume, Qt::Key_Space, {}, engine::Playing, pause},
        {List, Qt::Key_P, Qt::ControlModifier, engine::Playing, pause},
        {Seek, Qt::Key_P, Qt::ControlModifier, engine::Stopped, {"vbmp3_play()"}},
        {Volume, Qt::Key_MediaTogglePlayPause, {}, engine::Playing, pause},
        {List, Qt::Key_MediaPlay, {}, engine::Paused, {"vbmp3_restart()"}},
        {List, Qt::Key_MediaStop, {}, engine::Playing, stop},
        {Status, Qt::Key_MediaNext, {}, engine::Playing, {}},
    };
    for (const Case& c : cases) {
        player::Form1& f = open();
        input::Pointer pointer(f);
        tabTo(pointer, c.focus);
        tick(c.polled, 10);
        calls().clear();
        pointer.key(c.key, c.modifiers);
        const Calls expected = c.expected.empty() ? pickOfTheTrack() : c.expected;
        EXPECT_EQ(commands(), expected) << "stop " << c.focus << ", key " << std::hex << c.key;
        EXPECT_EQ(QApplication::focusWidget(), control(c.focus)) << "the focus stays";
        form.reset();
        fake::reset();
    }
}

TEST_F(Form1KeysTest, KeysWithOtherModifiersDoNothing) {
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::AltModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier)}) {
        player::Form1& f = open();
        input::Pointer pointer(f);
        tabTo(pointer, Play);
        pointer.key(Qt::Key_Space, modifiers);
        pointer.key(Qt::Key_Return, modifiers);
        pointer.key(Qt::Key_P, modifiers == Qt::ControlModifier ? Qt::AltModifier : modifiers);
        EXPECT_TRUE(commands().empty()) << modifiers;
        form.reset();
        fake::reset();
    }
}

TEST_F(Form1KeysTest, SpaceAndReturnOnTheVisualizationStepItsLookAndCallNothing) {
    player::Form1& f = open();
    input::Pointer pointer(f);
    tabTo(pointer, Surface);
    const visual::ViewMode expected[] = {
        visual::ViewMode::BarsEveryThird, visual::ViewMode::BarsEveryFourth,
        visual::ViewMode::PeaksOnly, visual::ViewMode::Waveform, visual::ViewMode::BarsEveryIndex};
    for (size_t step = 0; step < std::size(expected); ++step) {
        pointer.key(step % 2 == 0 ? Qt::Key_Space : Qt::Key_Return);
        EXPECT_EQ(f.state().viewMode, expected[step]) << step;
    }
    EXPECT_EQ(f.picWave.BackColor(), 0x00000000u) << "as the click from mode 1 to 2 sets it";
    EXPECT_TRUE(commands().empty());
}

// A key move is the user's own, like a drag of the thumb: it seeks to where the thumb goes, and
// the tick that then polls that second leaves the thumb there.
TEST_F(Form1KeysTest, SeekBarKeysSeekAsOnASliderAndTheTickKeepsTheThumbThere) {
    struct Case {
        Qt::Key key;
        int32_t second; // from 10, in a 60-second track whose large step is 6
    } const cases[] = {{Qt::Key_Right, 11}, {Qt::Key_Up, 11},     {Qt::Key_Left, 9},
                       {Qt::Key_Down, 9},   {Qt::Key_PageUp, 16}, {Qt::Key_PageDown, 4},
                       {Qt::Key_Home, 0},   {Qt::Key_End, 60}};
    for (const Case& c : cases) {
        player::Form1& f = open();
        input::Pointer pointer(f);
        tabTo(pointer, Seek);
        ASSERT_EQ(f.scSeek.LargeChange(), 6);
        pointer.key(c.key);
        EXPECT_EQ(commands(), Calls{"vbmp3_seek(" + std::to_string(c.second) + ")"}) << c.key;
        EXPECT_EQ(f.state().playSeconds, c.second);
        tick(engine::Playing, c.second);
        EXPECT_EQ(f.scSeek.Value(), c.second) << c.key;
        form.reset();
        fake::reset();
    }
}

TEST_F(Form1KeysTest, SeekBarKeysWithModifiersAndAtTheEndsSeekNothing) {
    player::Form1& f = open();
    input::Pointer pointer(f);
    tabTo(pointer, Seek);
    for (const Qt::KeyboardModifier modifier : {Qt::ShiftModifier, Qt::ControlModifier})
        pointer.key(Qt::Key_Right, modifier);
    pointer.key(Qt::Key_Home);
    calls().clear();
    pointer.key(Qt::Key_Home);
    pointer.key(Qt::Key_Left);
    EXPECT_TRUE(commands().empty()) << "a key that moves nothing seeks nothing";
    EXPECT_EQ(f.scSeek.Value(), 0);
}

TEST_F(Form1KeysTest, AKeyHeldDownPressesOnceButKeepsMovingTheSeekBar) {
    struct Case {
        Stop focus;
        Qt::Key key;
        Calls expected;
    } const cases[] = {
        {Play, Qt::Key_Space, {"vbmp3_pause()"}},
        {Play, Qt::Key_Return, {"vbmp3_pause()"}},
        {List, Qt::Key_Space, {"vbmp3_pause()"}},
        {Stop_, Qt::Key_Space, {"vbmp3_stop()"}},
        {Surface, Qt::Key_Space, {}},
        {Seek, Qt::Key_Right, {"vbmp3_seek(11)", "vbmp3_seek(12)", "vbmp3_seek(13)"}},
    };
    for (const Case& c : cases) {
        player::Form1& f = open();
        input::Pointer pointer(f);
        tabTo(pointer, c.focus);
        pointer.hold(c.key, 2);
        EXPECT_EQ(commands(), c.expected) << "stop " << c.focus;
        form.reset();
        fake::reset();
    }
}
