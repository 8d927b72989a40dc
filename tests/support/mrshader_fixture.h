// A scripted renderer for the kova_glossy suites: the shader library loaded
// through the stand-in renderer as the renderer loads it, a scene whose
// lights, tracers and irradiance each test sets, and a log of every renderer
// call the shader made, with the normal of the state it was given.
#pragma once

#include <gtest/gtest.h>

extern "C" {
#include <shader.h>
}

#include <vector>

#include "mrhost/declaration.h"
#include "mrhost/parameter_record.h"
#include "mrhost/record_hooks.h"
#include "mrhost/sample.h"
#include "mrhost/scene.h"
#include "mrhost/scene_hooks.h"
#include "mrhost/shader_library.h"

namespace testsupport {

struct LoggedCall {
    mrhost::CallRecord record;
    miVector normal;  // the shading normal of the state passed
};

// A tracer or irradiance answer: whether it finds a colour, and which. A
// trace that finds one ends the ray at hitPoint with hitNormal, away from the
// shaded point. An irradiance answer that is asked to keeps the state it was
// called with (only where one thread shades: the record is not shared safely).
struct Answer {
    bool found = false;
    miColor color{0.0f, 0.0f, 0.0f, 0.0f};
    miVector hitPoint{0.0f, 0.0f, 5.0f};
    miVector hitNormal{0.0f, 0.0f, -1.0f};
    bool keepsState = false;
    miState seen{};
};

inline miBoolean answerFound(miColor* result, const Answer& answer)
{
    if (answer.found) {
        *result = answer.color;
    }
    return answer.found ? miTRUE : miFALSE;
}

inline miBoolean answerIrradiance(miColor* result, const miState* state, void* user)
{
    Answer& answer = *static_cast<Answer*>(user);
    if (answer.keepsState) answer.seen = *state;
    return answerFound(result, answer);
}

inline miBoolean answerTrace(miColor* result, miState* child, void* user)
{
    const Answer& answer = *static_cast<const Answer*>(user);
    child->point = answer.hitPoint;
    child->normal = answer.hitNormal;
    child->dist = 5.0;
    child->label = 7u;
    child->motion = {1.0f, 0.0f, 0.0f};
    return answerFound(result, answer);
}

class KovaGlossyHost {
    mrhost::ShaderDeclaration declaration_;
    mrhost::ShaderLibrary library_;

public:
    mrhost::Scene scene;
    mrhost::ParameterRecord record;
    Answer reflection;
    Answer environment;
    Answer irradiance;
    mrhost::SampleGeometry geometry;
    std::vector<LoggedCall> calls;

    KovaGlossyHost()
        : declaration_(mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy")),
          library_(KOVA_GLOSSY_MODULE_PATH, declaration_),
          record(declaration_),
          context_(scene)
    {
        calls.reserve(256);
        mrhost::setCallObserver(scene, &KovaGlossyHost::logCall, this);
        scene.setReflectionTracer(&answerTrace, &reflection);
        scene.setEnvironment(&answerTrace, &environment);
        scene.setIrradiance(&answerIrradiance, &irradiance);
        // A plain material: no reflection, ambient or incandescence unless a
        // test asks for them; roughness 1 keeps the lobe equal to cos H.
        record.setColor("color", {0.5f, 0.25f, 1.0f, 1.0f});
        record.setColor("ambientColor", {0.0f, 0.0f, 0.0f, 1.0f});
        record.setColor("incandescence", {0.0f, 0.0f, 0.0f, 1.0f});
        record.setColor("specularColor", {0.5f, 0.5f, 0.5f, 1.0f});
        record.setScalar("roughness", 1.0f);
        record.setScalar("sharpness", 0.0f);
        record.setScalar("diffuse", 0.8f);
        record.setScalar("reflectivity", 0.0f);
    }

    // A light that gives exactly these samples (unit directions toward it).
    miTag light(std::vector<miVector> directions, std::vector<miColor> colors)
    {
        return scene.addScriptedLight(directions.data(), colors.data(), static_cast<int>(directions.size()));
    }

    void useLights(std::vector<miTag> tags) { record.setArray("light", tags.data(), static_cast<int>(tags.size())); }

    // Shades one sample at the origin, normal +z, seen straight down -z.
    miColor shade(miColor start = {0.0f, 0.0f, 0.0f, 0.0f})
    {
        calls.clear();
        context_.shade(library_.shader(), record, geometry, start);
        return start;
    }

    std::vector<mrhost::Call> callKinds() const
    {
        std::vector<mrhost::Call> kinds;
        for (const LoggedCall& c : calls) {
            kinds.push_back(c.record.call);
        }
        return kinds;
    }

    const miState& givenState() { return context_.state(); }
    const mrhost::ShaderLibrary& library() const { return library_; }
    const char* parameterAddress(const char* name)
    {
        return static_cast<const char*>(record.parameters()) + mrhost::offsetOf(record, name);
    }

private:
    static void logCall(const mrhost::CallRecord& record, void* user)
    {
        static_cast<KovaGlossyHost*>(user)->calls.push_back({record, record.state->normal});
    }

    mrhost::SampleContext context_;
};

}  // namespace testsupport
