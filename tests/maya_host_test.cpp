// The stand-in Maya API on its own, with a small node type defined here:
// registration refusals, data-block handles and arrays, dirty propagation,
// status reports, the command log and the tracer hand-off.

// Not a plug-in: no API version record here.
#define MNoVersionString

#include <gtest/gtest.h>
#include <maya/MDataBlock.h>
#include <maya/MFloatVector.h>
#include <maya/MFnLightDataAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MRenderUtil.h>
#include <maya/MString.h>
#include <mayahost/command_log.h>
#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>
#include <mayahost/tracer.h>

namespace {

// Doubles `input` into `output`; sums the intensities of `lights` into `total`.
class Doubler : public MPxNode {
public:
    static void* creator() { return new Doubler; }
    static MStatus initialize();
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static MObject input, output, triple, tripleX, lights, intensity, intensityR, total, flag;
};

MObject Doubler::input, Doubler::output, Doubler::triple, Doubler::tripleX, Doubler::lights, Doubler::intensity,
    Doubler::intensityR, Doubler::total, Doubler::flag;

MStatus Doubler::initialize()
{
    MFnNumericAttribute n;
    MFnLightDataAttribute l;
    input = n.create("input", "in", MFnNumericData::kFloat, 1.5);
    output = n.create("output", "out", MFnNumericData::kFloat, 0.0);
    n.setWritable(false);
    tripleX = n.create("tripleX", "tx", MFnNumericData::kFloat, 1.0);
    MObject y = n.create("tripleY", "ty", MFnNumericData::kFloat, 2.0);
    MObject z = n.create("tripleZ", "tz", MFnNumericData::kFloat, 3.0);
    triple = n.create("triple", "t", tripleX, y, z);
    flag = n.create("flag", "f", MFnNumericData::kBoolean, 1.0);
    MObject dX = n.create("dX", "dx", MFnNumericData::kFloat, 0.0);
    MObject dY = n.create("dY", "dy", MFnNumericData::kFloat, 0.0);
    MObject dZ = n.create("dZ", "dz", MFnNumericData::kFloat, 0.0);
    MObject direction = n.create("d", "d", dX, dY, dZ);
    intensityR = n.create("iR", "ir", MFnNumericData::kFloat, 0.0);
    MObject iG = n.create("iG", "ig", MFnNumericData::kFloat, 0.0);
    MObject iB = n.create("iB", "ib", MFnNumericData::kFloat, 0.0);
    intensity = n.create("i", "i", intensityR, iG, iB);
    MObject ambient = n.create("a", "a", MFnNumericData::kBoolean, 0.0);
    MObject diffuse = n.create("df", "df", MFnNumericData::kBoolean, 0.0);
    MObject specular = n.create("s", "s", MFnNumericData::kBoolean, 0.0);
    MObject shadow = n.create("sf", "sf", MFnNumericData::kFloat, 0.0);
    MObject pre = n.create("p", "p", MFnNumericData::kFloat, 0.0);
    MObject blind = n.createAddr("b", "b");
    lights = l.create("lightDataArray", "ltd", direction, intensity, ambient, diffuse, specular, shadow, pre, blind);
    l.setArray(true);
    total = n.create("total", "tt", MFnNumericData::kFloat, 0.0);
    for (MObject* a : {&input, &output, &triple, &flag, &lights, &total}) addAttribute(*a);
    attributeAffects(input, output);
    attributeAffects(lights, total);
    return MS::kSuccess;
}

MStatus Doubler::compute(const MPlug& plug, MDataBlock& block)
{
    if (plug == output) {
        MDataHandle out = block.outputValue(output);
        out.asFloat() = 2.0f * block.inputValue(input).asFloat();
        out.setClean();
        return MS::kSuccess;
    }
    if (plug == total) {
        MArrayDataHandle array = block.inputArrayValue(lights);
        float sum = 0.0f;
        for (unsigned int i = 0; i < array.elementCount(); ++i) {
            MDataHandle element = array.inputValue();
            sum += element.child(intensity).asFloatVector().x;
            if (!array.next()) break;
        }
        block.outputValue(total).asFloat() = sum;
        block.setClean(total);
        return MS::kSuccess;
    }
    return MS::kUnknownParameter;
}

// Another node type whose attributes sit at the positions of Doubler's
// `input` and `tripleX` within their types: its handles must not reach
// Doubler's values.
class Stranger : public MPxNode {
public:
    static void* creator() { return new Stranger; }
    static MStatus initialize();
    MStatus compute(const MPlug&, MDataBlock&) override { return MS::kUnknownParameter; }

