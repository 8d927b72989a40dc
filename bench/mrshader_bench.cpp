// kova_glossy per call, loaded through the stand-in renderer, with 1 light of
// 1 sample and 4 lights of 4 samples, against a floor that does what no
// implementation can skip: one copy of the state, and per light sample the
// diffuse sum and highlightTerm, called directly on the same inputs
// ("x_floor"). Beside it the shader alone ("x_alone"): a second copy of the
// library bound to the answering renderer, whose light samples were worked
// out beforehand, against everything the shader must do written inline:
// reading the parameters, normalising the offset normal, copying the state,
// per sample the diffuse term and the highlight, per light the average,
// ambient and incandescence, the tests of reflectivity and irradiance.
#include <dlfcn.h>

#include "answering_renderer.h"
#include "floor_ratio.h"
#include "highlight.h"
#include "highlight_inline.h"
#include "kova_glossy_params.h"

#include <cmath>
#include <cstring>
#include <stdexcept>
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
    std::vector<miColor> colors;
};

struct Setup {
    mrhost::ShaderDeclaration declaration = mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy");
    mrhost::ShaderLibrary library{KOVA_GLOSSY_MODULE_PATH, declaration};
    mrhost::Scene scene;
    mrhost::ParameterRecord record{declaration};
    std::vector<Light> lights;
    std::vector<miState> states;
    // The shader alone: its own copy of the library, its own record whose
    // light tags 1 ... n name the answering renderer's lights.
    mrhost::ShaderLibrary aloneLibrary{KOVA_GLOSSY_ALONE_PATH, declaration};
    mrhost::ParameterRecord aloneRecord{declaration};
    std::vector<std::vector<AnsweredSample>> answered;
    std::vector<AnsweredLight> answeredLights;
    void* answeringRenderer = nullptr;

