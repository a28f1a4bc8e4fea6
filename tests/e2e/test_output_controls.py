"""Dumping off and on, a dump of one level, the dump limit, waveform database tracing with late
selections and a stop, SAIF activity of ports against vvp's own VCD, and refused requests."""
import os
import re

from common import Failures, compile_design, quoted, run, work
import saifread
import vcdread

vcd, saif, wdb, oracle = (work("control." + e) for e in ("vcd", "saif", "wdb", "oracle.vcd"))
compile_design("outputs_control.v", work("control.vvp"),
               {"VCDFILE": quoted(vcd), "SAIFFILE": quoted(saif), "WDBFILE": quoted(wdb)})
compile_design("outputs_control.v", work("control_oracle.vvp"), {"ORACLE": quoted(oracle)})
out = run(work("control.vvp"))
run(work("control_oracle.vvp"), engine=False)
_, truth, _ = vcdread.read(oracle)
f = Failures()

# Refused requests name the bad value; nothing else fails.
lines = out.splitlines()
expect_errors = [
    'vcd-vars ^error,msg="vcd-vars: no such block: /tb/nope"',
    'vcd-limit ^error,msg="vcd-limit: not a non-negative number: -3"',
    'saif-close ^error,msg="saif-close: no SAIF file is open"',
    'ntrace-select-object ^error,msg="ntrace-select-object: no such object: /tb/dut/nothing"',
    'ntrace-select-object ^error,msg="ntrace-select-object: /tb/big has 100 elements, more than the maximum traceable size 50"',
    'vcd-vars ^error,msg="vcd: cannot add variables: the header of %s is already written"' % vcd,
]
for e in expect_errors:
    f.check(e in lines, "missing result line " + e)
f.check(sum("^error" in l for l in lines) == len(expect_errors), "unexpected errors:\n" + out)

# The VCD: /tb/dut alone (level 1), off from 100 ns to 200 ns.
_, mine, sections = vcdread.read(vcd)
f.check(sorted(mine) == ["/tb/dut/clk", "/tb/dut/d", "/tb/dut/g", "/tb/dut/inverted", "/tb/dut/parity", "/tb/dut/q"],
        "selected %r" % sorted(mine))
f.check([s for s in sections if s[0] != "$dumpvars"] == [("$dumpoff", 100000), ("$dumpon", 200000)],
        "sections %r" % sections)
for path, var in mine.items():
    for t in sorted(set(var.times) | set(truth[path].times)):
        if 100000 <= t < 200000:
            f.check(var.at(t) is not None and set(var.at(t)) == {"x"}, "%s at %d not x: %r" % (path, t, var.at(t)))
        else:
            f.check(var.at(t) == truth[path].at(t), "%s at %d: %r, vvp %r" % (path, t, var.at(t), truth[path].at(t)))
f.check(max(mine["/tb/dut/clk"].times) == 400000, "the dump ends before the end")

# The waveform database: clk from the start, q from 150 ns, nothing traced from 250 to 300 ns.
_, traced, _ = vcdread.read(wdb)
f.check(not os.path.exists(wdb + ".body"), "the body file is left behind")
f.check(sorted(traced) == ["/tb/clk", "/tb/dut/q", "/tb/mem[0]", "/tb/mem[1]", "/tb/mem[2]", "/tb/mem[3]"],
        "traced %r" % sorted(traced))
for path, first in (("/tb/clk", 0), ("/tb/dut/q", 150000)):
    var = traced[path]
    f.check(var.times[0] == first, "%s starts at %d" % (path, var.times[0]))
    for t in sorted(set(var.times) | set(truth[path].times)):
        if t < first:
            continue
        if 250000 <= t < 300000:
            f.check(set(var.at(t)) == {"x"}, "%s at %d traced while stopped" % (path, t))
        else:
            f.check(var.at(t) == truth[path].at(t), "%s at %d: %r, vvp %r" % (path, t, var.at(t), truth[path].at(t)))
f.check(all("x" not in traced["/tb/mem[%d]" % i].values[-1] for i in range(4)), "memory words never written")

# SAIF: ports of /tb/dut and /tb/dut/u_inner, activity as computed from vvp's VCD.
header, nets = saifread.read(saif)
f.check(header.get("SAIFVERSION") == '"2.0"' and header.get("DURATION") == "400000"
        and header.get("TIMESCALE") == "1 ps" and header.get("DIVIDER") == "/", "header %r" % header)
expected_nets = ["/tb/dut/clk", "/tb/dut/g", "/tb/dut/parity"] + ["/tb/dut/%s[%d]" % (n, i) for n in "dq" for i in range(4)] \
    + ["/tb/dut/u_inner/a", "/tb/dut/u_inner/y"]
f.check(sorted(nets) == sorted(expected_nets), "SAIF nets %r" % sorted(nets))
for name, fields in nets.items():
    base, bit = (name.split("[")[0], int(name.split("[")[1][:-1])) if "[" in name else (name, 0)
    want = saifread.expected(truth[base], bit, 0, 400000)
    got = {k: fields[k] for k in want}
    f.check(got == want, "%s: %r, from vvp's VCD %r" % (name, got, want))
f.check(nets["/tb/dut/g"]["IG"] == 9 and nets["/tb/dut/g"]["TC"] == 0, "glitches of g %r" % nets["/tb/dut/g"])
f.check(nets["/tb/dut/clk"]["TC"] == 79, "clk toggles %r" % nets["/tb/dut/clk"])

# The dump limit: writing stops once the file reaches it, with a note.
limited = work("limited.vcd")
compile_design("outputs_control.v", work("limited.vvp"), {"VCDFILE": quoted(limited), "SAIFFILE": quoted(work("l.saif")),
                                                          "WDBFILE": quoted(work("l.wdb")), "LIMIT": quoted("1500")})
run(work("limited.vvp"))
text = open(limited).read()
f.check("$comment Dump limit reached $end" in text, "no limit note")
tail = text.split("$comment Dump limit reached $end")[-1]
f.check(not re.search(r"^[01xzb]", tail, re.M), "values after the limit: %r" % tail[:200])
f.check(1500 <= text.index("$comment Dump limit") < 1800, "limit at %d" % text.index("$comment Dump limit"))
f.finish()
