// The shading core's own three-float value: a colour (r, g, b as x, y, z), a
// direction or a point. Each host converts its own type to it in one line, so
// no host type reaches the shading core.
#pragma once

namespace shading {

struct Float3 {
    Float3() : x(0.0f), y(0.0f), z(0.0f) {}
    Float3(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}

    float x;
    float y;
    float z;
};

}  // namespace shading
