// The six renderer functions as the shader calls them: each stub bears the
// renderer function's name and arguments and forwards to the bound address.
// A function that could not be bound is not called; its stub answers false
// (or null) and leaves every output as it was.
extern "C" {
#include <shader.h>
}

#include "binding.h"

using binding::Function;

extern "C" {

miBoolean mi_compute_irradiance(miColor* result, miState* state)
{
    const auto f = binding::bound<decltype(&mi_compute_irradiance)>(Function::ComputeIrradiance);
    return f != nullptr ? f(result, state) : miFALSE;
}

miBoolean mi_trace_reflection(miColor* result, miState* state, miVector* direction)
{
    const auto f = binding::bound<decltype(&mi_trace_reflection)>(Function::TraceReflection);
    return f != nullptr ? f(result, state, direction) : miFALSE;
}

miBoolean mi_trace_environment(miColor* result, miState* state, miVector* direction)
{
    const auto f = binding::bound<decltype(&mi_trace_environment)>(Function::TraceEnvironment);
    return f != nullptr ? f(result, state, direction) : miFALSE;
}

miBoolean mi_sample_light(miColor* const result, miVector* const dir, float* const dot_nl, miState* const state,
                          const miTag light_inst, int* const samples)
{
    const auto f = binding::bound<decltype(&mi_sample_light)>(Function::SampleLight);
    return f != nullptr ? f(result, dir, dot_nl, state, light_inst, samples) : miFALSE;
}

void* mi_phen_eval(miState* state, void* parm)
{
    const auto f = binding::bound<decltype(&mi_phen_eval)>(Function::PhenEval);
    return f != nullptr ? f(state, parm) : nullptr;
}

void mi_reflection_dir(miVector* dir, miState* state)
{
    const auto f = binding::bound<decltype(&mi_reflection_dir)>(Function::ReflectionDir);
    if (f != nullptr) {
        f(dir, state);
    }
}

}  // extern "C"
