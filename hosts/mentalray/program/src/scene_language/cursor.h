// Where a reader of the scene language stands: the one token it looks at,
// the checks every grammar makes on it, and the one form of message for a
// token out of place ("FILE:LINE: expected X, found Y").
#pragma once

#include <string>
#include <string_view>

#include "scene_language/tokenizer.h"

namespace mrhost {

// A token as a message names it: "the end of the text", a quoted name in
// double quotes, anything else in single quotes, shortened.
std::string describe(const SceneToken& token);

// Holds the current token only; every failure throws DeclarationError naming
// the source and the line. The text and name must outlive it.
class SceneCursor {
public:
    SceneCursor(std::string_view text, const std::string& sourceName);

    const SceneToken& peek() const { return current_; }
    // Steps past the current token and gives it; at the end it stays at End.
    SceneToken next();

    bool atEnd() const { return current_.kind == SceneToken::End; }
    bool atWord(const char* word) const { return current_.kind == SceneToken::Word && current_.text == word; }
    bool atPunct(const char* punct) const { return current_.kind == SceneToken::Punct && current_.text == punct; }

    // Step past the word or punctuation, or fail expecting it.
    void expectWord(const char* word);
    void expectPunct(const char* punct);
    // The text of a non-empty quoted name, stepped past; else fails
    // expecting "the quoted name of <what>".
    std::string quotedName(const std::string& what);

    // "expected <expected>, found <the token>", at that token's line.
    [[noreturn]] void fail(const std::string& expected) const { fail(current_, expected); }
    [[noreturn]] void fail(const SceneToken& at, const std::string& expected) const;
    // Any other message, at a line.
    [[noreturn]] void refuse(int line, const std::string& message) const;

    const std::string& source() const { return source_; }

private:
    SceneTokenizer tokenizer_;
    SceneToken current_;
    const std::string& source_;
};

}  // namespace mrhost
