// FreeType renders each glyph as 8-bit coverage, which is blended straight
// into the linear image; labels are short, so glyphs are not cached.
#include "label_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace preview {
namespace {

constexpr const char* kPackagedFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The file fontconfig picks for a sans-serif face; empty when it picks none.
std::string fontconfigSansSerif()
{
    std::string path;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern != nullptr) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
                path = reinterpret_cast<const char*>(file);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return path;
}

}  // namespace

struct LabelFont::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Face()
    {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

LabelFont::LabelFont(std::unique_ptr<Face> face) : face_(std::move(face)) {}
LabelFont::~LabelFont() = default;

std::unique_ptr<LabelFont> LabelFont::open(const std::string& path, std::string& whyNot)
{
    // FreeType would open a pipe and wait, or read a device without end: only
    // a regular file is handed to it, and a missing one is called missing.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        whyNot = path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        whyNot = path + " is not a regular file";
        return nullptr;
    }
    auto face = std::make_unique<Face>();
    if (FT_Init_FreeType(&face->library) != 0) {
        whyNot = "FreeType did not start";
        return nullptr;
    }
    if (FT_New_Face(face->library, path.c_str(), 0, &face->face) != 0 || !FT_IS_SCALABLE(face->face)) {
        whyNot = path + " is not a scalable font FreeType can read";
        return nullptr;
    }
    return std::unique_ptr<LabelFont>(new LabelFont(std::move(face)));
}

std::unique_ptr<LabelFont> LabelFont::findSystemFont(std::string& whyNot)
{
    const std::string chosen = fontconfigSansSerif();
    std::string reason;
    if (!chosen.empty())
        if (auto font = open(chosen, reason)) return font;
    if (auto font = open(kPackagedFont, whyNot)) return font;
    whyNot = (chosen.empty() ? std::string("fontconfig found no sans-serif font") : reason) + ", and " + whyNot;
    return nullptr;
}

int LabelFont::width(std::string_view text, int pixelHeight) const
{
    FT_Set_Pixel_Sizes(face_->face, 0, static_cast<FT_UInt>(pixelHeight));
    long advance = 0;
    for (const char c : text)
        if (FT_Load_Char(face_->face, static_cast<unsigned char>(c), FT_LOAD_DEFAULT) == 0)
            advance += face_->face->glyph->advance.x;
    return static_cast<int>(advance >> 6);
}

void LabelFont::draw(Image& image, int x, int baseline, std::string_view text, int pixelHeight, const Vec3& color) const
{
    FT_Set_Pixel_Sizes(face_->face, 0, static_cast<FT_UInt>(pixelHeight));
    long pen = static_cast<long>(x) << 6;
    for (const char c : text) {
        if (FT_Load_Char(face_->face, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot glyph = face_->face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        const int left = static_cast<int>(pen >> 6) + glyph->bitmap_left;
        const int top = baseline - glyph->bitmap_top;
        for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
            const int y = top + row;
            if (y < 0 || y >= image.height) continue;
            for (int column = 0; column < static_cast<int>(bitmap.width); ++column) {
                const int px = left + column;
                if (px < 0 || px >= image.width) continue;
                const float cover = bitmap.buffer[row * bitmap.pitch + column] / 255.0f;
                Vec3& pixel = image.at(px, y);
                pixel = pixel * (1.0f - cover) + color * cover;
            }
        }
        pen += glyph->advance.x;
    }
}

}  // namespace preview
