// Reading a lat-long environment from an OpenEXR file. The stored channels
// are read in their own type straight into float, so values beyond the
// half range and full float precision survive. Which channels give the
// colour is decided from their names, and the size the header promises is
// checked against the file and a texel limit before anything is allocated.
#include "environment_file.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfRgbaFile.h>
#include <ImfStandardAttributes.h>
#include <hosttext/printable.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>

namespace preview {
namespace {

// How many times its raw size a compressed chunk may hold at most: run
// lengths of 128 bytes in 2 (RLE), deflate's 1032:1 (ZIP, and PIZ below it),
// 24-bit floats deflated (PXR24), 32 bytes in 3 for a flat block (B44), an
// 8 × 8 block in one coefficient, deflated (DWA). Beyond that a header
// promises more than its file can hold.
double largestCompressionRatio(Imf::Compression compression)
{
    switch (compression) {
    case Imf::NO_COMPRESSION: return 1.0;
    case Imf::RLE_COMPRESSION: return 64.0;
    case Imf::ZIPS_COMPRESSION:
    case Imf::ZIP_COMPRESSION:
    case Imf::PIZ_COMPRESSION: return 1032.0;
    case Imf::PXR24_COMPRESSION: return 1032.0 * 4.0 / 3.0;
    case Imf::B44_COMPRESSION:
    case Imf::B44A_COMPRESSION: return 32.0 / 3.0;
    default: return 64.0 * 1032.0;
    }
}

std::size_t bytesOf(Imf::PixelType type) { return type == Imf::HALF ? 2 : 4; }

// "R, G, B" of at most a dozen names, for messages.
std::string channelNames(const Imf::ChannelList& channels)
{
    constexpr int kListed = 12;
    std::string names;
    int count = 0;
    for (auto it = channels.begin(); it != channels.end(); ++it, ++count) {
        if (count < kListed) names += (count == 0 ? "" : ", ") + hosttext::printable(it.name());
    }
    if (count == 0) return "none";
    if (count > kListed) names += " and " + std::to_string(count - kListed) + " more";
    return names;
}

// How the colour is read: three channels, one grey channel, or luminance
// and chroma (which OpenEXR's RGBA interface turns back into colour).
struct ColorSource {
    enum Kind { Rgb, Grey, LuminanceChroma } kind;
    std::string layer;
    std::string red, green, blue;  // Rgb: the three channels; Grey: red alone
};

// The channels of one layer by lower-case base name ("r", "y", ...).
using LayerChannels = std::map<std::string, std::vector<std::string>>;

std::optional<ColorSource> readingOf(const std::string& layer, const LayerChannels& channels)
{
    auto one = [&](const char* base) -> const std::string* {
        const auto it = channels.find(base);
        return it != channels.end() && it->second.size() == 1 ? &it->second[0] : nullptr;
    };
    if (one("r") && one("g") && one("b")) return ColorSource{ColorSource::Rgb, layer, *one("r"), *one("g"), *one("b")};
    if (!one("y")) return std::nullopt;
    const std::string prefix = layer.empty() ? "" : layer + ".";
    if (channels.count("ry") == 0 && channels.count("by") == 0)
        return ColorSource{ColorSource::Grey, layer, *one("y"), {}, {}};
    if (*one("y") == prefix + "Y" && one("ry") && *one("ry") == prefix + "RY" && one("by") &&
        *one("by") == prefix + "BY")
        return ColorSource{ColorSource::LuminanceChroma, layer, {}, {}, {}};
    return std::nullopt;
}

// The unlayered colour if there is one, or else that of the only layer that
// has colour; anything else would be a guess.
ColorSource chooseColor(const Imf::ChannelList& channels)
{
    std::map<std::string, LayerChannels> layers;
    for (auto it = channels.begin(); it != channels.end(); ++it) {
        const std::string name = it.name();
        const std::size_t dot = name.rfind('.');
        const std::string layer = dot == std::string::npos ? "" : name.substr(0, dot);
        std::string base = dot == std::string::npos ? name : name.substr(dot + 1);
        for (char& c : base) c = char(std::tolower(static_cast<unsigned char>(c)));
        layers[layer][base].push_back(name);
    }
    std::vector<ColorSource> found;
    for (const auto& [layer, layerChannels] : layers)
        if (const auto source = readingOf(layer, layerChannels)) found.push_back(*source);
    if (!found.empty() && found.front().layer.empty()) return found.front();
    if (found.size() == 1) return found.front();
    throw std::runtime_error(
        std::string(found.empty() ? "no channels it can read as colour" : "colour in more than one layer") +
        ": expected R, G and B or a luminance Y, in one layer, but found " + channelNames(channels));
}

// The base pointer OpenEXR wants for a buffer of the data window: the
// address of pixel (0, 0), however far the window lies from the origin.
char* originOf(void* buffer, const Imath::Box2i& window, std::int64_t width, std::size_t pixelBytes)
{
    const std::int64_t offset = (std::int64_t(window.min.y) * width + window.min.x) * std::int64_t(pixelBytes);
    return reinterpret_cast<char*>(reinterpret_cast<std::uintptr_t>(buffer) - std::uintptr_t(offset));
}

// Opening a pipe or a device would wait for a writer or read without end:
// only a regular file is handed to OpenEXR.
void checkRegularFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw std::runtime_error(std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw std::runtime_error("it is a folder");
    if (!S_ISREG(info.st_mode)) throw std::runtime_error("it is a pipe, device or socket, not a file");
}

// An environment image says what it maps, when it says: only a
// latitude-longitude map is read as one.
void checkEnvmap(const Imf::Header& header)
{
    if (!Imf::hasEnvmap(header) || Imf::envmap(header) == Imf::ENVMAP_LATLONG) return;
    throw std::runtime_error(Imf::envmap(header) == Imf::ENVMAP_CUBE
                                 ? "its envmap attribute marks it as a cube map"
                                 : "its envmap attribute names an unknown kind of map");
}

// A texel that is not a finite colour would turn every pixel that sees it
// NaN or infinite; it is refused by its place in the file.
void checkFinite(const std::vector<Vec3>& texels, const Imath::Box2i& window, std::int64_t width)
{
    for (std::size_t i = 0; i < texels.size(); ++i) {
        const Vec3& t = texels[i];
        if (std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.z)) continue;
        const float bad = !std::isfinite(t.x) ? t.x : !std::isfinite(t.y) ? t.y : t.z;
        throw std::runtime_error("the texel at x " + std::to_string(window.min.x + std::int64_t(i) % width) + ", y " +
                                 std::to_string(window.min.y + std::int64_t(i) / width) + " is " +
                                 (std::isnan(bad) ? "NaN" : "infinite") + " (expected finite colour)");
    }
}

// The display window is the whole sphere; the data window's texels are put
// in their place within it and the rest is black, as OpenEXR defines it.
LatLongImage placeInDisplayWindow(LatLongImage data, const Imath::Box2i& dataWindow, const Imath::Box2i& display)
{
    if (dataWindow == display) return data;
    LatLongImage image;
    image.width = display.max.x - display.min.x + 1;
    image.height = display.max.y - display.min.y + 1;
    image.texels.assign(std::size_t(image.width) * std::size_t(image.height), Vec3{});
    const int fromX = std::max(dataWindow.min.x, display.min.x), toX = std::min(dataWindow.max.x, display.max.x);
    const int fromY = std::max(dataWindow.min.y, display.min.y), toY = std::min(dataWindow.max.y, display.max.y);
    for (std::int64_t y = fromY; y <= toY; ++y)
        for (std::int64_t x = fromX; x <= toX; ++x)
            image.texels[std::size_t((y - display.min.y) * image.width + (x - display.min.x))] =
                data.texels[std::size_t((y - dataWindow.min.y) * data.width + (x - dataWindow.min.x))];
    return image;
}

}  // namespace

