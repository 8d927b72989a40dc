// The glossy node's 71 attributes as registered: names, kinds, defaults,
// flags, slider ranges and children in creation order; the affects relation;
// what cannot be set or connected from; and the error report of set-up.
#include <gtest/gtest.h>
#include <mayahost/fault_injection.h>
#include <mayahost/registry.h>

#include <set>
#include <sstream>

#include "support/mayaplugin_fixture.h"

namespace {

using mayahost::AttributeInfo;
using mayahost::AttributeKind;

enum class Kind { kFloat, kShort, kBool, kAddr, kTriple, kLight };

struct Flags {
    bool keyable, storable, hidden, readable, writable, usedAsColor, array;
};

// The API's defaults, and the sets each group of attributes is given.
constexpr Flags kPlain{false, true, false, true, true, false, false};
constexpr Flags kColor{true, true, false, true, true, true, false};
constexpr Flags kScalar{true, true, false, true, true, false, false};
constexpr Flags kOutput{false, true, false, true, false, false, false};
constexpr Flags kCamera{false, false, true, true, true, false, false};
constexpr Flags kRay{false, false, true, false, true, false, false};
constexpr Flags kLight{false, false, true, true, false, false, false};
constexpr Flags kLightArray{false, false, true, true, true, false, true};

struct Row {
    const char* longName;
    const char* shortName;
    Kind kind;
    double createDefault;
    double defaults[3];
    Flags flags;
    bool softRange;  // slider 0 .. 1
    const char* children;
};

const double k08 = static_cast<double>(0.8f);
const double k03 = static_cast<double>(0.3f);
const double k02 = static_cast<double>(0.2f);

// One row per attribute, kept one line each so the table reads as a table.
// clang-format off
const Row kRows[] = {
    {"colorR", "cr", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"colorG", "cg", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"colorB", "cb", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"color", "c", Kind::kTriple, 0, {0.5, 0.5, 0.5}, kColor, false, "colorR colorG colorB"},
    {"transparencyR", "itr", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"transparencyG", "itg", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"transparencyB", "itb", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"transparency", "it", Kind::kTriple, 0, {0, 0, 0}, kColor, false, "transparencyR transparencyG transparencyB"},
    {"ambientColorR", "ambCR", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"ambientColorG", "ambCG", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"ambientColorB", "ambCB", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"ambientColor", "ambC", Kind::kTriple, 0, {0, 0, 0}, kColor, false, "ambientColorR ambientColorG ambientColorB"},
    {"incandescenceR", "ir", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"incandescenceG", "ig", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"incandescenceB", "ib", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"incandescence", "ic", Kind::kTriple, 0, {0, 0, 0}, kColor, false, "incandescenceR incandescenceG incandescenceB"},
    {"diffuse", "dfl", Kind::kFloat, 0, {k08}, kScalar, true, ""},
    {"translucence", "tsl", Kind::kFloat, 0, {0}, kScalar, true, ""},
    {"roughness", "rghn", Kind::kFloat, 0, {k03}, kScalar, true, ""},
    {"sharpness", "shp", Kind::kFloat, 0, {k02}, kScalar, true, ""},
    {"specularColorR", "spcr", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"specularColorG", "spcg", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"specularColorB", "spcb", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"specularColor", "spc", Kind::kTriple, 0, {0.5, 0.5, 0.5}, kColor, false, "specularColorR specularColorG specularColorB"},
    {"reflectivity", "rfly", Kind::kFloat, 0, {0.5}, kScalar, true, ""},
    {"reflectedColorR", "rcr", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"reflectedColorG", "rcg", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"reflectedColorB", "rcb", Kind::kFloat, 0.5, {0.5}, kPlain, false, ""},
    {"reflectedColor", "rc", Kind::kTriple, 0, {0.5, 0.5, 0.5}, kColor, false, "reflectedColorR reflectedColorG reflectedColorB"},
    {"outColorR", "ocr", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"outColorG", "ocg", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"outColorB", "ocb", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"outColor", "oc", Kind::kTriple, 0, {0, 0, 0}, kOutput, false, "outColorR outColorG outColorB"},
    {"outTransparencyR", "otr", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"outTransparencyG", "otg", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"outTransparencyB", "otb", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"outTransparency", "ot", Kind::kTriple, 0, {0, 0, 0}, kOutput, false, "outTransparencyR outTransparencyG outTransparencyB"},
    {"pointCameraX", "px", Kind::kFloat, 1, {1}, kPlain, false, ""},
    {"pointCameraY", "py", Kind::kFloat, 1, {1}, kPlain, false, ""},
    {"pointCameraZ", "pz", Kind::kFloat, 1, {1}, kPlain, false, ""},
    {"pointCamera", "pc", Kind::kTriple, 0, {1, 1, 1}, kCamera, false, "pointCameraX pointCameraY pointCameraZ"},
    {"normalCameraX", "nx", Kind::kFloat, 1, {1}, kPlain, false, ""},
    {"normalCameraY", "ny", Kind::kFloat, 1, {1}, kPlain, false, ""},
    {"normalCameraZ", "nz", Kind::kFloat, 1, {1}, kPlain, false, ""},
    {"normalCamera", "n", Kind::kTriple, 0, {1, 1, 1}, kCamera, false, "normalCameraX normalCameraY normalCameraZ"},
    {"rayOx", "rxo", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"rayOy", "ryo", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"rayOz", "rzo", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"rayOrigin", "rog", Kind::kTriple, 0, {0, 0, 0}, kRay, false, "rayOx rayOy rayOz"},
    {"rayDirectionX", "rdx", Kind::kFloat, 1, {1}, kPlain, false, ""},
    {"rayDirectionY", "rdy", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"rayDirectionZ", "rdz", Kind::kFloat, 0, {0}, kPlain, false, ""},
    {"rayDirection", "rad", Kind::kTriple, 0, {1, 0, 0}, kRay, false, "rayDirectionX rayDirectionY rayDirectionZ"},
    {"objectId", "oi", Kind::kAddr, 0, {0}, kRay, false, ""},
    {"raySampler", "rtr", Kind::kAddr, 0, {0}, kRay, false, ""},
    {"rayDepth", "rd", Kind::kShort, 0, {0}, kRay, false, ""},
    {"lightDirectionX", "ldx", Kind::kFloat, 0, {1}, kLight, false, ""},
    {"lightDirectionY", "ldy", Kind::kFloat, 0, {1}, kLight, false, ""},
    {"lightDirectionZ", "ldz", Kind::kFloat, 0, {1}, kLight, false, ""},
    {"lightDirection", "ld", Kind::kTriple, 0, {1, 1, 1}, kLight, false, "lightDirectionX lightDirectionY lightDirectionZ"},
    {"lightIntensityR", "lir", Kind::kFloat, 0, {1}, kLight, false, ""},
    {"lightIntensityG", "lig", Kind::kFloat, 0, {1}, kLight, false, ""},
    {"lightIntensityB", "lib", Kind::kFloat, 0, {1}, kLight, false, ""},
    {"lightIntensity", "li", Kind::kTriple, 0, {1, 1, 1}, kLight, false, "lightIntensityR lightIntensityG lightIntensityB"},
    {"lightAmbient", "la", Kind::kBool, 0, {1}, kLight, false, ""},
    {"lightDiffuse", "ldf", Kind::kBool, 0, {1}, kLight, false, ""},
    {"lightSpecular", "ls", Kind::kBool, 0, {0}, kLight, false, ""},
    {"lightShadowFraction", "lsf", Kind::kFloat, 0, {1}, kLight, false, ""},
    {"preShadowIntensity", "psi", Kind::kFloat, 0, {1}, kLight, false, ""},
    {"lightBlindData", "lbld", Kind::kAddr, 0, {0}, kLight, false, ""},
    {"lightDataArray", "ltd", Kind::kLight, 0, {0}, kLightArray, false,
     "lightDirection lightIntensity lightAmbient lightDiffuse lightSpecular lightShadowFraction "
     "preShadowIntensity lightBlindData"},
};
// clang-format on

Kind kindOf(const AttributeInfo& a)
{
    if (a.kind == AttributeKind::kFloatTriple) return Kind::kTriple;
    if (a.kind == AttributeKind::kLightData) return Kind::kLight;
    switch (a.numericType) {
    case MFnNumericData::kShort: return Kind::kShort;
    case MFnNumericData::kBoolean: return Kind::kBool;
    case MFnNumericData::kAddr: return Kind::kAddr;
    default: return Kind::kFloat;
    }
}

std::string childNames(const AttributeInfo& a)
{
    std::string names;
    for (const AttributeInfo* c : a.children) names += (names.empty() ? "" : " ") + c->longName;
    return names;
}

class Attributes : public testsupport::GlossyTest {};

TEST_F(Attributes, MatchTheTableInCreationOrder)
{
    const auto& created = node->type().created;
    ASSERT_EQ(created.size(), std::size(kRows));
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const Row& row = kRows[i];
        const AttributeInfo& a = *created[i];
        SCOPED_TRACE(std::string("attribute ") + row.longName);
        EXPECT_EQ(a.longName, row.longName);
        EXPECT_EQ(a.shortName, row.shortName);
        EXPECT_EQ(kindOf(a), row.kind);
        EXPECT_EQ(a.createDefault, row.createDefault);
        const int channels = row.kind == Kind::kTriple ? 3 : 1;
        for (int c = 0; c < channels; ++c) EXPECT_EQ(a.defaultValue[c], row.defaults[c]) << "channel " << c;
        EXPECT_EQ(a.defaultAddress, nullptr);
        EXPECT_EQ(a.keyable, row.flags.keyable);
        EXPECT_EQ(a.storable, row.flags.storable);
        EXPECT_EQ(a.hidden, row.flags.hidden);
        EXPECT_EQ(a.readable, row.flags.readable);
        EXPECT_EQ(a.writable, row.flags.writable);
        EXPECT_EQ(a.usedAsColor, row.flags.usedAsColor);
        EXPECT_EQ(a.array, row.flags.array);
        EXPECT_TRUE(a.connectable);
        EXPECT_TRUE(a.cached);
        EXPECT_EQ(a.hasSoftMin, row.softRange);
        EXPECT_EQ(a.hasSoftMax, row.softRange);
        if (row.softRange) {
            EXPECT_EQ(a.softMin, 0.0);
            EXPECT_EQ(a.softMax, 1.0);
        }
        EXPECT_EQ(childNames(a), row.children);
    }
}

