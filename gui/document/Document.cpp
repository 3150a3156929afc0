#include "gui/document/Document.h"

#include "base/File.h"
#include "gui/dialogs/Dialogs.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/document/MaterialFile.h"
#include "gui/document/TextureExport.h"
#include "gui/undo/MaterialCommand.h"
#include "gui/undo/ReplaceContentCommand.h"
#include "io/PackedExport.h"
#include "model/Completeness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <filesystem>

namespace {

const FileQuestion materialFile{"Select a material to assimilate...", "Ostra material (*.ostra-material)",
                                "ostra-material"};
const FileQuestion materialTarget{"Enter a filename to save your material to...",
                                  "Ostra material (*.ostra-material)", "ostra-material"};
const FileQuestion packedTarget{"Enter a filename to save your material to...",
                                "Ostra material packed (*.ostra-packed)", "ostra-packed"};

} // namespace

Document::Document(MaterialData& data, Dialogs& dialogs, MaterialFile* file)
    : data_(data), dialogs_(dialogs), file_(file) {
    loaded_ = loadRecord();
    connect(&render_, &BackgroundRender::finished, this, [this] {
        picturesCurrent_ = true;
        emit renderFinished();
    });
    connect(&render_, &BackgroundRender::failed, this,
            [this](const QString& problem) { showException(dialogs_, problem.toStdString()); });
    material_.addObserver(&watch_);
    // A new run starts with no unsaved change.
    undoStack_.setClean();
}

Document::~Document() {
    // Going away is not saving: the stack's end must not look like a save and drop the recovery copy.
    disconnect(&undoStack_, nullptr, this, nullptr);
    material_.removeObserver(&watch_);
}

void Document::MaterialWatch::materialChanged(const MaterialChange&) {
    document_.picturesCurrent_ = false;
    emit document_.changed();
}

LoadOutcome Document::loadRecord() {
    const std::string& temporary = temporary_.getPath();
    writeFile(temporary, data_.xml);
    return data_.xml.empty() ? LoadOutcome::Complete : loadXml(material_, temporary, dialogs_);
}

void Document::replaceContent(std::unique_ptr<Material> content, const QString& text) {
    emit replacing();
    pushEdit(undoStack_, std::make_unique<ReplaceContentCommand>(material_, std::move(content), text));
    emit replaced();
}

void Document::clear() {
    if (!dialogs_.askOkCancel("Warning!", "This will clear your whole material and create a new one!")) {
        return;
    }
    replaceContent(std::make_unique<Material>(), "Clear");
}

void Document::import() {
    const std::optional<std::string> path = dialogs_.askOpenFile(materialFile);
    if (!path) {
        return;
    }
    // Loaded aside: a file that is no material at all leaves the current one as it is (the loader
    // has said why), instead of an empty material.
    auto loaded = std::make_unique<Material>(Material::Empty{});
    if (loadXml(*loaded, *path, dialogs_) == LoadOutcome::Rejected) {
        return;
    }
    replaceContent(std::move(loaded), "Import");
    renderIfAuto();
}

void Document::exportXml() {
    if (const std::optional<std::string> path = dialogs_.askSaveFile(materialTarget)) {
        saveXml(material_, *path);
    }
}

void Document::exportPacked() {
    if (const std::optional<std::string> path = dialogs_.askSaveFile(packedTarget)) {
        exportPackedFile(material_, *path, dialogs_);
    }
}

void Document::exportTextures() {
    // The export renders on this thread: no render may run beside it.
    render_.stop();
    const std::string name = file_ != nullptr && file_->hasPath()
                                 ? std::filesystem::path(file_->getPath()).stem().string()
                                 : std::string("material");
    const std::string done = ::exportTextures(material_, dialogs_, name);
    picturesCurrent_ = true;
    emit renderFinished();
    if (!done.empty()) {
        emit status(QString::fromStdString(done));
    }
}

// The record for the caller: the material file's text, read back from the temporary file it was
// saved to, and the packed bytes (empty when the material cannot be exported; the user was told).
// With a file, the file is written first: a failed write keeps the unsaved mark.
void Document::save() {
    if (file_ != nullptr && !file_->hasPath()) {
        saveAs();
        return;
    }
    const std::string& temporary = temporary_.getPath();
    saveXml(material_, temporary);
    const std::string xml = readFile(temporary);
    std::vector<std::uint8_t> packed;
    if (file_ != nullptr) {
        packed = writeToFile();
    } else {
        writePacked(material_, packed, dialogs_);
    }
    data_.xml = xml;
    data_.packed.assign(packed.begin(), packed.end());
    undoStack_.setClean();
}

void Document::undo() {
    undoStack_.undo();
    renderIfAuto();
}

void Document::redo() {
    undoStack_.redo();
    renderIfAuto();
}

void Document::renderIfAuto() {
    if (autoRender_) {
        renderAll();
    }
}

void Document::setAutoRender(bool on) {
    if (autoRender_ != on) {
        autoRender_ = on;
        emit autoRenderChanged(on);
    }
}

bool Document::waitForRender(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (render_.isRunning()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    // The last reports are queued behind the worker's end.
    QCoreApplication::processEvents();
    return true;
}

std::optional<std::string> Document::incompleteCollectors() const {
    int incomplete = 0;
    std::string first;
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        const VisualNode& node = material_.getNode(i);
        if (node.getTypeId() != 0) {
            continue;
        }
        if (const std::optional<std::string> why = whyNotCurrent(material_, node)) {
            if (incomplete++ == 0) {
                first = node.getName() + ": " + *why;
            }
        }
    }
    if (incomplete == 0) {
        return std::nullopt;
    }
    return std::to_string(incomplete) + (incomplete == 1 ? " collector is" : " collectors are") +
           " incomplete (" + first + (incomplete > 1 ? ", ..." : "") + ")";
}
