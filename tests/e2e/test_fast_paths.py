#!/usr/bin/env python3
"""The shell on real designs with the statement sites patched and with the fallback
(ORVEX_VVP_INTERNALS=off): breakpoint hits equal the design's own count of how often the line
runs, a deleted breakpoint is hit no more, a line trace across files follows vvp's own statement
trace, and forces on vectors, regs and real nets seen by
`show value` and by the design's $display equal plain vvp with the force in the testbench.
"""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
LAUNCHER = os.path.join(os.environ.get("ORVEX_BUILD_DIR", os.path.join(HERE, "../../build")), "bin", "orvex")
MECHANISMS = {"patched": None, "fallback": "off"}  # ORVEX_VVP_INTERNALS for each

COUNTING = """`timescale 1ns/1ns
module top;
  reg clk = 0;
  integer rises = 0, total = 0, calls = 0, i;
  always #5 clk = ~clk;
  function integer twice(input integer v);
    begin
      calls = calls + 1;
      twice = 2 * v;
    end
  endfunction
  always @(posedge clk) begin
    rises = rises + 1;
    if (rises % 3 == 0) total = total + twice(rises);
  end
  initial begin
    for (i = 0; i < 5; i = i + 1)
      total = total + 1;
    #97 $display("D: rises %0d calls %0d loops %0d total %0d", rises, calls, i, total);
    $finish;
  end
endmodule
"""
RISE_LINE, CALL_LINE, LOOP_LINE, FINISH_LINE = 13, 8, 18, 20

FORCING = """`timescale 1ns/1ns
module top;
  real r = 1.5;
  wire real wr;
  wire [63:0] bits;
  assign wr = r * 2.0;
  assign bits = $realtobits(wr);
  reg [7:0] d = 8'h11;
  wire [7:0] w = d + 1;
  reg marker = 0;
  always #2 $display("D: t=%0t r=%0g wr=%0g bits=%h d=%h w=%h", $time, r, wr, bits, d, w);
  initial begin
    #1 r = 2.25;
    #2;
`ifdef TB_FORCE
    force w = 8'hAA; force d = 8'h5C; force wr = 0.75; force r = 3.5;
    $display("D: forced w=%h d=%h r=%0g wr=%0g bits=%h", w, d, r, wr, bits);
`endif
    marker = 1;
    #2;
`ifdef TB_FORCE
    release w; release d; release wr; release r;
    $display("D: released w=%h d=%h r=%0g wr=%0g bits=%h", w, d, r, wr, bits);
`endif
    marker = 0;
    #1 r = 0.125;
    #4 $finish;
  end
endmodule
"""
FORCE_LINE, RELEASE_LINE = 19, 25
SHOW = "w=[show value w] d=[show value d] r=[show value r] wr=[show value wr] bits=[show value bits]"
FORCE_SCRIPT = """bp add top.v %d
bp add top.v %d
run all
orvex force add w AA -radix hex
orvex force add d 5C -radix hex
orvex force add wr 0.75
orvex force add r 3.5
puts "D: forced %s"
run all
orvex force remove w
orvex force remove d
orvex force remove wr
orvex force remove r
puts "D: released %s"
run all
quit
""" % (FORCE_LINE, RELEASE_LINE, SHOW, SHOW)

# Enough `run all`s to pass every hit; those after the end of the simulation only fail.
RUN_TO_END = "for {set n 0} {$n < 40} {incr n} {catch {run all}}\nquit\n"


def design_lines(text):
    return [line for line in text.splitlines() if line.startswith("D: ")]


def stops(text):
    """(time, line) of every stop at a place in the source, in order."""
    return re.findall(r'^Stopped at time : (.*?) : File "[^"]*" Line (\d+)$', text, re.M)


