// The inside of a Scene and of a sample's evaluation storage, shared by the
// scene set-up and the renderer functions that read them per sample.
#pragma once

#include <vector>

#include "mrhost/call_record.h"
#include "mrhost/sample.h"
#include "mrhost/scene.h"

namespace mrhost {

struct Light {
    enum Kind { Point, Area, Scripted } kind = Point;
    miVector position{};  // point light; corner of an area light
    miVector edgeU{};
    miVector edgeV{};
    int samplesU = 1;
    int samplesV = 1;
    miColor color{};
    std::vector<miVector> directions;  // scripted light
    std::vector<miColor> colors;
};

struct Checker {
    miColor even{};
    miColor odd{};
    miScalar scale = 1.0f;
};

// A tag names one element: a light or a connectable shader. Tag t is
// elements[t - 1]; tag 0 is no element.
struct Element {
    enum Kind { LightElement, CheckerElement } kind;
    std::size_t index;
};

struct Scene::Data {
    std::vector<Element> elements;
    std::vector<Light> lights;
    std::vector<Checker> checkers;
    TraceFunction reflection = nullptr;
    void* reflectionUser = nullptr;
    TraceFunction environment = nullptr;
    void* environmentUser = nullptr;
    miInteger reflectionDepth = kDefaultReflectionDepth;
    IrradianceFunction irradiance = nullptr;
    void* irradianceUser = nullptr;
    ShadowFunction shadow = nullptr;
    void* shadowUser = nullptr;
    CellOffsetFunction cellOffset = nullptr;
    void* cellOffsetUser = nullptr;
    CallObserver observer = nullptr;
    void* observerUser = nullptr;

    // Gives the element the next tag.
    miTag addElement(Element::Kind kind, std::size_t index)
    {
        elements.push_back({kind, index});
        return static_cast<miTag>(elements.size());
    }

    const Element* element(miTag tag) const
    {
        return tag >= 1 && tag <= elements.size() ? &elements[tag - 1] : nullptr;
    }
};

// One thread's storage for connected-parameter results, sized up front and
// emptied before each shader call.
struct SampleContext::EvalArea {
    std::vector<miColor> slots;
    std::size_t used = 0;
};

}  // namespace mrhost
