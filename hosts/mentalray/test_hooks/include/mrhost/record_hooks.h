// Test-only writes into a parameter record, for what the preview never
// writes but a shader must cope with: connected parameters, the ghost offset
// alone, array entries outside what i_x and n_x cover.
#pragma once

extern "C" {
#include <shader.h>
}

#include <cstddef>
#include <string_view>

#include "mrhost/parameter_record.h"

namespace mrhost {

// Connects a shader (a tag from addChecker) to a colour parameter: writes its
// ghost slot and turns the shader record's ghost offset on. Any other
// parameter throws std::invalid_argument.
void connect(ParameterRecord& record, std::string_view name, miTag shaderTag);
// Turns the ghost offset on or off without touching any slot.
void useGhostSlots(ParameterRecord& record, bool on);

// Writes one entry of an array's storage, counted from x[0], leaving i_x and
// n_x alone. Throws std::out_of_range past the room reserved.
void setArrayEntry(ParameterRecord& record, std::string_view name, int index, miTag tag);

// Byte offset of a parameter (or i_x / n_x) inside the parameter block.
std::size_t offsetOf(const ParameterRecord& record, std::string_view name);

}  // namespace mrhost
