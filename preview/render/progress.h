// Progress of a run: a bar on standard error while rendering (only when it is
// a terminal), and the closing line every run ends with.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

#include "render.h"

namespace preview {

class ProgressBar {
public:
    // Redraws `stream` every tenth of a second from a thread of its own while
    // `shown`; otherwise does nothing but count.
    ProgressBar(std::ostream& stream, std::uint64_t totalSamples, bool shown);
    // Stops redrawing and clears the bar's line.
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    SampleCounter& counter() { return done_; }
    void finish();

private:
    void draw();

    std::ostream& stream_;
    const std::uint64_t total_;
    SampleCounter done_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread drawer_;
};

// "480x360 through maya and mentalray, 8 samples per pixel: 2764800 samples
// in 2.41 s, 1147219 samples/s"
std::string closingLine(int width, int height, int samplesPerPixel, std::uint64_t samples, double seconds);

}  // namespace preview
