// The tokens of the renderer's scene language, one type for every block of
// it (declarations, shader instances), so that every block splits text the
// same way: words, quoted names, numbers and ( ) , each with its line.
#pragma once

#include <string>
#include <string_view>

namespace mrhost {

struct SceneToken {
    enum Kind { Word, String, Number, Punct, End } kind;
    std::string text;
    int line;
};

// Reads the text a token at a time, so that a reader holds one token, never
// the whole text's. next() gives End at the end, and again after. Throws
// DeclarationError (naming sourceName and the line) at a character the
// language has no token for. The text and name must outlive it.
class SceneTokenizer {
public:
    SceneTokenizer(std::string_view text, const std::string& sourceName);
    SceneToken next();

private:
    std::string_view text_;
    const std::string& source_;
    int line_ = 1;
    std::size_t at_ = 0;
};

// Reads the whole text as tokens and keeps none: throws as next() would at
// the first character the language has no token for, and returns otherwise.
void checkTokens(std::string_view text, const std::string& sourceName);

}  // namespace mrhost
