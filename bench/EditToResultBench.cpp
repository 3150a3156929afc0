// Edit to result: for each example at 1024 x 1024, the time from one parameter change of the first
// generator to every collector rendered again (only what lies downstream regenerates) and copied the
// way a result window copies it. Next to it, a full render of the same material, for scale. And, for
// every operator type, how soon a render stops once an edit cancels it, which is how long the edit
// waits.

#include "base/File.h"
#include "core/operators/Mixer.h"
#include "core/operators/Text.h"
#include "core/parallel/Parallel.h"
#include "io/MaterialXml.h"
#include "model/Material.h"

#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

class QuietPrompt : public Prompt {
public:
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    void inform(const std::string&, const std::string&) override {}
};

// The example with every node at side x side.
void loadAt(Material& material, const std::string& name, int side = 1024) {
    QuietPrompt prompt;
    loadXml(material, std::string(VELVOR_SOURCE_DIR) + "/examples/" + name + ".ostra-material", prompt);
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        material.resizeNode(material.getNode(i).getId(), {side, side});
    }
}

VisualNode& firstGenerator(Material& material) {
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        if (material.getNode(i).getInputCount() == 0 && material.getNode(i).getTypeId() != 0) {
            return material.getNode(i);
        }
    }
    return material.getNode(0);
}

void copyResults(const Material& material, std::vector<std::uint32_t>& copy) {
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        const VisualNode& node = material.getNode(i);
        if (node.getTypeId() == 0) {
            const Velvor::Image& image = node.getOperator().getImage();
            copy.resize(static_cast<std::size_t>(image.getPixelCount()));
            std::memcpy(copy.data(), image.getPixels(), copy.size() * 4);
        }
    }
}

void editToResult(benchmark::State& state, const std::string& name) {
    Material material(Material::Empty{});
    loadAt(material, name);
    NullProgress quiet;
    material.renderAll(quiet);
    VisualNode& generator = firstGenerator(material);
    std::vector<std::uint32_t> copy;
    std::int32_t value = 1;
    for (auto _ : state) {
        // The generator's first parameter moves between two values, as a slider does.
        material.setParameter(generator.getId(), 0, value);
        value = 3 - value;
        material.renderAll(quiet);
        copyResults(material, copy);
    }
}

void fullRender(benchmark::State& state, const std::string& name) {
    Material material(Material::Empty{});
    loadAt(material, name);
    NullProgress quiet;
    for (auto _ : state) {
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            material.getNode(i).markDirty();
        }
        material.renderAll(quiet);
    }
}

// A node of one operator type at 4096 x 4096 with its inputs rendered, feeding a collector (a
// Collector feeds nothing): what an edit interrupts when it comes while that node renders.
struct CancelTarget {
    Material material{Material::Empty{}};
    VisualNode* node = nullptr;
};

void buildCancelTarget(CancelTarget& target, int typeId) {
    constexpr Point size{4096, 4096};
    Material& material = target.material;
    VisualNode& node = material.addNode("node", *findNodeType(typeId), size);
    target.node = &node;
    // Ports take a plasma, then a checkerboard: a displacement moves the plasma by the board.
    for (int port = 0; port < node.getInputCount(); ++port) {
        VisualNode& source = material.addNode("source", *findNodeType(port == 0 ? 3 : 1), size);
        material.connect(source, -1, node, port);
    }
    if (typeId != 0) {
        material.connect(node, -1, material.addNode("out", *findNodeType(0), size), 0);
    }
    Velvor::Operator& op = node.getOperator();
    if (auto* mixer = dynamic_cast<Velvor::Mixer*>(&op)) {
        mixer->type = Velvor::Mixer::Hue; // the slowest blend
    } else if (auto* text = dynamic_cast<Velvor::Text*>(&op)) {
        text->x = 0; // a line of glyphs as tall as the image
        text->y = 0;
        text->fontsize = 4096;
        text->setText("Velvor");
    }
    NullProgress quiet;
    material.renderAll(quiet);
}

// The node's operator alone, on this thread, as a render runs it: inputs are set by the first render.
double updateMilliseconds(VisualNode& node) {
    // Under a flag nobody raises, as the editor renders: passes are then cut into their smallest bands.
    const std::atomic<bool> cancel{false};
    const Velvor::CancelScope scope(&cancel);
    const auto start = std::chrono::steady_clock::now();
    node.update();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// On two threads, from raising the cancel flag 20 ms into the node's render to its operator's return.
// An operator done sooner than 60 ms gets its flag a third of the way in instead, so that the flag
// lands while it runs; runs that ended before the flag anyway (the machine is shared) are not
// counted. Counters: the median and the slowest of the counted latencies, how many were counted,
// the time of a whole render and the delay used.
void cancelLatency(benchmark::State& state, int typeId) {
    constexpr std::size_t wanted = 41;
    constexpr int attempts = 120;
    const Velvor::ThreadCountScope threads(2);
    CancelTarget target;
    buildCancelTarget(target, typeId);
    VisualNode& node = *target.node;
    std::vector<double> whole;
    for (int i = 0; i < 5; ++i) {
        whole.push_back(updateMilliseconds(node));
    }
    const double wholeMs = median(whole);
    const auto delay = std::chrono::duration<double, std::milli>(std::min(20.0, wholeMs / 3));
    std::vector<double> latencies;
    for (auto _ : state) {
        for (int i = 0; i < attempts && latencies.size() < wanted; ++i) {
            std::atomic<bool> cancel{false};
            std::chrono::steady_clock::time_point returned;
            std::thread render([&] {
                const Velvor::CancelScope scope(&cancel);
                node.update();
                returned = std::chrono::steady_clock::now();
            });
            std::this_thread::sleep_for(delay);
            const auto raised = std::chrono::steady_clock::now();
            cancel = true;
            render.join();
            if (returned > raised) {
                latencies.push_back(std::chrono::duration<double, std::milli>(returned - raised).count());
            }
        }
        if (latencies.empty()) {
            state.SkipWithError("the operator always finished before the flag");
            return;
        }
        state.SetIterationTime(median(latencies) / 1000);
    }
    state.counters["median_ms"] = median(latencies);
    state.counters["max_ms"] = *std::max_element(latencies.begin(), latencies.end());
    state.counters["counted"] = static_cast<double>(latencies.size());
    state.counters["whole_ms"] = wholeMs;
    state.counters["flag_at_ms"] = delay.count();
}

} // namespace

BENCHMARK_CAPTURE(cancelLatency, Collector, 0)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(cancelLatency, Checkerboard, 1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(cancelLatency, MixerHue, 2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(cancelLatency, Subplasma, 3)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(cancelLatency, Displacement, 4)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(cancelLatency, Text, 5)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(cancelLatency, NormalMap, 6)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(editToResult, tiles, std::string("tiles"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(fullRender, tiles, std::string("tiles"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(editToResult, metal_plate, std::string("metal-plate"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(fullRender, metal_plate, std::string("metal-plate"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(editToResult, labelled_panel, std::string("labelled-panel"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(fullRender, labelled_panel, std::string("labelled-panel"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
