// What the stand-in renderer shades against: its lights, the tracers the host
// program installs for reflection, environment, irradiance and shadows (and,
// through the test hooks, shaders to connect to parameters and a watcher of
// the renderer's calls). A Scene is set up first
// and only read while samples are shaded, on as many threads as wanted; the
// per-sample functions neither allocate nor lock.
#pragma once

extern "C" {
#include <shader.h>
}

#include <memory>

namespace mrhost {

// The reflection trace depth of a scene that sets none.
const miInteger kDefaultReflectionDepth = 2;

// Host-installed callbacks: plain function pointers with a user pointer.
// A tracer is given the child state of the ray cast: a copy of the caller's
// state with org at its point and dir the direction asked for. It returns
// miFALSE for nothing found, or miTRUE with the colour it found, having set
// the child's point, normal and dist (and label and motion, if it keeps them)
// to the hit; the renderer copies those five back into the caller's state.
// As the renderer does, mi_trace_reflection asks the environment instead when
// the reflection tracer finds nothing (the ray left the scene) or when the ray
// would go deeper than the reflection trace depth.
using TraceFunction = miBoolean (*)(miColor* result, miState* child, void* user);
// The irradiance arriving at state->point; miFALSE when none can be given.
using IrradianceFunction = miBoolean (*)(miColor* result, const miState* state, void* user);
// Fraction of a light sample's colour that reaches `point` from `lightPoint`:
// 0 when blocked, 1 when clear. Without one installed nothing is shadowed.
using ShadowFunction = miScalar (*)(const miState* state, const miVector* point, const miVector* lightPoint,
                                    void* user);

// Where in its cell an area light sample falls, as fractions of the cell
// each way in [0, 1): production renderers jitter their samples within
// strata so that a few of them do not show as a few copies of the light.
// `sample` is the sample's number, row by row over the cells.
using CellOffsetFunction = void (*)(const miState* state, int sample, float* u, float* v, void* user);

class Scene {
public:
    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // A point light: one sample, the colour unattenuated, the direction the
    // unit vector from the point toward `position`.
    miTag addPointLight(const miVector& position, const miColor& color);
    // An area light over the parallelogram corner + u*edgeU + v*edgeV:
    // samplesU x samplesV samples, one in each cell (at its centre unless
    // setAreaSampleOffsets says otherwise), each with the full
    // colour (the shader averages them). Throws std::invalid_argument for
    // fewer than one sample either way.
    miTag addAreaLight(const miVector& corner, const miVector& edgeU, const miVector& edgeV, int samplesU, int samplesV,
                       const miColor& color);
    // A light that delivers exactly these directions (unit, toward the light)
    // and colours, one sample each, wherever the point is: for hosts that
    // script what the shader sees. Throws std::invalid_argument when empty.
    miTag addScriptedLight(const miVector* directions, const miColor* colors, int count);

    void setReflectionTracer(TraceFunction function, void* user);
    void setEnvironment(TraceFunction function, void* user);
    // The reflection part of the options' trace depth: a state at this
    // reflection level or deeper casts no further reflection ray, so two
    // mirrors facing each other end. kDefaultReflectionDepth until set.
    void setReflectionDepth(miInteger depth);
    void setIrradiance(IrradianceFunction function, void* user);
    void setShadowTest(ShadowFunction function, void* user);
    // Asked once per area light sample for where in its cell it falls;
    // without one the samples sit at the cell centres.
    void setAreaSampleOffsets(CellOffsetFunction function, void* user);

    // The inside, for the renderer's own code and its test hooks.
    struct Data;
    const Data& data() const { return *data_; }
    Data& data() { return *data_; }

private:
    std::unique_ptr<Data> data_;
};

}  // namespace mrhost
