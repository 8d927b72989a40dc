// The renderer's shader instance reader on arbitrary text, typed by a
// declaration of every parameter type and by kova_glossy's own. Bad text must
// end in a DeclarationError (nothing else may escape); an accepted block must
// hold, for each parameter, just the values its type takes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "mrhost/declaration.h"
#include "mrhost/shader_block.h"

namespace {

const char* const kEveryType = R"(
declare shader color "every" (
    boolean "flag", integer "count", scalar "weight", vector "offset", color "tint",
    light "key", shader "inner", texture "map", array light "lights"
) end declare
)";

// The longest message: a few quoted names cut short and the words around them.
constexpr std::size_t kMaxMessage = 600;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "shader instance fuzz: %s\n", what);
    std::abort();
}

std::size_t numbersOf(mrhost::ParamType type)
{
    switch (type) {
    case mrhost::ParamType::Boolean:
    case mrhost::ParamType::Scalar: return 1;
    case mrhost::ParamType::Vector: return 3;
    case mrhost::ParamType::Color: return 4;
    default: return 0;
    }
}

void checkBlock(const mrhost::ShaderInstance& block, const std::vector<mrhost::ShaderDeclaration>& declarations)
{
    const mrhost::ShaderDeclaration* declaration = nullptr;
    for (const mrhost::ShaderDeclaration& d : declarations)
        if (d.name == block.shaderName) declaration = &d;
    if (declaration == nullptr) fail("a block of an undeclared shader was accepted");
    std::set<std::string> seen;
    for (const mrhost::InstanceValue& value : block.values) {
        const mrhost::Parameter* parameter = declaration->find(value.name);
        if (parameter == nullptr || parameter->isArray || parameter->type != value.type)
            fail("a value does not match its declared parameter");
        if (!seen.insert(value.name).second) fail("a parameter was accepted twice");
        if (value.numbers.size() != numbersOf(value.type)) fail("a value holds the wrong count of numbers");
        for (const float number : value.numbers)
            if (!std::isfinite(number)) fail("a value is not finite");
        if (value.type == mrhost::ParamType::Boolean && value.numbers[0] != 0.0f && value.numbers[0] != 1.0f)
            fail("a boolean is neither 0 nor 1");
        if (numbersOf(value.type) == 0 && value.type != mrhost::ParamType::Integer && value.reference.empty())
            fail("a reference names nothing");
    }
}

const std::vector<mrhost::ShaderDeclaration>& declarations()
{
    static const std::vector<mrhost::ShaderDeclaration> all = [] {
        std::vector<mrhost::ShaderDeclaration> d = mrhost::parseDeclarations(kEveryType, "every.mi");
        d.push_back(mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy"));
        return d;
    }();
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        std::set<std::string> names;
        for (const mrhost::ShaderInstance& block : mrhost::parseShaderInstances(text, "fuzz.mi", declarations())) {
            checkBlock(block, declarations());
            if (!names.insert(block.name).second) fail("an instance name was accepted twice");
        }
    } catch (const mrhost::DeclarationError& e) {
        // Refused with the line and what was expected: the answer for bad
        // text, in one short printable line.
        const std::string message = e.what();
        for (const char c : message)
            if (c < 0x20 || c >= 0x7f) fail("a message holds an unprintable byte");
        if (message.size() > kMaxMessage) fail("a message is longer than a line should be");
    }
    return 0;
}
