"""A fuzzer over the whole command vocabulary: the commands and subcommands are read from the
shell's own `help`, so a new command is fuzzed as soon as it is registered. Random command lines
(real words, paths of the design, numbers, units, radixes and junk) are fed to sessions on a
small design for a bounded time. No session may crash or hang, and none may leave a process or
its work folder behind. Prints the number of lines fed.

  fuzz.py path/to/orvex [--seconds N] [--seed S]     (default: ORVEX_FUZZ_SECONDS or 120)"""
import os
import random
import re
import sys

import reliability as r

folder = r.setup()
failures = r.Failures()
seconds = float(os.environ.get("ORVEX_FUZZ_SECONDS", "120"))
seed = random.randrange(1 << 30)
args = sys.argv[2:]
for i, word in enumerate(args):
    if word == "--seconds":
        seconds = float(args[i + 1])
    elif word == "--seed":
        seed = int(args[i + 1])
random.seed(seed)
print("seed %d, %.0f s" % (seed, seconds))

design = r.write(folder, "fuzz.v", """`timescale 1ns/1ps
module sub(input wire [3:0] a, output reg [3:0] q);
  always @(a) q = a + 1;
endmodule
module tb;
  reg clk = 0;
  reg [7:0] count = 0;
  reg [63:0] wide = 64'hdead_beef_0123_4567;
  integer n = 3;
  real r = 1.5;
  reg [7:0] mem [0:15];
  wire [3:0] q;
  sub u1(.a(count[3:0]), .q(q));
  // A clock that stops: `run all` must come to an end.
  initial repeat (400) #5 clk = ~clk;
  always @(posedge clk) count <= count + 1;
endmodule
""")

# The vocabulary, from help: each top-level command and the words of its usage line.
status, out, err, left = r.run(folder, design, "help\n")
commands = sorted(set(re.findall(r"^\s*([a-z]+)\s", out, re.M)))
usage_words = {}
for name in commands:
    status, text, err, left = r.run(folder, design, "help %s\n" % name)
    usage_words[name] = sorted(set(w for w in re.findall(r"-?[a-z][a-z_]*", text) if len(w) < 20))
if not failures.check(len(commands) >= 20, "help lists only %d commands:\n%s" % (len(commands), out)):
    failures.finish()
print("%d commands from help: %s" % (len(commands), " ".join(commands)))

PATHS = ["/tb", "/tb/clk", "/tb/count", "/tb/wide", "/tb/n", "/tb/r", "/tb/mem", "/tb/mem[3]",
         "/tb/u1", "/tb/u1/q", "/tb/count[3:0]", "/tb/nope", "tb", "u1", "..", "/", "count"]
VALUES = ["0", "1", "-1", "42", "1e3", "2.5", "ff", "8'hff", "'b1x0z", "10", "ns", "ps", "us",
          "fs", "ms", "s", "all", "continue", "-radix", "hex", "dec", "bin", "oct", "ascii",
          "unsigned", "on", "off", "-r", "-l", "-m", "-n", "-o", "-scope", "-file", "-level",
          "fuzz.vcd", "fuzz.saif", "99999999999999999999999", "-", "--", "\"\"", "{}", "{a b}",
          "\"two words\"", "\\\\", "x" * 300, "\u00e9", "%s", "#", ";", "9" * 40]


def word():
    pick = random.random()
    if pick < 0.3:
        return random.choice(PATHS)
    if pick < 0.8:
        return random.choice(VALUES)
    return "".join(random.choice("abcxyz019-_/.:[]") for _ in range(random.randint(1, 8))).replace("[", "\\[").replace("]", "\\]")


def line():
    name = random.choice(commands)
    words = [name]
    for _ in range(random.randint(0, 5)):
        if usage_words[name] and random.random() < 0.5:
            words.append(random.choice(usage_words[name]))
        else:
            words.append(word())
    # Runs are kept short so that a session gets through many lines.
    if name == "run" and len(words) > 1 and words[1] not in ("all", "continue"):
        words = ["run", str(random.randint(0, 50)), random.choice(["ns", "ps", ""])]
    return " ".join(w for w in words if w)


import time
deadline = time.time() + seconds
fed = 0
sessions = 0
while time.time() < deadline:
    script = [line() for _ in range(200)]
    session = r.Session(folder, design, ["-log", "fuzz.log"])
    session.wait_engine()
    try:
        status, out, err = session.finish("\n".join(script) + "\n", timeout=120)
    except AssertionError as e:
        failures.check(False, "session %d (seed %d) hung: %s\nscript:\n%s" %
                       (sessions + 1, seed, str(e)[-1500:], "\n".join(script)))
        break
    sessions += 1
    fed += len(script)
    failures.check(0 <= status < 128 and "Segmentation" not in err and "Assertion" not in err
                   and "AddressSanitizer" not in err and "runtime error" not in err,
                   "session %d ended with status %d:\n%s\nscript:\n%s" %
                   (sessions, status, err[-1500:], "\n".join(script)))
    failures.check(not session.leftovers(), "session %d: %s" % (sessions, session.leftovers()))
    if failures.items:
        break
    for name in os.listdir(folder):  # what the fuzzed commands wrote is not kept
        if name.startswith(("fuzz.vcd", "fuzz.saif", "dump.vcd", "zantel")) or name.endswith(".log"):
            os.remove(os.path.join(folder, name))
print("fuzzed %d command lines in %d sessions" % (fed, sessions))
failures.finish()
