// The stand-alone editor's file handling: Save that reaches the disk, Open, Open Recent, Save As,
// the title with the file's name and the unsaved mark, the recovery copy and the lock.

#include "gui/dialogs/ExceptionBox.h"
#include "gui/windows/HelperWindow.h"
#include "gui/main/MainWindow.h"
#include "gui/canvas/NodesView.h"
#include "gui/document/MaterialFile.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <filesystem>

namespace {

const FileQuestion openQuestion{"Open a material...", "Ostra material (*.ostra-material)", "ostra-material"};
const FileQuestion saveQuestion{"Enter a filename to save your material to...",
                                "Ostra material (*.ostra-material)", "ostra-material"};
constexpr int recoveryDelayMs = 10000;
constexpr int recentCount = 10;
const char* const recentKey = "recentFiles";

std::string heldMessage(const std::string& path, std::int64_t pid) {
    return path + " is open in another window of the editor (process " + std::to_string(pid) +
           "). Changes saved in one window will overwrite those saved in the other.";
}

} // namespace

void MainWindow::buildFileCommands(QMenu& file, QAction* save) {
    const auto guardedSlot = [this](void (MainWindow::*command)()) {
        return [this, command] { guarded(dialogs_, [this, command] { (this->*command)(); }); };
    };
    QAction* first = file.actions().front();
    auto* open = new QAction("&Open...", &file);
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, guardedSlot(&MainWindow::openMaterial));
    file.insertAction(first, open);
    QMenu* recent = new QMenu("Open &Recent", &file);
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecentMenu(*recent); });
    file.insertMenu(first, recent);
    file.insertSeparator(first);

    auto* saveAs = new QAction("Save &As...", &file);
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, guardedSlot(&MainWindow::saveAs));
    const QList<QAction*> actions = file.actions();
    const auto afterSave = actions.indexOf(save) + 1;
    file.insertAction(afterSave < actions.size() ? actions[afterSave] : nullptr, saveAs);
}

void MainWindow::startFileSession(LoadOutcome loaded) {
    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setSingleShot(true);
    recoveryTimer_->setInterval(recoveryDelayMs);
    connect(recoveryTimer_, &QTimer::timeout, this,
            [this] { guarded(dialogs_, [this] { writeRecovery(); }); });
    connect(&undoStack_, &QUndoStack::indexChanged, this, &MainWindow::unsavedStateChanged);
    connect(&undoStack_, &QUndoStack::cleanChanged, this, &MainWindow::unsavedStateChanged);

    if (file_->hasPath() && loaded == LoadOutcome::Rejected) {
        // What could not be read stays as it is: Save asks for another name.
        dialogs_.inform("Ai!", file_->getPath() + " could not be opened as a material. It is left as it is; "
                                                  "Save will ask for a new name.");
        file_->moveTo({});
    }
    const std::optional<std::int64_t> holder = file_->lock();
    if (holder) {
        dialogs_.inform("ostra.Tools: Velvor", heldMessage(file_->getPath(), *holder));
    }
    // A recovery copy is offered only to the editor that holds the file: the other may be writing it.
    std::optional<std::string> recovered;
    if (!holder) {
        recovered = file_->readRecovery();
    }
    if (recovered) {
        const std::size_t choice =
            dialogs_.askChoice("ostra.Tools: Velvor",
                               "The editor ended without saving " + file_->displayName() +
                                   ". Its unsaved changes were kept.\nRestore them, or discard them?",
                               {"Restore", "Discard"});
        auto restored = std::make_unique<Material>(Material::Empty{});
        if (choice == 0 && loadXmlText(*restored, *recovered, dialogs_) != LoadOutcome::Rejected) {
            material_.takeContentOf(*restored);
            undoStack_.resetClean(); // unsaved until saved
        } else {
            file_->removeRecovery();
        }
    }
    if (file_->hasPath()) {
        rememberRecent(file_->getPath());
    }
    updateTitle();
}

void MainWindow::updateTitle() {
    setWindowTitle(QString::fromStdString(file_->displayName()) + "[*] - ostra.Tools: Velvor");
    setWindowModified(!undoStack_.isClean());
}

