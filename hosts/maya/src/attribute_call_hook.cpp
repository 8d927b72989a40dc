// The one point where a host program may make attribute calls fail: tests
// install a hook here (the test hooks library) to exercise a plug-in's error
// reporting. Without one, every call goes ahead.
#include "registry_state.h"

namespace mayahost {
namespace {

AttributeCallHook gHook = nullptr;

}  // namespace

void setAttributeCallHook(AttributeCallHook hook) { gHook = hook; }

bool faultInjected(const char* call, const std::string& longName, MStatus* status)
{
    return gHook && gHook(call, longName, status);
}

}  // namespace mayahost
