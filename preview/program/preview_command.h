// The whole glossy-preview run, callable from tests: parse the options, load
// both hosts with the real deliverables, render, write the images.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "deliverables.h"

namespace preview {

// Exit statuses: 0 done, 1 a failure while loading, rendering or writing,
// 2 a bad command line (nothing is written then). The hosts are asked for
// their inputs first, so a deliverable that does not load fails any run.
int runPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const DeliverablePaths& deliverables, bool showProgress);

// Creates the folder if missing and checks a file can be made in it and
// that no image's name in it is taken by a folder; the reason when not.
std::optional<std::string> prepareOutputFolder(const std::string& folder);

}  // namespace preview
