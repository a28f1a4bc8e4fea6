// The ntrace command: selection of HDL objects for tracing into the simulation database, and
// the start and stop of that tracing.
#pragma once

#include <vector>

#include "tavrin/commands/CommandArguments.h"

namespace Tavrin {

/// `ntrace <start | stop | select ...>`: manages tracing into the waveform database.
ORVEX_TOP_LEVEL_COMMAND(ntraceCommand, "ntrace");
/// `ntrace start`: starts tracing the selected objects.
ORVEX_PLAIN_SUBCOMMAND(ntraceStartCommand, "start");
/// `ntrace stop`: stops tracing the selected objects.
ORVEX_PLAIN_SUBCOMMAND(ntraceStopCommand, "stop");
/// `ntrace select [-o <on|off>] <-m <path_name> [-l <all|this>] | -n <signal_name>...>`:
/// turns tracing on or off for a block (and its children with "all") or for named objects.
ORVEX_SUBCOMMAND_WITH_FIELDS(ntraceSelectCommand, "select", bool on = true; StringBase modulePath;
                             StringBase levelWord; std::vector<StringBase> signalNames;);

} // namespace Tavrin
