// Parameter records laid out from a declaration. Memory, in 4-byte words:
//   [miFunction up to parameters][parameter block][array entries][ghost slots]
// The ghost slots mirror the block and the array entries at one fixed
// distance (ghost_offs), so the slot of any parameter is p + ghost_offs.
#include "mrhost/parameter_record.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <hosttext/printable.h>

#include "parameter_layout.h"

namespace mrhost {

Field findField(const ShaderDeclaration& declaration, std::string_view name)
{
    if (const Parameter* p = declaration.find(name)) {
        return {p, p->type, p->offset};
    }
    if (name.size() > 2 && (name.substr(0, 2) == "i_" || name.substr(0, 2) == "n_")) {
        const Parameter* p = declaration.find(name.substr(2));
        if (p != nullptr && p->isArray) {
            return {p, ParamType::Integer, name[0] == 'i' ? p->firstOffset : p->countOffset};
        }
    }
    throw std::invalid_argument("shader \"" + hosttext::printable(declaration.name) + "\" has no parameter \"" +
                                hosttext::printable(name) + "\"");
}

namespace {

Field typedField(const ShaderDeclaration& declaration, std::string_view name, ParamType type)
{
    const Field field = findField(declaration, name);
    const bool wholeArray = field.parameter->isArray && field.type != ParamType::Integer;
    if (field.type != type || wholeArray) {
        throw std::invalid_argument(
            "parameter \"" + hosttext::printable(name) + "\" of shader \"" + hosttext::printable(declaration.name) +
            "\" is " + (wholeArray ? "an array of " : "") + keyword(field.type) + ", not " + keyword(type));
    }
    return field;
}

}  // namespace

ParameterRecord::ParameterRecord(const ShaderDeclaration& declaration, int arrayCapacity)
    : layout_(std::make_unique<Layout>())
{
    if (arrayCapacity < 1) {
        throw std::invalid_argument("arrays need room for at least one entry");
    }
    Layout& l = *layout_;
    l.declaration = declaration;
    l.capacity = arrayCapacity;

    // An array declared last grows in place from its one declared entry;
    // the entries of any other array go after the block.
    l.blockSize = declaration.recordSize;
    l.regionOffset.assign(declaration.parameters.size(), 0);
    for (std::size_t i = 0; i < declaration.parameters.size(); ++i) {
        const Parameter& p = declaration.parameters[i];
        if (p.isArray && i + 1 == declaration.parameters.size()) {
            l.regionOffset[i] = p.offset;
            l.blockSize = p.offset + sizeOf(p.type) * static_cast<std::size_t>(arrayCapacity);
        }
    }
    for (std::size_t i = 0; i < declaration.parameters.size(); ++i) {
        const Parameter& p = declaration.parameters[i];
        if (p.isArray && i + 1 != declaration.parameters.size()) {
            l.regionOffset[i] = l.blockSize;
            l.blockSize += sizeOf(p.type) * static_cast<std::size_t>(arrayCapacity);
        }
    }

    l.words.assign(std::max(sizeof(miFunction), Layout::kHeader + 2 * l.blockSize) / 4, 0u);
    miFunction* f = l.function();
    f->ghost_offs = 0;
    f->parameter_size = static_cast<miInteger>(l.blockSize);

    for (const Parameter& p : declaration.parameters) {
        if (!p.defaultValue.empty()) {
            char* at = l.block() + p.offset;
            if (p.type == ParamType::Boolean || p.type == ParamType::Integer) {
                // The reader keeps both exactly: a boolean as 0 or 1, an integer as written.
                const miInteger value = p.integerDefault;
                std::memcpy(at, &value, sizeof value);
            } else {
                std::memcpy(at, p.defaultValue.data(), p.defaultValue.size() * sizeof(float));
            }
        }
    }
}

ParameterRecord::ParameterRecord(const ParameterRecord& other) : layout_(std::make_unique<Layout>(*other.layout_)) {}

ParameterRecord& ParameterRecord::operator=(const ParameterRecord& other)
{
    *layout_ = *other.layout_;
    return *this;
}

ParameterRecord::~ParameterRecord() = default;

void ParameterRecord::setColor(std::string_view name, const miColor& value)
{
    std::memcpy(layout_->block() + typedField(layout_->declaration, name, ParamType::Color).offset, &value,
                sizeof value);
}

void ParameterRecord::setScalar(std::string_view name, miScalar value)
{
    std::memcpy(layout_->block() + typedField(layout_->declaration, name, ParamType::Scalar).offset, &value,
                sizeof value);
}

void ParameterRecord::setVector(std::string_view name, const miVector& value)
{
    std::memcpy(layout_->block() + typedField(layout_->declaration, name, ParamType::Vector).offset, &value,
                sizeof value);
}

void ParameterRecord::setBoolean(std::string_view name, bool value)
{
    const miBoolean word = value ? miTRUE : miFALSE;
    std::memcpy(layout_->block() + typedField(layout_->declaration, name, ParamType::Boolean).offset, &word,
                sizeof word);
}

void ParameterRecord::setInteger(std::string_view name, miInteger value)
{
    std::memcpy(layout_->block() + typedField(layout_->declaration, name, ParamType::Integer).offset, &value,
                sizeof value);
}

const Parameter& arrayParameter(const ShaderDeclaration& declaration, std::string_view name)
{
    const Parameter* p = declaration.find(name);
    if (p == nullptr || !p->isArray) {
        throw std::invalid_argument("shader \"" + hosttext::printable(declaration.name) +
                                    "\" has no array parameter \"" + hosttext::printable(name) + "\"");
    }
    if (sizeOf(p->type) != sizeof(miTag)) {
        throw std::invalid_argument("array \"" + hosttext::printable(name) + "\" does not hold tags");
    }
    return *p;
}

void ParameterRecord::setArray(std::string_view name, const miTag* tags, int count)
{
    Layout& l = *layout_;
    const Parameter& p = arrayParameter(l.declaration, name);
    if (count < 0 || count > l.capacity) {
        throw std::out_of_range("array \"" + hosttext::printable(name) + "\" has room for " +
                                std::to_string(l.capacity) + " entries, not " + std::to_string(count));
    }
    const std::size_t region = l.regionOffset[static_cast<std::size_t>(&p - l.declaration.parameters.data())];
    std::memcpy(l.block() + region, tags, static_cast<std::size_t>(count) * sizeof(miTag));
    const miInteger first = static_cast<miInteger>((region - p.offset) / sizeof(miTag));
    std::memcpy(l.block() + p.firstOffset, &first, sizeof first);
    std::memcpy(l.block() + p.countOffset, &count, sizeof count);
}

const miFunction* ParameterRecord::function() const { return layout_->function(); }
void* ParameterRecord::parameters() { return layout_->block(); }
const void* ParameterRecord::parameters() const { return layout_->block(); }

}  // namespace mrhost
