// The sweeps a contact sheet renders: which input, between which values, in
// how many steps.
#pragma once

#include <string>

#include "material_value.h"

namespace preview {

// One input varied across a row (first sweep) or a column (second sweep) of
// the contact sheet, from `from` to `to` in `steps` evenly spaced values.
struct Sweep {
    std::string name;
    MaterialValue from;
    MaterialValue to;
    int steps = 2;

    MaterialValue valueAt(int step) const;
};

}  // namespace preview
