// The HTTP side of glossy-preview --serve: the page, and a small JSON API
// over the live renderer, the shipped presets and the upload reader.
//
//   GET  /api/model              what each host declares, presets, environments
//   POST /api/render             {host, quality, width, ..., inputs, sweeps} -> PNG
//   GET  /api/progress           samples done of the render in flight, per host
//   GET  /api/preset?name=N      a shipped preset's settings
//   POST /api/read?kind=K&file=F an uploaded .mel preset or .mi file, read
//   POST /api/save?kind=K        a look as a .mel preset or a .mi shader block
#pragma once

#include <httplib.h>

#include <string>
#include <vector>

#include "live_renderer.h"
#include "upload_reader.h"

namespace preview::serve {

// Bounds of what one request may ask for.
constexpr std::size_t kMaxJsonBody = 64 * 1024;
constexpr std::size_t kMaxUpload = 1 << 20;  // as the command line reads a file
constexpr int kMaxImageSize = 2048;
constexpr int kMaxSamples = 256;

class PreviewServer {
public:
    PreviewServer(LiveRenderer& renderer, const UploadReader& uploads, std::string presetFolder,
                  std::vector<std::string> environmentPaths);

    // Binds the loopback address only; port 0 takes a free one. The port, or
    // -1 when it cannot be bound.
    int bind(int port);
    // Answers requests until stop().
    bool run();
    void stop();

private:
    void addRoutes();

    LiveRenderer& renderer_;
    const UploadReader& uploads_;
    const std::string presetFolder_;
    // As given to --serve: the page shows their file names, an image's record the path.
    const std::vector<std::string> environmentPaths_;
    int port_ = -1;
    httplib::Server server_;
};

}  // namespace preview::serve
