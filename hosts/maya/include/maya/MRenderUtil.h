// Render-time services for shading nodes. raytrace hands the ray to the
// tracer the host program installed (mayahost/tracer.h); with none installed
// it leaves the results untouched and reports kFailure.
#pragma once

#include "MFloatVector.h"
#include "MStatus.h"

class MRenderUtil {
public:
    static MStatus raytrace(const MFloatVector& rayOrigin, const MFloatVector& rayDirection, const void* objectId,
                            const void* raySampler, const short rayDepth, MFloatVector& resultColor,
                            MFloatVector& resultTransparency, const bool isReflectedRays = true);
};
