// Reader of `declare shader` blocks. The text is split into tokens that keep
// their line, then each block is read by a small recursive-descent parser that
// stops at the first thing out of place with the line and what it expected.
// Every step is linear in the text: names are checked for repeats by hashing.
// Messages quote what the file holds through printable() or shortened(), once.
#include "mrhost/declaration.h"

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "mi_tokens.h"

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

using Token = MiToken;

std::string describe(const Token& token)
{
    switch (token.kind) {
    case Token::End: return "the end of the text";
    case Token::String: return "\"" + shortened(token.text) + "\"";
    default: return "'" + shortened(token.text) + "'";
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
    MiTokenizer tokenizer(text, source);
    do {
        tokens.push_back(tokenizer.next());
    } while (tokens.back().kind != Token::End);
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
        std::unordered_map<std::string, int> lineOf;
        while (peek().kind != Token::End) {
            result.push_back(declaration());
            const auto [first, isNew] = lineOf.emplace(result.back().name, nameLine_);
            if (!isNew) {
                throw DeclarationError(source_, nameLine_,
                                       "expected a new shader name, found \"" + shortened(result.back().name) +
                                           "\" a second time (first declared on line " + std::to_string(first->second) +
                                           ")");
            }
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

    // A boolean word or a float; a number beyond the float range is refused.
    float number(const std::string& what)
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
        float value = 0.0f;
        if (token.kind != Token::Number || !readNumber(token.text, value)) {
            fail(token, what);
        }
        next();
        return value;
    }

    std::int32_t integer(const std::string& what)
    {
        const Token& token = peek();
        std::int32_t value = 0;
        if (token.kind != Token::Number || !readNumber(token.text, value)) {
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
                                   "expected ',' or ')' after \"" + shortened(parameter.name) + "\": " +
                                       (parameter.isArray ? "an array" : std::string("a ") + keyword(parameter.type)) +
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
        while (peek().kind == Token::Number && static_cast<int>(parameter.defaultValue.size()) < most) {
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
            throw DeclarationError(source_, p.line,
                                   "expected a new parameter name, found \"" + shortened(p.name) + "\" a second time");
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
        nameLine_ = peek().line;
        d.name = quotedName("the shader");
        expectPunct("(");
        std::unordered_set<std::string> names;
        if (peek().kind == Token::Punct && peek().text == ")") {
            next();
        } else {
            for (;;) {
                d.parameters.push_back(parameter(d, names));
                if (peek().kind == Token::Punct && peek().text == ",") {
                    next();
                    continue;
                }
                if (peek().kind == Token::Punct && peek().text == ")") {
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
                    throw DeclarationError(source_, peek().line,
                                           "expected one 'version' for shader \"" + shortened(d.name) +
                                               "\", found a second (the first is on line " +
                                               std::to_string(versionLine) + ")");
                }
                versionLine = peek().line;
                next();
                const Token& token = peek();
                d.version = integer("a positive whole version number");
                if (d.version < 1) {
                    fail(token, "a positive whole version number");
                }
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
        if (versionLine == 0) {
            d.version = 1;  // an undeclared version is version 1
        }
        return d;
    }

    std::vector<Token> tokens_;
    std::size_t position_ = 0;
    int nameLine_ = 0;  // of the name of the declaration last read
    const std::string& source_;
};

}  // namespace

// Bytes that a terminal shows as themselves; any other byte of a file (other
// encodings, control bytes) is shown as \xNN so that a message stays one
// printable line.
static bool isPrintable(char c) { return c >= ' ' && c <= '~'; }

std::string printable(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (isPrintable(c) && c != '\\') {
            result += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            result += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return result;
}

std::string shortened(std::string_view text)
{
    constexpr std::size_t kQuoted = 40;
    return text.size() <= kQuoted ? printable(text) : printable(text.substr(0, kQuoted)) + "...";
}

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
    : std::runtime_error(printable(source) + ":" + std::to_string(line) + ": " + message), line_(line)
{
}

std::vector<ShaderDeclaration> parseDeclarations(std::string_view text, const std::string& sourceName)
{
    return Parser(tokenize(text, sourceName), sourceName).declarations();
}

std::vector<ShaderDeclaration> readDeclarations(const std::string& path)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw DeclarationError(path, 0, "expected a declaration file, found a folder");
    }
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
    throw DeclarationError(path, 0, "expected a declaration of shader \"" + shortened(shaderName) + "\"");
}

MiTokenizer::MiTokenizer(std::string_view text, const std::string& sourceName) : text_(text), source_(sourceName) {}

MiToken MiTokenizer::next()
{
    const std::string_view text = text_;
    const std::string& source = source_;
    int& line = line_;
    std::size_t& i = at_;
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
            // One pass to the closing quote: a name is handed on as a C
            // string, so it may hold only printable bytes (no zero byte).
            std::size_t close = i + 1;
            while (close < text.size() && text[close] != '"' && text[close] != '\n') {
                const auto byte = static_cast<unsigned char>(text[close]);
                if (byte < 0x20 || byte == 0x7f) {
                    throw DeclarationError(source, line,
                                           "expected printable characters in a quoted name, found '" +
                                               printable(text.substr(close, 1)) + "'");
                }
                ++close;
            }
            if (close == text.size() || text[close] != '"') {
                throw DeclarationError(source, line, "expected a closing '\"' before the end of the line");
            }
            const std::size_t from = i + 1;
            i = close + 1;
            return {MiToken::String, std::string(text.substr(from, close - from)), line};
        } else if (isNumberStart(text, i)) {
            std::size_t end = i + 1;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '.' ||
                                         text[end] == '-' || text[end] == '+')) {
                ++end;
            }
            const std::size_t from = i;
            i = end;
            return {MiToken::Number, std::string(text.substr(from, end - from)), line};
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t end = i + 1;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) {
                ++end;
            }
            const std::size_t from = i;
            i = end;
            return {MiToken::Word, std::string(text.substr(from, end - from)), line};
        } else if (c == '(' || c == ')' || c == ',') {
            ++i;
            return {MiToken::Punct, std::string(1, c), line};
        } else {
            throw DeclarationError(source, line,
                                   "expected a word, a number, a quoted name or one of ( ) , but found '" +
                                       printable(text.substr(i, 1)) + "'");
        }
    }
    return {MiToken::End, "", line};
}

}  // namespace mrhost
