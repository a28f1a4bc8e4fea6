// The exec report between a forked child and its parent.
#include "orvex/ChildProcess.h"

#include <unistd.h>

#include "orvex/PosixIo.h"

namespace Tavrin {

void reportExecFailure(int reportFd, int error) {
    ssize_t ignored = ::write(reportFd, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

int execFailure(int reportFd) {
    int error = 0;
    const ssize_t n = readRetrying(reportFd, &error, sizeof error);
    ::close(reportFd);
    return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

} // namespace Tavrin
