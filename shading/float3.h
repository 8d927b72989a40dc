// The shading core's own three-float value: a colour (r, g, b as x, y, z), a
// direction or a point. Each host converts its own type to it in one line, so
// no host type reaches the shading core.
#pragma once

namespace shading {

struct Float3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

}  // namespace shading
