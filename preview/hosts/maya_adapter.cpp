// Per sample, the render inputs are filled as Maya's renderer fills them:
// camera-space point, normal and ray direction, depth 0, and one
// lightDataArray element per light (its direction toward the light's centre
// and its colour darkened by the ball's shadow). The traced reflection comes
// back through MRenderUtil::raytrace; objectId, opaque to the node, carries
// the scene to the tracer, and raySampler the sample's sampler.
#include "maya_adapter.h"

#include "host_inputs.h"

#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>
#include <mayahost/tracer.h>

#include <cmath>

#include <vector>

namespace preview {
namespace {

MFloatVector toMaya(const Vec3& v) { return MFloatVector(v.x, v.y, v.z); }
Vec3 fromMaya(const MFloatVector& v) { return {v.x, v.y, v.z}; }

MStatus traceReflection(void*, const MFloatVector& origin, const MFloatVector& direction, const void* objectId,
                        const void*, short, MFloatVector& color, MFloatVector& transparency, bool)
{
    const BallScene& scene = *static_cast<const BallScene*>(objectId);
    color = toMaya(scene.traceFromBall({fromMaya(origin), normalize(fromMaya(direction))}, LightView::Centres));
    transparency = MFloatVector(0.0f, 0.0f, 0.0f);
    return MStatus::kSuccess;
}

class MayaShader : public MaterialShader {
public:
    MayaShader(const BallScene& scene, const mayahost::Node& node)
        : scene_(scene),
          context_(node, static_cast<unsigned int>(scene.lights().size())),
          lights_(scene.lights().size())
    {
        for (mayahost::LightSample& light : lights_) {
            light.ambient = false;
            light.diffuse = true;
            light.specular = true;
        }
        context_.setRayOrigin(MFloatVector(0.0f, 0.0f, 0.0f));
        context_.setRayDepth(0);
        context_.setObjectId(&scene_);
    }

    ShadeResult shade(const ShadingPoint& p, Sampler& sampler) override
    {
        for (std::size_t i = 0; i < lights_.size(); ++i) {
            const LightSample s = scene_.sampleLight(scene_.lights()[i], LightView::Centres, 0, p.point);
            lights_[i].direction = toMaya(s.direction);
            lights_[i].intensity = toMaya(s.color);
        }
        context_.setPointCamera(toMaya(p.point));
        context_.setNormalCamera(toMaya(p.normal));
        context_.setRayDirection(toMaya(p.rayDirection));
        // As Maya's renderer does, the sample's sampler rides along, opaque to the node.
        context_.setRaySampler(&sampler);
        context_.setLights(lights_.data(), static_cast<unsigned int>(lights_.size()));
        MFloatVector color, transparency;
        context_.outColor(color);
        context_.outTransparency(transparency);
        return {fromMaya(color), fromMaya(transparency)};
    }

private:
    const BallScene& scene_;
    mayahost::EvaluationContext context_;
    std::vector<mayahost::LightSample> lights_;
};

}  // namespace

MayaHost::MayaHost(const BallScene& scene, const std::string& modulePath) : scene_(scene)
{
    std::string error;
    // The preview reports a failed load itself, once.
    plugin_ = mayahost::LoadedPlugin::load(modulePath, &error, mayahost::LoadReport::CallerOnly);
    if (!plugin_) throw HostError("cannot load the Maya plug-in " + modulePath + ": " + error);
    node_ = mayahost::Node::create("glossy");
    if (!node_) throw HostError("the Maya plug-in " + modulePath + " registered no glossy node type");
    inputs_ = mayaInputs(node_->type());
    mayahost::installTracer(traceReflection, nullptr);
}

MayaHost::~MayaHost()
{
    // The node's code lives in the module: destroy it before unloading.
    node_.reset();
    if (plugin_) plugin_->unload();
}

void MayaHost::setInput(const std::string& name, const MaterialValue& value) { setNodeInput(*node_, name, value); }

void setNodeInput(mayahost::Node& node, const std::string& name, const MaterialValue& value)
{
    const mayahost::AttributeInfo* attribute = node.attribute(name);
    const auto& v = value.values;
    MStatus status = MStatus::kInvalidParameter;
    if (attribute && attribute->kind == mayahost::AttributeKind::kFloatTriple)
        status = node.setFloat3(name, MFloatVector(v[0], v[1], v[2]));
    else if (attribute && attribute->numericType == MFnNumericData::kFloat)
        status = node.setFloat(name, v[0]);
    else if (attribute && attribute->numericType == MFnNumericData::kBoolean)
        status = node.setBool(name, v[0] != 0.0f);
    else if (attribute && attribute->numericType == MFnNumericData::kShort && std::trunc(v[0]) == v[0] &&
             v[0] >= -32768.0f && v[0] <= 32767.0f)
        status = node.setShort(name, short(v[0]));
    if (status != MStatus::kSuccess) throw HostError("the glossy node refused " + name);
}

std::unique_ptr<MaterialShader> MayaHost::makeShader() { return std::make_unique<MayaShader>(scene_, *node_); }

}  // namespace preview
