// Test-only failures of chosen attribute calls, through the hook the API's
// attribute calls consult.
#include "mayahost/fault_injection.h"

#include <vector>

#include "registry_state.h"

namespace {

struct Fault {
    std::string call;
    std::string longName;
    MStatus::MStatusCode code;
};

std::vector<Fault>& faults()
{
    static std::vector<Fault> list;
    return list;
}

bool injected(const char* call, const std::string& longName, MStatus* status)
{
    for (const Fault& fault : faults()) {
        if (fault.call == call && fault.longName == longName) {
            if (status) *status = MStatus(fault.code, "Injected failure");
            return true;
        }
    }
    return false;
}

}  // namespace

namespace mayahost {

void injectAttributeFault(const std::string& call, const std::string& longName, MStatus::MStatusCode code)
{
    faults().push_back({call, longName, code});
    setAttributeCallHook(injected);
}

void clearAttributeFaults() { faults().clear(); }

}  // namespace mayahost
