// What the renderer needs from a host: per-thread shaders that shade one
// point of the ball, and material inputs it can set. Each host adapter loads
// the real deliverable through its stand-in host and hides that host's API.
#pragma once

#include <memory>
#include <string>

#include "material_value.h"
#include "sampler.h"
#include "scene.h"
#include "vec3.h"

namespace preview {

// One point of the ball, in camera space. rayDirection points along the
// camera ray, toward the point.
struct ShadingPoint {
    Vec3 point;
    Vec3 normal;
    Vec3 rayDirection;
};

struct ShadeResult {
    Vec3 color;
    Vec3 transparency;  // how much of what lies behind shows through
};

// Shades points on one thread; the renderer makes one per thread.
class MaterialShader {
public:
    virtual ~MaterialShader() = default;
    virtual ShadeResult shade(const ShadingPoint& point, Sampler& sampler) = 0;
};

class MaterialHost {
public:
    virtual ~MaterialHost() = default;

    // "maya" or "mentalray": names the host's images.
    virtual const char* name() const = 0;
    virtual LightView lightView() const = 0;

    // Whether the host declares an input of that name.
    virtual bool hasInput(const std::string& name) const = 0;
    // Sets an input this host has, as the kind the host declares it; inputs
    // of the other host are the caller's to skip.
    virtual void setInput(const std::string& name, const MaterialValue& value) = 0;

    // A shader for one render thread, seeing the inputs as they are now.
    virtual std::unique_ptr<MaterialShader> makeShader() = 0;
};

}  // namespace preview
