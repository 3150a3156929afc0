// Edit to pixels in the real editor: the main window on Qt's offscreen platform, each example with
// every node at 1024 x 1024, on two threads. Timed on a steady clock, with the event loop waiting for
// events as the editor's does:
// - parameterToResult: a step of the first generator's first number, made on the panel's scroll bar,
//   until the open result window of a collector it feeds has painted the new pixels. Beside it, the
//   parts: the panel's handler, and the render's end reaching the user-interface thread.
// - dragToCanvas: each mouse move of a node being dragged on the canvas, until the canvas has painted.
// Counters: the median, the fastest and the slowest of the repetitions, in milliseconds, and the
// user-interface thread's processor time in that wait (ui_cpu).

#include "base/File.h"
#include "core/parallel/Parallel.h"
#include "gui/CanvasDriver.h"
#include "gui/WindowParts.h"
#include "gui/dialogs/Dialogs.h"
#include "gui/editors/ValueEditorInt.h"
#include "gui/windows/HelperWindow.h"
#include "gui/windows/ResultView.h"

#include <QApplication>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int repetitions = 21;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The processor time of the calling thread: how much of the wait the user-interface thread was busy.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// No question may block a benchmark: the loader's questions are answered Yes, every other one No or
// Cancel, and messages go to standard error.
class QuietDialogs : public Dialogs {
public:
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    void inform(const std::string& caption, const std::string& text) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    std::optional<std::string> askOpenFile(const FileQuestion&) override { return std::nullopt; }
    std::optional<std::string> askSaveFile(const FileQuestion&) override { return std::nullopt; }
    bool askOkCancel(const std::string&, const std::string&) override { return false; }
    std::optional<int> askNumber(const std::string&, const std::string&, int, int, int) override {
        return std::nullopt;
    }
    std::optional<bool> askYesNoCancel(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> askFolder(const std::string&) override { return std::nullopt; }
    std::size_t askChoice(const std::string&, const std::string&,
                          const std::vector<std::string>& buttons) override {
        return buttons.size() - 1;
    }
};

// Runs the event loop, waiting for events as the editor does, until the watched widget has finished
// a paint that `done` accepts (checked as the paint begins; the loop ends once it has run).
class PaintWaiter : public QObject {
public:
    PaintWaiter(QWidget& widget, std::function<bool()> done) : widget_(widget), done_(std::move(done)) {
        widget_.installEventFilter(this);
    }
    ~PaintWaiter() override { widget_.removeEventFilter(this); }

    // False after five seconds without that paint.
    bool wait() {
        QTimer::singleShot(5000, &loop_, [this] { loop_.exit(1); });
        return loop_.exec() == 0;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &widget_ && event->type() == QEvent::Paint && done_()) {
            loop_.exit(0);
        }
        return false;
    }

private:
    QWidget& widget_;
    std::function<bool()> done_;
    QEventLoop loop_;
};

// The example with every node at 1024 x 1024, shown, rendered, in a window the size the tests use.
struct Editor {
    explicit Editor(const std::string& example) : data(dataOf(example)) {
        window.resize(1100, 800);
        window.show();
        QApplication::processEvents(); // the window's first layout, and the render it starts
        Material& material = window.getDocument().getMaterial();
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            material.resizeNode(material.getNode(i).getId(), {1024, 1024});
        }
        window.getDocument().renderAll();
        window.getDocument().waitForRender();
    }
    ~Editor() {
        window.getDocument().getUndoStack().setClean();
        HelperWindow::closeAll();
    }

    static MaterialData dataOf(const std::string& example) {
        return {readFile(std::string(VELVOR_SOURCE_DIR) + "/examples/" + example + ".ostra-material"), {}};
    }

    Material& material() { return window.getDocument().getMaterial(); }

    MaterialData data;
    QuietDialogs dialogs;
    MainWindow window{data, &dialogs};
};

struct Samples {
    std::vector<double> values;

    void add(double milliseconds) { values.push_back(milliseconds); }
    double median() const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t middle = sorted.size() / 2;
        return sorted.size() % 2 != 0 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
    void report(benchmark::State& state, const std::string& name) const {
        state.counters[name + "_median"] = median();
        state.counters[name + "_min"] = *std::min_element(values.begin(), values.end());
        state.counters[name + "_max"] = *std::max_element(values.begin(), values.end());
    }
};

std::vector<std::uint32_t> pixelsOf(const Velvor::Image& image) {
    const auto* first = image.getPixels();
    return {first, first + image.getPixelCount()};
}

bool samePixels(const Velvor::Image& image, const std::vector<std::uint32_t>& pixels) {
    return static_cast<std::size_t>(image.getPixelCount()) == pixels.size() &&
           std::memcmp(image.getPixels(), pixels.data(), pixels.size() * 4) == 0;
}

// The generators (nodes without inputs, collectors aside) in node order.
std::vector<VisualNode*> generatorsOf(Material& material) {
    std::vector<VisualNode*> generators;
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        VisualNode& node = material.getNode(i);
        if (node.getInputCount() == 0 && node.getTypeId() != 0) {
            generators.push_back(&node);
        }
    }
    return generators;
}

// The first number row of the node's panel, selected on the canvas.
ValueEditorInt* firstNumberOf(Editor& editor, const VisualNode& node) {
    canvasOf(editor.window).selectNode(node);
    QApplication::processEvents();
    for (const auto& row : panelOf(editor.window)->getEditors()) {
        if (auto* number = dynamic_cast<ValueEditorInt*>(row.get())) {
            return number;
        }
    }
    return nullptr;
}

