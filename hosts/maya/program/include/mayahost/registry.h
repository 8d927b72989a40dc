// What the host knows about registered node types and their attributes, for
// the host program and for tests. Everything here is read-only; the pointers
// stay valid until the type is deregistered.
#pragma once

#include <maya/MFloatVector.h>
#include <maya/MFnNumericData.h>
#include <maya/MObject.h>
#include <maya/MPxNode.h>

#include <string>
#include <utility>
#include <vector>

namespace mayahost {

enum class AttributeKind {
    kNumeric,      // one value of numericType: kFloat, kShort, kBoolean or kAddr
    kFloatTriple,  // numeric compound of three float children (numericType k3Float)
    kLightData     // the eight-child light-data compound
};

// The value of one element of a light-data compound, its eight children in
// their fixed order: a light of a sample as the renderer fills it, or the
// value a new element starts with.
struct LightData {
    MFloatVector direction;  // from the shaded point toward the light, camera space
    MFloatVector intensity;
    bool ambient = true;
    bool diffuse = true;
    bool specular = false;
    float shadowFraction = 1.0f;
    float preShadowIntensity = 1.0f;
    void* blindData = nullptr;
};

struct AttributeInfo {
    std::string longName;
    std::string shortName;
    AttributeKind kind = AttributeKind::kNumeric;
    MFnNumericData::Type numericType = MFnNumericData::kInvalid;

    // The default passed to create (numeric kinds only) and the default a new
    // node shows now: [0] for one value, all three for a float triple (whose
    // children carry the same values). Booleans and shorts are held as doubles.
    double createDefault = 0.0;
    double defaultValue[3] = {0.0, 0.0, 0.0};
    void* defaultAddress = nullptr;

    bool keyable = false;
    bool storable = true;
    bool hidden = false;
    bool readable = true;
    bool writable = true;
    bool usedAsColor = false;
    bool array = false;
    bool connectable = true;
    bool cached = true;

    bool hasSoftMin = false;
    bool hasSoftMax = false;
    double softMin = 0.0;
    double softMax = 0.0;

    const AttributeInfo* parent = nullptr;
    std::vector<const AttributeInfo*> children;

    bool hasElementDefault = false;  // light data: setDefault was called
    LightData elementDefault;
};

struct NodeTypeInfo {
    std::string name;
    unsigned int id = 0;
    MPxNode::Type kind = MPxNode::kDependNode;
    std::string classification;
    std::string vendor;
    std::string version;
    std::string requiredApiVersion;
    std::string pluginName;  // the path of the module that registered it

    std::vector<const AttributeInfo*> created;  // every attribute made while registering, in order
    std::vector<const AttributeInfo*> added;    // the addAttribute calls, in order
    std::vector<std::pair<const AttributeInfo*, const AttributeInfo*>> affects;  // (input, output), in order

    // Lookup by long name among the type's attributes (added ones and their
    // descendants); null when there is none.
    const AttributeInfo* attribute(const std::string& longName) const;
};

// The registered types, in registration order.
std::vector<const NodeTypeInfo*> registeredNodeTypes();
// The type of that name, or null.
const NodeTypeInfo* findNodeType(const std::string& name);

// The handle a plug-in holds for this attribute, e.g. to build an MPlug and
// call compute directly on a context's data block.
MObject attributeObject(const AttributeInfo* attribute);

// True when `input` affects `output` directly (one of the recorded calls).
bool affects(const NodeTypeInfo& type, const AttributeInfo* input, const AttributeInfo* output);

}  // namespace mayahost