TEST_F(Attributes, NewNodeShowsTheMaterialDefaults)
{
    MFloatVector color;
    float value = 0.0f;
    short depth = -1;
    ASSERT_TRUE(node->getFloat3("color", color));
    EXPECT_EQ(color, MFloatVector(0.5f, 0.5f, 0.5f));
    ASSERT_TRUE(node->getFloat("diffuse", value));
    EXPECT_EQ(value, 0.8f);
    ASSERT_TRUE(node->getFloat("roughness", value));
    EXPECT_EQ(value, 0.3f);
    ASSERT_TRUE(node->getFloat("sharpness", value));
    EXPECT_EQ(value, 0.2f);
    ASSERT_TRUE(node->getFloat3("rayDirection", color));
    EXPECT_EQ(color, MFloatVector(1.0f, 0.0f, 0.0f));
    ASSERT_TRUE(node->getShort("rayDepth", depth));
    EXPECT_EQ(depth, 0);
    // The bounds are soft: values outside 0 .. 1 are accepted.
    EXPECT_TRUE(node->setFloat("reflectivity", 2.5f));
    EXPECT_TRUE(node->setFloat("diffuse", -1.0f));
}

TEST_F(Attributes, NewLightElementHasTheArrayDefault)
{
    const AttributeInfo& lights = *attribute("lightDataArray");
    ASSERT_TRUE(lights.hasElementDefault);
    const mayahost::LightData& d = lights.elementDefault;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d.direction[i], 0.0f);
        EXPECT_EQ(d.intensity[i], 0.0f);
    }
    EXPECT_TRUE(d.ambient);
    EXPECT_TRUE(d.diffuse);
    EXPECT_FALSE(d.specular);
    EXPECT_EQ(d.shadowFraction, 1.0f);
    EXPECT_EQ(d.preShadowIntensity, 1.0f);
    EXPECT_EQ(d.blindData, nullptr);
}