// A step of the scroll bar, up or down (away from an end of its range), as a click on its arrow.
void stepOnce(QScrollBar& bar, bool up) {
    const bool canGoUp = bar.value() < bar.maximum();
    const bool canGoDown = bar.value() > bar.minimum();
    bar.triggerAction((up && canGoUp) || !canGoDown ? QAbstractSlider::SliderSingleStepAdd
                                                    : QAbstractSlider::SliderSingleStepSub);
}

// The first generator whose first number changes a collector, and that collector.
struct EditTarget {
    QScrollBar* bar = nullptr;
    const VisualNode* collector = nullptr;
    std::string label; // "generator: row -> collector"
};

EditTarget findEditTarget(Editor& editor) {
    Material& material = editor.material();
    for (VisualNode* generator : generatorsOf(material)) {
        ValueEditorInt* number = firstNumberOf(editor, *generator);
        if (number == nullptr) {
            continue;
        }
        QScrollBar* bar = number->getScrollBar();
        std::vector<std::pair<const VisualNode*, std::vector<std::uint32_t>>> before;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            const VisualNode& node = material.getNode(i);
            if (node.getTypeId() == 0) {
                before.emplace_back(&node, pixelsOf(node.getOperator().getImage()));
            }
        }
        stepOnce(*bar, true);
        editor.window.getDocument().waitForRender();
        for (const auto& [collector, pixels] : before) {
            if (!samePixels(collector->getOperator().getImage(), pixels)) {
                return {bar, collector,
                        generator->getName() + ": " + number->getLabel().toStdString() + " -> " +
                            collector->getName()};
            }
        }
    }
    return {};
}

void parameterToResult(benchmark::State& state, const std::string& example) {
    const Velvor::ThreadCountScope threads(2);
    Editor editor(example);
    const EditTarget target = findEditTarget(editor);
    if (target.bar == nullptr) {
        state.SkipWithError("no generator's number changes a collector");
        return;
    }
    state.SetLabel(target.label);
    editor.window.openResultWindow(target.collector->getId());
    ResultView& view = dynamic_cast<ResultWindow&>(*HelperWindow::openWindows().back()).getView();
    editor.window.getDocument().waitForRender();
    QApplication::processEvents();

    Samples handler, finished, shown, busy;
    Clock::time_point start, renderEnded;
    QObject::connect(&editor.window.getDocument(), &Document::renderFinished, &view,
                     [&] { renderEnded = Clock::now(); });
    for (auto _ : state) {
        for (int i = 0; i < repetitions; ++i) {
            // A refresh rewrites the picture, which changes its key; whether its pixels changed is
            // checked after the time is taken, so that comparing them is not timed.
            const QImage before = view.getPicture().copy();
            const qint64 keyBefore = view.getPicture().cacheKey();
            PaintWaiter paintedNew(view, [&] { return view.getPicture().cacheKey() != keyBefore; });
            const double busyBefore = threadMilliseconds();
            start = Clock::now();
            stepOnce(*target.bar, i % 2 == 0);
            handler.add(millisecondsSince(start));
            if (!paintedNew.wait()) {
                state.SkipWithError("the result window did not show new pixels");
                return;
            }
            shown.add(millisecondsSince(start));
            busy.add(threadMilliseconds() - busyBefore);
            finished.add(millisecondsSince(start, renderEnded));
            if (view.getPicture() == before) {
                state.SkipWithError("the result window painted the old pixels again");
                return;
            }
            editor.window.getDocument().waitForRender();
        }
        state.SetIterationTime(shown.median() / 1000);
    }
    shown.report(state, "shown");
    finished.report(state, "finished");
    handler.report(state, "handler");
    busy.report(state, "ui_cpu");
}

void dragToCanvas(benchmark::State& state, const std::string& example) {
    const Velvor::ThreadCountScope threads(2);
    Editor editor(example);
    NodesView& canvas = canvasOf(editor.window);
    const VisualNode& node = *generatorsOf(editor.material()).front();
    QApplication::processEvents();

    Samples painted, busy;
    const Point from = onScreen(canvas, node, {50, 80});
    for (auto _ : state) {
        sendMouse(canvas, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from);
        QApplication::processEvents();
        for (int i = 0; i < repetitions; ++i) {
            PaintWaiter repainted(canvas, [] { return true; });
            const Point to{from.x + 4 + 4 * (i % 2), from.y + 3 * (i % 2)};
            const double busyBefore = threadMilliseconds();
            const Clock::time_point start = Clock::now();
            sendMouse(canvas, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to);
            if (!repainted.wait()) {
                state.SkipWithError("the canvas did not paint");
                return;
            }
            painted.add(millisecondsSince(start));
            busy.add(threadMilliseconds() - busyBefore);
        }
        sendMouse(canvas, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, from);
        state.SetIterationTime(painted.median() / 1000);
    }
    painted.report(state, "painted");
    busy.report(state, "ui_cpu");
}

} // namespace

BENCHMARK_CAPTURE(parameterToResult, tiles, std::string("tiles"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(parameterToResult, metal_plate, std::string("metal-plate"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(parameterToResult, labelled_panel, std::string("labelled-panel"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(dragToCanvas, tiles, std::string("tiles"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(dragToCanvas, metal_plate, std::string("metal-plate"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(dragToCanvas, labelled_panel, std::string("labelled-panel"))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
