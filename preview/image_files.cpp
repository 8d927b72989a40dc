// libpng's simplified API writes the 8-bit sRGB file (it marks it sRGB);
// OpenEXR's general output file writes three FLOAT channels, so values above
// 1 and below 0 survive exactly.
#include "image_files.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace preview {

void writePng(const Image& image, const std::string& path) {
    std::vector<std::uint8_t> bytes(image.pixels.size() * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        bytes[3 * i + 0] = toSrgb8(image.pixels[i].x);
        bytes[3 * i + 1] = toSrgb8(image.pixels[i].y);
        bytes[3 * i + 2] = toSrgb8(image.pixels[i].z);
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, path.c_str(), 0, bytes.data(), 0, nullptr)) {
        const std::string reason = png.message;
        png_image_free(&png);
        throw std::runtime_error("cannot write " + path + ": " + reason);
    }
}

void writeExr(const Image& image, const std::string& path) {
    try {
        Imf::Header header(image.width, image.height);
        header.channels().insert("R", Imf::Channel(Imf::FLOAT));
        header.channels().insert("G", Imf::Channel(Imf::FLOAT));
        header.channels().insert("B", Imf::Channel(Imf::FLOAT));
        Imf::OutputFile file(path.c_str(), header);
        // The pixels are packed x, y, z floats: one FrameBuffer slice per channel.
        char* base = const_cast<char*>(reinterpret_cast<const char*>(image.pixels.data()));
        const std::size_t xStride = sizeof(Vec3);
        const std::size_t yStride = xStride * static_cast<std::size_t>(image.width);
        Imf::FrameBuffer frame;
        frame.insert("R", Imf::Slice(Imf::FLOAT, base + offsetof(Vec3, x), xStride, yStride));
        frame.insert("G", Imf::Slice(Imf::FLOAT, base + offsetof(Vec3, y), xStride, yStride));
        frame.insert("B", Imf::Slice(Imf::FLOAT, base + offsetof(Vec3, z), xStride, yStride));
        file.setFrameBuffer(frame);
        file.writePixels(image.height);
    } catch (const std::exception& e) {
        std::string reason = e.what();
        throw std::runtime_error("cannot write " + path + ": " + reason.substr(0, reason.find('\n')));
    }
}

void writeImages(const std::string& folder, const std::vector<ImageFile>& files) {
    namespace fs = std::filesystem;
    std::vector<fs::path> written;
    auto removeWritten = [&] {
        std::error_code ignored;
        for (const fs::path& path : written) fs::remove(path, ignored);
    };
    const std::string suffix = ".tmp-" + std::to_string(::getpid());
    try {
        for (const ImageFile& file : files) {
            const fs::path temporary = fs::path(folder) / ("." + file.name + suffix);
            written.push_back(temporary);
            if (file.format == ImageFormat::Png) writePng(*file.image, temporary.string());
            else writeExr(*file.image, temporary.string());
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            fs::rename(written[i], fs::path(folder) / files[i].name);
            written[i].clear();
        }
    } catch (const std::exception& e) {
        removeWritten();
        throw std::runtime_error(e.what());
    }
}

}  // namespace preview
