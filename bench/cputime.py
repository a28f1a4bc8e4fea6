#!/usr/bin/env python3
"""cputime.py LOG command...: runs the command and appends its processor time, user+system in
seconds with microseconds (its waited-for children included), to LOG. /usr/bin/time prints
hundredths, too coarse for the difference of two runs."""
import os
import sys

pid = os.fork()
if pid == 0:
    try:
        os.execvp(sys.argv[2], sys.argv[2:])
    finally:
        os._exit(127)
_, status, usage = os.wait4(pid, 0)
with open(sys.argv[1], "a") as log:
    log.write("%.6f+%.6f\n" % (usage.ru_utime, usage.ru_stime))
sys.exit(os.waitstatus_to_exitcode(status))
