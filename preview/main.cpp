// glossy-preview: renders a material ball through both hosts and writes the
// pictures. See --help.
#include <unistd.h>

#include <iostream>

#include "preview_command.h"
#include "serve_command.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (preview::serve::wantsServer(args))
        return preview::serve::runServer(args, std::cout, std::cerr, preview::builtDeliverables());
    return preview::runPreview(args, std::cout, std::cerr, preview::builtDeliverables(), ::isatty(STDERR_FILENO) != 0);
}
