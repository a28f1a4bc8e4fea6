"""Eight sessions at once in one folder: they get run numbers of their own, share one log
without mixing within a line, and only one of them may write a given VCD file: the others are
refused with a message naming the process that writes it; that file is a whole VCD."""
import os
import re
import threading
import time

import reliability as r

folder = r.setup()
failures = r.Failures()
counter = r.write(folder, "counter.v", r.COUNTER)
COUNT = int(os.environ.get("SESSIONS", "8"))
LINES = 150

results = [None] * COUNT


def session(index):
    padding = "x" * (200 + index * 37)
    # Every session holds on after its VCD attempt until all have made theirs, so that they
    # all overlap there.
    script = ["vcd dumpfile shared.vcd", "vcd dumpvars -m /tb", "close [open tried.%d w]" % index,
              "while {![file exists go]} { after 20 }"]
    for i in range(LINES):
        script.append("set line {S%d-%d-%s}" % (index, i, padding))
        if i % 10 == 0:
            script.append("run 10 ns")
    results[index] = r.run(folder, counter, "\n".join(script) + "\n", ["-log", "shared.log"], timeout=300)


threads = [threading.Thread(target=session, args=(i,)) for i in range(COUNT)]
for t in threads:
    t.start()
deadline = time.time() + 240
while time.time() < deadline and not all(os.path.exists(os.path.join(folder, "tried.%d" % i)) for i in range(COUNT)):
    time.sleep(0.05)
open(os.path.join(folder, "go"), "w").close()
for t in threads:
    t.join()

writers = 0
for index, (status, out, err, left) in enumerate(results):
    failures.check(not left, "session %d: %s" % (index, left))
    refused = re.search(r"Cannot write the VCD file shared.vcd: it is being written by another Orvex "
                        r"session \(process (\d+)\)\.", out)
    if refused:
        # A refused command fails the script: the exit status says so.
        failures.check(status == 1, "session %d: exit status %d" % (index, status))
    else:
        writers += 1
failures.check(writers == 1, "%d sessions wrote shared.vcd" % writers)

with open(os.path.join(folder, "shared.log"), errors="replace") as f:
    log = f.read()
pattern = re.compile(r"# set line \{?S(\d+)-(\d+)-(x+)\}?$")
seen = 0
for line in log.splitlines():
    if "set line" not in line:
        continue
    match = pattern.match(line)
    if failures.check(match is not None, "a mixed log line: %r" % line[:200]):
        failures.check(len(match.group(3)) == 200 + int(match.group(1)) * 37,
                       "a cut log line: %r" % line[:200])
        seen += 1
failures.check(seen == COUNT * LINES, "the log holds %d of %d command lines" % (seen, COUNT * LINES))

with open(os.path.join(folder, "shared.vcd"), "rb") as f:
    vcd = f.read()
failures.check(b"\0" not in vcd, "shared.vcd holds NUL bytes")
failures.check(vcd.count(b"$enddefinitions") == 1, "shared.vcd has %d headers" % vcd.count(b"$enddefinitions"))
failures.finish()