LatLongImage readLatLongImage(const std::string& path)
{
    LatLongImage image;
    try {
        checkRegularFile(path);
        Imf::InputFile file(path.c_str());
        const Imf::Header& header = file.header();
        checkEnvmap(header);
        const Imath::Box2i window = header.dataWindow();
        const Imath::Box2i display = header.displayWindow();
        const std::int64_t displayWidth = std::int64_t(display.max.x) - display.min.x + 1;
        const std::int64_t displayHeight = std::int64_t(display.max.y) - display.min.y + 1;
        if (displayWidth < 1 || displayHeight < 1) throw std::runtime_error("the display window is empty");
        if (displayWidth * displayHeight > kMaxEnvironmentTexels)
            throw std::runtime_error("the image is " + std::to_string(displayWidth) + " x " +
                                     std::to_string(displayHeight) + " texels, more than the " +
                                     std::to_string(kMaxEnvironmentTexels) + " an environment may have");
        const std::int64_t width = std::int64_t(window.max.x) - window.min.x + 1;
        const std::int64_t height = std::int64_t(window.max.y) - window.min.y + 1;
        if (width < 1 || height < 1) throw std::runtime_error("the image is empty");
        const ColorSource source = chooseColor(header.channels());
        const std::string size = std::to_string(width) + " x " + std::to_string(height) + " texels";
        if (width * height > kMaxEnvironmentTexels)
            throw std::runtime_error("the image is " + size + ", more than the " +
                                     std::to_string(kMaxEnvironmentTexels) + " an environment may have");
        std::size_t texelBytes = 0;
        for (auto it = header.channels().begin(); it != header.channels().end(); ++it)
            if (it.channel().xSampling == 1 && it.channel().ySampling == 1) texelBytes += bytesOf(it.channel().type);
        std::error_code ec;
        const auto fileBytes = std::filesystem::file_size(path, ec);
        if (!ec && double(width) * double(height) * double(texelBytes) >
                       double(fileBytes) * largestCompressionRatio(header.compression()))
            throw std::runtime_error("the header promises " + size + ", more than a file of " +
                                     std::to_string(fileBytes) + " bytes can hold");

        image.width = int(width);
        image.height = int(height);
        image.texels.assign(std::size_t(width * height), Vec3{});
        if (source.kind == ColorSource::LuminanceChroma) {
            // Luminance and chroma are stored as halves; the RGBA interface
            // rebuilds the colour from them exactly as OpenEXR defines it.
            Imf::RgbaInputFile rgba(path.c_str(), source.layer);
            std::vector<Imf::Rgba> pixels(image.texels.size());
            rgba.setFrameBuffer(reinterpret_cast<Imf::Rgba*>(originOf(pixels.data(), window, width, sizeof(Imf::Rgba))),
                                1, std::size_t(width));
            rgba.readPixels(window.min.y, window.max.y);
            for (std::size_t i = 0; i < pixels.size(); ++i)
                image.texels[i] = {float(pixels[i].r), float(pixels[i].g), float(pixels[i].b)};
            checkFinite(image.texels, window, width);
            return placeInDisplayWindow(std::move(image), window, display);
        }
        const std::string channels[] = {source.red, source.green, source.blue};
        const std::size_t reads = source.kind == ColorSource::Grey ? 1 : 3;
        const std::size_t yStride = sizeof(Vec3) * std::size_t(width);
        Imf::FrameBuffer frame;
        for (std::size_t c = 0; c < reads; ++c) {
            const Imf::Channel& stored = header.channels()[channels[c]];
            if (stored.xSampling != 1 || stored.ySampling != 1)
                throw std::runtime_error("channel " + hosttext::printable(channels[c]) + " is subsampled");
            char* first = reinterpret_cast<char*>(image.texels.data()) + c * sizeof(float);
            frame.insert(channels[c],
                         Imf::Slice(Imf::FLOAT, originOf(first, window, width, sizeof(Vec3)), sizeof(Vec3), yStride));
        }
        file.setFrameBuffer(frame);
        file.readPixels(window.min.y, window.max.y);
        if (source.kind == ColorSource::Grey)
            for (Vec3& texel : image.texels) texel.y = texel.z = texel.x;
        checkFinite(image.texels, window, width);
        image = placeInDisplayWindow(std::move(image), window, display);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error("out of memory reading the image");
    } catch (const std::runtime_error&) {
        throw;  // the reader's own messages, printable already
    } catch (const std::exception& e) {
        // OpenEXR's messages are long and multi-line; keep the first line.
        std::string reason = e.what();
        throw std::runtime_error(hosttext::printable(reason.substr(0, reason.find('\n'))));
    }
    return image;
}

}  // namespace preview