    static MObject value, channelX;
};

MObject Stranger::value, Stranger::channelX;

MStatus Stranger::initialize()
{
    MFnNumericAttribute n;
    value = n.create("value", "v", MFnNumericData::kFloat, 0.0);
    MObject spare = n.create("spare", "sp", MFnNumericData::kFloat, 0.0);
    channelX = n.create("channelX", "cx", MFnNumericData::kFloat, 0.0);
    MObject y = n.create("channelY", "cy", MFnNumericData::kFloat, 0.0);
    MObject z = n.create("channelZ", "cz", MFnNumericData::kFloat, 0.0);
    MObject channels = n.create("channels", "c", channelX, y, z);
    for (MObject* a : {&value, &spare, &channels}) addAttribute(*a);
    return MS::kSuccess;
}

}  // namespace

namespace {

const MTypeId kDoublerId(0x7F100);

class Host : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        MObject plugin = mayahost::staticPluginObject("host tests");
        MFnPlugin fn(plugin, "tests", "2.0");
        ASSERT_TRUE(fn.registerNode("doubler", kDoublerId, Doubler::creator, Doubler::initialize));
        ASSERT_TRUE(fn.registerNode("stranger", MTypeId(0x7F102), Stranger::creator, Stranger::initialize));
    }
};

TEST_F(Host, TakenNameOrIdIsRefused)
{
    MObject plugin = mayahost::staticPluginObject("rival tests");
    MFnPlugin fn(plugin);
    EXPECT_EQ(fn.registerNode("doubler", MTypeId(0x7F101), Doubler::creator, Doubler::initialize), MStatus::kFailure);
    EXPECT_EQ(fn.registerNode("other", kDoublerId, Doubler::creator, Doubler::initialize), MStatus::kFailure);
    EXPECT_EQ(fn.deregisterNode(kDoublerId), MStatus::kNotFound) << "another plug-in's type";
    EXPECT_EQ(mayahost::findNodeType("other"), nullptr);
    const mayahost::NodeTypeInfo* type = mayahost::findNodeType("doubler");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->version, "2.0");
    EXPECT_EQ(type->requiredApiVersion, "Any");
    EXPECT_EQ(MPxNode::addAttribute(Doubler::input), MStatus::kFailure) << "no type is being registered";
}

