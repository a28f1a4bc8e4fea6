"""Outputs that cannot be written: the log, the VCD and the SAIF file on a full device. A small
tmpfs is used when this process may mount one (a user namespace), /dev/full otherwise. Each
output reports its first write error once; the simulation goes on; the exit status tells."""
import os
import subprocess

import reliability as r

folder = r.setup()
failures = r.Failures()
counter = r.write(folder, "counter.v", r.COUNTER)
FULL = "No space left on device"

# The log on a full device.
status, out, err, left = r.run(folder, counter, 'run 100 ns\nputs "still here"\nrun 100 ns\n',
                               ["-log", "/dev/full"])
failures.check(out.count("Cannot write the log file /dev/full: " + FULL) == 1,
               "log: the write error is not reported exactly once:\n%s" % out)
failures.check("still here" in out, "log: the session did not go on")
failures.check(status != 0, "log: exit status 0 with a log that could not be written")
failures.check(not left, "log: %s" % left)

# VCD and SAIF on a full device: reported once each, the simulation goes on.
status, out, err, left = r.run(
    folder, counter,
    "vcd dumpfile /dev/full\nvcd dumpvars -m /tb\nsaif open -scope /tb -file /dev/full\n"
    "run 2000 ns\nvcd dumpflush\nrun 2000 ns\nsaif close\nputs \"still here\"\nrun 10 ns\n")
vcd_errors = r.count(out, "vcd: cannot write /dev/full: " + FULL)
failures.check(vcd_errors == 1, "vcd: %d write error reports:\n%s" % (vcd_errors, out))
failures.check(r.count(out, "cannot write /dev/full: " + FULL) == 2, "saif: the write error is not reported:\n%s" % out)
failures.check("still here" in out, "outputs: the session did not go on")
failures.check(not left, "outputs: %s" % left)
# Every message ends with a line end: no report runs into the next text.
for line in out.splitlines():
    failures.check(not ("cannot write" in line and not line.rstrip().endswith(("incomplete", "device"))),
                   "a report runs into other text: %r" % line)

# A small full file system, where one can be mounted: the log cut at the full disk.
probe = subprocess.run(["unshare", "-rm", "true"], capture_output=True)
if probe.returncode == 0:
    small = os.path.join(folder, "small")
    os.mkdir(small)
    script = ("mount -t tmpfs -o size=64k tmpfs %s && cd %s && %s -log cut.log %s < /dev/stdin; "
              "echo \"[status $?]\"" % (small, small, r.LAUNCHER, counter))
    done = subprocess.run(["unshare", "-rm", "sh", "-c", script], input=
                          "vcd dumpfile small.vcd\nvcd dumpvars -m /tb\nrun 4000 ns\n"
                          "".join("set line%d {%s}\n" % (i, "p" * 200) for i in range(1000)) + "puts \"still here\"\n",
                          capture_output=True, text=True, timeout=120,
                          env=dict(os.environ, XDG_CACHE_HOME=os.path.join(folder, "cache")))
    out = done.stdout
    failures.check(r.count(out, "Cannot write the log file cut.log: " + FULL) == 1,
                   "tmpfs: the cut log is not reported once:\n%s" % out[-3000:])
    failures.check("still here" in out, "tmpfs: the session did not go on")
    failures.check("[status 0]" not in out, "tmpfs: exit status 0 with a cut log")
else:
    print("no user namespace for a tmpfs: the full file system is /dev/full only")

failures.finish()
