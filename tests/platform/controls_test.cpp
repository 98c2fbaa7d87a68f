#include "platform/h_scroll_bar.h"
#include "platform/image_control.h"
#include "platform/label.h"
#include "platform/modal_box.h"
#include "platform/slider.h"
#include "platform/status_bar.h"
#include "platform/timer.h"
#include "platform/twips.h"
#include "pointer.h"
#include "qt_main.h"

#include <QSignalSpy>
#include <QTest>

using namespace platform;

TONALISK_QT_TEST_MAIN

TEST(Twips, DivideByFifteenRoundingHalvesToEven) {
    EXPECT_EQ(twipsToPixels(4335), 289);
    EXPECT_EQ(twipsToPixels(50), 3); // 3.33
    EXPECT_EQ(twipsToPixels(2850), 190);
    EXPECT_EQ(twipsToPixels(105 + 7), 7); // 7.47
    EXPECT_EQ(twipsToPixels(112 + 1), 8); // 7.53
    EXPECT_EQ(twipsToPixels(1), 0);
    EXPECT_EQ(twipsToPixels(-8), -1);
}

TEST(Label, ShowsMarkupLiterallyAndKeepsTheWholeCaption) {
    Label label;
    const QString caption = QStringLiteral("Track：<b>x</b>") + QString(3, QChar(u'\0'));
    label.setCaption(caption);
    EXPECT_EQ(label.Caption(), caption);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.text(), QStringLiteral("Track：<b>x</b>"));
}

TEST(HScrollBar, CodeWritesClampIntoRangeAndRaiseNothing) {
    HScrollBar bar;
    bar.setMax(100);
    QSignalSpy scrolls(&bar, &HScrollBar::Scroll);
    bar.setValueFromCode(40);
    EXPECT_EQ(bar.Value(), 40);
    bar.setValueFromCode(40000);
    EXPECT_EQ(bar.Value(), 100);
    bar.setValueFromCode(-5);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(scrolls.count(), 0);
}

TEST(HScrollBar, FocusRaisesGotFocusAndAnArrowKeyScrollsAsADragWould) {
    QWidget window;
    QWidget other(&window);
    other.setFocusPolicy(Qt::StrongFocus);
    HScrollBar bar(&window);
    bar.setMax(100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    other.setFocus();
    QSignalSpy focus(&bar, &HScrollBar::GotFocus);
    QSignalSpy scrolls(&bar, &HScrollBar::Scroll);
    QTest::keyClick(&other, Qt::Key_Tab);
    EXPECT_EQ(focus.count(), 1);
    QTest::keyClick(&bar, Qt::Key_Right);
    EXPECT_EQ(scrolls.count(), 1);
    EXPECT_EQ(bar.Value(), 1);
}

TEST(HScrollBar, ScrollComesAfterThePositionFollowsTheThumbAndHoldingKeepsIt) {
    QWidget window;
    HScrollBar bar(&window);
    bar.setGeometry(0, 0, 200, 16);
    bar.setMax(60);
    bar.setLargeChange(6);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    std::vector<int> scrolledTo;
    QObject::connect(&bar, &HScrollBar::Scroll, [&] { scrolledTo.push_back(bar.Value()); });
    input::Pointer pointer(window);
    pointer.press(bar, input::thumbCenter(bar, 0));
    pointer.moveTo(bar, input::thumbCenter(bar, 25));
    pointer.moveTo(bar, input::thumbCenter(bar, 40));
    bar.setValueFromCode(3); // a status tick while the thumb is held
    EXPECT_EQ(bar.Value(), 40);
    pointer.release(bar, input::thumbCenter(bar, 40));
    EXPECT_EQ(scrolledTo, (std::vector<int>{25, 40}));
    bar.setValueFromCode(3);
    EXPECT_EQ(bar.Value(), 3);
    bar.setMax(2); // a shorter track pulls the position in without a Scroll
    EXPECT_EQ(scrolledTo.size(), 2u);
    EXPECT_FALSE(input::opensAMenu([&] { pointer.click(bar, {100, 8}, Qt::RightButton); }));
}

TEST(Slider, ChangeOnlyForFinishedUserChanges) {
    Slider slider;
    slider.setRange(0, 100);
    slider.setPageStep(10);
    QSignalSpy changes(&slider, &Slider::Change);
    slider.setValueFromCode(50);
    EXPECT_EQ(changes.count(), 0);

    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(changes.count(), 1);

    slider.setSliderDown(true);
    slider.setSliderPosition(70);
    slider.setSliderPosition(80);
    EXPECT_EQ(changes.count(), 1);
    slider.setSliderDown(false);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(slider.Value(), 80);
}

TEST(ModalBox, TimersSkipTicksWhileUpAndNoSecondBoxStacks) {
    Timer timer;
    timer.setInterval(1);
    int ticks = 0;
    int boxes = 0;
    QObject::connect(&timer, &Timer::Tick, [&] { ++ticks; });
    const MsgBoxPresenter answer = [&](const QString& text, const QString& caption) {
        ++boxes;
        EXPECT_EQ(text, QStringLiteral("Open Error"));
        EXPECT_EQ(caption, QStringLiteral("Tonalisk"));
        EXPECT_TRUE(modalBoxShown());
        MsgBox(text, caption, answer);
        timer.setEnabled(true);
        QTest::qWait(20);
    };
    MsgBox(QStringLiteral("Open Error"), QStringLiteral("Tonalisk"), answer);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(modalBoxShown());
    QTest::qWait(20);
    EXPECT_GT(ticks, 0);
}

namespace {
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

QPixmap filled(Qt::GlobalColor color) {
    QPixmap pixmap(8, 8);
    pixmap.fill(color);
    return pixmap;
}
} // namespace

TEST(ImageControl, TheSamePictureAgainRepaintsNothingAnotherOneShows) {
    const QPixmap play = filled(Qt::green);
    const QPixmap pause = filled(Qt::red);
    ImageControl image;
    image.setPicture(play);
    image.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&image));
    PaintCounter counter;
    image.installEventFilter(&counter);
    for (int tick = 0; tick < 3; ++tick) {
        image.setPicture(QPixmap(play)); // a copy, as the status tick passes it
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);
    image.setPicture(pause);
    QTRY_COMPARE(counter.paints, 1);
    EXPECT_EQ(image.Picture().toImage(), pause.toImage());
}

