// Signals are taken by one thread of their own through sigwait, blocked in
// every other: a handler could not safely stop the server, a thread can.
#include "serve_command.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "live_renderer.h"
#include "options.h"
#include "preview_server.h"
#include "upload_reader.h"

namespace preview::serve {
namespace {

const sigset_t& stopSignals()
{
    static const sigset_t set = [] {
        sigset_t s;
        sigemptyset(&s);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&s, signal);
        return s;
    }();
    return set;
}

}  // namespace

bool wantsServer(const std::vector<std::string>& args)
{
    bool serve = false;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return false;
        serve = serve || arg == "--serve";
    }
    return serve;
}

int runServer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const DeliverablePaths& deliverables)
{
    PreviewOptions options;
    std::vector<Environment> environments;
    try {
        options = parseServeOptions(args);
    } catch (const UsageError& e) {
        err << "glossy-preview: " << e.what() << '\n';
        return 2;
    }
    for (const std::string& path : options.environments) {
        try {
            environments.push_back(Environment::fromLatLongFile(path));
        } catch (const std::exception& e) {
            err << "glossy-preview: --env " << path << ": cannot read it (" << e.what()
                << "); expected a latitude-longitude OpenEXR image\n";
            return 2;
        }
    }

    // Blocked before any thread starts, so every thread inherits the mask.
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &stopSignals(), &previous);
    struct RestoreMask {
        sigset_t& previous;
        ~RestoreMask() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
    } restore{previous};

    const int threads = options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    try {
        LiveRenderer renderer(deliverables, std::move(environments), threads);
        const UploadReader uploads(deliverables.shaderDeclaration, renderer.inputs());
        PreviewServer server(renderer, uploads, deliverables.presetFolder, options.environments);
        const int port = server.bind(options.port);
        if (port < 0) {
            err << "glossy-preview: --port " << options.port
                << ": cannot listen on 127.0.0.1 there (in use or not allowed); try another port, or 0 for any\n";
            return 1;
        }
        out << "glossy-preview: serving http://127.0.0.1:" << port << "/ (Ctrl-C ends)" << std::endl;

        std::atomic<bool> ended{false};
        std::thread waiter([&] {
            int signal = 0;
            sigwait(&stopSignals(), &signal);
            renderer.stop();
            // A stop that comes before the server has started listening is
            // lost on it: repeat until it has ended.
            while (!ended) {
                server.stop();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        server.run();
        ended = true;
        // Ended other than by a signal: wake the waiter all the same.
        pthread_kill(waiter.native_handle(), SIGUSR1);
        waiter.join();
        err << "glossy-preview: stopped\n";
        return 0;
    } catch (const std::exception& e) {
        // A host that does not load (HostError) or anything else that stops the server.
        err << "glossy-preview: " << e.what() << '\n';
    }
    return 1;
}

}  // namespace preview::serve
