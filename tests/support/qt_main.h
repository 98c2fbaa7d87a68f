// A QApplication for the whole test binary, made before any test runs. The windows are drawn off
// screen unless a display is asked for, so that listing the tests for ctest needs no display.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>

#define TONALISK_QT_TEST_MAIN                                                                      \
    int main(int argc, char** argv) {                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication application(argc, argv);                                                      \
        ::testing::InitGoogleTest(&argc, argv);                                                    \
        return RUN_ALL_TESTS();                                                                    \
    }
