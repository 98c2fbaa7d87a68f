// The window opens at its designed place, or moved onto a screen too small for that place.
#include <gtest/gtest.h>

#include "ui/start_position.h"

TEST(StartPosition, StaysOnTheScreensAvailableArea) {
    const QRect designed(731, 26, 289, 705);
    struct Case {
        const char* screen;
        QRect available;
        QPoint expected;
    } const cases[] = {
        {"1280x800", {0, 0, 1280, 800}, {731, 26}},
        {"1600x1200 at scale 2", {0, 0, 800, 600}, {503, 0}},
        {"1024x768 with a top panel", {0, 28, 1024, 740}, {727, 28}},
        {"a second screen to the right", {1280, 0, 1920, 1080}, {1280, 26}},
        {"exactly large enough, frame and all", {0, 0, 1028, 763}, {731, 26}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::startPositionOnScreen(designed, c.available), c.expected) << c.screen;
}
