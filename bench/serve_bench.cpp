// How live the page feels: from a changed input to its first (coarse) image
// and to its full image, through the server's renderer, each as a ratio to a
// full command-line render of the same size, timed in the same run. The page
// aims for the first image within a tenth of a full render (coarse <= 0.1).
// Wall-clock time: a change is waited for by a person, on every thread.
#include <chrono>
#include <cstdio>
#include <thread>

#include "contact_sheet.h"
#include "live_renderer.h"
#include "maya_adapter.h"
#include "mentalray_adapter.h"
#include "scene.h"
#include "sheet_layout.h"

using namespace preview;
using namespace preview::serve;

namespace {

template <class Work>
double seconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

constexpr int kRounds = 5;

}  // namespace

int main()
{
    const int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    const char* names[] = {"maya", "mentalray"};
    std::printf("%-10s %10s %10s %10s %12s %12s\n", "host", "full_cli_s", "coarse_s", "full_s", "coarse_ratio",
                "full_ratio");
    // The command line's renders first: one Maya host may be loaded at a time.
    double cli[kHostCount] = {0.0, 0.0};
    for (int h = 0; h < kHostCount; ++h)
        for (int round = 0; round < kRounds; ++round) {
            const std::string roughness = std::to_string(0.1 + 0.1 * round);
            // The floor: what the command line does for the same look.
            cli[h] += seconds([&] {
                const BallScene scene(Environment(), 3);
                std::unique_ptr<MaterialHost> host;
                if (h == 0)
                    host = std::make_unique<MayaHost>(scene, builtDeliverables().mayaModule);
                else
                    host = std::make_unique<MentalRayHost>(scene, builtDeliverables().shaderLibrary,
                                                           builtDeliverables().shaderDeclaration);
                host->setInput("roughness", *parseMaterialValue(InputKind::Scalar, roughness));
                RenderSettings settings;
                settings.threads = threads;
                renderContactSheet(scene, *host, {}, layoutSheet(1, 1, settings.width, settings.height, 0, 0),
                                   settings);
            });
        }
    LiveRenderer renderer(builtDeliverables(), {}, threads);
    for (int h = 0; h < kHostCount; ++h) {
        double coarse = 0.0, full = 0.0;
        for (int round = 0; round < kRounds; ++round) {
            const std::string roughness = std::to_string(0.1 + 0.1 * round);
            LookRequest request;
            request.host = HostSide(h);
            request.inputs = {{"roughness", *parseMaterialValue(InputKind::Scalar, roughness)}};
            LookRequest quick = request;
            quick.settings.width /= 4;
            quick.settings.height /= 4;
            quick.settings.samples = 1;
            coarse += seconds([&] { renderer.render(quick); });
            full += seconds([&] { renderer.render(request); });
        }
        std::printf("%-10s %10.3f %10.3f %10.3f %12.4f %12.4f\n", names[h], cli[h] / kRounds, coarse / kRounds,
                    full / kRounds, coarse / cli[h], full / cli[h]);
    }
    return 0;
}
