// Test-only writes into a parameter record, through the layout the record
// itself uses. The ghost slots mirror the block and the array entries at one
// fixed distance (ghost_offs), so the slot of any parameter is p + ghost_offs.
#include "mrhost/record_hooks.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "parameter_layout.h"

namespace mrhost {

void setArrayEntry(ParameterRecord& record, std::string_view name, int index, miTag tag)
{
    ParameterRecord::Layout& l = record.layout();
    const Parameter& p = arrayParameter(l.declaration, name);
    // The declared entry, or one of the room reserved for the array.
    const std::size_t region = l.regionOffset[static_cast<std::size_t>(&p - l.declaration.parameters.data())];
    const int first = static_cast<int>((region - p.offset) / sizeof(miTag));
    if (index != 0 && (index < first || index >= first + l.capacity)) {
        throw std::out_of_range("entry " + std::to_string(index) + " of array \"" + std::string(name) +
                                "\" lies outside the room reserved for it");
    }
    std::memcpy(l.block() + p.offset + static_cast<std::size_t>(index) * sizeof(miTag), &tag, sizeof tag);
}

void connect(ParameterRecord& record, std::string_view name, miTag shaderTag)
{
    ParameterRecord::Layout& l = record.layout();
    const Field field = findField(l.declaration, name);
    if (field.type != ParamType::Color || field.parameter->isArray) {
        throw std::invalid_argument("only colour parameters can be connected; \"" + std::string(name) +
                                    "\" is not one");
    }
    useGhostSlots(record, true);
    std::memcpy(l.block() + l.blockSize + field.offset, &shaderTag, sizeof shaderTag);
}

void useGhostSlots(ParameterRecord& record, bool on)
{
    ParameterRecord::Layout& l = record.layout();
    l.function()->ghost_offs = on ? static_cast<miInteger>(l.blockSize) : 0;
}

std::size_t offsetOf(const ParameterRecord& record, std::string_view name)
{
    return findField(record.layout().declaration, name).offset;
}

}  // namespace mrhost