TEST_F(Attributes, AddedInOrder)
{
    const char* expected[] = {"color",           "transparency",        "ambientColor",       "incandescence",
                              "diffuse",         "translucence",        "roughness",          "sharpness",
                              "specularColor",   "reflectivity",        "reflectedColor",     "outColor",
                              "outTransparency", "rayDirection",        "pointCamera",        "normalCamera",
                              "lightDirection",  "lightIntensity",      "lightAmbient",       "lightDiffuse",
                              "lightSpecular",   "lightShadowFraction", "preShadowIntensity", "lightBlindData",
                              "lightDataArray",  "rayOrigin",           "objectId",           "raySampler",
                              "rayDepth"};
    const auto& added = node->type().added;
    ASSERT_EQ(added.size(), std::size(expected));
    for (std::size_t i = 0; i < added.size(); ++i) EXPECT_EQ(added[i]->longName, expected[i]) << "call " << i + 1;
}

TEST_F(Attributes, AffectsRelationInDeclaredOrder)
{
    const char* const oc = "outColor";
    const char* const ot = "outTransparency";
    const std::pair<const char*, const char*> expected[] = {
        {"colorR", oc},
        {"colorG", oc},
        {"colorB", oc},
        {"color", oc},
        {"transparencyR", ot},
        {"transparencyG", ot},
        {"transparencyB", ot},
        {"ambientColorR", oc},
        {"ambientColorG", oc},
        {"ambientColorB", oc},
        {"ambientColor", oc},
        {"transparency", ot},
        {"transparencyR", oc},
        {"transparencyG", oc},
        {"transparencyB", oc},
        {"transparency", oc},
        {"incandescenceR", oc},
        {"incandescenceG", oc},
        {"incandescenceB", oc},
        {"incandescence", oc},
        {"diffuse", oc},
        {"translucence", oc},
        {"roughness", oc},
        {"sharpness", oc},
        {"specularColorR", oc},
        {"specularColorG", oc},
        {"specularColorB", oc},
        {"specularColor", oc},
        {"reflectivity", oc},
        {"reflectedColorR", oc},
        {"reflectedColorG", oc},
        {"reflectedColorB", oc},
        {"reflectedColor", oc},
        {"lightIntensityR", oc},
        {"lightIntensityB", oc},
        {"lightIntensityG", oc},
        {"lightIntensity", oc},
        {"rayDirectionX", oc},
        {"rayDirectionY", oc},
        {"rayDirectionZ", oc},
        {"rayDirection", oc},
        {"pointCamera", oc},
        {"pointCameraX", oc},
        {"pointCameraY", oc},
        {"pointCameraZ", oc},
        {"normalCameraX", oc},
        {"normalCameraY", oc},
        {"normalCameraZ", oc},
        {"normalCamera", oc},
        {"lightDirectionX", oc},
        {"lightDirectionY", oc},
        {"lightDirectionZ", oc},
        {"lightDirection", oc},
        {"lightAmbient", oc},
        {"lightSpecular", oc},
        {"lightDiffuse", oc},
        {"lightShadowFraction", oc},
        {"preShadowIntensity", oc},
        {"lightBlindData", oc},
        {"lightDataArray", oc},
        {"rayOx", oc},
        {"rayOy", oc},
        {"rayOz", oc},
        {"rayOrigin", oc},
        {"objectId", oc},
        {"raySampler", oc},
        {"rayDepth", oc},
    };
    const auto& affects = node->type().affects;
    ASSERT_EQ(affects.size(), 67u);
    ASSERT_EQ(std::size(expected), 67u);
    std::set<std::string> colorInputs;
    for (std::size_t i = 0; i < affects.size(); ++i) {
        EXPECT_EQ(affects[i].first->longName, expected[i].first) << "call " << i + 1;
        EXPECT_EQ(affects[i].second->longName, expected[i].second) << "call " << i + 1;
        if (affects[i].second->longName == oc) colorInputs.insert(affects[i].first->longName);
    }
    // Every input (rows 1-29 and 38-71) affects outColor.
    EXPECT_EQ(colorInputs.size(), 63u);
}

