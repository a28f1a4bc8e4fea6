"""Long decimal values: a 300,000-digit put and a million-bit value shown in decimal finish
quickly and leave the engine answering; a request that takes longer than the request time
limit but reports progress is not taken for a hang. Prints the figures."""
import time

import reliability as r

folder = r.setup()
failures = r.Failures()
WORDS = 24
design = r.write(folder, "wide.v", "module tb;\n" + "".join(
    "  reg [999999:0] w%d = {31250{32'h89abcdef}};\n" % i for i in range(WORDS)) +
    "  reg [999999:0] wide = 0;\nendmodule\n")

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

# Every million-bit word of the block in decimal, with a request limit shorter than the work.
limit = 1.0
session = r.Session(folder, design, ["-nolog"], env={"ORVEX_REQUEST_TIMEOUT": str(limit)})
session.wait_engine()
started = time.time()
status, out, err = session.finish(
    "scope /tb\norvex set radix dec\n"
    "if {[catch {show variable} e]} { puts \"failed\" } else { puts \"listed\" }\n", timeout=300)
took = time.time() - started
print("%d million-bit words in decimal: %.1f s (request limit %.1f s)" % (WORDS, took, limit))
failures.check("listed" in out and "not responding" not in out,
               "a long request reporting progress was taken for a hang:\n%s" % out[-1500:])
if took < limit * 1.5:
    print("note: the listing was faster than the limit; progress was not needed this time")
failures.check(not session.leftovers(), "progress: %s" % session.leftovers())

failures.finish()
