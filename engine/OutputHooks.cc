// Engine messages, the traceable size limit and the closing of outputs at the end.
#include "OutputHooks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

#include <vpi_user.h>

#include "Mi.h"

namespace OrvexEngine {

namespace {

// The descriptor named second in ORVEX_ENGINE_FDS ("3,4"), or standard output without one.
int messageDescriptor() {
    const char* fds = std::getenv("ORVEX_ENGINE_FDS");
    if (!fds) return 1;
    const char* comma = std::strchr(fds, ',');
    return comma ? std::atoi(comma + 1) : 1;
}

std::int64_t traceLimit = 65536;

std::vector<std::function<void()>>& closers() {
    static std::vector<std::function<void()>> list;
    return list;
}

} // namespace

// Weak, so that the server's own definition (which orders messages with its records) wins.
__attribute__((weak)) void engineMessage(const std::string& text) {
    const std::string line = "~" + Orvex::Mi::quote(text) + "\n";
    const int fd = messageDescriptor();
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

void setMaxTraceableSize(std::int64_t elements) { traceLimit = elements; }
std::int64_t maxTraceableSize() { return traceLimit; }

namespace {
PLI_INT32 simulationEnded(p_cb_data) {
    flushOutputs();
    return 0;
}
} // namespace

void addOutputCloser(std::function<void()> closer) {
    if (closers().empty()) {
        s_cb_data cb = {};
        cb.reason = cbEndOfSimulation;
        cb.cb_rtn = simulationEnded;
        if (vpiHandle h = vpi_register_cb(&cb)) vpi_free_object(h);
    }
    closers().push_back(std::move(closer));
}

void flushOutputs() {
    for (auto& closer : closers()) closer();
}

} // namespace OrvexEngine
