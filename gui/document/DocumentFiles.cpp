// The stand-alone editor's file handling: Save that reaches the disk, Open, Save As, the unsaved
// state, the recovery copy, the lock and the list of recent files.

#include "gui/dialogs/Dialogs.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/document/Document.h"
#include "gui/document/MaterialFile.h"
#include "io/PackedExport.h"

#include <QFileInfo>
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

} // namespace

std::string Document::displayName() const {
    return file_ != nullptr ? file_->displayName() : std::string();
}

void Document::informHeld(const std::string& path, std::optional<std::int64_t> holder) {
    if (holder) {
        dialogs_.inform("ostra.Tools: Velvor",
                        path + " is open in another window of the editor (process " +
                            std::to_string(*holder) +
                            "). Changes saved in one window will overwrite those saved in the other.");
    }
}

void Document::startFileSession() {
    if (file_ == nullptr) {
        return;
    }
    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setSingleShot(true);
    recoveryTimer_->setInterval(recoveryDelayMs);
    connect(recoveryTimer_, &QTimer::timeout, this,
            [this] { guarded(dialogs_, [this] { writeRecovery(); }); });
    connect(&undoStack_, &QUndoStack::indexChanged, this, &Document::unsavedStateChanged);
    connect(&undoStack_, &QUndoStack::cleanChanged, this, &Document::unsavedStateChanged);

    if (file_->hasPath() && loaded_ == LoadOutcome::Rejected) {
        // What could not be read stays as it is: Save asks for another name.
        dialogs_.inform("Ai!", file_->getPath() + " could not be opened as a material. It is left as it is; "
                                                  "Save will ask for a new name.");
        file_->moveTo({});
    }
    const std::optional<std::int64_t> holder = file_->lock();
    informHeld(file_->getPath(), holder);
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
    emit titleChanged();
}

void Document::closing() {
    if (file_ != nullptr) {
        file_->removeRecovery();
    }
}

// At most one recovery copy every 10 seconds while there are unsaved changes, none while idle; a
// save removes it.
void Document::unsavedStateChanged() {
    emit titleChanged();
    if (undoStack_.isClean()) {
        recoveryTimer_->stop();
        file_->removeRecovery();
    } else if (!recoveryTimer_->isActive()) {
        recoveryTimer_->start();
    }
}

void Document::writeRecovery() {
    if (file_ != nullptr && !undoStack_.isClean()) {
        file_->writeRecovery(materialToXml(material_));
    }
}

// The material file, then its packed form beside it; a material that cannot be packed keeps the old
// packed file, and the user hears why. Gives the packed bytes (none when not packed).
std::vector<std::uint8_t> Document::writeToFile() {
    std::optional<std::vector<std::uint8_t>> packed;
    std::string problem;
    try {
        packed = ::exportPacked(material_);
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

void Document::saveAs() {
    const std::optional<std::string> path = dialogs_.askSaveFile(saveQuestion);
    if (!path) {
        return;
    }
    const std::string previous = file_->getPath();
    informHeld(*path, file_->moveTo(*path));
    try {
        save();
    } catch (...) {
        file_->moveTo(previous); // the material still belongs where it came from
        emit titleChanged();
        throw;
    }
    rememberRecent(*path);
    emit titleChanged();
}

bool Document::changesMayGo() {
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

void Document::open() {
    if (!changesMayGo()) {
        return;
    }
    if (const std::optional<std::string> path = dialogs_.askOpenFile(openQuestion)) {
        openPath(*path);
    }
}

void Document::openPath(const std::string& path) {
    const std::string text = MaterialFile::read(path);
    // Loaded aside: a file that is no material leaves the current one as it is.
    auto loaded = std::make_unique<Material>(Material::Empty{});
    if (loadXmlText(*loaded, text, dialogs_) == LoadOutcome::Rejected) {
        return;
    }
    emit replacing();
    material_.takeContentOf(*loaded);
    undoStack_.clear(); // another document: its history starts here
    file_->removeRecovery();
    informHeld(path, file_->moveTo(path));
    undoStack_.setClean();
    rememberRecent(path);
    emit titleChanged();
    emit replaced();
    renderIfAuto();
    emit opened();
}

void Document::rememberRecent(const std::string& path) {
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

QStringList Document::recentFiles() {
    return QSettings().value(recentKey).toStringList();
}
