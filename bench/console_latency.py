"""The console's speed through a real pseudo-terminal: quit to the user's shell, and the prompt
after a long command (from the command's last output to the prompt). Not a test: several
samples of each, printed. Usage: python3 bench/console_latency.py [build] [samples]"""
import os
import re
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "console"))
import ptysession  # noqa: E402
from ptysession import Folder, Session, design  # noqa: E402

ENDLESS = """`timescale 1ns/1ns
module endless_tb;
  reg clk = 0;
  integer ticks = 0;
  always #1 clk = ~clk;
  always @(posedge clk) ticks = ticks + 1;
endmodule
"""


def prompt_after(s, command, last_output):
    """Types `command`; seconds from `last_output` appearing to the prompt after it (0 when both
    came in one read of the terminal)."""
    before = s.prompts()
    start = len(s.text)
    s.type(command + "\r")
    seen = None
    end = time.monotonic() + 300
    while s.prompts() <= before:
        if time.monotonic() > end:
            raise RuntimeError("no prompt after %r:\n%s" % (command, s.text))
        s.read(0.001)
        if seen is None and re.search(last_output, s.text[start:]):
            seen = time.monotonic()
    return time.monotonic() - seen


def run_ns_for(s, seconds):
    """How many ns of the endless clock take about `seconds` to simulate here."""
    began = time.monotonic()
    s.command("run 200000 ns", timeout=120)
    rate = 200000 / (time.monotonic() - began)
    return int(rate * seconds)


def summary(name, values):
    ms = sorted(v * 1000 for v in values)
    print("%-44s median %7.1f ms  min %7.1f  max %7.1f  (%d samples: %s)" % (
        name, statistics.median(ms), ms[0], ms[-1], len(ms), " ".join("%.1f" % v for v in ms)), flush=True)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    samples = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    ptysession.LAUNCHER = os.path.join(build, "bin", "orvex")
    quits, afters, runs = [], [], []
    with Folder() as folder:
        path = design(folder, "endless.v", ENDLESS)
        for _ in range(samples):
            s = Session([path], folder)
            try:
                s.wait_prompts(1)
                started = time.monotonic()
                s.type("quit\r")
                while s.proc.poll() is None:
                    s.read(0.001)
                quits.append(time.monotonic() - started)
            finally:
                s.close()
        s = Session([path], folder)
        try:
            s.wait_prompts(1)
            for i in range(samples):
                afters.append(prompt_after(s, "after 3000; puts slept%d" % i, r"(\n|\x1b\[K)slept%d\r\n" % i))
            ns = run_ns_for(s, 3.0)
            for i in range(samples):
                runs.append(prompt_after(s, "run %d ns; puts ran%d" % (ns, i), r"(\n|\x1b\[K)ran%d\r\n" % i))
            s.type("quit\r")
            s.finish()
        finally:
            s.close()
    summary("quit to the shell", quits)
    summary("prompt after 'after 3000' (last output)", afters)
    summary("prompt after a run of about 3 s", runs)


if __name__ == "__main__":
    main()
