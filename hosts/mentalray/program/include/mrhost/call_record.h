// What the renderer reports of each of its calls to a watcher, before the
// call does its work: the test hooks install one (setCallObserver) to see
// which renderer functions a shader calls, in which order and with what.
#pragma once

extern "C" {
#include <shader.h>
}

namespace mrhost {

// Fields that the call does not take are zero.
enum class Call { SampleLight, ReflectionDir, TraceReflection, TraceEnvironment, ComputeIrradiance, PhenEval };
struct CallRecord {
    Call call;
    const miState* state;
    const void* parameter;  // mi_phen_eval: the parameter's address
    miTag light;            // mi_sample_light: the light
    int samplesBefore;      // mi_sample_light: the counter as passed in
    miVector direction;     // trace calls: the direction passed in
};
using CallObserver = void (*)(const CallRecord& record, void* user);

}  // namespace mrhost
