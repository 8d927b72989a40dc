// The stand-in renderer's reader of shader declarations: the record layout it
// derives, the defaults it keeps, and one clear error, with file and line,
// for each way a declaration can be malformed.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "mrhost/declaration.h"
#include "mrhost/parameter_record.h"
#include "mrhost/record_hooks.h"
#include "mrhost/shader_library.h"

namespace {

using mrhost::DeclarationError;
using mrhost::ParamType;
using mrhost::parseDeclarations;
using namespace std::string_view_literals;

TEST(Declaration, LaysOutEveryTypeWithArraysAsCounterPairs)
{
    const auto shaders = parseDeclarations(R"(# two shaders in one file
declare shader
    color "first" (
        boolean "flag"   default on,
        integer "count"  default -3,
        array texture "maps",
        vector  "offset" default 1 2 3,
        color   "tint"   default 0.5 0.25 1,
        scalar  "weight"
    )
    version 4
    apply material, texture
end declare

declare shader scalar "second" () end declare
)",
                                           "two.mi");
    ASSERT_EQ(shaders.size(), 2u);
    const mrhost::ShaderDeclaration& d = shaders[0];
    EXPECT_EQ(d.name, "first");
    EXPECT_EQ(d.version, 4);
    ASSERT_EQ(d.parameters.size(), 6u);
    const std::size_t offsets[] = {0, 4, 16, 20, 32, 48};
    for (std::size_t i = 0; i < d.parameters.size(); ++i) {
        EXPECT_EQ(d.parameters[i].offset, offsets[i]) << d.parameters[i].name;
    }
    EXPECT_EQ(d.parameters[2].firstOffset, 8u);
    EXPECT_EQ(d.parameters[2].countOffset, 12u);
    EXPECT_EQ(d.recordSize, 52u);
    EXPECT_EQ(d.parameters[0].defaultValue, (std::vector<float>{1.0f}));
    EXPECT_EQ(d.parameters[1].defaultValue, (std::vector<float>{-3.0f}));
    // A colour given as three numbers has alpha 0.
    EXPECT_EQ(d.parameters[4].defaultValue, (std::vector<float>{0.5f, 0.25f, 1.0f, 0.0f}));
    EXPECT_TRUE(d.parameters[5].defaultValue.empty());
    EXPECT_EQ(d.parameters[4].line, 8);

    EXPECT_EQ(shaders[1].resultType, ParamType::Scalar);
    EXPECT_EQ(shaders[1].version, 1) << "no version line means version 1";
    EXPECT_EQ(shaders[1].recordSize, 0u);
}

