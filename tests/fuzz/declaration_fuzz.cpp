// The renderer's declaration reader on arbitrary text, and the parameter
// record it lays out from each declaration it accepts. Bad text must end in
// a DeclarationError (nothing else may escape), and an accepted declaration
// must describe a record that holds every parameter it names.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "mrhost/declaration.h"
#include "mrhost/parameter_record.h"

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "declaration fuzz: %s\n", what);
    std::abort();
}

void checkLayout(const mrhost::ShaderDeclaration& declaration)
{
    std::size_t end = 0;
    for (const mrhost::Parameter& p : declaration.parameters) {
        if (p.offset % 4 != 0 || p.offset < end) {
            fail("a parameter overlaps the one before it or is not 4-byte aligned");
        }
        if (p.isArray && (p.firstOffset + 4 != p.countOffset || p.countOffset + 4 != p.offset)) {
            fail("an array's counters are not just before its storage");
        }
        end = p.offset + mrhost::sizeOf(p.type);
    }
    if (end != declaration.recordSize) {
        fail("the record size is not where the last parameter ends");
    }
    // The renderer lays a record out from it, defaults written in.
    const mrhost::ParameterRecord record(declaration, 2);
    if (record.function()->parameter_size < static_cast<int>(declaration.recordSize)) {
        fail("the laid-out record is smaller than the declaration");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        for (const mrhost::ShaderDeclaration& declaration : mrhost::parseDeclarations(text, "fuzz.mi")) {
            checkLayout(declaration);
        }
    } catch (const mrhost::DeclarationError&) {
        // Refused with the line and what was expected: the answer for bad text.
    }
    return 0;
}
