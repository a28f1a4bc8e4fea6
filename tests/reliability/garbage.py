"""Protocol garbage and floods: garbage written into the engine's request pipe and into its
record pipe (through /proc), and a design that floods its standard output. The shell reports
what it cannot read, keeps every line of the design's output, and goes on answering."""
import os
import time

import reliability as r

folder = r.setup()
failures = r.Failures()
counter = r.write(folder, "counter.v", r.COUNTER)

session = r.Session(folder, counter)
pid = session.wait_engine()
session.send("run 10 ns\n")
time.sleep(1.0)
# The engine reads requests from descriptor 3 and writes records to descriptor 4: opening them
# through /proc gives the pipes themselves.
with open("/proc/%d/fd/3" % pid, "wb", buffering=0) as requests:
    requests.write(b"garbage without a token\n77-no-such-request \"x\"\n\x00\x01\x02\xff\n12-run \"\n")
with open("/proc/%d/fd/4" % pid, "wb", buffering=0) as records:
    records.write(b"*stopped,reason=\"breakpoint-hit\n^^^garbage\n99999^done\n" + b"A" * 100000 + b"\n")
time.sleep(1.0)
status, out, err = session.finish('run 10 ns\nputs "time [show time]"\nshow value /tb/count\n')
failures.check("Malformed line from the simulation engine" in out, "garbage records are not reported:\n%s" % out[-1500:])
failures.check("time 20 ns" in out.replace("  ", " ") or "time 20" in out,
               "the engine does not answer after the garbage:\n%s" % out[-1500:])
failures.check(not session.leftovers(), "garbage: %s" % session.leftovers())

# A flood of design output: every line arrives, in order, on the console and in the log.
LINES = 200000
flood = r.write(folder, "flood.v", """`timescale 1ns/1ns
module tb;
  integer i;
  initial begin
    for (i = 0; i < %d; i = i + 1) $display("flood line %%0d of the design output, padded to be long enough", i);
  end
endmodule
""" % LINES)
status, out, err, left = r.run(folder, flood, "run all\nputs done\n", ["-log", "flood.log"], timeout=300)
numbers = [int(line.split()[2]) for line in out.splitlines() if line.startswith("flood line ")]
failures.check(numbers == list(range(LINES)), "console: %d of %d flood lines, in order: %s" %
               (len(numbers), LINES, numbers == sorted(numbers)))
with open(os.path.join(folder, "flood.log"), errors="replace") as f:
    logged = sum(1 for line in f if line.startswith("flood line "))
failures.check(logged == LINES, "log: %d of %d flood lines" % (logged, LINES))
failures.check("done" in out and not left, "flood: %s" % left)
failures.finish()
