// The preview's attribute preset reader on arbitrary text. Bad text must end
// in a UsageError with a printable message (nothing else may escape); an
// accepted preset must set only attributes of the glossy node, once each,
// to finite values. A message is one short line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "attribute_preset.h"
#include "fuzz_host_inputs.h"

namespace {

// The longest message: the attribute list of the node, a quoted part of the
// line and the words around them.
constexpr std::size_t kMaxMessage = 600;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "attribute preset fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        std::set<std::string> names;
        const std::vector<preview::DeclaredInput>& node = fuzz::hostInputs().maya;
        for (const preview::MaterialSetting& setting : preview::parseAttributePreset(text, "fuzz.mel", node)) {
            const preview::DeclaredInput* input = preview::findInput(node, setting.name);
            if (input == nullptr) fail("an attribute the node lacks was accepted");
            if (setting.value.kind != preview::valueKind(input->kind)) fail("a value of another kind was accepted");
            if (!names.insert(setting.name).second) fail("an attribute was accepted twice");
            for (const float v : setting.value.values)
                if (!std::isfinite(v)) fail("a value is not finite");
        }
    } catch (const preview::UsageError& e) {
        const std::string message = e.what();
        for (const char c : message)
            if (c < 0x20 || c >= 0x7f) fail("a message holds an unprintable byte");
        // A message quotes a bounded part of the line, whatever its length.
        if (message.size() > kMaxMessage) fail("a message is longer than a line should be");
    }
    return 0;
}
