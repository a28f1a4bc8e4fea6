"""Memory and descriptors over many command loops (a benchmark, not a test): one session runs
LOOPS rounds of run / show value / restart, and the resident memory and open descriptors of the
shell and of the engine are sampled every 1000 rounds. Flat columns are the result.

  python3 bench/reliability_loops.py build/bin/orvex [LOOPS]     (default 10000)"""
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../tests/reliability"))
import reliability as r  # noqa: E402

loops = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
sys.argv = sys.argv[:2]
folder = r.setup()
design = r.write(folder, "counter.v", r.COUNTER.replace("reg [999999:0] wide = 0;", ""))


def sample(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            rss = next(int(l.split()[1]) for l in f if l.startswith("VmRSS"))
        return rss, len(os.listdir("/proc/%d/fd" % pid))
    except (OSError, StopIteration):
        return 0, 0


session = r.Session(folder, design, ["-nolog"])
session.wait_engine()
marker = os.path.join(folder, "mark")
print("%8s %12s %10s %12s %10s" % ("loops", "shell KiB", "shell fds", "engine KiB", "engine fds"))
started = time.time()
for done in range(0, loops + 1, 1000):
    if done:
        session.send("for {set i 0} {$i < 1000} {incr i} { run 10 ns; show value /tb/count; restart }\n"
                     "set f [open %s w]; puts $f %d; close $f\n" % (marker, done))
        while True:
            try:
                with open(marker) as f:
                    if f.read().strip() == str(done):
                        break
            except OSError:
                pass
            time.sleep(0.2)
    engines = session.engine_processes()
    shell = sample(session.process.pid)
    engine = sample(max(engines)) if engines else (0, 0)
    print("%8d %12d %10d %12d %10d" % (done, shell[0], shell[1], engine[0], engine[1]), flush=True)
status, out, err = session.finish("quit\n", timeout=120)
print("%d loops in %.0f s, exit status %d" % (loops, time.time() - started, status))
