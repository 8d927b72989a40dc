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

// Reads the text a token at a time, so that a reader holds one token, never
// the whole text's. next() gives End at the end, and again after. Throws
// DeclarationError (naming sourceName and the line) at a character the
// language has no token for. The text and name must outlive it.
class MiTokenizer {
public:
    MiTokenizer(std::string_view text, const std::string& sourceName);
    MiToken next();

private:
    std::string_view text_;
    const std::string& source_;
    int line_ = 1;
    std::size_t at_ = 0;
};

// The text as a message can show it on one line: every byte outside printable
// ASCII, and the backslash, as \xNN.
std::string printable(std::string_view text);

// A token as a message quotes it: printable, and cut to its first 40 bytes
// followed by "..." when longer, so that a message stays short.
std::string shortened(std::string_view text);

}  // namespace mrhost
