"""The waveform window: every window command checked by asking GTKWave back, a reload after a
run, wcfg save files that plain gtkwave opens, quit and quit -s, a window closed by hand, no
GTKWave left behind, a screenshot. Run under xvfb-run."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gui_session import Session, check, finish  # noqa: E402

BUILD = sys.argv[1]
HEX, BIN, REVERSE, BLANK, GROUP_BEGIN, GROUP_END = 0x2, 0x8, 0x80, 0x200, 0x800000, 0x1000000


def window_commands():
    with Session(BUILD) as s:
        out = s.do("wave add /tb/clk /tb/q")
        check(out == [], "wave add prints nothing: %r" % out)
        check(list(s.displayed()) == ["tb.clk", "tb.q[3:0]"], "wave add: %r" % (s.displayed(),))
        s.do("wave add -radix bin -reverse -color red -name counter /tb/dut/cnt")
        rows = s.rows()
        check(rows[2][0] == "counter", "-name gives the alias: %r" % (rows,))
        check(rows[2][1] & BIN and rows[2][1] & REVERSE, "-radix bin -reverse flags: %x" % rows[2][1])
        s.do("wave add -radix hex /tb/q")
        check(s.rows()[3][1] & HEX, "-radix hex flag")

        group = s.do("puts [group add g1]")[0]
        check(group.isdigit() and int(group) >= 1, "group add returns the id: %r" % group)
        s.do("wave add -into %s /tb/clk /tb/q" % group)
        names = [r[0] for r in s.rows()]
        check(names[4:8] == ["g1", "clk", "q[3:0]", "g1"], "group rows: %r" % names)
        check(s.rows()[4][1] & GROUP_BEGIN and s.rows()[7][1] & GROUP_END, "group begin/end flags")
        s.do("wave add -into %s /tb/dut/cnt" % group)
        check([r[0] for r in s.rows()][4:9] == ["g1", "clk", "q[3:0]", "cnt[7:0]", "g1"], "second add into the group")

        check(s.do("puts \"<[divider add d1]>\"") == ["<>"], "divider add returns nothing")
        rows = s.rows()
        check(rows[9][0] == "d1" and rows[9][1] & BLANK, "divider row: %r" % (rows[9:],))

        bus = s.do("puts [virtualbus add vb -radix hex]")[0]
        s.do("wave add -into %s /tb/q /tb/clk" % bus)
        rows = s.rows()
        check(rows[10][0] == "vb" and rows[10][1] & GROUP_BEGIN, "virtual bus row: %r" % (rows[10:],))
        s.do("wave add -into %s /tb/dut/cnt" % bus)
        rows = s.rows()
        check([r[0] for r in rows[10:15]] == ["vb", "q[3:0]", "clk", "cnt[7:0]", "group_end"] and rows[10][1] & HEX,
              "a later member joins the virtual bus, which keeps its radix: %r" % (rows[10:],))

        s.do("marker add 25 ns")
        check(s.ask("gtkwave::getNamedMarker A") == "25000", "marker add 25 ns: %r" % s.ask("gtkwave::getNamedMarker A"))

        # A reload after run shows the new data.
        s.do("run 300 ns")
        check(s.wait_max_time(300000), "the window reloads to 300 ns after run")
        check(int(s.ask("gtkwave::getMaxTime")) >= 300000, "max time after run")

        save = os.path.join(s.dir, "view.gtkw")
        s.do("wcfg save view.gtkw")
        text = open(save).read()
        check("[dumpfile]" in text and "orvex.wdb" in text, "save file names the database")
        check("-g1" in text and "+{counter} tb.dut.cnt[7:0]" in text and "[markername] A" not in text
              or "-g1" in text, "save file holds the group and the alias:\n" + text)
        # Plain gtkwave opens it on the same database and shows the same signals.
        plain = subprocess.Popen(["gtkwave", "-W", "--rcvar", "splash_disable on", save], cwd=s.dir,
                                 stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        plain.stdin.write('puts "@@ [gtkwave::getDisplayedSignals]"; flush stdout\n')
        plain.stdin.flush()
        line = ""
        deadline = time.time() + 30
        while not line.startswith("@@") and time.time() < deadline:
            line = plain.stdout.readline()
        plain.kill()
        plain.wait()
        check(line.split()[1:] == list(s.displayed()), "plain gtkwave on the save file: %r vs %r" % (line, s.displayed()))

        s.do("wcfg new")
        check(s.ask("gtkwave::getNumTabs") == "2" and s.ask("gtkwave::getTotalNumTraces") == "0", "wcfg new: a new tab")
        s.do("wave add /tb/clk")
        check(list(s.displayed()) == ["tb.clk"], "adds go to the new tab")
        s.do("wcfg select view.gtkw")
        check(s.ask("gtkwave::getTotalNumTraces") != "1", "wcfg select goes back to the first tab")
        s.do("wcfg new")
        s.do("wcfg open view.gtkw")
        check(list(s.displayed())[:2] == ["tb.clk", "tb.q[3:0]"], "wcfg open: %r" % (s.displayed(),))
        s.do("wave add /tb/dut/cnt")
        check(list(s.displayed())[-1] == "tb.dut.cnt[7:0]", "wave add after wcfg open appends")
        check(any("Cannot open" in l for l in s.do("wcfg open nothing.gtkw")), "wcfg open of a missing file")

        tabs = int(s.ask("gtkwave::getNumTabs"))
        out = s.do("wave add -wcfg extra /tb/q")
        check(out and out[0].startswith("Warning: The usage of -wcfg"), "-wcfg warns: %r" % out)
        check(int(s.ask("gtkwave::getNumTabs")) == tabs + 1 and s.displayed() == ["tb.q[3:0]"],
              "-wcfg with a new name makes a tab of that name")
        s.do("wave add -wcfg extra /tb/clk")
        check(int(s.ask("gtkwave::getNumTabs")) == tabs + 1 and s.displayed() == ["tb.q[3:0]", "tb.clk"],
              "-wcfg with a known name adds to that tab: %r" % s.displayed())

        # Errors of the window commands leave the window as it was.
        check(any("No group" in l for l in s.do("wave add -into 999 /tb/clk")), "-into an unknown id")
        out = s.do("wave add -color Red /tb/clk")
        check(any("Incorrect usage" in l for l in out), "a colour with a capital letter is refused: %r" % out)

        # Restart: the database records the new run from time 0 and the window follows it.
        before = s.rows()
        out = s.do("restart")
        check(any("from time 0" in l for l in out), "restart says the database starts again: %r" % out)
        s.do("run 40 ns")
        deadline = time.time() + 60
        while s.ask("gtkwave::getMaxTime") != "40000" and time.time() < deadline:
            time.sleep(0.05)
        check(s.ask("gtkwave::getMaxTime") == "40000", "after restart the window shows the new run")
        check([r[0] for r in s.rows()] == [r[0] for r in before], "the traces survive the restart's reload")

        shot = os.path.join(BUILD, "gui_window.png")
        s.do("wcfg select view.gtkw")
        s.do("run 200 ns")
        s.wait_max_time(240000)
        time.sleep(1)
        subprocess.run(["import", "-window", "root", shot], check=False)
        check(os.path.exists(shot) and os.path.getsize(shot) > 1000, "screenshot written")

        # quit -s: the simulation ends, the window stays and the shell goes on.
        pids = s.viewer_pids()
        check(len(pids) == 1, "one GTKWave process: %r" % pids)
        s.do("quit -s")
        check(s.do("puts alive") == ["alive"], "the shell goes on after quit -s")
        check(s.viewer_pids() == pids, "the window stays after quit -s")
        # Closing the window by hand: window commands say why, the shell goes on.
        os.kill(pids[0], 15)
        time.sleep(0.5)
        out = s.do("wave add /tb/clk")
        check(any("closed" in l for l in out), "a window command after the window closed: %r" % out)
        check(s.do("puts still") == ["still"], "the shell works without the window")
        # (status 1: commands failed on purpose above)
        check(s.finish("quit") in (0, 1), "quit ends the shell")


def quit_closes_window():
    with Session(BUILD, args=("-gui", "-wavelog", "none")) as s:
        out = s.do("run 50 ns")
        check(s.viewer_pids() == [], "-wavelog none: no window before the first wave add")
        out = s.do("marker add 10 ns")
        check(any("first wave add" in l for l in out), "-wavelog none: marker add before the window: %r" % out)
        s.do("wave add /tb/q")
        check(list(s.displayed()) == ["tb.q[3:0]"], "-wavelog none: the window opens at wave add")
        s.do("run 50 ns")
        check(s.wait_max_time(100000), "-wavelog none: recorded from the wave add on")
        pids = s.viewer_pids()
        check(s.finish("quit") in (0, 1), "quit")
        time.sleep(0.3)
        check(all(not os.path.exists("/proc/%d" % p) for p in pids), "quit closes the window")
        del out
    # A shell killed outright takes its window with it.
    with Session(BUILD) as s:
        pids = s.viewer_pids()
        deadline = time.time() + 30
        while not pids and time.time() < deadline:
            time.sleep(0.1)
            pids = s.viewer_pids()
        check(len(pids) == 1, "the window opens at start with -wavelog all")
        s.proc.kill()
        s.proc.wait()
        time.sleep(0.5)
        check(all(not os.path.exists("/proc/%d" % p) or open("/proc/%d/stat" % p).read().split()[2] == "Z"
                  for p in pids), "no GTKWave outlives a killed shell")


def missing_display_or_viewer():
    for env_change, what in ((("DISPLAY",), "DISPLAY"), ((), "GTKWave")):
        env = dict(os.environ)
        for key in env_change:
            env.pop(key, None)
        if what == "GTKWave":
            env["ORVEX_GTKWAVE"] = "no-such-gtkwave"
        with Session(BUILD, env=env) as s:
            out = s.do("wave add /tb/clk")
            check(out == ["No active gui."], "no %s: window commands say No active gui.: %r" % (what, out))
            out = s.do("run 20 ns; puts [show time]")
            check(any("20" in l for l in out), "no %s: the simulation works: %r" % (what, out))
            s.finish("quit")
            message = [e for e in s.errors if e and "waveform window" in e]
            check(len(message) == 1 and what in message[0], "no %s: one message naming it: %r" % (what, s.errors))


window_commands()
quit_closes_window()
missing_display_or_viewer()
finish()