class FastPaths(unittest.TestCase):
    def setUp(self):
        base = os.environ.get("ORVEX_TEST_WORK")
        if base:
            os.makedirs(base, exist_ok=True)
        self.folder = tempfile.mkdtemp(prefix="orvex-fast-", dir=base)
        self.addCleanup(shutil.rmtree, self.folder, True)

    def write(self, text):
        with open(os.path.join(self.folder, "top.v"), "w") as f:
            f.write(text)

    def write_file(self, name, text):
        with open(os.path.join(self.folder, name), "w") as f:
            f.write(text)

    def orvex(self, mechanism, script, sources=("top.v",)):
        env = dict(os.environ, TMPDIR=self.folder, XDG_CACHE_HOME=os.path.join(self.folder, "cache"))
        env.pop("ORVEX_VVP_INTERNALS", None)
        if MECHANISMS[mechanism]:
            env["ORVEX_VVP_INTERNALS"] = MECHANISMS[mechanism]
        done = subprocess.run([LAUNCHER, "-nolog"] + list(sources), input=script, cwd=self.folder, env=env,
                              capture_output=True, text=True, timeout=120)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        return done.stdout

    def vvp(self, *defines):
        subprocess.run(["iverilog", "-o", "oracle.vvp"] + ["-D" + d for d in defines] + ["top.v"],
                       cwd=self.folder, check=True)
        return subprocess.run(["vvp", "-n", "oracle.vvp"], cwd=self.folder, capture_output=True, text=True,
                              timeout=60, check=True).stdout

    def test_breakpoint_hits_equal_the_designs_own_counts(self):
        self.write(COUNTING)
        expected = design_lines(self.vvp())
        counts = [int(n) for n in re.findall(r"\d+", expected[0])]
        for line, want in ((RISE_LINE, counts[0]), (CALL_LINE, counts[1]), (LOOP_LINE, counts[2])):
            self.assertGreater(want, 2)
            seen = {}
            for mechanism in MECHANISMS:
                with self.subTest(line=line, mechanism=mechanism):
                    out = self.orvex(mechanism, "bp add top.v %d\n" % line + RUN_TO_END)
                    seen[mechanism] = stops(out)
                    # The last stop is the design's $finish.
                    self.assertEqual([int(at) for _, at in seen[mechanism]], [line] * want + [FINISH_LINE])
                    self.assertEqual(design_lines(out), expected)
            self.assertEqual(seen["patched"], seen["fallback"])

    def test_deleted_breakpoint_is_hit_no_more(self):
        self.write(COUNTING)
        calls = int(re.search(r"calls (\d+)", self.vvp()).group(1))
        script = "bp add top.v %d\nbp add top.v %d\n" % (RISE_LINE, CALL_LINE)
        script += "run all\n" * 4 + "bp del 1\nputs \"-- deleted\"\n" + RUN_TO_END
        seen = {}
        for mechanism in MECHANISMS:
            with self.subTest(mechanism=mechanism):
                out = self.orvex(mechanism, script)
                before, after = out.split("-- deleted\n")
                self.assertEqual(len(stops(before)), 4)
                self.assertEqual(stops(after)[-1][1], str(FINISH_LINE))
                self.assertIn((str(RISE_LINE)), [line for _, line in stops(before)])
                self.assertTrue(stops(after))
                self.assertNotIn(str(RISE_LINE), [line for _, line in stops(after)])
                # Every call of the function still stops, before and after the deletion.
                self.assertEqual([line for _, line in stops(out)].count(str(CALL_LINE)), calls)
                seen[mechanism] = stops(out)
        self.assertEqual(seen["patched"], seen["fallback"])

    def test_line_trace_across_files_follows_vvps_statement_trace(self):
        # Statements alternate between the files; the trace is long enough (some 10,000 lines) to
        # go out in many blocks and reach the console merged, and must lose or double nothing.
        self.write_file("sub.v", "module sub(input [3:0] v);\n  always @(v)\n    if (v[0]) $display(\"D: odd %0d\", v);\nendmodule\n")
        self.write("module top;\n  reg [3:0] v = 0;\n  sub s(v);\n  initial repeat (3000) begin\n    #1 v = v + 1;\n  end\nendmodule\n")
        subprocess.run(["iverilog", "-pfileline=1", "-o", "trace.vvp", "top.v", "sub.v"], cwd=self.folder, check=True)
        vvp = subprocess.run(["vvp", "-s", "trace.vvp"], input="trace on\ncont\n", cwd=self.folder,
                             capture_output=True, text=True, timeout=60, check=True)
        expected = re.findall(r"^(\w+\.v:\d+): ", vvp.stdout + vvp.stderr, re.M)
        self.assertIn("sub.v:3", expected)
        self.assertGreater(len(expected), 10000)
        for mechanism in MECHANISMS:
            with self.subTest(mechanism=mechanism):
                out = self.orvex(mechanism, "orvex ltrace on\nrun all\nquit\n", ("top.v", "sub.v"))
                self.assertEqual(re.findall(r"^ltrace: (.*)$", out, re.M), expected)

    def test_forces_on_vectors_regs_and_real_nets_match_a_testbench_force(self):
        self.write(FORCING)
        expected = design_lines(self.vvp("TB_FORCE"))
        self.assertIn("D: forced w=aa d=5c r=3.5 wr=0.75 bits=4012000000000000", expected)
        for mechanism in MECHANISMS:
            with self.subTest(mechanism=mechanism):
                out = self.orvex(mechanism, FORCE_SCRIPT)
                self.assertEqual(design_lines(out), expected)
                self.assertEqual([line for _, line in stops(out)][:2], [str(FORCE_LINE), str(RELEASE_LINE)])


if __name__ == "__main__":
    unittest.main()
