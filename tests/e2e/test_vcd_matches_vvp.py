"""The engine's VCD of a design holds, at every time, the values of vvp's own $dumpvars VCD of
the same design, for every variable both files have; the engine's file declares every variable
vvp's does. Both with values followed by taps in vvp's fan-out and by VPI callbacks."""
import os

from common import Failures, compile_design, quoted, run, work
import vcdread

ours, oracle = work("counter_ours.vcd"), work("counter_oracle.vcd")
compile_design("outputs_counter.v", work("counter_ours.vvp"), {"VCDFILE": quoted(ours)})
compile_design("outputs_counter.v", work("counter_oracle.vvp"), {"ORACLE": quoted(oracle)})
run(work("counter_oracle.vvp"), engine=False)
_, theirs, _ = vcdread.read(oracle)
f = Failures()
for internals in ("off", "on"):
    os.environ["ORVEX_VVP_INTERNALS"] = internals
    out = run(work("counter_ours.vvp"))
    f.check("^error" not in out, "a request failed: " + out)
    header, mine, _ = vcdread.read(ours)
    if internals == "off":
        fallback = mine
    else:
        for path, var in fallback.items():
            f.check(path in mine and (mine[path].times, mine[path].values) == (var.times, var.values),
                    "%s differs between taps and VPI" % path)
f.check(header["timescale"] == ["1ps"], "timescale %r" % header["timescale"])
for path, var in theirs.items():
    if var.kind == "event":
        continue
    f.check(path in mine, "missing variable " + path)
    if path not in mine:
        continue
    times = sorted(set(var.times) | set(mine[path].times))
    f.check(len(times) > 3 or path.endswith("carry") or "tristate" in path or "low" in path,
            "%s hardly changes (%d times)" % (path, len(times)))
    for t in times:
        a, b = mine[path].at(t), var.at(t)
        f.check(a == b, "%s at %d: ours %r, vvp %r" % (path, t, a, b))
# The parameters are dumped once with their values.
f.check(mine["/tb/STEPS"].values == ["0" * 26 + "101000"], "STEPS %r" % mine["/tb/STEPS"].values)
f.check(mine["/tb/u_add/W"].values == ["0" * 28 + "1000"], "W %r" % mine["/tb/u_add/W"].values)
# Events appear as 1 at each trigger, one per rising clock edge.
f.check(mine["/tb/tick"].times == list(range(5000, 400000, 10000)), "tick %r" % mine["/tb/tick"].times[:5])
f.finish()
