// Claims on the files this session's engine writes (VCD, SAIF): a named lock per file, so a
// second session writing the same file is refused before it can corrupt the first one's.
#pragma once

#include <string>

namespace Tavrin {
namespace OutputLocks {

/// Claims `file` (as named to the engine, relative to the working directory) for this session,
/// for the rest of the process, as its `what` output ("VCD", "SAIF"). Returns the empty text
/// when the file is ours; otherwise why not, naming the other process. Claiming a file again
/// for the same output is harmless. When no lock can be made at all (no private lock folder)
/// nothing is refused.
std::string claim(const std::string& file, const std::string& what);

} // namespace OutputLocks
} // namespace Tavrin
