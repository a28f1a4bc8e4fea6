// The specify command: how Verilog specify blocks treat pulses.
#pragma once

#include <cstdint>

#include "tavrin/commands/CommandArguments.h"

namespace Tavrin {

/// `specify <pathpulse | pulsestyle | showcancelled | noshowcancelled>`: modifies the behaviour
/// of specify blocks.
ORVEX_TOP_LEVEL_COMMAND(specifyCommand, "specify");
/// `specify pathpulse <reject> [<error>]`: sets the global path-pulse reject and error limits;
/// the error limit defaults to the reject limit.
ORVEX_SUBCOMMAND_WITH_FIELDS(specifyPathpulseCommand, "pathpulse", std::int64_t reject = 0;
                             std::int64_t error = 0;);
/// `specify pulsestyle <onevent | ondetect>`: selects on-event (0) or on-detect (1) filtering.
ORVEX_SUBCOMMAND_WITH_FIELDS(specifyPulsestyleCommand, "pulsestyle", int style = 0;);
/// `specify showcancelled`: enables negative pulse detection.
ORVEX_PLAIN_SUBCOMMAND(specifyshowcancelledCommand, "showcancelled");
/// `specify noshowcancelled`: disables negative pulse detection.
ORVEX_PLAIN_SUBCOMMAND(specifyNoshowcancelledCommand, "noshowcancelled");

} // namespace Tavrin
