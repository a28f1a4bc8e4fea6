"""SDF annotation changes the delays of specify paths as the file says (by instance name, by
cell type with INSTANCE *, absolute and incremental, min and max, an empty () keeping a delay),
reports unsupported constructs as warnings and bad files, instances and arguments as errors,
and the pulse requests are refused."""
import os
import subprocess

from common import Failures, HERE, VPI_DIR, work

sdf = lambda name: '"%s"' % os.path.join(HERE, "sdf", name)
vvp_file = work("sdf.vvp")
subprocess.run(["iverilog", "-gspecify", "-o", vvp_file, "-DSDF=" + sdf("outputs_cells.sdf"),
                "-DBROKEN=" + sdf("outputs_broken.sdf"), "-DINCR=" + sdf("outputs_increment.sdf"),
                os.path.join(HERE, "designs", "outputs_sdf.v")], check=True)
out = subprocess.run(["vvp", "-n", "-M", VPI_DIR, "-m", "orvex_outputs_test", vvp_file],
                     check=True, capture_output=True, text=True).stdout
lines = out.splitlines()
f = Failures()
before, after = out.split("annotate\n")


def delays(text):
    return sorted(l for l in text.splitlines() if l.startswith("y"))


f.check(delays(before) == sorted(["y1 fall after 1.000", "y1 rise after 1.000", "y1 fall after 1.000",
                                  "y2 fall after 2.000", "y2 rise after 1.000", "y2 fall after 2.000",
                                  "y3 fall after 1.000", "y3 rise after 1.000", "y3 fall after 1.000"]),
        "delays before: %r" % delays(before))
# u1: max 30 and 40 units of 100 ps, then +0.5 ns and -0.25 ns (min of the increment);
# u2: a to y rise max 0.5 ns, fall kept; u3: only the increment.
f.check(delays(after) == sorted(["y1 rise after 3.500", "y1 fall after 3.750", "y2 rise after 0.500",
                                 "y2 fall after 2.000", "y3 rise after 1.500", "y3 fall after 0.750"]),
        "delays after: %r" % delays(after))
broken = os.path.join(HERE, "sdf", "outputs_broken.sdf")
cells = os.path.join(HERE, "sdf", "outputs_cells.sdf")
for expected in [
    'sdf-annotate ^error,msg="sdf-annotate: missing.sdf: cannot open the SDF file"',
    'sdf-annotate ^error,msg="sdf-annotate: %s: line 4: bad delay value \'1:2:3:4\'"' % broken,
    '~"sdf-annotate: %s: line 4: bad delay value \'1:2:3:4\'\\n"' % broken,
    'sdf-annotate ^error,msg="sdf-annotate: delay kind must be 0 (min), 1 (typ) or 2 (max), got 7"',
    'sdf-annotate ^error,msg="sdf-annotate: no such block: /tb/none"',
    '~"sdf-annotate: %s: warning: line 11: INTERCONNECT delays are not annotated by this engine; ignored\\n"' % cells,
    'sdf-annotate ^error,msg="sdf-annotate: %s: line 12: CELL buf_cell INSTANCE u9: no such instance below /tb"' % cells,
    'path-pulse ^error,msg="specify pathpulse is not supported by this engine: vvp cannot change path pulse limits during the simulation"',
    'pulse-style ^error,msg="specify pulsestyle is not supported by this engine: vvp cannot change the pulse style during the simulation"',
    'show-cancelled ^error,msg="specify showcancelled is not supported by this engine: vvp cannot show cancelled events"',
]:
    f.check(expected in lines, "missing " + expected)
# With noerror the broken file gives a message and ^done; nowarn keeps warnings quiet.
f.check(sum(l.startswith("sdf-annotate ^done") for l in lines) == 2, "done count\n" + out)
f.check(sum("warning" in l for l in lines) == 1, "warnings\n" + out)
f.finish()
