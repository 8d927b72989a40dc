// Reader of `declare shader` blocks. The text is split into tokens that keep
// their line, then each block is read by a small recursive-descent parser that
// stops at the first thing out of place with the line and what it expected.
#include "mrhost/declaration.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "mi_tokens.h"

namespace mrhost {
namespace {

// A number that converts to an int exactly; the conversion of anything else
// (beyond the int range, infinite, NaN, fractional) is refused, never tried.
bool isWholeInt(float value) { return value >= -2147483648.0f && value < 2147483648.0f && value == std::floor(value); }

struct Token {
    enum Kind { Word, String, Number, Punct, End } kind;
    std::string text;
    int line;
};

std::string describe(const Token& token)
{
    switch (token.kind) {
    case Token::End: return "the end of the text";
    case Token::String: return "\"" + token.text + "\"";
    default: return "'" + token.text + "'";
    }
}

bool isNumberStart(std::string_view text, std::size_t i)
{
    const char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
        return true;
    }
    const bool signOrPoint = c == '-' || c == '+' || c == '.';
    return signOrPoint && i + 1 < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '.');
}

std::vector<Token> tokenize(std::string_view text, const std::string& source)
{
    std::vector<Token> tokens;
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '#') {
            while (i < text.size() && text[i] != '\n') {
                ++i;
            }
        } else if (c == '"') {
            const std::size_t close = text.find('"', i + 1);
            const std::size_t newline = text.find('\n', i + 1);
            if (close == std::string_view::npos || newline < close) {
                throw DeclarationError(source, line, "expected a closing '\"' before the end of the line");
            }
            tokens.push_back({Token::String, std::string(text.substr(i + 1, close - i - 1)), line});
            i = close + 1;
        } else if (isNumberStart(text, i)) {
            std::size_t end = i + 1;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '.' ||
                                         text[end] == '-' || text[end] == '+')) {
                ++end;
            }
            tokens.push_back({Token::Number, std::string(text.substr(i, end - i)), line});
            i = end;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t end = i + 1;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) {
                ++end;
            }
            tokens.push_back({Token::Word, std::string(text.substr(i, end - i)), line});
            i = end;
        } else if (c == '(' || c == ')' || c == ',') {
            tokens.push_back({Token::Punct, std::string(1, c), line});
            ++i;
        } else {
            throw DeclarationError(
                source, line,
                std::string("expected a word, a number, a quoted name or one of ( ) , but found '") + c + "'");
        }
    }
    tokens.push_back({Token::End, "", line});
    return tokens;
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
    Parser(std::vector<Token> tokens, const std::string& source) : tokens_(std::move(tokens)), source_(source) {}

    std::vector<ShaderDeclaration> declarations()
    {
        std::vector<ShaderDeclaration> result;
        while (peek().kind != Token::End) {
            result.push_back(declaration());
        }
        return result;
    }

