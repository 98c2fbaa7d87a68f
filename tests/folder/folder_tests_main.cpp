#include "qt_main.h"

TONALISK_QT_TEST_MAIN
