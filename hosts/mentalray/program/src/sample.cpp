// A render thread's state record and evaluation storage. All storage is made
// in the constructor; begin() and shade() only write into it.
#include "mrhost/sample.h"

#include <stdexcept>

#include "scene_data.h"

namespace mrhost {

SampleContext::SampleContext(const Scene& scene, int thread, int evaluations) : area_(std::make_unique<EvalArea>())
{
    if (evaluations < 0) {
        throw std::invalid_argument("the evaluation storage cannot have a negative size");
    }
    area_->slots.resize(static_cast<std::size_t>(evaluations));
    state_.scene = &scene.data();
    state_.eval_area = area_.get();
    state_.thread = static_cast<short>(thread);
}

SampleContext::~SampleContext() = default;

miState& SampleContext::begin(const ParameterRecord& record, const SampleGeometry& geometry)
{
    area_->used = 0;
    miState& s = state_;
    s.org = geometry.origin;
    s.dir = geometry.direction;
    s.point = geometry.point;
    s.normal = geometry.normal;
    s.normal_geom = geometry.normal;
    const miVector d{s.point.x - s.org.x, s.point.y - s.org.y, s.point.z - s.org.z};
    s.dist = static_cast<double>((d.x * s.dir.x + d.y * s.dir.y) + d.z * s.dir.z);
    s.motion = {0.0f, 0.0f, 0.0f};
    s.label = 0;
    s.dot_nd = (s.normal.x * s.dir.x + s.normal.y * s.dir.y) + s.normal.z * s.dir.z;
    s.type = geometry.rayType;
    s.reflection_level = geometry.reflectionLevel;
    s.refraction_level = 0;
    s.shader = record.function();
    s.user = nullptr;
    return s;
}

// The renderer calls every shader through one pointer type, whatever its
// parameter record's type; clang's function-type check would flag each call.
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
miBoolean
SampleContext::shade(ShaderFunction shader, ParameterRecord& record, const SampleGeometry& geometry, miColor& result)
{
    miState& s = begin(record, geometry);
    return shader(&result, &s, record.parameters());
}

}  // namespace mrhost
