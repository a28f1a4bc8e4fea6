"""Shared helpers of the reliability scripts: a fresh folder per test, the launcher run on a
small design with a script on standard input, the engine processes of a session, and the
checks that nothing was left behind (processes, the launcher's temporary folder)."""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import common  # noqa: E402  (the shared checker of the script tests)
from procs import alive, command_line, engines  # noqa: E402


Failures = common.Failures
LAUNCHER = None

COUNTER = r"""
`timescale 1ns/1ns
module tb;
  reg clk = 0;
  reg [7:0] count = 0;
  reg [999999:0] wide = 0;
  always #5 clk = ~clk;
  always @(posedge clk) count <= count + 1;
  initial begin
    repeat (400) @(posedge clk);
  end
endmodule
"""

# A clock that runs for a very long simulated time.
ENDLESS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e", "designs", "endless.v")
write = common.write


def setup():
    """Takes the launcher from the command line; returns a fresh folder (removed at exit)."""
    global LAUNCHER
    if len(sys.argv) < 2:
        sys.exit("usage: %s path/to/orvex [options]" % sys.argv[0])
    LAUNCHER = os.path.abspath(sys.argv[1])
    folder = tempfile.TemporaryDirectory(prefix="orvex-rel-")
    setup.keep = folder  # removed when the interpreter ends
    return folder.name


class Session:
    """One launcher run in `folder`: orvex [options] design.v, its script on standard input."""

    def __init__(self, folder, design, options=(), env=None):
        self.folder = folder
        environment = dict(os.environ, XDG_CACHE_HOME=os.path.join(folder, "cache"))
        environment.update(env or {})
        self.process = subprocess.Popen(
            [LAUNCHER] + list(options) + [design], cwd=folder, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=environment,
            start_new_session=True)
        self.engines = set()
        self.workdir = None

    def send(self, text):
        self.process.stdin.write(text.encode())
        self.process.stdin.flush()

    def wait_engine(self, timeout=60):
        """Waits until the engine (vvp) runs; returns its pid and notes the work folder."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            for pid in engines(self.process.pid, deep=True):
                self.engines.add(pid)
                for word in command_line(pid):
                    if word.endswith(b"design.vvp"):
                        self.workdir = os.path.dirname(word.decode())
                return pid
            if self.process.poll() is not None:
                break
            time.sleep(0.05)
        raise AssertionError("the engine did not start")

    def engine_processes(self):
        """Every vvp of this session now (the engine and a restarted child)."""
        found = engines(self.process.pid, deep=True)
        self.engines.update(found)
        return found

    def finish(self, text="", timeout=120):
        """Sends the rest of the script, closes input, waits; returns (status, out, err)."""
        self.engine_processes()
        try:
            out, err = self.process.communicate(text.encode(), timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            out, err = self.process.communicate()
            raise AssertionError("the session did not end within %d s:\n%s\n%s" %
                                 (timeout, out.decode(errors="replace"), err.decode(errors="replace")))
        return self.process.returncode, out.decode(errors="replace"), err.decode(errors="replace")

    def leftovers(self):
        """What the ended session left behind: live engine processes, its work folder."""
        time.sleep(0.1)
        problems = ["engine process %d still runs" % p for p in sorted(self.engines) if alive(p)]
        if self.workdir and os.path.exists(self.workdir):
            problems.append("work folder %s was not removed" % self.workdir)
        return problems


def run(folder, design, script, options=(), env=None, timeout=120):
    """A whole session at once; returns (status, out, err, leftovers)."""
    session = Session(folder, design, options, env)
    session.wait_engine()
    status, out, err = session.finish(script, timeout)
    return status, out, err, session.leftovers()


def count(text, pattern):
    return len(re.findall(pattern, text))

