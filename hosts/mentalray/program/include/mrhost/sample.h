// Shading one sample: a render thread's state record and the storage that
// connected parameters are evaluated into. Make one SampleContext per thread
// up front; begin() and shade() then neither allocate nor lock.
#pragma once

extern "C" {
#include <shader.h>
}

#include <memory>

#include "mrhost/parameter_record.h"
#include "mrhost/scene.h"
#include "mrhost/shader_library.h"

namespace mrhost {

// Where the sample is and how it was reached. dir is the unit ray direction
// (toward the surface), normal the unit shading normal facing the ray.
struct SampleGeometry {
    miVector origin{0.0f, 0.0f, 0.0f};
    miVector direction{0.0f, 0.0f, -1.0f};
    miVector point{0.0f, 0.0f, 0.0f};
    miVector normal{0.0f, 0.0f, 1.0f};
    miInteger rayType = 0;
    miInteger reflectionLevel = 0;
};

class SampleContext {
public:
    // Room for `evaluations` connected-parameter results per shader call.
    explicit SampleContext(const Scene& scene, int thread = 0, int evaluations = 64);
    ~SampleContext();
    SampleContext(const SampleContext&) = delete;
    SampleContext& operator=(const SampleContext&) = delete;

    // Fills the state record for one sample of a shader with this record and
    // empties the evaluation storage.
    miState& begin(const ParameterRecord& record, const SampleGeometry& geometry);
    miState& state() { return state_; }

    // begin() and one call of the shader; result is added to, as the shader
    // does. Returns what the shader returned.
    miBoolean shade(ShaderFunction shader, ParameterRecord& record, const SampleGeometry& geometry, miColor& result);

    // The evaluation storage, as the renderer functions see it.
    struct EvalArea;

private:
    miState state_{};
    std::unique_ptr<EvalArea> area_;
};

}  // namespace mrhost
