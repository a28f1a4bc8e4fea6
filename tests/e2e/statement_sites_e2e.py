#!/usr/bin/env python3
"""Breakpoints, steps and line traces through the patched statement sites give exactly what
the fallback (vvp's statement reports) gives, and both match vvp's own statement trace; runtime
warnings keep their place.

usage: statement_sites_e2e.py <dir of orvex.vpi> [unittest args]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import engine_e2e
from engine_e2e import Engine, fields

DESIGNS = engine_e2e.DESIGNS
FINISH_LINE = 44
MECHANISMS = {"code": None, "reports": "off"}  # ORVEX_VVP_INTERNALS for each
# What *ready says of each: the code is patched unless switched off.
# The value taps follow the same switch as the statement sites.
READY = {"code": ("code", "fanout"),
         "reports": ("reports: internals switched off", "vpi: internals switched off")}


def start(vvp_file, mechanism, output_in_records=False):
    saved = os.environ.pop("ORVEX_VVP_INTERNALS", None)
    if MECHANISMS[mechanism]:
        os.environ["ORVEX_VVP_INTERNALS"] = MECHANISMS[mechanism]
    try:
        engine = Engine(vvp_file, output_in_records)
    finally:
        os.environ.pop("ORVEX_VVP_INTERNALS", None)
        if saved is not None:
            os.environ["ORVEX_VVP_INTERNALS"] = saved
    return engine


def message_lines(record):
    return bytes(record[2:-1], "utf-8").decode("unicode_escape").splitlines()


def messages_until_stopped(engine, command):
    """The lines of the engine messages and of the design's output carried as records while
    `command` runs (consecutive messages may come joined in one record), and its *stopped
    fields."""
    token = engine.send(command)
    assert engine.record().startswith("%d^done" % token)
    texts = []
    while True:
        line = engine.record()
        if line[:1] in ("~", "@"):
            texts += message_lines(line)
        elif line.startswith("*stopped"):
            return texts, fields(line)


class StatementSitesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.workdir = tempfile.mkdtemp(prefix="orvex-sites-")
        cls.design = os.path.join(cls.workdir, "statements.vvp")
        source = os.path.join(DESIGNS, "statements.v")
        subprocess.run(["iverilog", "-pfileline=1", "-o", cls.design, source], check=True)
        # vvp's own trace: stopped before time 0, statement tracing on, run to the end.
        trace = subprocess.run(["vvp", "-s", cls.design], input="trace on\ncont\n", capture_output=True,
                               text=True, check=True)
        lines = [int(m.group(1)) for m in re.finditer(r"^\S*statements\.v:(\d+): ", trace.stderr, re.M)]
        # $finish lets the rest of its time step run, as in vvp.
        assert FINISH_LINE in lines, trace.stderr
        cls.vvp_lines = lines

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.workdir, ignore_errors=True)

    def engine(self, mechanism, vvp_file=None):
        engine = start(vvp_file or self.design, mechanism)
        self.addCleanup(engine.close)
        ready = fields(engine.record())
        self.assertEqual((ready["statements"], ready["values"]), READY[mechanism], ready)
        return engine

    def test_breakpoint_hits_match_vvps_statement_reports(self):
        # Every kind: a task's and a function's body, a loop and its body, both branches.
        for line in (11, 16, 17, 24, 25, 26, 30, 31, 36, 41, 42):
            want = self.vvp_lines.count(line)
            for mechanism in MECHANISMS:
                with self.subTest(line=line, mechanism=mechanism):
                    engine = self.engine(mechanism)
                    engine.done("bp-add", "statements.v", str(line))
                    hits = 0
                    while True:
                        stopped = engine.blocking("run-all")
                        if stopped["reason"] != "breakpoint-hit":
                            break
                        hits += 1
                    self.assertEqual((hits, stopped["reason"]), (want, "vlog-finish"))

    def test_two_breakpoints_and_removal_between_runs(self):
        results = {}
        for mechanism in MECHANISMS:
            engine = self.engine(mechanism)
            engine.done("bp-add", "statements.v", "24")
            engine.done("bp-add", "designs/statements.v", "30")
            stops = []
            for _ in range(6):
                stopped = engine.blocking("run-all")
                stops.append((stopped["line"], stopped["time"], stopped.get("index")))
            engine.done("bp-remove", "1")
            while True:
                stopped = engine.blocking("run-all")
                if stopped["reason"] != "breakpoint-hit":
                    break
                stops.append((stopped["line"], stopped["time"], stopped.get("index")))
            results[mechanism] = stops
        self.assertEqual(results["code"], results["reports"])
        places = [i for i, line in enumerate(self.vvp_lines) if line in (24, 30)]
        both = [self.vvp_lines[i] for i in places[:6]]
        rest = [line for line in self.vvp_lines[places[5] + 1:] if line == 30]
        self.assertEqual([int(stop[0]) for stop in results["code"]], both[:6] + rest)

    def test_steps_and_line_trace_follow_vvps_statement_order(self):
        for mechanism in MECHANISMS:
            with self.subTest(mechanism=mechanism):
                engine = self.engine(mechanism)
                steps = [engine.blocking("step") for _ in range(25)]
                self.assertEqual([int(s["line"]) for s in steps], self.vvp_lines[:25])
                self.assertEqual({s["reason"] for s in steps}, {"end-stepping"})
                engine.done("ltrace", "on")
                texts, stopped = messages_until_stopped(engine, "run-all")
                self.assertEqual(stopped["reason"], "vlog-finish")
                traced = [int(m.group(1)) for t in texts for m in [re.match(r"ltrace: \S*statements\.v:(\d+)$", t.strip())] if m]
                self.assertEqual(traced, self.vvp_lines[25:])

    def test_a_long_line_trace_keeps_its_place_among_the_designs_output(self):
        # Traces are queued and written in blocks: none may be lost or doubled, and the design's
        # output, printed between them, must come where vvp's own trace puts it. The engine's
        # standard output shares the record pipe here, so the order written is the order read.
        source = os.path.join(self.workdir, "interleaved.v")
        with open(source, "w") as f:
            f.write("module t;\n  integer i, s = 0;\n  initial begin\n    for (i = 0; i < 3000; i = i + 1) begin\n"
                    "      s = s + i;\n      if (i % 400 == 0) $display(\"D: i=%0d s=%0d\", i, s);\n    end\n"
                    "    #1 $display(\"D: end %0d\", s);\n  end\nendmodule\n")
        vvp_file = os.path.join(self.workdir, "interleaved.vvp")
        subprocess.run(["iverilog", "-pfileline=1", "-o", vvp_file, source], check=True)
        # vvp's trace goes to standard error; a line-buffered standard output keeps the order.
        vvp = subprocess.run(["stdbuf", "-oL", "vvp", "-s", vvp_file], input="trace on\ncont\n", text=True,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60, check=True)

        def sequence(lines):
            out = []
            for line in lines:
                place = re.match(r"(?:ltrace: )?\S*interleaved\.v:(\d+)(?::|$)", line)
                if place:
                    out.append(int(place.group(1)))
                elif line.startswith("D: "):
                    out.append(line)
            return out

        expected = sequence(vvp.stdout.splitlines())
        self.assertGreater(len(expected), 9000)
        self.assertIn("D: i=2800 s=3921400", expected)
        for mechanism in MECHANISMS:
            with self.subTest(mechanism=mechanism):
                engine = start(vvp_file, mechanism, output_in_records=True)
                lines = []
                try:
                    engine.record()
                    engine.done("ltrace", "on")
                    engine.send("run-all")
                    while not lines or not lines[-1].startswith("*stopped"):
                        line = engine.record()
                        # While statements are traced the design's output comes as records too.
                        lines += message_lines(line) if line[:1] in ("~", "@") else [line]
                finally:
                    engine.close()
                self.assertEqual(sequence(lines), expected)

    def test_runtime_warnings_keep_their_place(self):
        source = os.path.join(self.workdir, "queue.sv")
        with open(source, "w") as f:
            f.write("module q;\n  int qu[$];\n  integer n = 0;\n  initial begin\n    qu.push_back(1);\n"
                    "    n = n + 1;\n    qu.insert(5, 2);\n    $display(\"size %0d\", qu.size());\n  end\nendmodule\n")
        vvp_file = os.path.join(self.workdir, "queue.vvp")
        subprocess.run(["iverilog", "-g2012", "-pfileline=1", "-o", vvp_file, source], check=True)
        plain = subprocess.run(["vvp", "-n", vvp_file], capture_output=True, text=True, check=True)
        warning = [l for l in (plain.stdout + plain.stderr).splitlines() if "Warning" in l]
        self.assertTrue(warning and warning[0].startswith(source + ":7: Warning"), plain)
        for mechanism in MECHANISMS:
            with self.subTest(mechanism=mechanism):
                engine = start(vvp_file, mechanism)
                try:
                    engine.record()
                    engine.done("bp-add", "queue.sv", "6")
                    self.assertEqual(engine.blocking("run-all")["reason"], "breakpoint-hit")
                    engine.done("ltrace", "on")  # traced statements keep their place too
                    texts, stopped = messages_until_stopped(engine, "run-all")
                    self.assertEqual(stopped["reason"], "run-complete")
                    traced = [t.strip() for t in texts if t.startswith("ltrace")]
                    if mechanism == "code":
                        # (The reports fallback takes the warning for one more report of line 7.)
                        self.assertEqual(traced, ["ltrace: %s:%d" % (source, n) for n in (7, 8)])
                    # While statements are traced the design's output is carried among them.
                    self.assertEqual(texts[-1], "size 1")
                finally:
                    engine.close()
                errors = "".join(engine.errors)
                self.assertNotIn("queue: insert", errors)  # no statement report leaks out
                if mechanism == "code":
                    # (While vvp reports every statement, its warnings look like reports.)
                    self.assertIn(warning[0] + "\n", errors)
                self.assertEqual(engine.stdout(), "")


if __name__ == "__main__":
    engine_e2e.MODULE_DIR = sys.argv.pop(1)
    unittest.main()
