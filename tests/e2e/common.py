"""Compiling and running the test designs with the engine's output requests."""
import atexit
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
VPI_DIR = os.environ.get("ORVEX_TEST_VPI_DIR", os.path.join(HERE, "../../build/lib/test"))
# A fresh folder of this test's own: tests run in parallel and must not share file names.
_BASE = os.environ.get("ORVEX_TEST_WORK")
if _BASE:
    os.makedirs(_BASE, exist_ok=True)
WORK = tempfile.mkdtemp(prefix="orvex-e2e-", dir=_BASE)
atexit.register(shutil.rmtree, WORK, True)


def work(name):
    return os.path.join(WORK, name)


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
        if not condition:
            self.items.append(message)

    def finish(self):
        for item in self.items[:40]:
            print("FAIL:", item)
        if self.items:
            print("%d failure(s)" % len(self.items))
            sys.exit(1)
        print("ok")
