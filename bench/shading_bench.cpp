// highlightTerm per call over a fixed table of varied inputs, against a floor
// that does only what no implementation can skip: one sqrt, one pow and the
// three divisions (reciprocal length, exponent, band position).
#include "floor_ratio.h"
#include "highlight.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using shading::Float3;

struct Sample {
    Float3 V, N, L, lightColor, specularColor;
    float roughness, sharpness, weight;
    // What the floor starts from: the squared half-vector length, the
    // unnormalised N·H and the band, so its sqrt, pow and divisions see the
    // operands the real path sees.
    float halfLengthSquared, rawCosH, lower, upper;
};

Float3 unit(float x, float y, float z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    return {x / length, y / length, z / length};
}

// Deterministic spread of directions and parameters, most of them lit so the
// full path runs; a few from behind keep the early exit honest.
std::vector<Sample> makeTable()
{
    std::vector<Sample> table;
    for (int i = 0; i < 1024; ++i) {
        const float a = 0.37f * static_cast<float>(i);
        const float b = 0.11f * static_cast<float>(i % 97);
        Sample s;
        s.N = unit(0.1f * std::sin(b), 0.1f * std::cos(b), 1.0f);
        s.V = unit(0.3f * std::cos(a), 0.2f * std::sin(a), 1.0f);
        s.L = unit(std::sin(a), std::cos(b), (i % 16 == 0) ? -0.5f : 1.0f);
        s.lightColor = {1.0f, 0.9f, 0.8f};
        s.specularColor = {0.5f, 0.5f, 0.5f};
        s.roughness = 0.05f + 0.9f * static_cast<float>(i % 31) / 31.0f;
        s.sharpness = static_cast<float>(i % 23) / 20.0f;
        s.weight = 1.0f;
        const Float3 H{s.L.x + s.V.x, s.L.y + s.V.y, s.L.z + s.V.z};
        s.halfLengthSquared = H.x * H.x + H.y * H.y + H.z * H.z;
        s.rawCosH = std::max(H.x * s.N.x + H.y * s.N.y + H.z * s.N.z, 0.0f);
        const shading::Band band = shading::highlightBand(s.sharpness);
        s.lower = band.lower;
        s.upper = band.upper;
        table.push_back(s);
    }
    return table;
}

void BM_HighlightTerm(benchmark::State& state)
{
    const std::vector<Sample> table = makeTable();
    const auto work = [&] {
        for (const Sample& s : table) {
            Float3 c = shading::highlightTerm(s.V, s.N, s.L, s.lightColor, s.specularColor, s.roughness, s.sharpness,
                                              s.weight);
            benchmark::DoNotOptimize(c);
        }
    };
    const auto floor = [&] {
        for (const Sample& s : table) {
            const float length = std::sqrt(s.halfLengthSquared);
            const float inverse = 1.0f / length;
            const float exponent = 1.0f / s.roughness;
            const float lobe = std::pow(s.rawCosH * inverse, exponent);
            const float t = (lobe - s.lower) / (s.upper - s.lower);
            benchmark::DoNotOptimize(t);
        }
    };
    bench::runAgainstFloor(state, static_cast<std::int64_t>(table.size()), work, floor);
}
BENCHMARK(BM_HighlightTerm)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
