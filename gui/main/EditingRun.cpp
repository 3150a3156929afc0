#include "gui/main/EditingRun.h"

#include "base/Exception.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/dialogs/QtDialogs.h"
#include "gui/main/MainWindow.h"

namespace {

// The run in progress: one per process.
MainWindow* running = nullptr;

} // namespace

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
