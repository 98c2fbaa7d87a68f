// The main window as a person drives it: real presses, moves, releases and keys on the shown
// window, and what reached the engine.
#include <QApplication>
#include <QStyleOptionSlider>

#include "form1_fixture.h"
#include "platform/caption.h"
#include "pointer.h"

using form1_test::Form1Test;
using Calls = std::vector<std::string>;

namespace {

class Form1InputTest : public Form1Test {
protected:
    // The window loaded on tracks of `seconds`, shown and active, the thumb at second 1.
    player::Form1& open(const QStringList& files, int32_t seconds = 60) {
        fake::engine().mpegInfo.totalSeconds = seconds;
        player::Form1& f = load(files);
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        tick(1, 1);
        calls().clear();
        return f;
    }
    static Calls seeks() { return fake::engine().callsNamed("vbmp3_seek"); }
    static Calls seeksTo(std::initializer_list<int> seconds) {
        Calls out;
        for (int s : seconds)
            out.push_back("vbmp3_seek(" + std::to_string(s) + ")");
        return out;
    }
    Calls pickOf(const QString& name) const {
        Calls out{"vbmp3_close()"};
        for (const auto& c : startOf(name))
            out.push_back(c);
        return out;
    }
    QPoint row(int index) const { return input::rowCenter(form->File1, index); }
    // The list's rows lie in its viewport; the pointer aims at the list itself.
    QPoint rowInList(int index) const {
        return form->File1.viewport()->mapTo(&form->File1, row(index));
    }
};

} // namespace

TEST_F(Form1InputTest, ThumbDraggedInOneMoveSeeksWhereTheThumbWasLeft) {
    player::Form1& f = open({"a.mp3"});
    input::Pointer pointer(f);
    pointer.press(f.scSeek, input::thumbCenter(f.scSeek, 1));
    pointer.moveTo(f.scSeek, input::thumbCenter(f.scSeek, 30));
    pointer.release(f.scSeek, input::thumbCenter(f.scSeek, 30));
    // The press gives the bar the focus, which seeks to the second it shows.
    EXPECT_EQ(seeks(), seeksTo({1, 30}));
    EXPECT_EQ(f.scSeek.Value(), 30);
    EXPECT_EQ(f.state().playSeconds, 30);
}

TEST_F(Form1InputTest, ThumbDraggedInManyMovesSeeksOnEachToItsSecond) {
    player::Form1& f = open({"a.mp3"});
    input::Pointer pointer(f);
    pointer.press(f.scSeek, input::thumbCenter(f.scSeek, 1));
    for (int second : {10, 22, 48, 35})
        pointer.moveTo(f.scSeek, input::thumbCenter(f.scSeek, second));
    pointer.release(f.scSeek, input::thumbCenter(f.scSeek, 35));
    EXPECT_EQ(seeks(), seeksTo({1, 10, 22, 48, 35}));
    tick(1, 35);
    EXPECT_EQ(seeks().size(), 5u);
}

TEST_F(Form1InputTest, ThumbHeldStillAcrossTicksStaysUnderTheHandWithoutSeeking) {
    player::Form1& f = open({"a.mp3"});
    input::Pointer pointer(f);
    const QPoint held = input::thumbCenter(f.scSeek, 40);
    pointer.press(f.scSeek, input::thumbCenter(f.scSeek, 1));
    pointer.moveTo(f.scSeek, held);
    for (int polled : {2, 3, 40, 41}) {
        tick(1, polled);
        EXPECT_EQ(f.scSeek.Value(), 40) << "the tick polled " << polled;
        EXPECT_EQ(f.StatusBar1.PanelText(2), QString::asprintf("0:%02d", polled));
    }
    pointer.release(f.scSeek, held);
    EXPECT_EQ(seeks(), seeksTo({1, 40}));
    tick(1, 42);
    EXPECT_EQ(f.scSeek.Value(), 42) << "once let go the bar follows the engine again";
}

TEST_F(Form1InputTest, ArrowAndTroughClicksMoveTheThumbButNeverSeek) {
    player::Form1& f = open({"a.mp3"});
    input::Pointer pointer(f);
    pointer.key(Qt::Key_Tab); // from the list to the bar: the focus seeks to what it shows
    ASSERT_EQ(QApplication::focusWidget(), &f.scSeek);
    EXPECT_EQ(seeks(), seeksTo({1}));
    calls().clear();
    const QPoint trough(f.scSeek.width() - 20, f.scSeek.height() / 2);
    pointer.click(f.scSeek, trough);
    EXPECT_EQ(f.scSeek.Value(), 1 + f.scSeek.LargeChange());
    pointer.click(f.scSeek, QPoint(2, f.scSeek.height() / 2)); // the left arrow
    EXPECT_TRUE(seeks().empty());
    tick(1, 5);
    EXPECT_EQ(f.scSeek.Value(), 5) << "the tick puts the thumb back";
}

