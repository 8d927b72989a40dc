// Signals are taken by one thread of their own through sigwait, blocked in
// every other: a handler could not safely stop the server, a thread can.
#include "serve_command.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <thread>

#include "live_renderer.h"
#include "preview_server.h"
#include "upload_reader.h"

namespace preview::serve {
namespace {

struct ServeOptions {
    int port = kDefaultPort;
    int threads = 0;
    std::vector<std::string> environments;
};

int count(const std::string& option, const std::string& text, int lowest, int highest)
{
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || value < lowest || value > highest)
        throw UsageError(option + " " + text + ": expected a whole number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest));
    return value;
}

ServeOptions parseServeOptions(const std::vector<std::string>& args)
{
    ServeOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i], value;
        bool hasValue = false;
        if (const std::size_t equals = option.find('='); option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
            hasValue = true;
        }
        if (option == "--serve") continue;
        if (option != "--port" && option != "--env" && option != "--threads")
            throw UsageError("unknown option '" + args[i] +
                             "' with --serve (expected --port, --env or --threads; the page sets the rest)");
        if (!hasValue) {
            if (i + 1 == args.size()) throw UsageError(option + ": missing value (see --help)");
            value = args[++i];
        }
        if (option == "--port")
            options.port = count(option, value, 0, 65535);
        else if (option == "--threads")
            options.threads = count(option, value, 1, 1024);
        else if (value.empty())
            throw UsageError("--env: expected an OpenEXR file name");
        else
            options.environments.push_back(value);
    }
    return options;
}

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
    ServeOptions options;
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
    } catch (const HostLoadError& e) {
        err << "glossy-preview: " << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "glossy-preview: " << e.what() << '\n';
    }
    return 1;
}

}  // namespace preview::serve
