// SPDX-License-Identifier: GPL-3.0-or-later
// Shared main of the window tests: the program's application object on the
// offscreen platform, then the tests.
#include "Korund_main_unit.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TKorundApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
