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

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace preview {
namespace {

// Temporary files being written, for removal if the run is interrupted
// meanwhile: fixed storage, since a signal handler may only unlink.
constexpr int kMaxPending = 16;
constexpr std::size_t kMaxPath = 4096;
char pendingPaths[kMaxPending][kMaxPath];
volatile std::sig_atomic_t pendingCount = 0;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removePendingAndStop(int signal)
{
    for (int i = 0; i < pendingCount; ++i)
        if (pendingPaths[i][0] != '\0') ::unlink(pendingPaths[i]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Installs the handler for the life of one writeImages call.
class InterruptCleanup {
public:
    InterruptCleanup()
    {
        pendingCount = 0;
        struct sigaction action {};
        action.sa_handler = removePendingAndStop;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i)
            sigaction(kCleanupSignals[i], &action, &previous_[i]);
    }
    ~InterruptCleanup()
    {
        for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i)
            sigaction(kCleanupSignals[i], &previous_[i], nullptr);
        pendingCount = 0;
    }
    void add(const std::string& path)
    {
        if (pendingCount >= kMaxPending || path.size() >= kMaxPath) return;
        std::memcpy(pendingPaths[pendingCount], path.c_str(), path.size() + 1);
        pendingCount = pendingCount + 1;
    }
    // Once renamed, a file is no longer the handler's to remove.
    void renamed(int index)
    {
        if (index < kMaxPending) pendingPaths[index][0] = '\0';
    }

private:
    struct sigaction previous_[std::size(kCleanupSignals)];
};

}  // namespace

void writePng(const Image& image, const std::string& path)
{
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

void writeExr(const Image& image, const std::string& path)
{
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

void writeImages(const std::string& folder, const std::vector<ImageFile>& files)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> written;
    auto removeWritten = [&] {
        std::error_code ignored;
        for (const fs::path& path : written) fs::remove(path, ignored);
    };
    const std::string suffix = ".tmp-" + std::to_string(::getpid());
    InterruptCleanup cleanup;
    try {
        for (const ImageFile& file : files) {
            const fs::path temporary = fs::path(folder) / ("." + file.name + suffix);
            written.push_back(temporary);
            cleanup.add(temporary.string());
            if (file.format == ImageFormat::Png)
                writePng(*file.image, temporary.string());
            else
                writeExr(*file.image, temporary.string());
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            fs::rename(written[i], fs::path(folder) / files[i].name);
            cleanup.renamed(int(i));
            written[i].clear();
        }
    } catch (const std::exception& e) {
        removeWritten();
        throw std::runtime_error(e.what());
    }
}

}  // namespace preview
