#!/usr/bin/env python3
"""End-to-end tests of the engine: vvp with the orvex module on small designs, spoken to over
its protocol descriptors. The design's own $display output is the oracle for values.

usage: engine_e2e.py <dir of orvex.vpi> [unittest args]
"""
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from procs import alive, children

MODULE_DIR = None
DESIGNS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "designs")
TIMEOUT = 10.0
NS = 1000000  # femtoseconds


def compile_design(name, workdir):
    out = os.path.join(workdir, name + ".vvp")
    subprocess.run(["iverilog", "-pfileline=1", "-o", out, os.path.join(DESIGNS, name + ".v")], check=True)
    return out


class Engine:
    """One engine process: requests written to its request pipe, records read with timeouts."""

    def __init__(self, vvp_file):
        req_r, self.req_w = os.pipe()
        self.rec_r, rec_w = os.pipe()
        env = dict(os.environ, ORVEX_ENGINE_FDS="%d,%d" % (req_r, rec_w))
        self.proc = subprocess.Popen(["vvp", "-M", MODULE_DIR, "-m", "orvex", vvp_file],
                                     env=env, pass_fds=(req_r, rec_w),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        os.close(req_r)
        os.close(rec_w)
        self.buffer = b""
        self.token = 0
        self.output = []
        self.errors = []
        self.readers = [threading.Thread(target=self._collect, args=(self.proc.stdout, self.output), daemon=True),
                        threading.Thread(target=self._collect, args=(self.proc.stderr, self.errors), daemon=True)]
        for r in self.readers:
            r.start()

    @staticmethod
    def _collect(stream, into):
        for line in iter(stream.readline, b""):
            into.append(line.decode(errors="replace"))

    def stdout(self):
        return "".join(self.output)

    def wait_output(self, text, count=1):
        """The design's output once `text` appears in it `count` times (its pipe may lag)."""
        deadline = time.time() + TIMEOUT
        while self.stdout().count(text) < count and time.time() < deadline:
            time.sleep(0.02)
        return self.stdout()

    def record(self, timeout=TIMEOUT):
        """The next record line, or fails the test after the timeout."""
        deadline = time.time() + timeout
        while b"\n" not in self.buffer:
            left = deadline - time.time()
            ready, _, _ = select.select([self.rec_r], [], [], max(left, 0))
            if not ready:
                raise AssertionError("no record from the engine in %.0f s" % timeout)
            chunk = os.read(self.rec_r, 65536)
            if not chunk:
                raise AssertionError("the engine ended its records")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode()

    def record_not_message(self):
        """The next record that is neither a message nor a run's progress report."""
        while True:
            line = self.record()
            if not line.startswith("~") and not line.startswith("*progress"):
                return line

    def send(self, command, *args):
        self.token += 1
        quoted = " ".join('"%s"' % a.replace("\\", "\\\\").replace('"', '\\"') for a in args)
        os.write(self.req_w, ("%d-%s %s\n" % (self.token, command, quoted)).encode())
        return self.token

    def raw(self, line):
        os.write(self.req_w, (line + "\n").encode())

    def request(self, command, *args):
        """Sends a request and returns its result line (engine messages are skipped)."""
        token = self.send(command, *args)
        line = self.record_not_message()
        assert line.startswith("%d^" % token), "result of %d expected, got %s" % (token, line)
        return line

    def done(self, command, *args):
        line = self.request(command, *args)
        assert "^done" in line, line
        return line

    def blocking(self, command, *args):
        """A run, run-all, step or restart: its ^done, then its *stopped event."""
        self.done(command, *args)
        line = self.record_not_message()
        assert line.startswith("*stopped"), line
        return fields(line)

    def value(self, path, radix="dec"):
        return fields(self.done("value", path, radix))["value"]

    def close(self):
        try:
            os.close(self.req_w)
        except OSError:
            pass
        try:
            self.proc.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise AssertionError("the engine did not end when its requests ended")
        finally:
            for r in self.readers:
                r.join(timeout=TIMEOUT)
            os.close(self.rec_r)


def fields(line):
    """The top-level text fields of a record: name="value" pairs (nested values left out)."""
    return {m.group(1): bytes(m.group(2), "utf-8").decode("unicode_escape")
            for m in re.finditer(r'(?:^|,)([a-z-]+)="((?:[^"\\]|\\.)*)"', line)}


class EngineTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.workdir = tempfile.mkdtemp(prefix="orvex-e2e-")
        cls.counter = compile_design("counter", cls.workdir)
        cls.endless = compile_design("endless", cls.workdir)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.workdir, ignore_errors=True)

    def start(self, design=None):
        engine = Engine(design or self.counter)
        self.addCleanup(engine.close)
        ready = engine.record()
        self.assertTrue(ready.startswith("*ready"), ready)
        self.assertEqual(fields(ready)["version"], "1")
        self.assertEqual(fields(ready)["resolution"], "-12")  # `timescale 1ns/1ps
        return engine

    def displayed(self, engine, time_ps):
        """The count the design printed at that time."""
        match = re.search(r"^at %d count=(\S+)$" % time_ps, engine.wait_output("at %d count=" % time_ps), re.M)
        self.assertIsNotNone(match, engine.stdout())
        return match.group(1)

    def test_timed_run_matches_the_designs_own_output(self):
        engine = self.start()
        stopped = engine.blocking("run", str(100 * NS))
        self.assertEqual((stopped["reason"], stopped["time"]), ("run-complete", str(100 * NS)))
        self.assertEqual(engine.value("/counter_tb/count"), self.displayed(engine, 100000))
        self.assertEqual(fields(engine.done("status")), {"code": "1", "time": str(100 * NS)})
        # A time that is not a whole tick is rounded down: 2.5 ps is 2 ps.
        stopped = engine.blocking("run", "2500")
        self.assertEqual(stopped["time"], str(100 * NS + 2000))

    def test_value_formats_slices_and_memories(self):
        engine = self.start()
        engine.blocking("run", str(100 * NS))  # count is 10
        self.assertEqual(engine.value("/counter_tb/count", "default"), "0a")
        self.assertEqual(engine.value("/counter_tb/count", "bin"), "00001010")
        self.assertEqual(engine.value("/counter_tb/count[3:0]", "bin"), "1010")
        self.assertEqual(engine.value("/counter_tb/count[1]", "bin"), "1")
        self.assertEqual(engine.value("/counter_tb/doubled", "unsigned"), "20")
        self.assertEqual(engine.value("/counter_tb/clk", "default"), "0")
        self.assertEqual(engine.value("/counter_tb/i", "default"), "4")
        self.assertEqual(engine.value("/counter_tb/ratio", "default"), "1.5")
        self.assertEqual(engine.value("/counter_tb/mem", "default"), "(00, 03, 06, 09)")
        self.assertEqual(engine.value("/counter_tb/mem[3]", "dec"), "9")
        engine.done("array-display-length", "2")
        self.assertEqual(engine.value("/counter_tb/mem", "hex"), "(00, 03, ...)")
        engine.done("array-display-length", "0")  # 0 shows arrays whole
        self.assertEqual(engine.value("/counter_tb/mem", "hex"), "(00, 03, 06, 09)")
        values = engine.done("values", "/counter_tb", "hex")
        self.assertIn('{path="/counter_tb/count",value="0a"}', values)

    def test_design_lists_scopes_and_objects(self):
        engine = self.start()
        design = engine.done("design")
        self.assertIn('tops=[{name="counter_tb",kind="module"', design)
        self.assertIn('{name="count",kind="reg",dir="",width="8",msb="7",lsb="0"', design)
        self.assertRegex(design, r'\{name="mem",kind="memory",[^}]*size="4",first="0",last="3"')

    def test_breakpoints_stop_at_their_line(self):
        engine = self.start()
        self.assertEqual(fields(engine.done("bp-add", "counter.v", "17"))["index"], "1")
        self.assertEqual(fields(engine.done("bp-add", "designs/counter.v", "29"))["index"], "2")
        stopped = engine.blocking("run-all")
        self.assertEqual((stopped["reason"], stopped["line"], stopped["time"]), ("breakpoint-hit", "17", str(5 * NS)))
        stopped = engine.blocking("run-all")
        self.assertEqual((stopped["line"], stopped["time"]), ("17", str(15 * NS)))
        engine.done("bp-remove", "1")
        self.assertIn('no breakpoint with index 1', engine.request("bp-remove", "1"))
        self.assertIn('breakpoints=[{index="2",file="designs/counter.v",line="29"}]', engine.done("bp-list"))
        stopped = engine.blocking("run-all")
        self.assertEqual((stopped["line"], stopped["time"]), ("29", str(100 * NS)))
        # Another directory's counter.v is not this one; nor are lines it cannot stop at.
        engine.done("bp-clear")
        self.assertIn('\\"other/counter.v\\" is not a source file of the design', engine.request("bp-add", "other/counter.v", "29"))
        self.assertIn("has no statement; the nearest statement lines are", engine.request("bp-add", "counter.v", "1"))
        self.assertIn("is past the end of", engine.request("bp-add", "counter.v", "9999"))
        self.assertEqual(engine.blocking("run-all")["reason"], "vlog-finish")

    def test_step_after_a_pause_stops_at_the_next_statement(self):
        # (Step sequences from time 0 are compared with vvp's own in statement_sites_e2e.py.)
        engine = self.start()
        engine.blocking("run", str(7 * NS))
        stopped = engine.blocking("step")
        self.assertEqual((stopped["reason"], stopped["line"], stopped["time"]), ("end-stepping", "14", str(10 * NS)))

    def test_restart_returns_to_time_zero_and_keeps_breakpoints_and_conditions(self):
        engine = self.start()
        initial = engine.value("/counter_tb/count")
        engine.done("bp-add", "counter.v", "28")
        engine.done("cond-add", "/counter_tb/count == 3", "dec", "three")
        engine.done("bp-remove", "1")
        engine.done("bp-add", "counter.v", "29")
        engine.blocking("run", str(50 * NS))
        stopped = engine.blocking("restart")
        self.assertEqual((stopped["reason"], stopped["time"]), ("restart-complete", "0"))
        self.assertEqual(engine.value("/counter_tb/count"), initial)
        self.assertIn('breakpoints=[{index="2",file="counter.v",line="29"}]', engine.done("bp-list"))
        self.assertIn('label="three"', engine.done("cond-list"))
        stopped = engine.blocking("run-all")
        self.assertEqual((stopped["reason"], stopped["id"], stopped["time"]), ("condition-met", "1", str(25 * NS)))
        engine.done("cond-clear")
        stopped = engine.blocking("run-all")
        self.assertEqual((stopped["reason"], stopped["line"]), ("breakpoint-hit", "29"))
        self.assertEqual(engine.wait_output("at 100000 count=10").count("at 100000 count=10"), 1)  # the restart did not re-run it
        self.assertEqual(fields(engine.done("bp-add", "counter.v", "17"))["index"], "3")

    def test_set_value_changes_what_the_design_sees(self):
        engine = self.start()
        engine.blocking("run", str(100 * NS))
        engine.done("set-value", "/counter_tb/flag", "1", "bin")
        engine.blocking("run", str(1 * NS))
        self.assertIn("flag rose at 100000 count=10", engine.wait_output("flag rose"))
        self.assertIn('bad value \\"2\\" for radix bin', engine.request("set-value", "/counter_tb/flag", "2", "bin"))
        # (What a force does is compared with a testbench force under vvp in test_fast_paths.)
        self.assertIn('unknown path \\"/counter_tb/nothing\\"', engine.request("force-remove", "/counter_tb/nothing"))

    def test_timed_force_sequence_repeats_and_is_cancelled(self):
        engine = self.start()
        # flag: 1 at +0, 0 at +2 ns, every 4 ns, released after 10 ns.
        engine.done("force-add", "/counter_tb/flag", str(4 * NS), str(10 * NS), "1", "0", "bin", "0", str(2 * NS), "bin")
        engine.blocking("run", str(1 * NS))
        self.assertEqual(engine.value("/counter_tb/flag", "bin"), "1")
        engine.blocking("run", str(2 * NS))
        self.assertEqual(engine.value("/counter_tb/flag", "bin"), "0")
        engine.blocking("run", str(2 * NS))
        self.assertEqual(engine.value("/counter_tb/flag", "bin"), "1")
        engine.blocking("run", str(20 * NS))
        # Rises at 4 and 8 ns; the one at 0 comes before the design's process waits for it, and
        # none after the release at 10 ns.
        out = engine.wait_output("flag rose", 2)
        self.assertEqual(re.findall(r"flag rose at (\d+)", out), ["4000", "8000"])

    def test_condition_stops_when_it_becomes_true(self):
        engine = self.start()
        cond = engine.done("cond-add", "\"(/counter_tb/count == 8'h0c) && /counter_tb/clk\"", "default", "twelve")
        self.assertEqual(fields(cond)["id"], "1")
        stopped = engine.blocking("run-all")
        self.assertEqual((stopped["reason"], stopped["id"], stopped["time"]), ("condition-met", "1", str(115 * NS)))
        self.assertEqual(engine.value("/counter_tb/count"), "12")
        # A refused condition takes no id. (The error texts: test_engine_text, test_paths_and_values.)
        self.assertIn('\\"/counter_tb/none\\" names no signal or variable',
                      engine.request("cond-add", "/counter_tb/none == 1", "dec", "x"))
        # Relative names with the scope they were written in; the constant in the signal's display radix.
        cond = engine.done("cond-add", "count == 0d && clk", "default", "thirteen", "/counter_tb")
        self.assertEqual(fields(cond)["id"], "2")
        stopped = engine.blocking("run-all")
        self.assertEqual((stopped["reason"], stopped["id"]), ("condition-met", "2"))
        self.assertEqual(engine.value("/counter_tb/count"), "13")
        engine.done("cond-remove-label", "thirteen")
        engine.done("cond-remove-label", "twelve")
        self.assertIn("conditions=[]", engine.done("cond-list"))

    def test_progress_reports_while_a_run_runs(self):
        engine = Engine(self.endless)
        self.addCleanup(engine.close)
        self.assertTrue(engine.record().startswith("*ready"))
        for request, args in (("run-all", ()), ("run", (str(10 ** 9 * NS),))):
            with self.subTest(request=request):
                before = int(fields(engine.done("status"))["time"])
                engine.done(request, *args)
                reports = []
                while len(reports) < 3:
                    line = engine.record()
                    if line.startswith("*progress"):
                        reports.append(fields(line))
                engine.send("stop")
                while True:  # reports may still come up to the stop, none after it
                    line = engine.record_not_message()
                    if line.startswith("*stopped"):
                        break
                stopped = int(fields(line)["time"])
                times = [int(r["time"]) for r in reports]
                self.assertEqual(times, sorted(times))
                self.assertTrue(before < times[0] and times[-1] <= stopped, (before, times, stopped))
                self.assertEqual({r["start"] for r in reports}, {str(before)})
                elapsed = [int(r["elapsed"]) for r in reports]
                self.assertTrue(200 <= elapsed[0] < elapsed[1] < elapsed[2], elapsed)
                self.assertEqual({r.get("until") for r in reports},
                                 {None} if request == "run-all" else {str(before + 10 ** 9 * NS)})
                self.assertIn("^done", engine.record())  # the stop's answer
                time.sleep(0.6)  # a paused engine reports nothing: the next record answers status
                token = engine.send("status")
                self.assertTrue(engine.record().startswith("%d^done" % token))

    def test_stop_interrupts_a_long_run(self):
        engine = Engine(self.endless)
        self.addCleanup(engine.close)
        self.assertTrue(engine.record().startswith("*ready"))
        engine.done("run-all")
        time.sleep(0.3)
        engine.send("stop")
        stopped = fields(engine.record_not_message())
        self.assertEqual(stopped["reason"], "user-stop")
        self.assertIn("^done", engine.record_not_message())
        self.assertGreater(int(engine.value("/endless_tb/ticks")), 0)
        self.assertLess(int(stopped["time"]), 2000000000 * NS)
        self.assertEqual(engine.blocking("run", str(10 * NS))["reason"], "run-complete")

    def test_malformed_requests_get_errors_and_the_engine_survives(self):
        engine = self.start()
        for line, message in [("nonsense", "malformed request"),
                              ('5-value "/counter_tb/count', "malformed request"),
                              ("6-frobnicate", "unknown request frobnicate"),
                              ("7-run", "expected 1 argument"),
                              ("8-run soon", 'bad time \\"soon\\"'),
                              ("9-value /counter_tb/nope hex", 'unknown path \\"/counter_tb/nope\\"'),
                              ("10-value /counter_tb/count[9] hex", "index 9 out of range"),
                              ("11-value /counter_tb/count roman", 'unknown radix \\"roman\\"'),
                              ("12-bp-add counter.v -3", 'bad line \\"-3\\"'),
                              ("13-array-display-length -1", 'bad size \\"-1\\"'),
                              ("14-cond-remove-id 99", "no condition with id 99")]:
            engine.raw(line)
            reply = engine.record_not_message()
            self.assertIn("^error", reply, line)
            self.assertIn(message, reply, line)
        engine.token = 14
        self.assertEqual(engine.blocking("run", str(100 * NS))["reason"], "run-complete")

    def test_closing_the_requests_ends_every_engine_process(self):
        engine = Engine(self.counter)
        self.assertTrue(engine.record().startswith("*ready"))
        engine.blocking("restart")
        engine.done("run-all")  # the end of input must also end a running simulation
        pids = [engine.proc.pid] + children(engine.proc.pid)
        self.assertEqual(len(pids), 2, pids)
        engine.close()
        deadline = time.time() + TIMEOUT
        while any(alive(p) for p in pids[1:]) and time.time() < deadline:
            time.sleep(0.05)
        self.assertFalse(any(alive(p) for p in pids[1:]))
        self.assertEqual(engine.proc.returncode, 0)


if __name__ == "__main__":
    MODULE_DIR = sys.argv.pop(1)
    unittest.main()
