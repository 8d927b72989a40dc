// The stand-in renderer's reader of shader instance blocks: each value typed
// by the declaration, and one line naming file and line for each way a block
// can be wrong.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "mrhost/declaration.h"
#include "mrhost/shader_block.h"

namespace {

using mrhost::ParamType;

const char* const kDeclarations = R"(
declare shader color "look" (
    boolean "flag", integer "count", scalar "weight", vector "offset",
    color "tint", light "key", array light "lights"
) end declare
declare shader scalar "other" () end declare
)";

std::vector<mrhost::ShaderInstance> parse(const std::string& text)
{
    return mrhost::parseShaderInstances(text, "scene.mi", mrhost::parseDeclarations(kDeclarations, "decl.mi"));
}

TEST(ShaderInstance, ReadsEachValueAsItsDeclaredType)
{
    const auto blocks = parse(R"(# a comment
shader "a" "look" (
    "flag" on, "count" 2147483647, "weight" -0.25,
    "offset" 1 2 3,
    "tint" 0.5 0.25 1,
    "key" "keyLight"
)
shader "b" "other" ()
)");
    ASSERT_EQ(blocks.size(), 2u);
    const mrhost::ShaderInstance& a = blocks[0];
    EXPECT_EQ(a.name, "a");
    EXPECT_EQ(a.shaderName, "look");
    EXPECT_EQ(a.line, 2);
    ASSERT_EQ(a.values.size(), 6u);
    EXPECT_EQ(a.values[0].numbers, (std::vector<float>{1.0f}));
    EXPECT_EQ(a.values[1].integer, 2147483647) << "an integer is read as an integer, not through a float";
    EXPECT_EQ(a.values[2].numbers, (std::vector<float>{-0.25f}));
    EXPECT_EQ(a.values[3].numbers, (std::vector<float>{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(a.values[4].numbers, (std::vector<float>{0.5f, 0.25f, 1.0f, 0.0f})) << "r g b has alpha 0";
    EXPECT_EQ(a.values[4].type, ParamType::Color);
    EXPECT_EQ(a.values[5].reference, "keyLight");
    EXPECT_EQ(a.values[3].line, 4);
    EXPECT_TRUE(blocks[1].values.empty());
}

struct BadBlock {
    const char* what;
    const char* text;
    int line;
    const char* message;  // a part of what() after "scene.mi:LINE: "
};

class ShaderInstanceBad : public ::testing::TestWithParam<BadBlock> {};

TEST_P(ShaderInstanceBad, NamesTheFileTheLineAndWhatWasExpected)
{
    const BadBlock& bad = GetParam();
    try {
        parse(bad.text);
        FAIL() << bad.what << ": accepted";
    } catch (const mrhost::DeclarationError& e) {
        const std::string what = e.what();
        EXPECT_EQ(e.line(), bad.line) << what;
        EXPECT_EQ(what.rfind("scene.mi:" + std::to_string(bad.line) + ": ", 0), 0u) << what;
        EXPECT_NE(what.find(bad.message), std::string::npos) << what;
        for (const char c : what) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "unprintable byte in: " << what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ShaderInstanceBad,
    ::testing::Values(
        BadBlock{"undeclared shader", "shader \"a\" \"lok\" ()", 1, "expected a declared shader (\"look\", \"other\")"},
        BadBlock{"undeclared parameter", "shader \"a\" \"look\" (\n \"wieght\" 1)", 2, "found \"wieght\", which"},
        BadBlock{"parameter given twice", "shader \"a\" \"look\" (\"weight\" 1,\n\"weight\" 2)", 2, "first on line 1"},
        BadBlock{"word for a scalar", "shader \"a\" \"look\" (\"weight\" on)", 1, "a value for scalar \"weight\""},
        BadBlock{"scalar beyond a float", "shader \"a\" \"look\" (\"weight\" 1e39)", 1,
                 "'1e39' overflows to infinity in single precision (expected a value for scalar \"weight\")"},
        BadBlock{"scalar below a float", "shader \"a\" \"look\" (\"weight\" -1e-50)", 1,
                 "'-1e-50' underflows to zero in single precision"},
        BadBlock{"fraction for an integer", "shader \"a\" \"look\" (\"count\" 1.5)", 1, "a whole number"},
        BadBlock{"integer beyond int", "shader \"a\" \"look\" (\"count\" 2147483648)", 1, "a whole number"},
        BadBlock{"number for a boolean", "shader \"a\" \"look\" (\"flag\" 2)", 1, "(on, off, true, false, 1 or 0)"},
        BadBlock{"vector of two numbers", "shader \"a\" \"look\" (\"offset\" 1 2)", 1, "3 numbers for vector"},
        BadBlock{"colour of five numbers", "shader \"a\" \"look\" (\"tint\" 1 1 1 1 1)", 1, "',' or ')' after"},
        BadBlock{"number for a light", "shader \"a\" \"look\" (\"key\" 1)", 1, "the light that \"key\" refers to"},
        BadBlock{"array parameter", "shader \"a\" \"look\" (\"lights\" \"l\")", 1, "an array"},
        BadBlock{"instance name used twice", "shader \"a\" \"other\" ()\nshader \"a\" \"other\" ()", 2,
                 "first on line 1"},
        BadBlock{"unclosed block", "shader \"a\" \"look\" (\"weight\" 1", 1, "found the end of the text"},
        BadBlock{"something else than a block", "\n\nlight \"l\" ()", 3, "'shader'"},
        BadBlock{"control byte in a name", "shader \"a\" \"look\" (\"w\x01\" 1)", 1, "quoted name, found '\\x01'"}),
    [](const ::testing::TestParamInfo<BadBlock>& info) {
        std::string name;
        for (const char c : std::string(info.param.what)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

}  // namespace
