// A font for labelling pictures, drawn through FreeType: a sans-serif face
// that fontconfig names, or failing that the Debian DejaVu package's file.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "image.h"

namespace preview {

class LabelFont {
public:
    // The system's sans-serif font; nullptr and the reason when none loads.
    static std::unique_ptr<LabelFont> findSystemFont(std::string& whyNot);
    // The font in that file; nullptr and the reason when it does not load.
    static std::unique_ptr<LabelFont> open(const std::string& path, std::string& whyNot);

    ~LabelFont();
    LabelFont(const LabelFont&) = delete;
    LabelFont& operator=(const LabelFont&) = delete;

    // Width in pixels of the text at this pixel height.
    int width(std::string_view text, int pixelHeight) const;
    // Draws the text with its baseline's left end at (x, baseline), blending
    // `colour` over the image by each glyph's coverage; clipped to the image.
    void draw(Image& image, int x, int baseline, std::string_view text, int pixelHeight, const Vec3& color) const;

private:
    struct Face;
    explicit LabelFont(std::unique_ptr<Face> face);
    std::unique_ptr<Face> face_;
};

}  // namespace preview
