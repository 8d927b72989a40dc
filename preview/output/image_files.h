// Writing images: 8-bit sRGB PNG through libpng, linear float OpenEXR through
// OpenEXR. A set of images is written all or nothing: each goes to a hidden
// temporary in the target folder, made exclusively under an unpredictable
// name, and is renamed into place only once all are written; should a later
// rename fail, the images already replaced are put back. Any signal that
// would end the run (SIGINT, SIGQUIT, SIGXCPU, SIGUSR1, ...) while writing
// undoes the same way, and a file-size limit (SIGXFSZ) is a write error like
// a full disk. The folder is locked while writing: a second run writing into
// it at the same time is refused and replaces nothing.
#pragma once

#include <signal.h>

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
    // Text kept in the file: a PNG text chunk or an OpenEXR string attribute
    // named kRecordKey; none when empty.
    std::string record = {};
};

// The name under which an image keeps its record.
constexpr const char* kRecordKey = "glossy-preview settings";

// The bytes of the PNG file written for the image, with its record; for
// callers that hand the file on rather than write it. Throws std::runtime_error with libpng's reason when it refuses
// the image.
std::string pngFileBytes(const Image& image, const std::string& record);

// Writes every file into `folder` (at most 16); on any failure leaves the
// folder as it was and throws std::runtime_error with one line naming the
// image and the reason ("cannot write out/maya.png: No space left on
// device; no image was replaced").
void writeImages(const std::string& folder, const std::vector<ImageFile>& files);

// Holds back, for its life, the signals that writeImages undoes on: for any
// other step that makes a file and removes it again, so that a signal in
// between cannot leave it behind. A signal held back arrives afterwards.
class SignalsThatEndTheRunHeld {
public:
    SignalsThatEndTheRunHeld();
    ~SignalsThatEndTheRunHeld();
    SignalsThatEndTheRunHeld(const SignalsThatEndTheRunHeld&) = delete;
    SignalsThatEndTheRunHeld& operator=(const SignalsThatEndTheRunHeld&) = delete;

private:
    sigset_t previous_;
};

}  // namespace preview
