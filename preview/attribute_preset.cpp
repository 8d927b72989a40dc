// One statement per line, as Maya writes them. Each line is read with a
// cursor that names what it expected at the first thing out of place.
#include "attribute_preset.h"

#include <cctype>

#include "text_file.h"

namespace preview {
namespace {

constexpr std::string_view kNodeType = "glossy";

class LineReader {
public:
    LineReader(std::string_view line, const std::string& source, int number)
        : line_(line), source_(source), number_(number)
    {
    }

    [[noreturn]] void fail(const std::string& expected) const
    {
        std::string found = "the end of the line";
        if (at_ < line_.size())
            found = "'" + printable(line_.substr(at_, 24)) + (line_.size() - at_ > 24 ? "...'" : "'");
        throw PresetError(printable(source_) + ":" + std::to_string(number_) + ": expected " + expected + ", found " +
                          found);
    }
    [[noreturn]] void failWhole(const std::string& message) const
    {
        throw PresetError(printable(source_) + ":" + std::to_string(number_) + ": " + message);
    }

    bool skipSpace()
    {
        const std::size_t from = at_;
        while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t')) ++at_;
        return at_ > from;
    }
    bool atEnd() const { return at_ == line_.size(); }
    bool peekIs(char c) const { return at_ < line_.size() && line_[at_] == c; }

    std::string_view word()
    {
        const std::size_t from = at_;
        while (at_ < line_.size() && (std::isalnum(static_cast<unsigned char>(line_[at_])) || line_[at_] == '_')) ++at_;
        return line_.substr(from, at_ - from);
    }

    void expect(char c, const char* what)
    {
        skipSpace();
        if (!peekIs(c)) fail(what);
        ++at_;
    }

    std::string_view quoted(const char* what)
    {
        skipSpace();
        if (!peekIs('"')) fail(what);
        const std::size_t close = line_.find('"', at_ + 1);
        if (close == std::string_view::npos) fail(std::string("a closing '\"' after ") + what);
        const std::string_view text = line_.substr(at_ + 1, close - at_ - 1);
        at_ = close + 1;
        return text;
    }

    // Text up to the next blank or ';'.
    std::string_view item()
    {
        const std::size_t from = at_;
        while (at_ < line_.size() && line_[at_] != ' ' && line_[at_] != '\t' && line_[at_] != ';') ++at_;
        return line_.substr(from, at_ - from);
    }

    void statementEnd()
    {
        expect(';', "';'");
        skipSpace();
        if (!atEnd()) fail("the end of the line after ';'");
    }

private:
    std::string_view line_;
    const std::string& source_;
    int number_;
    std::size_t at_ = 0;
};

std::string nodeAttributeNames()
{
    std::string names;
    for (const MaterialInput& input : materialInputs())
        if (input.inMaya) names += (names.empty() ? "" : ", ") + std::string(input.name);
    return names;
}

MaterialSetting blendAttr(LineReader& reader)
{
    const std::string_view name = reader.quoted("the quoted name of an attribute");
    const MaterialInput* input = findMaterialInput(name);
    if (input == nullptr || !input->inMaya)
        reader.failWhole("expected an attribute of the glossy node (" + nodeAttributeNames() + "), found \"" +
                         printable(name) + "\"");
    const int count = input->kind == InputKind::Triple ? 3 : 1;
    MaterialSetting setting{input->name, {}};
    setting.value.kind = input->kind;
    for (int i = 0; i < count; ++i) {
        const std::string expected =
            std::to_string(count) + (count == 1 ? " number" : " numbers") + " for \"" + input->name + "\"";
        if (!reader.skipSpace()) reader.fail(expected);
        const auto number = parseNumber(reader.item());
        if (!number) reader.fail(expected);
        setting.value.values[i] = *number;
    }
    reader.skipSpace();
    if (!reader.peekIs(';'))
        reader.fail("';' after the " + std::to_string(count) + (count == 1 ? " number" : " numbers") + " of \"" +
                    input->name + "\"");
    reader.statementEnd();
    return setting;
}

}  // namespace

std::vector<MaterialSetting> parseAttributePreset(std::string_view text, const std::string& sourceName)
{
    enum class Part { BeforeStart, Settings, AfterEnd } part = Part::BeforeStart;
    std::vector<MaterialSetting> settings;
    std::vector<int> settingLines;
    int number = 0;
    while (!text.empty() || number == 0) {
        ++number;
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        LineReader reader(line, sourceName, number);
        reader.skipSpace();
        if (reader.atEnd()) continue;
        if (line.substr(line.find_first_not_of(" \t"), 2) == "//") continue;
        const std::string_view command = reader.word();
        if (part == Part::BeforeStart) {
            if (command != "startAttrPreset") reader.fail("startAttrPreset( \"glossy\" );");
            reader.expect('(', "'(' after startAttrPreset");
            const std::string_view nodeType = reader.quoted("the quoted node type");
            if (nodeType != kNodeType)
                reader.failWhole("expected a preset of the glossy node, found one of \"" + printable(nodeType) + "\"");
            reader.expect(')', "')'");
            reader.statementEnd();
            part = Part::Settings;
        } else if (part == Part::Settings && command == "blendAttr") {
            MaterialSetting setting = blendAttr(reader);
            for (std::size_t i = 0; i < settings.size(); ++i)
                if (settings[i].name == setting.name)
                    reader.failWhole("expected each attribute once, found \"" + setting.name +
                                     "\" a second time (first on line " + std::to_string(settingLines[i]) + ")");
            settings.push_back(setting);
            settingLines.push_back(number);
        } else if (part == Part::Settings && command == "endAttrPreset") {
            reader.expect('(', "'(' after endAttrPreset");
            reader.expect(')', "')'");
            reader.statementEnd();
            part = Part::AfterEnd;
        } else if (part == Part::Settings) {
            reader.fail("blendAttr \"NAME\" VALUE...; or endAttrPreset();");
        } else {
            reader.fail("nothing but comments after endAttrPreset();");
        }
    }
    if (part != Part::AfterEnd)
        throw PresetError(printable(sourceName) + ":" + std::to_string(number) + ": expected " +
                          (part == Part::BeforeStart ? "startAttrPreset( \"glossy\" );" : "endAttrPreset();") +
                          ", found the end of the file");
    return settings;
}

std::vector<MaterialSetting> readAttributePreset(const std::string& path)
{
    std::string text;
    try {
        text = readTextFile(path);
    } catch (const TextFileError& e) {
        throw PresetError(e.what());
    }
    return parseAttributePreset(text, path);
}

}  // namespace preview