TEST_F(Host, HandlesReachValuesChildrenAndArrays)
{
    auto node = mayahost::Node::create("doubler");
    ASSERT_TRUE(node);
    mayahost::EvaluationContext context(*node, 3);
    MDataBlock& block = context.dataBlock();
    MStatus status;
    EXPECT_EQ(block.inputValue(Doubler::input, &status).asFloat(), 1.5f);
    EXPECT_TRUE(status);
    MDataHandle triple = block.inputValue(Doubler::triple);
    EXPECT_EQ(triple.asFloatVector(), MFloatVector(1.0f, 2.0f, 3.0f));
    triple.child(Doubler::tripleX).asFloat() = 5.0f;
    EXPECT_EQ(triple.asFloatVector().x, 5.0f) << "a child is a channel of its triple";
    EXPECT_TRUE(block.inputValue(Doubler::flag).asBool());

    // The wrong accessor or an unknown attribute reaches scratch, never the value.
    block.inputValue(Doubler::input).asFloatVector() = MFloatVector(9.0f, 9.0f, 9.0f);
    EXPECT_EQ(block.inputValue(Doubler::input).asFloat(), 1.5f);
    // Another type's attribute at the same position within its type, or no
    // attribute, finds nothing here, as a value or as a child.
    for (const MObject& foreign : {Stranger::value, Stranger::channelX, MObject::kNullObj}) {
        block.inputValue(foreign, &status).asFloat() = 8.0f;
        EXPECT_EQ(status, MStatus::kInvalidParameter);
        EXPECT_EQ(block.setClean(foreign), MStatus::kInvalidParameter);
        triple.child(foreign).asFloat() = 8.0f;
    }
    // An array's own handle holds no element: its children are not in the
    // record (there they would overlay the triple).
    block.inputValue(Doubler::lights, &status).child(Doubler::intensity).set(8.0f, 8.0f, 8.0f);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_EQ(block.inputValue(Doubler::input).asFloat(), 1.5f);
    EXPECT_EQ(triple.asFloatVector(), MFloatVector(5.0f, 2.0f, 3.0f));

    mayahost::LightSample lights[3];
    for (int i = 0; i < 3; ++i) lights[i].intensity = MFloatVector(static_cast<float>(i + 1), 0.0f, 0.0f);
    EXPECT_EQ(context.setLights(lights, 4), MStatus::kInvalidParameter) << "more than the context holds";
    ASSERT_TRUE(context.setLights(lights, 3));
    MArrayDataHandle array = block.inputArrayValue(Doubler::lights);
    EXPECT_EQ(array.elementCount(), 3u);
    EXPECT_TRUE(array.next());
    EXPECT_EQ(array.inputValue().child(Doubler::intensity).asFloatVector().x, 2.0f);
    EXPECT_TRUE(array.next());
    EXPECT_FALSE(array.next()) << "no element after the last";
    EXPECT_EQ(array.elementIndex(), 2u);

    // An element's reads of another kind, and its grandchildren or another
    // value's children asked of it, reach scratch: no element nor the
    // record changes.
    MDataHandle first = block.inputArrayValue(Doubler::lights).inputValue();
    first.asFloatVector() = MFloatVector(7.0f, 7.0f, 7.0f);
    first.child(Doubler::intensity).asAddr() = &status;
    for (const MObject& notChild : {Doubler::intensityR, Doubler::tripleX, Doubler::input, Doubler::lights}) {
        first.child(notChild).set(7.0f, 7.0f, 7.0f);
    }
    EXPECT_EQ(first.child(Doubler::intensity).child(Doubler::intensityR).asFloat(), 1.0f);
    EXPECT_EQ(block.inputValue(Doubler::input).asFloat(), 1.5f);
    // A handle made by no block reaches the host's own scratch value.
    MDataHandle none;
    none.asFloatVector() = MFloatVector(7.0f, 7.0f, 7.0f);
    none.child(Doubler::triple).asFloat() = 7.0f;
    none.setClean();

    EXPECT_TRUE(context.evaluate(node->attribute("total")));
    EXPECT_EQ(context.floatValue(node->attribute("total")), 6.0f);
    ASSERT_TRUE(context.setLights(lights, 0));
    MArrayDataHandle empty = block.inputArrayValue(Doubler::lights);
    empty.inputValue(&status);
    EXPECT_FALSE(status);
}

TEST_F(Host, ComputeRunsOnlyForDirtyPlugsAndPassesItsStatusBack)
{
    auto node = mayahost::Node::create("doubler");
    ASSERT_TRUE(node);
    ASSERT_TRUE(node->setFloat("input", 4.0f));
    EXPECT_EQ(node->setFloat("output", 1.0f), MStatus::kInvalidParameter);
    EXPECT_EQ(node->setFloat("missing", 1.0f), MStatus::kNotFound);
    EXPECT_EQ(node->setBool("input", true), MStatus::kInvalidParameter) << "another kind";

    mayahost::EvaluationContext context(*node, 1);
    const mayahost::AttributeInfo* input = node->attribute("input");
    const mayahost::AttributeInfo* output = node->attribute("output");
    EXPECT_TRUE(context.evaluate(output));
    EXPECT_EQ(context.floatValue(output), 8.0f);
    EXPECT_TRUE(context.evaluate(output));
    EXPECT_EQ(context.computeCount(), 1u);

    ASSERT_TRUE(context.setFloat3(node->attribute("triple"), {0.0f, 0.0f, 0.0f}));
    EXPECT_FALSE(context.isDirty(output)) << "triple affects nothing";
    ASSERT_TRUE(context.setFloat(input, 0.25f));
    EXPECT_TRUE(context.isDirty(output));
    EXPECT_TRUE(context.evaluate(output));
    EXPECT_EQ(context.floatValue(output), 0.5f);
    EXPECT_EQ(context.computeCount(), 2u);

    EXPECT_EQ(context.evaluate(node->attribute("flag")), MStatus::kUnknownParameter);
}