TEST(HScrollBar, APositionFromCodeRepaintsOnlyWhenTheThumbMoves) {
    struct Tick {
        int32_t max;
        int32_t from;
        int32_t to;
        bool repaints;
    };
    const Tick ticks[] = {
        {7200, 100, 101, false}, // two hours: a second is a fiftieth of a pixel
        {7200, 100, 3600, true},
        {60, 10, 11, true}, // a minute: every second moves the thumb
        {60, 10, 10, false},
    };
    for (const Tick& tick : ticks) {
        HScrollBar bar;
        bar.setGeometry(0, 0, 169, 9); // the seek bar's size
        bar.setMax(tick.max);
        bar.setValueFromCode(tick.from);
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
        QTest::qWait(20);
        PaintCounter counter;
        bar.installEventFilter(&counter);
        bar.setValueFromCode(tick.to);
        if (tick.repaints) {
            QTRY_COMPARE(counter.paints, 1);
        } else {
            QTest::qWait(50);
            EXPECT_EQ(counter.paints, 0) << tick.max << ": " << tick.from << " to " << tick.to;
        }
        EXPECT_EQ(bar.Value(), tick.to);
    }
}

TEST(StatusBar, PanelsSitSideBySideAsHighAsTheBarWhateverTheirText) {
    QWidget window;
    StatusBar bar({190, 96}, &window);
    bar.setGeometry(0, 685, 289, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    bar.setPanelText(1, QStringLiteral("Playing"));
    bar.setPanelText(2, QStringLiteral("12345:59:59 and a text wider than the panel"));
    QCoreApplication::processEvents();
    const auto panels = bar.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(panels.size(), 2);
    EXPECT_EQ(panels[0]->geometry(), QRect(0, 0, 190, 20));
    EXPECT_EQ(panels[1]->geometry(), QRect(190, 0, 96, 20));
    bar.resize(289, 30);
    EXPECT_EQ(panels[1]->geometry(), QRect(190, 0, 96, 30));
}
