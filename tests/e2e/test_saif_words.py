"""SAIF activity counted a word at a time: vectors over several 32-bit words with x and z bits,
nets inside generate blocks, forced and released bits, every bit's T0, T1, TX and TC against what vvp's own $dumpvars shows."""
from common import Failures, compile_design, quoted, run, work
import saifread
import vcdread

saif, oracle = work("run.saif"), work("oracle.vcd")
compile_design("saif_words.v", work("mine.vvp"), {"SAIFFILE": quoted(saif)})
compile_design("saif_words.v", work("oracle.vvp"), {"ORACLE": quoted(oracle)})
run(work("mine.vvp"))
run(work("oracle.vvp"), engine=False)
_, truth, _ = vcdread.read(oracle)
header, nets = saifread.read(saif)
f = Failures()
duration = int(header["DURATION"])
f.check(duration == 605000, "duration %d" % duration)
widths = {"wide": 70, "odd": 33, "nib": 4, "g": 1, "inverted": 70, "word": 32, "shared": 4}
widths.update({"lane[0]/part": 3, "lane[1]/part": 3, "lone": 1})
want_names = sorted("/tb/%s[%d]" % (n, b) if w > 1 else "/tb/" + n for n, w in widths.items() for b in range(w))
f.check(sorted(nets) == want_names, "nets %r" % sorted(set(nets) ^ set(want_names)))
for name, fields in nets.items():
    base, bit = (name[:name.rindex("[")], int(name[name.rindex("[") + 1:-1])) if name.endswith("]") else (name, 0)
    want = saifread.expected(truth[base], bit, 0, duration)
    got = {k: fields[k] for k in want}
    f.check(got == want, "%s: %r, from vvp's VCD %r" % (name, got, want))
# g rises and falls within one time step 18 times: glitches, never a toggle.
f.check(nets["/tb/g"]["IG"] == 18 and nets["/tb/g"]["TC"] == 0, "g %r" % nets["/tb/g"])
f.check(nets["/tb/wide[50]"]["TX"] > 0 and nets["/tb/wide[40]"]["TC"] > 0, "wide %r" % nets["/tb/wide[50]"])
# wide[9:6] is forced to x for 50 ns; inverted held at 0 for 40 ns.
f.check(nets["/tb/wide[8]"]["TX"] >= 50000, "forced wide[8] %r" % nets["/tb/wide[8]"])
f.check(nets["/tb/inverted[0]"]["T0"] >= 40000, "forced inverted[0] %r" % nets["/tb/inverted[0]"])
f.check(all(nets["/tb/lone"][k] > 0 for k in ("T0", "T1", "TX")), "lone %r" % nets["/tb/lone"])
f.finish()