TEST_F(Attributes, ChangingAnInputMakesOnlyWhatItAffectsDirty)
{
    const AttributeInfo* outColor = attribute("outColor");
    const AttributeInfo* outTransparency = attribute("outTransparency");
    MFloatVector value;
    ASSERT_TRUE(context->outColor(value));
    ASSERT_TRUE(context->outTransparency(value));
    ASSERT_FALSE(context->isDirty(outColor));

    context->setRayOrigin({1.0f, 2.0f, 3.0f});
    EXPECT_TRUE(context->isDirty(outColor));
    EXPECT_TRUE(context->isDirty(attribute("outColorG")));
    EXPECT_FALSE(context->isDirty(outTransparency));
    ASSERT_TRUE(context->outColor(value));

    EXPECT_TRUE(context->setFloat(attribute("lightShadowFraction"), 0.5f) == MStatus::kInvalidParameter)
        << "a light child lives in array elements";
    context->setLights(nullptr, 0);
    EXPECT_TRUE(context->isDirty(outColor));
    ASSERT_TRUE(context->outColor(value));

    ASSERT_TRUE(context->setFloat(attribute("transparencyG"), 0.5f));
    EXPECT_TRUE(context->isDirty(outColor));
    EXPECT_TRUE(context->isDirty(outTransparency));
    EXPECT_TRUE(context->isDirty(attribute("outTransparencyB")));
}

