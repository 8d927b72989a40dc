// The common shape of every function-set call on an attribute: fail when the
// set has no attribute or an injected fault says so, otherwise make the change.
#pragma once

#include "registry_state.h"

namespace mayahost {

template <class Change>
MStatus modify(const MObject& object, const char* call, Change change)
{
    Attribute* a = attributeOf(object);
    if (!a) return MStatus(MStatus::kInvalidParameter, "No attribute attached to the function set");
    MStatus status;
    if (faultInjected(call, a->longName, &status)) return status;
    return change(*a);
}

}  // namespace mayahost
