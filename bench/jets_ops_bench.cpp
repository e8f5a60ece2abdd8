// Cost of the jet operations that dominate a surface rebuild. Each iteration
// takes the next operands from a ring of random jets, so nothing folds to a
// constant and the branch on the value sees realistic variety.
#include <array>
#include <bit>
#include <cstddef>
#include <random>

#include <benchmark/benchmark.h>

#include "jets/Jets.h"

namespace {

constexpr std::size_t ringSize = 256; // a power of two: the index wraps with a mask

template <class Jet>
Jet randomJet(std::mt19937& rng, double low, double high)
{
    std::uniform_real_distribution<double> value(low, high), derivative(-1, 1);
    std::array<double, sizeof(Jet) / sizeof(double)> fields; // value first, then derivatives
    fields[0] = value(rng);
    for (std::size_t i = 1; i < fields.size(); ++i)
        fields[i] = derivative(rng);
    return std::bit_cast<Jet>(fields);
}

template <class Jet>
const std::array<Jet, ringSize>& ring(double low, double high)
{
    static const std::array<Jet, ringSize> jets = [&] {
        std::mt19937 rng(17);
        std::array<Jet, ringSize> out;
        for (Jet& f : out)
            f = randomJet<Jet>(rng, low, high);
        return out;
    }();
    return jets;
}

const std::array<Jet4Vec, ringSize>& vectorRing()
{
    static const std::array<Jet4Vec, ringSize> vectors = [] {
        const auto& jets = ring<Jet4>(-2, 2);
        std::array<Jet4Vec, ringSize> out;
        for (std::size_t i = 0; i < ringSize; ++i)
            out[i] = Jet4Vec(jets[i], jets[(i + 1) % ringSize], jets[(i + 2) % ringSize]);
        return out;
    }();
    return vectors;
}

void jet8Product(benchmark::State& state)
{
    const auto& jets = ring<Jet8>(-2, 2);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(jets[i] * jets[(i + 1) & (ringSize - 1)]);
        i = (i + 1) & (ringSize - 1);
    }
}

void jet8SinTurns(benchmark::State& state)
{
    const auto& jets = ring<Jet8>(-2, 2);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sinTurns(jets[i]));
        i = (i + 1) & (ringSize - 1);
    }
}

// Positive bases, as in the surface. The exponent is a compile-time constant as
// at every call site of the construction, so the integer fast paths are chosen
// once, when the code is compiled. It is given in hundredths.
template <int hundredths>
void jet8Pow(benchmark::State& state)
{
    constexpr double exponent = hundredths / 100.0;
    const auto& jets = ring<Jet8>(0.25, 4);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pow(jets[i], exponent));
        i = (i + 1) & (ringSize - 1);
    }
}

void jet4VecNormalize(benchmark::State& state)
{
    const auto& vectors = vectorRing();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(normalize(vectors[i]));
        i = (i + 1) & (ringSize - 1);
    }
}

void jet4VecCross(benchmark::State& state)
{
    const auto& vectors = vectorRing();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cross(vectors[i], vectors[(i + 7) & (ringSize - 1)]));
        i = (i + 1) & (ringSize - 1);
    }
}

} // namespace

BENCHMARK(jet8Product);
BENCHMARK(jet8SinTurns);
BENCHMARK_TEMPLATE(jet8Pow, 200);
BENCHMARK_TEMPLATE(jet8Pow, 300);
BENCHMARK_TEMPLATE(jet8Pow, -100);
BENCHMARK_TEMPLATE(jet8Pow, -50);
BENCHMARK_TEMPLATE(jet8Pow, 170);
BENCHMARK(jet4VecNormalize);
BENCHMARK(jet4VecCross);
