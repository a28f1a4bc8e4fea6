// Engine benchmarks (not tests): the cost of running a design through the engine compared with
// plain vvp, with a breakpoint armed, and the round trip of one engine request compared with a
// raw pipe ping-pong between two processes. Prints one line per figure.
//
// Usage: orvex_engine_bench <engine-lib-dir> <design.v>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "orvex/DataReader.h"
#include "orvex/FrontEndControl.h"
#include "orvex/ProcessTransport.h"

using namespace Tavrin;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

int run(const std::string& command) { return std::system(command.c_str()); }

// Round trips are timed in batches after a warm-up, and the median batch is reported, so that a
// batch disturbed by another process on the machine does not move the figure.
constexpr int WarmUpRounds = 500;
constexpr int Batches = 15;
constexpr int BatchRounds = 400;

// The median time of one call of `once`, over `Batches` batches of `BatchRounds` calls.
template <typename Call>
double medianRoundTrip(Call once) {
    for (int i = 0; i < WarmUpRounds; ++i) once();
    std::vector<double> each;
    for (int batch = 0; batch < Batches; ++batch) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < BatchRounds; ++i) once();
        each.push_back(seconds(start) / BatchRounds);
    }
    std::sort(each.begin(), each.end());
    return each[each.size() / 2];
}

/// Waits for the engine's ready event and for the end of each blocking request.
class Waiter : public IEventHandler {
public:
    void handleEvent(const EngineEvent& event) override {
        std::lock_guard<std::mutex> hold(lock);
        if (event.kind == EngineReadyEvent || event.kind == NamedSimulationEvent ||
            event.kind == EngineTerminatedEvent) {
            ++ended;
            changed.notify_all();
        }
    }
    void waitFor(int count) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return ended >= count; });
    }
    std::mutex lock;
    std::condition_variable changed;
    int ended = 0;
};

// One run to the end through the engine; with `breakLine` > 0 a breakpoint is armed there.
double engineRunAll(const std::string& engineLine, int breakLine, double* roundTrip) {
    DataReader reader(DataReader::LiveMode, "", "bench.wdb", 0);
    BoostProcessTransport transport;
    FrontEndControl control(transport, reader);
    Waiter waiter;
    control.addEventHandler(&waiter);
    transport.start(engineLine);
    waiter.waitFor(1);
    if (roundTrip) {
        EngineStatus status;
        *roundTrip = medianRoundTrip([&] { control.getStatus(status); });
    }
    if (breakLine > 0) control.addBreakpoint(BreakpointLocation{"busy.v", breakLine});
    Clock::time_point start = Clock::now();
    control.runAll();
    waiter.waitFor(2);
    double elapsed = seconds(start);
    control.exitSimulation();
    return elapsed;
}

// A byte sent to a child process and back over two pipes.
double pipePingPong() {
    int there[2], back[2];
    if (pipe(there) != 0 || pipe(back) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
        close(there[1]);
        close(back[0]);
        char c;
        while (read(there[0], &c, 1) == 1 && write(back[1], &c, 1) == 1) {
        }
        _exit(0);
    }
    close(there[0]);
    close(back[1]);
    char c = 'x';
    double each = medianRoundTrip([&] {
        if (write(there[1], &c, 1) != 1 || read(back[0], &c, 1) != 1) c = 'x';
    });
    close(there[1]);
    close(back[0]);
    waitpid(child, nullptr, 0);
    return each;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <engine-lib-dir> <design.v>\n", argv[0]);
        return 2;
    }
    std::string libDir = argv[1];
    std::string design = argv[2];
    char dirTemplate[] = "/tmp/orvex-bench-XXXXXX";
    std::string work = mkdtemp(dirTemplate);
    std::string vvpFile = work + "/busy.vvp";
    if (run("iverilog -pfileline=1 -o " + vvpFile + " " + design) != 0) return 1;

    Clock::time_point start = Clock::now();
    run("vvp -n " + vvpFile + " > /dev/null");
    double plain = seconds(start);

    std::string engineLine = "vvp -M " + libDir + " -m orvex " + vvpFile;
    double roundTrip = 0;
    double engine = engineRunAll(engineLine, 0, &roundTrip);
    double armed = engineRunAll(engineLine, 15, nullptr);
    double pipe = pipePingPong();

    std::printf("plain vvp run to the end:        %.3f s\n", plain);
    std::printf("run all through the engine:      %.3f s (%.3f x plain)\n", engine, engine / plain);
    std::printf("run all with a breakpoint armed: %.3f s (%.3f x plain run all)\n", armed, armed / engine);
    std::printf("engine request round trip:       %.1f us (median of %d batches)\n",
                roundTrip * 1e6, Batches);
    std::printf("raw pipe ping-pong round trip:   %.1f us (request is %.2f x)\n", pipe * 1e6,
                roundTrip / pipe);
    run("rm -rf " + work);
    return 0;
}
