// The six renderer functions that shader libraries bind by name. They work
// from the scene and evaluation storage the state refers to, and neither
// allocate nor lock: everything they touch was sized before shading began.
// Sums are grouped as written so that tests can derive the same bits.
extern "C" {
#include <shader.h>
}

#include <cmath>
#include <cstring>
#include <limits>

#include "scene_data.h"

namespace {

using mrhost::Call;
using mrhost::CallRecord;
using mrhost::Scene;

const Scene::Data* sceneOf(const miState* state)
{
    return state != nullptr ? static_cast<const Scene::Data*>(state->scene) : nullptr;
}

void report(const Scene::Data* scene, Call call, const miState* state, const void* parameter = nullptr,
            miTag light = miNULLTAG, int samplesBefore = 0, const miVector* direction = nullptr)
{
    if (scene == nullptr || scene->observer == nullptr) {
        return;
    }
    CallRecord record{call, state, parameter, light, samplesBefore, {0.0f, 0.0f, 0.0f}};
    if (direction != nullptr) {
        record.direction = *direction;
    }
    scene->observer(record, scene->observerUser);
}

miVector towards(const miVector& from, const miVector& to)
{
    const miVector d{to.x - from.x, to.y - from.y, to.z - from.z};
    const float length = std::sqrt((d.x * d.x + d.y * d.y) + d.z * d.z);
    if (length == 0.0f) {
        return d;  // a light at the point itself has no direction
    }
    const float inverse = 1.0f / length;
    return {d.x * inverse, d.y * inverse, d.z * inverse};
}

// Where sample k of a light sits; area samples go row by row over the cells,
// each at the offset within its cell that the host asks for, or its centre.
miVector samplePosition(const Scene::Data& scene, const miState* state, const mrhost::Light& light, int k)
{
    if (light.kind != mrhost::Light::Area) {
        return light.position;
    }
    float du = 0.5f;
    float dv = 0.5f;
    if (scene.cellOffset != nullptr) {
        scene.cellOffset(state, k, &du, &dv, scene.cellOffsetUser);
    }
    const float u = (static_cast<float>(k % light.samplesU) + du) / static_cast<float>(light.samplesU);
    const float v = (static_cast<float>(k / light.samplesU) + dv) / static_cast<float>(light.samplesV);
    return {(light.position.x + light.edgeU.x * u) + light.edgeV.x * v,
            (light.position.y + light.edgeU.y * u) + light.edgeV.y * v,
            (light.position.z + light.edgeU.z * u) + light.edgeV.z * v};
}

int sampleCount(const mrhost::Light& light)
{
    switch (light.kind) {
    case mrhost::Light::Area: return light.samplesU * light.samplesV;
    case mrhost::Light::Scripted: return static_cast<int>(light.directions.size());
    default: return 1;
    }
}

// The child state of a ray cast from the given state along a direction, that
// many reflection levels deeper. A level already at the ceiling stays there
// rather than overflowing.
miState childOf(const miState& state, const miVector& direction, miInteger reflectionLevels)
{
    miState child = state;
    child.org = state.point;
    child.dir = direction;
    child.dist = 0.0;
    const miInteger ceiling = std::numeric_limits<miInteger>::max();
    child.reflection_level =
        state.reflection_level > ceiling - reflectionLevels ? ceiling : state.reflection_level + reflectionLevels;
    return child;
}

// The ray handed to the host's tracer of that kind; none installed finds
// nothing and leaves the colour alone. Something found writes back into the
// given state exactly what the renderer's trace functions write back: the
// child's label, point, normal, dist and motion. Nothing found leaves the
// given state as it was.
miBoolean cast(mrhost::TraceFunction function, void* user, miColor* result, miState* state, miState child)
{
    if (function == nullptr || function(result, &child, user) == miFALSE) {
        return miFALSE;
    }
    state->label = child.label;
    state->point = child.point;
    state->normal = child.normal;
    state->dist = child.dist;
    state->motion = child.motion;
    return miTRUE;
}

}  // namespace

