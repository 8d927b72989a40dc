// The answering renderer of answering_renderer.h: every call is a table read
// or a refusal, so that a shader timed against it pays for its own work only.
#include "answering_renderer.h"

namespace {

const AnsweredLight* gLights = nullptr;
int gLightCount = 0;

}  // namespace

extern "C" {

DLLEXPORT void answering_renderer_use(const AnsweredLight* lights, int count)
{
    gLights = lights;
    gLightCount = count;
}

miBoolean mi_sample_light(miColor* const result, miVector* const dir, float* const dot_nl, miState* const,
                          const miTag light_inst, int* const samples)
{
    const int index = static_cast<int>(light_inst) - 1;
    if (index < 0 || index >= gLightCount || *samples < 0 || *samples >= gLights[index].count) {
        return miFALSE;
    }
    const AnsweredSample& sample = gLights[index].samples[*samples];
    *result = sample.color;
    *dir = sample.direction;
    *dot_nl = sample.cosine;
    ++*samples;
    return miTRUE;
}

void mi_reflection_dir(miVector* dir, miState* state) { *dir = state->dir; }
miBoolean mi_trace_reflection(miColor*, miState*, miVector*) { return miFALSE; }
miBoolean mi_trace_environment(miColor*, miState*, miVector*) { return miFALSE; }
miBoolean mi_compute_irradiance(miColor*, miState*) { return miFALSE; }
void* mi_phen_eval(miState*, void*) { return nullptr; }

}  // extern "C"
