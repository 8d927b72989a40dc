// MRenderUtil::raytrace forwards to the host program's tracer. Installing
// swaps one atomic pointer; tracing loads it, so neither locks the caller of
// raytrace nor allocates per ray.
#include <maya/MRenderUtil.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "mayahost/tracer.h"

namespace {

struct Tracer {
    mayahost::TraceFunction trace;
    void* user;
};

std::atomic<const Tracer*> gTracer{nullptr};
// Every tracer ever installed stays alive: a thread may still be calling an
// old one while another installs a new one.
std::mutex gInstalledMutex;
std::vector<std::unique_ptr<Tracer>> gInstalled;

}  // namespace

namespace mayahost {

void installTracer(TraceFunction trace, void* user)
{
    const Tracer* installed = nullptr;
    if (trace) {
        std::lock_guard<std::mutex> lock(gInstalledMutex);
        gInstalled.push_back(std::make_unique<Tracer>(Tracer{trace, user}));
        installed = gInstalled.back().get();
    }
    gTracer.store(installed, std::memory_order_release);
}

}  // namespace mayahost

MStatus MRenderUtil::raytrace(const MFloatVector& rayOrigin, const MFloatVector& rayDirection, const void* objectId,
                              const void* raySampler, const short rayDepth, MFloatVector& resultColor,
                              MFloatVector& resultTransparency, const bool isReflectedRays)
{
    const Tracer* tracer = gTracer.load(std::memory_order_acquire);
    if (!tracer) return MStatus(MStatus::kFailure, "No ray tracer installed");
    return tracer->trace(tracer->user, rayOrigin, rayDirection, objectId, raySampler, rayDepth, resultColor,
                         resultTransparency, isReflectedRays);
}
