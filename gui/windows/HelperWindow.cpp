#include "gui/windows/HelperWindow.h"

#include "gui/main/ApplicationIcon.h"

#include <algorithm>

namespace {

std::vector<HelperWindow*>& openList() {
    static std::vector<HelperWindow*> windows;
    return windows;
}

} // namespace

HelperWindow::HelperWindow(QWidget* parent, bool modal) : QDialog(parent), modal_(modal) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(applicationIcon());
    setModal(modal);
}

HelperWindow::~HelperWindow() {
    auto& windows = openList();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

int HelperWindow::show() {
    if (!listed_) {
        listed_ = true;
        openList().push_back(this);
        onInitDialog();
    }
    if (modal_) {
        return exec();
    }
    QDialog::show();
    return 0;
}

const std::vector<HelperWindow*>& HelperWindow::openWindows() {
    return openList();
}

void HelperWindow::closeAll() {
    // Deleting a window takes it off the list; deleting at once, not later, so that nothing of the
    // material being cleared can reach a window that is still on its way out.
    while (!openList().empty()) {
        delete openList().front();
    }
}
