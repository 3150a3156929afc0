#pragma once

// What every process that drives the editor without a display sets up before its QApplication, and
// clears away at its end: the offscreen platform, and a temporary material file, recovery folder,
// settings and save folder of its own, so that processes run side by side (ctest) and the user's own
// files are never touched.

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

class TestProcess {
public:
    // Before the QApplication exists.
    TestProcess() : temporary_("/tmp/velvor-gui-test-" + std::to_string(getpid()) + ".tmp") {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("VELVOR_TMP_MATERIAL", temporary_.c_str(), 1);
        setenv("XDG_STATE_HOME", (temporary_ + ".state").c_str(), 1);
    }
    // Once the QApplication exists.
    void useOwnSettings(const char* application) const {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(temporary_ + ".settings"));
        QApplication::setOrganizationName("velvor-tests");
        QApplication::setApplicationName(application);
    }
    ~TestProcess() {
        std::remove(temporary_.c_str());
        std::filesystem::remove_all(temporary_ + ".settings");
        std::filesystem::remove_all(temporary_ + ".state");
        std::filesystem::remove_all(
            QDir::temp().filePath(QString("velvor-fuzz-%1").arg(getpid())).toStdString());
    }
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

private:
    std::string temporary_;
};
