#include "gui/main/EditingRun.h"

#include "base/Exception.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/main/MainWindow.h"
#include "gui/dialogs/QtDialogs.h"

#include <QDir>
#include <QTemporaryFile>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The run in progress: one per process.
MainWindow* running = nullptr;

} // namespace

namespace {

// $XDG_RUNTIME_DIR when it is a folder of this user's that only they may enter.
QString privateRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat status {};
    if (runtime == nullptr || *runtime != '/' || ::stat(runtime, &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid() || (status.st_mode & 077) != 0) {
        return {};
    }
    return QString::fromLocal8Bit(runtime);
}

} // namespace

TemporaryMaterial::TemporaryMaterial() {
    if (const char* path = std::getenv("VELVOR_TMP_MATERIAL"); path != nullptr && *path != '\0') {
        path_ = path;
        return;
    }
    QString folder = privateRuntimeFolder();
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    file_ = std::make_unique<QTemporaryFile>(QDir(folder).filePath("velvor-material-XXXXXX.tmp"));
    if (!file_->open()) {
        throw Exception("Could not create a temporary file in " + folder.toStdString() + " (" +
                        file_->errorString().toStdString() + ")");
    }
    path_ = file_->fileName().toStdString();
    file_->close(); // kept on disk until the run ends
}

TemporaryMaterial::~TemporaryMaterial() = default;

void editMaterial(MaterialData& data, Dialogs* dialogs, MaterialFile* file) {
    QtDialogs unowned(nullptr);
    Dialogs& ask = dialogs != nullptr ? *dialogs : unowned;
    if (running != nullptr) {
        ask.inform("Ai", "You have already opened an instance of Velvor! Please close that one first!");
        return;
    }
    std::unique_ptr<MainWindow> window;
    guarded(ask, [&] { window = std::make_unique<MainWindow>(data, dialogs, file); });
    if (!window) {
        return;
    }
    running = window.get();
    window->exec();
    running = nullptr;
}
