"""Values followed through taps in vvp's fan-out give exactly what the VPI fallback
(ORVEX_VVP_INTERNALS=off) gives, and both give vvp's own $dumpvars values: the VCD declares every
variable vvp's does and holds its values, value by value (parameters once, events at each
trigger), and the SAIF counts of every bit, also when the SAIF file is closed halfway (its taps
removed) and a new one opened."""
import os

from common import Failures, compile_design, quoted, work
import saifread
import subprocess
import vcdread

VPI_DIR = os.environ.get("ORVEX_TEST_VPI_DIR")
MECHANISMS = {"fanout": None, "vpi": "off"}  # ORVEX_VVP_INTERNALS for each


def run(vvp_file, internals):
    env = dict(os.environ)
    env.pop("ORVEX_VVP_INTERNALS", None)
    env["ORVEX_TEST_SHOW_VALUES"] = "1"
    if internals:
        env["ORVEX_VVP_INTERNALS"] = internals
    args = ["vvp", "-n", "-M", VPI_DIR, "-m", "orvex_outputs_test", vvp_file]
    return subprocess.run(args, check=True, capture_output=True, text=True, env=env).stdout


def changes(var):
    """The (time, value) list with repeats of the same value left out."""
    out = []
    for t, v in zip(var.times, var.values):
        if not out or out[-1][1] != v:
            out.append((t, v))
    return out


f = Failures()
oracle = work("oracle.vcd")
compile_design("value_taps.v", work("oracle.vvp"), {"ORACLE": quoted(oracle)})
subprocess.run(["vvp", "-n", work("oracle.vvp")], check=True, capture_output=True)
_, truth, _ = vcdread.read(oracle)
f.check("/tb/mem" not in truth and len(truth) >= 20, "vvp's own dump: %r" % sorted(truth))

saifs = {}
for mechanism, internals in MECHANISMS.items():
    vcd, saif = work(mechanism + ".vcd"), work(mechanism + ".saif")
    first, second = work(mechanism + "-first.saif"), work(mechanism + "-second.saif")
    compile_design("value_taps.v", work(mechanism + ".vvp"), {"VCDFILE": quoted(vcd), "SAIFFILE": quoted(saif)})
    compile_design("value_taps.v", work(mechanism + "-reopen.vvp"),
                   {"SAIFFILE": quoted(first), "SAIFFILE2": quoted(second), "REOPEN": "1"})
    out = run(work(mechanism + ".vvp"), internals)
    out += run(work(mechanism + "-reopen.vvp"), internals)
    f.check("^error" not in out, "%s: a request failed: %s" % (mechanism, out))
    want = "values fanout" if mechanism == "fanout" else "values vpi: internals switched off"
    f.check(out.count(want + "\n") == 2, "%s: mechanism not reported as %r: %s" % (mechanism, want, out[:300]))

    header, mine, _ = vcdread.read(vcd)
    f.check(header["timescale"] == ["1ps"], "%s: timescale %r" % (mechanism, header["timescale"]))
    f.check(mine["/tb/STEPS"].values == ["0" * 26 + "101000"] and mine["/tb/u_stage/W"].values == ["0" * 28 + "1000"],
            "%s: parameters %r %r" % (mechanism, mine["/tb/STEPS"].values, mine["/tb/u_stage/W"].values))
    f.check(mine["/tb/tick"].times == list(range(5000, 300000, 10000)), "%s: tick %r" % (mechanism, mine["/tb/tick"].times))
    # Beyond vvp's variables ours hold only parameters (the generate blocks' genvars among them).
    extra = sorted(set(mine) - set(truth))
    f.check(set(truth) <= set(mine) and all(mine[p].kind == "parameter" for p in extra),
            "%s: variables %r, more than vvp's: %r" % (mechanism, sorted(set(truth) - set(mine)), extra))
    for path, var in truth.items():
        if path in mine and var.kind != "event":  # (vvp's dump shows an event at time 0 too)
            f.check(changes(mine[path]) == changes(var),
                    "%s: %s: ours %r, vvp %r" % (mechanism, path, changes(mine[path])[:8], changes(var)[:8]))
    saifs[mechanism] = [saifread.read(p) for p in (saif, first, second)]

# The forced and glitching variables did what the design says, so the comparison above saw them.
f.check(("/tb/sum" in truth) and any(v.startswith("bx") or "x" in v for v in truth["/tb/sum"].values),
        "sum never forced to x: %r" % truth["/tb/sum"].values[:10])
fanout, fallback = saifs["fanout"], saifs["vpi"]
for name, a, b in zip(("whole run", "first half", "second half"), fanout, fallback):
    header_a, nets_a = a
    header_b, nets_b = b
    f.check(len(nets_a) > 250, "%s: %d nets" % (name, len(nets_a)))
    f.check(header_a["DURATION"] == header_b["DURATION"], "%s: durations %r %r" % (name, header_a, header_b))
    for net in sorted(set(nets_a) | set(nets_b)):
        f.check(nets_a.get(net) == nets_b.get(net), "%s: %s: fanout %r, vpi %r" % (name, net, nets_a.get(net), nets_b.get(net)))
f.check(fanout[0][1]["/tb/flip"]["IG"] > 10, "flip glitches %r" % fanout[0][1]["/tb/flip"])
f.finish()
