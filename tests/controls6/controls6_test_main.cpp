// The control tests run offscreen inside one application object.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gui/application.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    vdx::gui::TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
