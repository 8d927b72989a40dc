// Writing images: 8-bit sRGB PNG through libpng, linear float OpenEXR through
// OpenEXR. A set of images is written all or nothing: each goes to a hidden
// temporary name in the target folder and is renamed only once all are
// written, so a failed run leaves no partial image behind. An interrupt
// (SIGINT, SIGTERM, SIGHUP) while writing removes the temporary files too.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "image.h"

namespace preview {

enum class ImageFormat { Png, Exr };

struct ImageFile {
    std::string name;  // file name inside the folder, such as "maya.png"
    const Image* image;
    ImageFormat format;
};

// Writes one image to `path`. Throws std::runtime_error naming the path.
void writePng(const Image& image, const std::string& path);
void writeExr(const Image& image, const std::string& path);

// Writes every file into `folder`; on any failure removes what it wrote and
// throws std::runtime_error with a one-line reason.
void writeImages(const std::string& folder, const std::vector<ImageFile>& files);

}  // namespace preview
