// The grammar of `declare shader` blocks: a small recursive-descent parser
// over the scene language's cursor that stops at the first thing out of
// place with the line and what it expected. Every step is linear in the
// text: names are checked for repeats by hashing.
#include "mrhost/declaration.h"

#include <charconv>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "scene_language/cursor.h"
#include "scene_language/quoting.h"

namespace mrhost {
namespace {

// A number token read as the type it fills: an int by its digits, never
// through float, so that every int is exact; a float refused when it lies
// beyond the float range (it would become infinite, or zero though not
// written as zero). Anything not wholly a number of that type is refused.
template <typename Number>
bool readNumber(std::string_view text, Number& value)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && text.front() != '+' && ec == std::errc() && ptr == end;
}

const ParamType kAllTypes[] = {ParamType::Boolean, ParamType::Integer, ParamType::Scalar, ParamType::Vector,
                               ParamType::Color,   ParamType::Light,   ParamType::Shader, ParamType::Texture};

// How many numbers a default of the type holds at most, and at least.
int defaultCount(ParamType type)
{
    switch (type) {
    case ParamType::Vector: return 3;
    case ParamType::Color: return 4;
    case ParamType::Boolean:
    case ParamType::Integer:
    case ParamType::Scalar: return 1;
    default: return 0;
    }
}

class Parser {
public:
    Parser(std::string_view text, const std::string& source) : cursor_(text, source) {}

    std::vector<ShaderDeclaration> declarations()
    {
        std::vector<ShaderDeclaration> result;
        std::unordered_map<std::string, int> lineOf;
        while (!cursor_.atEnd()) {
            result.push_back(declaration());
            const auto [first, isNew] = lineOf.emplace(result.back().name, nameLine_);
            if (!isNew) {
                cursor_.refuse(nameLine_, "expected a new shader name, found \"" + shortened(result.back().name) +
                                              "\" a second time (first declared on line " +
                                              std::to_string(first->second) + ")");
            }
        }
        return result;
    }

private:
    const SceneToken& peek() const { return cursor_.peek(); }
    SceneToken next() { return cursor_.next(); }
    [[noreturn]] void fail(const SceneToken& at, const std::string& expected) const { cursor_.fail(at, expected); }
    bool isWord(const SceneToken& token, const char* word) const
    {
        return token.kind == SceneToken::Word && token.text == word;
    }

    std::string quotedName(const char* what) { return cursor_.quotedName(what); }

    ParamType type(const char* what)
    {
        for (ParamType t : kAllTypes) {
            if (isWord(peek(), keyword(t))) {
                next();
                return t;
            }
        }
        fail(peek(), std::string(what) + " (boolean, integer, scalar, vector, color, light, shader or texture)");
    }

    // A boolean word or a float; a number beyond the float range is refused.
    float number(const std::string& what)
    {
        const SceneToken& token = peek();
        if (isWord(token, "on") || isWord(token, "true")) {
            next();
            return 1.0f;
        }
        if (isWord(token, "off") || isWord(token, "false")) {
            next();
            return 0.0f;
        }
        float value = 0.0f;
        if (token.kind != SceneToken::Number || !readNumber(token.text, value)) {
            fail(token, what);
        }
        next();
        return value;
    }

    std::int32_t integer(const std::string& what)
    {
        const SceneToken& token = peek();
        std::int32_t value = 0;
        if (token.kind != SceneToken::Number || !readNumber(token.text, value)) {
            fail(token, what);
        }
        next();
        return value;
    }

