// The value of a material input and its text: one number, three (a colour or
// vector) or on/off, parsed as a user types it ("0.3", "0.8,0.2,0.1", "on").
// Which inputs there are, and of which kind, each host declares itself.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace preview {

enum class InputKind { Scalar, Triple, Boolean };

// A value of an input: one float for a scalar, three for a colour or vector,
// 0 or 1 for a boolean (kept in values[0]).
struct MaterialValue {
    InputKind kind = InputKind::Scalar;
    std::array<float, 3> values{0.0f, 0.0f, 0.0f};
};

// Parses text as a value of the given kind; nullopt when malformed. A
// number beyond the float range is also described in *problem (when given):
// "'1e-50' underflows to zero in single precision".
std::optional<MaterialValue> parseMaterialValue(InputKind kind, std::string_view text, std::string* problem = nullptr);
// What a value of the kind looks like, for error messages.
const char* expectedForm(InputKind kind);
// The value as a user would type it.
std::string formatMaterialValue(const MaterialValue& value);
// a + (b - a) t, channel by channel.
MaterialValue interpolate(const MaterialValue& a, const MaterialValue& b, float t);

// How reading a number went.
enum class NumberRead { Number, Malformed, NotFinite, Underflow, Overflow };

// Reads text that is wholly a number as strtof reads one: an optional sign,
// then decimal digits with an optional point and exponent, or 0x and
// hexadecimal digits with an optional p exponent (no spaces, nothing after).
// Refuses infinities and NaN, and numbers beyond the float range: too large,
// or too small to be anything but zero though not written as zero.
NumberRead readNumber(std::string_view text, float& value);
// The number readNumber reads, or nullopt.
std::optional<float> parseNumber(std::string_view text);

}  // namespace preview
