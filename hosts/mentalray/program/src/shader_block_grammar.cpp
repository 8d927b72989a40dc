// The grammar of `shader` instance blocks, over the scene language's cursor
// as the declarations' grammar is: it stops at the first thing out of place
// with the line and what it expected there. It holds one token at a time and
// checks names for repeats by hashing, so its cost is linear in the text.
#include "mrhost/shader_block.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "scene_language/cursor.h"
#include "scene_language/quoting.h"

namespace mrhost {
namespace {

// Whether a number beyond the float range lies below it (toward zero): read
// again as a double, or else told by the sign of its exponent.
bool belowFloatRange(std::string_view digits)
{
    double wide = 0.0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), wide).ec == std::errc()) {
        return std::fabs(wide) < 1.0;
    }
    const std::size_t exponent = digits.find_first_of("eE");
    return exponent != std::string_view::npos && exponent + 1 < digits.size() && digits[exponent + 1] == '-';
}

// At most a few names and how many more, so that a message stays one short line.
std::string quotedNames(const std::vector<std::string>& names)
{
    constexpr std::size_t kListed = 5;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kListed; ++i) {
        text += (i == 0 ? "\"" : ", \"") + shortened(names[i]) + "\"";
    }
    if (names.size() > kListed) {
        text += " and " + std::to_string(names.size() - kListed) + " more";
    }
    return text;
}

class InstanceParser {
public:
    InstanceParser(std::string_view text, const std::string& source, const std::vector<ShaderDeclaration>& declarations)
        : cursor_(text, source), declarations_(declarations)
    {
    }

    std::vector<ShaderInstance> instances()
    {
        std::vector<ShaderInstance> result;
        std::unordered_map<std::string, int> lineOf;
        while (!cursor_.atEnd()) {
            ShaderInstance instance = shaderBlock();
            const auto [first, isNew] = lineOf.emplace(instance.name, instance.line);
            if (!isNew) {
                cursor_.refuse(instance.line, "expected a new instance name, found \"" + shortened(instance.name) +
                                                  "\" a second time (first on line " + std::to_string(first->second) +
                                                  ")");
            }
            result.push_back(std::move(instance));
        }
        return result;
    }

private:
    const SceneToken& peek() const { return cursor_.peek(); }
    SceneToken next() { return cursor_.next(); }
    bool isPunct(const char* punct) const { return cursor_.atPunct(punct); }
    [[noreturn]] void fail(const SceneToken& at, const std::string& expected) const { cursor_.fail(at, expected); }
    std::string quotedName(const std::string& what) { return cursor_.quotedName(what); }

    const ShaderDeclaration& declarationOf(int line, const std::string& shaderName) const
    {
        for (const ShaderDeclaration& d : declarations_) {
            if (d.name == shaderName) {
                return d;
            }
        }
        std::vector<std::string> known;
        for (const ShaderDeclaration& d : declarations_) {
            known.push_back(d.name);
        }
        cursor_.refuse(line, "expected a declared shader (" +
                                 (known.empty() ? std::string("none declared") : quotedNames(known)) + "), found \"" +
                                 shortened(shaderName) + "\"");
    }

