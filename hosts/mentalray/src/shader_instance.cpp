// Reader of `shader` instance blocks. It shares the declaration reader's
// tokens and, like it, stops at the first thing out of place with the line
// and what it expected there.
#include "mrhost/shader_instance.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "mi_tokens.h"

namespace mrhost {
namespace {

std::string describe(const MiToken& token)
{
    switch (token.kind) {
    case MiToken::End: return "the end of the text";
    case MiToken::String: return "\"" + printable(token.text) + "\"";
    default: return "'" + printable(token.text) + "'";
    }
}

class InstanceParser {
public:
    InstanceParser(std::vector<MiToken> tokens, const std::string& source,
                   const std::vector<ShaderDeclaration>& declarations)
        : tokens_(std::move(tokens)), source_(source), declarations_(declarations)
    {
    }

    std::vector<ShaderInstance> instances()
    {
        std::vector<ShaderInstance> result;
        while (peek().kind != MiToken::End) {
            ShaderInstance instance = shaderBlock();
            for (const ShaderInstance& earlier : result) {
                if (earlier.name == instance.name) {
                    throw DeclarationError(source_, instance.line,
                                           "expected a new instance name, found \"" + printable(instance.name) +
                                               "\" a second time (first on line " + std::to_string(earlier.line) + ")");
                }
            }
            result.push_back(std::move(instance));
        }
        return result;
    }

private:
    const MiToken& peek() const { return tokens_[position_]; }
    const MiToken& next() { return tokens_[position_ < tokens_.size() - 1 ? position_++ : position_]; }
    bool isPunct(const char* punct) const { return peek().kind == MiToken::Punct && peek().text == punct; }

    [[noreturn]] void fail(const MiToken& at, const std::string& expected) const
    {
        throw DeclarationError(source_, at.line, "expected " + expected + ", found " + describe(at));
    }

    std::string quotedName(const std::string& what)
    {
        if (peek().kind != MiToken::String || peek().text.empty()) {
            fail(peek(), "the quoted name of " + what);
        }
        return next().text;
    }

    const ShaderDeclaration& declarationOf(const MiToken& at, const std::string& shaderName) const
    {
        for (const ShaderDeclaration& d : declarations_) {
            if (d.name == shaderName) {
                return d;
            }
        }
        std::string known;
        for (const ShaderDeclaration& d : declarations_) {
            known += (known.empty() ? "" : ", ") + ("\"" + printable(d.name) + "\"");
        }
        throw DeclarationError(source_, at.line,
                               "expected a declared shader (" + (known.empty() ? "none declared" : known) +
                                   "), found \"" + printable(shaderName) + "\"");
    }

    float scalar(const std::string& what)
    {
        const MiToken& token = peek();
        if (token.kind != MiToken::Number) {
            fail(token, what);
        }
        // from_chars reads the C locale's numbers whatever the process locale.
        std::string_view text = token.text;
        if (text.front() == '+') {
            text.remove_prefix(1);
        }
        float value = 0.0f;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
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
        const MiToken& token = peek();
        std::string_view text = token.text;
        if (token.kind == MiToken::Number && text.front() == '+') {
            text.remove_prefix(1);
        }
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (token.kind != MiToken::Number || ec != std::errc() || end != text.data() + text.size()) {
            fail(token, what + " (a whole number from -2147483648 to 2147483647)");
        }
        next();
        return value;
    }

    float boolean(const std::string& what)
    {
        const MiToken& token = peek();
        const bool word = token.kind == MiToken::Word;
        if ((word && (token.text == "on" || token.text == "true")) ||
            (token.kind == MiToken::Number && token.text == "1")) {
            next();
            return 1.0f;
        }
        if ((word && (token.text == "off" || token.text == "false")) ||
            (token.kind == MiToken::Number && token.text == "0")) {
            next();
            return 0.0f;
        }
        fail(token, what + " (on, off, true, false, 1 or 0)");
    }