private:
    const Token& peek() const { return tokens_[position_]; }
    const Token& next() { return tokens_[position_ < tokens_.size() - 1 ? position_++ : position_]; }

    [[noreturn]] void fail(const Token& at, const std::string& expected) const
    {
        throw DeclarationError(source_, at.line, "expected " + expected + ", found " + describe(at));
    }

    bool isWord(const Token& token, const char* word) const { return token.kind == Token::Word && token.text == word; }

    void expectWord(const char* word)
    {
        if (!isWord(peek(), word)) {
            fail(peek(), std::string("'") + word + "'");
        }
        next();
    }

    void expectPunct(const char* punct)
    {
        if (peek().kind != Token::Punct || peek().text != punct) {
            fail(peek(), std::string("'") + punct + "'");
        }
        next();
    }

    std::string quotedName(const char* what)
    {
        if (peek().kind != Token::String || peek().text.empty()) {
            fail(peek(), std::string("the quoted name of ") + what);
        }
        return next().text;
    }

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

    float number(const char* what)
    {
        const Token& token = peek();
        if (isWord(token, "on") || isWord(token, "true")) {
            next();
            return 1.0f;
        }
        if (isWord(token, "off") || isWord(token, "false")) {
            next();
            return 0.0f;
        }
        if (token.kind != Token::Number) {
            fail(token, what);
        }
        char* end = nullptr;
        const float value = std::strtof(token.text.c_str(), &end);
        if (end != token.text.c_str() + token.text.size()) {
            fail(token, what);
        }
        next();
        return value;
    }

    void defaultValue(Parameter& parameter)
    {
        const int most = defaultCount(parameter.type);
        if (parameter.isArray || most == 0) {
            throw DeclarationError(source_, peek().line,
                                   "expected ',' or ')' after \"" + parameter.name + "\": " +
                                       (parameter.isArray ? "an array" : std::string("a ") + keyword(parameter.type)) +
                                       " parameter takes no default");
        }
        const std::string what =
            std::string("a default value for ") + keyword(parameter.type) + " \"" + parameter.name + "\"";
        parameter.defaultValue.push_back(number(what.c_str()));
        while (peek().kind == Token::Number && static_cast<int>(parameter.defaultValue.size()) < most) {
            parameter.defaultValue.push_back(number(what.c_str()));
        }
        const int least = parameter.type == ParamType::Color ? 3 : most;
        if (static_cast<int>(parameter.defaultValue.size()) < least) {
            fail(peek(), std::to_string(least) + " numbers for the default of " + keyword(parameter.type) + " \"" +
                             parameter.name + "\"");
        }
        if (parameter.type == ParamType::Color && parameter.defaultValue.size() == 3) {
            parameter.defaultValue.push_back(0.0f);  // a colour given as r g b has alpha 0
        }
        if (parameter.type == ParamType::Integer && !isWholeInt(parameter.defaultValue[0])) {
            throw DeclarationError(source_, peek().line,
                                   "expected a whole number for the default of integer \"" + parameter.name + "\"");
        }
    }

    Parameter parameter(ShaderDeclaration& declaration)
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
        if (declaration.find(p.name) != nullptr) {
            throw DeclarationError(source_, p.line,
                                   "expected a new parameter name, found \"" + p.name + "\" a second time");
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
        expectWord("declare");
        expectWord("shader");
        ShaderDeclaration d;
        d.resultType = type("the result type of the shader");
        d.name = quotedName("the shader");
        expectPunct("(");
        if (peek().kind == Token::Punct && peek().text == ")") {
            next();
        } else {
            for (;;) {
                d.parameters.push_back(parameter(d));
                if (peek().kind == Token::Punct && peek().text == ",") {
                    next();
                    continue;
                }
                if (peek().kind == Token::Punct && peek().text == ")") {
                    next();
                    break;
                }
                fail(peek(), "',' or ')' after parameter \"" + d.parameters.back().name + "\"");
            }
        }
        bool versioned = false;
        for (;;) {
            if (isWord(peek(), "version")) {
                next();
                const Token& token = peek();
                const float value = number("a version number");
                if (value < 1.0f || !isWholeInt(value)) {
                    fail(token, "a positive whole version number");
                }
                d.version = static_cast<int>(value);
                versioned = true;
            } else if (isWord(peek(), "apply")) {
                next();
                if (peek().kind != Token::Word) {
                    fail(peek(), "what the shader applies to (material, texture, light, ...)");
                }
                next();
                while (peek().kind == Token::Punct && peek().text == ",") {
                    next();
                    if (peek().kind != Token::Word) {
                        fail(peek(), "what the shader applies to after ','");
                    }
                    next();
                }
            } else if (isWord(peek(), "end")) {
                next();
                expectWord("declare");
                break;
            } else {
                fail(peek(), "'version', 'apply' or 'end declare'");
            }
        }
        if (!versioned) {
            d.version = 1;  // an undeclared version is version 1
        }
        return d;
    }

    std::vector<Token> tokens_;
    std::size_t position_ = 0;
    const std::string& source_;
};

}  // namespace

std::size_t sizeOf(ParamType type)
{
    switch (type) {
    case ParamType::Color: return 16;
    case ParamType::Vector: return 12;
    default: return 4;
    }
}

const char* keyword(ParamType type)
{
    switch (type) {
    case ParamType::Boolean: return "boolean";
    case ParamType::Integer: return "integer";
    case ParamType::Scalar: return "scalar";
    case ParamType::Vector: return "vector";
    case ParamType::Color: return "color";
    case ParamType::Light: return "light";
    case ParamType::Shader: return "shader";
    case ParamType::Texture: return "texture";
    }
    return "?";
}

const Parameter* ShaderDeclaration::find(std::string_view parameterName) const
{
    for (const Parameter& p : parameters) {
        if (p.name == parameterName) {
            return &p;
        }
    }
    return nullptr;
}

DeclarationError::DeclarationError(const std::string& source, int line, const std::string& message)
    : std::runtime_error(source + ":" + std::to_string(line) + ": " + message), source_(source), line_(line)
{
}

std::vector<ShaderDeclaration> parseDeclarations(std::string_view text, const std::string& sourceName)
{
    return Parser(tokenize(text, sourceName), sourceName).declarations();
}

std::vector<ShaderDeclaration> readDeclarations(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw DeclarationError(path, 0, "expected a readable declaration file");
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseDeclarations(text.str(), path);
}

ShaderDeclaration readDeclaration(const std::string& path, std::string_view shaderName)
{
    for (ShaderDeclaration& d : readDeclarations(path)) {
        if (d.name == shaderName) {
            return d;
        }
    }
    throw DeclarationError(path, 0, "expected a declaration of shader \"" + std::string(shaderName) + "\"");
}

// The one tokenizer, handed to the other readers of the language.
std::vector<MiToken> tokenizeMi(std::string_view text, const std::string& sourceName)
{
    static_assert(int(Token::Word) == int(MiToken::Word) && int(Token::String) == int(MiToken::String) &&
                      int(Token::Number) == int(MiToken::Number) && int(Token::Punct) == int(MiToken::Punct) &&
                      int(Token::End) == int(MiToken::End),
                  "the two token kinds name the same kinds in the same order");
    std::vector<MiToken> result;
    for (Token& token : tokenize(text, sourceName)) {
        result.push_back({static_cast<MiToken::Kind>(token.kind), std::move(token.text), token.line});
    }
    return result;
}

}  // namespace mrhost
