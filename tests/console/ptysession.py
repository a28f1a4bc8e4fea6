"""The launcher on a real pseudo-terminal: start it, type, read the screen text, wait for it."""
import os
import pty
import re
import select
import signal
import subprocess
import sys
import tempfile
import termios
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import common  # noqa: E402
import procs  # noqa: E402

LAUNCHER = common.LAUNCHER
PROMPT = "Orvex> "
design = common.write


class Session:
    """One launcher process whose standard streams are the slave side of a fresh pty."""

    def __init__(self, args, folder, env=None):
        self.folder = folder
        self.master, slave = pty.openpty()
        # Known, ordinary terminal modes: what the launcher must leave behind.
        self.found = termios.tcgetattr(self.master)
        environment = dict(os.environ)
        environment.update({"XDG_STATE_HOME": os.path.join(folder, "state"),
                            "XDG_CACHE_HOME": os.path.join(folder, "cache"),
                            "TMPDIR": os.path.join(folder, "tmp"), "TERM": "xterm"})
        environment.pop("ORVEX_HISTFILE", None)
        environment.update(env or {})
        os.makedirs(environment["TMPDIR"], exist_ok=True)
        self.tmp = environment["TMPDIR"]
        self.proc = subprocess.Popen([LAUNCHER, "-nolog"] + args, cwd=folder, env=environment,
                                     stdin=slave, stdout=slave, stderr=slave,
                                     start_new_session=True,
                                     preexec_fn=lambda: __import__("fcntl").ioctl(
                                         0, termios.TIOCSCTTY, 0))
        os.close(slave)
        self.text = ""

    def read(self, timeout=0.1):
        end = time.monotonic() + timeout
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return
            ready, _, _ = select.select([self.master], [], [], left)
            if not ready:
                return
            try:
                data = os.read(self.master, 65536)
            except OSError:
                return
            if not data:
                return
            self.text += data.decode("utf-8", "replace")

    def wait_for(self, pattern, timeout=20, start=0):
        """Reads until `pattern` (a regular expression) appears after `start`; its match."""
        end = time.monotonic() + timeout
        while True:
            found = re.search(pattern, self.text[start:])
            if found:
                return found
            if time.monotonic() > end:
                raise AssertionError("no %r within %ss; screen text:\n%s" % (pattern, timeout, self.text))
            self.read(0.05)

    def prompts(self, start=0):
        return self.text.count(PROMPT, start)

    def wait_prompts(self, count, timeout=20):
        end = time.monotonic() + timeout
        while self.prompts() < count:
            if time.monotonic() > end:
                raise AssertionError("%d prompts expected; screen text:\n%s" % (count, self.text))
            self.read(0.05)

    def type(self, keys):
        os.write(self.master, keys.encode())

    def command(self, line, timeout=30):
        """Types a line and waits for the prompt after it; the text between them."""
        before = self.prompts()
        start = len(self.text)
        self.type(line + "\r")
        self.wait_prompts(before + 1, timeout)
        return self.text[start:]

    def finish(self, timeout=20):
        """Waits for the process to end, reading what it writes; its return code."""
        end = time.monotonic() + timeout
        while self.proc.poll() is None:
            if time.monotonic() > end:
                self.proc.kill()
                raise AssertionError("the launcher did not end; screen text:\n%s" % self.text)
            self.read(0.02)
        self.read(0.1)
        return self.proc.returncode

    def modes(self):
        return termios.tcgetattr(self.master)

    def leftovers(self):
        return [n for n in os.listdir(self.tmp) if n.startswith("orvex-")]

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        os.close(self.master)


def engine_pids(launcher_pid):
    """The engine processes (vvp) started by the launcher."""
    return procs.engines(launcher_pid)


class Folder:
    def __enter__(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="orvex-console-")
        return self.tmp.name

    def __exit__(self, *exc):
        self.tmp.cleanup()


def ended_by(code):
    """The signal a negative Popen return code stands for."""
    return signal.Signals(-code).name if code < 0 else None
