"""A hung engine (SIGSTOP): quit and the end of input are bounded (ask, wait a few seconds,
then end both engine processes and say so); a request to a hung engine fails after the request
time limit set by ORVEX_REQUEST_TIMEOUT. Prints the figures."""
import os
import signal
import time

import reliability as r

folder = r.setup()
failures = r.Failures()
counter = r.write(folder, "counter.v", r.COUNTER)
ENDED = "The simulation engine has been ended."
BOUND = 15.0  # seconds: the quit wait (5 s) plus the kill and the shell's own end


def stop_all(session):
    for pid in session.engine_processes():
        os.kill(pid, signal.SIGSTOP)


for how, ending in (("quit", "quit\n"), ("end of input", "")):
    session = r.Session(folder, counter)
    session.wait_engine()
    # A restart first, so that there are two engine processes: the time-0 keeper and the child.
    session.send("run 10 ns\nrestart\nrun 10 ns\n")
    time.sleep(2.0)
    processes = session.engine_processes()
    failures.check(len(processes) == 2, "%s: expected the keeper and its child, found %s" % (how, processes))
    stop_all(session)
    started = time.time()
    status, out, err = session.finish(ending, timeout=60)
    took = time.time() - started
    print("%s with a hung engine: %.1f s" % (how, took))
    failures.check(took < BOUND, "%s took %.1f s" % (how, took))
    failures.check(ENDED in out, "%s: the forced end is not told:\n%s" % (how, out))
    failures.check(status != 0, "%s: exit status 0 after ending a hung engine" % how)
    failures.check(not session.leftovers(), "%s: %s" % (how, session.leftovers()))

# A request to a hung engine: the limit comes from the environment.
session = r.Session(folder, counter, env={"ORVEX_REQUEST_TIMEOUT": "2"})
session.wait_engine()
session.send("run 10 ns\n")
time.sleep(1.0)
stop_all(session)
started = time.time()
status, out, err = session.finish(
    'if {[catch {run 10 ns}]} { puts "run failed" }\nputs "after the end"\nrun 10 ns\n', timeout=60)
took = time.time() - started
print("run on a hung engine with ORVEX_REQUEST_TIMEOUT=2: %.1f s" % took)
failures.check("run failed" in out, "the run on a hung engine did not fail:\n%s" % out)
failures.check("within 2 s" in out, "the message does not give the limit:\n%s" % out)
failures.check(ENDED in out and "after the end" in out, "the shell did not go on:\n%s" % out)
failures.check(took < 12, "the request limit of 2 s took %.1f s" % took)
failures.check(not session.leftovers(), "timeout: %s" % session.leftovers())

# A bad setting is named, and the default stays.
session = r.Session(folder, counter, env={"ORVEX_REQUEST_TIMEOUT": "soon"})
session.wait_engine()
status, out, err = session.finish("run 10 ns\n")
failures.check("ORVEX_REQUEST_TIMEOUT='soon'" in err, "a bad limit is not named:\n%s" % err)
failures.check(status == 0, "a bad limit setting failed the session")

failures.finish()
