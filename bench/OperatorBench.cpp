// Every operator against a memcpy of the same image bytes, measured in one run.
#include "core/Checkboard.h"
#include "core/Collector.h"
#include "core/Displacement.h"
#include "core/Mixer.h"
#include "core/NormalMap.h"
#include "core/SubPlasma.h"
#include "core/Text.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

void setBytes(benchmark::State& state, int side) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * side * side * 4);
}

void BM_Memcpy(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    Velvor::Image source(side, side);
    Velvor::Image target(side, side);
    source.fill(0xFF102030u);
    for (auto _ : state) {
        std::memcpy(target.getPixels(), source.getPixels(), static_cast<std::size_t>(side) * side * 4);
        benchmark::ClobberMemory();
    }
    setBytes(state, side);
}

template <class Op> void BM_Generator(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    Op op(side, side);
    for (auto _ : state) {
        op.generate(nullptr);
        benchmark::ClobberMemory();
    }
    setBytes(state, side);
}

void BM_Collector(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    Velvor::Image source(side, side);
    source.fill(0xFF102030u); // untouched pages would all read the one shared zero page
    Velvor::Collector op(side, side);
    const Velvor::Image* inputs[] = {&source};
    for (auto _ : state) {
        op.generate(inputs);
        benchmark::ClobberMemory();
    }
    setBytes(state, side);
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
    const Velvor::Image a = plasma(side, 1, 0xFFFFA040u);
    const Velvor::Image b = plasma(side, 2, 0xC040A0FFu);
    Velvor::Mixer op(side, side);
    op.type = static_cast<std::int16_t>(state.range(1));
    const Velvor::Image* inputs[] = {&a, &b};
    for (auto _ : state) {
        op.generate(inputs);
        benchmark::ClobberMemory();
    }
    setBytes(state, side);
}

void BM_Displacement(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Velvor::Image source = plasma(side, 3, 0xFFFFFFFFu);
    const Velvor::Image modulator = plasma(side, 4, 0xFFFF80C0u);
    Velvor::Displacement op(side, side);
    op.amountYSource = Velvor::Displacement::Green;
    const Velvor::Image* inputs[] = {&source, &modulator};
    for (auto _ : state) {
        op.generate(inputs);
        benchmark::ClobberMemory();
    }
    setBytes(state, side);
}

void BM_NormalMap(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Velvor::Image source = plasma(side, 5, 0xFFFFFFFFu);
    Velvor::NormalMap op(side, side);
    const Velvor::Image* inputs[] = {&source};
    for (auto _ : state) {
        op.generate(inputs);
        benchmark::ClobberMemory();
    }
    setBytes(state, side);
}

} // namespace

BENCHMARK(BM_Memcpy)->Arg(256)->Arg(2048);
BENCHMARK(BM_Generator<Velvor::Checkboard>)->Name("Checkerboard")->Arg(256)->Arg(2048);
BENCHMARK(BM_Generator<Velvor::SubPlasma>)->Name("Subplasma")->Arg(256)->Arg(2048);
BENCHMARK(BM_Generator<Velvor::Text>)->Name("Text")->Arg(256)->Arg(2048);
BENCHMARK(BM_Collector)->Arg(256)->Arg(2048);
BENCHMARK(BM_Mixer)->ArgNames({"side", "type"})->ArgsProduct({{256, 2048}, {0, 1, 2, 3}});
BENCHMARK(BM_Displacement)->Arg(256)->Arg(2048);
BENCHMARK(BM_NormalMap)->Arg(256)->Arg(2048);
