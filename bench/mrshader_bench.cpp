// kova_glossy per call, loaded through the stand-in renderer, with 1 light of
// 1 sample and 4 lights of 4 samples, against a floor that does what no
// implementation can skip: one copy of the state, and per light sample the
// diffuse sum and highlightTerm, called directly on the same inputs.
#include "floor_ratio.h"
#include "highlight.h"
#include "kova_glossy_params.h"

#include <cmath>
#include <vector>

#include "mrhost/declaration.h"
#include "mrhost/parameter_record.h"
#include "mrhost/sample.h"
#include "mrhost/scene.h"
#include "mrhost/shader_library.h"

namespace {

using shading::Float3;

struct Light {
    std::vector<miVector> directions;
    std::vector<miColor> colours;
};

struct Setup {
    mrhost::ShaderDeclaration declaration = mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy");
    mrhost::ShaderLibrary library{KOVA_GLOSSY_MODULE_PATH, declaration};
    mrhost::Scene scene;
    mrhost::ParameterRecord record{declaration};
    std::vector<Light> lights;
    std::vector<miState> states;

    Setup(int lightCount, int samplesPerLight)
    {
        std::vector<miTag> tags;
        for (int l = 0; l < lightCount; ++l) {
            Light light;
            for (int s = 0; s < samplesPerLight; ++s) {
                const float a = 0.7f * static_cast<float>(l) + 0.2f * static_cast<float>(s);
                const float length = std::sqrt(0.36f + 0.64f);
                light.directions.push_back({0.6f * std::cos(a) / length, 0.6f * std::sin(a) / length, 0.8f / length});
                light.colours.push_back({1.0f, 0.9f, 0.8f, 1.0f});
            }
            tags.push_back(scene.addScriptedLight(light.directions.data(), light.colours.data(), samplesPerLight));
            lights.push_back(std::move(light));
        }
        record.setArray("light", tags.data(), lightCount);
        record.setScalar("reflectivity", 0.0f);

        // States of a small curved patch, filled as the renderer fills them.
        mrhost::SampleContext context(scene);
        for (int i = 0; i < 256; ++i) {
            mrhost::SampleGeometry g;
            const float u = static_cast<float>(i % 16) / 16.0f - 0.5f;
            const float v = static_cast<float>(i / 16) / 16.0f - 0.5f;
            const float n = std::sqrt(u * u + v * v + 1.0f);
            g.point = {u, v, 0.0f};
            g.normal = {u / n, v / n, 1.0f / n};
            states.push_back(context.begin(record, g));
        }
    }
};

void shadeWithKovaGlossy(benchmark::State& state, int lightCount, int samplesPerLight)
{
    Setup setup(lightCount, samplesPerLight);
    const mrhost::ShaderFunction shader = setup.library.shader();
    void* params = setup.record.parameters();
    const auto& p = *static_cast<const kova_glossy_params*>(params);

    const auto work = [&] {
        for (miState& s : setup.states) {
            miColor result{0.0f, 0.0f, 0.0f, 0.0f};
            shader(&result, &s, params);
            benchmark::DoNotOptimize(result);
        }
    };
    const auto floor = [&] {
        for (const miState& s : setup.states) {
            miState copy = s;
            benchmark::DoNotOptimize(copy);
            const Float3 N{copy.normal.x, copy.normal.y, copy.normal.z};
            const Float3 V{-s.dir.x, -s.dir.y, -s.dir.z};
            Float3 result;
            for (const Light& light : setup.lights) {
                Float3 sum;
                for (std::size_t k = 0; k < light.directions.size(); ++k) {
                    const Float3 L{light.directions[k].x, light.directions[k].y, light.directions[k].z};
                    const Float3 c{light.colours[k].r, light.colours[k].g, light.colours[k].b};
                    const float cosL = (L.y * N.y + L.x * N.x) + L.z * N.z;
                    if (cosL > 0.0f) {
                        const float weight = cosL * p.diffuse;
                        sum.x += c.x * weight * p.color.r;
                        sum.y += c.y * weight * p.color.g;
                        sum.z += c.z * weight * p.color.b;
                    }
                    const Float3 h =
                        shading::highlightTerm(V, N, L, c, {p.specularColor.r, p.specularColor.g, p.specularColor.b},
                                               p.roughness, p.sharpness, p.specularWeight);
                    sum.x += h.x;
                    sum.y += h.y;
                    sum.z += h.z;
                }
                const float count = static_cast<float>(light.directions.size());
                result.x += sum.x / count;
                result.y += sum.y / count;
                result.z += sum.z / count;
            }
            benchmark::DoNotOptimize(result);
        }
    };
    bench::runAgainstFloor(state, static_cast<std::int64_t>(setup.states.size()), work, floor);
}

void BM_KovaGlossy_1Light1Sample(benchmark::State& state) { shadeWithKovaGlossy(state, 1, 1); }
void BM_KovaGlossy_4Lights4Samples(benchmark::State& state) { shadeWithKovaGlossy(state, 4, 4); }
BENCHMARK(BM_KovaGlossy_1Light1Sample)->UseManualTime();
BENCHMARK(BM_KovaGlossy_4Lights4Samples)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
