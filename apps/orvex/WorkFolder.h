// The session's temporary folder for the compiled design.
#pragma once

#include <string>

namespace OrvexLauncher {

/// Makes orvex-XXXXXX in $TMPDIR (or /tmp). Removing it is the session's exit duty, so that
/// every way out, signals included, does it (SessionExit).
std::string makeWorkFolder();

} // namespace OrvexLauncher
