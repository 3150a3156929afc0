#include "gui/EditingRun.h"

#include "base/Exception.h"
#include "gui/ExceptionBox.h"
#include "gui/MainWindow.h"
#include "gui/QtDialogs.h"

#include <QDir>
#include <cstdlib>

namespace {

// The run in progress: one per process.
MainWindow* running = nullptr;

} // namespace

std::string temporaryMaterialPath() {
    if (const char* path = std::getenv("VELVOR_TMP_MATERIAL"); path != nullptr && *path != '\0') {
        return path;
    }
    return QDir(QDir::tempPath()).filePath("velvor-tmpmaterial.tmp").toStdString();
}

void editMaterial(MaterialData& data, Dialogs* dialogs) {
    QtDialogs unowned(nullptr);
    Dialogs& ask = dialogs != nullptr ? *dialogs : unowned;
    if (running != nullptr) {
        ask.inform("Ai", "You have already opened an instance of Velvor! Please close that one first!");
        return;
    }
    std::unique_ptr<MainWindow> window;
    guarded(ask, [&] { window = std::make_unique<MainWindow>(data, dialogs); });
    if (!window) {
        return;
    }
    running = window.get();
    window->exec();
    running = nullptr;
}
