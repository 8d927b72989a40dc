// The bar is redrawn with a carriage return; the lock only guards the
// drawer's sleep, never the render threads, which just bump an atomic.
#include "progress.h"

#include <chrono>
#include <cstdio>

namespace preview {

ProgressBar::ProgressBar(std::ostream& stream, std::uint64_t totalSamples, bool shown)
    : stream_(stream), total_(totalSamples == 0 ? 1 : totalSamples)
{
    if (!shown) return;
    drawer_ = std::thread([this] {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stopping_; })) draw();
    });
}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::finish()
{
    if (!drawer_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    drawer_.join();
    stream_ << '\r' << std::string(60, ' ') << '\r' << std::flush;
}

void ProgressBar::draw()
{
    constexpr int kWidth = 40;
    const double fraction = double(done_.load()) / double(total_);
    const int filled = int(fraction * kWidth);
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%", int(fraction * 100.0));
    stream_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << percent << std::flush;
}

std::string closingLine(int width, int height, int samplesPerPixel, std::uint64_t samples, double seconds)
{
    char line[200];
    std::snprintf(line, sizeof line,
                  "%dx%d through maya and mentalray, %d samples per pixel: %llu samples in %.2f s, %.0f samples/s",
                  width, height, samplesPerPixel, static_cast<unsigned long long>(samples), seconds,
                  seconds > 0.0 ? double(samples) / seconds : 0.0);
    return line;
}

}  // namespace preview
