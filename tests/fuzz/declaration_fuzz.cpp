// The renderer's declaration reader on arbitrary text, and the parameter
// record it lays out from each declaration it accepts. Bad text must end in
// a DeclarationError (nothing else may escape) whose message is one printable
// line with the line number, and an accepted declaration must describe a
// record that holds every parameter it names.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// "fuzz.mi:<line>: <printable text>": whatever bytes the text holds, short
// however long its tokens.
void checkMessage(const char* message)
{
    if (std::strlen(message) > 600) {
        fail("a message is longer than a line should be");
    }

    const char* prefix = "fuzz.mi:";
    if (std::strncmp(message, prefix, std::strlen(prefix)) != 0) {
        fail("a message does not start with the text's name");
    }
    const char* at = message + std::strlen(prefix);
    if (*at < '0' || *at > '9') {
        fail("a message has no line number");
    }
    for (; *at != '\0'; ++at) {
        if (*at < ' ' || *at > '~') {
            fail("a message holds a byte that is not printable");
        }
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
    } catch (const mrhost::DeclarationError& error) {
        // Refused with the line and what was expected: the answer for bad text.
        checkMessage(error.what());
    }
    return 0;
}
