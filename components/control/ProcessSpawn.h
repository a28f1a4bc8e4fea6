// Starting the engine process with its protocol descriptors, and describing how a process ended.
// Internal to the engine-control library.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace Tavrin {

/// The parent's ends of a started engine's pipes (all close-on-exec and non-blocking) and its
/// process id, which is also the id of its own process group.
struct SpawnedProcess {
    pid_t pid = -1;
    int requestFd = -1; // write end: the engine reads requests on its descriptor 3
    int recordFd = -1;  // read end: the engine writes records on its descriptor 4
    int outputFd = -1;  // read end of the engine's standard output
    int errorFd = -1;   // read end of the engine's standard error
};

/// Starts `argv[0]` (looked up in PATH when it has no '/') with the arguments in `argv`, in a
/// process group of its own: requests on descriptor 3, records on 4, ORVEX_ENGINE_FDS=3,4 in its
/// environment, standard input from /dev/null (the shell keeps the console), standard output and
/// error on pipes; every other descriptor is closed on exec. Returns false and an error text
/// (such as "No such file or directory") when the program cannot be run; nothing is left open
/// or unreaped then.
bool spawnEngine(const std::vector<std::string>& argv, SpawnedProcess& process,
                 std::string& error);

/// How a process ended, from its wait status: "exited with status 3", or for a signal
/// "exited with status 139 (signal 11)" (the status a shell would report).
std::string describeWaitStatus(int status);

/// Closes a descriptor if it is open and marks it closed (-1).
void closeDescriptor(int& fd);

} // namespace Tavrin
