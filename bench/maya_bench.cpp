// glossy::compute per sample, loaded through the Maya stand-in, with 1 and
// with 4 lights, against a floor that does the same arithmetic directly on
// the same inputs: per light the ambient, diffuse and translucence sums and
// highlightTerm, then the transparency scaling ("x_floor").
//   GlossyCompute      compute alone, on data blocks the renderer has filled;
//                      also "x_alone": against everything compute must do
//                      written inline, reading and writing a record laid out
//                      as a data block lays out its values
//   GlossyShadeSample  the renderer's whole per-sample path: fill the render
//                      inputs and lights, request outColor
#include "floor_ratio.h"
#include "highlight.h"
#include "highlight_inline.h"

#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

using shading::Float3;

struct Sample {
    MFloatVector P, N, V;
};

struct Material {
    MFloatVector Cb{0.5f, 0.4f, 0.3f}, Ca{0.1f, 0.1f, 0.1f}, Ci{0.0f, 0.05f, 0.0f}, Cs{0.5f, 0.5f, 0.5f},
        T{0.1f, 0.2f, 0.0f};
    float kd = 0.8f, kt = 0.1f, ro = 0.3f, sh = 0.2f;
};

struct Setup {
    std::unique_ptr<mayahost::LoadedPlugin> plugin;
    std::unique_ptr<mayahost::Node> node;
    std::unique_ptr<mayahost::EvaluationContext> context;
    Material m;
    std::vector<Sample> samples;
    std::vector<mayahost::LightSample> lights;

    Setup(int lightCount, int sampleCount)
    {
        std::string error;
        plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
        if (!plugin) throw std::runtime_error(error);
        node = mayahost::Node::create("glossy");
        node->setFloat3("color", m.Cb);
        node->setFloat3("ambientColor", m.Ca);
        node->setFloat3("incandescence", m.Ci);
        node->setFloat3("specularColor", m.Cs);
        node->setFloat3("transparency", m.T);
        node->setFloat("diffuse", m.kd);
        node->setFloat("translucence", m.kt);
        node->setFloat("roughness", m.ro);
        node->setFloat("sharpness", m.sh);
        node->setFloat("reflectivity", 0.0f);  // no tracer here: the floor traces nothing either
        context = std::make_unique<mayahost::EvaluationContext>(*node, static_cast<unsigned int>(lightCount));

        for (int l = 0; l < lightCount; ++l) {
            const float a = 0.7f * static_cast<float>(l);
            mayahost::LightSample light;
            light.direction = MFloatVector(0.6f * std::cos(a), 0.6f * std::sin(a), 0.8f);
            light.intensity = MFloatVector(1.0f, 0.9f, 0.8f);
            light.specular = true;
            lights.push_back(light);
        }
        // A small curved patch seen from the camera.
        for (int i = 0; i < sampleCount; ++i) {
            const float u = static_cast<float>(i % 16) / 16.0f - 0.5f;
            const float v = static_cast<float>(i / 16) / 16.0f - 0.5f;
            const float n = std::sqrt(u * u + v * v + 1.0f);
            const float d = std::sqrt(u * u + v * v + 25.0f);
            samples.push_back({{u, v, -5.0f}, {u / n, v / n, 1.0f / n}, {u / d, v / d, -5.0f / d}});
        }
    }

    ~Setup()
    {
        context.reset();
        node.reset();
    }
};

Float3 toFloat3(const MFloatVector& v) { return {v.x, v.y, v.z}; }

// The same arithmetic as compute, straight from the inputs.
void shadeDirectly(const Setup& setup)
{
    const Material& m = setup.m;
    for (const Sample& s : setup.samples) {
        MFloatVector Sa, Sd, Ss, St;
        const Float3 toViewer = toFloat3(-s.V);
        for (const mayahost::LightSample& light : setup.lights) {
            const MFloatVector& I = light.intensity;
            const MFloatVector& L = light.direction;
            Sa += MFloatVector(I.x * m.Cb.x, I.y * m.Cb.y, I.z * m.Cb.z);
            const float d = L * s.N;
            if (d > 0.0f) {
                const float dkd = d * m.kd;
                Sd += MFloatVector((dkd * I.x) * m.Cb.x, (dkd * I.y) * m.Cb.y, (dkd * I.z) * m.Cb.z);
            }
            const Float3 h = shading::highlightTerm(toViewer, toFloat3(s.N), toFloat3(L), toFloat3(I), toFloat3(m.Cs),
                                                    m.ro, m.sh, 1.0f);
            Ss += MFloatVector(h.x, h.y, h.z);
            St += MFloatVector((I.x * m.Cb.x) * m.kt, (I.y * m.Cb.y) * m.kt, (I.z * m.Cb.z) * m.kt);
        }
        const MFloatVector Am(m.Ca.x * m.Cb.x, m.Ca.y * m.Cb.y, m.Ca.z * m.Cb.z);
        MFloatVector U = Sa + (((Sd + Am) + m.Ci) + St);
        U = MFloatVector((1.0f - m.T.x) * U.x, (1.0f - m.T.y) * U.y, (1.0f - m.T.z) * U.z);
        MFloatVector color = U + Ss;
        benchmark::DoNotOptimize(color);
    }
}

