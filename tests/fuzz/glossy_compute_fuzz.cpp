// glossy::compute through the Maya stand-in, the module loaded as Maya loads
// it: any value for every input attribute, 0 to 64 lights with any flags, any
// ray depth, a tracer that answers with any colour (or none), and any plug
// requested. Compute must not trap, must answer the plugs it handles with
// success and the rest as unknown, pass transparency through bit for bit, and
// give the same bits when asked again.
#include <maya/MFloatVector.h>
#include <maya/MStatus.h>
#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>
#include <mayahost/registry.h>
#include <mayahost/tracer.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.h"

namespace {

constexpr unsigned int kMaxLights = 64;

// What the tracer answers for the current input.
struct TraceAnswer {
    bool writes = false;
    MFloatVector color;
    MFloatVector transparency;
    MStatus status;
};

TraceAnswer gAnswer;

MStatus answerTrace(void*, const MFloatVector&, const MFloatVector&, const void*, const void*, short,
                    MFloatVector& color, MFloatVector& transparency, bool)
{
    if (gAnswer.writes) {
        color = gAnswer.color;
        transparency = gAnswer.transparency;
    }
    return gAnswer.status;
}

struct Harness {
    std::unique_ptr<mayahost::LoadedPlugin> plugin;
    std::unique_ptr<mayahost::Node> node;
    std::unique_ptr<mayahost::EvaluationContext> context;
    std::vector<const mayahost::AttributeInfo*> inputs;      // every settable top-level input
    std::vector<const mayahost::AttributeInfo*> attributes;  // every attribute, for the requested plug
    const mayahost::AttributeInfo* outColor = nullptr;
    const mayahost::AttributeInfo* outTransparency = nullptr;
    const mayahost::AttributeInfo* transparency = nullptr;
    const mayahost::AttributeInfo* handled[8] = {};
};

Harness* gHarness = nullptr;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "glossy_compute fuzz: %s\n", what);
    std::abort();
}

const mayahost::AttributeInfo* required(const mayahost::Node& node, const char* name)
{
    const mayahost::AttributeInfo* a = node.attribute(name);
    if (a == nullptr) {
        fail("the glossy node lacks an attribute the harness needs");
    }
    return a;
}

MFloatVector nextVector(fuzz::Input& in)
{
    const float x = in.nextFloat();
    const float y = in.nextFloat();
    return {x, y, in.nextFloat()};
}

// Writes one input of any kind with a value of that kind read from the input.
void setInput(mayahost::EvaluationContext& context, const mayahost::AttributeInfo* a, fuzz::Input& in)
{
    if (a->kind == mayahost::AttributeKind::kFloatTriple) {
        context.setFloat3(a, nextVector(in));
        return;
    }
    switch (a->numericType) {
    case MFnNumericData::kFloat: context.setFloat(a, in.nextFloat()); break;
    case MFnNumericData::kShort: context.setShort(a, in.next<short>()); break;
    case MFnNumericData::kBoolean: context.setBool(a, in.nextBool()); break;
    // Opaque to the node: it only hands them to the tracer.
    case MFnNumericData::kAddr: context.setAddress(a, reinterpret_cast<void*>(in.next<std::uintptr_t>())); break;
    default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Never destroyed: the hosts tear their registries down at exit, before
    // any static of ours could let go of what it holds from them.
    Harness& h = *new Harness;
    std::string error;
    h.plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
    if (!h.plugin) {
        fail(error.c_str());
    }
    h.node = mayahost::Node::create("glossy");
    if (!h.node) {
        fail("no glossy node could be created");
    }
    h.context = std::make_unique<mayahost::EvaluationContext>(*h.node, kMaxLights);
    for (const mayahost::AttributeInfo* a : h.node->type().created) {
        h.attributes.push_back(a);
        if (a->parent == nullptr && !a->array && a->writable && a->kind != mayahost::AttributeKind::kLightData) {
            h.inputs.push_back(a);
        }
    }
    h.outColor = required(*h.node, "outColor");
    h.outTransparency = required(*h.node, "outTransparency");
    h.transparency = required(*h.node, "transparency");
    const char* const handled[] = {"outColor",        "outColorR",        "outColorG",        "outColorB",
                                   "outTransparency", "outTransparencyR", "outTransparencyG", "outTransparencyB"};
    for (int i = 0; i < 8; ++i) {
        h.handled[i] = required(*h.node, handled[i]);
    }
    mayahost::installTracer(answerTrace, nullptr);
    gHarness = &h;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Harness& h = *gHarness;
    mayahost::EvaluationContext& context = *h.context;
    fuzz::Input in(data, size);

    // Which plug is asked for: mostly one compute handles, sometimes any.
    const std::uint8_t pick = in.next<std::uint8_t>();
    const bool anyPlug = (pick & 0x80u) != 0;
    const mayahost::AttributeInfo* plug = anyPlug ? h.attributes[pick % h.attributes.size()] : h.handled[pick % 8u];

    gAnswer.writes = in.nextBool();
    gAnswer.color = nextVector(in);
    gAnswer.transparency = nextVector(in);
    gAnswer.status = in.nextBool() ? MStatus::kSuccess : MStatus::kFailure;

    // Every input from this case alone: nothing carries over from the last.
    context.syncFromNode();
    for (const mayahost::AttributeInfo* a : h.inputs) {
        setInput(context, a, in);
    }
    mayahost::LightSample lights[kMaxLights];
    const unsigned int lightCount = in.nextBelow(kMaxLights + 1);
    for (unsigned int i = 0; i < lightCount; ++i) {
        mayahost::LightSample& l = lights[i];
        l.direction = nextVector(in);
        l.intensity = nextVector(in);
        const std::uint8_t flags = in.next<std::uint8_t>();
        l.ambient = (flags & 1u) != 0;
        l.diffuse = (flags & 2u) != 0;
        l.specular = (flags & 4u) != 0;
        l.shadowFraction = in.nextFloat();
        l.preShadowIntensity = in.nextFloat();
        l.blindData = reinterpret_cast<void*>(in.next<std::uintptr_t>());
    }
    if (!context.setLights(lights, lightCount)) {
        fail("the stand-in refused a light array within its room");
    }

    // Only a dirty plug reaches compute; a clean one is answered by the host.
    const bool handledPlug = std::find(std::begin(h.handled), std::end(h.handled), plug) != std::end(h.handled);
    const bool reachesCompute = context.isDirty(plug);
    const MStatus status = context.evaluate(plug);
    if (reachesCompute && status != (handledPlug ? MStatus::kSuccess : MStatus::kUnknownParameter)) {
        fail("compute answered a plug with the wrong status");
    }

    MFloatVector first;
    MFloatVector transparency;
    if (!context.outColor(first) || !context.outTransparency(transparency)) {
        fail("compute failed an output plug");
    }
    if (!fuzz::sameBits(transparency, context.float3(h.transparency))) {
        fail("outTransparency is not transparency passed through");
    }

    // The same inputs again: setting the lights anew makes the colour dirty.
    context.setLights(lights, lightCount);
    MFloatVector second;
    context.outColor(second);
    if (!fuzz::sameBits(first, second)) {
        fail("the same inputs gave another colour");
    }
    return 0;
}
