// The simulation flow commands: help, onerror, resume, run (all, continue), init, restart, step,
// stop and quit.
#pragma once

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {



/// `help [<command_name>]`: the overview of every registered command, or one command's help.
ORVEX_TOP_LEVEL_COMMAND(helpCommand, "help");
/// `onerror {<script>}`: sets or returns the script run when a command fails.
ORVEX_TOP_LEVEL_COMMAND(onErrorCommand, "onerror");
/// `resume`: does nothing and succeeds; the usual onerror script.
ORVEX_TOP_LEVEL_COMMAND(resumeCommand, "resume");
/// `run [all | continue | <time> [<unit>]]`: runs the simulation.
ORVEX_TOP_LEVEL_COMMAND(runCommand, "run");
/// `run all`: runs until there are no more events.
ORVEX_SUBCOMMAND(runAllCommand, "all");
/// `run continue`: the same as `run all`.
ORVEX_SUBCOMMAND(runContinueCommand, "continue");
/// `init`: runs for time 0.
ORVEX_TOP_LEVEL_COMMAND(initCommand, "init");
/// `restart`: restarts the simulation from time 0.
ORVEX_TOP_LEVEL_COMMAND(restartCommand, "restart");
/// `step`: advances to the next executable line of HDL code.
ORVEX_TOP_LEVEL_COMMAND(stepCommand, "step");
/// `stop`: asks a running simulation to stop.
ORVEX_TOP_LEVEL_COMMAND(stopCommand, "stop");
/// `quit [-f | -s]`: ends the simulation and possibly the GUI.
ORVEX_TOP_LEVEL_COMMAND(quitCommand, "quit");

} // namespace Tavrin
