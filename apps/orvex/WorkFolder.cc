// The temporary folder of a session.
#include "WorkFolder.h"

#include "DesignCompiler.h"

#include <cstdlib>
#include <vector>

namespace OrvexLauncher {

std::string makeWorkFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    // The compiler's driver hands paths in this folder to a shell: a TMPDIR that a shell would
    // split or expand cannot hold it.
    if (!isShellPlain(base)) base = "/tmp";
    std::string pattern = base + "/orvex-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) return std::string();
    return std::string(name.data());
}

} // namespace OrvexLauncher
