#!/usr/bin/env python3
"""The cost of debugging features against plain vvp on four designs (not a test; not run in CI).

For each design in bench/designs (busy, lanes, feistel, proc) and each mode:
  plain      vvp on the design compiled without the engine
  fileline   vvp on the design compiled with -pfileline=1, no engine
  run-all    the launcher: `run all`
  bp         the launcher: one breakpoint armed on a line never reached, `run all`
  ltrace     the launcher: `orvex ltrace on`, `run all` (every statement reported)
  step       the launcher: 200 `step`s, then `run all` (what stepping leaves behind; the steps
             themselves are in the fixed extra)
  vcd        the launcher: `vcd dumpvars` of everything, `run all`
  dumpvars   vvp on the design dumping itself with $dumpvars (the yardstick for vcd)
  saif       the launcher: `saif open -allnets`, `run all`
it prints the instruction ratio to plain (callgrind, the repeatable figure: the difference between
a run and one of half its length, so the fixed start-up cost is left out and shown apart) and
the paired time ratio (processor time of the simulation process alone, plain and the mode run in
turn, median of the pairs). For VCD it prints our extra cost over vvp's own $dumpvars extra cost. Start-up is the
launcher to its first prompt and out again, timed by farm-bench: `start-up` compiles (-nocache, the
two compiles side by side), `cached start-up` finds the design in the compile cache.

usage: bench/matrix.py [--build DIR] [--scale PCT] [--cg-scale PCT] [--pairs N]
                       [--no-callgrind] [--no-timing] [--pin] [--marginal-time] [--modes m1,m2]
                       [design ...]
The scales are percentages of each design's CYCLES (its 2-5 s run on the development machine).
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DESIGNS = ["busy", "lanes", "feistel", "proc"]
MODES = ["fileline", "run-all", "bp", "ltrace", "step", "vcd", "dumpvars", "saif"]
LAUNCHER_MODES = {"run-all", "bp", "ltrace", "step", "vcd", "saif"}
STEPS = 200


def design_file(name):
    return os.path.join(HERE, "designs", name + ".v")


def cycles(name):
    with open(design_file(name)) as f:
        return int(re.search(r"`define CYCLES (\d+)", f.read()).group(1))


def never_line(name):
    with open(design_file(name)) as f:
        for number, line in enumerate(f, 1):
            if line.rstrip().endswith("// never"):
                return number
    raise SystemExit("%s has no line marked // never" % name)


def script(mode, name, work):
    lines = []
    if mode == "bp":
        lines.append("bp add %s.v %d" % (name, never_line(name)))
    elif mode == "ltrace":
        lines.append("orvex ltrace on")
    elif mode == "step":
        lines.append("for {set i 0} {$i < %d} {incr i} {step}" % STEPS)
    elif mode == "vcd":
        lines += ["vcd dumpfile %s/mine.vcd" % work, "vcd dumpvars -m /%s -l 0" % name]
    elif mode == "saif":
        lines.append("saif open -scope /%s -file %s/run.saif -allnets" % (name, work))
    lines.append("run all")
    if mode == "saif":
        lines.append("saif close")
    lines.append("quit")
    path = os.path.join(work, mode + ".tcl")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


class Bench:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.launcher = os.path.join(args.build, "bin", "orvex")
        self.real_vvp = shutil.which("vvp")
        # A `vvp` first on PATH, so the launcher's engine process is measured alone.
        self.wrap_dir = os.path.join(work, "wrap")
        os.makedirs(self.wrap_dir)
        self.wrapper = os.path.join(self.wrap_dir, "vvp")
        with open(self.wrapper, "w") as f:
            f.write('#!/bin/sh\nexec $ORVEX_BENCH_PREFIX %s "$@"\n' % self.real_vvp)
        os.chmod(self.wrapper, 0o755)

    def compile(self, name, count, extra, out):
        args = ["iverilog", "-DCYCLES=%d" % count, "-o", out] + extra + [design_file(name)]
        subprocess.run(args, check=True)
        return out

    def command(self, mode, name, count, dir):
        """The command line and environment of one run of `mode`."""
        if mode == "plain":
            return [self.real_vvp, "-n", self.compile(name, count, [], dir + "/plain.vvp")]
        if mode == "fileline":
            return [self.real_vvp, "-n", self.compile(name, count, ["-pfileline=1"], dir + "/fileline.vvp")]
        if mode == "dumpvars":
            dump = '-DDUMPFILE="%s/vvp.vcd"' % dir
            return [self.real_vvp, "-n", self.compile(name, count, [dump], dir + "/dumpvars.vvp")]
        # The launcher compiles the design itself; the design is copied so its CYCLES is set.
        source = os.path.join(dir, name + ".v")
        with open(design_file(name)) as f:
            text = f.read()
        with open(source, "w") as f:
            f.write(re.sub(r"`define CYCLES \d+", "`define CYCLES %d" % count, text))
        return [self.launcher, "-nolog", "-tclbatch", script(mode, name, dir), source]

    def measure(self, cmd, prefix):
        """Runs once; the simulation process's seconds (wall) and the output."""
        env = dict(os.environ)
        env["PATH"] = self.wrap_dir + os.pathsep + env["PATH"]
        env["ORVEX_BENCH_PREFIX"] = prefix
        env.setdefault("XDG_CACHE_HOME", os.path.join(self.work, "cache"))
        start = time.monotonic()
        done = subprocess.run(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                              stdin=subprocess.DEVNULL, text=True)
        whole = time.monotonic() - start
        if done.returncode != 0:
            print("  failed (%d): %s\n%s" % (done.returncode, " ".join(cmd), done.stderr[-2000:]), file=sys.stderr)
        return whole

    def seconds(self, cmd, timing_log):
        """The simulation process's processor time (user and system, with the serving child it
        waits for), timed by cputime.py around vvp itself: on a shared machine wall time
        mostly measures the other processes."""
        if os.path.exists(timing_log):
            os.remove(timing_log)
        # Pinned, the simulation process keeps one processor to itself and the launcher the
        # other: unpinned, plain runs of one design varied by up to 1.7x on an idle machine.
        pin = ["taskset", "-c", "1"] if self.args.pin else []
        prefix = " ".join(pin + [sys.executable, os.path.join(HERE, "cputime.py"), timing_log])
        if cmd[0] == self.real_vvp:
            cmd = prefix.split() + cmd
            prefix = ""
        elif self.args.pin:
            cmd = ["taskset", "-c", "0"] + cmd
        self.measure(cmd, prefix)
        with open(timing_log) as f:
            # The engine forks a serving child; the process timed is the one vvp started as.
            user, system = f.read().split()[-1].split("+")
            return float(user) + float(system)

    def instructions(self, cmd, dir):
        out = os.path.join(dir, "cg")
        for old in os.listdir(dir):
            if old.startswith("cg."):
                os.remove(os.path.join(dir, old))
        prefix = "valgrind --tool=callgrind --callgrind-out-file=%s.%%p" % out
        if cmd[0] == self.real_vvp:
            cmd = prefix.split() + cmd
            prefix = ""
        self.measure(cmd, prefix)
        # The engine's serving child is forked after start-up and its counts carry on from the
        # parent's; the parent only waits after the fork. So the largest count is the whole run.
        total = 0
        for name in os.listdir(dir):
            if name.startswith("cg."):
                with open(os.path.join(dir, name)) as f:
                    for line in f:
                        if line.startswith("summary:") or line.startswith("totals:"):
                            total = max(total, int(line.split()[1]))
                            break
        return total