TEST_F(Host, SetCleanClearsTheValueAndEveryDescendantAndNoNeighbour)
{
    auto node = mayahost::Node::create("doubler");
    ASSERT_TRUE(node);
    mayahost::EvaluationContext context(*node, 1);
    ASSERT_TRUE(context.dataBlock().setClean(Doubler::lights));
    for (const char* name :
         {"lightDataArray", "d", "dX", "dY", "dZ", "i", "iR", "iG", "iB", "a", "df", "s", "sf", "p", "b"}) {
        EXPECT_FALSE(context.isDirty(node->attribute(name))) << name;
    }
    // Made just before and just after the array's family.
    EXPECT_TRUE(context.isDirty(node->attribute("flag")));
    EXPECT_TRUE(context.isDirty(node->attribute("total")));
}

TEST(Status, PerrorPrintsTheDescriptionAfterThePrefix)
{
    testing::internal::CaptureStderr();
    MStatus(MStatus::kFailure).perror("setHidden");
    MStatus(MStatus::kUnknownParameter).perror("");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "setHidden: (kFailure): Unexpected Internal Failure\n(kUnknownParameter): Unknown Parameter\n");
    EXPECT_TRUE(MStatus() == MS::kSuccess);
}

TEST(Status, ComparesByCodeWithTheCodeOnEitherSide)
{
    const MStatus failure(MS::kFailure);
    EXPECT_TRUE(MS::kSuccess == MStatus());
    EXPECT_FALSE(MS::kSuccess == failure);
    EXPECT_TRUE(MS::kFailure == failure);
    EXPECT_TRUE(MS::kNotFound != failure);
    EXPECT_FALSE(failure != MS::kFailure);
}

TEST(FloatVector, NormalizeDividesByTheLength)
{
    // Multiplying by the reciprocal of the length would round x and y differently.
    MFloatVector v(0x1.24924ap-3f, 0x1.555556p-1f, 0x1p-1f);
    EXPECT_TRUE(v.normalize());
    EXPECT_EQ(v.x, 0x1.5a09b4p-3f);
    EXPECT_EQ(v.y, 0x1.93b5fcp-1f);
    EXPECT_EQ(v.z, 0x1.2ec87ep-1f);
    MFloatVector zero;
    zero.normalize();
    EXPECT_EQ(zero, MFloatVector(0.0f, 0.0f, 0.0f));
}

TEST(CommandLog, RecordsTextAndFlags)
{
    mayahost::clearCommandLog();
    EXPECT_TRUE(MGlobal::executeCommand("ls;", true, false));
    EXPECT_TRUE(MGlobal::executeCommand("select -cl;", false, true));
    const auto log = mayahost::commandLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].text, "ls;");
    EXPECT_TRUE(log[0].displayEnabled);
    EXPECT_FALSE(log[0].undoEnabled);
    EXPECT_EQ(log[1].text, "select -cl;");
    EXPECT_FALSE(log[1].displayEnabled);
    EXPECT_TRUE(log[1].undoEnabled);
}

MStatus answerRed(void* user, const MFloatVector&, const MFloatVector& direction, const void*, const void*, short depth,
                  MFloatVector& color, MFloatVector&, bool reflected)
{
    *static_cast<int*>(user) += 1;
    color = MFloatVector(1.0f, direction.y, static_cast<float>(depth));
    return reflected ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kNotImplemented);
}

TEST(Raytrace, GoesToTheInstalledTracerOnly)
{
    MFloatVector color(0.5f, 0.5f, 0.5f), transparency;
    mayahost::installTracer(nullptr, nullptr);
    EXPECT_EQ(MRenderUtil::raytrace({}, {0.0f, 1.0f, 0.0f}, nullptr, nullptr, 0, color, transparency),
              MStatus::kFailure);
    EXPECT_EQ(color, MFloatVector(0.5f, 0.5f, 0.5f)) << "untouched without a tracer";

    int calls = 0;
    mayahost::installTracer(answerRed, &calls);
    EXPECT_TRUE(MRenderUtil::raytrace({}, {0.0f, 0.25f, 0.0f}, nullptr, nullptr, 2, color, transparency));
    EXPECT_EQ(color, MFloatVector(1.0f, 0.25f, 2.0f));
    EXPECT_EQ(MRenderUtil::raytrace({}, {}, nullptr, nullptr, 0, color, transparency, false), MStatus::kNotImplemented)
        << "the tracer's status comes back";
    EXPECT_EQ(calls, 2);
    mayahost::installTracer(nullptr, nullptr);
}

}  // namespace
