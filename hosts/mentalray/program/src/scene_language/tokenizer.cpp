// Splits the scene language into tokens one at a time: blanks and # comments
// between them are skipped, lines are counted, and a character no token
// starts with is refused where it stands.
#include "scene_language/tokenizer.h"

#include <cctype>

#include <hosttext/printable.h>
#include "mrhost/declaration.h"

namespace mrhost {
namespace {

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

}  // namespace

SceneTokenizer::SceneTokenizer(std::string_view text, const std::string& sourceName) : text_(text), source_(sourceName)
{
}

SceneToken SceneTokenizer::next()
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
                                               hosttext::printable(text.substr(close, 1)) + "'");
                }
                ++close;
            }
            if (close == text.size() || text[close] != '"') {
                throw DeclarationError(source, line, "expected a closing '\"' before the end of the line");
            }
            const std::size_t from = i + 1;
            i = close + 1;
            return {SceneToken::String, std::string(text.substr(from, close - from)), line};
        } else if (isNumberStart(text, i)) {
            std::size_t end = i + 1;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '.' ||
                                         text[end] == '-' || text[end] == '+')) {
                ++end;
            }
            const std::size_t from = i;
            i = end;
            return {SceneToken::Number, std::string(text.substr(from, end - from)), line};
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t end = i + 1;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) {
                ++end;
            }
            const std::size_t from = i;
            i = end;
            return {SceneToken::Word, std::string(text.substr(from, end - from)), line};
        } else if (c == '(' || c == ')' || c == ',') {
            ++i;
            return {SceneToken::Punct, std::string(1, c), line};
        } else {
            throw DeclarationError(source, line,
                                   "expected a word, a number, a quoted name or one of ( ) , but found '" +
                                       hosttext::printable(text.substr(i, 1)) + "'");
        }
    }
    return {SceneToken::End, "", line};
}

void checkTokens(std::string_view text, const std::string& sourceName)
{
    SceneTokenizer tokenizer(text, sourceName);
    while (tokenizer.next().kind != SceneToken::End) {}
}

}  // namespace mrhost
