// The tokens of the renderer's scene language, shared by the readers of its
// blocks (declarations, shader instances) so that every block splits text
// the same way: words, quoted names, numbers and ( ) , each with its line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mrhost {

struct MiToken {
    enum Kind { Word, String, Number, Punct, End } kind;
    std::string text;
    int line;
};

// The tokens of the text, the last one End. Throws DeclarationError (naming
// sourceName and the line) at a character the language has no token for.
std::vector<MiToken> tokenizeMi(std::string_view text, const std::string& sourceName);

// The text as a message can show it on one line: every byte outside printable
// ASCII, and the backslash, as \xNN.
std::string printable(std::string_view text);

}  // namespace mrhost
