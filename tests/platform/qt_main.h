// A QApplication for the whole test binary, made before any test runs.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>

#define TONALISK_QT_TEST_MAIN                                                                      \
    int main(int argc, char** argv) {                                                              \
        QApplication application(argc, argv);                                                      \
        ::testing::InitGoogleTest(&argc, argv);                                                    \
        return RUN_ALL_TESTS();                                                                    \
    }
