// What a screen reader finds in the controls that Qt does not know, and what its actions and
// value settings raise.
#include "platform/accessibility.h"
#include "platform/h_scroll_bar.h"
#include "platform/image_control.h"
#include "platform/picture_box.h"
#include "platform/status_bar.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// Installed before the first control of each test, as the main window does.
QAccessibleInterface* reader(QObject* control) {
    return QAccessible::queryAccessibleInterface(control);
}

Picture picture(Qt::GlobalColor color, const char* meaning) {
    QPixmap design(4, 4), doubled(8, 8);
    design.fill(color);
    doubled.fill(color);
    return {design, doubled, QString::fromLatin1(meaning)};
}

} // namespace

TEST(Accessibility, PictureButtonsSayWhatAPressDoesAndHoldersAreHidden) {
    installAccessibility();
    QWidget window;
    window.resize(40, 40);
    ImageControl button(&window), holder(&window);
    button.setGeometry(0, 0, 4, 4);
    holder.setGeometry(60, 0, 4, 4); // beyond the window's right edge
    button.setPicture(picture(Qt::green, "Play"));
    holder.setPicture(picture(Qt::blue, "Pause"));
    QSignalSpy clicks(&button, &ImageControl::Click);
    QObject::connect(&button, &ImageControl::Click, &window, [] {});
    window.show();

    QAccessibleInterface* pressable = reader(&button);
    EXPECT_EQ(pressable->role(), QAccessible::Button);
    EXPECT_EQ(pressable->text(QAccessible::Name), "Play");
    EXPECT_FALSE(pressable->state().invisible);
    EXPECT_FALSE(pressable->state().focusable) << "no new focus stop";
    pressable->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);
    // The picture of the other state brings its words along, as the status tick swaps them.
    button.setPicture(holder.Picture());
    EXPECT_EQ(pressable->text(QAccessible::Name), "Pause");

    QAccessibleInterface* hidden = reader(&holder);
    EXPECT_EQ(hidden->role(), QAccessible::Graphic);
    EXPECT_TRUE(hidden->state().invisible);
    EXPECT_TRUE(hidden->actionInterface()->actionNames().isEmpty());
}

TEST(Accessibility, SeekBarValueSetSeeksOnceAsADragReleasedThere) {
    installAccessibility();
    HScrollBar bar;
    bar.setMax(100);
    bar.show();
    QSignalSpy scrolls(&bar, &HScrollBar::Scroll);
    QAccessibleValueInterface* value = reader(&bar)->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    struct Case {
        double set;
        int position;
        int scrolls;
    } const cases[] = {{40, 40, 1}, {40, 40, 1}, {12.6, 13, 2}, {500, 100, 3}, {-3, 0, 4}};
    for (const Case& c : cases) {
        value->setCurrentValue(c.set);
        EXPECT_EQ(bar.Value(), c.position) << c.set;
        EXPECT_EQ(scrolls.count(), c.scrolls) << c.set;
        EXPECT_EQ(value->currentValue().toInt(), c.position) << c.set;
    }
}

TEST(Accessibility, SurfacePressClicksAndTextControlsReadTheirText) {
    installAccessibility();
    PictureBox surface;
    QSignalSpy clicks(&surface, &PictureBox::clicked);
    QAccessibleInterface* graphic = reader(&surface);
    graphic->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);

    StatusBar bar({40, 40});
    bar.setPanelText(1, QStringLiteral("現在の状況：再生中"));
    bar.setPanelText(2, QStringLiteral("1:05"));
    QAccessibleInterface* status = reader(&bar);
    EXPECT_EQ(status->role(), QAccessible::StatusBar);
    ASSERT_NE(status->textInterface(), nullptr);
    EXPECT_EQ(status->textInterface()->text(0, -1), "現在の状況：再生中  1:05");
    EXPECT_EQ(status->text(QAccessible::Name), "現在の状況：再生中  1:05");
    EXPECT_EQ(status->textInterface()->text(11, 15), "1:05");
}

// The reader is told of a change of value only while the bar has a value to tell: during the
// user's moves, never while the program writes the position that playback reached.
TEST(Accessibility, SeekBarTellsOfTheUsersMovesOnlyNotOfPlayback) {
    installAccessibility();
    HScrollBar bar;
    bar.setMax(100);
    bar.show();
    QAccessibleInterface* slider = reader(&bar);
    std::vector<bool> told;
    QObject::connect(&bar, &QAbstractSlider::valueChanged,
                     [&] { told.push_back(slider->valueInterface() != nullptr); });
    bar.setValueFromCode(10);
    bar.setMax(50);
    bar.setValueFromCode(60); // shown at the end
    QTest::keyClick(&bar, Qt::Key_Left);
    QTest::keyClick(&bar, Qt::Key_Home);
    slider->valueInterface()->setCurrentValue(20);
    EXPECT_EQ(told, (std::vector<bool>{false, false, true, true, true}));
    EXPECT_EQ(slider->valueInterface()->currentValue().toInt(), 20);
}

TEST(Accessibility, APlainTopLevelWidgetIsAWindowNamedByItsCaption) {
    installAccessibility();
    QWidget window;
    QWidget inside(&window);
    window.setWindowTitle(QStringLiteral("夜の歌"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QAccessibleInterface* frame = reader(&window);
    EXPECT_EQ(frame->role(), QAccessible::Window);
    EXPECT_EQ(frame->text(QAccessible::Name), "夜の歌");
    EXPECT_TRUE(frame->state().active);
    EXPECT_EQ(reader(&inside)->role(), QAccessible::Client);
}

TEST(Accessibility, TextRunsCarryTheirLanguage) {
    installAccessibility();
    StatusBar bar({40, 40});
    bar.setPanelText(1, QStringLiteral("現在の状況：再生中"));
    bar.setPanelText(2, QStringLiteral("1:05"));
    QAccessibleTextInterface* text = reader(&bar)->textInterface();
    struct Case {
        int offset, start, end;
        const char* attributes;
    } const cases[] = {{0, 0, 9, "language:ja"}, {8, 0, 9, "language:ja"}, {9, 9, 15, ""},
                       {14, 9, 15, ""},          {15, 15, 15, ""},         {-1, 0, 0, ""}};
    for (const Case& c : cases) {
        int start = -2, end = -2;
        EXPECT_EQ(text->attributes(c.offset, &start, &end), c.attributes) << c.offset;
        EXPECT_EQ(std::make_pair(start, end), std::make_pair(c.start, c.end)) << c.offset;
    }
    // Readers read a status bar panel by panel: each panel says its language too.
    int start = -2, end = -2;
    EXPECT_EQ(reader(&bar)->child(0)->textInterface()->attributes(3, &start, &end), "language:ja");
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(0, 9));
}
