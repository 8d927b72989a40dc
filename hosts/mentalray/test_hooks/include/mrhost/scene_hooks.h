// Test-only additions to a scene: a shader that can be connected to a
// parameter, and a watcher told of every renderer call. Set up before
// shading, like the rest of a Scene.
#pragma once

extern "C" {
#include <shader.h>
}

#include "mrhost/call_record.h"
#include "mrhost/scene.h"

namespace mrhost {

// A checker texture that can be connected to a colour parameter (connect()):
// colour `even` or `odd` by the parity of floor(scale * point) summed over
// x, y, z. Returns its tag.
miTag addChecker(Scene& scene, const miColor& even, const miColor& odd, miScalar scale);

// Every renderer call of samples shaded against the scene is reported to
// `function` before it does its work; null stops the reports.
void setCallObserver(Scene& scene, CallObserver function, void* user);

}  // namespace mrhost
