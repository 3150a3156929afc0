// Widgets are tested without a display: the offscreen platform is chosen before the application
// object exists, and one application lives for the whole run.

#include "TestProcess.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const TestProcess process;
    QApplication application(argc, argv);
    process.useOwnSettings("gui_tests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