def ratio_text(value):
    return "%.3f" % value if value is not None else "-"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--scale", type=float, default=25.0)
    parser.add_argument("--cg-scale", type=float, default=4.0)
    parser.add_argument("--pairs", type=int, default=3)
    parser.add_argument("--no-callgrind", action="store_true")
    parser.add_argument("--no-timing", action="store_true")
    parser.add_argument("--no-startup", action="store_true")
    parser.add_argument("--pin", action="store_true",
                        help="time the simulation process on processor 1 and the launcher on processor 0")
    parser.add_argument("--marginal-time", action="store_true",
                        help="time each run and one of half its length, and give the ratio of the differences"
                             " (the fixed start-up left out, as for instructions) and the fixed extra seconds")
    parser.add_argument("--modes", default=",".join(MODES))
    parser.add_argument("designs", nargs="*", default=DESIGNS)
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    modes = args.modes.split(",")
    work = tempfile.mkdtemp(prefix="orvex-bench-")
    bench = Bench(args, work)
    results = {}  # (kind, mode, design) -> ratio
    try:
        for name in args.designs:
            dir = os.path.join(work, name)
            os.makedirs(dir)
            if not args.no_callgrind:
                # Two lengths of run: the difference is the cost of simulating, without the fixed
                # start-up (the launcher reads the design hierarchy once, whatever the run length).
                long_count = max(2, int(cycles(name) * args.cg_scale / 100))
                short_count = long_count // 2
                counts = {}
                for mode in ["plain"] + modes:
                    counts[mode] = [bench.instructions(bench.command(mode, name, c, dir), dir)
                                    for c in (short_count, long_count)]
                base = counts["plain"][1] - counts["plain"][0]
                for mode in modes:
                    marginal = (counts[mode][1] - counts[mode][0]) / base
                    fixed = (counts[mode][1] - counts["plain"][1]) - (marginal - 1) * counts["plain"][1]
                    results[("instr", mode, name)] = marginal
                    print("%-8s %-9s instructions %d (%.3f of plain); per cycle %.3f, fixed extra %d"
                          % (name, mode, counts[mode][1], counts[mode][1] / counts["plain"][1], marginal, fixed),
                          flush=True)
                if "vcd" in modes and "dumpvars" in modes and results[("instr", "dumpvars", name)] > 1:
                    results[("instr", "vcd/dumpvars", name)] = \
                        (results[("instr", "vcd", name)] - 1) / (results[("instr", "dumpvars", name)] - 1)
            if not args.no_timing:
                count = max(1, int(cycles(name) * args.scale / 100))
                log = os.path.join(dir, "time.log")
                plain_cmd = bench.command("plain", name, count, dir)
                extra = {}
                for mode in modes:
                    cmd = bench.command(mode, name, count, dir)
                    if args.marginal_time:
                        # The commands of the half-length runs overwrite the full-length ones' files,
                        # so each pair compiles its two lengths again (outside the timed process).
                        quads = []
                        for _ in range(args.pairs):
                            runs = []
                            for c in (count, count // 2):
                                runs.append(bench.seconds(bench.command("plain", name, c, dir), log))
                                runs.append(bench.seconds(bench.command(mode, name, c, dir), log))
                            quads.append(runs)
                        r = statistics.median((m - ms) / (p - ps) for p, m, ps, ms in quads)
                        fixed = statistics.median(m - p - (r - 1) * p for p, m, _, _ in quads)
                        extra[mode] = statistics.median(m - p for p, m, _, _ in quads)
                        results[("time", mode, name)] = r
                        print("%-8s %-9s seconds %.3f vs %.3f, half length %.3f vs %.3f: per cycle %.3f, fixed extra %.3f s"
                              % ((name, mode) + tuple(quads[-1][i] for i in (1, 0, 3, 2)) + (r, fixed)), flush=True)
                        continue
                    pairs = []
                    for _ in range(args.pairs):
                        p = bench.seconds(plain_cmd, log)
                        m = bench.seconds(cmd, log)
                        pairs.append((p, m))
                    r = statistics.median(m / p for p, m in pairs)
                    extra[mode] = statistics.median(m - p for p, m in pairs)
                    results[("time", mode, name)] = r
                    print("%-8s %-9s seconds %.2f vs %.2f (%.3f)" % (name, mode, pairs[-1][1], pairs[-1][0], r), flush=True)
                if "vcd" in extra and extra.get("dumpvars", 0) > 0:
                    results[("time", "vcd/dumpvars", name)] = extra["vcd"] / extra["dumpvars"]
            if not args.no_startup:
                startup(bench, name, dir, results)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    table(results, args.designs, modes)


def startup(bench, name, dir, results):
    """The launcher to its first prompt and out (farm-bench, wall seconds, median of 5): compiling
    (-nocache), and with the design in the compile cache (farm-bench's warm-up run fills it)."""
    farm = shutil.which("farm-bench")
    if not farm:
        return
    source = os.path.join(dir, name + "_start.v")
    shutil.copy(design_file(name), source)
    quit_script = os.path.join(dir, "quit.tcl")
    with open(quit_script, "w") as f:
        f.write("quit\n")
    env = dict(os.environ, XDG_CACHE_HOME=os.path.join(dir, "startup-cache"))
    env.pop("ORVEX_COMPILE_CACHE", None)
    for mode, extra in (("start-up", "-nocache "), ("cached start-up", "")):
        inner = "exec %s -nolog %s-tclbatch %s %s" % (bench.launcher, extra, quit_script, source)
        done = subprocess.run([farm, "-n", "5", "--", "sh", "-c", inner], capture_output=True, text=True, env=env)
        wall = re.search(r"A wall s\s+([\d.]+)\s+([\d.]+)", done.stdout)
        median = float(wall.group(2)) if wall else None
        results[("secs", mode, name)] = median
        print("%-8s %-9s seconds (median) %s" % (name, mode, ratio_text(median)), flush=True)


def table(results, designs, modes):
    print()
    print("| ratio to plain vvp | " + " | ".join(designs) + " |")
    print("|---|" + "---|" * len(designs))
    rows = [(k, m) for k in ("instr", "time") for m in modes + ["vcd/dumpvars"]]
    rows += [("secs", "start-up"), ("secs", "cached start-up")]
    for kind, mode in rows:
        values = [results.get((kind, mode, d)) for d in designs]
        if all(v is None for v in values):
            continue
        label = {"instr": "instructions", "time": "time", "secs": "seconds"}[kind]
        if mode == "vcd/dumpvars":
            label += ", VCD extra / $dumpvars extra"
        print("| %s %s | " % (mode if mode != "vcd/dumpvars" else "", label) + " | ".join(ratio_text(v) for v in values) + " |")


if __name__ == "__main__":
    main()
