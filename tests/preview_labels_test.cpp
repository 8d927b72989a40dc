// Labels of contact sheets: the font draws inside the box its metrics give,
// values print with the digits that tell them apart and read true, titles shorten to fit,
// labels stay in their bands or go, and the cells share exactly the sheet's
// size; a file that is no font is refused with a reason.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "label_font.h"
#include "options.h"
#include "sheet_labels.h"
#include "sheet_layout.h"

using namespace preview;

namespace {

// A host that has every input but the named one; it never shades.
class FakeHost : public MaterialHost {
public:
    explicit FakeHost(std::string lacking) : lacking_(std::move(lacking)) {}
    const char* name() const override { return "fake"; }
    LightView lightView() const override { return LightView::Centres; }
    bool hasInput(const std::string& name) const override { return name != lacking_; }
    void setInput(const std::string&, const MaterialValue&) override {}
    std::unique_ptr<MaterialShader> makeShader() override { return nullptr; }

private:
    std::string lacking_;
};

std::unique_ptr<LabelFont> systemFont()
{
    std::string whyNot;
    auto font = LabelFont::findSystemFont(whyNot);
    EXPECT_NE(font, nullptr) << "the build machine has the DejaVu fonts: " << whyNot;
    return font;
}

// The box of pixels that are no longer black.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Box litBox(const Image& image, int x0, int y0, int x1, int y1)
{
    Box box;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (image.at(x, y).x != image.at(x0, y0).x) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

TEST(LabelFont, DrawsWithinItsWidthAboveTheBaseline)
{
    const auto font = systemFont();
    ASSERT_NE(font, nullptr);
    Image image(200, 40);
    const int width = font->width("roughness 0.25", 16);
    EXPECT_GT(width, 60);
    EXPECT_LT(width, 160);
    font->draw(image, 10, 30, "roughness 0.25", 16, {1.0f, 1.0f, 1.0f});
    const Box box = litBox(image, 0, 0, image.width, image.height);
    EXPECT_GE(box.left, 10);
    EXPECT_LE(box.right, 10 + width);
    EXPECT_GE(box.top, 30 - 16);
    EXPECT_LE(box.bottom, 30 + 16 / 3) << "only descenders reach below the baseline";
    float brightest = 0.0f;
    for (const Vec3& p : image.pixels) brightest = std::max(brightest, p.x);
    EXPECT_EQ(brightest, 1.0f) << "a glyph's full coverage gives the text colour";
}

// Each refusal names the path and its own reason; a pipe is not opened at
// all (FreeType would wait on it for a writer).
TEST(LabelFont, APathThatIsNoFontIsRefusedWithItsNameAndReason)
{
    const std::string path = std::filesystem::temp_directory_path() / ("not-a-font-" + std::to_string(::getpid()));
    const std::pair<const char*, const char*> rows[] = {{"file", "is not a scalable font"},
                                                        {"missing", ": No such file or directory"},
                                                        {"folder", " is not a regular file"},
                                                        {"pipe", " is not a regular file"}};
    for (const auto& [kind, reason] : rows) {
        const std::string what = kind;
        if (what == "file") std::ofstream(path) << "not a font\n";
        if (what == "folder") std::filesystem::create_directory(path);
        if (what == "pipe") ::mkfifo(path.c_str(), 0600);
        std::string whyNot;
        EXPECT_EQ(LabelFont::open(path, whyNot), nullptr) << kind;
        EXPECT_EQ(whyNot.rfind(path, 0), 0u) << kind << ": " << whyNot;
        EXPECT_NE(whyNot.find(reason), std::string::npos) << kind << ": " << whyNot;
        std::filesystem::remove(path);
    }
}

// The inputs the sweeps here name, as a host would declare them.
const HostInputs& sweptInputs()
{
    static const HostInputs inputs = [] {
        HostInputs declared;
        for (const char* name : {"roughness", "sharpness"}) declared.maya.push_back({name, DeclaredKind::Scalar});
        declared.maya.push_back({"color", DeclaredKind::Color});
        declared.mentalRay.push_back({"specularWeight", DeclaredKind::Scalar});
        return declared;
    }();
    return inputs;
}

Sweep sweepOf(const std::string& text) { return parseOptions({"--sweep", text}, sweptInputs()).sweeps[0]; }

TEST(SheetLabels, StepsPrintWithTheDigitsThatTellThemApartAndReadTrue)
{
    const struct {
        const char* sweep;
        std::vector<std::string> labels;
    } cases[] = {
        {"roughness=0.05:0.8:5", {"0.05", "0.24", "0.43", "0.61", "0.8"}},
        {"sharpness=0:1:5", {"0", "0.25", "0.5", "0.75", "1"}},
        {"roughness=0:1:11", {"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1"}},
        {"roughness=0.1:0.11:3", {"0.1", "0.105", "0.11"}},
        {"roughness=0.3:0.3:3", {"0.3", "0.3", "0.3"}},
        {"roughness=1e10:0.5:2", {"1e+10", "0.5"}},
        {"color=0,0.2,1:1,0.2,0:3", {"0,0.2,1", "0.5,0.2,0.5", "1,0.2,0"}},
    };
    for (const auto& c : cases) EXPECT_EQ(stepLabels(sweepOf(c.sweep)), c.labels) << c.sweep;
}

TEST(SheetLabels, TheLastStepIsExactlyTo)
{
    // FROM + (TO - FROM) would give 0, 0.70000005 and 1.00000012 here.
    for (const char* text : {"roughness=1e10:0.5:2", "roughness=0.1:0.7:7", "roughness=-3e-5:1:9"}) {
        const Sweep sweep = sweepOf(text);
        EXPECT_EQ(sweep.valueAt(sweep.steps - 1).values, sweep.to.values) << text;
        EXPECT_EQ(sweep.valueAt(0).values, sweep.from.values) << text;
    }
}

TEST(SheetLayout, CellsShareExactlyTheAskedSizeBesideTheBands)
{
    const struct {
        int columns, rows, width, height, top, left;
    } cases[] = {{3, 1, 64, 48, 0, 0}, {5, 5, 480, 360, 39, 40}, {7, 3, 100, 61, 10, 9}};
    for (const auto& c : cases) {
        const SheetLayout layout = layoutSheet(c.columns, c.rows, c.width, c.height, c.top, c.left);
        EXPECT_EQ(layout.columnEdges.front(), c.left);
        EXPECT_EQ(layout.columnEdges.back(), c.width);
        EXPECT_EQ(layout.rowEdges.front(), c.top);
        EXPECT_EQ(layout.rowEdges.back(), c.height);
        for (int i = 0; i < c.columns; ++i)
            EXPECT_LE(std::abs(layout.cellWidth(i) - (c.width - c.left) / c.columns), 1) << c.width << " column " << i;
        for (int i = 0; i < c.rows; ++i)
            EXPECT_LE(std::abs(layout.cellHeight(i) - (c.height - c.top) / c.rows), 1) << c.height << " row " << i;
    }
}

TEST(SheetLabels, TitlesShortenToFitThenGo)
{
    const auto font = systemFont();
    ASSERT_NE(font, nullptr);
    const std::vector<Sweep> sweeps =
        parseOptions({"--sweep", "roughness=0:1:5", "--sweep", "specularWeight=2:4:3"}, sweptInputs()).sweeps;
    const FakeHost both(""), mayaLike("specularWeight");
    const std::string full = "Maya: roughness across, specularWeight down";
    const std::string cut = "Maya: rough. across, specu. down";
    const int size = 12;
    const struct {
        const FakeHost* host;
        int width;
        std::string title;
    } cases[] = {
        {&both, 1000, full},
        {&both, font->width(full, size) - 1, cut},
        {&both, font->width(cut, size) - 1, "Maya"},
        {&both, font->width("Maya", size) - 1, ""},
        {&mayaLike, 1000, "Maya: roughness across"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sheetTitle(*c.host, "Maya", sweeps, *font, size, c.width), c.title) << c.width;
}

TEST(SheetLabels, LabelsFitTheirBandsOrTheSheetGoesUnlabelled)
{
    const auto font = systemFont();
    ASSERT_NE(font, nullptr);
    const struct {
        int width, height, steps;
        bool labelled;
    } cases[] = {{480, 360, 5, true}, {160, 120, 3, true}, {800, 600, 9, true}, {80, 80, 5, false}};
    for (const auto& c : cases) {
        const std::string steps = std::to_string(c.steps);
        const std::vector<Sweep> sweeps =
            parseOptions({"--sweep", "roughness=0.05:0.8:" + steps, "--sweep", "sharpness=0:1:" + steps}, sweptInputs())
                .sweeps;
        const SheetLabelPlan plan = planSheetLabels(sweeps, c.width, c.height, *font);
        ASSERT_EQ(plan.size > 0, c.labelled) << c.width << "x" << c.height;
        if (!c.labelled) continue;
        EXPECT_LE(plan.top, c.height / 4);
        EXPECT_LE(plan.left, c.width / 4);
        const SheetLayout layout = layoutSheet(c.steps, c.steps, c.width, c.height, plan.top, plan.left);
        Image sheet(c.width, c.height);
        labelContactSheet(sheet, layout, plan, FakeHost(""), "mental ray", sweeps, *font);
        // The cells stay as rendered; every column and row has its value in its band.
        const Box cells = litBox(sheet, plan.left, plan.top, c.width, c.height);
        EXPECT_EQ(cells.right, -1) << "a label reaches into the cells at " << cells.left << "," << cells.top;
        for (int i = 0; i < c.steps; ++i) {
            const Box column = litBox(sheet, layout.columnEdges[i], plan.top / 2, layout.columnEdges[i + 1], plan.top);
            EXPECT_GE(column.right, 0) << "column " << i;
            const Box row = litBox(sheet, 0, layout.rowEdges[i], plan.left, layout.rowEdges[i + 1]);
            EXPECT_GE(row.right, 0) << "row " << i;
        }
    }
}

}  // namespace
