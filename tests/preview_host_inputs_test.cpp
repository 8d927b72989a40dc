// The inputs the preview learns from the hosts: every kind a node type
// registers or a declaration declares, read with its default and range; a
// Maya boolean or short set through its own setAttr call; both hosts' inputs
// listed in one order; and the command line reading values by the kind the
// host declares.
#define MNoVersionString

#include <gtest/gtest.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>
#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>
#include <mayahost/registry.h>
#include <mrhost/declaration.h>

#include <string>
#include <vector>

#include "host_inputs.h"
#include "maya_adapter.h"
#include "options.h"

using namespace preview;

namespace {

// A node type with one attribute of each kind a look sets, and two it does not.
class Switches : public MPxNode {
public:
    static void* creator() { return new Switches; }
    static MStatus initialize()
    {
        MFnNumericAttribute n;
        MObject gain = n.create("gain", "g", MFnNumericData::kFloat, 0.25);
        n.setSoftMin(0.0);
        n.setSoftMax(2.0);
        MObject flag = n.create("flag", "f", MFnNumericData::kBoolean, 1.0);
        MObject count = n.create("count", "c", MFnNumericData::kShort, 3.0);
        MObject tint = n.create("tint", "t", n.create("tintR", "tr", MFnNumericData::kFloat, 0.5),
                                n.create("tintG", "tg", MFnNumericData::kFloat, 0.5),
                                n.create("tintB", "tb", MFnNumericData::kFloat, 0.5));
        n.setUsedAsColor(true);
        MObject offset = n.create("offset", "o", n.create("offsetX", "ox", MFnNumericData::kFloat, 0.0),
                                  n.create("offsetY", "oy", MFnNumericData::kFloat, 1.0),
                                  n.create("offsetZ", "oz", MFnNumericData::kFloat, 0.0));
        MObject depth = n.create("depth", "d", MFnNumericData::kShort, 0.0);
        n.setHidden(true);
        MObject result = n.create("result", "r", MFnNumericData::kFloat, 0.0);
        n.setWritable(false);
        for (const MObject& a : {gain, flag, count, tint, offset, depth, result}) addAttribute(a);
        return MS::kSuccess;
    }
};

class HostInputsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        MObject object = mayahost::staticPluginObject("host input tests");
        MFnPlugin plugin(object, "tests", "1.0");
        ASSERT_TRUE(plugin.registerNode("switches", MTypeId(0x7F200), Switches::creator, Switches::initialize));
    }
};

TEST_F(HostInputsTest, EachKindIsReadWithItsDefaultAndRange)
{
    const std::vector<DeclaredInput> maya = mayaInputs(*mayahost::findNodeType("switches"));
    const std::vector<DeclaredInput> mentalRay = shaderInputs(mrhost::parseDeclarations(
        "declare shader color \"s\" (scalar \"gain\" default 2, integer \"passes\" default -4, vector \"offset\","
        " boolean \"flag\" default on, color \"tint\" default 0.25 0.5 1 1, array light \"light\") end declare",
        "s.mi")[0]);
    const struct {
        const std::vector<DeclaredInput>& inputs;
        const char* name;
        DeclaredKind kind;
        std::array<float, 3> defaults;
        long long integerMax;
        bool softRange;
    } rows[] = {
        {maya, "gain", DeclaredKind::Scalar, {0.25f, 0.0f, 0.0f}, 0, true},
        {maya, "flag", DeclaredKind::Boolean, {1.0f, 0.0f, 0.0f}, 0, false},
        {maya, "count", DeclaredKind::Integer, {3.0f, 0.0f, 0.0f}, 32767, false},
        {maya, "tint", DeclaredKind::Color, {0.5f, 0.5f, 0.5f}, 0, false},
        {maya, "offset", DeclaredKind::Vector, {0.0f, 1.0f, 0.0f}, 0, false},
        {mentalRay, "gain", DeclaredKind::Scalar, {2.0f, 0.0f, 0.0f}, 0, false},
        {mentalRay, "passes", DeclaredKind::Integer, {-4.0f, 0.0f, 0.0f}, 2147483647, false},
        {mentalRay, "offset", DeclaredKind::Vector, {0.0f, 0.0f, 0.0f}, 0, false},
        {mentalRay, "flag", DeclaredKind::Boolean, {1.0f, 0.0f, 0.0f}, 0, false},
        {mentalRay, "tint", DeclaredKind::Color, {0.25f, 0.5f, 1.0f}, 0, false},
    };
    EXPECT_EQ(maya.size(), 5u) << "the hidden short and the output are not a look's";
    EXPECT_EQ(mentalRay.size(), 5u) << "the light array is the scene's";
    for (const auto& row : rows) {
        const DeclaredInput* input = findInput(row.inputs, row.name);
        ASSERT_NE(input, nullptr) << row.name;
        EXPECT_EQ(input->kind, row.kind) << row.name;
        EXPECT_EQ(input->defaults, row.defaults) << row.name;
        EXPECT_EQ(input->integerMax, row.integerMax) << row.name;
        EXPECT_EQ(input->hasSoftRange, row.softRange) << row.name;
    }
    EXPECT_EQ(findInput(maya, "gain")->softMax, 2.0f);
}

