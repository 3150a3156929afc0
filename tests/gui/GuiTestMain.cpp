// Widgets are tested without a display: the offscreen platform is chosen before the application
// object exists, and one application lives for the whole run.

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The editor's temporary material file, one per test process (ctest runs them side by side).
    const std::string temporary = "/tmp/velvor-gui-test-" + std::to_string(getpid()) + ".tmp";
    setenv("VELVOR_TMP_MATERIAL", temporary.c_str(), 1);
    // Recovery copies and locks of this process only, never the user's.
    setenv("XDG_STATE_HOME", (temporary + ".state").c_str(), 1);
    QApplication application(argc, argv);
    // Settings written by tests go to a test location, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    // Settings of their own per process: ctest runs test processes side by side.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(temporary + ".settings"));
    QApplication::setOrganizationName("velvor-tests");
    QApplication::setApplicationName("gui_tests");
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::remove(temporary.c_str());
    std::filesystem::remove_all(temporary + ".settings");
    std::filesystem::remove_all(temporary + ".state");
    std::filesystem::remove_all(QDir::temp().filePath(QString("velvor-fuzz-%1").arg(getpid())).toStdString());
    return status;
}
