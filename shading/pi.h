// The one value of pi for the material and everything that renders it: the
// single-precision value nearest to pi (0x40490fdb), so the shader's
// irradiance division and the preview's angles use the same bits.
#pragma once

namespace shading {

const float kPi = 3.14159274f;

}  // namespace shading
