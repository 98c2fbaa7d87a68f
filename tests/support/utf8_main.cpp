// The program sets the locale before anything converts; so do the tests, on UTF-8. The locales
// that tests switch to come from the build folder.
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("LOCPATH", TEST_LOCALE_DIR, 1);
    std::setlocale(LC_ALL, "C.UTF-8");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
