"""How runs end, stop and report, through the launcher on small designs, with plain vvp on the
same design as the oracle: $finish and $fatal let the rest of the time step run (final blocks,
$strobe, $monitor) and files hold the last step; a timed run returns after every line of its last
time step; conditions met in one step all run their scripts within the run; every stop says why;
bad time units, breakpoints that cannot be hit, ntrace off, SAIF of nested blocks, SDF messages."""
import os
import re
import signal
import subprocess
import time

import common
import saifread
import vcdread
from common import LAUNCHER, WORK, Failures, launcher_env, plain_vvp

SHELL_LINE = re.compile(r"^(Time resolution is|Stopped at time :|--|VCD info: dumpfile)")
f = Failures()


def source(name, text):
    return common.write(WORK, name, text)


def vvp(design, *defines):
    """The design's own output and exit status under plain vvp."""
    done = plain_vvp(WORK, ["-g2012", "-gspecify"] + ["-D" + d for d in defines] + [design])
    return done.stdout.splitlines(), done.returncode


def orvex(design, script, *options):
    done = common.orvex(WORK, ["-g2012"] + list(options) + [design], script, timeout=90)
    return done.stdout.splitlines(), done.stderr, done.returncode


def design_lines(lines):
    return [l for l in lines if not SHELL_LINE.match(l)]


# ---- $finish: the rest of the step, final blocks, and the VCD holds the last step ------------------
FINISH = source("finish.v", """`timescale 1ns/1ps
module tb;
  reg [3:0] a = 0, b = 0;
  initial $monitor("mon t=%0t a=%0d b=%0d", $time, a, b);
  always #5 a = a + 1;
  always @(b) $display("b changed to %0d at %0t", b, $time);
  initial begin
    #20 $strobe("strobe t=%0t a=%0d b=%0d", $time, a, b);
    b <= 7;
    $finish;
    $display("not reached: the calling process stops");
  end
  final $display("final t=%0t a=%0d b=%0d", $time, a, b);
`ifdef VCD
  initial begin $dumpfile(`VCD); $dumpvars(0, tb); end
`endif
endmodule
""")
oracle_vcd = os.path.join(WORK, "finish_oracle.vcd")
expected, status = vvp(FINISH, 'VCD="%s"' % oracle_vcd)
ours_vcd, wdb, saif = (os.path.join(WORK, name) for name in ("finish_ours.vcd", "finish.wdb", "finish.saif"))
lines, errors, code = orvex(FINISH, """vcd dumpfile %s
vcd dumpvars -m /tb
ntrace select -m /tb
ntrace start
saif open -scope /tb -file %s -allnets
run all
puts {not reached}
""" % (ours_vcd, saif), "-wdb", wdb)
f.check(design_lines(lines) == design_lines(expected), "$finish output %r, vvp %r" % (lines, expected))
f.check(lines[-1:] == ['Stopped at time : 20 ns : File "%s" Line 10' % FINISH], "$finish stop line %r" % lines[-1:])
f.check(code == status == 0, "$finish status %d, vvp %d, %s" % (code, status, errors))
_, mine, _ = vcdread.read(ours_vcd)
_, theirs, _ = vcdread.read(oracle_vcd)
_, traced, _ = vcdread.read(wdb)
for name in ("/tb/a", "/tb/b"):
    f.check(mine[name].at(20000) == theirs[name].at(20000) == traced[name].at(20000) ==
            ("0111" if name == "/tb/b" else "0100"), "%s at the $finish step: VCD %s, database %s, vvp %s" %
            (name, mine[name].at(20000), traced[name].at(20000), theirs[name].at(20000)))
_, nets = saifread.read(saif)
f.check(nets.get("/tb/b[0]", {}).get("TC") == 1, "SAIF of the $finish step: %r" % nets)

# ---- $fatal, $error, $warning as vvp prints them; the end says where; status 1 ---------------------
FATAL = source("fatal.v", """`timescale 1ns/1ps
module tb;
  reg [3:0] a = 0;
  initial $monitor("mon t=%0t a=%0d", $time, a);
  always #5 a = a + 1;
  initial begin
    #20 $warning("warn a=%0d", a);
    $error("err");
    #10 $fatal(1, "boom a=%0d", a);
  end
  final $display("final t=%0t", $time);
endmodule
""")
expected, status = vvp(FATAL)
lines, errors, code = orvex(FATAL, "run all\nputs {not reached}\n")
f.check(design_lines(lines) == expected, "$fatal output %r, vvp %r" % (lines, expected))
f.check(lines[-1:] == ['Stopped at time : 30 ns : $fatal : File "%s" Line 9' % FATAL], "$fatal stop %r" % lines[-1:])
f.check(status == 1 and code == 1, "$fatal exit status %d, vvp %d" % (code, status))

