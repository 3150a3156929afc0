#include "FuzzSession.h"

#include "CanvasDriver.h"
#include "FuzzDialogs.h"
#include "WindowParts.h"
#include "base/Exception.h"
#include "base/File.h"
#include "base/Progress.h"
#include "core/packed/PackedMaterial.h"
#include "gui/canvas/NodesView.h"
#include "gui/document/MaterialFile.h"
#include "gui/editors/OperatorEditor.h"
#include "gui/main/MainWindow.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>

namespace {

std::string exampleText(std::uint32_t start) {
    const char* name = startingMaterials[start % startingMaterials.size()];
    const std::string text =
        *name == '\0' ? std::string()
                      : readFile(std::string(VELVOR_SOURCE_DIR "/examples/") + name + ".ostra-material");
    if (start % startCount < startingMaterials.size()) {
        return text;
    }
    Material large(Material::Empty{});
    FuzzDialogs quiet;
    if (text.empty()) {
        large.createDefaultCollectors();
    } else {
        loadXmlText(large, text, quiet);
    }
    for (std::size_t i = 0; i < large.getNodeCount(); ++i) {
        large.resizeNode(large.getNode(i).getId(), {largeNodeSide, largeNodeSide});
    }
    return materialToXml(large);
}

bool samePixels(const Velvor::Image& a, const Velvor::Image& b) {
    return a.sameSizeAs(b) &&
           std::memcmp(a.getPixels(), b.getPixels(), static_cast<std::size_t>(a.getPixelCount()) * 4) == 0;
}

// Whether the collector's picture is fully defined: every node upstream generated, no cycle on the way.
bool isComplete(const Material& material, const VisualNode& collector) {
    std::vector<const VisualNode*> path;
    const std::function<bool(const VisualNode&)> complete = [&](const VisualNode& node) {
        if (node.isDirty() || std::find(path.begin(), path.end(), &node) != path.end()) {
            return false;
        }
        path.push_back(&node);
        bool result = true;
        for (std::size_t i = 0; i < material.getCableCount() && result; ++i) {
            if (&material.getCable(i).getTo() == &node) {
                result = complete(material.getCable(i).getFrom());
            }
        }
        path.pop_back();
        return result;
    };
    return complete(collector);
}

} // namespace

Session::Session(std::uint32_t start)
    : data_{exampleText(start), {}}, file_(FuzzDialogs::folder() + "/session.ostra-material"),
      window_(data_, &dialogs_, &file_) {
    window_.resize(1100, 800);
    window_.show();
    QCoreApplication::processEvents();
    startXml_ = materialToXml(window_.getDocument().getMaterial());
    const QSettings settings;
    for (const QString& key : settings.allKeys()) {
        settingsBefore_.insert(key, settings.value(key));
    }
    // Open starts another history: undoing goes back to the opened file, not further.
    QObject::connect(&window_, &MainWindow::materialOpened,
                     [this] { startXml_ = materialToXml(window_.getDocument().getMaterial()); });
    answerer_.setInterval(0);
    QObject::connect(&answerer_, &QTimer::timeout, [this] { answerModal(); });
}

Session::~Session() {
    answerer_.stop();
    // The user's settings the sequence changed (the packed budget) go back, for what runs next.
    QSettings settings;
    settings.clear();
    for (auto it = settingsBefore_.cbegin(); it != settingsBefore_.cend(); ++it) {
        settings.setValue(it.key(), it.value());
    }
    window_.getDocument().getUndoStack().setClean();
    HelperWindow::closeAll();
}

void Session::play(const FuzzStep& step) {
    if (std::getenv("VELVOR_FUZZ_TRACE") != nullptr) {
        qInfo("%s", toText({0, {step}}).substr(8).c_str());
    }
    random_.seed(step.c * 2654435761u + step.b);
    dialogs_.random = &random_;
    answerer_.start();
    guardedStep(step);
    answerer_.stop();
    if (!window_.isVisible()) {
        window_.show(); // closed by Close or Escape: the user opens the material again
    }
    QCoreApplication::processEvents();
}

