// The preview's option parser on arbitrary argument lists (the input split at
// zero bytes). A bad command line must end in a UsageError (nothing else may
// escape); an accepted one must hold only what the render can use.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_host_inputs.h"
#include "fuzz_input.h"
#include "options.h"

namespace {

constexpr std::size_t kMaxArguments = 32;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "preview options fuzz: %s\n", what);
    std::abort();
}

bool finite(const preview::MaterialValue& value)
{
    return std::isfinite(value.values[0]) && std::isfinite(value.values[1]) && std::isfinite(value.values[2]);
}

void checkAccepted(const preview::PreviewOptions& options)
{
    for (const preview::SettingSource& source : options.settings) {
        if (!finite(source.setting.value)) {
            fail("a --set value is not a finite number");
        }
    }
    if (options.sweeps.size() > 2) {
        fail("more than two sweeps");
    }
    for (const preview::Sweep& sweep : options.sweeps) {
        if (sweep.steps < 2 || options.width / sweep.steps < 1 || options.height / sweep.steps < 1) {
            fail("a sweep with fewer than two steps, or more than the image has pixels");
        }
        // Every ball of the sheet gets a value the material can take.
        for (int step = 0; step < sweep.steps; ++step) {
            if (!finite(sweep.valueAt(step))) {
                fail("a sweep between finite values gives a value that is not finite");
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    std::vector<std::string> args;
    while (!in.exhausted() && args.size() < kMaxArguments) {
        args.push_back(in.nextString());
    }
    try {
        checkAccepted(preview::parseOptions(args, fuzz::hostInputs()));
    } catch (const preview::UsageError& e) {
        // One printable line naming the problem: the answer for a bad
        // command line, whatever bytes its values hold.
        for (const char c : std::string(e.what()))
            if (c < 0x20 || c >= 0x7f) fail("a message holds an unprintable byte");
    }
    return 0;
}