# ---- run <time>: the whole last step is out before the command returns; put at the pause --------
STEPS = source("steps.v", """`timescale 1ns/1ps
module tb;
  reg [7:0] x = 0;
  initial $monitor("mon t=%0t x=%0d", $time, x);
  initial repeat (3) begin
    #10 x = x + 1;
    $strobe("strobe t=%0t x=%0d", $time, x);
  end
endmodule
""")
expected, _ = vvp(STEPS)
lines, errors, code = orvex(STEPS, """run 10 ns
puts "-- after 10 ns: x=[show value /tb/x -radix unsigned]"
put /tb/x 8'd100
puts "-- put at the pause: x=[show value /tb/x -radix unsigned]"
run 10 ns
puts "-- after 20 ns: x=[show value /tb/x -radix unsigned] at [show time]"
run all
puts "-- ended"
run 10 ns
step
run all
""")
first = lines.index("-- after 10 ns: x=1")
f.check(design_lines(lines[:first]) == [l for l in expected if re.search(r"t=(0|10000) ", l)],
        "lines before run 10 ns returned: %r" % lines[:first])
f.check("-- put at the pause: x=1" in lines, "the put waits for the run: %r" % lines)
f.check("-- after 20 ns: x=101 at 20 ns" in lines, "the put and the next step: %r" % lines)
f.check("Stopped at time : 30 ns : No more events" in lines, "the end says why: %r" % lines)
ended = [l for l in lines[lines.index("-- ended"):] if "the simulation has ended" in l]
f.check(len(ended) == 3, "run, step and run all after the end: %r %s" % (lines, errors))

# ---- conditions: all met in one step run their scripts within the run, in id order --------------
COND = source("cond.v", """`timescale 1ns/1ps
module tb;
  reg [3:0] a = 0, b = 0;
  always #5 begin a = a + 1; b = b + 1; end
endmodule
""")
lines, errors, code = orvex(COND, """orvex condition add {/tb/b == 4'd2} {puts "script B at [show time]"} -label second
orvex condition add {/tb/a == 4'd2} {puts "script A at [show time]"} -label first
run 10 ns
puts "-- returned"
run 10 ns
puts "-- now [show time]"
""")
f.check(lines[1:5] == ["Stopped at time : 10 ns : Conditions 1, 2 met", "script B at 10 ns", "script A at 10 ns",
                       "-- returned"], "conditions in the last step: %r %s" % (lines, errors))
f.check("-- now 20 ns" in lines, "the next run advances: %r" % lines)

# ---- every stop says why: $stop --------------------------------------------------------------------
STOP = source("stop.v", """`timescale 1ns/1ps
module tb;
  initial begin
    #7 $display("before stop");
    $stop;
    $display("after stop");
  end
endmodule
""")
lines, errors, code = orvex(STOP, "run 100 ns\nputs {-- resumed}\nrun 100 ns\n")
f.check(lines[1:5] == ["before stop", 'Stopped at time : 7 ns : $stop : File "%s" Line 5' % STOP, "-- resumed",
                       "after stop"], "$stop: %r" % lines)

# ---- every stop says why: Ctrl-C during run all ----------------------------------------------------
CLOCK = source("clock.v", """`timescale 1ns/1ps
module tb;
  reg clk = 0;
  always #5 clk = ~clk;
endmodule
""")
shell = subprocess.Popen([LAUNCHER, "-nolog", CLOCK], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, cwd=WORK,
                         env=launcher_env(WORK))
shell.stdin.write("run all\n")
shell.stdin.flush()
seen = shell.stdout.readline()  # the start-up line: the engine is ready and running
time.sleep(1)
shell.send_signal(signal.SIGINT)
out, _ = shell.communicate("puts {-- back}\nquit\n", timeout=60)
stops = [l for l in out.splitlines() if l.startswith("Stopped at time")]
f.check(len(stops) == 1 and " : Stop requested : File \"%s\" Line " % CLOCK in stops[0] and "-- back" in out,
        "Ctrl-C: %r %r" % (seen, out))

# ---- time units below the resolution (the unit words themselves: transcripts/flow) ------------
lines, errors, code = orvex(COND, """run 10 Ns
puts "-- [show time]"
run 0.5 ps
puts "-- [show time]"
""")
f.check("-- 10 ns" in lines and lines.count("-- 10 ns") == 2, "units: %r %s" % (lines, errors))
f.check(any("Time 500 fs is below the time resolution (1 ps)" in l for l in lines), "resolution: %r" % lines)

