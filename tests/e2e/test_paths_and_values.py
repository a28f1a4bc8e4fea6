"""Paths and values through the launcher on a real design, with plain vvp on the same design as
the oracle: show value of selects, memory words and generate-scope nets gives what the design
$displays; put of what show value printed changes nothing, in every radix; a condition names
signals relative to the current scope and takes show value's hex; vcd dumpvars -m of a generate
scope holds what vvp's own $dumpvars of that scope holds; saif and ntrace take the same path."""
import os
import re

from common import WORK, Failures, orvex, plain_vvp, write
import vcdread

DESIGN = r"""
`timescale 1ns/1ps
module top;
  reg clk = 0;
  reg [11:0] v = 12'ha5c;
  reg [15:0] w = 16'h4869;
  reg [7:0] bus = 8'hb6;
  reg [7:0] mem [0:3];
  integer i = -5;
  time t = 64'd1234567;
  reg one = 1;
  reg [7:0] cnt = 0;
  wire [3:0] \odd+name = bus[5:2];
  genvar k;
  generate for (k = 0; k < 2; k = k + 1) begin : g
    wire [3:0] n = bus[k*4 +: 4];
    reg [3:0] r = 0;
    always @(posedge clk) r <= r + k + 1;
  end endgenerate
  always #5 clk = ~clk;
  always @(posedge clk) cnt <= cnt + 1;
  initial begin
    mem[0] = 8'h11; mem[1] = 8'h22; mem[2] = 8'h3c; mem[3] = 8'h44;
`ifdef ORACLE
    $dumpfile(`ORACLE);
    $dumpvars(1, top.g[1]);
`endif
  end
  initial begin
    #2 $display("AT2 bus30=%h bus74=%h mem2=%h g1n=%h g0n=%h t=%0d i=%0d v=%h w=%h one=%b esc=%h esc1=%b",
                bus[3:0], bus[7:4], mem[2], g[1].n, g[0].n, t, i, v, w, one, \odd+name , \odd+name [1]);
    #48 $display("AT50 bus=%h mem2=%h t=%0d i=%0d v=%h w=%h one=%b cnt=%h", bus, mem[2], t, i, v, w, one, cnt);
  end
  always @(cnt) if (cnt == 8'h0a) $display("CNT0A at %0t", $time);
  initial #120 $finish;
endmodule
"""

ROUND_TRIP = ["v", "w", "bus", "i", "t", "one", "mem(2)", "bus(3:0)", "bus[7:4]", "/top/g[1]/r", "\\odd+name "]
RADIXES = ["noradix", "default", "bin", "oct", "hex", "dec", "unsigned", "ascii"]

SCRIPT = r"""
run 2 ns
puts "SHOW bus30=[show value bus(3:0)] bus74=[show value {bus[7:4]}] mem2=[show value mem(2)] g1n=[show value {/top/g[1]/n}] g0n=[show value {g[0]/n}] t=[show value t] i=[show value i] v=[show value v] w=[show value w] one=[show value one] esc=[show value {\odd+name }] esc1=[show value {/top/\odd+name [1]}]"
scope {/top/g[1]}
puts "RELATIVE n=[show value n] up=[show value ../bus(7:4)]"
scope ..
foreach radix {%(radixes)s} {
  orvex set radix $radix
  foreach name {%(names)s} {
    set before [show value $name]
    if {[catch {put $name $before} message]} { puts "PUTFAIL $radix $name {$before}: $message" }
    set after [show value $name]
    if {$after ne $before} { puts "CHANGED $radix $name {$before} -> {$after}" }
    if {![test $name $before]} { puts "TESTFAIL $radix $name {$before}" }
  }
}
orvex set radix default
put v a5c
put w 4869
puts "ROUNDTRIP done"
orvex condition add {cnt == 0a} {puts "COND cnt=[show value cnt] at [show time]"} -label ten
scope {/top/g[1]}
orvex condition add {../cnt == 0b && r != 0} {puts "COND2 cnt=[show value /top/cnt]"} -label eleven
orvex condition add {nosuch == 1} {puts never}
orvex condition add {n == 1g} {puts never}
orvex condition add {n = 1} {puts never}
scope /top
vcd dumpfile %(vcd)s
vcd dumpvars -m {/top/g[1]}
saif open -scope {/top/g[1]} -file %(saif)s -allnets
ntrace select -m {/top/g[1]} -l this
ntrace start
run 48 ns
run all
run all
run all
saif close
quit
"""


