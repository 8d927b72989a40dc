// Value parsing. Numbers are read with
// std::from_chars so the user's locale never changes what "0.5" means, to
// the grammar of strtof and nothing else.
#include "material_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace preview {

namespace {

// Whether a number beyond the float range lies below it (toward zero): read
// again in wider types, or else told by the sign of its exponent.
bool belowFloatRange(std::string_view digits, std::chars_format format)
{
    const char* end = digits.data() + digits.size();
    double wide = 0.0;
    if (std::from_chars(digits.data(), end, wide, format).ec == std::errc()) return std::fabs(wide) < 1.0;
    long double wider = 0.0L;
    if (std::from_chars(digits.data(), end, wider, format).ec == std::errc()) return std::fabs(wider) < 1.0L;
    const std::size_t exponent = digits.find_first_of(format == std::chars_format::hex ? "pP" : "eE");
    return exponent != std::string_view::npos && exponent + 1 < digits.size() && digits[exponent + 1] == '-';
}

}  // namespace

NumberRead readNumber(std::string_view text, float& value)
{
    // strtof's grammar: one sign, then decimal digits with an optional
    // exponent, or 0x and hexadecimal ones with an optional binary exponent,
    // or inf or nan; from_chars reads what follows the sign and the 0x.
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    const bool hex = digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (hex) digits.remove_prefix(2);
    if (digits.empty() || digits.front() == '+' || digits.front() == '-') return NumberRead::Malformed;
    const std::chars_format format = hex ? std::chars_format::hex : std::chars_format::general;
    float magnitude = 0.0f;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, magnitude, format);
    if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range)) return NumberRead::Malformed;
    if (ec == std::errc::result_out_of_range)
        return belowFloatRange(digits, format) ? NumberRead::Underflow : NumberRead::Overflow;
    if (!std::isfinite(magnitude)) return NumberRead::NotFinite;
    value = negative ? -magnitude : magnitude;
    return NumberRead::Number;
}

std::optional<float> parseNumber(std::string_view text)
{
    float value = 0.0f;
    if (readNumber(text, value) != NumberRead::Number) return std::nullopt;
    return value;
}

std::optional<MaterialValue> parseMaterialValue(InputKind kind, std::string_view text, std::string* problem)
{
    MaterialValue value;
    value.kind = kind;
    // One number of the value; a number beyond the float range is named.
    auto number = [problem](std::string_view part, float& result) {
        const NumberRead read = readNumber(part, result);
        if (problem && (read == NumberRead::Underflow || read == NumberRead::Overflow))
            *problem = "'" + std::string(part) + "' " +
                       (read == NumberRead::Underflow ? "underflows to zero" : "overflows to infinity") +
                       " in single precision";
        return read == NumberRead::Number;
    };
    switch (kind) {
    case InputKind::Scalar: {
        if (!number(text, value.values[0])) return std::nullopt;
        return value;
    }
    case InputKind::Triple: {
        for (int i = 0; i < 3; ++i) {
            const std::size_t comma = text.find(',');
            if ((i < 2) != (comma != std::string_view::npos)) return std::nullopt;
            if (!number(text.substr(0, comma), value.values[i])) return std::nullopt;
            if (i < 2) text.remove_prefix(comma + 1);
        }
        return value;
    }
    case InputKind::Boolean:
        if (text == "on" || text == "true" || text == "1")
            value.values[0] = 1.0f;
        else if (text == "off" || text == "false" || text == "0")
            value.values[0] = 0.0f;
        else
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

const char* expectedForm(InputKind kind)
{
    switch (kind) {
    case InputKind::Scalar: return "a number such as 0.3";
    case InputKind::Triple: return "three numbers r,g,b such as 0.8,0.2,0.1";
    case InputKind::Boolean: return "on or off";
    }
    return "";
}

std::string formatMaterialValue(const MaterialValue& value)
{
    char text[96];
    switch (value.kind) {
    case InputKind::Scalar: std::snprintf(text, sizeof text, "%g", double(value.values[0])); break;
    case InputKind::Triple:
        std::snprintf(text, sizeof text, "%g,%g,%g", double(value.values[0]), double(value.values[1]),
                      double(value.values[2]));
        break;
    case InputKind::Boolean: return value.values[0] != 0.0f ? "on" : "off";
    }
    return text;
}

MaterialValue interpolate(const MaterialValue& a, const MaterialValue& b, float t)
{
    MaterialValue result = a;
    for (int i = 0; i < 3; ++i) result.values[i] = a.values[i] + (b.values[i] - a.values[i]) * t;
    return result;
}

}  // namespace preview
