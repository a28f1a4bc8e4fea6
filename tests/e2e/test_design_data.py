"""The orvexdb back end, run as iverilog's target, records drivers and loads that the drivers and
loads requests then report: gates by instance name and type, continuous assignments, constants,
port connections in both directions, processes and tasks, with the line that makes each."""
import os
import subprocess

from common import Failures, HERE, VPI_DIR, work

build = os.environ.get("ORVEX_BUILD_DIR", os.path.join(HERE, "../../build"))
design = os.path.join(HERE, "designs", "outputs_netlist.v")
odb, vvp_file = work("netlist.odb"), work("netlist.vvp")
subprocess.run(["iverilog", "-B", os.path.join(build, "lib", "ivl"), "-t", "orvexdb", "-o", odb, design], check=True)
subprocess.run(["iverilog", "-o", vvp_file, design], check=True)


def requests(env_extra):
    env = dict(os.environ, **env_extra)
    out = subprocess.run(["vvp", "-n", "-M", VPI_DIR, "-m", "orvex_outputs_test", vvp_file],
                         check=True, capture_output=True, text=True, env=env).stdout
    return out.replace(design, "D").splitlines()


f = Failures()
lines = requests({"ORVEX_DESIGN_INFO": odb})
expected = [
    'drivers ^done,drivers=[{object="/tb/y",driver="/tb/u_cell/y",kind="0",text="port",file="D",line="15"}]',
    'loads ^done,loads=[{object="/tb/a",load="/tb/u_cell/a",kind="0",index="0",text="port",file="D",line="15"},'
    '{object="/tb/a",load="/tb/g_and",kind="5",index="1",text="and",file="D",line="13"}]',
    'drivers ^done,drivers=[{object="/tb/u_cell/y",driver="/tb/u_cell/g_nand",kind="5",text="nand",file="D",line="4"}]',
    'drivers ^done,drivers=[{object="/tb/both",driver="/tb/g_and",kind="5",text="and",file="D",line="13"}]',
    'drivers ^done,drivers=[{object="/tb/tied",driver="/tb/tied",kind="0",text="constant",file="D",line="14"}]',
    'drivers ^done,drivers=[{object="/tb/acc[2]",driver="/tb",kind="5",text="initial",file="D",line="25"},'
    '{object="/tb/acc[2]",driver="/tb/bump",kind="5",text="task",file="D",line="18"}]',
    'loads ^done,loads=[{object="/tb/both",load="/tb",kind="5",index="0",text="always",file="D",line="21"}]',
    'drivers ^done,drivers=[{object="/tb/u_cell/pair",driver="/tb/u_cell/pair",kind="1",text="assign",file="D",line="5"}]',
    'drivers ^error,msg="drivers: no such object: /tb/nothing"',
]
for e in expected:
    f.check(e in lines, "missing %s\nin\n%s" % (e, "\n".join(lines)))
f.check(len(lines) == len(expected), "extra lines %r" % lines)

# Declarations: every scope and signal, modules with their instantiation.
records = [l.split("\t") for l in open(odb).read().splitlines()]
f.check(records[0] == ["orvexdb", "1"], "first line %r" % records[0])
scopes = {r[1]: r for r in records if r[0] == "scope"}
f.check(scopes["/tb/u_cell"][2:] == ["module", design, "3", design, "15"], "u_cell %r" % scopes["/tb/u_cell"])
f.check(scopes["/tb/bump"][2] == "task", "bump %r" % scopes["/tb/bump"])
objects = {r[1]: r for r in records if r[0] == "object"}
f.check(objects["/tb/acc"][2:] == ["1", design, "12"], "acc %r" % objects["/tb/acc"])

# Without the file, the requests say why they cannot answer.
lines = requests({"ORVEX_DESIGN_INFO": work("absent.odb")})
f.check(lines[0] == 'drivers ^error,msg="drivers: no design data was loaded for this design, so the drivers of /tb/y are not known"',
        "without data: %r" % lines[0])
f.finish()
