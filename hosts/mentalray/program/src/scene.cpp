// Scene set-up: lights and connectable shaders get their tags here, and the
// host program's callbacks are installed. Nothing here runs per sample.
#include "mrhost/scene.h"

#include <stdexcept>

#include "scene_data.h"

namespace mrhost {

Scene::Scene() : data_(std::make_unique<Data>()) {}
Scene::~Scene() = default;

miTag Scene::addPointLight(const miVector& position, const miColor& color)
{
    Light light;
    light.kind = Light::Point;
    light.position = position;
    light.color = color;
    data_->lights.push_back(light);
    return data_->addElement(Element::LightElement, data_->lights.size() - 1);
}

miTag Scene::addAreaLight(const miVector& corner, const miVector& edgeU, const miVector& edgeV, int samplesU,
                          int samplesV, const miColor& color)
{
    if (samplesU < 1 || samplesV < 1) {
        throw std::invalid_argument("an area light needs at least one sample each way");
    }
    Light light;
    light.kind = Light::Area;
    light.position = corner;
    light.edgeU = edgeU;
    light.edgeV = edgeV;
    light.samplesU = samplesU;
    light.samplesV = samplesV;
    light.color = color;
    data_->lights.push_back(light);
    return data_->addElement(Element::LightElement, data_->lights.size() - 1);
}

miTag Scene::addScriptedLight(const miVector* directions, const miColor* colors, int count)
{
    if (count < 1) {
        throw std::invalid_argument("a scripted light needs at least one sample");
    }
    Light light;
    light.kind = Light::Scripted;
    light.directions.assign(directions, directions + count);
    light.colors.assign(colors, colors + count);
    data_->lights.push_back(std::move(light));
    return data_->addElement(Element::LightElement, data_->lights.size() - 1);
}

void Scene::setReflectionTracer(TraceFunction function, void* user)
{
    data_->reflection = function;
    data_->reflectionUser = user;
}

void Scene::setEnvironment(TraceFunction function, void* user)
{
    data_->environment = function;
    data_->environmentUser = user;
}

void Scene::setReflectionDepth(miInteger depth) { data_->reflectionDepth = depth; }

void Scene::setIrradiance(IrradianceFunction function, void* user)
{
    data_->irradiance = function;
    data_->irradianceUser = user;
}

void Scene::setShadowTest(ShadowFunction function, void* user)
{
    data_->shadow = function;
    data_->shadowUser = user;
}

void Scene::setAreaSampleOffsets(CellOffsetFunction function, void* user)
{
    data_->cellOffset = function;
    data_->cellOffsetUser = user;
}

}  // namespace mrhost