TEST_F(HostInputsTest, ABooleanAndAShortAreSetAsTheirOwnKind)
{
    auto node = mayahost::Node::create("switches");
    ASSERT_TRUE(node);
    setNodeInput(*node, "flag", {InputKind::Boolean, {0.0f, 0.0f, 0.0f}});
    setNodeInput(*node, "count", {InputKind::Scalar, {-7.0f, 0.0f, 0.0f}});
    setNodeInput(*node, "offset", {InputKind::Triple, {1.0f, 2.0f, 3.0f}});
    bool flag = true;
    short count = 0;
    MFloatVector offset;
    EXPECT_EQ(node->getBool("flag", flag), MStatus::kSuccess);
    EXPECT_FALSE(flag);
    EXPECT_EQ(node->getShort("count", count), MStatus::kSuccess);
    EXPECT_EQ(count, -7);
    EXPECT_EQ(node->getFloat3("offset", offset), MStatus::kSuccess);
    EXPECT_EQ(offset.z, 3.0f);
    // What the node would refuse, and a short that is no whole number, are refused as the node's.
    for (const char* name : {"result", "missing"})
        EXPECT_THROW(setNodeInput(*node, name, {InputKind::Scalar, {1.0f, 0.0f, 0.0f}}), HostError) << name;
    EXPECT_THROW(setNodeInput(*node, "count", {InputKind::Scalar, {2.5f, 0.0f, 0.0f}}), HostError);
}

// Two hosts' own inputs, as a test declares them.
HostInputs twoHosts()
{
    HostInputs inputs;
    inputs.maya = {{"a", DeclaredKind::Scalar}, {"mayaOnly", DeclaredKind::Color}, {"b", DeclaredKind::Scalar}};
    inputs.mentalRay = {{"first", DeclaredKind::Boolean},
                        {"a", DeclaredKind::Color},
                        {"mid", DeclaredKind::Vector},
                        {"b", DeclaredKind::Scalar},
                        {"last", DeclaredKind::Scalar}};
    DeclaredInput count{"count", DeclaredKind::Integer};
    count.integerMin = -5;
    count.integerMax = 5;
    inputs.maya.push_back(count);
    return inputs;
}

TEST(HostInputsOrder, EachRendererInputFollowsTheOneBeforeItInTheDeclaration)
{
    EXPECT_EQ(twoHosts().names(), (std::vector<std::string>{"first", "a", "mid", "mayaOnly", "b", "last", "count"}));
}

TEST(HostInputsOrder, ASettingReachesAHostInScopeWithAValueOfItsShape)
{
    const HostInputs inputs = twoHosts();
    const MaterialValue number{InputKind::Scalar, {1.0f, 0.0f, 0.0f}};
    const struct {
        MaterialSetting setting;
        bool maya, mentalRay;
    } rows[] = {
        {{"b", number, HostScope::Both}, true, true},
        {{"b", number, HostScope::Maya}, true, false},
        {{"b", number, HostScope::MentalRay}, false, true},
        {{"a", number, HostScope::Both}, true, false},  // a colour on the renderer
        {{"last", number, HostScope::Both}, false, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(settingApplies(inputs, row.setting, HostSide::Maya), row.maya) << row.setting.name;
        EXPECT_EQ(settingApplies(inputs, row.setting, HostSide::MentalRay), row.mentalRay) << row.setting.name;
    }
}

TEST(HostInputsOrder, TheCommandLineReadsEachValueAsItsHostDeclaresIt)
{
    const HostInputs inputs = twoHosts();
    const PreviewOptions options =
        parseOptions({"--set", "count=-5", "--set", "mentalray:a=1,2,3", "--set", "first=on"}, inputs);
    EXPECT_EQ(options.settings.at(0).setting.value.values[0], -5.0f);
    EXPECT_EQ(options.settings.at(1).setting.value.kind, InputKind::Triple);
    EXPECT_EQ(options.settings.at(2).setting.value.kind, InputKind::Boolean);
    const std::pair<std::vector<std::string>, const char*> refused[] = {
        {{"--set", "count=6"}, "'6' is not a value for count (expected a whole number from -5 to 5)"},
        {{"--set", "count=1.5"}, "(expected a whole number from -5 to 5)"},
        {{"--set", "a=1,2,3"}, "(expected a number such as 0.3)"},
        {{"--set", "maya:last=1"}, "last is not an input of the Maya node"},
        {{"--set", "nothing=1"},
         "unknown material input 'nothing' (expected one of first, a, mid, mayaOnly, b, last, count)"},
        {{"--sweep", "count=0:1:2"}, "count is a whole number and cannot be swept"},
    };
    for (const auto& [args, message] : refused) {
        try {
            parseOptions(args, inputs);
            ADD_FAILURE() << args[1] << ": accepted";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