TEST_F(Form1InputTest, FocusComingBackSeeksWhereTheKeysLeftTheThumb) {
    player::Form1& f = open({"a.mp3"});
    input::Pointer pointer(f);
    pointer.key(Qt::Key_Tab);
    pointer.key(Qt::Key_Right);
    pointer.key(Qt::Key_Right);
    pointer.key(Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), &f.File1);
    calls().clear();
    pointer.key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), &f.scSeek);
    EXPECT_EQ(seeks(), seeksTo({3}));
    EXPECT_EQ(f.state().playSeconds, 3);
}

TEST_F(Form1InputTest, RightClickOnTheSeekBarOpensNoMenuAndDoesNotSeek) {
    player::Form1& f = open({"a.mp3"});
    input::Pointer pointer(f);
    pointer.key(Qt::Key_Tab);
    calls().clear();
    const QPoint middle = f.scSeek.rect().center();
    EXPECT_FALSE(input::opensAMenu([&] { pointer.click(f.scSeek, middle, Qt::RightButton); }));
    EXPECT_TRUE(seeks().empty());
}

TEST_F(Form1InputTest, TheWindowComingBackToTheFrontDoesNotSeek) {
    player::Form1& f = open({"a.mp3"});
    input::Pointer pointer(f);
    pointer.key(Qt::Key_Tab);
    calls().clear();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(QApplication::focusWidget(), &f.scSeek);
    EXPECT_TRUE(seeks().empty());
}

TEST_F(Form1InputTest, VolumeFollowsTheSliderOnlyWhenItIsLetGo) {
    player::Form1& f = open({"a.mp3"});
    input::Pointer pointer(f);
    QStyleOptionSlider option;
    option.initFrom(&f.Slider1);
    option.orientation = Qt::Horizontal;
    option.maximum = 100;
    option.sliderPosition = option.sliderValue = 50;
    const QPoint knob =
        f.Slider1.style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &f.Slider1)
            .center();
    pointer.press(f.Slider1, knob);
    pointer.moveTo(f.Slider1, knob + QPoint(20, 0));
    pointer.moveTo(f.Slider1, knob + QPoint(40, 0));
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_setVolume").empty());
    pointer.release(f.Slider1, knob + QPoint(40, 0));
    const int volume = f.Slider1.Value();
    EXPECT_GT(volume, 50);
    EXPECT_EQ(
        fake::engine().callsNamed("vbmp3_setVolume"),
        Calls{"vbmp3_setVolume(" + std::to_string(volume) + "," + std::to_string(volume) + ")"});
}

// A volume set in the sound server's panel moves the slider at the next tick, without a Change
// that would set it back; while the user holds the slider, the hand wins.
TEST_F(Form1InputTest, VolumeSetOutsideMovesTheSliderUnlessItIsHeld) {
    player::Form1& f = open({"a.mp3"});
    fake::engine().volume1 = 30;
    fake::engine().volume2 = 20; // the louder side is the slider's
    f.Timer1_Timer();
    EXPECT_EQ(f.Slider1.Value(), 30);
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_setVolume").empty());

    input::Pointer pointer(f);
    QStyleOptionSlider option;
    option.initFrom(&f.Slider1);
    option.orientation = Qt::Horizontal;
    option.maximum = 100;
    option.sliderPosition = option.sliderValue = 30;
    const QPoint knob =
        f.Slider1.style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &f.Slider1)
            .center();
    pointer.press(f.Slider1, knob);
    pointer.moveTo(f.Slider1, knob + QPoint(30, 0));
    const int held = f.Slider1.Value();
    ASSERT_GT(held, 30);
    f.Timer1_Timer();
    EXPECT_EQ(f.Slider1.Value(), held);
    pointer.release(f.Slider1, knob + QPoint(30, 0));
    f.Timer1_Timer();
    EXPECT_EQ(f.Slider1.Value(), held);
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_setVolume"),
              Calls{"vbmp3_setVolume(" + std::to_string(held) + "," + std::to_string(held) + ")"});
}