TEST(Declaration, MalformedTextIsRejectedWithItsLineAndWhatWasExpected)
{
    struct Case {
        std::string_view text;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"declare shader color \"s\" (\n  colr \"c\"\n) end declare", 2,
         "expected a parameter type or 'array' (boolean, integer, scalar, vector, color, light, shader or texture), "
         "found 'colr'"},
        {"declare shader color \"s\" (\n  color \"c\" default 1 2\n) end declare", 3,
         "expected 3 numbers for the default of color \"c\", found ')'"},
        {"declare shader color \"s\" (\n  scalar \"a\"\n  scalar \"b\"\n) end declare", 3,
         "expected ',' or ')' after parameter \"a\", found 'scalar'"},
        {"declare shader color \"s\" (\n  scalar \"a\",\n  vector \"a\"\n) end declare", 3,
         "expected a new parameter name, found \"a\" a second time"},
        {"declare shader color \"s\" (\n  array light \"l\" default 1\n) end declare", 2,
         "expected ',' or ')' after \"l\": an array parameter takes no default"},
        {"declare shader color \"s\" (\n  scalar \"a\"\n)\nversion 1\n", 5,
         "expected 'version', 'apply' or 'end declare', found the end of the text"},
        {"declare shader color \"s\" (\n  scalar \"a\"\n) version 0 end declare", 3,
         "expected a positive whole version number, found '0'"},
        {"declare shader color \"s (\n", 1, "expected a closing '\"' before the end of the line"},
        {"\n\nshader color \"s\" ()", 3, "expected 'declare', found 'shader'"},
        {"declare shader color (\n) end declare", 1, "expected the quoted name of the shader, found '('"},
        {"declare shader color \"s\" (\n  integer \"n\" default 1.5\n) end declare", 2,
         "expected a whole number from -2147483648 to 2147483647 for the default of integer \"n\", found '1.5'"},
        {"declare shader color \"s\" (\n  scalar \"x\" default ; \n) end declare", 2,
         "expected a word, a number, a quoted name or one of ( ) , but found ';'"},
        // Numbers beyond the int range are refused, never converted.
        {"declare shader color \"s\" (\n  scalar \"a\"\n) version 3e9 end declare", 3,
         "expected a positive whole version number, found '3e9'"},
        {"declare shader color \"s\" (\n  integer \"n\" default 1e10\n) end declare", 2,
         "expected a whole number from -2147483648 to 2147483647 for the default of integer \"n\", found '1e10'"},
        {"declare shader color \"s\" (\n  integer \"n\" default 2147483648\n) end declare", 2,
         "expected a whole number from -2147483648 to 2147483647 for the default of integer \"n\", found "
         "'2147483648'"},
        {"declare shader color \"s\" () version 2147483648 end declare", 1,
         "expected a positive whole version number, found '2147483648'"},
        // Beyond the float range either way: not infinity, not zero.
        {"declare shader color \"s\" (\n  scalar \"x\" default 1e39\n) end declare", 2,
         "expected a number within the range of a float for the default of scalar \"x\", found '1e39'"},
        {"declare shader color \"s\" (\n  vector \"v\" default 1 -1e-50 0\n) end declare", 2,
         "expected a number within the range of a float for the default of vector \"v\", found '-1e-50'"},
        {"declare shader color \"s\" (\n  scalar \"x\" default 1e+-5\n) end declare", 2,
         "expected a number within the range of a float for the default of scalar \"x\", found '1e+-5'"},
        // Said once, or refused: never the last of several silently.
        {"declare shader color \"s\" ()\n  version 2\n  apply material\n  version 3\nend declare", 4,
         "expected one 'version' for shader \"s\", found a second (the first is on line 2)"},
        {"declare shader color \"s\" () end declare\n\ndeclare shader\n  scalar \"s\" () end declare", 4,
         "expected a new shader name, found \"s\" a second time (first declared on line 1)"},
        // A name is handed on as a C string: only printable bytes, shown escaped.
        {"declare shader color \"kova\0x\" () end declare"sv, 1,
         "expected printable characters in a quoted name, found '\\x00'"},
        {"\n\xff\xfe\x01 declare", 2, "expected a word, a number, a quoted name or one of ( ) , but found '\\xff'"},
        {"declare shader color \"caf\xc3\xa9\" (\n  sc\x1b"
         "alar \"a\") end declare",
         2, "expected a word, a number, a quoted name or one of ( ) , but found '\\x1b'"},
        {"declare shader color \"caf\xc3\xa9\" (\n  colr \"a\") end declare\n  \"\xc3\xa9", 3,
         "expected a closing '\"' before the end of the line"},
        {"declare shader color \"s\" (\n  scalar \"a\x1b[2J\") end declare", 2,
         "expected printable characters in a quoted name, found '\\x1b'"},
        {"declare shader color \"s\" (\n  scalar \"caf\xc3\xa9\" x) end declare", 2,
         "expected ',' or ')' after parameter \"caf\\xc3\\xa9\", found 'x'"},
        {"declare shader color \"s\" (\n  scalar \"\xc3\xa9\", scalar \"\xc3\xa9\") end declare", 2,
         "expected a new parameter name, found \"\\xc3\\xa9\" a second time"},
    };
    for (const Case& c : cases) {
        try {
            parseDeclarations(c.text, "bad.mi");
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const DeclarationError& error) {
            EXPECT_EQ(error.line(), c.line) << error.what();
            EXPECT_EQ(error.what(), "bad.mi:" + std::to_string(c.line) + ": " + c.message);
        }
    }
}

