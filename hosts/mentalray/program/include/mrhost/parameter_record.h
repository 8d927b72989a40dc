// A shader's parameter record, laid out from its declaration exactly as the
// renderer lays it out: the shader record (miFunction) first, the parameter
// block after it, the entries of each array after the block, and the ghost
// slots of connected parameters at a fixed distance after that.
#pragma once

extern "C" {
#include <shader.h>
}

#include <cstddef>
#include <memory>
#include <string_view>

#include "mrhost/declaration.h"

namespace mrhost {

class ParameterRecord {
public:
    // Lays the record out and writes the declared defaults. Each array gets
    // room for arrayCapacity entries.
    explicit ParameterRecord(const ShaderDeclaration& declaration, int arrayCapacity = 16);
    ParameterRecord(const ParameterRecord& other);
    ParameterRecord& operator=(const ParameterRecord& other);
    ~ParameterRecord();

    // Setters by parameter name. A name that is not declared, or a value of
    // another type, throws std::invalid_argument. The array counters are
    // reachable as integers under their names `i_x` and `n_x`.
    void setColor(std::string_view name, const miColor& value);
    void setScalar(std::string_view name, miScalar value);
    void setVector(std::string_view name, const miVector& value);
    void setBoolean(std::string_view name, bool value);
    void setInteger(std::string_view name, miInteger value);

    // Fills an array: its entries go where the renderer puts them, and i_x
    // and n_x are set so that x[i_x] ... x[i_x + count - 1] are they.
    void setArray(std::string_view name, const miTag* tags, int count);

    // What the renderer hands the shader: the shader record (for
    // miState::shader) and the parameter block (the shader's params).
    const miFunction* function() const;
    void* parameters();
    const void* parameters() const;

    // The inside, for the renderer's own code and its test hooks.
    struct Layout;
    Layout& layout() { return *layout_; }
    const Layout& layout() const { return *layout_; }

private:
    std::unique_ptr<Layout> layout_;
};

}  // namespace mrhost
