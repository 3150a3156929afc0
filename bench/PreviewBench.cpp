// The lit preview while the light follows the mouse, on the real view (Qt's offscreen platform): the
// tiles example at side x side, the mouse moving across the view at 125 moves a second for one second
// an iteration, the event loop running between moves as in the editor. Reported: frames shown a
// second, the user-interface thread's time in each move's handler (mean and longest), and its time
// a move in all (the handler, taking finished frames and painting them). Beside it, one frame's
// shading: the plain loop on one thread as every move ran it before, and the banded vector path.

#include "gui/common/ImageConversion.h"
#include "gui/preview/LitPicture.h"
#include "gui/preview/PreviewWindow.h"
#include "io/MaterialXml.h"
#include "model/Material.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

class QuietPrompt : public Prompt {
public:
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    void inform(const std::string&, const std::string&) override {}
};

std::unique_ptr<Material> tilesAt(int side) {
    auto material = std::make_unique<Material>(Material::Empty{});
    QuietPrompt prompt;
    loadXml(*material, std::string(VELVOR_SOURCE_DIR) + "/examples/tiles.ostra-material", prompt);
    for (std::size_t i = 0; i < material->getNodeCount(); ++i) {
        material->resizeNode(material->getNode(i).getId(), {side, side});
    }
    NullProgress quiet;
    material->renderAll(quiet);
    return material;
}

LitMaps mapsOf(const Material& material) {
    // tiles: Diffuse map, Normal map, Specular map first.
    return {material.getNode(0).getOperator().getImage(), material.getNode(1).getOperator().getImage(),
            material.getNode(2).getOperator().getImage()};
}

double milliseconds(qint64 nanoseconds) {
    return static_cast<double>(nanoseconds) / 1e6;
}

void lightFollowsTheMouse(benchmark::State& state) {
    const auto material = tilesAt(static_cast<int>(state.range(0)));
    PreviewView view(nullptr, *material);
    view.resize(800, 600);
    view.show();
    view.refresh();
    view.waitUntilShaded();
    int frames = 0;
    QObject::connect(&view.getShader(), &PreviewShader::frameShown, [&] { ++frames; });
    constexpr qint64 moveEvery = 8'000'000; // ns: 125 moves a second
    qint64 handlers = 0, longest = 0, busy = 0, moves = 0, seconds = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        for (qint64 tick = 0; tick < 1'000'000'000; tick += moveEvery) {
            const QPoint at(static_cast<int>(moves * 7 % 800), static_cast<int>(moves * 5 % 600));
            QMouseEvent move(QEvent::MouseMove, QPointF(at), view.mapToGlobal(QPointF(at)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            const qint64 before = clock.nsecsElapsed();
            QApplication::sendEvent(&view, &move);
            const qint64 handler = clock.nsecsElapsed() - before;
            handlers += handler;
            busy += handler;
            longest = std::max(longest, handler);
            ++moves;
            while (clock.nsecsElapsed() < tick + moveEvery) {
                const qint64 start = clock.nsecsElapsed();
                QApplication::processEvents();
                busy += clock.nsecsElapsed() - start;
                QThread::usleep(200);
            }
        }
        seconds += 1;
    }
    state.counters["fps"] = static_cast<double>(frames) / static_cast<double>(seconds);
    state.counters["move_ms"] = milliseconds(handlers) / static_cast<double>(moves);
    state.counters["move_max_ms"] = milliseconds(longest);
    state.counters["ui_ms_per_move"] = milliseconds(busy) / static_cast<double>(moves);
    view.waitUntilShaded();
}

// What every move cost before: the plain loop on one thread, then the picture for the view.
void plainFrame(benchmark::State& state) {
    const auto material = tilesAt(static_cast<int>(state.range(0)));
    const LitMaps maps = mapsOf(*material);
    Velvor::Image shaded(0, 0);
    const int side = static_cast<int>(state.range(0));
    for (auto _ : state) {
        shadeLitPlane(maps.diffuse, maps.normals, &*maps.specular,
                      lightAbove({side / 3, side / 4}, side, side), shaded);
        benchmark::DoNotOptimize(displayedImage(shaded));
    }
}

void bandedFrame(benchmark::State& state) {
    const auto material = tilesAt(static_cast<int>(state.range(0)));
    const LitMaps maps = mapsOf(*material);
    QImage picture;
    const int side = static_cast<int>(state.range(0));
    for (auto _ : state) {
        shadeLitPicture(maps, lightAbove({side / 3, side / 4}, side, side), picture);
        benchmark::DoNotOptimize(picture.constBits());
    }
}

} // namespace

BENCHMARK(plainFrame)->Arg(512)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();
// CPU time of every thread: on two idle processors a frame takes about half of it.
BENCHMARK(bandedFrame)
    ->Arg(512)
    ->Arg(1024)
    ->Arg(2048)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(lightFollowsTheMouse)
    ->Arg(1024)
    ->Arg(2048)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
