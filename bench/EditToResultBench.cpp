// Edit to result: for each example at 1024 x 1024, the time from one parameter change of the first
// generator to every collector rendered again (only what lies downstream regenerates) and copied the
// way a result window copies it. Next to it, a full render of the same material, for scale. And how
// soon a render of a large material stops once an edit cancels it, which is how long the edit waits.

#include "base/File.h"
#include "io/MaterialXml.h"
#include "model/Material.h"

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

// From raising the cancel flag 20 ms into a full render at 4096 x 4096 to the render's return.
void cancelLatency(benchmark::State& state) {
    Material material(Material::Empty{});
    loadAt(material, "metal-plate", 4096);
    for (auto _ : state) {
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            material.getNode(i).markDirty();
        }
        std::atomic<bool> cancel{false};
        std::thread render([&] {
            NullProgress quiet;
            material.renderAll(quiet, RenderControl{&cancel});
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto raised = std::chrono::steady_clock::now();
        cancel = true;
        render.join();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - raised).count());
    }
}

} // namespace

BENCHMARK(cancelLatency)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
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
