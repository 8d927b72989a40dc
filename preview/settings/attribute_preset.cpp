// One statement per line, as Maya writes them. Each line is read with a
// cursor that names what it expected at the first thing out of place.
#include "attribute_preset.h"

#include <algorithm>
#include <cctype>
#include <map>

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

    [[noreturn]] void fail(const std::string& expected) const { failAt(at_, expected); }
    // Names what starts at `from` (an item already read) as the thing out of place.
    [[noreturn]] void failAt(std::size_t from, const std::string& expected) const
    {
        std::string found = "the end of the line";
        if (from < line_.size())
            found = "'" + printable(line_.substr(from, 24)) + (line_.size() - from > 24 ? "...'" : "'");
        throw UsageError(printable(source_) + ":" + std::to_string(number_) + ": expected " + expected + ", found " +
                         found);
    }
    [[noreturn]] void failWhole(const std::string& message) const
    {
        throw UsageError(printable(source_) + ":" + std::to_string(number_) + ": " + message);
    }

    bool skipSpace()
    {
        const std::size_t from = at_;
        while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t')) ++at_;
        return at_ > from;
    }
    bool atEnd() const { return at_ == line_.size(); }
    std::size_t position() const { return at_; }
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

// A name or number from the line as a message quotes it: printable, and cut
// short, so that a message stays one short line.
std::string shortened(std::string_view text)
{
    constexpr std::size_t kQuoted = 40;
    return printable(text.substr(0, kQuoted)) + (text.size() > kQuoted ? "..." : "");
}

std::string nodeAttributeNames(const std::vector<DeclaredInput>& inputs)
{
    std::string names;
    for (const DeclaredInput& input : inputs) names += (names.empty() ? "" : ", ") + input.name;
    return names;
}

// One blendAttr statement: a whole attribute, or one channel of a colour
// (Maya's colorR, colorG, colorB are attributes of the node as well).
struct Blend {
    MaterialSetting setting;
    int channel = -1;  // 0, 1, 2 for a channel; its number is values[channel]
};

// The colour input and channel that a child attribute name stands for.
const DeclaredInput* channelOf(const std::vector<DeclaredInput>& inputs, std::string_view name, int& channel)
{
    if (name.empty()) return nullptr;
    const std::size_t suffix = std::string_view("RGB").find(name.back());
    if (suffix == std::string_view::npos) return nullptr;
    const DeclaredInput* parent = findInput(inputs, name.substr(0, name.size() - 1));
    if (parent == nullptr || parent->kind != DeclaredKind::Color) return nullptr;
    channel = int(suffix);
    return parent;
}

Blend blendAttr(LineReader& reader, const std::vector<DeclaredInput>& inputs)
{
    const std::string_view name = reader.quoted("the quoted name of an attribute");
    Blend blend;
    const DeclaredInput* input = findInput(inputs, name);
    if (input == nullptr) input = channelOf(inputs, name, blend.channel);
    if (input == nullptr)
        reader.failWhole("expected an attribute of the glossy node (" + nodeAttributeNames(inputs) + "), found \"" +
                         shortened(name) + "\"");
    const InputKind kind = valueKind(input->kind);
    const int count = kind == InputKind::Triple && blend.channel < 0 ? 3 : 1;
    const std::string shownName = shortened(name);
    MaterialSetting& setting = blend.setting;
    setting = {input->name, {}};
    setting.value.kind = kind;
    for (int i = 0; i < count; ++i) {
        const std::string expected =
            std::to_string(count) + (count == 1 ? " number" : " numbers") + " for \"" + shownName + "\"";
        if (!reader.skipSpace()) reader.fail(expected);
        const std::size_t from = reader.position();
        const std::string_view item = reader.item();
        const NumberRead read = readNumber(item, setting.value.values[std::max(i, blend.channel)]);
        // Named as on the command line: a number beyond the float range.
        if (read == NumberRead::Underflow || read == NumberRead::Overflow)
            reader.failWhole("'" + shortened(item) + "' " +
                             (read == NumberRead::Underflow ? "underflows to zero" : "overflows to infinity") +
                             " in single precision (expected " + expected + ")");
        if (read != NumberRead::Number) reader.failAt(from, expected);
        // MEL writes a boolean as 0 or 1 and a short as a whole number.
        const float number = setting.value.values[std::size_t(std::max(i, blend.channel))];
        if (input->kind == DeclaredKind::Boolean && number != 0.0f && number != 1.0f)
            reader.failAt(from, "0 or 1 for \"" + shownName + "\"");
        if (input->kind == DeclaredKind::Integer && !parseInputValue(*input, item))
            reader.failAt(from, expectedFormOf(*input) + " for \"" + shownName + "\"");
    }
    reader.skipSpace();
    if (!reader.peekIs(';'))
        reader.fail("';' after the " + std::to_string(count) + (count == 1 ? " number" : " numbers") + " of \"" +
                    shownName + "\"");
    reader.statementEnd();
    return blend;
}

