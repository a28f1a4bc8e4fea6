"""The launcher end to end: batch exit statuses, Tcl buffers written on the way out, compiler
options and plusargs checked against plain iverilog and vvp, odd install and temporary paths."""
import os
import shutil
import subprocess
import unittest

from ptysession import Folder
from common import LAUNCHER, design_lines, orvex, plain_vvp, write

SIMPLE = """module simple;
  initial begin #5 $display("D: simple %0t", $time); end
endmodule
"""

# Everything the compiler options reach: an include folder, macros, a library folder, a library
# file, a parameter, min:typ:max delays, two tops and plusargs.
MAIN = """`include "greeting.vh"
module top;
  parameter P = 1;
  integer count;
  wire slow;
  reg a = 0;
  assign #(1:2:3) slow = a;
  from_folder f();
  from_file g();
  initial begin
    #1 a = 1;
    #10 $display("D: P=%0d GREETING=%0d slow at %0t", P, `GREETING, $time);
    if ($test$plusargs("verbose")) $display("D: verbose");
    if ($value$plusargs("count=%d", count)) $display("D: count=%0d", count);
  end
  always @(slow) $display("D: slow=%b at %0t", slow, $time);
endmodule
module other;
  initial #3 $display("D: other top");
endmodule
"""

SYSTEMVERILOG = """module sv_top;
  logic [3:0] value = 4'd3;
  always_comb if (value == 4'd3) $display("D: always_comb saw %0d", value);
  initial #1 $display("D: logic %0d", value);
endmodule
"""


class BatchStatus(unittest.TestCase):
    def test_exit_status_of_a_script_on_standard_input(self):
        cases = [
            ("run all\nquit\n", 0, None),
            ("run bogus\nrun all\nquit\n", 1, "Error in line 1 of standard input."),
            ("puts ok\nexpr {1/0}\n", 1, "Error in line 2 of standard input."),
            ("onerror {resume}\nrun bogus\nquit\n", 0, None),
            ("run bogus\nexit 3\n", 3, None),
            ("puts a\nproc f {} {\n error oops\n}\nf\nquit\n", 1, "Error in line 5 of standard input."),
        ]
        for script, status, message in cases:
            with self.subTest(script=script), Folder() as folder:
                done = orvex(folder, [write(folder, "simple.v", SIMPLE)], script)
                self.assertEqual(done.returncode, status, done.stdout + done.stderr)
                if message:
                    self.assertIn(message, done.stderr)
                self.assertEqual([n for n in os.listdir(folder) if n.startswith("orvex-")], [])

    def test_one_liners_given_with_do(self):
        fatal = SIMPLE.replace('$display("D: simple %0t", $time);', '$display("D: simple %0t", $time); #1 $fatal;')
        for name, text in (("simple.v", SIMPLE), ("fatal.v", fatal)):
            with self.subTest(design=name), Folder() as folder:
                path = write(folder, name, text)
                plain = plain_vvp(folder, [path])
                done = orvex(folder, ["-do", "run all; quit", path], "")
                self.assertEqual(done.returncode, plain.returncode, done.stdout + done.stderr)
                self.assertEqual(design_lines(done.stdout), design_lines(plain.stdout))
                self.assertTrue(design_lines(plain.stdout))
        with Folder() as folder:
            path = write(folder, "simple.v", SIMPLE)
            # A failing command ends the session with status 1 and says which and why; the
            # commands after it do not run.
            done = orvex(folder, ["-do", "puts first", "-do", "run 5 parsecs; puts never", path], "quit\n")
            self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
            self.assertIn("first", done.stdout)
            self.assertNotIn("never", done.stdout)
            self.assertRegex(done.stdout + done.stderr, r"parsecs")
            self.assertIn("Commands given on the command line encountered an error in line 2. "
                          "Simulator is exiting.", done.stdout + done.stderr)
            # Without quit among them, standard input follows, in batch semantics.
            done = orvex(folder, ["-do", "run 3 s", path], "puts [expr {1/0}]\nrun all\n")
            self.assertEqual(done.returncode, 1)
            self.assertEqual(design_lines(done.stdout), ["D: simple 5"])
            self.assertIn("Error in line 1 of standard input.", done.stderr)
            # A Tcl error says what it is too.
            done = orvex(folder, ["-do", "error boom"], "")
            self.assertEqual(done.returncode, 1)
            self.assertIn("boom\nCommands given on the command line encountered an error", done.stdout)
            done = orvex(folder, ["-do"], "")
            self.assertEqual(done.returncode, 2)
            self.assertIn("-do needs a value", done.stderr)

    def test_compile_error_shows_the_compiler_messages_and_exits_2(self):
        with Folder() as folder:
            path = write(folder, "broken.v", "module broken;\n  reg a\n  initial a = 1;\nendmodule\n")
            done = orvex(folder, [path], "quit\n")
            self.assertEqual(done.returncode, 2)
            self.assertIn(path + ":3: syntax error", done.stderr)

    def test_tcl_buffers_written_on_every_way_out(self):
        for ending in ("quit\n", "quit -f\n", "exit 0\n", ""):
            with self.subTest(ending=ending), Folder() as folder:
                script = ("set f [open kept.txt w]\nputs $f line-in-file\nputs -nonewline tail-text\n" + ending)
                done = orvex(folder, [write(folder, "simple.v", SIMPLE)], script)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertTrue(done.stdout.rstrip("\n").endswith("tail-text"), done.stdout)
                with open(os.path.join(folder, "kept.txt")) as f:
                    self.assertEqual(f.read(), "line-in-file\n")


