"""Time from a stop of the simulation to the GTKWave window showing the new data, for a waveform
database of about 10 MB and about 100 MB. Not a test. Run on a display (a real one, or
`xvfb-run -a python3 bench/gui_reload.py build`)."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "gui"))
from gui_session import Session  # noqa: E402

# 64 counters of 32 bits, each changing every nanosecond: about 2.3 kB of database per ns.
DESIGN = """
`timescale 1ns/1ps
module tb;
  reg [31:0] c [0:63];
  genvar i;
  generate for (i = 0; i < 64; i = i + 1) begin : g
    reg [31:0] r = i;
    always #1 r = r + 1 + i;
  end endgenerate
endmodule
"""


def measure(s, run_ns, at_ns):
    """Runs; the time from the stop to the window's end of data reaching `at_ns`."""
    s.do("run %d ns" % run_ns, timeout=600)
    stopped = time.time()
    if not s.wait_max_time(at_ns * 1000, timeout=600):
        raise RuntimeError("the window never showed %d ns" % at_ns)
    shown = time.time()
    size = os.path.getsize(os.path.join(s.dir, "orvex.wdb"))
    return size, shown - stopped


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    s = Session(build, design=DESIGN)
    try:
        s.do("wave add {/tb/g[0]/r} {/tb/g[1]/r} {/tb/g[63]/r}")
        t = 0
        for target_mb in (10, 100):
            # Grow the database to about the target, then time one more stop at that size.
            step = 4000
            while os.path.getsize(os.path.join(s.dir, "orvex.wdb")) < target_mb * 1e6 * 0.97:
                t += step
                s.do("run %d ns" % step, timeout=600)
            s.wait_max_time(t * 1000, timeout=600)
            t += 10
            size, seconds = measure(s, 10, t)
            print("database %6.1f MB: stop to window showing the new data %.2f s" % (size / 1e6, seconds), flush=True)
        s.finish("quit")
    finally:
        s.close()


if __name__ == "__main__":
    main()
