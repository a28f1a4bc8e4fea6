"""Driving `orvex -gui` and asking its GTKWave window back (through Tk's send, GTKWave's own Tcl
interpreter on the X display). Used by the window tests and the stop-to-window benchmark."""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import tkinter

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import common  # noqa: E402
import procs  # noqa: E402

# A window test runs long: each failed check is printed at once, and all again at the end.
_failures = common.Failures()
finish = _failures.finish


def check(condition, message):
    if not condition:
        print("FAIL:", message, flush=True)
    _failures.check(condition, message)


DESIGN = """
`timescale 1ns/1ps
module sub(input clk, output reg [7:0] cnt);
  initial cnt = 0;
  always @(posedge clk) cnt <= cnt + 1;
endmodule
module tb;
  reg clk = 0;
  reg [3:0] q = 0;
  always #5 clk = ~clk;
  always @(posedge clk) q <= q + 1;
  sub dut(.clk(clk), .cnt());
  initial #1000 $finish;
endmodule
"""


class Session:
    """One orvex -gui shell in a fresh folder; commands go in on standard input, and a sync line
    after each one tells when its output is complete."""

    def __init__(self, build, args=("-gui",), design=DESIGN, env=None):
        self.dir = tempfile.mkdtemp(prefix="orvex-gui-")
        # Apart from the design's folder, whose files the tests list.
        self.cache = tempfile.mkdtemp(prefix="orvex-gui-cache-")
        with open(os.path.join(self.dir, "tb.v"), "w") as f:
            f.write(design)
        self.proc = subprocess.Popen([os.path.join(build, "bin", "orvex"), "-nolog"] + list(args) + ["tb.v"],
                                     cwd=self.dir, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True,
                                     env=dict(env if env is not None else os.environ,
                                              XDG_CACHE_HOME=self.cache))
        self.lines = []
        self.cond = threading.Condition()
        self.errors = []
        threading.Thread(target=self._read, args=(self.proc.stdout, self.lines), daemon=True).start()
        threading.Thread(target=self._read, args=(self.proc.stderr, self.errors), daemon=True).start()
        self.count = 0
        self.tk = None
        self.started = self.do("")  # the start-up lines (time resolution)

    def _read(self, stream, into):
        for line in stream:
            with self.cond:
                into.append(line.rstrip("\n"))
                self.cond.notify_all()
        with self.cond:
            into.append(None)
            self.cond.notify_all()

    def do(self, command, timeout=60):
        """Runs a command; returns the lines it printed."""
        self.count += 1
        mark = "@@sync %d" % self.count
        start = len(self.lines)
        self.proc.stdin.write(command + "\nputs {%s}\n" % mark)
        self.proc.stdin.flush()
        deadline = time.time() + timeout
        with self.cond:
            while mark not in self.lines[start:]:
                if None in self.lines[start:] or time.time() > deadline:
                    raise RuntimeError("no answer to %r; output %r" % (command, self.lines[start:]))
                self.cond.wait(0.2)
            out = self.lines[start:self.lines.index(mark, start)]
        return out

    def finish(self, command="quit", timeout=30):
        try:
            self.proc.stdin.write(command + "\n")
            self.proc.stdin.close()
        except BrokenPipeError:
            pass
        return self.proc.wait(timeout)

    # ---- the window, asked back ----
    def viewer(self, timeout=30):
        if self.tk is None:
            self.tk = tkinter.Tk()
            self.tk.withdraw()
        deadline = time.time() + timeout
        while time.time() < deadline:
            names = [n for n in self.tk.tk.splitlist(self.tk.tk.call("winfo", "interps")) if n.startswith("gtkwave")]
            if names:
                return names[0]
            time.sleep(0.1)
        raise RuntimeError("no GTKWave window on the display")

    def ask(self, script):
        name = self.viewer()
        return str(self.tk.tk.call("send", name, script))

    def rows(self):
        """GTKWave's trace list: (name, flags) per row."""
        n = int(self.ask("gtkwave::getTotalNumTraces"))
        return [(str(self.ask("gtkwave::getTraceNameFromIndex %d" % i)),
                 int(self.ask("gtkwave::getTraceFlagsFromIndex %d" % i))) for i in range(n)]

    def displayed(self):
        text = self.ask("gtkwave::getDisplayedSignals")
        return list(self.tk.tk.splitlist(text))

    def wait_max_time(self, at_least, timeout=120):
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                if int(self.ask("gtkwave::getMaxTime")) >= at_least:
                    return True
            except tkinter.TclError:
                pass  # busy reloading
            time.sleep(0.02)
        return False

    def viewer_pids(self):
        return [p for p in procs.children(self.proc.pid)
                if os.path.basename((procs.command_line(p) or [b""])[0]).startswith(b"gtkwave")]

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)
        shutil.rmtree(self.cache, ignore_errors=True)
