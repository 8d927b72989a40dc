#include "scene_language/cursor.h"

#include "mrhost/declaration.h"
#include "scene_language/quoting.h"

namespace mrhost {

std::string describe(const SceneToken& token)
{
    switch (token.kind) {
    case SceneToken::End: return "the end of the text";
    case SceneToken::String: return "\"" + shortened(token.text) + "\"";
    default: return "'" + shortened(token.text) + "'";
    }
}

SceneCursor::SceneCursor(std::string_view text, const std::string& sourceName)
    : tokenizer_(text, sourceName), current_(tokenizer_.next()), source_(sourceName)
{
}

SceneToken SceneCursor::next()
{
    SceneToken taken = std::move(current_);
    current_ = taken.kind == SceneToken::End ? taken : tokenizer_.next();
    return taken;
}

void SceneCursor::expectWord(const char* word)
{
    if (!atWord(word)) {
        fail(std::string("'") + word + "'");
    }
    next();
}

void SceneCursor::expectPunct(const char* punct)
{
    if (!atPunct(punct)) {
        fail(std::string("'") + punct + "'");
    }
    next();
}

std::string SceneCursor::quotedName(const std::string& what)
{
    if (current_.kind != SceneToken::String || current_.text.empty()) {
        fail("the quoted name of " + what);
    }
    return next().text;
}

void SceneCursor::fail(const SceneToken& at, const std::string& expected) const
{
    refuse(at.line, "expected " + expected + ", found " + describe(at));
}

void SceneCursor::refuse(int line, const std::string& message) const { throw DeclarationError(source_, line, message); }

}  // namespace mrhost
