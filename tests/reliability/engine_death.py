"""The engine killed with SIGKILL while idle, during run all, during value requests and during
restart: each time the running command fails (catch sees it), the cause and the right log name
are printed once, the rest of the input is still read, later commands say there is no engine,
the exit status is not 0, and no engine process or work folder is left."""
import os
import signal
import threading
import time

import reliability as r

folder = r.setup()
failures = r.Failures()
counter = r.write(folder, "counter.v", r.COUNTER)
CAUSE = "Simulation engine exited with status 137 (signal 9)"


def kill_later(session, delay):
    def kill():
        time.sleep(delay)
        for pid in session.engine_processes():
            os.kill(pid, signal.SIGKILL)
    thread = threading.Thread(target=kill)
    thread.start()
    return thread


def common_checks(name, status, out, log_text, leftovers, log_name):
    failures.check(status != 0, "%s: exit status 0 after the engine was killed" % name)
    failures.check(out.count(CAUSE) == 1, "%s: the cause is printed %d times:\n%s" % (name, out.count(CAUSE), out))
    end = "The simulator has terminated in an unexpected manner."
    failures.check(out.count(end) == 1, "%s: the end is reported %d times" % (name, out.count(end)))
    if log_name:
        failures.check("Please review the Orvex log (%s) for details." % log_name in out,
                       "%s: the message does not name %s:\n%s" % (name, log_name, out))
        failures.check(CAUSE in log_text, "%s: the cause is not in the log" % name)
    else:
        failures.check("Please review" not in out, "%s: a log is named though there is none" % name)
    failures.check("after the end" in out, "%s: the rest of the input was not read:\n%s" % (name, out))
    failures.check("Simulation engine is not running" in out or "Unable to execute live simulation command" in out,
                   "%s: a later command does not say that there is no engine:\n%s" % (name, out))
    failures.check(not leftovers, "%s: %s" % (name, leftovers))


def read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return ""


# Idle: killed between two commands.
session = r.Session(folder, counter, ["-log", "idle.log"])
pid = session.wait_engine()
session.send("run 10 ns\n")
time.sleep(1.5)
os.kill(pid, signal.SIGKILL)
time.sleep(1.0)
status, out, err = session.finish('puts "after the end"\nrun 10 ns\n')
common_checks("idle", status, out, read(os.path.join(folder, "idle.log")), session.leftovers(), "idle.log")

# During run all: the command fails and catch sees it.
session = r.Session(folder, r.ENDLESS, ["-nolog"])
session.wait_engine()
killer = kill_later(session, 1.5)
status, out, err = session.finish(
    'if {[catch {run all}]} { puts "run all failed" } else { puts "run all returned" }\n'
    'puts "after the end"\nshow value /endless_tb/ticks\n')
killer.join()
failures.check("run all failed" in out, "run all: catch did not see the failure:\n%s" % out)
common_checks("run all", status, out, "", session.leftovers(), None)
failures.check(not os.path.exists(os.path.join(folder, "orvex.log")), "-nolog wrote orvex.log")


def killed_in_a_loop(name, options, body, log_name):
    """Repeats `body` for 3 s while the engine is killed after 1.5 s: the command the end hits
    fails, and so do the later ones."""
    session = r.Session(folder, counter, options)
    session.wait_engine()
    killer = kill_later(session, 1.5)
    status, out, err = session.finish(
        'set failed 0\nset t0 [clock milliseconds]\n'
        'while {[clock milliseconds] - $t0 < 3000} { if {[catch {%s}]} { incr failed } }\n'
        'puts "failed: [expr {$failed > 0}]"\nputs "after the end"\nrun 1 ns\n' % body)
    killer.join()
    failures.check("failed: 1" in out, "%s: no request failed:\n%s" % (name, out[-2000:]))
    common_checks(name, status, out, read(os.path.join(folder, log_name)), session.leftovers(), log_name)


# During value requests.
killed_in_a_loop("values", ["-log", "values.log"], "show value /tb/wide -radix dec", "values.log")
# During restart: both the time-0 keeper and the running child are killed.
killed_in_a_loop("restart", [], "restart; run 20 ns", "orvex.log")

failures.finish()