def main():
    design = write(WORK, "top.v", DESIGN)
    oracle_vcd, ours_vcd, saif = (os.path.join(WORK, n) for n in ("oracle.vcd", "ours.vcd", "ours.saif"))
    oracle = plain_vvp(WORK, ['-DORACLE="%s"' % oracle_vcd, design], check=True).stdout
    script = SCRIPT % {"radixes": " ".join(RADIXES), "names": " ".join("{%s}" % n for n in ROUND_TRIP),
                       "vcd": ours_vcd, "saif": saif}
    done = orvex(WORK, [design], script, timeout=100, encoding="latin-1")
    out = done.stdout
    f = Failures()
    # The three refused conditions are the only failing commands: batch input then exits 1.
    failed = re.findall(r"^Error in line (\d+) of standard input\.$", done.stderr, re.M)
    f.check(done.returncode == 1 and failed == ["24", "25", "26"],
            "launcher exit %d: %s" % (done.returncode, done.stderr))

    # show value of selects, memory words and generate-scope nets: what the design prints.
    at2 = dict(re.findall(r"(\w+)=(\S+)", re.search(r"^AT2 (.*)$", oracle, re.M).group(1)))
    shown = re.search(r"^SHOW (.*)$", out, re.M)
    f.check(shown is not None, "no SHOW line:\n" + out)
    if shown:
        ours = dict(re.findall(r"(\w+)=(\S+)", shown.group(1)))
        f.check(ours == at2, "show value %r, the design prints %r" % (ours, at2))
    f.check(re.search(r"^RELATIVE n=%s up=%s$" % (at2["g1n"], at2["bus74"]), out, re.M) is not None,
            "relative names:\n" + out)

    # put of what show value printed is accepted and changes nothing, in every radix.
    for bad in ("PUTFAIL", "CHANGED", "TESTFAIL"):
        f.check(bad not in out, "round trip:\n" + "\n".join(l for l in out.splitlines() if bad in l))
    f.check("ROUNDTRIP done" in out, "round trip did not finish:\n" + out)
    at50 = re.search(r"^AT50 .*$", oracle, re.M).group(0)
    f.check(at50 in out, "after the round trip the design prints otherwise than under vvp: %r\n%s" % (at50, out))

    # Conditions: relative names, "..", selects, show value's hex; errors name the bad word.
    cnt0a = re.search(r"^CNT0A at (\d+)$", oracle, re.M).group(1)
    f.check(re.search(r"^COND cnt=0a at %s ns$" % (int(cnt0a) // 1000), out, re.M) is not None,
            "condition on cnt == 0a (vvp: at %s ps):\n%s" % (cnt0a, out))
    f.check(re.search(r"^COND2 cnt=0b$", out, re.M) is not None, "relative condition:\n" + out)
    for message in ('"nosuch" names no signal or variable in /top/g[1]',
                    '"1g" is not a constant for "n" in radix default',
                    '"=" is not an operator of a condition'):
        f.check(message in out, "missing condition error %r:\n%s" % (message, out))
    f.check("bad token" not in out and "never" not in out, "condition errors:\n" + out)

    # VCD of the generate scope: vvp's own $dumpvars of top.g[1] is the oracle.
    _, theirs, _ = vcdread.read(oracle_vcd)
    _, mine, _ = vcdread.read(ours_vcd) if os.path.exists(ours_vcd) else ({}, {}, [])
    # (The genvar k, a localparam of the scope, is dumped by us and not by vvp.)
    f.check(sorted(set(mine) - {"/top/g[1]/k"}) == sorted(theirs), "dumped %r, vvp %r" % (sorted(mine), sorted(theirs)))
    for path, var in theirs.items():
        if path in mine:
            # Ours starts where the shell asked for it, at 2 ns.
            for time in sorted(t for t in set(var.times) | set(mine[path].times) if t >= 2000):
                f.check(mine[path].at(time) == var.at(time),
                        "%s at %d: ours %r, vvp %r" % (path, time, mine[path].at(time), var.at(time)))
    saif_text = open(saif).read() if os.path.exists(saif) else ""
    f.check("(INSTANCE top\n  (INSTANCE g\\[1\\]\n" in saif_text and "(n\\[3\\]" in saif_text,
            "SAIF of /top/g[1]:\n" + saif_text[:400])
    for refusal in ("unknown path", "no such block", "No such HDL block"):
        f.check(refusal not in out, "refused a path:\n" + out)
    f.finish()


main()
