// highlightTerm per call over a fixed table of varied inputs, against a floor
// that does only what no implementation can skip: one sqrt, one pow and the
// three divisions (reciprocal length, exponent, band position).
#include "floor_ratio.h"
#include "highlight.h"

#include <cmath>
#include <vector>

namespace {

using shading::Float3;

struct Sample {
    Float3 V, N, L, lightColour, specularColour;
    float roughness, sharpness, weight;
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
        s.lightColour = {1.0f, 0.9f, 0.8f};
        s.specularColour = {0.5f, 0.5f, 0.5f};
        s.roughness = 0.05f + 0.9f * static_cast<float>(i % 31) / 31.0f;
        s.sharpness = static_cast<float>(i % 23) / 20.0f;
        s.weight = 1.0f;
        table.push_back(s);
    }
    return table;
}

void BM_HighlightTerm(benchmark::State& state)
{
    const std::vector<Sample> table = makeTable();
    const auto work = [&] {
        for (const Sample& s : table) {
            Float3 c = shading::highlightTerm(s.V, s.N, s.L, s.lightColour, s.specularColour,
                                              s.roughness, s.sharpness, s.weight);
            benchmark::DoNotOptimize(c);
        }
    };
    const auto floor = [&] {
        for (const Sample& s : table) {
            float length = std::sqrt(s.L.x + s.V.y);
            float inverse = 1.0f / length;
            float exponent = 1.0f / s.roughness;
            float lobe = std::pow(s.N.z * inverse, exponent);
            float t = (lobe - s.sharpness) / (s.weight - s.sharpness);
            benchmark::DoNotOptimize(t);
        }
    };
    bench::runAgainstFloor(state, static_cast<std::int64_t>(table.size()), work, floor);
}
BENCHMARK(BM_HighlightTerm)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
