"""The compile cache through the launcher: an unchanged design is not compiled again (the
compiler is a logging wrapper first on PATH), edits to included files and other macros compile
anew, failures are never kept, the bypass switches work, sessions starting together both succeed,
and the output always equals plain iverilog and vvp."""
import os
import subprocess
import unittest

from ptysession import Folder
from common import LAUNCHER, design_lines, launcher_env, plain_vvp, write

TOP = """`include "width.vh"
module top;
  wire [7:0] wide = 8'hA5;
  narrow n(wide);
  initial #2 $display("D: width %0d, label %0d", `WIDTH, `LABEL);
endmodule
module narrow(input [3:0] x);
  initial #1 $display("D: narrow sees %h", x);
endmodule
"""
# The port of narrow is 4 bits wide and gets 8: a compiler warning, shown again on a cache hit.
WARNING = "Port 1 (x) of narrow expects 4 bits, got 8."


class CacheFolder:
    """A design folder with its own cache, temporary folder and logging compiler."""

    def __init__(self, folder):
        self.folder = folder
        self.cache = os.path.join(folder, "cache")
        self.log = os.path.join(folder, "compiler.log")
        real = subprocess.run(["sh", "-c", "command -v iverilog"], capture_output=True, text=True).stdout.strip()
        wrapper = write(folder, "bin/iverilog", '#!/bin/sh\necho "$*" >> %s\nexec %s "$@"\n' % (self.log, real))
        os.chmod(wrapper, 0o755)
        self.env = {"PATH": os.path.dirname(wrapper) + os.pathsep + os.environ["PATH"],
                    "ORVEX_COMPILE_CACHE": None, "ORVEX_COMPILE_CACHE_MB": None}
        write(folder, "width.vh", "`define WIDTH 4\n")
        write(folder, "top.v", TOP)

    def start(self, args, env=None, wait=True):
        process = subprocess.Popen([LAUNCHER, "-nolog"] + args, cwd=self.folder, text=True,
                                   env=launcher_env(self.folder, dict(self.env, **(env or {}))),
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if not wait:
            return process
        return self.finish(process)

    @staticmethod
    def finish(process):
        out, err = process.communicate("run all\nquit\n", timeout=120)
        return process.returncode, out, err

    def compiles(self):
        """How many design compiles (engine and side file) the launchers ran so far."""
        if not os.path.exists(self.log):
            return 0
        with open(self.log) as f:
            return sum(1 for line in f if line.strip())

    def entries(self):
        folder = os.path.join(self.cache, "orvex", "compile")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


class CompileCache(unittest.TestCase):
    def run_ok(self, case, args, env=None):
        status, out, err = case.start(args, env)
        self.assertEqual(status, 0, out + err)
        return out, err

    def test_unchanged_design_is_not_compiled_again_and_matches_vvp(self):
        with Folder() as folder:
            case = CacheFolder(folder)
            args = ["+define+LABEL=1", "top.v"]
            expected = design_lines(plain_vvp(folder, ["-DLABEL=1", "top.v"]).stdout)
            out, err = self.run_ok(case, args)
            self.assertEqual(case.compiles(), 2)  # the engine's design and the side file
            self.assertEqual(design_lines(out), expected)
            self.assertIn(WARNING, out + err)
            [entry] = case.entries()
            entry_files = os.path.join(case.cache, "orvex", "compile", entry, "design.vvp")
            stamp = os.stat(entry_files).st_mtime_ns

            out, err = self.run_ok(case, args)
            self.assertEqual(case.compiles(), 2, "the second start compiled")
            self.assertEqual(design_lines(out), expected)
            self.assertIn(WARNING, out + err, "the compiler's warnings are shown again")
            self.assertEqual(os.stat(entry_files).st_mtime_ns, stamp)
            # The side file is kept too: declaration places and net connections need it.
            self.assertIn("design.odb", os.listdir(os.path.dirname(entry_files)))

    def test_included_file_macros_and_command_files_invalidate(self):
        with Folder() as folder:
            case = CacheFolder(folder)
            self.run_ok(case, ["+define+LABEL=1", "top.v"])
            self.assertEqual(case.compiles(), 2)

            write(folder, "width.vh", "`define WIDTH 6\n")
            out, _ = self.run_ok(case, ["+define+LABEL=1", "top.v"])
            self.assertEqual(case.compiles(), 4, "an edited included file was not noticed")
            self.assertIn("D: width 6, label 1", out)

            out, _ = self.run_ok(case, ["+define+LABEL=2", "top.v"])
            self.assertEqual(case.compiles(), 6, "another macro value was not noticed")
            self.assertIn("D: width 6, label 2", out)
            # Going back to the first value finds its compile kept beside the second.
            out, _ = self.run_ok(case, ["+define+LABEL=1", "top.v"])
            self.assertEqual(case.compiles(), 6)
            self.assertIn("D: width 6, label 1", out)

            # A command file's contents count, not only its name.
            write(folder, "opts.f", "+define+LABEL=3\ntop.v\n")
            out, _ = self.run_ok(case, ["-f", "opts.f"])
            self.assertIn("D: width 6, label 3", out)
            write(folder, "opts.f", "+define+LABEL=4\ntop.v\n")
            out, _ = self.run_ok(case, ["-f", "opts.f"])
            self.assertIn("D: width 6, label 4", out)
            self.assertEqual(case.compiles(), 10)

    def test_failed_compiles_are_never_kept(self):
        with Folder() as folder:
            case = CacheFolder(folder)
            write(folder, "broken.v", "module broken;\n  reg a\nendmodule\n")
            for _ in range(2):
                status, _, err = case.start(["broken.v"])
                self.assertEqual(status, 2)
                self.assertIn("syntax error", err)
            self.assertEqual(case.entries(), [])
            self.assertGreaterEqual(case.compiles(), 2)
            # Mended, it compiles and is kept.
            write(folder, "broken.v", "module broken;\n  reg a;\nendmodule\n")
            self.run_ok(case, ["broken.v"])
            self.assertEqual(len(case.entries()), 1)

    def test_bypass_switches_compile_every_time_and_keep_nothing(self):
        with Folder() as folder:
            case = CacheFolder(folder)
            args = ["+define+LABEL=1", "top.v"]
            for extra, env in ((["-nocache"], None), ([], {"ORVEX_COMPILE_CACHE": "off"})):
                before = case.compiles()
                for _ in range(2):
                    out, _ = self.run_ok(case, extra + args, env)
                    self.assertIn("D: width 4, label 1", out)
                self.assertEqual(case.compiles(), before + 4)
                self.assertEqual(case.entries(), [])

    def test_sessions_starting_together_both_succeed(self):
        with Folder() as folder:
            case = CacheFolder(folder)
            args = ["+define+LABEL=1", "top.v"]
            expected = design_lines(plain_vvp(folder, ["-DLABEL=1", "top.v"]).stdout)
            for _ in range(2):
                processes = [case.start(args, wait=False) for _ in range(3)]
                for process in processes:
                    status, out, err = case.finish(process)
                    self.assertEqual(status, 0, out + err)
                    self.assertEqual(design_lines(out), expected)
            self.assertEqual(len(case.entries()), 1)  # no half-made entry left behind
            before = case.compiles()
            self.run_ok(case, args)
            self.assertEqual(case.compiles(), before)

    def test_size_limit_drops_the_oldest(self):
        with Folder() as folder:
            case = CacheFolder(folder)
            small = {"ORVEX_COMPILE_CACHE_MB": "0"}
            self.run_ok(case, ["+define+LABEL=1", "top.v"], small)
            self.run_ok(case, ["+define+LABEL=2", "top.v"], small)
            self.assertEqual(len(case.entries()), 1)  # the newest stays, whatever the limit
            before = case.compiles()
            self.run_ok(case, ["+define+LABEL=2", "top.v"], small)
            self.assertEqual(case.compiles(), before)
            self.run_ok(case, ["+define+LABEL=1", "top.v"], small)
            self.assertEqual(case.compiles(), before + 2)


if __name__ == "__main__":
    unittest.main()
