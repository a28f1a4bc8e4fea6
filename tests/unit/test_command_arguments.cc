// Block lookups of the output and annotation commands: a missing block is an action error naming
// the path in braces, also an empty one. (The option walk those commands share, values after
// options, integer values, name lists and argument counts, is checked through the commands by
// transcript.vcd_commands, transcript.saif_commands and transcript.ntrace_commands.)
#include <gtest/gtest.h>

#include "orvex/FakeDataReader.h"
#include "tavrin/TclExceptions.h"
#include "tavrin/commands/CommandArguments.h"

using namespace Tavrin;

TEST(RequireBlock, ANullBlockIsAnActionErrorNamingThePathInBraces) {
    FakeDataReader design;
    IBlock* top = design.addBlock(nullptr, "top", VerilogInstance);
    EXPECT_EQ(requireBlock(top, "/top"), top);
    for (const char* path : {"/top/none", ""}) {
        try {
            requireBlock(*path ? design.findBlock(path) : nullptr, path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const TclCommandActionErrorException& e) {
            EXPECT_EQ(std::string(e.getDescription()), "{" + std::string(path) + "}: No such HDL block.");
        }
    }
}
