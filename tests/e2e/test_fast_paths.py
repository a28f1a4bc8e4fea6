#!/usr/bin/env python3
"""The shell on real designs with the statement sites patched and with the fallback
(ORVEX_VVP_INTERNALS=off): a line trace across files follows vvp's own statement trace, and
forces on vectors, regs and real nets seen by `show value` and by the design's $display equal
plain vvp with the force in the testbench. (Breakpoint hits, deletions and steps of both are
compared with vvp's statement trace in statement_sites_e2e.py.)
"""
import re
import subprocess
import tempfile
import unittest

from common import WORK, design_lines, orvex, plain_vvp, write

MECHANISMS = {"patched": None, "fallback": "off"}  # ORVEX_VVP_INTERNALS for each

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


class FastPaths(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="orvex-fast-", dir=WORK)

    def orvex(self, mechanism, script, sources=("top.v",)):
        done = orvex(self.folder, sources, script, {"ORVEX_VVP_INTERNALS": MECHANISMS[mechanism]})
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        return done.stdout

    def test_line_trace_across_files_follows_vvps_statement_trace(self):
        # Statements alternate between the files; the trace is long enough (some 10,000 lines) to
        # go out in many blocks and reach the console merged, and must lose or double nothing.
        # The design's own lines keep their places among the traced statements (they reach the
        # shell on another pipe than the traces).
        write(self.folder, "sub.v", "module sub(input [3:0] v);\n  always @(v)\n    if (v[0]) $display(\"D: odd %0d\", v);\nendmodule\n")
        write(self.folder, "top.v", "module top;\n  reg [3:0] v = 0;\n  sub s(v);\n  initial repeat (3000) begin\n    #1 v = v + 1;\n  end\nendmodule\n")
        subprocess.run(["iverilog", "-pfileline=1", "-o", "trace.vvp", "top.v", "sub.v"], cwd=self.folder, check=True)
        # vvp's trace goes to standard error; a line-buffered standard output keeps the order.
        vvp = subprocess.run(["stdbuf", "-oL", "vvp", "-s", "trace.vvp"], input="trace on\ncont\n",
                             cwd=self.folder, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                             timeout=60, check=True)
        sequence = r"^(?:ltrace: )?(\w+\.v:\d+|D: .*?)(?:: .*)?$"
        expected = re.findall(sequence, vvp.stdout, re.M)
        self.assertIn("sub.v:3", expected)
        self.assertIn("D: odd 15", expected)
        self.assertGreater(len(expected), 10000)
        for mechanism in MECHANISMS:
            with self.subTest(mechanism=mechanism):
                out = self.orvex(mechanism, "orvex ltrace on\nrun all\nquit\n", ("top.v", "sub.v"))
                self.assertEqual(re.findall(sequence, out, re.M), expected)

    def test_forces_on_vectors_regs_and_real_nets_match_a_testbench_force(self):
        write(self.folder, "top.v", FORCING)
        expected = design_lines(plain_vvp(self.folder, ["-DTB_FORCE", "top.v"], check=True).stdout)
        self.assertIn("D: forced w=aa d=5c r=3.5 wr=0.75 bits=4012000000000000", expected)
        for mechanism in MECHANISMS:
            with self.subTest(mechanism=mechanism):
                out = self.orvex(mechanism, FORCE_SCRIPT)
                self.assertEqual(design_lines(out), expected)
                stops = re.findall(r'^Stopped at time : .*? : File "[^"]*" Line (\d+)$', out, re.M)
                self.assertEqual(stops[:2], [str(FORCE_LINE), str(RELEASE_LINE)])


if __name__ == "__main__":
    unittest.main()