std::optional<std::string> Session::checkStep() {
    const std::string xml = materialToXml(window_.getDocument().getMaterial());
    Material loaded(Material::Empty{});
    FuzzDialogs quiet;
    if (loadXmlText(loaded, xml, quiet) != LoadOutcome::Complete || materialToXml(loaded) != xml) {
        return "the material's file does not load back to the same bytes";
    }
    std::vector<std::uint8_t> packed;
    try {
        packed = exportPacked(window_.getDocument().getMaterial());
    } catch (const Exception&) {
        return std::nullopt; // not exportable: the editor says so, nothing to read back
    }
    try {
        Velvor::PackedMaterial reader(packed);
        if (reader.getByteCount() != packed.size()) {
            return "the packed export has bytes the reader does not take";
        }
    } catch (const Exception& e) {
        return "the run-time reader refuses the packed export: " + e.getMessage();
    }
    return std::nullopt;
}

std::optional<std::string> Session::checkEnd() {
    if (std::getenv("VELVOR_FUZZ_TRACE") != nullptr) {
        qInfo("end: %zu nodes, %zu cables, %d undo steps, %zu windows", material().getNodeCount(),
              material().getCableCount(), window_.getDocument().getUndoStack().count(),
              HelperWindow::openWindows().size());
    }
    HelperWindow::closeAll();
    if (!window_.getDocument().waitForRender()) {
        return "the render did not end";
    }
    QUndoStack& stack = window_.getDocument().getUndoStack();
    const std::string finalXml = materialToXml(window_.getDocument().getMaterial());
    const int finalIndex = stack.index();
    while (stack.canUndo()) {
        stack.undo();
    }
    if (materialToXml(window_.getDocument().getMaterial()) != startXml_) {
        return "undoing every step does not give the starting material back";
    }
    while (stack.index() < finalIndex) {
        stack.redo();
    }
    if (materialToXml(window_.getDocument().getMaterial()) != finalXml) {
        return "redoing every step does not give the final material back";
    }
    window_.getDocument().renderAll();
    if (!window_.getDocument().waitForRender()) {
        return "the render did not end";
    }
    return compareWithFreshRender(finalXml);
}

std::optional<std::string> Session::compareWithFreshRender(const std::string& xml) {
    Material fresh(Material::Empty{});
    FuzzDialogs quiet;
    loadXmlText(fresh, xml, quiet);
    NullProgress progress;
    fresh.renderAll(progress);
    const Material& edited = window_.getDocument().getMaterial();
    for (std::size_t i = 0; i < fresh.getNodeCount(); ++i) {
        const VisualNode& expected = fresh.getNode(i);
        if (expected.getTypeId() != 0 || !isComplete(fresh, expected)) {
            continue;
        }
        const VisualNode& shown = edited.getNode(i);
        if (shown.isDirty() ||
            !samePixels(shown.getOperator().getImage(), expected.getOperator().getImage())) {
            if (std::getenv("VELVOR_FUZZ_TRACE") != nullptr) {
                writeFile("/tmp/velvor-fuzz-final.ostra-material", xml);
                for (std::size_t n = 0; n < edited.getNodeCount(); ++n) {
                    qInfo("%s dirty %d/%d same %d", edited.getNode(n).getName().c_str(),
                          edited.getNode(n).isDirty(), fresh.getNode(n).isDirty(),
                          samePixels(edited.getNode(n).getOperator().getImage(),
                                     fresh.getNode(n).getOperator().getImage()));
                }
            }
            return "collector " + expected.getName() + " differs from a fresh render of the saved file";
        }
    }
    return std::nullopt;
}

void Session::guardedStep(const FuzzStep& step) {
    try {
        act(step);
    } catch (const Exception& e) {
        // The editor catches its own failures; one reaching here is the fuzzer's own.
        qWarning("fuzzer step raised: %s", e.what());
    }
}
