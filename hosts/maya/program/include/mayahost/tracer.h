// The ray tracer behind MRenderUtil::raytrace, supplied by the host program.
// Install it before rendering; raytrace then calls it from any thread without
// locking or allocating. raySampler and objectId pass through untouched, so a
// renderer can carry its per-thread state in them.
#pragma once

#include <maya/MFloatVector.h>
#include <maya/MStatus.h>

namespace mayahost {

using TraceFunction = MStatus (*)(void* user, const MFloatVector& rayOrigin, const MFloatVector& rayDirection,
                                  const void* objectId, const void* raySampler, short rayDepth,
                                  MFloatVector& resultColor, MFloatVector& resultTransparency, bool isReflectedRays);

// Installs `trace` (with `user` handed back on every call) for the whole
// process; null removes it, after which raytrace reports kFailure and leaves
// its results untouched. Safe to call while other threads trace.
void installTracer(TraceFunction trace, void* user);

}  // namespace mayahost
