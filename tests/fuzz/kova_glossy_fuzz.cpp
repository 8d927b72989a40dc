// kova_glossy through the stand-in renderer, the library loaded as the
// renderer loads it: any bytes in the parameter record, any i_light/n_light
// that stay within the light storage the record really has, any tags in the
// ghost slots, lights of 1 to 16 samples (and tags that give none) with any
// colours and directions, tracers that answer anything or nothing, any sample
// geometry, and a renderer module that lacks any subset of the six functions
// (or no module at all). The shader must not trap, must return 1 with an
// opaque result, must leave its record alone and must give the same bits when
// called again.
//
// A module without some functions makes every call of them report a failed
// lookup on stderr; the test run closes stderr (-close_fd_mask=2) to keep its
// log short, and the sanitizers still report on libFuzzer's own stream.
extern "C" {
#include <shader.h>
}

#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "kova_glossy_params.h"
#include "mrhost/declaration.h"
#include "mrhost/parameter_record.h"
#include "mrhost/record_hooks.h"
#include "mrhost/sample.h"
#include "mrhost/scene.h"
#include "mrhost/scene_hooks.h"
#include "mrhost/shader_library.h"

namespace {

constexpr int kLightRoom = 16;   // light entries the record has room for
constexpr int kMaxSamples = 16;  // per light
constexpr int kMaxLights = 8;    // distinct lights in a scene
constexpr int kMaxCheckers = 2;  // connectable shaders in a scene
constexpr int kSubsets = 64;     // subsets of the six renderer functions; the last is all six

// Offsets inside the record that the shader indexes with: they are never
// connected to a shader that yields a value, so that they stay in range.
constexpr std::size_t kFirstLightOffset = 116;
constexpr std::size_t kFixedBytes = 124;  // every parameter before the light entries

using SetModuleHandle = void (*)(void*);
// The shader as it is declared. The stand-in's SampleContext::shade calls
// every shader through one pointer type with a void* record, which clang's
// function-type check reports; the harness calls it by its own type instead.
using KovaGlossy = miBoolean (*)(miColor*, miState*, kova_glossy_params*);

struct Answer {
    bool found = false;
    miColor color{};
};

miBoolean answerIrradiance(miColor* result, const miState*, void* user)
{
    const Answer& a = *static_cast<const Answer*>(user);
    if (a.found) {
        *result = a.color;
    }
    return a.found ? miTRUE : miFALSE;
}

// A hit somewhere else: the child state ends at another point and normal.
miBoolean answerTrace(miColor* result, miState* child, void* user)
{
    child->point = {child->point.x + 1.0f, child->point.y, child->point.z};
    child->normal = {0.0f, 1.0f, 0.0f};
    child->dist = 1.0;
    return answerIrradiance(result, child, user);
}

struct Harness {
    std::unique_ptr<mrhost::ShaderLibrary> library;
    KovaGlossy shader = nullptr;
    std::unique_ptr<mrhost::ParameterRecord> blank;
    SetModuleHandle setModuleHandle = nullptr;
    void* modules[kSubsets] = {};  // index: bit i set when function i is exported
};

Harness* gHarness = nullptr;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "kova_glossy fuzz: %s\n", what);
    std::abort();
}

miVector nextVector(fuzz::Input& in)
{
    miVector v;
    in.fill(&v, sizeof v);
    return v;
}

miColor nextColor(fuzz::Input& in)
{
    miColor c;
    in.fill(&c, sizeof c);
    return c;
}

