"""What the Python tests share: a fresh folder of their own, the launcher run on a design with a
script on standard input, plain iverilog and vvp on the same design as the oracle, the design's
own lines of output, and a checker that reports every failed check at the end. Also the test
designs run with the engine's output requests (the outputs VPI module)."""
import atexit
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.environ.get("ORVEX_BUILD_DIR", os.path.join(HERE, "../../build"))
VPI_DIR = os.environ.get("ORVEX_TEST_VPI_DIR", os.path.join(BUILD, "lib", "test"))
LAUNCHER = os.environ.get("ORVEX_LAUNCHER") or os.path.join(BUILD, "bin", "orvex")
# A fresh folder of this test's own: tests run in parallel and must not share file names.
_BASE = os.environ.get("ORVEX_TEST_WORK")
if _BASE:
    os.makedirs(_BASE, exist_ok=True)
WORK = tempfile.mkdtemp(prefix="orvex-e2e-", dir=_BASE)
atexit.register(shutil.rmtree, WORK, True)


def work(name):
    return os.path.join(WORK, name)


def write(folder, name, text):
    """Writes a file (and the folders it lies in) inside `folder`; its path."""
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    return path


def launcher_env(folder, env=None):
    """The environment of a launcher run whose temporary, state and cache files stay in `folder`;
    a None in `env` removes that variable."""
    environment = dict(os.environ, TMPDIR=folder, XDG_STATE_HOME=folder,
                       XDG_CACHE_HOME=os.path.join(folder, "cache"))
    for key, value in (env or {}).items():
        if value is None:
            environment.pop(key, None)
        else:
            environment[key] = value
    return environment


def orvex(folder, args, script, env=None, timeout=120, **options):
    """The launcher run in `folder` without a log on `args`, `script` on its standard input."""
    options.setdefault("text", True)
    return subprocess.run([LAUNCHER, "-nolog"] + list(args), input=script, cwd=folder,
                          env=launcher_env(folder, env), capture_output=True, timeout=timeout, **options)


def plain_vvp(folder, compile_args, run_args=(), check=False):
    """The oracle: plain iverilog then plain vvp on the same design, run in `folder`."""
    compiled = os.path.join(folder, "oracle.vvp")
    subprocess.run(["iverilog", "-o", compiled] + list(compile_args), cwd=folder, check=True)
    return subprocess.run(["vvp", "-n", compiled] + list(run_args), cwd=folder, capture_output=True,
                          text=True, timeout=60, check=check)


def design_lines(text, prefix="D: "):
    """The lines the design itself printed (the tests' designs mark theirs)."""
    return [line for line in text.splitlines() if line.startswith(prefix)]


def compile_design(design, output, defines):
    args = ["iverilog", "-o", output]
    for key, value in defines.items():
        args.append("-D%s=%s" % (key, value))
    args.append(os.path.join(HERE, "designs", design))
    subprocess.run(args, check=True)


def run(vvp_file, engine=True):
    args = ["vvp", "-n"]
    if engine:
        args += ["-M", VPI_DIR, "-m", "orvex_outputs_test"]
    args.append(vvp_file)
    done = subprocess.run(args, check=True, capture_output=True, text=True)
    return done.stdout


def quoted(text):
    return '"%s"' % text


class Failures:
    def __init__(self):
        self.items = []

    def check(self, condition, message):
        """Notes a failed check; returns the condition, so that dependent checks can be skipped."""
        if not condition:
            self.items.append(message)
        return condition

    def finish(self):
        for item in self.items[:40]:
            print("FAIL:", item)
        if self.items:
            print("%d failure(s)" % len(self.items))
            sys.exit(1)
        print("ok")