    float scalar(const std::string& what)
    {
        const SceneToken& token = peek();
        if (token.kind != SceneToken::Number) {
            fail(token, what);
        }
        // from_chars reads the C locale's numbers whatever the process locale.
        std::string_view text = token.text;
        if (text.front() == '+') {
            text.remove_prefix(1);
        }
        float value = 0.0f;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc::result_out_of_range && end == text.data() + text.size()) {
            // Named as the preview's command line names it.
            cursor_.refuse(token.line, "'" + shortened(token.text) + "' " +
                                           (belowFloatRange(text) ? "underflows to zero" : "overflows to infinity") +
                                           " in single precision (expected " + what + ")");
        }
        if (ec == std::errc::result_out_of_range || (ec == std::errc() && !std::isfinite(value))) {
            fail(token, what + " within the range of a float");
        }
        if (ec != std::errc() || end != text.data() + text.size()) {
            fail(token, what);
        }
        next();
        return value;
    }

    int integer(const std::string& what)
    {
        const SceneToken& token = peek();
        std::string_view text = token.text;
        if (token.kind == SceneToken::Number && text.front() == '+') {
            text.remove_prefix(1);
        }
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (token.kind != SceneToken::Number || ec != std::errc() || end != text.data() + text.size()) {
            fail(token, what + " (a whole number from -2147483648 to 2147483647)");
        }
        next();
        return value;
    }

    float boolean(const std::string& what)
    {
        const SceneToken& token = peek();
        const bool word = token.kind == SceneToken::Word;
        if ((word && (token.text == "on" || token.text == "true")) ||
            (token.kind == SceneToken::Number && token.text == "1")) {
            next();
            return 1.0f;
        }
        if ((word && (token.text == "off" || token.text == "false")) ||
            (token.kind == SceneToken::Number && token.text == "0")) {
            next();
            return 0.0f;
        }
        fail(token, what + " (on, off, true, false, 1 or 0)");
    }

    void value(const Parameter& parameter, InstanceValue& v)
    {
        const std::string what =
            std::string("a value for ") + keyword(parameter.type) + " \"" + shortened(parameter.name) + "\"";
        switch (parameter.type) {
        case ParamType::Boolean: v.numbers.push_back(boolean(what)); return;
        case ParamType::Integer: v.integer = integer(what); return;
        case ParamType::Scalar: v.numbers.push_back(scalar(what)); return;
        case ParamType::Vector:
            for (int i = 0; i < 3; ++i) {
                v.numbers.push_back(scalar("3 numbers for vector \"" + shortened(parameter.name) + "\""));
            }
            return;
        case ParamType::Color:
            for (int i = 0; i < 3; ++i) {
                v.numbers.push_back(scalar("3 or 4 numbers for color \"" + shortened(parameter.name) + "\""));
            }
            v.numbers.push_back(peek().kind == SceneToken::Number ? scalar(what) : 0.0f);
            return;
        case ParamType::Light:
        case ParamType::Shader:
        case ParamType::Texture:
            v.reference = quotedName(std::string("the ") + keyword(parameter.type) + " that \"" +
                                     shortened(parameter.name) + "\" refers to");
            return;
        }
    }

    InstanceValue parameterValue(const ShaderDeclaration& declaration, std::unordered_map<std::string, int>& lineOf)
    {
        const SceneToken& nameToken = peek();
        InstanceValue v;
        v.line = nameToken.line;
        v.name = quotedName("a parameter of \"" + shortened(declaration.name) + "\"");
        const Parameter* parameter = declaration.find(v.name);
        if (parameter == nullptr) {
            cursor_.refuse(v.line, "expected a parameter of \"" + shortened(declaration.name) + "\", found \"" +
                                       shortened(v.name) + "\", which it does not declare");
        }
        const auto [first, isNew] = lineOf.emplace(v.name, v.line);
        if (!isNew) {
            cursor_.refuse(v.line, "expected each parameter once, found \"" + shortened(v.name) +
                                       "\" a second time (first on line " + std::to_string(first->second) + ")");
        }
        if (parameter->isArray) {
            cursor_.refuse(v.line, "expected a parameter that takes one value, found \"" + shortened(v.name) +
                                       "\", an array (arrays are not read from instance blocks)");
        }
        v.type = parameter->type;
        value(*parameter, v);
        return v;
    }

    ShaderInstance shaderBlock()
    {
        if (!cursor_.atWord("shader")) {
            fail(peek(), "'shader' (a file of shader instance blocks)");
        }
        ShaderInstance instance;
        instance.line = next().line;
        instance.name = quotedName("the shader instance");
        const int shaderLine = peek().line;
        instance.shaderName = quotedName("the declared shader it instantiates");
        const ShaderDeclaration& declaration = declarationOf(shaderLine, instance.shaderName);
        cursor_.expectPunct("(");
        if (isPunct(")")) {
            next();
            return instance;
        }
        std::unordered_map<std::string, int> lineOf;  // of each parameter set so far
        for (;;) {
            instance.values.push_back(parameterValue(declaration, lineOf));
            if (isPunct(",")) {
                next();
                continue;
            }
            if (isPunct(")")) {
                next();
                return instance;
            }
            fail(peek(), "',' or ')' after parameter \"" + shortened(instance.values.back().name) + "\"");
        }
    }

    SceneCursor cursor_;
    const std::vector<ShaderDeclaration>& declarations_;
};

}  // namespace

std::vector<ShaderInstance> parseShaderInstances(std::string_view text, const std::string& sourceName,
                                                 const std::vector<ShaderDeclaration>& declarations)
{
    return InstanceParser(text, sourceName, declarations).instances();
}

}  // namespace mrhost