// A tag for a light entry or a ghost slot: none, one of the scene's lights or
// connectable shaders, or any number at all.
miTag nextTag(fuzz::Input& in, const std::vector<miTag>& lights, const std::vector<miTag>& checkers, bool yieldsValue)
{
    const std::uint8_t pick = in.next<std::uint8_t>();
    switch (pick % 4u) {
    case 0: return miNULLTAG;
    case 1: return lights.empty() ? miNULLTAG : lights[pick / 4u % lights.size()];
    case 2:
        if (yieldsValue && !checkers.empty()) {
            return checkers[pick / 4u % checkers.size()];
        }
        return miNULLTAG;
    default: {
        const miTag any = in.next<miTag>();
        // An unknown tag yields no value; a checker's may only where allowed.
        const miTag known = static_cast<miTag>(lights.size() + checkers.size());
        return yieldsValue || any == miNULLTAG || any > known ? any : known + 1;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Never destroyed: the hosts tear their registries down at exit, before
    // any static of ours could let go of what it holds from them.
    Harness& h = *new Harness;
    try {
        const mrhost::ShaderDeclaration declaration = mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy");
        h.library = std::make_unique<mrhost::ShaderLibrary>(KOVA_GLOSSY_MODULE_PATH, declaration);
        h.blank = std::make_unique<mrhost::ParameterRecord>(declaration, kLightRoom);
    } catch (const std::exception& e) {
        fail(e.what());
    }
    h.shader = reinterpret_cast<KovaGlossy>(h.library->shader());
    h.setModuleHandle = reinterpret_cast<SetModuleHandle>(h.library->symbol("miSetModuleHandle"));
    if (h.setModuleHandle == nullptr) {
        fail("kova_glossy exports no miSetModuleHandle");
    }
    for (int subset = 0; subset + 1 < kSubsets; ++subset) {
        const std::string path =
            std::string(RENDERER_SUBSET_DIR) + "/renderer_subset_" + std::to_string(subset) + ".so";
        h.modules[subset] = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        using Forward = int (*)(void*);
        const auto forward = h.modules[subset]
                                 ? reinterpret_cast<Forward>(dlsym(h.modules[subset], "renderer_subset_forward"))
                                 : nullptr;
        if (forward == nullptr || forward(mrhost::coreModuleHandle()) != 0) {
            fail(("cannot use the renderer module " + path).c_str());
        }
    }
    h.modules[kSubsets - 1] = mrhost::coreModuleHandle();
    gHarness = &h;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Harness& h = *gHarness;
    fuzz::Input in(data, size);

    // Mostly the whole renderer, so that the shading itself is explored; else
    // a module with a subset of the functions, or none at all.
    const std::uint8_t modulePick = in.next<std::uint8_t>();
    void* module = modulePick < 160              ? h.modules[kSubsets - 1]
                   : modulePick < 160 + kSubsets ? h.modules[modulePick - 160]
                                                 : nullptr;
    h.setModuleHandle(module);

    mrhost::Scene scene;
    std::vector<miTag> lights;
    std::vector<miTag> checkers;
    const unsigned int lightCount = in.nextBelow(kMaxLights + 1);
    for (unsigned int i = 0; i < lightCount; ++i) {
        miVector directions[kMaxSamples];
        miColor colors[kMaxSamples];
        const int samples = 1 + static_cast<int>(in.nextBelow(kMaxSamples));
        for (int s = 0; s < samples; ++s) {
            directions[s] = nextVector(in);
            colors[s] = nextColor(in);
        }
        lights.push_back(scene.addScriptedLight(directions, colors, samples));
    }
    const unsigned int checkerCount = in.nextBelow(kMaxCheckers + 1);
    for (unsigned int i = 0; i < checkerCount; ++i) {
        const miColor even = nextColor(in);
        const miColor odd = nextColor(in);
        checkers.push_back(mrhost::addChecker(scene, even, odd, in.nextFloat()));
    }
    Answer reflection, environment, irradiance;
    for (Answer* a : {&reflection, &environment, &irradiance}) {
        a->found = in.nextBool();
        a->color = nextColor(in);
    }
    if (in.nextBool()) {
        scene.setReflectionTracer(answerTrace, &reflection);
    }
    if (in.nextBool()) {
        scene.setEnvironment(answerTrace, &environment);
    }
    if (in.nextBool()) {
        scene.setIrradiance(answerIrradiance, &irradiance);
    }

    // The record: every parameter byte as it comes, then the light range.
    mrhost::ParameterRecord record(*h.blank);
    char* const block = static_cast<char*>(record.parameters());
    in.fill(block, kFirstLightOffset);
    miInteger count = in.next<miInteger>();
    miInteger first = in.next<miInteger>();
    if (count > 0) {
        count = 1 + count % kLightRoom;
        first = static_cast<miInteger>(static_cast<std::uint32_t>(first) %
                                       static_cast<std::uint32_t>(kLightRoom - count + 1));
    }
    record.setInteger("n_light", count);
    record.setInteger("i_light", first);
    for (int i = 0; i < kLightRoom; ++i) {
        mrhost::setArrayEntry(record, "light", i, nextTag(in, lights, checkers, true));
    }

    // Ghost slots: any tag before the light range; past it, none that yields
    // a value, since a connected index or light list could point anywhere.
    if (in.nextBool()) {
        mrhost::useGhostSlots(record, true);
        char* const ghosts = block + record.function()->ghost_offs;
        for (std::size_t offset = 0; offset < kFixedBytes + kLightRoom * sizeof(miTag); offset += sizeof(miTag)) {
            const miTag tag = nextTag(in, lights, checkers, offset < kFirstLightOffset);
            std::memcpy(ghosts + offset, &tag, sizeof tag);
        }
    }

    mrhost::SampleGeometry geometry;
    geometry.origin = nextVector(in);
    geometry.direction = nextVector(in);
    geometry.point = nextVector(in);
    geometry.normal = nextVector(in);
    geometry.rayType = in.next<miInteger>();
    geometry.reflectionLevel = in.next<miInteger>();
    const miColor start = nextColor(in);

    const std::vector<char> before(block, block + 2 * record.function()->parameter_size);
    mrhost::SampleContext context(scene);
    auto* const params = static_cast<kova_glossy_params*>(record.parameters());
    miColor firstResult = start;
    if (h.shader(&firstResult, &context.begin(record, geometry), params) != miTRUE) {
        fail("the shader did not return 1");
    }
    if (!fuzz::sameBits(firstResult.a, 1.0f)) {
        fail("the result is not opaque");
    }
    if (std::memcmp(before.data(), block, before.size()) != 0) {
        fail("the shader wrote its parameter record");
    }
    miColor secondResult = start;
    h.shader(&secondResult, &context.begin(record, geometry), params);
    if (!fuzz::sameBits(firstResult, secondResult)) {
        fail("the same sample gave another colour");
    }
    return 0;
}