    void defaultValue(Parameter& parameter)
    {
        const int most = defaultCount(parameter.type);
        if (parameter.isArray || most == 0) {
            cursor_.refuse(peek().line,
                           "expected ',' or ')' after \"" + shortened(parameter.name) +
                               "\": " + (parameter.isArray ? "an array" : std::string("a ") + keyword(parameter.type)) +
                               " parameter takes no default");
        }
        const std::string subject = std::string(keyword(parameter.type)) + " \"" + shortened(parameter.name) + "\"";
        if (parameter.type == ParamType::Integer) {
            parameter.integerDefault =
                integer("a whole number from -2147483648 to 2147483647 for the default of " + subject);
            parameter.defaultValue.push_back(static_cast<float>(parameter.integerDefault));
            return;
        }
        const std::string what = "a number within the range of a float for the default of " + subject;
        parameter.defaultValue.push_back(number(what));
        while (peek().kind == SceneToken::Number && static_cast<int>(parameter.defaultValue.size()) < most) {
            parameter.defaultValue.push_back(number(what));
        }
        const int least = parameter.type == ParamType::Color ? 3 : most;
        if (static_cast<int>(parameter.defaultValue.size()) < least) {
            fail(peek(), std::to_string(least) + " numbers for the default of " + subject);
        }
        if (parameter.type == ParamType::Color && parameter.defaultValue.size() == 3) {
            parameter.defaultValue.push_back(0.0f);  // a colour given as r g b has alpha 0
        }
        if (parameter.type == ParamType::Boolean) {
            parameter.integerDefault = parameter.defaultValue[0] != 0.0f ? 1 : 0;  // any non-zero default is on
        }
    }

    Parameter parameter(ShaderDeclaration& declaration, std::unordered_set<std::string>& names)
    {
        Parameter p;
        p.line = peek().line;
        if (isWord(peek(), "array")) {
            next();
            p.isArray = true;
            p.type = type("the element type of the array");
        } else {
            p.type = type("a parameter type or 'array'");
        }
        p.name = quotedName("the parameter");
        if (!names.insert(p.name).second) {
            cursor_.refuse(p.line, "expected a new parameter name, found \"" + shortened(p.name) + "\" a second time");
        }
        if (isWord(peek(), "default")) {
            next();
            defaultValue(p);
        }
        // Every value is 4-byte aligned and a multiple of 4 long: no gaps.
        std::size_t& size = declaration.recordSize;
        if (p.isArray) {
            p.firstOffset = size;
            p.countOffset = size + 4;
            size += 8;
        }
        p.offset = size;
        size += sizeOf(p.type);
        return p;
    }

    ShaderDeclaration declaration()
    {
        cursor_.expectWord("declare");
        cursor_.expectWord("shader");
        ShaderDeclaration d;
        d.resultType = type("the result type of the shader");
        nameLine_ = peek().line;
        d.name = quotedName("the shader");
        cursor_.expectPunct("(");
        std::unordered_set<std::string> names;
        if (cursor_.atPunct(")")) {
            next();
        } else {
            for (;;) {
                d.parameters.push_back(parameter(d, names));
                if (cursor_.atPunct(",")) {
                    next();
                    continue;
                }
                if (cursor_.atPunct(")")) {
                    next();
                    break;
                }
                fail(peek(), "',' or ')' after parameter \"" + shortened(d.parameters.back().name) + "\"");
            }
        }
        int versionLine = 0;
        for (;;) {
            if (isWord(peek(), "version")) {
                if (versionLine != 0) {
                    cursor_.refuse(peek().line, "expected one 'version' for shader \"" + shortened(d.name) +
                                                    "\", found a second (the first is on line " +
                                                    std::to_string(versionLine) + ")");
                }
                versionLine = peek().line;
                next();
                const SceneToken token = peek();  // a copy: integer() steps past it
                d.version = integer("a positive whole version number");
                if (d.version < 1) {
                    fail(token, "a positive whole version number");
                }
            } else if (isWord(peek(), "apply")) {
                next();
                if (peek().kind != SceneToken::Word) {
                    fail(peek(), "what the shader applies to (material, texture, light, ...)");
                }
                next();
                while (cursor_.atPunct(",")) {
                    next();
                    if (peek().kind != SceneToken::Word) {
                        fail(peek(), "what the shader applies to after ','");
                    }
                    next();
                }
            } else if (isWord(peek(), "end")) {
                next();
                cursor_.expectWord("declare");
                break;
            } else {
                fail(peek(), "'version', 'apply' or 'end declare'");
            }
        }
        if (versionLine == 0) {
            d.version = 1;  // an undeclared version is version 1
        }
        return d;
    }

    SceneCursor cursor_;
    int nameLine_ = 0;  // of the name of the declaration last read
};

}  // namespace

std::vector<ShaderDeclaration> parseDeclarations(std::string_view text, const std::string& sourceName)
{
    // A character the language has no token for is named before any block
    // is read, wherever it stands in the text.
    checkTokens(text, sourceName);
    return Parser(text, sourceName).declarations();
}

}  // namespace mrhost
