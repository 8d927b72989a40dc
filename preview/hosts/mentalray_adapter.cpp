// The renderer stand-in samples the lights itself (the area light once in
// each cell of a grid, jittered, as the preview scene places them) and calls back into the scene
// for shadows, reflection, environment and irradiance. The state record's
// user field carries the sample's own random numbers to those callbacks; the
// shader's copy of the state keeps it.
#include "mentalray_adapter.h"

#include "host_inputs.h"

#include <mrhost/declaration.h>
#include <mrhost/parameter_record.h>
#include <mrhost/sample.h>
#include <mrhost/scene.h>
#include <mrhost/shader_library.h>

#include <vector>

namespace preview {
namespace {

miVector toVector(const Vec3& v) { return {v.x, v.y, v.z}; }
miColor toColor(const Vec3& c) { return {c.x, c.y, c.z, 1.0f}; }
Vec3 fromVector(const miVector& v) { return {v.x, v.y, v.z}; }

Sampler& samplerOf(const miState* state) { return *static_cast<Sampler*>(state->user); }

// The ray starts where the shaded point is; a hit on the ground is where
// the child state now ends, as the renderer's own tracing leaves it.
miBoolean traceReflection(miColor* result, miState* child, void* user)
{
    const BallScene& scene = *static_cast<const BallScene*>(user);
    const Ray ray{fromVector(child->org), normalize(fromVector(child->dir))};
    const Hit hit = scene.intersect(ray, false);
    if (hit.surface != Surface::Ground) return miFALSE;
    *result = toColor(scene.shadeGround(hit, LightView::Samples, &samplerOf(child)));
    child->point = toVector(hit.point);
    child->normal = toVector(hit.normal);
    child->dist = static_cast<double>(hit.distance);
    return miTRUE;
}

miBoolean traceEnvironment(miColor* result, miState* child, void* user)
{
    const BallScene& scene = *static_cast<const BallScene*>(user);
    *result = toColor(scene.environment(normalize(fromVector(child->dir))));
    return miTRUE;
}

miBoolean gatherIrradiance(miColor* result, const miState* state, void* user)
{
    const BallScene& scene = *static_cast<const BallScene*>(user);
    *result = toColor(scene.irradiance(fromVector(state->point), normalize(fromVector(state->normal)),
                                       LightView::Samples, samplerOf(state)));
    return miTRUE;
}

// Each area light sample at a place of its cell drawn from the pixel
// sample's own numbers (so the image does not depend on the threads), the
// pixel's samples spread over the cell between them.
void cellOffset(const miState* state, int sample, float* u, float* v, void*)
{
    samplerOf(state).stratified(sample, *u, *v);
}

miScalar shadowTest(const miState*, const miVector* point, const miVector* lightPoint, void* user)
{
    return static_cast<const BallScene*>(user)->visibility(fromVector(*point), fromVector(*lightPoint));
}

class MentalRayShader : public MaterialShader {
public:
    MentalRayShader(const mrhost::Scene& renderScene, const mrhost::ParameterRecord& record,
                    mrhost::ShaderFunction shader)
        : context_(renderScene), record_(record), shader_(shader)
    {
    }

    ShadeResult shade(const ShadingPoint& p, Sampler& sampler) override
    {
        mrhost::SampleGeometry geometry;
        geometry.direction = toVector(p.rayDirection);
        geometry.point = toVector(p.point);
        geometry.normal = toVector(p.normal);
        miState& state = context_.begin(record_, geometry);
        state.user = &sampler;
        miColor result{0.0f, 0.0f, 0.0f, 0.0f};
        shader_(&result, &state, record_.parameters());
        return {{result.r, result.g, result.b}, {0.0f, 0.0f, 0.0f}};
    }

private:
    mrhost::SampleContext context_;
    // Each thread shades with its own copy: the record is only read, but
    // keeping it apart leaves nothing shared but the scene.
    mrhost::ParameterRecord record_;
    mrhost::ShaderFunction shader_;
};

}  // namespace

MentalRayHost::MentalRayHost(const BallScene& scene, const std::string& libraryPath, const std::string& declarationPath)
    : scene_(scene)
{
    // Whatever the declaration or the library lacks (the light array, say)
    // fails the load with its reason, never later.
    try {
        declaration_ =
            std::make_unique<mrhost::ShaderDeclaration>(mrhost::readDeclaration(declarationPath, "kova_glossy"));
        library_ = std::make_unique<mrhost::ShaderLibrary>(libraryPath, *declaration_);
        renderScene_ = std::make_unique<mrhost::Scene>();
        std::vector<miTag> lights;
        for (const SceneLight& light : scene.lights()) {
            if (!light.isArea) {
                lights.push_back(renderScene_->addPointLight(toVector(light.centre), toColor(light.color)));
                continue;
            }
            const int k = scene.areaSamplesPerSide();
            lights.push_back(renderScene_->addAreaLight(toVector(light.centre - light.edgeU - light.edgeV),
                                                        toVector(light.edgeU * 2.0f), toVector(light.edgeV * 2.0f), k,
                                                        k, toColor(light.color)));
        }
        void* user = const_cast<BallScene*>(&scene_);
        renderScene_->setReflectionTracer(traceReflection, user);
        renderScene_->setEnvironment(traceEnvironment, user);
        renderScene_->setIrradiance(gatherIrradiance, user);
        renderScene_->setShadowTest(shadowTest, user);
        renderScene_->setAreaSampleOffsets(cellOffset, nullptr);
        record_ = std::make_unique<mrhost::ParameterRecord>(*declaration_);
        inputs_ = shaderInputs(*declaration_);
        // With the built-in lights off the array is empty, but never given a null pointer.
        const miTag none = miNULLTAG;
        record_->setArray("light", lights.empty() ? &none : lights.data(), static_cast<int>(lights.size()));
    } catch (const std::exception& e) {
        throw HostError(std::string("cannot load the renderer shader: ") + e.what());
    }
}

MentalRayHost::~MentalRayHost() = default;

void MentalRayHost::setInput(const std::string& name, const MaterialValue& value)
{
    // The record's setters refuse a parameter of another type.
    const mrhost::Parameter* parameter = declaration_->find(name);
    const auto& v = value.values;
    switch (parameter ? parameter->type : mrhost::ParamType::Light) {
    case mrhost::ParamType::Scalar: record_->setScalar(name, v[0]); break;
    case mrhost::ParamType::Boolean: record_->setBoolean(name, v[0] != 0.0f); break;
    case mrhost::ParamType::Integer: record_->setInteger(name, miInteger(v[0])); break;
    case mrhost::ParamType::Vector: record_->setVector(name, {v[0], v[1], v[2]}); break;
    case mrhost::ParamType::Color: record_->setColor(name, {v[0], v[1], v[2], 1.0f}); break;
    default: throw HostError("the kova_glossy shader refused " + name);
    }
}

std::unique_ptr<MaterialShader> MentalRayHost::makeShader()
{
    return std::make_unique<MentalRayShader>(*renderScene_, *record_, library_->shader());
}

}  // namespace preview
