// The session's temporary folder for the compiled design.
#pragma once

#include <string>

namespace OrvexLauncher {

/// Makes orvex-XXXXXX in $TMPDIR (or /tmp, also when a shell would split or expand $TMPDIR). Removing it is the session's exit duty, so that
/// every way out, signals included, does it (SessionExit).
std::string makeWorkFolder();

} // namespace OrvexLauncher