// Where the inline floor finds what compute reads and writes: as in any data
// block, each value at an offset that its attribute's index finds in a table
// the node type shares, and the lights as elements of an array, each child at
// an offset its index finds. compute cannot reach a value for less than one
// such look-up; the floor does that look-up and nothing more (no check, no
// handle), so the figure counts what the stand-in and compute add to it.
enum FloorValue {
    kRayDirection,
    kPointCamera,
    kNormalCamera,
    kColor,
    kAmbientColor,
    kIncandescence,
    kSpecularColor,
    kReflectedColor,
    kDiffuse,
    kTranslucence,
    kRoughness,
    kSharpness,
    kReflectivity,
    kTransparency,
    kOutColor,
    kFloorValueCount
};
enum FloorLightValue {
    kLightIntensity,
    kLightDirection,
    kLightAmbient,
    kLightDiffuse,
    kLightSpecular,
    kLightValueCount
};

// The type's table, by attribute index: filled at run time, so the compiler
// cannot fold it away.
struct FloorLayout {
    unsigned int offsets[kFloorValueCount];
    unsigned int lightOffsets[kLightValueCount];
    unsigned int recordSize;
    unsigned int elementSize;
};

// Each value's attribute index, as the plug-in's attribute handles hold it:
// the host gives it when the attribute is made, so compute, and the floor,
// read it from the handle.
unsigned int gFloorIndex[kFloorValueCount];
unsigned int gFloorLightIndex[kLightValueCount];

FloorLayout floorLayout()
{
    FloorLayout layout{};
    unsigned int offset = 0;
    for (int v = 0; v < kFloorValueCount; ++v) {
        gFloorIndex[v] = static_cast<unsigned int>(kFloorValueCount - 1 - v);
        layout.offsets[gFloorIndex[v]] = offset;
        offset += sizeof(Float3);
    }
    layout.recordSize = offset;
    offset = 0;
    for (int v = 0; v < kLightValueCount; ++v) {
        gFloorLightIndex[v] = static_cast<unsigned int>(kLightValueCount - 1 - v);
        layout.lightOffsets[gFloorLightIndex[v]] = offset;
        offset += v < kLightAmbient ? sizeof(Float3) : 1;
    }
    layout.elementSize = (offset + 3) / 4 * 4;
    return layout;
}

// Where a value is: its attribute's index, then that index's offset.
unsigned int placeOf(const FloorLayout& layout, FloorValue v) { return layout.offsets[gFloorIndex[v]]; }
unsigned int placeOf(const FloorLayout& layout, FloorLightValue v) { return layout.lightOffsets[gFloorLightIndex[v]]; }

// One sample's values: a record, the light elements and the output's dirty flag.
struct FloorBlock {
    std::vector<unsigned char> record;
    std::vector<unsigned char> lights;
    unsigned int lightCount = 0;
    unsigned char dirty = 1;
};