    Setup(int lightCount, int samplesPerLight)
    {
        std::vector<miTag> tags;
        for (int l = 0; l < lightCount; ++l) {
            Light light;
            for (int s = 0; s < samplesPerLight; ++s) {
                const float a = 0.7f * static_cast<float>(l) + 0.2f * static_cast<float>(s);
                const float length = std::sqrt(0.36f + 0.64f);
                light.directions.push_back({0.6f * std::cos(a) / length, 0.6f * std::sin(a) / length, 0.8f / length});
                light.colors.push_back({1.0f, 0.9f, 0.8f, 1.0f});
            }
            tags.push_back(scene.addScriptedLight(light.directions.data(), light.colors.data(), samplesPerLight));
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
        bindAnsweringRenderer();
    }

    ~Setup()
    {
        if (answeringRenderer != nullptr) dlclose(answeringRenderer);
    }

    void bindAnsweringRenderer()
    {
        std::vector<miTag> tags;
        for (const Light& light : lights) {
            std::vector<AnsweredSample> samples;
            for (std::size_t k = 0; k < light.directions.size(); ++k) {
                const miVector& d = light.directions[k];
                samples.push_back({light.colors[k], d, d.z});
            }
            answered.push_back(std::move(samples));
            tags.push_back(static_cast<miTag>(answered.size()));
        }
        for (const std::vector<AnsweredSample>& samples : answered) {
            answeredLights.push_back({samples.data(), static_cast<int>(samples.size())});
        }
        aloneRecord.setArray("light", tags.data(), static_cast<int>(tags.size()));
        aloneRecord.setScalar("reflectivity", 0.0f);

        answeringRenderer = dlopen(ANSWERING_RENDERER_PATH, RTLD_NOW | RTLD_LOCAL);
        if (answeringRenderer == nullptr) throw std::runtime_error(dlerror());
        const auto use = reinterpret_cast<AnsweringRendererUse>(dlsym(answeringRenderer, "answering_renderer_use"));
        using SetHandle = void (*)(void*);
        const auto setHandle = reinterpret_cast<SetHandle>(aloneLibrary.symbol("miSetModuleHandle"));
        if (use == nullptr || setHandle == nullptr) throw std::runtime_error("answering renderer not bound");
        use(answeredLights.data(), static_cast<int>(answeredLights.size()));
        setHandle(answeringRenderer);
    }
};

// The diffuse light of one sample (colour c from direction L), added to the
// light's sum; both floors share it.
inline void addDiffuse(const Float3& N, const Float3& L, const Float3& c, const kova_glossy_params& p, Float3& sum)
{
    const float cosL = (L.y * N.y + L.x * N.x) + L.z * N.z;
    if (cosL > 0.0f) {
        const float weight = cosL * p.diffuse;
        sum.x += c.x * weight * p.color.r;
        sum.y += c.y * weight * p.color.g;
        sum.z += c.z * weight * p.color.b;
    }
}

// Everything kova_glossy must do for one sample, written inline, on the
// answering renderer's samples. Connections are out of this benchmark: the
// floor only tests that none is there, as the shader does.
miColor shadeInline(const miState& s, const kova_glossy_params& p, const std::vector<AnsweredLight>& lights)
{
    miColor result{0.0f, 0.0f, 0.0f, std::nanf("")};
    if (s.shader->ghost_offs != 0) return result;
    Float3 N{s.normal.x + p.normalOffset.x, s.normal.y + p.normalOffset.y, s.normal.z + p.normalOffset.z};
    const float length = std::sqrt((N.y * N.y + N.x * N.x) + N.z * N.z);
    if (length != 0.0f) {
        const float inverse = 1.0f / length;
        N = {N.x * inverse, N.y * inverse, N.z * inverse};
    }
    miState copy = s;
    copy.normal = {N.x, N.y, N.z};
    benchmark::DoNotOptimize(copy);

    const Float3 V{-s.dir.x, -s.dir.y, -s.dir.z};
    const Float3 specularColor{p.specularColor.r, p.specularColor.g, p.specularColor.b};
    const miTag* const tags = p.light;
    for (miInteger l = 0; l < p.n_light; ++l) {
        const AnsweredLight& light = lights[tags[p.i_light + l] - 1];
        Float3 sum;
        for (int k = 0; k < light.count; ++k) {
            const AnsweredSample& sample = light.samples[k];
            const Float3 L{sample.direction.x, sample.direction.y, sample.direction.z};
            const Float3 c{sample.color.r, sample.color.g, sample.color.b};
            addDiffuse(N, L, c, p, sum);
            bench::addHighlight(V, N, L, c, specularColor, p.roughness, p.sharpness, p.specularWeight, sum);
        }
        if (light.count > 0) {
            const float count = static_cast<float>(light.count);
            result.r += sum.x / count;
            result.g += sum.y / count;
            result.b += sum.z / count;
        }
    }
    // Reflection and irradiance are off in this benchmark: the floor only
    // tests them, and marks a result it could not finish with a NaN alpha.
    const bool unfinished = p.reflectivity > 0.0f || p.useIrradiance != miFALSE;
    result.r += p.ambientColor.r * p.color.r;
    result.g += p.ambientColor.g * p.color.g;
    result.b += p.ambientColor.b * p.color.b;
    result.r += p.incandescence.r;
    result.g += p.incandescence.g;
    result.b += p.incandescence.b;
    result.a = unfinished ? std::nanf("") : 1.0f;
    return result;
}

bool sameBits(const miColor& a, const miColor& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// One call of the shader per state, as the renderer makes them.
void shadeEach(mrhost::ShaderFunction shader, void* params, std::vector<miState>& states)
{
    for (miState& s : states) {
        miColor result{0.0f, 0.0f, 0.0f, 0.0f};
        shader(&result, &s, params);
        benchmark::DoNotOptimize(result);
    }
}

void shadeWithKovaGlossy(benchmark::State& state, int lightCount, int samplesPerLight)
{
    Setup setup(lightCount, samplesPerLight);
    const mrhost::ShaderFunction shader = setup.library.shader();
    void* params = setup.record.parameters();
    const auto& p = *static_cast<const kova_glossy_params*>(params);

    const auto work = [&] { shadeEach(shader, params, setup.states); };
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
                    const Float3 c{light.colors[k].r, light.colors[k].g, light.colors[k].b};
                    addDiffuse(N, L, c, p, sum);
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

    const mrhost::ShaderFunction aloneShader = setup.aloneLibrary.shader();
    void* aloneParams = setup.aloneRecord.parameters();
    const auto& aloneP = *static_cast<const kova_glossy_params*>(aloneParams);
    // The floor must give the shader's own bits, or it is not the same work.
    for (miState& s : setup.states) {
        miColor shaded{0.0f, 0.0f, 0.0f, 0.0f};
        aloneShader(&shaded, &s, aloneParams);
        if (!sameBits(shaded, shadeInline(s, aloneP, setup.answeredLights))) {
            state.SkipWithError("the inline floor and kova_glossy give different bits");
            return;
        }
    }
    const auto alone = [&] { shadeEach(aloneShader, aloneParams, setup.states); };
    const auto aloneFloor = [&] {
        for (const miState& s : setup.states) {
            miColor result = shadeInline(s, aloneP, setup.answeredLights);
            benchmark::DoNotOptimize(result);
        }
    };
    bench::runAgainstFloors(state, static_cast<std::int64_t>(setup.states.size()), work, floor, alone, aloneFloor);
}

void BM_KovaGlossy_1Light1Sample(benchmark::State& state) { shadeWithKovaGlossy(state, 1, 1); }
void BM_KovaGlossy_4Lights4Samples(benchmark::State& state) { shadeWithKovaGlossy(state, 4, 4); }
BENCHMARK(BM_KovaGlossy_1Light1Sample)->UseManualTime();
BENCHMARK(BM_KovaGlossy_4Lights4Samples)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
