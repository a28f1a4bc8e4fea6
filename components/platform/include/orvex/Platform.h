// The portability library: environment access, file checks, the install path list and the free
// function for texts it allocates.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "orvex/StringBase.h"

namespace Tavrin {
namespace Platform {

/// The value of an environment variable, or the empty text when it is not set.
StringBase getEnv(const char* name);
/// Whether an environment variable is set at all (even to the empty text).
bool hasEnv(const char* name);
/// Sets an environment variable for this process and its children.
void setEnv(const char* name, const StringBase& value);
bool fileExists(const StringBase& path);
/// Opens a file as fopen does; null when it cannot be opened.
std::FILE* openFile(const StringBase& path, const char* mode);
/// Frees a text that this library allocated and handed out.
void freeText(char* text);

} // namespace Platform

/// The ordered list of install directories in which the system looks for its files:
/// ORVEX_HOME if set, then the prefix of the running program, then the build prefix.
class KestrinPath {
public:
    static KestrinPath& getInstance();
    const std::vector<std::string>& getDirectories() const { return directories_; }
    /// Places the running program's prefix (the parent of its bin directory) in the list.
    void setProgramPath(const std::string& programPath);

private:
    KestrinPath();
    void rebuild();
    std::string programPrefix_;
    std::vector<std::string> directories_;
};

} // namespace Tavrin