class CompilerOptions(unittest.TestCase):
    def test_options_and_plusargs_match_iverilog_and_vvp(self):
        with Folder() as folder:
            write(folder, "inc/greeting.vh", "`ifndef GREETING\n`define GREETING 1\n`endif\n")
            write(folder, "lib/from_folder.v", "module from_folder; initial $display(\"D: from folder\"); endmodule\n")
            write(folder, "vlib.v", "module from_file; initial $display(\"D: from file\"); endmodule\n")
            write(folder, "main.v", MAIN)
            write(folder, "sources.f", "main.v\n")
            expected = plain_vvp(folder, ["-y", "lib", "-Y", ".v", "-l", "vlib.v", "-Iinc", "-DGREETING=5",
                                       "-Ptop.P=9", "-Tmax", "-Wall", "-s", "top", "-s", "other", "-f",
                                       "sources.f"], ["+verbose", "+count=7"]).stdout
            done = orvex(folder, ["-y", "lib", "+libext+.v", "-v", "vlib.v", "+incdir+inc",
                                  "+define+GREETING=5", "-P", "top.P=9", "-T", "max", "-Wall", "-s", "top",
                                  "-s", "other", "-f", "sources.f", "+verbose", "+count=7"], "run all\nquit\n")
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            self.assertEqual(design_lines(done.stdout), design_lines(expected))
            self.assertIn("D: count=7", done.stdout)
            self.assertIn("D: slow=1 at 4", done.stdout)  # the max delay of -T max

    def test_systemverilog_files_and_command_files(self):
        with Folder() as folder:
            write(folder, "top.sv", SYSTEMVERILOG)
            write(folder, "list.f", "top.sv\n")
            expected = plain_vvp(folder, ["-g2012", "top.sv"]).stdout
            for args in (["top.sv"], ["-c", "list.f", "-g2012"]):
                with self.subTest(args=args):
                    done = orvex(folder, args, "run all\nquit\n")
                    self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
                    self.assertEqual(design_lines(done.stdout), design_lines(expected))
                    self.assertTrue(design_lines(expected))

    def test_options_the_launcher_sets_itself_are_refused(self):
        with Folder() as folder:
            done = orvex(folder, ["-o", "x.vvp", write(folder, "simple.v", SIMPLE)], "")
            self.assertEqual(done.returncode, 2)
            self.assertIn("'-o'", done.stderr)

    def test_version(self):
        done = subprocess.run([LAUNCHER, "--version"], capture_output=True, text=True, timeout=30)
        self.assertEqual(done.returncode, 0)
        lines = done.stdout.splitlines()
        self.assertRegex(lines[0], r"^Orvex \d+\.\d+")
        self.assertRegex(lines[1], r"^Icarus Verilog engine: Icarus Verilog runtime version \d+")
        self.assertRegex(lines[2], r"^Tcl 8\.\d+\.\d+$")


class OddPaths(unittest.TestCase):
    def test_install_and_temporary_folders_with_blanks_and_shell_characters(self):
        build_lib = os.path.join(os.path.dirname(os.path.dirname(os.path.realpath(LAUNCHER))), "lib", "ivl")
        with Folder() as folder:
            home = os.path.join(folder, "my install $(touch HACKED); 'q'")
            shutil.copytree(build_lib, os.path.join(home, "lib", "ivl"), symlinks=True)
            tmp = os.path.join(folder, "tmp with blank $HOME")
            os.makedirs(tmp)
            source = write(folder, "odd name dir/simple.v", SIMPLE)
            done = orvex(folder, [source], "run all\nquit\n", env={"ORVEX_HOME": home, "TMPDIR": tmp})
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            self.assertEqual(design_lines(done.stdout), ["D: simple 5"])
            self.assertFalse(os.path.exists(os.path.join(folder, "HACKED")))
            self.assertEqual(os.listdir(tmp), [])


if __name__ == "__main__":
    unittest.main()
