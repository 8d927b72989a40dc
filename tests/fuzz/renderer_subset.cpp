// A renderer module that exports only some of the six renderer functions: the
// build links this one object into a module per subset, each exporting just
// its subset. Every export forwards to the stand-in renderer's own function,
// which renderer_subset_forward finds in the module the harness hands it.
// The module takes no link dependency on that renderer, so a name it does not
// export cannot be found through it either.
extern "C" {
#include <shader.h>
}

#include <dlfcn.h>

namespace {

struct Core {
    decltype(&mi_compute_irradiance) computeIrradiance = nullptr;
    decltype(&mi_trace_reflection) traceReflection = nullptr;
    decltype(&mi_trace_environment) traceEnvironment = nullptr;
    decltype(&mi_sample_light) sampleLight = nullptr;
    decltype(&mi_phen_eval) phenEval = nullptr;
    decltype(&mi_reflection_dir) reflectionDir = nullptr;
};

Core gCore;

template <typename Function>
void find(void* module, const char* name, Function& to)
{
    to = reinterpret_cast<Function>(dlsym(module, name));
}

}  // namespace

extern "C" {

// Returns 0 once all six were found in `core`, -1 otherwise.
int renderer_subset_forward(void* core)
{
    find(core, "mi_compute_irradiance", gCore.computeIrradiance);
    find(core, "mi_trace_reflection", gCore.traceReflection);
    find(core, "mi_trace_environment", gCore.traceEnvironment);
    find(core, "mi_sample_light", gCore.sampleLight);
    find(core, "mi_phen_eval", gCore.phenEval);
    find(core, "mi_reflection_dir", gCore.reflectionDir);
    const Core& c = gCore;
    return c.computeIrradiance && c.traceReflection && c.traceEnvironment && c.sampleLight && c.phenEval &&
                   c.reflectionDir
               ? 0
               : -1;
}

miBoolean mi_compute_irradiance(miColor* result, miState* state) { return gCore.computeIrradiance(result, state); }

miBoolean mi_trace_reflection(miColor* result, miState* state, miVector* direction)
{
    return gCore.traceReflection(result, state, direction);
}

miBoolean mi_trace_environment(miColor* result, miState* state, miVector* direction)
{
    return gCore.traceEnvironment(result, state, direction);
}

miBoolean mi_sample_light(miColor* const result, miVector* const dir, float* const dot_nl, miState* const state,
                          const miTag light_inst, int* const samples)
{
    return gCore.sampleLight(result, dir, dot_nl, state, light_inst, samples);
}

void* mi_phen_eval(miState* state, void* parm) { return gCore.phenEval(state, parm); }

void mi_reflection_dir(miVector* dir, miState* state) { gCore.reflectionDir(dir, state); }

}  // extern "C"
