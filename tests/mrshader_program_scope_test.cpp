// A renderer program that keeps its functions in the executable itself and
// hands kova_glossy no module handle, as renderers outside Windows do: the
// shader finds them in the program's global scope. This program has no
// irradiance, so asking for it reports that name, and only that one.
#include <gtest/gtest.h>

#include <dlfcn.h>

extern "C" {
#include <shader.h>
}

#include <cstring>
#include <string>

#include "kova_glossy_params.h"

namespace {

// One light straight along the normal; its colour differs per channel.
const miColor kLightColor = {1.0f, 0.5f, 0.25f, 1.0f};

}  // namespace

// The program's renderer functions (all but mi_compute_irradiance), exported
// from the executable.
extern "C" {

miBoolean mi_sample_light(miColor* const result, miVector* const dir, float* const dot_nl, miState* const state,
                          const miTag, int* const samples)
{
    if (*samples > 0) {
        return miFALSE;
    }
    *result = kLightColor;
    *dir = state->normal;
    *dot_nl = 1.0f;
    ++*samples;
    return miTRUE;
}
void mi_reflection_dir(miVector* dir, miState* state) { *dir = state->normal; }
miBoolean mi_trace_reflection(miColor*, miState*, miVector*) { return miFALSE; }
miBoolean mi_trace_environment(miColor*, miState*, miVector*) { return miFALSE; }
void* mi_phen_eval(miState*, void* parm) { return parm; }

}  // extern "C"

namespace {

using Shader = miBoolean (*)(miColor*, miState*, void*);

// Shades one sample head-on with the default inputs, irradiance on or off.
miColor shadeOnce(bool irradiance)
{
    void* library = dlopen(KOVA_GLOSSY_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(library, nullptr) << dlerror();
    const auto shader = reinterpret_cast<Shader>(dlsym(library, "kova_glossy"));
    EXPECT_NE(shader, nullptr);

    miFunction function{};
    kova_glossy_params params{};
    params.color = {0.5f, 0.5f, 0.5f, 1.0f};
    params.diffuse = 0.8f;
    params.roughness = 0.3f;
    params.sharpness = 0.2f;
    params.specularWeight = 1.0f;
    params.specularColor = {0.5f, 0.5f, 0.5f, 1.0f};
    params.useIrradiance = irradiance ? miTRUE : miFALSE;
    params.irradianceColor = {1.0f, 1.0f, 1.0f, 1.0f};
    params.n_light = 1;
    params.light[0] = 1u;
    miState state{};
    state.dir = {0.0f, 0.0f, -1.0f};
    state.normal = {0.0f, 0.0f, 1.0f};
    state.shader = &function;

    miColor result{0.0f, 0.0f, 0.0f, 0.0f};
    if (shader != nullptr) {
        shader(&result, &state, &params);
    }
    dlclose(library);
    return result;
}

// Head-on, the highlight is whole: each channel is the diffuse light plus the
// highlight, light colour times specular colour.
float litChannel(float light) { return (light * 0.8f) * 0.5f + (light * 1.0f) * 0.5f; }

struct ProgramCase {
    const char* name;
    bool irradiance;
    const char* expectedStderr;
};

class ProgramScope : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramScope, LightsTheSampleAndReportsOnlyMissingNames)
{
    testing::internal::CaptureStderr();
    const miColor got = shadeOnce(GetParam().irradiance);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), GetParam().expectedStderr);
    EXPECT_EQ(got.r, litChannel(kLightColor.r));
    EXPECT_EQ(got.g, litChannel(kLightColor.g));
    EXPECT_EQ(got.b, litChannel(kLightColor.b));
    EXPECT_EQ(got.a, 1.0f);
}

INSTANTIATE_TEST_SUITE_P(
    NoModuleHandle, ProgramScope,
    ::testing::Values(ProgramCase{"irradianceOff", false, ""},
                      ProgramCase{"irradianceOn", true,
                                  "dlsym failed on \"mi_compute_irradiance\" (handle: 00000000 error: 127)\n"}),
    [](const ::testing::TestParamInfo<ProgramCase>& info) { return std::string(info.param.name); });

}  // namespace