// What the statements so far set of one attribute: the channels given
// (all three for the whole attribute) and the line of the first.
struct Assigned {
    std::size_t index;  // into the settings
    int channels;       // bit per channel
    int line;
};

}  // namespace

std::vector<MaterialSetting> parseAttributePreset(std::string_view text, const std::string& sourceName,
                                                  const std::vector<DeclaredInput>& nodeInputs)
{
    enum class Part { BeforeStart, Settings, AfterEnd } part = Part::BeforeStart;
    std::vector<MaterialSetting> settings;
    std::map<std::string, Assigned> assigned;
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
        const std::size_t commandStart = reader.position();
        const std::string_view command = reader.word();
        if (part == Part::BeforeStart) {
            if (command != "startAttrPreset") reader.failAt(commandStart, "startAttrPreset( \"glossy\" );");
            reader.expect('(', "'(' after startAttrPreset");
            const std::string_view nodeType = reader.quoted("the quoted node type");
            if (nodeType != kNodeType)
                reader.failWhole("expected a preset of the glossy node, found one of \"" + shortened(nodeType) + "\"");
            reader.expect(')', "')'");
            reader.statementEnd();
            part = Part::Settings;
        } else if (part == Part::Settings && command == "blendAttr") {
            const Blend blend = blendAttr(reader, nodeInputs);
            const int channels = blend.channel < 0 ? 7 : 1 << blend.channel;
            const auto [it, isNew] = assigned.emplace(blend.setting.name, Assigned{settings.size(), channels, number});
            if (isNew) {
                settings.push_back(blend.setting);
                continue;
            }
            if ((it->second.channels & channels) != 0)
                reader.failWhole("expected each attribute once, found \"" + blend.setting.name +
                                 (blend.channel < 0 ? "" : std::string(1, "RGB"[blend.channel])) +
                                 "\" a second time (first on line " + std::to_string(it->second.line) + ")");
            it->second.channels |= channels;
            settings[it->second.index].value.values[std::size_t(blend.channel)] =
                blend.setting.value.values[std::size_t(blend.channel)];
        } else if (part == Part::Settings && command == "endAttrPreset") {
            // A colour is set whole or by all three channels: the host's
            // own value of a channel left out is not known here.
            for (const auto& [name, given] : assigned)
                if (given.channels != 7)
                    throw UsageError(printable(sourceName) + ":" + std::to_string(given.line) + ": expected \"" + name +
                                     "R\", \"" + name + "G\" and \"" + name + "B\" together (or \"" + name +
                                     "\" with 3 numbers), found only some of them");
            reader.expect('(', "'(' after endAttrPreset");
            reader.expect(')', "')'");
            reader.statementEnd();
            part = Part::AfterEnd;
        } else if (part == Part::Settings) {
            reader.failAt(commandStart, "blendAttr \"NAME\" VALUE...; or endAttrPreset();");
        } else {
            reader.failAt(commandStart, "nothing but comments after endAttrPreset();");
        }
    }
    if (part != Part::AfterEnd)
        throw UsageError(printable(sourceName) + ":" + std::to_string(number) + ": expected " +
                         (part == Part::BeforeStart ? "startAttrPreset( \"glossy\" );" : "endAttrPreset();") +
                         ", found the end of the file");
    return settings;
}

std::vector<MaterialSetting> readAttributePreset(const std::string& path, const std::vector<DeclaredInput>& nodeInputs)
{
    return parseAttributePreset(readTextFile(path), path, nodeInputs);
}

}  // namespace preview
