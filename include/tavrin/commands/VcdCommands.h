// The vcd command: the engine's Value Change Dump output (file, objects, on and off, flushing,
// size limit).
#pragma once

#include <cstdint>

#include "tavrin/commands/CommandArguments.h"

namespace Tavrin {

/// `vcd <subcommand>`: controls the generation of a VCD dump file.
ORVEX_TOP_LEVEL_COMMAND(vcdCommand, "vcd");
/// `vcd dumpfile <file_name>`: names the VCD output file.
ORVEX_SUBCOMMAND_WITH_FIELDS(vcdDumpfileCommand, "dumpfile", StringBase fileName;);
/// `vcd dumpflush`: flushes the VCD data to the file.
ORVEX_PLAIN_SUBCOMMAND(vcdDumpflushCommand, "dumpflush");
/// `vcd dumpon`: turns VCD dumping on.
ORVEX_PLAIN_SUBCOMMAND(vcdDumponCommand, "dumpon");
/// `vcd dumpoff`: turns VCD dumping off.
ORVEX_PLAIN_SUBCOMMAND(vcdDumpoffCommand, "dumpoff");
/// `vcd dumpvars [-m <path_name>] [-l <level>]`: selects the objects of a block (the current
/// scope by default) and of `level` hierarchy levels (0: all) for dumping.
ORVEX_SUBCOMMAND_WITH_FIELDS(vcdDumpvarsCommand, "dumpvars", StringBase path; int level = 1;);
/// `vcd dumplimit <size>`: limits the size of the VCD file to a number of bytes.
ORVEX_SUBCOMMAND_WITH_FIELDS(vcdDumplimitCommand, "dumplimit", std::int64_t size = 0;);

} // namespace Tavrin
