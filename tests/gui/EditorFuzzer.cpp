#include "EditorFuzzer.h"

#include "CanvasDriver.h"
#include "FuzzDialogs.h"
#include "WindowParts.h"
#include "base/Exception.h"
#include "base/File.h"
#include "base/Progress.h"
#include "core/PackedMaterial.h"
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

constexpr std::array actionNames{"AddFromList", "ClickCanvas", "DragCanvas",  "DrawCable",
                                 "Key",         "NodeMenu",    "MainMenu",    "PanelEdit",
                                 "Undo",        "Redo",        "CloseWindow", "WaitForRender"};
static_assert(actionNames.size() == static_cast<std::size_t>(FuzzAction::Count));

// How often each action is drawn: the edits that reach the most code most often.
constexpr std::array<int, actionNames.size()> actionWeights{6, 8, 6, 10, 6, 7, 5, 12, 6, 4, 2, 2};

const std::array<const char*, 4> startingMaterials{"", "tiles", "metal-plate", "labelled-panel"};

std::string exampleText(std::uint32_t start) {
    const char* name = startingMaterials[start % startingMaterials.size()];
    return *name == '\0' ? std::string()
                         : readFile(std::string(VELVOR_SOURCE_DIR "/examples/") + name + ".ostra-material");
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

// One editor, played step by step.
class Session {
public:
    explicit Session(std::uint32_t start)
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

    ~Session() {
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

    void play(const FuzzStep& step) {
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

    // The promises that hold after every step; the first broken one.
    std::optional<std::string> checkStep() {
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

    std::optional<std::string> checkEnd() {
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

private:
    std::optional<std::string> compareWithFreshRender(const std::string& xml) {
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

    void guardedStep(const FuzzStep& step) {
        try {
            act(step);
        } catch (const Exception& e) {
            // The editor catches its own failures; one reaching here is the fuzzer's own.
            qWarning("fuzzer step raised: %s", e.what());
        }
    }

    NodesView& canvas() { return canvasOf(window_); }
    Material& material() { return window_.getDocument().getMaterial(); }

    const VisualNode* nodeNumber(std::uint32_t n) {
        return material().getNodeCount() == 0 ? nullptr : &material().getNode(n % material().getNodeCount());
    }

    // A point on node n's box, or on empty canvas when the material has no node.
    Point pointOnNode(std::uint32_t n, std::uint32_t offset) {
        const VisualNode* node = nodeNumber(n);
        const Point inside{static_cast<int>(offset % 102), static_cast<int>((offset / 102) % 102)};
        return node != nullptr ? onScreen(canvas(), *node, inside) : inside;
    }

    Point pointInView(std::uint32_t n) {
        const Point size = canvas().getClientSize();
        return {static_cast<int>(n % static_cast<std::uint32_t>(std::max(1, size.x))),
                static_cast<int>((n / 7) % static_cast<std::uint32_t>(std::max(1, size.y)))};
    }

    // A port of node n (the output or an input), or empty canvas.
    Point portPoint(std::uint32_t n) {
        const VisualNode* node = nodeNumber(n / 8);
        if (node == nullptr || n % 8 == 7) {
            return pointInView(n * 31);
        }
        const int ports = node->getInputCount() + (node->hasOutput() ? 1 : 0);
        if (ports == 0) {
            return pointOnNode(n / 8, 51 * 102 + 51);
        }
        int port = static_cast<int>(n % static_cast<std::uint32_t>(ports));
        port = node->hasOutput() ? port - 1 : port;
        return portCentreOnScreen(canvas(), *node, port);
    }

    void act(const FuzzStep& step) {
        switch (step.action) {
        case FuzzAction::AddFromList: {
            QListWidget& list = nodeListOf(window_);
            QListWidgetItem* item =
                list.item(static_cast<int>(step.a % static_cast<std::uint32_t>(list.count())));
            const QPoint centre = list.visualItemRect(item).center();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
            break;
        }
        case FuzzAction::ClickCanvas:
            click(canvas(), Qt::LeftButton,
                  step.b % 4 == 0   ? pointInView(step.a)
                  : step.b % 4 == 1 ? cableMiddle(step.a)
                                    : pointOnNode(step.a, step.c));
            break;
        case FuzzAction::DragCanvas: {
            const Point from = step.b % 3 == 0 ? pointInView(step.a) : pointOnNode(step.a, step.b);
            const int dx = static_cast<int>(step.c % 301) - 150;
            const int dy = static_cast<int>((step.c / 301) % 301) - 150;
            drag(canvas(), from, {from.x + dx, from.y + dy});
            break;
        }
        case FuzzAction::DrawCable:
            click(canvas(), Qt::RightButton, portPoint(step.a));
            hover(canvas(), pointInView(step.c));
            hover(canvas(), portPoint(step.b));
            click(canvas(), Qt::RightButton, portPoint(step.b));
            break;
        case FuzzAction::Key:
            pressKey(step.a);
            break;
        case FuzzAction::NodeMenu:
            if (const VisualNode* node = nodeNumber(step.a)) {
                // The middle of the box's lower half holds no port.
                click(canvas(), Qt::RightButton, onScreen(canvas(), *node, {51, 90}));
            }
            break;
        case FuzzAction::MainMenu:
            triggerMenuCommand(step.a);
            break;
        case FuzzAction::PanelEdit:
            editPanel(step);
            break;
        case FuzzAction::Undo:
            window_.getDocument().undo();
            break;
        case FuzzAction::Redo:
            window_.getDocument().redo();
            break;
        case FuzzAction::CloseWindow: {
            const std::vector<HelperWindow*>& open = HelperWindow::openWindows();
            if (!open.empty()) {
                open[step.a % open.size()]->close();
            }
            break;
        }
        case FuzzAction::WaitForRender:
        case FuzzAction::Count:
            window_.getDocument().waitForRender();
            break;
        }
    }

    Point cableMiddle(std::uint32_t n) {
        if (material().getCableCount() == 0) {
            return pointInView(n);
        }
        const Cable& cable = material().getCable(n % material().getCableCount());
        const CableCurve curve = cableCurveBetween(onScreen(canvas(), cable.getFrom(), {0, 0}),
                                                   onScreen(canvas(), cable.getTo(), {0, 0}),
                                                   cable.getToPort(), cable.getTo().getInputCount());
        return curve[cableCurvePointCount / 2];
    }

    void pressKey(std::uint32_t n) {
        struct Press {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        };
        static const std::array<Press, 8> keys{{{Qt::Key_Delete, {}},
                                                {Qt::Key_F, {}},
                                                {Qt::Key_Escape, {}},
                                                {Qt::Key_Return, {}},
                                                {Qt::Key_Z, Qt::ControlModifier},
                                                {Qt::Key_Y, Qt::ControlModifier},
                                                {Qt::Key_S, Qt::ControlModifier},
                                                {Qt::Key_Tab, {}}}};
        const Press press = keys[n % keys.size()];
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : &canvas(), press.key, press.modifiers);
    }

    void triggerMenuCommand(std::uint32_t n) {
        std::vector<QAction*> commands;
        const auto* bar = window_.findChild<QMenuBar*>();
        for (QAction* menu : bar->actions()) {
            for (QAction* command : menu->menu()->actions()) {
                if (!command->isSeparator() && command->isEnabled()) {
                    commands.push_back(command);
                }
            }
        }
        commands[n % commands.size()]->trigger();
    }

    void editPanel(const FuzzStep& step) {
        OperatorEditor* panel = panelOf(window_);
        if (panel == nullptr) {
            return;
        }
        std::vector<QWidget*> controls;
        for (QWidget* child : panel->findChildren<QWidget*>()) {
            if (qobject_cast<QScrollBar*>(child) || qobject_cast<QRadioButton*>(child) ||
                qobject_cast<QComboBox*>(child) || qobject_cast<QLineEdit*>(child) ||
                child->inherits("ValueEditorColour::RGBPicker")) {
                controls.push_back(child);
            }
        }
        if (controls.empty()) {
            return;
        }
        QWidget* control = controls[step.a % controls.size()];
        if (std::getenv("VELVOR_FUZZ_TRACE") != nullptr) {
            qInfo("  panel of %s: %s", material().findNode(panel->getNode())->getName().c_str(),
                  control->metaObject()->className());
        }
        if (auto* bar = qobject_cast<QScrollBar*>(control)) {
            moveScrollBar(*bar, step.b, step.c);
        } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
            radio->click();
        } else if (auto* list = qobject_cast<QComboBox*>(control)) {
            const int index =
                static_cast<int>(step.b % static_cast<std::uint32_t>(std::max(1, list->count())));
            list->setCurrentIndex(index);
            emit list->activated(index);
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            static const std::array<const char*, 5> texts{"Velvor", "&x", "",
                                                          "\xc3\xa9t\xc3\xa9 \xe2\x82\xac",
                                                          "a long line of text that runs on and on"};
            edit->setFocus();
            if (step.b % 2 == 0) {
                QTest::keyClick(edit, Qt::Key_Backspace);
            }
            // One key event per character, with its text: QTest's typing knows only ASCII keys.
            for (const QChar character : QString::fromUtf8(texts[step.c % texts.size()])) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
                QApplication::sendEvent(edit, &press);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
                QApplication::sendEvent(edit, &release);
            }
        } else {
            click(*static_cast<QWidget*>(control), Qt::LeftButton, {5, 5}); // opens the colour dialog
        }
    }

    static void moveScrollBar(QScrollBar& bar, std::uint32_t how, std::uint32_t where) {
        static const std::array<QAbstractSlider::SliderAction, 6> steps{
            QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
            QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
            QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
        if (how % 2 == 0) {
            bar.triggerAction(steps[how / 2 % steps.size()]);
            return;
        }
        // A drag of the thumb: several moves, one undo step.
        const auto range = static_cast<std::uint32_t>(bar.maximum() - bar.minimum()) + 1;
        bar.setSliderDown(true);
        for (int i = 0; i < 3; ++i) {
            bar.setSliderPosition(bar.minimum() +
                                  static_cast<int>((where + static_cast<std::uint32_t>(i) * 7919) % range));
        }
        bar.setSliderDown(false);
    }

    // Answers whatever modal dialog or menu is open, from inside its event loop, later in that loop so
    // that a dialog the answer opens is answered in turn.
    void answerModal() {
        if (answering_) {
            return;
        }
        QWidget* open = QApplication::activePopupWidget();
        if (open == nullptr) {
            open = QApplication::activeModalWidget();
        }
        if (open == nullptr || open == &window_) {
            return;
        }
        answering_ = true;
        QPointer<QWidget> target = open;
        const std::uint32_t choice = static_cast<std::uint32_t>(random_());
        QTimer::singleShot(0, [this, target, choice] {
            answering_ = false;
            if (target) {
                answer(*target, choice);
            }
        });
    }

    void answer(QWidget& open, std::uint32_t choice) {
        if (auto* menu = qobject_cast<QMenu*>(&open)) {
            std::vector<QAction*> enabled;
            for (QAction* action : menu->actions()) {
                if (!action->isSeparator() && action->isEnabled()) {
                    enabled.push_back(action);
                }
            }
            menu->close();
            if (!enabled.empty() && choice % 8 != 0) {
                if (std::getenv("VELVOR_FUZZ_TRACE") != nullptr) {
                    qInfo("  menu: %s", qPrintable(enabled[choice % enabled.size()]->text()));
                }
                enabled[choice % enabled.size()]->trigger();
            }
            return;
        }
        auto* dialog = qobject_cast<QDialog*>(&open);
        if (dialog == nullptr) {
            open.close();
            return;
        }
        if (auto* name = dialog->findChild<QLineEdit*>();
            name != nullptr && dialog->windowTitle() == "Rename node...") {
            static const std::array<const char*, 4> names{"Renamed", "", "A & B", "\xc3\xbc"};
            name->setText(QString::fromUtf8(names[choice % names.size()]));
        }
        for (Window* view : dialog->findChildren<Window*>()) {
            if (choice % 3 != 0) {
                const Point size = view->getClientSize();
                click(*view, Qt::LeftButton,
                      {static_cast<int>(choice % static_cast<std::uint32_t>(std::max(1, size.x))),
                       static_cast<int>((choice / 3) % static_cast<std::uint32_t>(std::max(1, size.y)))});
            }
        }
        switch (choice % 3) {
        case 0:
            dialog->accept();
            break;
        case 1:
            dialog->reject();
            break;
        default:
            dialog->close();
            break;
        }
    }

    FuzzDialogs dialogs_;
    MaterialData data_;
    MaterialFile file_;
    MainWindow window_;
    std::string startXml_;
    std::mt19937 random_;
    QTimer answerer_;
    bool answering_ = false;
    QVariantMap settingsBefore_;
};

std::uint32_t weightedAction(std::mt19937_64& random) {
    int total = 0;
    for (const int weight : actionWeights) {
        total += weight;
    }
    int draw = static_cast<int>(random() % static_cast<std::uint64_t>(total));
    for (std::size_t i = 0; i < actionWeights.size(); ++i) {
        if (draw < actionWeights[i]) {
            return static_cast<std::uint32_t>(i);
        }
        draw -= actionWeights[i];
    }
    return 0;
}

} // namespace

FuzzSequence randomSequence(std::uint64_t seed, int steps) {
    std::mt19937_64 random(seed);
    FuzzSequence sequence;
    sequence.start = static_cast<std::uint32_t>(random() % startingMaterials.size());
    for (int i = 0; i < steps; ++i) {
        FuzzStep step;
        step.action = static_cast<FuzzAction>(weightedAction(random));
        step.a = static_cast<std::uint32_t>(random());
        step.b = static_cast<std::uint32_t>(random());
        step.c = static_cast<std::uint32_t>(random());
        sequence.steps.push_back(step);
    }
    return sequence;
}

std::string toText(const FuzzSequence& sequence) {
    std::ostringstream out;
    out << "start " << sequence.start << '\n';
    for (const FuzzStep& step : sequence.steps) {
        out << actionNames[static_cast<std::size_t>(step.action)] << ' ' << step.a << ' ' << step.b << ' '
            << step.c << '\n';
    }
    return out.str();
}

std::optional<FuzzSequence> sequenceFromText(const std::string& text) {
    std::istringstream in(text);
    FuzzSequence sequence;
    std::string word;
    if (!(in >> word >> sequence.start) || word != "start") {
        return std::nullopt;
    }
    while (in >> word) {
        const auto found = std::find(actionNames.begin(), actionNames.end(), word);
        FuzzStep step;
        if (found == actionNames.end() || !(in >> step.a >> step.b >> step.c)) {
            return std::nullopt;
        }
        step.action = static_cast<FuzzAction>(found - actionNames.begin());
        sequence.steps.push_back(step);
    }
    return sequence;
}

FuzzResult playSequence(const FuzzSequence& sequence) {
    FuzzResult result;
    Session session(sequence.start);
    for (const FuzzStep& step : sequence.steps) {
        session.play(step);
        ++result.stepsRun;
        if ((result.failure = session.checkStep())) {
            *result.failure += " (after step " + std::to_string(result.stepsRun) + ")";
            return result;
        }
    }
    result.failure = session.checkEnd();
    return result;
}

FuzzSequence shrinkSequence(const FuzzSequence& failing, bool (*fails)(const FuzzSequence&)) {
    FuzzSequence best = failing;
    for (std::size_t chunk = std::max<std::size_t>(1, best.steps.size() / 2);; chunk /= 2) {
        for (std::size_t at = 0; at < best.steps.size();) {
            FuzzSequence candidate = best;
            const auto first = candidate.steps.begin() + static_cast<std::ptrdiff_t>(at);
            candidate.steps.erase(
                first, first + static_cast<std::ptrdiff_t>(std::min(chunk, candidate.steps.size() - at)));
            if (fails(candidate)) {
                best = std::move(candidate);
            } else {
                at += chunk;
            }
        }
        if (chunk == 1) {
            return best;
        }
    }
}
