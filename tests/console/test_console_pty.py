"""The interactive console on a real pseudo-terminal: the terminal after every way out, the prompt
after each command's output, Ctrl-C, completion and history (ORVEX_LAUNCHER names the launcher)."""
import os
import pty
import re
import signal
import subprocess
import threading
import time
import unittest

from ptysession import PROMPT, Folder, Session, design, ended_by, engine_pids

# A clock that runs for a very long simulated time.
ENDLESS = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e", "designs", "endless.v")).read()

# Generate scopes and a memory, for completion from the design data.
HIERARCHY = """`timescale 1ns/1ns
module inverter(input wire a, output wire y);
  assign y = ~a;
endmodule
module top;
  reg [7:0] memory [0:3];
  reg stimulus = 0;
  wire [1:0] outs;
  genvar g;
  generate for (g = 0; g < 2; g = g + 1) begin : lane
    inverter unit(.a(stimulus), .y(outs[g]));
  end endgenerate
  // Icarus keeps only the memories a design uses.
  initial begin memory[1] = 8'h5a; #10 $display("done"); end
endmodule
"""


class WaysOut(unittest.TestCase):
    """Every way out leaves the terminal's modes as found and removes the work folder."""

    def leave(self, how, folder):
        with Session([design(folder, "endless.v", ENDLESS)], folder) as s:
            s.wait_prompts(1)
            # Text Tcl still buffers is written whichever way the session ends.
            s.command("set f [open kept.txt w]; puts $f buffered; puts -nonewline tail-text")
            started = time.monotonic()
            if how == "quit":
                s.type("quit\r")
            elif how == "quit -f":
                s.type("quit -f\r")
            elif how == "exit 3":
                s.type("exit 3\r")
            elif how == "end of input":
                s.type("\x04")
            elif how == "engine dies":
                for pid in engine_pids(s.proc.pid):
                    os.kill(pid, signal.SIGKILL)
                s.wait_for("terminated in an unexpected manner")
                s.type("quit\r")
            elif how == "Ctrl-\\":
                s.type("\x1c")
            else:
                s.proc.send_signal(how)
            code = s.finish()
            seconds = time.monotonic() - started
            return s, code, seconds, s.modes()

    def test_terminal_and_work_folder_after_every_way_out(self):
        expected = {"quit": 0, "quit -f": 0, "exit 3": 3, "end of input": 0,
                    # A session that lost its engine did not do all it was asked: status 1.
                    "engine dies": 1,
                    "Ctrl-\\": 128 + signal.SIGQUIT, signal.SIGTERM: -signal.SIGTERM,
                    signal.SIGHUP: -signal.SIGHUP}
        for how, status in expected.items():
            with self.subTest(how=how), Folder() as folder:
                s, code, seconds, modes = self.leave(how, folder)
                self.assertEqual(code, status, s.text)
                self.assertEqual(modes, s.found, "terminal modes changed")
                self.assertEqual(s.leftovers(), [], "work folder left behind")
                with open(os.path.join(folder, "kept.txt")) as f:
                    self.assertEqual(f.read(), "buffered\n")
                self.assertLess(seconds, 3.0)
                if how == "quit":
                    print("quit took %.3f s" % seconds)
                    self.assertLess(seconds, 0.5)

    def test_closed_standard_output_ends_the_session(self):
        with Folder() as folder:
            path = design(folder, "endless.v", ENDLESS)
            env = dict(os.environ, TMPDIR=folder, XDG_STATE_HOME=folder, XDG_CACHE_HOME=folder + "/cache")
            # Standard input stays open (a pipe nobody writes), as at a terminal.
            proc = subprocess.Popen("%s -nolog %s | head -c 5" % (os.environ["ORVEX_LAUNCHER"], path),
                                    shell=True, cwd=folder, env=env, stdin=subprocess.PIPE,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            time.sleep(1)
            proc.stdin.write(b"puts [string repeat x 100000]\n")
            proc.stdin.flush()
            out, _ = proc.communicate(timeout=15)
            self.assertEqual(out, b"Time ")
            self.assertEqual([n for n in os.listdir(folder) if n.startswith("orvex-")], [])


class Prompt(unittest.TestCase):
    def test_one_prompt_after_the_whole_output(self):
        with Folder() as folder, Session([design(folder, "endless.v", ENDLESS)], folder) as s:
            s.wait_prompts(1)
            # A Tcl loop whose output comes slowly, then a long simulation run.
            text = s.command("for {set i 0} {$i < 3} {incr i} {puts line$i; after 400}")
            self.assertRegex(text, r"line0\r\nline1\r\nline2\r\n" + re.escape(PROMPT) + "$")
            # A long simulation run: one prompt, right after the run's last line.
            start = len(s.text)
            began = time.monotonic()
            s.type("run 3000000 ns; puts run-ended\r")
            # On a slow machine the run's progress line is erased just before it.
            s.wait_for(r"(\n|\x1b\[K)run-ended\r\n", timeout=120, start=start)
            ended = time.monotonic()
            s.wait_prompts(3, timeout=10)
            latency = time.monotonic() - ended
            self.assertEqual(s.prompts(start), 1)
            self.assertIn("ticks", s.command("show value ticks"))
            print("run of %.1f s: prompt %.3f s after its last line" % (ended - began, latency))
            # The prompt never comes before a command's output, and never twice.
            for i in range(5):
                self.assertRegex(s.command("puts n%d" % i), r"n%d\r\n%s$" % (i, re.escape(PROMPT)))
            self.assertEqual(s.prompts(), 9)
            s.type("quit\r")
            s.finish()


# A design that waits, in the middle of a run, for lines the test writes into a named pipe: the run
# lasts exactly as long as the test wants, on any machine.
GATE = """`timescale 1ns/1ns
module gate;
  integer fd, r;
  reg [8*16:1] word;
  reg clk = 0;
  always #1 clk = ~clk;
  initial begin
    #1000 fd = $fopen("gate.fifo", "r");
    r = $fscanf(fd, "%s", word);
    $display("got %0s", word);
    r = $fscanf(fd, "%s", word);
    $display("got %0s", word);
    #1000 $display("done at %0t", $time);
    $finish;
  end
endmodule
"""

STATUS = re.compile(r"\r(Running: [^\r\n\x1b]*)\x1b\[K")


def screen_lines(text):
    """The lines a terminal shows for `text`: carriage return, erase to the end of the line."""
    lines, line, col, i = [], "", 0, 0
    while i < len(text):
        if text.startswith("\x1b[K", i):
            line, i = line[:col], i + 3
            continue
        c = text[i]
        if c == "\r":
            col = 0
        elif c == "\n":
            lines.append(line)
            line, col = "", 0
        else:
            line = line[:col] + c + line[col + 1:]
            col += 1
        i += 1
    return lines + [line]


def feed_gate(folder, words, delay):
    """Writes `words` into the design's pipe, one line each `delay` seconds apart."""
    fifo = os.path.join(folder, "gate.fifo")
    with open(fifo, "w") as pipe:
        for word in words:
            time.sleep(delay)
            pipe.write(word + "\n")
            pipe.flush()


class Progress(unittest.TestCase):
    def test_progress_line_during_a_long_run(self):
        with Folder() as folder:
            os.mkfifo(os.path.join(folder, "gate.fifo"))
            with Session([design(folder, "gate.v", GATE)], folder) as s:
                s.wait_prompts(1)
                start = len(s.text)
                s.type("run 3000 ns\r")
                # Shown once the run has lasted two seconds: time reached, target, rate.
                shown = s.wait_for(r"Running: 1 us of 3 us \(33%\), [0-9.]+ [fpnum]?s/s", timeout=10,
                                   start=start)
                self.assertGreater(len(s.text[start:]), shown.end())
                pipe = open(os.path.join(folder, "gate.fifo"), "w")
                pipe.write("first\n")
                pipe.flush()
                # Erased for the design's line, and drawn again after it.
                after = s.wait_for(r"got first\r\n", start=start).end() + start
                s.wait_for(r"\rRunning: ", start=after)
                pipe.write("second\n")
                pipe.close()
                s.wait_prompts(2)
                run = s.text[start:s.text.rindex(PROMPT)]
                self.assertGreaterEqual(len(STATUS.findall(run)), 2)
                # Every status line was erased before anything else was shown.
                self.assertEqual(screen_lines(run)[1:], [
                    "got first", "got second", "done at 2000",
                    'Stopped at time : 2 us : File "%s" Line 14' % os.path.join(folder, "gate.v"), ""])
                # A short run shows none.
                short = s.command("restart; run 500 ns")
                self.assertNotIn("Running:", short)
                s.type("quit\r")
                self.assertEqual(s.finish(), 0)

    def test_no_progress_in_batch_or_without_a_terminal(self):
        for output in ("pty", "pipe"):
            with self.subTest(output=output), Folder() as folder:
                os.mkfifo(os.path.join(folder, "gate.fifo"))
                master, slave = pty.openpty()
                env = dict(os.environ, TMPDIR=folder, XDG_STATE_HOME=folder)
                proc = subprocess.Popen([os.environ["ORVEX_LAUNCHER"], "-nolog", design(folder, "gate.v", GATE)],
                                        cwd=folder, env=env, stdin=subprocess.PIPE,
                                        stdout=slave if output == "pty" else subprocess.PIPE,
                                        stderr=subprocess.STDOUT)
                os.close(slave)
                feeder = threading.Thread(target=feed_gate, args=(folder, ["a", "b"], 1.5))
                feeder.start()
                proc.stdin.write(b"run all\nquit\n")
                proc.stdin.close()
                text = b""
                if output == "pty":
                    while True:
                        try:
                            chunk = os.read(master, 65536)
                        except OSError:
                            break
                        if not chunk:
                            break
                        text += chunk
                else:
                    text = proc.stdout.read()
                proc.wait(timeout=30)
                feeder.join()
                os.close(master)
                self.assertIn(b"done at 2000", text)
                self.assertNotIn(b"Running:", text)
                self.assertNotIn(b"\x1b[K", text)


class Interrupt(unittest.TestCase):
    def test_ctrl_c_discards_the_line_and_stops_a_run(self):
        with Folder() as folder, Session([design(folder, "endless.v", ENDLESS)], folder) as s:
            s.wait_prompts(1)
            s.type("puts discarded")
            s.wait_for("puts discarded")
            s.type("\x03")
            s.wait_prompts(2)
            text = s.command("puts kept")
            self.assertIn("kept", text)
            self.assertNotIn("discarded\r\n", s.text)
            # A run that would last for hours ends at once and the shell goes on.
            start = len(s.text)
            s.type("run all\r")
            s.wait_for(r"\rRunning: ", start=start)  # the progress line is up
            self.assertEqual(s.prompts(start), 0)
            stopped = time.monotonic()
            s.type("\x03")
            s.wait_prompts(4, timeout=10)
            print("Ctrl-C stopped the run in %.3f s" % (time.monotonic() - stopped))
            # One line says where: the time, the reason and the statement's place; the
            # progress line is gone.
            lines = screen_lines(s.text[start:])
            self.assertRegex(lines[-2], r'^Stopped at time : \d+ [pnum]?s : Stop requested'
                                        r' : File "[^"]*endless\.v" Line \d+$')
            self.assertEqual(lines[-1], PROMPT)
            self.assertNotIn("Running:", "".join(lines))
            self.assertIn("ticks", s.command("show value ticks"))
            s.type("quit\r")
            self.assertEqual(s.finish(), 0)

    def test_two_ctrl_c_offer_to_end_an_engine_that_does_not_answer(self):
        with Folder() as folder, Session([design(folder, "endless.v", ENDLESS)], folder) as s:
            s.wait_prompts(1)
            s.type("run all\r")
            time.sleep(1)
            for pid in engine_pids(s.proc.pid):
                os.killpg(os.getpgid(pid), signal.SIGSTOP)  # the engine and its children
                self.addCleanup(subprocess.run, ["kill", "-CONT", "--", "-%d" % os.getpgid(pid)],
                                stderr=subprocess.DEVNULL)
            s.type("\x03")
            time.sleep(0.3)
            s.type("\x03")
            s.wait_for("does not answer. End it\\? \\[y/N\\]")
            s.type("y\r")
            s.wait_for("terminated in an unexpected manner")
            s.wait_prompts(2)
            self.assertIn("not running", s.command("run 10 ns"))
            s.type("quit\r")
            self.assertEqual(s.finish(), 0)
            self.assertEqual(s.leftovers(), [])


class Completion(unittest.TestCase):
    def test_tab_completes_commands_options_objects_and_files(self):
        with Folder() as folder:
            open(os.path.join(folder, "stimulus_file.tcl"), "w").close()
            with Session([design(folder, "top.v", HIERARCHY)], folder) as s:
                s.wait_prompts(1)
                # What Tab made of each line shows in the history of the commands run.
                s.command("sco\t")                      # a command name
                s.command("bp a\t nofile.v 3")           # a subcommand word
                s.command("source stim\t")               # a file name
                s.command("scope /to\t")                 # a scope from the top
                s.command("describe mem\t")              # a memory
                # A generate scope completes as one Tcl word, and so does what lies below it.
                s.command("describe la\t0\tu\t")
                # A second Tab lists the choices: options from the usage text ...
                start = len(s.text)
                s.type("quit -\t\t")
                s.wait_for(r"-f\s+-s", start=start)
                # ... and the current scope's objects, memories and generate scopes.
                start = len(s.text)
                s.type("\x15describe \t\t")
                s.wait_for(r"lane\\\[0\\\]/\s+lane\\\[1\\\]/\s+memory\s+outs\s+stimulus", start=start)
                s.type("\x15")
                lines = re.findall(r"^\s*\d+  (.*?)\r?$", s.command("history"), re.M)
                self.assertIn("scope", lines)
                self.assertIn("bp add  nofile.v 3", lines)
                self.assertIn("source stimulus_file.tcl", lines)
                self.assertIn("scope /top/", lines)
                self.assertIn("describe memory", lines)
                self.assertIn("describe lane\\[0\\]/unit/", lines)
                # The completed names are names the commands take.
                self.assertIn("Path: {/top/lane[0]/unit}", s.text)
                self.assertIn("Path: {/top/memory}", s.text)
                s.type("quit\r")
                self.assertEqual(s.finish(), 0)


class History(unittest.TestCase):
    def test_history_kept_across_sessions(self):
        with Folder() as folder:
            with Session([], folder) as first:
                first.wait_prompts(1)
                first.command("set remembered 41")
                first.command("puts first-session")
                first.type("quit\r")
                first.finish()
            path = os.path.join(folder, "state", "orvex", "history")
            with open(path) as f:
                self.assertEqual(f.read().splitlines()[-3:], ["set remembered 41", "puts first-session", "quit"])

            # Two shells at once: both keep every line they were given.
            with Session([], folder) as second, Session([], folder) as third:
                second.wait_prompts(1)
                third.wait_prompts(1)
                # Up twice brings back the first session's command before quit.
                text = second.command("\x1b[A\x1b[A")
                self.assertIn("first-session", text)
                # Ctrl-R searches backwards.
                second.type("\x12remem")
                second.wait_for("set remembered 41")
                second.type("\r")
                second.wait_prompts(3)
                self.assertIn("41", second.command("puts $remembered"))
                self.assertIn("set remembered 41", second.command("history"))
                third.command("puts third-session")
                for s in (second, third):
                    s.type("quit\r")
                    s.finish()
            with open(path) as f:
                lines = f.read().splitlines()
            self.assertIn("puts third-session", lines)
            self.assertIn("puts $remembered", lines)

    def test_history_file_is_cut_back_to_its_newest_lines(self):
        with Folder() as folder:
            path = os.path.join(folder, "state", "orvex", "history")
            os.makedirs(os.path.dirname(path))
            with open(path, "w") as f:
                f.write("".join("puts old%d\n" % i for i in range(5000)))
            with Session([], folder) as s:
                s.wait_prompts(1)
                s.type("quit\r")
                s.finish()
            with open(path) as f:
                lines = f.read().splitlines()
            self.assertLess(len(lines), 2500)
            self.assertEqual(lines[-2:], ["puts old4999", "quit"])


if __name__ == "__main__":
    unittest.main()
