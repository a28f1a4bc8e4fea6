"""VCD recording across restart: the file starts over with the new run from time 0, and the
shell says so. Its value changes match plain vvp's own $dumpvars over the same time; the old
run is not mixed in."""
import os
import subprocess

import reliability as r
import vcdread

folder = r.setup()
failures = r.Failures()
design = r.write(folder, "counter.v", r.COUNTER.replace("reg [999999:0] wide = 0;", ""))
oracle = r.write(folder, "oracle.v", r.COUNTER.replace("reg [999999:0] wide = 0;", "").replace(
    "  initial begin", '  initial begin $dumpfile("oracle.vcd"); $dumpvars(1, tb); #60 $finish; end\n  initial begin'))
subprocess.run(["iverilog", "-o", os.path.join(folder, "oracle.vvp"), oracle], check=True, cwd=folder)
subprocess.run(["vvp", "-n", "oracle.vvp"], check=True, cwd=folder, capture_output=True)

status, out, err, left = r.run(folder, design,
                               "vcd dumpfile run.vcd\nvcd dumpvars -m /tb\nrun 130 ns\nrestart\nrun 60 ns\n")
failures.check("vcd: run.vcd starts over and records the new run from time 0" in out,
               "the restart does not say what became of the recording:\n%s" % out)
failures.check(status == 0 and not left, "status %d, %s" % (status, left))
ours = vcdread.read(os.path.join(folder, "run.vcd"))[1]
theirs = vcdread.read(os.path.join(folder, "oracle.vcd"))[1]
for name in ("/tb/clk", "/tb/count"):
    if failures.check(name in ours and name in theirs, "%s is missing" % name):
        for t in range(0, 61):
            failures.check(ours[name].at(t) == theirs[name].at(t), "%s at %d: %s, vvp %s" %
                           (name, t, ours[name].at(t), theirs[name].at(t)))
with open(os.path.join(folder, "run.vcd")) as f:
    text = f.read()
failures.check(text.count("$enddefinitions") == 1, "run.vcd holds %d headers" % text.count("$enddefinitions"))
times = [int(w[1:]) for w in text.split() if w.startswith("#")]
failures.check(times and max(times) <= 60, "the old run (to 130 ns) is still in the file: last time %s" % (times[-1:] or None))
failures.finish()
