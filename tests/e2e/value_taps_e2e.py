#!/usr/bin/env python3
"""The engine's VCD and SAIF files are the same whether values are followed by taps in vvp's
fan-out or by VPI callbacks (ORVEX_VVP_INTERNALS=off), through forces and releases from the
shell, values set from the shell, vcd off and on, a SAIF file closed halfway (its taps removed)
and a restart.

usage: value_taps_e2e.py <dir of orvex.vpi> [unittest args]
"""
import os
import re
import shutil
import sys
import tempfile
import unittest

import engine_e2e
import vcdread
from engine_e2e import NS, fields
from statement_sites_e2e import start


def session(design, mechanism, folder):
    """Runs the session's requests; returns the VCD text (its date left out) and the SAIF texts."""
    vcd, first, second = (os.path.join(folder, mechanism + suffix) for suffix in (".vcd", "1.saif", "2.saif"))
    engine = start(design, mechanism)
    try:
        ready = fields(engine.record())
        assert ready["values"] == ("fanout" if mechanism == "code" else "vpi: internals switched off"), ready
        engine.done("vcd-file", vcd)
        engine.done("vcd-vars", "/counter_tb", "0")
        engine.done("vcd-on")
        engine.done("saif-open", "/counter_tb", first, "1", "0")
        engine.blocking("run", str(42 * NS))
        engine.done("force-add", "/counter_tb/count", "-1", "-1", "77", "0", "dec")
        engine.done("force-add", "/counter_tb/doubled", "-1", "-1", "x5", "0", "hex")
        engine.blocking("run", str(11 * NS))
        engine.done("vcd-off")  # its taps unlinked until vcd-on
        engine.blocking("run", str(9 * NS))
        engine.done("vcd-on")
        engine.blocking("run", str(11 * NS))
        engine.done("set-value", "/counter_tb/flag", "1", "bin")
        engine.done("force-remove", "/counter_tb/count")
        engine.blocking("run", str(17 * NS))
        engine.done("saif-close")
        engine.done("force-remove", "/counter_tb/doubled")
        engine.blocking("run", str(20 * NS))
        engine.done("saif-open", "/counter_tb", second, "1", "0")
        engine.blocking("run", str(30 * NS))
        engine.done("saif-close")
        engine.done("vcd-flush")
        before_restart = vcd_changes(vcd, os.path.join(folder, mechanism + "-before.vcd"))
        engine.blocking("restart")  # the restarted run writes the file anew
        engine.blocking("run-all")
    finally:
        engine.close()
    saifs = [re.sub(r"\(DATE [^)]*\)", "", open(p).read()) for p in (first, second)]
    return [before_restart, vcd_changes(vcd, vcd)] + saifs


def vcd_changes(path, copy):
    """Each variable's (time, value) changes; a value written again unchanged is no change."""
    if copy != path:
        shutil.copy(path, copy)
    changes = {}
    for name, var in vcdread.read(copy)[1].items():
        changes[name] = [(t, v) for i, (t, v) in enumerate(zip(var.times, var.values)) if i == 0 or var.values[i - 1] != v]
    return changes


class ValueTapsTest(unittest.TestCase):
    maxDiff = None

    def test_fanout_and_vpi_write_the_same_files(self):
        folder = tempfile.mkdtemp(prefix="orvex-taps-")
        self.addCleanup(shutil.rmtree, folder, True)
        design = engine_e2e.compile_design("counter", folder)
        fanout, vpi = session(design, "code", folder), session(design, "reports", folder)
        for name, a, b in zip(("vcd", "vcd after the restart", "first saif", "second saif"), fanout, vpi):
            self.assertEqual(a, b, name)
        # The forces and the set value show in the files, so the comparison saw them.
        self.assertIn((42001, "01001101"), fanout[0]["/counter_tb/count"])  # forced to 77
        self.assertIn((42001, "xxxx0101"), fanout[0]["/counter_tb/doubled"])  # forced to 'hx5
        self.assertEqual(fanout[1]["/counter_tb/count"][-1], (195000, "00010100"))
        self.assertRegex(fanout[2], r"\(flag\s*\(T0 \d+\) \(T1 \d+\)")


if __name__ == "__main__":
    engine_e2e.MODULE_DIR = sys.argv.pop(1)
    unittest.main()
