"""Long decimal values: a 300,000-digit put into a million-bit register and the value shown
back in decimal finish quickly and leave the engine answering. Prints the figure. (A request
that outlasts the time limit while reporting progress is tested against the stand-in engine,
test_front_end_control.)"""
import reliability as r

folder = r.setup()
failures = r.Failures()
design = r.write(folder, "wide.v", "`timescale 1ns/1ns\nmodule tb;\n  reg [999999:0] wide = 0;\nendmodule\n")

digits = "7" * 300000
session = r.Session(folder, design, ["-nolog"])
session.wait_engine()
status, out, err = session.finish(
    "set t0 [clock milliseconds]\n"
    "put /tb/wide %s -radix dec\n"
    "set shown [show value /tb/wide -radix dec]\n"
    "puts \"put and show: [expr {[clock milliseconds] - $t0}] ms\"\n"
    "puts \"same: [string equal $shown %s]\"\n"
    "puts \"length: [string length $shown]\"\n" % (digits, digits))
failures.check("same: 1" in out, "the 300,000-digit value did not come back:\n%s" % out[-600:])
for line in out.splitlines():
    if line.startswith("put and show"):
        print(line.strip())
failures.check(status == 0, "long values: exit status %d:\n%s" % (status, out[-1000:]))
failures.check(not session.leftovers(), "long values: %s" % session.leftovers())

failures.finish()