TEST(ParameterRecord, AnyNonZeroBooleanDefaultIsOn)
{
    const auto d = parseDeclarations(
        "declare shader color \"s\" (boolean \"huge\" default 1e10, boolean \"off\" default 0) end declare", "s.mi")[0];
    const mrhost::ParameterRecord record(d, 1);
    const char* block = static_cast<const char*>(record.parameters());
    miInteger huge;
    miInteger off;
    std::memcpy(&huge, block + d.find("huge")->offset, sizeof huge);
    std::memcpy(&off, block + d.find("off")->offset, sizeof off);
    EXPECT_EQ(huge, miTRUE);
    EXPECT_EQ(off, miFALSE);
}

TEST(ParameterRecord, IntegerDefaultsAreExactAndFloatsReachTheEndsOfTheirRange)
{
    const auto d = parseDeclarations(
        "declare shader color \"s\" (\n"
        "  integer \"odd\" default 16777217, integer \"most\" default +2147483647,\n"
        "  integer \"least\" default -2147483648, scalar \"large\" default 3.4028234e38,\n"
        "  scalar \"tiny\" default 1.5e-45, scalar \"zero\" default -0e-999\n"
        ") version 2147483647 end declare",
        "s.mi")[0];
    EXPECT_EQ(d.version, 2147483647);
    const mrhost::ParameterRecord record(d, 1);
    const char* block = static_cast<const char*>(record.parameters());
    const std::pair<const char*, miInteger> integers[] = {
        {"odd", 16777217}, {"most", 2147483647}, {"least", -2147483647 - 1}};
    for (const auto& [name, expected] : integers) {
        miInteger value;
        std::memcpy(&value, block + d.find(name)->offset, sizeof value);
        EXPECT_EQ(value, expected) << name << " is not rounded through float";
    }
    // Worked out by hand: the largest float, the smallest subnormal, and a negative zero.
    const std::pair<const char*, float> scalars[] = {
        {"large", 0x1.fffffep+127f}, {"tiny", 0x1p-149f}, {"zero", -0x0p+0f}};
    for (const auto& [name, expected] : scalars) {
        float value;
        std::memcpy(&value, block + d.find(name)->offset, sizeof value);
        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << name << ": " << value;
    }
}

TEST(Declaration, MissingFileFolderOrShaderIsAnError)
{
    EXPECT_THROW(mrhost::readDeclarations("/nonexistent/none.mi"), DeclarationError);
    EXPECT_THROW(mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "no_such_shader"), DeclarationError);
    const std::string folder = std::filesystem::temp_directory_path().string();
    try {
        mrhost::readDeclarations(folder);
        ADD_FAILURE() << "a folder was read as a declaration file";
    } catch (const DeclarationError& error) {
        EXPECT_EQ(error.what(), folder + ":0: expected a declaration file, found a folder");
    }
}

TEST(Declaration, ManyParametersAreReadInTimeLinearInTheirNumber)
{
    // 200,000 parameters, on one line and then one to a line: a reader that
    // compared each name with all those before it took minutes for this.
    constexpr int kCount = 200000;
    for (const char* separator : {", ", ",\n"}) {
        std::string text = "declare shader color \"many\" (";
        for (int i = 0; i < kCount; ++i) {
            text += (i == 0 ? "" : separator) + std::string("scalar \"p") + std::to_string(i) + "\" default 1";
        }
        text += ") end declare";
        const auto d = parseDeclarations(text, "many.mi")[0];
        ASSERT_EQ(d.parameters.size(), std::size_t{kCount});
        EXPECT_EQ(d.parameters.back().name, "p199999");
        EXPECT_EQ(d.recordSize, std::size_t{4} * kCount);
    }
}

