// One thread's data block for a node: the renderer's per-sample writes, the
// light array, and requests that run compute when a plug is dirty. Names are
// resolved when the context is made; per sample nothing is looked up,
// allocated or locked.
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <cstring>

#include "data_storage.h"
#include "mayahost/node.h"

namespace mayahost {
namespace {

using Kind = MDataHandle::Kind;

const Attribute* resolve(const Node& node, const char* longName, Kind kind)
{
    const auto* a = static_cast<const Attribute*>(node.attribute(longName));
    return (a && a->valueKind == kind && !a->insideArray) ? a : nullptr;
}

template <class T>
MStatus write(DataStorage& storage, const AttributeInfo* attribute, Kind kind, const T& value)
{
    const auto* a = static_cast<const Attribute*>(attribute);
    unsigned char* where = storage.valueOf(a);
    if (!where || a->valueKind != kind) {
        return MStatus(MStatus::kInvalidParameter, "Attribute has no value of that kind in this block");
    }
    std::memcpy(where, &value, sizeof value);
    storage.markChanged(*a);
    return MStatus::kSuccess;
}

template <class T>
T read(const DataStorage& storage, const AttributeInfo* attribute, Kind kind)
{
    T value{};
    const auto* a = static_cast<const Attribute*>(attribute);
    const unsigned char* where = storage.valueOf(a);
    if (where && a->valueKind == kind) std::memcpy(&value, where, sizeof value);
    return value;
}

}  // namespace

EvaluationContext::EvaluationContext(const Node& node, unsigned int maxLights)
    : node_(node),
      storage_(std::make_unique<DataStorage>(node.values_->type(), maxLights)),
      block_(storage_->blockValues())
{
    storage_->copyValuesFrom(*node.values_);
    pointCamera_ = resolve(node, "pointCamera", Kind::kFloat3);
    normalCamera_ = resolve(node, "normalCamera", Kind::kFloat3);
    rayDirection_ = resolve(node, "rayDirection", Kind::kFloat3);
    rayOrigin_ = resolve(node, "rayOrigin", Kind::kFloat3);
    rayDepth_ = resolve(node, "rayDepth", Kind::kShort);
    objectId_ = resolve(node, "objectId", Kind::kAddr);
    raySampler_ = resolve(node, "raySampler", Kind::kAddr);
    outColor_ = resolve(node, "outColor", Kind::kFloat3);
    outTransparency_ = resolve(node, "outTransparency", Kind::kFloat3);
    const auto* lights = static_cast<const Attribute*>(node.attribute("lightDataArray"));
    if (lights && lights->array && lights->kind == AttributeKind::kLightData) lightDataArray_ = lights;
}

EvaluationContext::~EvaluationContext() = default;

void EvaluationContext::syncFromNode() { storage_->copyValuesFrom(*node_.values_); }

void EvaluationContext::setVector(const AttributeInfo* attribute, const MFloatVector& value)
{
    if (attribute) write(*storage_, attribute, Kind::kFloat3, value);
}

void EvaluationContext::setPointCamera(const MFloatVector& value) { setVector(pointCamera_, value); }
void EvaluationContext::setNormalCamera(const MFloatVector& value) { setVector(normalCamera_, value); }
void EvaluationContext::setRayDirection(const MFloatVector& value) { setVector(rayDirection_, value); }
void EvaluationContext::setRayOrigin(const MFloatVector& value) { setVector(rayOrigin_, value); }

void EvaluationContext::setRayDepth(short value)
{
    if (rayDepth_) write(*storage_, rayDepth_, Kind::kShort, value);
}

void EvaluationContext::setObjectId(const void* value)
{
    if (objectId_) write(*storage_, objectId_, Kind::kAddr, const_cast<void*>(value));
}

void EvaluationContext::setRaySampler(const void* value)
{
    if (raySampler_) write(*storage_, raySampler_, Kind::kAddr, const_cast<void*>(value));
}

MStatus EvaluationContext::setLights(const LightSample* lights, unsigned int count)
{
    if (!lightDataArray_) return MStatus(MStatus::kNotFound, "Node type has no lightDataArray");
    const auto& array = *static_cast<const Attribute*>(lightDataArray_);
    DataStorage::Array& elements = storage_->array(array);
    if (count > elements.capacity) {
        return MStatus(MStatus::kInvalidParameter, "More lights than the context was made for");
    }
    storage_->resizeArray(array, count);
    for (unsigned int i = 0; i < count; ++i) {
        DataStorage::writeLight(array, elements.elements + static_cast<std::size_t>(i) * elements.elementSize,
                                lights[i]);
    }
    storage_->markChanged(array);
    return MStatus::kSuccess;
}

MStatus EvaluationContext::setFloat(const AttributeInfo* a, float value)
{
    return write(*storage_, a, Kind::kFloat, value);
}
MStatus EvaluationContext::setFloat3(const AttributeInfo* a, const MFloatVector& value)
{
    return write(*storage_, a, Kind::kFloat3, value);
}
MStatus EvaluationContext::setBool(const AttributeInfo* a, bool value)
{
    return write(*storage_, a, Kind::kBool, value);
}
MStatus EvaluationContext::setShort(const AttributeInfo* a, short value)
{
    return write(*storage_, a, Kind::kShort, value);
}
MStatus EvaluationContext::setAddress(const AttributeInfo* a, void* value)
{
    return write(*storage_, a, Kind::kAddr, value);
}

MStatus EvaluationContext::evaluate(const AttributeInfo* plug)
{
    const auto* a = static_cast<const Attribute*>(plug);
    if (!a || a->owner != &storage_->type() || !a->member) {
        return MStatus(MStatus::kInvalidParameter, "Not a plug of this node");
    }
    if (!storage_->isDirty(*a)) return MStatus::kSuccess;
    ++computeCount_;
    const MPlug request(MObject(const_cast<Node*>(&node_)), objectOf(a));
    return node_.userNode().compute(request, block_);
}

MStatus EvaluationContext::outColor(MFloatVector& value)
{
    if (!outColor_) return MStatus(MStatus::kNotFound, "Node type has no outColor");
    const MStatus status = evaluate(outColor_);
    value = float3(outColor_);
    return status;
}

MStatus EvaluationContext::outTransparency(MFloatVector& value)
{
    if (!outTransparency_) return MStatus(MStatus::kNotFound, "Node type has no outTransparency");
    const MStatus status = evaluate(outTransparency_);
    value = float3(outTransparency_);
    return status;
}

MFloatVector EvaluationContext::float3(const AttributeInfo* a) const
{
    return read<MFloatVector>(*storage_, a, Kind::kFloat3);
}
float EvaluationContext::floatValue(const AttributeInfo* a) const { return read<float>(*storage_, a, Kind::kFloat); }

bool EvaluationContext::isDirty(const AttributeInfo* attribute) const
{
    const auto* a = static_cast<const Attribute*>(attribute);
    return a && a->owner == &storage_->type() && a->member && storage_->isDirty(*a);
}

}  // namespace mayahost