template <class T>
T floorRead(const unsigned char* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// Channel by channel: a copy of the whole triple goes through the stack.
template <>
Float3 floorRead<Float3>(const unsigned char* at)
{
    return {floorRead<float>(at), floorRead<float>(at + sizeof(float)), floorRead<float>(at + 2 * sizeof(float))};
}

template <class T>
void floorWrite(unsigned char* at, const T& value)
{
    std::memcpy(at, &value, sizeof value);
}

FloorBlock floorBlockOf(const Setup& setup, const FloorLayout& layout, const Sample& s)
{
    const Material& m = setup.m;
    FloorBlock block;
    block.record.assign(layout.recordSize, 0);
    unsigned char* r = block.record.data();
    floorWrite(r + placeOf(layout, kRayDirection), toFloat3(s.V));
    floorWrite(r + placeOf(layout, kPointCamera), toFloat3(s.P));
    floorWrite(r + placeOf(layout, kNormalCamera), toFloat3(s.N));
    floorWrite(r + placeOf(layout, kColor), toFloat3(m.Cb));
    floorWrite(r + placeOf(layout, kAmbientColor), toFloat3(m.Ca));
    floorWrite(r + placeOf(layout, kIncandescence), toFloat3(m.Ci));
    floorWrite(r + placeOf(layout, kSpecularColor), toFloat3(m.Cs));
    floorWrite(r + placeOf(layout, kReflectedColor), Float3{});
    floorWrite(r + placeOf(layout, kDiffuse), m.kd);
    floorWrite(r + placeOf(layout, kTranslucence), m.kt);
    floorWrite(r + placeOf(layout, kRoughness), m.ro);
    floorWrite(r + placeOf(layout, kSharpness), m.sh);
    floorWrite(r + placeOf(layout, kReflectivity), 0.0f);
    floorWrite(r + placeOf(layout, kTransparency), toFloat3(m.T));
    block.lightCount = static_cast<unsigned int>(setup.lights.size());
    block.lights.assign(static_cast<std::size_t>(layout.elementSize) * block.lightCount, 0);
    for (unsigned int i = 0; i < block.lightCount; ++i) {
        const mayahost::LightSample& l = setup.lights[i];
        unsigned char* e = block.lights.data() + static_cast<std::size_t>(i) * layout.elementSize;
        floorWrite(e + placeOf(layout, kLightIntensity), toFloat3(l.intensity));
        floorWrite(e + placeOf(layout, kLightDirection), toFloat3(l.direction));
        floorWrite(e + placeOf(layout, kLightAmbient), l.ambient);
        floorWrite(e + placeOf(layout, kLightDiffuse), l.diffuse);
        floorWrite(e + placeOf(layout, kLightSpecular), l.specular);
    }
    return block;
}

// Everything compute must do for one sample, written inline: each value read
// once where the table says, the colour written to its place and marked
// clean. Reflectivity is 0 here, so the reflection is only tested, as compute
// tests it.
void computeInline(const FloorLayout& layout, FloorBlock& block)
{
    const unsigned char* const r = block.record.data();
    const Float3 V = floorRead<Float3>(r + placeOf(layout, kRayDirection));
    const Float3 N = floorRead<Float3>(r + placeOf(layout, kNormalCamera));
    const Float3 Cb = floorRead<Float3>(r + placeOf(layout, kColor));
    const Float3 Ca = floorRead<Float3>(r + placeOf(layout, kAmbientColor));
    const Float3 Ci = floorRead<Float3>(r + placeOf(layout, kIncandescence));
    const Float3 Cs = floorRead<Float3>(r + placeOf(layout, kSpecularColor));
    const float kd = floorRead<float>(r + placeOf(layout, kDiffuse));
    const float kt = floorRead<float>(r + placeOf(layout, kTranslucence));
    const float ro = floorRead<float>(r + placeOf(layout, kRoughness));
    const float sh = floorRead<float>(r + placeOf(layout, kSharpness));
    const float kr = floorRead<float>(r + placeOf(layout, kReflectivity));

    Float3 Sa, Sd, Ss, St, Rf;
    const Float3 toViewer{-V.x, -V.y, -V.z};
    for (unsigned int i = 0; i < block.lightCount; ++i) {
        const unsigned char* const e = block.lights.data() + static_cast<std::size_t>(i) * layout.elementSize;
        const Float3 I = floorRead<Float3>(e + placeOf(layout, kLightIntensity));
        const Float3 L = floorRead<Float3>(e + placeOf(layout, kLightDirection));
        if (floorRead<bool>(e + placeOf(layout, kLightAmbient))) {
            Sa = {Sa.x + I.x * Cb.x, Sa.y + I.y * Cb.y, Sa.z + I.z * Cb.z};
        }
        if (floorRead<bool>(e + placeOf(layout, kLightDiffuse))) {
            const float d = (L.x * N.x + L.y * N.y) + L.z * N.z;
            if (d > 0.0f) {
                const float dkd = d * kd;
                Sd = {Sd.x + (dkd * I.x) * Cb.x, Sd.y + (dkd * I.y) * Cb.y, Sd.z + (dkd * I.z) * Cb.z};
            }
        }
        if (floorRead<bool>(e + placeOf(layout, kLightSpecular)))
            bench::addHighlight(toViewer, N, L, I, Cs, ro, sh, 1.0f, Ss);
        St = {St.x + (I.x * Cb.x) * kt, St.y + (I.y * Cb.y) * kt, St.z + (I.z * Cb.z) * kt};
    }
    if (kr > 0.0f) Rf = {std::nanf(""), std::nanf(""), std::nanf("")};  // would trace: not in this benchmark
    const Float3 Am{Ca.x * Cb.x, Ca.y * Cb.y, Ca.z * Cb.z};
    const Float3 U{Sa.x + ((((Sd.x + Am.x) + Ci.x) + St.x) + Rf.x), Sa.y + ((((Sd.y + Am.y) + Ci.y) + St.y) + Rf.y),
                   Sa.z + ((((Sd.z + Am.z) + Ci.z) + St.z) + Rf.z)};
    const Float3 T = floorRead<Float3>(r + placeOf(layout, kTransparency));
    const Float3 out{(1.0f - T.x) * U.x + Ss.x, (1.0f - T.y) * U.y + Ss.y, (1.0f - T.z) * U.z + Ss.z};
    floorWrite(block.record.data() + placeOf(layout, kOutColor), out);
    block.dirty = 0;
}

bool sameBits(const Float3& a, const MFloatVector& b)
{
    const float bs[3] = {b.x, b.y, b.z};
    const float as[3] = {a.x, a.y, a.z};
    return std::memcmp(as, bs, sizeof as) == 0;
}

// The renderer's whole per-sample path through one context.
void shadeSamples(benchmark::State& state, int lightCount)
{
    Setup setup(lightCount, 256);
    mayahost::EvaluationContext& context = *setup.context;
    const unsigned int count = static_cast<unsigned int>(setup.lights.size());

    const auto work = [&] {
        for (const Sample& s : setup.samples) {
            context.setPointCamera(s.P);
            context.setNormalCamera(s.N);
            context.setRayDirection(s.V);
            context.setLights(setup.lights.data(), count);
            MFloatVector color;
            context.outColor(color);
            benchmark::DoNotOptimize(color);
        }
    };
    const auto floor = [&] { shadeDirectly(setup); };
    bench::runAgainstFloor(state, static_cast<std::int64_t>(setup.samples.size()), work, floor);
}

// compute alone: one context per sample, filled beforehand, so each pass
// times only compute reading and writing the stand-in's data blocks. A few
// dozen blocks, as a renderer's threads keep: they stay in cache.
void computeOnly(benchmark::State& state, int lightCount)
{
    Setup setup(lightCount, 32);
    std::vector<std::unique_ptr<mayahost::EvaluationContext>> blocks;
    for (const Sample& s : setup.samples) {
        blocks.push_back(
            std::make_unique<mayahost::EvaluationContext>(*setup.node, static_cast<unsigned int>(lightCount)));
        mayahost::EvaluationContext& c = *blocks.back();
        c.setPointCamera(s.P);
        c.setNormalCamera(s.N);
        c.setRayDirection(s.V);
        c.setLights(setup.lights.data(), static_cast<unsigned int>(setup.lights.size()));
    }
    MPxNode& node = setup.node->userNode();
    const MPlug outColor(MObject(), mayahost::attributeObject(setup.node->attribute("outColor")));

    const auto work = [&] {
        for (auto& c : blocks) {
            node.compute(outColor, c->dataBlock());
            benchmark::DoNotOptimize(c->dataBlock());
        }
    };
    const auto floor = [&] { shadeDirectly(setup); };

    const FloorLayout layout = floorLayout();
    std::vector<FloorBlock> records;
    for (const Sample& s : setup.samples) records.push_back(floorBlockOf(setup, layout, s));
    const auto aloneFloor = [&] {
        for (FloorBlock& block : records) {
            computeInline(layout, block);
            benchmark::DoNotOptimize(block);
        }
    };
    // The floor must give compute's own bits, or it is not the same work.
    work();
    aloneFloor();
    const mayahost::AttributeInfo* outColorInfo = setup.node->attribute("outColor");
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Float3 floorColor = floorRead<Float3>(records[i].record.data() + placeOf(layout, kOutColor));
        if (!sameBits(floorColor, blocks[i]->float3(outColorInfo))) {
            state.SkipWithError("the inline floor and compute give different bits");
            return;
        }
    }
    bench::runAgainstFloors(state, static_cast<std::int64_t>(setup.samples.size()), work, floor, work, aloneFloor);
    blocks.clear();
}

void BM_GlossyCompute_1Light(benchmark::State& state) { computeOnly(state, 1); }
void BM_GlossyCompute_4Lights(benchmark::State& state) { computeOnly(state, 4); }
void BM_GlossyShadeSample_1Light(benchmark::State& state) { shadeSamples(state, 1); }
void BM_GlossyShadeSample_4Lights(benchmark::State& state) { shadeSamples(state, 4); }
BENCHMARK(BM_GlossyCompute_1Light)->UseManualTime();
BENCHMARK(BM_GlossyCompute_4Lights)->UseManualTime();
BENCHMARK(BM_GlossyShadeSample_1Light)->UseManualTime();
BENCHMARK(BM_GlossyShadeSample_4Lights)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
