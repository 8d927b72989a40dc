// Labels of contact sheets: the font draws inside the box its metrics give,
// each cell names the swept values the host has, a sheet's labels stay in
// their corners, and a file that is no font is refused with a reason.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "label_font.h"
#include "options.h"
#include "sheet_labels.h"

using namespace preview;

namespace {

// A host that has every input but the named one; it never shades.
class FakeHost : public MaterialHost {
public:
    explicit FakeHost(std::string lacking) : lacking_(std::move(lacking)) {}
    const char* name() const override { return "fake"; }
    LightView lightView() const override { return LightView::Centres; }
    bool hasInput(const MaterialInput& input) const override { return input.name != lacking_; }
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

TEST(SheetLabels, EachCellNamesTheSweptValuesItsHostHas)
{
    const std::vector<Sweep> sweeps =
        parseOptions({"--sweep", "roughness=0:1:5", "--sweep", "specularWeight=2:4:3"}).sweeps;
    const FakeHost both(""), mayaLike("specularWeight");
    EXPECT_EQ(cellLabels(both, sweeps, 1, 2), (std::vector<std::string>{"roughness 0.25", "specularWeight 4"}));
    EXPECT_EQ(cellLabels(both, sweeps, 4, 0), (std::vector<std::string>{"roughness 1", "specularWeight 2"}));
    EXPECT_EQ(cellLabels(mayaLike, sweeps, 1, 1), (std::vector<std::string>{"roughness 0.25"}));
}

TEST(SheetLabels, LabelsStayInEachCellsBottomLeftAndTheTitleTopLeft)
{
    const auto font = systemFont();
    ASSERT_NE(font, nullptr);
    const std::vector<Sweep> sweeps = parseOptions({"--sweep", "roughness=0:1:2", "--sweep", "sharpness=0:1:2"}).sweeps;
    Image sheet(400, 300);
    for (Vec3& p : sheet.pixels) p = {0.5f, 0.5f, 0.5f};
    labelContactSheet(sheet, FakeHost(""), "Maya", sweeps, *font);
    const int cellWidth = 200, cellHeight = 150;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column) {
            const int x0 = column * cellWidth, y0 = row * cellHeight;
            // The title sits in the first cell's top; skip its band there.
            const int top = row == 0 && column == 0 ? y0 + 40 : y0;
            const Box box = litBox(sheet, x0, top, x0 + cellWidth, y0 + cellHeight);
            EXPECT_LT(box.right, x0 + cellWidth * 2 / 3) << "cell " << column << "," << row;
            EXPECT_GT(box.top, y0 + cellHeight / 2) << "cell " << column << "," << row;
            EXPECT_GE(box.bottom, y0 + cellHeight - 6) << "cell " << column << "," << row;
        }
    const Box title = litBox(sheet, 0, 0, cellWidth, 40);
    EXPECT_LE(title.top, 2);
    EXPECT_LT(title.right, 80);
}

}  // namespace