TEST_F(Form1InputTest, DragAcrossTheListPlaysTheEntryWhereTheButtonGoesUp) {
    player::Form1& f = open({"a.mp3", "b.mp3", "c.mp3"});
    input::Pointer pointer(f);
    pointer.press(f.File1, rowInList(0));
    pointer.moveTo(f.File1, rowInList(1));
    pointer.moveTo(f.File1, rowInList(2));
    EXPECT_TRUE(commands().empty()) << "nothing is picked while the button is down";
    pointer.release(f.File1, rowInList(2));
    EXPECT_EQ(commands(), pickOf("c.mp3"));
    EXPECT_EQ(f.File1.ListIndex(), 2);
    EXPECT_EQ(f.state().currentFile.toStdString(), path("c.mp3"));
    EXPECT_EQ(f.windowTitle(), "c");
}

TEST_F(Form1InputTest, CtrlClickOnTheSelectedEntryPlaysItAgainAndKeepsItSelected) {
    player::Form1& f = open({"a.mp3", "b.mp3", "c.mp3"});
    input::Pointer pointer(f);
    pointer.click(f.File1, rowInList(1));
    calls().clear();
    pointer.click(f.File1, rowInList(1), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(commands(), pickOf("b.mp3"));
    EXPECT_EQ(f.File1.ListIndex(), 1);
    EXPECT_EQ(f.File1.FileName(), "b.mp3");
    calls().clear();
    pointer.key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(commands(), pickOf("c.mp3")) << "Ctrl does not move the cursor apart";
    EXPECT_EQ(f.File1.FileName(), "c.mp3");
}

TEST_F(Form1InputTest, HomeAndEndMoveInTheListFromTheStart) {
    player::Form1& f = open({"a.mp3", "b.mp3", "c.mp3"});
    EXPECT_EQ(QApplication::focusWidget(), &f.File1);
    f.File1.setListIndex(1); // whichever start-up drew, the keys below each move the selection
    input::Pointer pointer(f);
    pointer.key(Qt::Key_End);
    EXPECT_EQ(commands(), pickOf("c.mp3"));
    calls().clear();
    pointer.key(Qt::Key_Home);
    EXPECT_EQ(commands(), pickOf("a.mp3"));
    EXPECT_EQ(f.windowTitle(), "a");
}

TEST_F(Form1InputTest, TheCaptionIsTheEntrysNameWhateverItHolds) {
    player::Form1& f = open({"[*] mix.mp3", "a.mp3"});
    input::Pointer pointer(f);
    pointer.click(f.File1, rowInList(0));
    EXPECT_EQ(platform::Caption(f), "[*] mix");
    EXPECT_EQ(f.windowHandle()->title(), "[*] mix");
}

// Past 9 h 6 min (32,767 s) and up to 100 hours: one pixel of the bar is then many seconds, yet a
// drag seeks to the second under the thumb, the keys and the trough keep their steps, and the
// status bar and the end of the track follow.
TEST_F(Form1InputTest, LongTracksSeekWhereTheThumbIsAndKeepTheirSteps) {
    for (const int32_t total : {32767, 32768, 360000}) {
        player::Form1& f = open({"a.mp3"}, total);
        EXPECT_EQ(f.scSeek.Max(), total);
        EXPECT_EQ(f.scSeek.LargeChange(), std::lround(total / 10.0)) << total;
        input::Pointer pointer(f);
        const int32_t threeQuarters = total / 4 * 3;
        pointer.press(f.scSeek, input::thumbCenter(f.scSeek, 1));
        pointer.moveTo(f.scSeek, input::thumbCenter(f.scSeek, threeQuarters));
        pointer.release(f.scSeek, input::thumbCenter(f.scSeek, threeQuarters));
        const int32_t underThumb = f.scSeek.Value();
        EXPECT_EQ(seeks(), seeksTo({1, underThumb})) << total;
        const int32_t secondsPerPixel = total / f.scSeek.width() + 1;
        EXPECT_NEAR(underThumb, threeQuarters, 2 * secondsPerPixel) << total;

        tick(1, underThumb);
        EXPECT_EQ(f.StatusBar1.PanelText(2),
                  QString::asprintf("%d:%02d", underThumb / 60, underThumb % 60));
        calls().clear();
        pointer.key(Qt::Key_Right);
        EXPECT_EQ(f.scSeek.Value(), underThumb + 1) << total;
        EXPECT_EQ(seeks(), seeksTo({underThumb + 1})) << total;
        pointer.click(f.scSeek, QPoint(f.scSeek.width() - 20, f.scSeek.height() / 2));
        EXPECT_EQ(f.scSeek.Value(), underThumb + 1 + f.scSeek.LargeChange()) << total;
        EXPECT_EQ(seeks().size(), 1u) << "the trough does not seek " << total;
        calls().clear();

        tick(1, total - 1);
        EXPECT_EQ(commands(), startOf("a.mp3")) << "the last second starts the next " << total;
        form.reset();
        fake::reset();
    }
}