TEST_F(Attributes, OutputsCannotBeSetButCanBeConnectedFrom)
{
    EXPECT_EQ(node->setFloat3("outColor", {1.0f, 1.0f, 1.0f}), MStatus::kInvalidParameter);
    EXPECT_EQ(node->setFloat("outTransparencyR", 1.0f), MStatus::kInvalidParameter);
    EXPECT_TRUE(node->setFloat3("color", {0.1f, 0.2f, 0.3f}));

    auto other = mayahost::Node::create("glossy");
    ASSERT_TRUE(other);
    EXPECT_TRUE(mayahost::Node::connect(*node, "outColor", *other, "color"));
    EXPECT_EQ(other->connectionInto("color"), attribute("outColor"));
}

TEST_F(Attributes, RayInputsCannotBeConnectionSources)
{
    auto other = mayahost::Node::create("glossy");
    ASSERT_TRUE(other);
    for (const char* source : {"rayOrigin", "rayDirection"}) {
        const MStatus status = mayahost::Node::connect(*node, source, *other, "color");
        EXPECT_EQ(status, MStatus::kInvalidParameter) << source;
        EXPECT_NE(std::string(status.errorString().asChar()).find("not readable"), std::string::npos);
    }
    EXPECT_EQ(mayahost::Node::connect(*node, "rayOx", *other, "diffuse"), MStatus::kInvalidParameter);
    EXPECT_EQ(mayahost::Node::connect(*node, "objectId", *other, "raySampler"), MStatus::kInvalidParameter);
    EXPECT_EQ(mayahost::Node::connect(*node, "rayDepth", *other, "rayDepth"), MStatus::kInvalidParameter);
    EXPECT_EQ(other->connectionInto("color"), nullptr);
}

// How many well-formed error reports the text holds, one after another and
// nothing else: -1 when anything else is in it.
int countReports(const std::string& text)
{
    const std::string header = "\nAPI error detected in ";
    const std::string description = "(kFailure): Injected failure\n";
    int count = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.compare(at, header.size(), header) != 0) return -1;
        const std::size_t line = text.find(" at line ", at);
        const std::size_t end = text.find('\n', at + 1);
        if (line == std::string::npos || end == std::string::npos || line > end) return -1;
        if (text.compare(line - 14, 14, "glossyNode.cpp") != 0) return -1;
        const std::string number = text.substr(line + 9, end - line - 9);
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return -1;
        if (text.compare(end + 1, description.size(), description) != 0) return -1;
        at = end + 1 + description.size();
        ++count;
    }
    return count;
}

// Set-up with chosen calls failing: one report per failing call whose
// failures are reported, nothing for the others, and every attribute made.
TEST(AttributeErrors, OneReportPerFailingReportedCall)
{
    mayahost::injectAttributeFault("setHidden", "rayOrigin");
    mayahost::injectAttributeFault("setDefault", "lightAmbient");
    mayahost::injectAttributeFault("setArray", "lightDataArray");
    mayahost::injectAttributeFault("setStorable", "color");  // failures here go unreported
    testing::internal::CaptureStderr();
    std::string error;
    auto plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
    const std::string report = testing::internal::GetCapturedStderr();
    mayahost::clearAttributeFaults();
    ASSERT_TRUE(plugin) << error;

    EXPECT_EQ(countReports(report), 3) << report;

    const mayahost::NodeTypeInfo* type = mayahost::findNodeType("glossy");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->created.size(), 71u);
    EXPECT_FALSE(type->attribute("rayOrigin")->hidden);
    EXPECT_TRUE(type->attribute("color")->keyable);
    EXPECT_TRUE(plugin->unload());
}

}  // namespace