// At most one recovery copy every 10 seconds while there are unsaved changes, none while idle; a
// save removes it.
void MainWindow::unsavedStateChanged() {
    setWindowModified(!undoStack_.isClean());
    if (undoStack_.isClean()) {
        recoveryTimer_->stop();
        file_->removeRecovery();
    } else if (!recoveryTimer_->isActive()) {
        recoveryTimer_->start();
    }
}

void MainWindow::writeRecovery() {
    if (file_ != nullptr && !undoStack_.isClean()) {
        file_->writeRecovery(materialToXml(material_));
    }
}

// The material file, then its packed form beside it; a material that cannot be packed keeps the old
// packed file, and the user hears why. Gives the packed bytes (none when not packed).
std::vector<std::uint8_t> MainWindow::writeToFile() {
    std::optional<std::vector<std::uint8_t>> packed;
    std::string problem;
    try {
        packed = exportPacked(material_);
    } catch (const Exception& exception) {
        problem = exception.getMessage();
    }
    file_->write(materialToXml(material_), packed);
    if (!packed) {
        const std::string packedName =
            std::filesystem::path(MaterialFile::packedPathBeside(file_->getPath())).filename().string();
        dialogs_.inform("Ai!", "The material was saved, but its packed form was not written:\n" + problem +
                                   "\nThe previous " + packedName + ", if any, is kept.");
    }
    return packed.value_or(std::vector<std::uint8_t>());
}

void MainWindow::saveAs() {
    const std::optional<std::string> path = dialogs_.askSaveFile(saveQuestion);
    if (!path) {
        return;
    }
    const std::string previous = file_->getPath();
    if (const std::optional<std::int64_t> holder = file_->moveTo(*path)) {
        dialogs_.inform("ostra.Tools: Velvor", heldMessage(*path, *holder));
    }
    try {
        save();
    } catch (...) {
        file_->moveTo(previous); // the material still belongs where it came from
        updateTitle();
        throw;
    }
    rememberRecent(*path);
    updateTitle();
}

bool MainWindow::changesMayGo() {
    if (undoStack_.isClean()) {
        return true;
    }
    const std::optional<bool> answer = dialogs_.askYesNoCancel(
        "ostra.Tools: Velvor",
        "The material has changes that were not saved.\nDo you want to save them first?");
    if (!answer) {
        return false;
    }
    if (*answer) {
        save();
    }
    return !*answer || undoStack_.isClean();
}

void MainWindow::openMaterial() {
    if (!changesMayGo()) {
        return;
    }
    if (const std::optional<std::string> path = dialogs_.askOpenFile(openQuestion)) {
        openPath(*path);
    }
}

void MainWindow::openPath(const std::string& path) {
    const std::string text = MaterialFile::read(path);
    // Loaded aside: a file that is no material leaves the current one as it is.
    auto loaded = std::make_unique<Material>(Material::Empty{});
    if (loadXmlText(*loaded, text, dialogs_) == LoadOutcome::Rejected) {
        return;
    }
    HelperWindow::closeAll();
    canvas_->selectNone();
    material_.takeContentOf(*loaded);
    undoStack_.clear(); // another document: its history starts here
    file_->removeRecovery();
    if (const std::optional<std::int64_t> holder = file_->moveTo(path)) {
        dialogs_.inform("ostra.Tools: Velvor", heldMessage(path, *holder));
    }
    undoStack_.setClean();
    rememberRecent(path);
    updateTitle();
    canvas_->reorient();
    renderIfAuto();
    emit materialOpened();
}

void MainWindow::rememberRecent(const std::string& path) {
    QSettings settings;
    QStringList recent = settings.value(recentKey).toStringList();
    const QString absolute = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > recentCount) {
        recent.removeLast();
    }
    settings.setValue(recentKey, recent);
}

void MainWindow::fillRecentMenu(QMenu& menu) {
    menu.clear();
    const QStringList recent = QSettings().value(recentKey).toStringList();
    for (const QString& path : recent) {
        QAction* entry = menu.addAction(QString(path).replace('&', "&&"));
        connect(entry, &QAction::triggered, this, [this, path] {
            guarded(dialogs_, [this, &path] {
                if (changesMayGo()) {
                    openPath(path.toStdString());
                }
            });
        });
    }
    menu.setEnabled(true);
    if (recent.isEmpty()) {
        menu.addAction("(none)")->setEnabled(false);
    }
}