    void value(const Parameter& parameter, InstanceValue& v)
    {
        const std::string what =
            std::string("a value for ") + keyword(parameter.type) + " \"" + printable(parameter.name) + "\"";
        switch (parameter.type) {
        case ParamType::Boolean: v.numbers.push_back(boolean(what)); return;
        case ParamType::Integer: v.integer = integer(what); return;
        case ParamType::Scalar: v.numbers.push_back(scalar(what)); return;
        case ParamType::Vector:
            for (int i = 0; i < 3; ++i) {
                v.numbers.push_back(scalar("3 numbers for vector \"" + printable(parameter.name) + "\""));
            }
            return;
        case ParamType::Color:
            for (int i = 0; i < 3; ++i) {
                v.numbers.push_back(scalar("3 or 4 numbers for color \"" + printable(parameter.name) + "\""));
            }
            v.numbers.push_back(peek().kind == MiToken::Number ? scalar(what) : 0.0f);
            return;
        case ParamType::Light:
        case ParamType::Shader:
        case ParamType::Texture:
            v.reference = quotedName(std::string("the ") + keyword(parameter.type) + " that \"" +
                                     printable(parameter.name) + "\" refers to");
            return;
        }
    }

    InstanceValue parameterValue(const ShaderDeclaration& declaration, const ShaderInstance& instance)
    {
        const MiToken& nameToken = peek();
        InstanceValue v;
        v.line = nameToken.line;
        v.name = quotedName("a parameter of \"" + printable(declaration.name) + "\"");
        const Parameter* parameter = declaration.find(v.name);
        if (parameter == nullptr) {
            throw DeclarationError(source_, v.line,
                                   "expected a parameter of \"" + printable(declaration.name) + "\", found \"" +
                                       printable(v.name) + "\", which it does not declare");
        }
        for (const InstanceValue& earlier : instance.values) {
            if (earlier.name == v.name) {
                throw DeclarationError(source_, v.line,
                                       "expected each parameter once, found \"" + printable(v.name) +
                                           "\" a second time (first on line " + std::to_string(earlier.line) + ")");
            }
        }
        if (parameter->isArray) {
            throw DeclarationError(source_, v.line,
                                   "expected a parameter that takes one value, found \"" + printable(v.name) +
                                       "\", an array (arrays are not read from instance blocks)");
        }
        v.type = parameter->type;
        value(*parameter, v);
        return v;
    }

    ShaderInstance shaderBlock()
    {
        if (peek().kind != MiToken::Word || peek().text != "shader") {
            fail(peek(), "'shader' (a file of shader instance blocks)");
        }
        ShaderInstance instance;
        instance.line = next().line;
        instance.name = quotedName("the shader instance");
        const MiToken& shaderToken = peek();
        instance.shaderName = quotedName("the declared shader it instantiates");
        const ShaderDeclaration& declaration = declarationOf(shaderToken, instance.shaderName);
        if (!isPunct("(")) {
            fail(peek(), "'('");
        }
        next();
        if (isPunct(")")) {
            next();
            return instance;
        }
        for (;;) {
            instance.values.push_back(parameterValue(declaration, instance));
            if (isPunct(",")) {
                next();
                continue;
            }
            if (isPunct(")")) {
                next();
                return instance;
            }
            fail(peek(), "',' or ')' after parameter \"" + printable(instance.values.back().name) + "\"");
        }
    }

    std::vector<MiToken> tokens_;
    std::size_t position_ = 0;
    const std::string& source_;
    const std::vector<ShaderDeclaration>& declarations_;
};

}  // namespace

std::vector<ShaderInstance> parseShaderInstances(std::string_view text, const std::string& sourceName,
                                                 const std::vector<ShaderDeclaration>& declarations)
{
    return InstanceParser(tokenizeMi(text, sourceName), sourceName, declarations).instances();
}

}  // namespace mrhost
