// Inputs of every kind a host declares, for the harnesses that read values
// against them (the hosts themselves are not loaded while fuzzing).
#pragma once

#include "declared_inputs.h"

namespace fuzz {

inline const preview::HostInputs& hostInputs()
{
    using preview::DeclaredKind;
    static const preview::HostInputs inputs = [] {
        preview::HostInputs declared;
        declared.maya = {{"color", DeclaredKind::Color},
                         {"roughness", DeclaredKind::Scalar},
                         {"flag", DeclaredKind::Boolean},
                         {"count", DeclaredKind::Integer}};
        declared.maya.back().integerMin = -32768;
        declared.maya.back().integerMax = 32767;
        declared.mentalRay = {{"color", DeclaredKind::Color},
                              {"normalOffset", DeclaredKind::Vector},
                              {"roughness", DeclaredKind::Scalar},
                              {"useIrradiance", DeclaredKind::Boolean}};
        return declared;
    }();
    return inputs;
}

}  // namespace fuzz
