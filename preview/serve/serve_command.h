// glossy-preview --serve [--port N] [--env FILE.exr]... [--threads N]: the
// live page on the loopback address until Ctrl-C.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "preview_command.h"

namespace preview::serve {

// Whether the arguments ask for the server.
bool wantsServer(const std::vector<std::string>& args);

// Exit statuses as the command line's: 0 ended by Ctrl-C (or SIGTERM), 1 a
// host that does not load or a port that cannot be bound, 2 a bad argument.
int runServer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const DeliverablePaths& deliverables);

}  // namespace preview::serve
