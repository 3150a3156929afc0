// Every operator against a memcpy of the same image bytes, measured in one run.
#include <benchmark/benchmark.h>
#include <cstring>

#include "core/Checkboard.h"
#include "core/Collector.h"
#include "core/SubPlasma.h"

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

template <class Op>
void BM_Generator(benchmark::State& state) {
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
    Velvor::Collector op(side, side);
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
BENCHMARK(BM_Collector)->Arg(256)->Arg(2048);
