"""The waveform database is readable at every stop and after any end: its values up to the last
stop match vvp's own $dumpvars; it survives the engine killed with SIGKILL; a restart records the
new run from time 0 and says so; a full disk stops recording with a message while the simulation
goes on; no side file is left beside it. No display needed."""
import os
import resource
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import vcdread  # noqa: E402
from common import plain_vvp  # noqa: E402
from procs import engines  # noqa: E402
from gui_session import DESIGN, Session, check, finish  # noqa: E402

BUILD = sys.argv[1]


def oracle(folder):
    """vvp's own dump of the same design."""
    with open(os.path.join(folder, "oracle.v"), "w") as f:
        f.write(DESIGN.replace("initial #1000 $finish;",
                               'initial begin $dumpfile("oracle.vcd"); $dumpvars(0, tb); #1000 $finish; end'))
    plain_vvp(folder, ["oracle.v"], check=True)
    return vcdread.read(os.path.join(folder, "oracle.vcd"))[1]


def last_time(path):
    times = [line for line in open(path).read().split("\n") if line.startswith("#")]
    return int(times[-1][1:]) if times else None


def compare(path, truth, until, what):
    _, mine, _ = vcdread.read(path)
    for name in ("/tb/clk", "/tb/q", "/tb/dut/cnt"):
        var = mine.get(name)
        check(var is not None, "%s: %s not in the database (%r)" % (what, name, sorted(mine)))
        if var is None:
            continue
        for t in sorted(set(var.times) | set(truth[name].times)):
            if t <= until:
                check(var.at(t) == truth[name].at(t), "%s: %s at %d: %r, vvp %r" %
                      (what, name, t, var.at(t), truth[name].at(t)))


def stops_kill_and_restart():
    with Session(BUILD, args=()) as s:
        truth = oracle(s.dir)
        wdb = os.path.join(s.dir, "orvex.wdb")
        s.do("wave log -r /tb")
        s.do("run 95 ns")
        check(last_time(wdb) == 95000, "the database ends at the stop: %r" % last_time(wdb))
        compare(wdb, truth, 95000, "at a stop")
        s.do("run 200 ns")
        check(last_time(wdb) == 295000, "the database follows the next stop: %r" % last_time(wdb))
        compare(wdb, truth, 295000, "at the second stop")
        check(sorted(os.listdir(s.dir)) == sorted(["tb.v", "orvex.wdb", "oracle.v", "oracle.vvp", "oracle.vcd"]),
              "no side file beside the database: %r" % sorted(os.listdir(s.dir)))

        out = s.do("restart")
        check(any("records the new run from time 0" in l for l in out), "restart says so: %r" % out)
        s.do("run 30 ns")
        check(last_time(wdb) == 30000, "after restart the database holds the new run: %r" % last_time(wdb))
        compare(wdb, truth, 30000, "after restart")

        s.do("run 70 ns")
        for pid in engines(s.proc.pid):
            os.kill(pid, signal.SIGKILL)
        time.sleep(0.5)
        compare(wdb, truth, 100000, "after SIGKILL")
        check(last_time(wdb) == 100000, "after SIGKILL the database ends at the last stop: %r" % last_time(wdb))
        s.finish("quit")


def restart_after_the_end():
    # A design that runs out of events (a $finish would end a shell without a terminal).
    design = DESIGN.replace("always #5 clk = ~clk;", "initial repeat (20) #5 clk = ~clk;").replace(
        "initial #1000 $finish;", "")
    with Session(BUILD, args=(), design=design) as s:
        wdb = os.path.join(s.dir, "orvex.wdb")
        s.do("wave log -r /tb")
        s.do("run all")
        check(last_time(wdb) == 100000, "the database ends at the end of simulation: %r" % last_time(wdb))
        out = s.do("restart")
        check(any("records the new run from time 0" in l for l in out), "restart after the end says so: %r" % out)
        s.do("run 20 ns")
        _, mine, _ = vcdread.read(wdb)
        check(last_time(wdb) == 20000 and "/tb/dut/cnt" in mine,
              "after the end and restart the same objects are recorded: %r %r" % (last_time(wdb), sorted(mine)))
        s.finish("quit")


def full_disk():
    def small_files():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (100000, 100000))
    folder = tempfile.mkdtemp(prefix="orvex-wdb-full-")
    with open(os.path.join(folder, "tb.v"), "w") as f:
        f.write(DESIGN.replace("#1000 $finish", "#10000000 $finish"))
    proc = subprocess.run([os.path.join(BUILD, "bin", "orvex"), "-nolog", "tb.v"], cwd=folder,
                          input="wave log -r /tb\nrun 50 us\nputs [show time]\nquit\n", capture_output=True,
                          text=True, preexec_fn=small_files, timeout=120,
                          env=dict(os.environ, XDG_CACHE_HOME=os.path.join(folder, "cache")))
    out = proc.stdout + proc.stderr
    check(out.count("recording into the waveform database stopped") == 1,
          "a full disk stops recording with one message: %r" % out[-2000:])
    check("50 us" in out, "the simulation goes on: %r" % out[-500:])
    vcdread.read(os.path.join(folder, "orvex.wdb"))  # still readable
    subprocess.run(["rm", "-rf", folder])


stops_kill_and_restart()
restart_after_the_end()
full_disk()
finish()