# ---- breakpoints that can never be hit are refused -------------------------------------------------
lines, errors, code = orvex(STEPS, "bp add nothere.v 3\nbp add steps.v 99\nbp add steps.v 1\nbp add steps.v 6\nbp list\n")
text = "\n".join(lines)
f.check('"nothere.v" is not a source file of the design' in text, "unknown file: %r" % lines)
f.check("line 99 is past the end of %s (9 lines)" % STEPS in text, "past the end: %r" % lines)
f.check("line 1 of %s has no statement; the nearest statement lines are 3" % STEPS in text, "no statement: %r" % lines)
f.check("line 8 of %s has no statement; the nearest statement lines are 7 and 9" % STEPS not in text,
        "a statement line refused: %r" % lines)
f.check('1 File "steps.v" Line 6' in lines and "Total break points = 1" in lines, "good breakpoint: %r" % lines)

# ---- ntrace select -o off stops tracing the named object -------------------------------------------
wdb = os.path.join(WORK, "trace.wdb")
done = common.orvex(WORK, ["-wdb", wdb, COND], """ntrace select -m /tb
ntrace start
run 12 ns
ntrace select -o off -n /tb/a
run 20 ns
quit
""", timeout=90)
_, traced, _ = vcdread.read(wdb)
f.check(max(traced["/tb/b"].times) == 30000, "b traced on: %r %s" % (traced["/tb/b"].times, done.stdout))
f.check(max(traced["/tb/a"].times) <= 12000, "a traced after off: %r" % list(zip(traced["/tb/a"].times,
                                                                                  traced["/tb/a"].values)))

# ---- SAIF with all nets: nets of named and generate blocks, toggles as vvp's VCD shows them --------
NESTED = source("nested.v", """`timescale 1ns/1ps
module tb;
  reg [1:0] c = 0;
  always #5 c = c + 1;
  initial #50 $finish;
  genvar i;
  generate for (i = 0; i < 2; i = i + 1) begin : g
    wire w = c[i];
  end endgenerate
  always @(c) begin : blk
    reg r;
    r = ^c;
  end
`ifdef VCD
  initial begin $dumpfile(`VCD); $dumpvars(0, tb); end
`endif
endmodule
""")
oracle_vcd = os.path.join(WORK, "nested.vcd")
vvp(NESTED, 'VCD="%s"' % oracle_vcd)
saif = os.path.join(WORK, "nested.saif")
orvex(NESTED, "saif open -scope /tb -file %s -allnets\nrun 40 ns\nsaif close\nquit\n" % saif)
_, theirs, _ = vcdread.read(oracle_vcd)
_, nets = saifread.read(saif)
for path, var in (("/tb/g[1]/w", "/tb/g[1]/w"), ("/tb/blk/r", "/tb/blk/r")):
    # The run ends after the whole time step at 40 ns, so its changes are counted too.
    want = saifread.expected(theirs[var], 0, 0, 40001)["TC"]
    got = nets.get(path, {}).get("TC")
    f.check(got == want, "SAIF %s TC %r, vvp's VCD %r; nets %r" % (path, got, want, sorted(nets)))

# ---- SDF messages: one line each, before what the shell prints next ---------------------------------
CELLS = source("cells.v", """`timescale 1ns/1ps
module buf_cell (input a, output y);
  buf (y, a);
  specify
    (a => y) = (1, 1);
  endspecify
endmodule
module tb;
  reg a = 0;
  wire y;
  buf_cell u1(.a(a), .y(y));
  initial #5 a = 1;
  always @(y) $display("y=%b at %0t", y, $realtime);
endmodule
""")
SDF = source("cells.sdf", """(DELAYFILE (SDFVERSION "3.0") (DESIGN "tb") (DIVIDER /) (TIMESCALE 1 ns)
 (CELL (CELLTYPE "buf_cell") (INSTANCE u1)
   (DELAY (ABSOLUTE (IOPATH a y (3) (3)) (INTERCONNECT u1/y u1/a (1)) (INTERCONNECT u1/a u1/y (1))))))
""")
lines, errors, code = orvex(CELLS, "sdfanno -typ %s -root /tb\nputs {-- after}\nrun 20 ns\n" % SDF)
after = lines.index("-- after") if "-- after" in lines else -1
warnings = [i for i, l in enumerate(lines) if "INTERCONNECT delays are not annotated" in l]
f.check(len(warnings) == 2 and all(lines[i].startswith("sdf-annotate:") and i < after for i in warnings),
        "SDF warning lines %r" % lines)
f.check("y=1 at 8000" in lines, "annotated delay: %r" % lines)
f.finish()