extern "C" {

miBoolean mi_sample_light(miColor* const result, miVector* const dir, float* const dot_nl, miState* const state,
                          const miTag light_inst, int* const samples)
{
    const Scene::Data* scene = sceneOf(state);
    report(scene, Call::SampleLight, state, nullptr, light_inst, *samples);
    const mrhost::Element* element = scene != nullptr ? scene->element(light_inst) : nullptr;
    if (element == nullptr || element->kind != mrhost::Element::LightElement) {
        return miFALSE;
    }
    const mrhost::Light& light = scene->lights[element->index];
    const int k = *samples;
    if (k < 0 || k >= sampleCount(light)) {
        return miFALSE;
    }

    miColor color = light.color;
    if (light.kind == mrhost::Light::Scripted) {
        *dir = light.directions[static_cast<std::size_t>(k)];
        color = light.colors[static_cast<std::size_t>(k)];
    } else {
        const miVector position = samplePosition(*scene, state, light, k);
        *dir = towards(state->point, position);
        if (scene->shadow != nullptr) {
            const miScalar passed = scene->shadow(state, &state->point, &position, scene->shadowUser);
            color = {color.r * passed, color.g * passed, color.b * passed, color.a};
        }
    }
    *result = color;
    *dot_nl = (dir->x * state->normal.x + dir->y * state->normal.y) + dir->z * state->normal.z;
    *samples = k + 1;
    return miTRUE;
}

void mi_reflection_dir(miVector* dir, miState* state)
{
    report(sceneOf(state), Call::ReflectionDir, state);
    // Mirror the incoming ray about the shading normal: I - 2 (N.I) N.
    const miVector& i = state->dir;
    const miVector& n = state->normal;
    const float twice = 2.0f * ((n.x * i.x + n.y * i.y) + n.z * i.z);
    *dir = {i.x - twice * n.x, i.y - twice * n.y, i.z - twice * n.z};
}

// A reflection ray is traced only while it stays within the reflection trace
// depth. One that would go deeper, or that leaves the scene, gets the
// environment's colour instead, and the environment's answer is the call's.
miBoolean mi_trace_reflection(miColor* result, miState* state, miVector* direction)
{
    const Scene::Data* scene = sceneOf(state);
    report(scene, Call::TraceReflection, state, nullptr, miNULLTAG, 0, direction);
    if (scene == nullptr) {
        return miFALSE;
    }
    const miState child = childOf(*state, *direction, 1);
    if (state->reflection_level < scene->reflectionDepth &&
        cast(scene->reflection, scene->reflectionUser, result, state, child) != miFALSE) {
        return miTRUE;
    }
    return cast(scene->environment, scene->environmentUser, result, state, child);
}

miBoolean mi_trace_environment(miColor* result, miState* state, miVector* direction)
{
    const Scene::Data* scene = sceneOf(state);
    report(scene, Call::TraceEnvironment, state, nullptr, miNULLTAG, 0, direction);
    if (scene == nullptr) {
        return miFALSE;
    }
    return cast(scene->environment, scene->environmentUser, result, state, childOf(*state, *direction, 0));
}

miBoolean mi_compute_irradiance(miColor* result, miState* state)
{
    const Scene::Data* scene = sceneOf(state);
    report(scene, Call::ComputeIrradiance, state);
    if (scene == nullptr || scene->irradiance == nullptr) {
        return miFALSE;  // the colour is left as it was
    }
    return scene->irradiance(result, state, scene->irradianceUser);
}

void* mi_phen_eval(miState* state, void* parm)
{
    const Scene::Data* scene = sceneOf(state);
    report(scene, Call::PhenEval, state, parm);
    const miInteger ghost = state->shader != nullptr ? state->shader->ghost_offs : 0;
    if (ghost == 0) {
        return parm;
    }
    miTag connected;
    std::memcpy(&connected, static_cast<const char*>(parm) + ghost, sizeof connected);
    if (connected == miNULLTAG) {
        return parm;
    }
    // A connection the scene cannot run, or no room left, yields no value.
    const mrhost::Element* element = scene != nullptr ? scene->element(connected) : nullptr;
    auto* area = static_cast<mrhost::SampleContext::EvalArea*>(state->eval_area);
    if (element == nullptr || element->kind != mrhost::Element::CheckerElement || area == nullptr ||
        area->used == area->slots.size()) {
        return nullptr;
    }
    const mrhost::Checker& checker = scene->checkers[element->index];
    const miVector& p = state->point;
    const float cells =
        (std::floor(p.x * checker.scale) + std::floor(p.y * checker.scale)) + std::floor(p.z * checker.scale);
    const bool odd = std::fmod(std::fabs(cells), 2.0f) == 1.0f;
    miColor& slot = area->slots[area->used++];
    slot = odd ? checker.odd : checker.even;
    return &slot;
}

}  // extern "C"
