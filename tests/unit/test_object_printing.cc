// The printed forms of blocks, objects and block values where the shell's transcripts do not
// reach: kind names of designs the transcript design lacks, and empty or missing inputs. (Every
// printed form of the transcript design is checked through the commands: transcript.scope,
// transcript.describe, transcript.dump, transcript.show_listing, and e2e.hierarchy on vvp.)
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "EngineDouble.h"
#include "orvex/FakeDataReader.h"
#include "tavrin/TclHelper.h"

using namespace Tavrin;

TEST(DesignNames, KindsAndIndents) {
    const struct {
        int kind;
        const char* name;
    } kinds[] = {{VhdlInstance, "VHDL Instance"}, {VhdlProcess, "VHDL Process"},
                 {VhdlPackage, "VHDL Package"},   {VerilogProcess, "Verilog Process"},
                 {0, "Block"}, {8, "Block"}, {10, "Block"}, {-1, "Block"}, {0x1011, "Block"}};
    for (const auto& k : kinds)
        EXPECT_EQ(TclHelper::getBlockKindName(k.kind), k.name) << k.kind;
    EXPECT_STREQ(TclHelper::printPortType(SignalClass), "");

    std::ostringstream out;
    TclHelper::writeIndent(out, 3);
    TclHelper::writeIndent(out, 0);
    TclHelper::writeIndent(out, -5);
    EXPECT_EQ(out.str(), "   ");
}

TEST(ObjectPrinting, MissingInputsPrintNothingAndNoReaderMeansNoPlace) {
    FakeDataReader reader;
    IBlock* top = reader.addBlock(nullptr, "top", VhdlInstance);
    IBlock* uut = reader.addBlock(top, "uut", VhdlInstance, false, false);
    reader.addObject(top, "clk", SignalClass, LogicTypeClass);
    reader.addObject(uut, "data", PortInout, LogicTypeClass);
    Tavrin::Test::EngineDouble engine(&reader);

    std::ostringstream out;
    TclHelper::printBlock(out, nullptr, 4, &reader, true);
    TclHelper::printObject(out, nullptr, "x", 4, nullptr, false);
    EXPECT_FALSE(TclHelper::printPort(out, nullptr, 2));
    EXPECT_FALSE(TclHelper::printBlockValues(out, uut, &engine, NoRadix, 4, true, true));
    EXPECT_FALSE(TclHelper::printBlockValues(out, nullptr, &engine, NoRadix, 4, true, true));
    EXPECT_FALSE(TclHelper::printBlockValues(out, top, nullptr, NoRadix, 4, true, true));
    EXPECT_EQ(out.str(), "");
    TclHelper::printBlock(out, uut, 4, nullptr, true); // verbose, but no reader to ask
    EXPECT_EQ(out.str(), "    VHDL Instance: {uut}\n");

    // An inner block without values still reports what its enclosing block printed.
    engine.setSignalValue("/top/clk", "1");
    out.str("");
    EXPECT_TRUE(TclHelper::printBlockValues(out, uut, &engine, NoRadix, 4, true, false));
    EXPECT_EQ(out.str(), "    Signal: {clk} : 1\n\n");
}
