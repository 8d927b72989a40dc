// The inside of a parameter record, shared by the record's own code and the
// test hooks that write what only tests write (connections, ghost slots,
// stray array entries). Memory, in 4-byte words:
//   [miFunction up to parameters][parameter block][array entries][ghost slots]
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "mrhost/parameter_record.h"

namespace mrhost {

struct ParameterRecord::Layout {
    ShaderDeclaration declaration;
    int capacity = 0;
    std::size_t blockSize = 0;              // parameters plus the room for array entries
    std::vector<std::size_t> regionOffset;  // per parameter: where its array entries go
    std::vector<std::uint32_t> words;

    // The parameter block starts at the record's `parameters` field.
    static constexpr std::size_t kHeader = offsetof(miFunction, parameters);

    char* block() { return reinterpret_cast<char*>(words.data()) + kHeader; }
    miFunction* function() { return reinterpret_cast<miFunction*>(words.data()); }
};

// The parameter a name refers to, with the type and offset the name reaches:
// the parameter itself, or the i_/n_ counter of an array.
struct Field {
    const Parameter* parameter;
    ParamType type;
    std::size_t offset;
};
// Throws std::invalid_argument for a name the declaration does not have.
Field findField(const ShaderDeclaration& declaration, std::string_view name);

// The array parameter of that name, whose entries are tags; else throws
// std::invalid_argument.
const Parameter& arrayParameter(const ShaderDeclaration& declaration, std::string_view name);

}  // namespace mrhost
