// Every operator against a memcpy of the same image bytes, measured in one run, with one thread and
// with two (the second argument, or the third for the mixer).
#include "core/operators/Checkboard.h"
#include "core/operators/Collector.h"
#include "core/operators/Displacement.h"
#include "core/operators/Mixer.h"
#include "core/operators/NormalMap.h"
#include "core/operators/SubPlasma.h"
#include "core/operators/Text.h"
#include "core/parallel/Parallel.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

// The thread count from the benchmark's argument at `index`, for the whole benchmark.
int threadsOf(const benchmark::State& state, int index) {
    return static_cast<int>(state.range(index));
}

// Times `pass` after one untimed run, so that its images are mapped and the thread pool is started,
// as they are whenever the editor renders a material again: first-touch page faults are not the
// operator's cost.
template <class Pass> void timeWarm(benchmark::State& state, int side, const Pass& pass) {
    pass();
    for (auto _ : state) {
        pass();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * side * side * 4);
}

void BM_Memcpy(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    Velvor::Image source(side, side);
    Velvor::Image target(side, side);
    source.fill(0xFF102030u);
    timeWarm(state, side, [&] {
        std::memcpy(target.getPixels(), source.getPixels(), static_cast<std::size_t>(side) * side * 4);
    });
}

template <class Op> void BM_Generator(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Velvor::ThreadCountScope threads(threadsOf(state, 1));
    Op op(side, side);
    timeWarm(state, side, [&] { op.generate(nullptr); });
}

// A small image from an operator made for the render, as the packed reader makes every node: what
// the operator costs to set up shows beside its pixels.
template <class Op> void BM_FreshSmall(benchmark::State& state) {
    constexpr int side = 32;
    const Velvor::ThreadCountScope threads(1);
    for (auto _ : state) {
        Op op(side, side);
        op.generate(nullptr);
        benchmark::DoNotOptimize(op.getImage().getPixels());
    }
}

void BM_Collector(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Velvor::ThreadCountScope threads(threadsOf(state, 1));
    Velvor::Image source(side, side);
    source.fill(0xFF102030u); // untouched pages would all read the one shared zero page
    Velvor::Collector op(side, side);
    const Velvor::Image* inputs[] = {&source};
    timeWarm(state, side, [&] { op.generate(inputs); });
}

// A tinted plasma: inputs with varied channels, so no blend type takes an easy path.
Velvor::Image plasma(int side, std::int16_t seed, Velvor::Pixel colour) {
    Velvor::SubPlasma source(side, side);
    source.seed = seed;
    source.colour = colour;
    source.generate(nullptr);
    return source.getImage();
}

void BM_Mixer(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Velvor::ThreadCountScope threads(threadsOf(state, 2));
    const Velvor::Image a = plasma(side, 1, 0xFFFFA040u);
    const Velvor::Image b = plasma(side, 2, 0xC040A0FFu);
    Velvor::Mixer op(side, side);
    op.type = static_cast<std::int16_t>(state.range(1));
    const Velvor::Image* inputs[] = {&a, &b};
    timeWarm(state, side, [&] { op.generate(inputs); });
}

void BM_Displacement(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Velvor::ThreadCountScope threads(threadsOf(state, 1));
    const Velvor::Image source = plasma(side, 3, 0xFFFFFFFFu);
    const Velvor::Image modulator = plasma(side, 4, 0xFFFF80C0u);
    Velvor::Displacement op(side, side);
    op.amountYSource = Velvor::Displacement::Green;
    const Velvor::Image* inputs[] = {&source, &modulator};
    timeWarm(state, side, [&] { op.generate(inputs); });
}

void BM_NormalMap(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Velvor::ThreadCountScope threads(threadsOf(state, 1));
    const Velvor::Image source = plasma(side, 5, 0xFFFFFFFFu);
    Velvor::NormalMap op(side, side);
    const Velvor::Image* inputs[] = {&source};
    timeWarm(state, side, [&] { op.generate(inputs); });
}

void sidesAndThreads(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"side", "threads"})->ArgsProduct({{256, 2048, 4096}, {1, 2}})->UseRealTime();
}

} // namespace

// Real time: with two threads the CPU time of the calling thread alone would flatter.
BENCHMARK(BM_Memcpy)->Arg(256)->Arg(2048)->Arg(2056)->Arg(4096)->UseRealTime();
BENCHMARK(BM_Generator<Velvor::Checkboard>)->Name("Checkerboard")->Apply(sidesAndThreads);
BENCHMARK(BM_Generator<Velvor::SubPlasma>)->Name("Subplasma")->Apply(sidesAndThreads);
BENCHMARK(BM_Generator<Velvor::Text>)->Name("Text")->Apply(sidesAndThreads);
BENCHMARK(BM_FreshSmall<Velvor::Checkboard>)->Name("FreshSmall/Checkerboard");
BENCHMARK(BM_FreshSmall<Velvor::Text>)->Name("FreshSmall/Text");
BENCHMARK(BM_Collector)->Apply(sidesAndThreads);
BENCHMARK(BM_Mixer)
    ->ArgNames({"side", "type", "threads"})
    ->ArgsProduct({{256, 2048, 4096}, {0, 1, 2, 3}, {1, 2}})
    ->UseRealTime();
BENCHMARK(BM_Displacement)->Apply(sidesAndThreads);
// 2056 beside 2048: rows whose length is a power of two share their low address bits.
BENCHMARK(BM_NormalMap)
    ->ArgNames({"side", "threads"})
    ->ArgsProduct({{256, 2048, 2056, 4096}, {1, 2}})
    ->UseRealTime();
