// The six renderer functions as the shader calls them: each stub bears the
// renderer function's name and arguments and forwards to the bound address.
// A function that could not be bound is not called; its stub answers false
// (or null) and leaves every output as it was.
extern "C" {
#include <shader.h>
}

#include "binding.h"

namespace {

// The renderer functions' own types, as shader.h declares them.
typedef miBoolean (*ComputeIrradianceFunction)(miColor*, miState*);
typedef miBoolean (*TraceFunction)(miColor*, miState*, miVector*);
typedef miBoolean (*SampleLightFunction)(miColor* const, miVector* const, float* const, miState* const, const miTag,
                                         int* const);
typedef void* (*PhenEvalFunction)(miState*, void*);
typedef void (*ReflectionDirFunction)(miVector*, miState*);

}  // namespace

extern "C" {

miBoolean mi_compute_irradiance(miColor* result, miState* state)
{
    const ComputeIrradianceFunction f = binding::bound<ComputeIrradianceFunction>(binding::ComputeIrradiance);
    return f != 0 ? f(result, state) : miFALSE;
}

miBoolean mi_trace_reflection(miColor* result, miState* state, miVector* direction)
{
    const TraceFunction f = binding::bound<TraceFunction>(binding::TraceReflection);
    return f != 0 ? f(result, state, direction) : miFALSE;
}

miBoolean mi_trace_environment(miColor* result, miState* state, miVector* direction)
{
    const TraceFunction f = binding::bound<TraceFunction>(binding::TraceEnvironment);
    return f != 0 ? f(result, state, direction) : miFALSE;
}

miBoolean mi_sample_light(miColor* const result, miVector* const dir, float* const dot_nl, miState* const state,
                          const miTag light_inst, int* const samples)
{
    const SampleLightFunction f = binding::bound<SampleLightFunction>(binding::SampleLight);
    return f != 0 ? f(result, dir, dot_nl, state, light_inst, samples) : miFALSE;
}

void* mi_phen_eval(miState* state, void* parm)
{
    const PhenEvalFunction f = binding::bound<PhenEvalFunction>(binding::PhenEval);
    return f != 0 ? f(state, parm) : 0;
}

void mi_reflection_dir(miVector* dir, miState* state)
{
    const ReflectionDirFunction f = binding::bound<ReflectionDirFunction>(binding::ReflectionDir);
    if (f != 0) {
        f(dir, state);
    }
}

}  // extern "C"