TEST(ShaderLoading, ANameThatACStringCannotHoldIsRefusedBeforeAnyLookUp)
{
    mrhost::ShaderDeclaration declaration;
    declaration.name = std::string("kova_glossy\0x", 13);
    declaration.version = 1;
    EXPECT_THROW(mrhost::ShaderLibrary(KOVA_GLOSSY_MODULE_PATH, declaration), mrhost::ShaderLoadError);
}

TEST(ParameterRecord, ArraysGrowFromTheirEntryAndSettersCheckNameAndType)
{
    const auto d = parseDeclarations(
        "declare shader color \"s\" (array light \"early\", scalar \"k\" default 2, array light \"late\") end declare",
        "s.mi")[0];
    mrhost::ParameterRecord record(d, 4);
    const miTag early[] = {7, 8, 9};
    const miTag late[] = {5, 6};
    record.setArray("early", early, 3);
    record.setArray("late", late, 2);

    const char* block = static_cast<const char*>(record.parameters());
    auto integerAt = [block](std::size_t offset) {
        miInteger value;
        std::memcpy(&value, block + offset, sizeof value);
        return value;
    };
    auto entries = [&](const char* name) {
        const mrhost::Parameter& p = *d.find(name);
        std::vector<miTag> tags(static_cast<std::size_t>(integerAt(p.countOffset)));
        std::memcpy(tags.data(), block + p.offset + sizeof(miTag) * static_cast<std::size_t>(integerAt(p.firstOffset)),
                    tags.size() * sizeof(miTag));
        return tags;
    };
    // Wherever the renderer put them, x[i_x] ... x[i_x + n_x - 1] are the entries.
    EXPECT_EQ(entries("early"), (std::vector<miTag>{7, 8, 9}));
    EXPECT_EQ(entries("late"), (std::vector<miTag>{5, 6}));
    EXPECT_EQ(integerAt(d.find("late")->firstOffset), 0) << "the last array grows in place";
    float k;
    std::memcpy(&k, block + d.find("k")->offset, sizeof k);
    EXPECT_EQ(k, 2.0f) << "arrays never overwrite other parameters";

    EXPECT_THROW(record.setScalar("nope", 1.0f), std::invalid_argument);
    try {
        record.setScalar("no\x1b[2Jpe\\", 1.0f);
        ADD_FAILURE() << "an unknown name was taken";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("\"no\\x1b[2Jpe\\x5c\""), std::string::npos) << e.what();
    }
    EXPECT_THROW(record.setColor("k", {}), std::invalid_argument);
    EXPECT_THROW(record.setInteger("early", 1), std::invalid_argument);
    EXPECT_THROW(record.setArray("late", late, 5), std::out_of_range);
    EXPECT_THROW(mrhost::setArrayEntry(record, "late", 4, 1), std::out_of_range);
    EXPECT_THROW(mrhost::connect(record, "k", 1), std::invalid_argument);
    record.setInteger("n_late", 1);
}

TEST(ParameterRecord, GhostSlotsSitAtOneDistanceFromEveryParameter)
{
    const auto d = parseDeclarations("declare shader color \"s\" (scalar \"a\", color \"c\") end declare", "s.mi")[0];
    mrhost::ParameterRecord record(d);
    EXPECT_EQ(record.function()->ghost_offs, 0);
    mrhost::connect(record, "c", 77);
    const miInteger ghost = record.function()->ghost_offs;
    ASSERT_GT(ghost, 0);
    const char* block = static_cast<const char*>(record.parameters());
    miTag slotA, slotC;
    std::memcpy(&slotA, block + mrhost::offsetOf(record, "a") + ghost, sizeof slotA);
    std::memcpy(&slotC, block + mrhost::offsetOf(record, "c") + ghost, sizeof slotC);
    EXPECT_EQ(slotA, 0u);
    EXPECT_EQ(slotC, 77u);
    mrhost::useGhostSlots(record, false);
    EXPECT_EQ(record.function()->ghost_offs, 0);
}

}  // namespace
