// The printed forms of blocks, processes, objects, ports, block trees and block values.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ValueOnlyControl.h"
#include "orvex/FakeDataReader.h"
#include "tavrin/TclHelper.h"

using namespace Tavrin;

namespace {

// /top (VHDL instance) with uut (instance, not a visibility root), pkg (package), a process, and
// objects of several classes.
class ObjectPrinting : public ::testing::Test {
protected:
    void SetUp() override {
        top = reader.addBlock(nullptr, "top", VhdlInstance);
        uut = reader.addBlock(top, "uut", VhdlInstance, false, false);
        pkg = reader.addBlock(top, "pkg", VhdlPackage);
        proc = reader.addBlock(uut, "p1", VhdlProcess, true);
        clk = reader.addObject(top, "clk", SignalClass, LogicTypeClass);
        rst = reader.addObject(top, "rst", PortIn, LogicTypeClass);
        width = reader.addObject(top, "width", GenericClass, IntegerTypeClass);
        data = reader.addObject(uut, "data", PortInout, LogicTypeClass);
        count = reader.addObject(uut, "count", VariableClass, IntegerTypeClass);
        odd = reader.addObject(uut, "odd", 0x7777, LogicTypeClass);
        hidden = reader.addObject(uut, "hidden", PortOut, HiddenTypeClass);
        ASSERT_TRUE(top && uut && pkg && proc && clk && rst && width && data && count && odd &&
                    hidden);
    }

    std::string blockText(const IBlock* block, const IReader* withReader, bool verbose) {
        std::ostringstream out;
        TclHelper::printBlock(out, block, 4, withReader, verbose);
        return out.str();
    }
    std::string objectText(const IDataObj* object, const char* value,
                           const IReader* withReader = nullptr, bool verbose = false) {
        std::ostringstream out;
        TclHelper::printObject(out, object, value, 4, withReader, verbose);
        return out.str();
    }

    FakeDataReader reader;
    IBlock *top, *uut, *pkg, *proc;
    IDataObj *clk, *rst, *width, *data, *count, *odd, *hidden;
};

} // namespace

TEST(DesignNames, KindsAndPortDirections) {
    EXPECT_EQ(TclHelper::getBlockKindName(VerilogProcess), "Verilog Process");
    for (int kind : {0, 8, 10, -1, 0x1011})
        EXPECT_EQ(TclHelper::getBlockKindName(kind), "Block") << kind;
    EXPECT_STREQ(TclHelper::printPortType(PortLinkage), "LINKAGE");
    EXPECT_STREQ(TclHelper::printPortType(SignalClass), "");

    std::ostringstream out;
    TclHelper::writeIndent(out, 3);
    TclHelper::writeIndent(out, 0);
    TclHelper::writeIndent(out, -5);
    EXPECT_EQ(out.str(), "   ");
}

TEST_F(ObjectPrinting, BlockLineAloneUnlessVerboseWithReader) {
    reader.setLocation(uut, "top.vhd", 12);
    reader.setInstantiation(uut, "tb.vhd", 40);
    EXPECT_EQ(blockText(uut, nullptr, true), "    VHDL Instance: {uut}\n");
    EXPECT_EQ(blockText(uut, &reader, false), "    VHDL Instance: {uut}\n");
    EXPECT_EQ(blockText(uut, &reader, true), "    VHDL Instance: {uut}\n"
                                             "    Path: {/top/uut}\n"
                                             "    Location: {File \"top.vhd\" Line 12}\n"
                                             "    Instantiation: {File \"tb.vhd\" Line 40}\n");
    EXPECT_EQ(blockText(nullptr, &reader, true), "");
}

TEST_F(ObjectPrinting, InstantiationOnlyForInstancesWithAFileAndNeverForProcesses) {
    EXPECT_EQ(blockText(top, &reader, true), "    VHDL Instance: {top}\n    Path: {/top}\n");
    reader.setInstantiation(pkg, "pkg.vhd", 3);
    EXPECT_EQ(blockText(pkg, &reader, true), "    VHDL Package: {pkg}\n    Path: {/top/pkg}\n");
    IBlock* vlog = reader.addBlock(top, "v1", VerilogInstance);
    reader.setInstantiation(vlog, "top.v", 7);
    EXPECT_EQ(blockText(vlog, &reader, true), "    Verilog Instance: {v1}\n"
                                              "    Path: {/top/v1}\n"
                                              "    Instantiation: {File \"top.v\" Line 7}\n");
    IBlock* other = reader.addBlock(top, "b8", 8);
    EXPECT_EQ(blockText(other, nullptr, false), "    Block: {b8}\n");

    // A process is printed as one, with its location but never an instantiation.
    reader.setLocation(proc, "uut.vhd", 20);
    reader.setInstantiation(proc, "never.vhd", 1);
    EXPECT_EQ(blockText(proc, &reader, true), "    VHDL Process: {p1}\n"
                                              "    Path: {/top/uut/p1}\n"
                                              "    Location: {File \"uut.vhd\" Line 20}\n");
}

TEST_F(ObjectPrinting, ObjectLinePrefixByClassAndVerbosePlace) {
    EXPECT_EQ(objectText(clk, "1"), "    Signal: {clk} : 1\n");
    EXPECT_EQ(objectText(clk, ""), "    Signal: {clk}\n");
    EXPECT_EQ(objectText(rst, "0"), "    Port(IN): {rst} : 0\n");
    EXPECT_EQ(objectText(data, "Z"), "    Port(INOUT): {data} : Z\n");
    EXPECT_EQ(objectText(width, "8"), "    Generic: {width} : 8\n");
    EXPECT_EQ(objectText(count, "3"), "    Variable: {count} : 3\n");
    EXPECT_EQ(objectText(odd, "x"), "    {odd} : x\n");
    EXPECT_EQ(objectText(nullptr, "x"), "");

    EXPECT_EQ(objectText(clk, "", &reader, true), "    Signal: {clk}\n    Path: {/top/clk}\n");
    reader.setLocation(clk, "top.vhd", 5);
    EXPECT_EQ(objectText(clk, "1", &reader, true), "    Signal: {clk} : 1\n"
                                                   "    Path: {/top/clk}\n"
                                                   "    Location: {File \"top.vhd\" Line 5}\n");
}

TEST_F(ObjectPrinting, PortsOnlyWhenVisiblePorts) {
    std::ostringstream out;
    EXPECT_TRUE(TclHelper::printPort(out, data, 2));
    EXPECT_FALSE(TclHelper::printPort(out, hidden, 2));
    EXPECT_FALSE(TclHelper::printPort(out, clk, 2));
    EXPECT_FALSE(TclHelper::printPort(out, nullptr, 2));
    EXPECT_EQ(out.str(), "  Port(INOUT): {data}\n");
}

TEST_F(ObjectPrinting, AllChildrenIndentEachLevel) {
    std::ostringstream out;
    TclHelper::printAllChildren(out, top, 4);
    EXPECT_EQ(out.str(), "    VHDL Instance: {top}\n"
                         "        VHDL Instance: {uut}\n"
                         "            VHDL Process: {p1}\n"
                         "        VHDL Package: {pkg}\n");
}

TEST_F(ObjectPrinting, BlockValuesSortedByPrefixThenName) {
    ValueOnlyControl control;
    control.setValue(clk, "1", DefaultRadix);
    control.setValue(rst, "0", DefaultRadix);
    control.setValue(width, "8", DefaultRadix);
    IDataObj* alpha = reader.addObject(top, "alpha", SignalClass, LogicTypeClass);
    control.setValue(alpha, "U", DefaultRadix);

    std::ostringstream out;
    EXPECT_TRUE(TclHelper::printBlockValues(out, top, &control, HexRadix, 4, false, true));
    EXPECT_EQ(control.lastRadix, HexRadix);
    EXPECT_EQ(out.str(), "Objects in /top\n"
                         "    Generic: {width} : 8\n"
                         "    Port(IN): {rst} : 0\n"
                         "    Signal: {alpha} : U\n"
                         "    Signal: {clk} : 1\n"
                         "\n");
}

TEST_F(ObjectPrinting, BlockValuesWithEnclosingPrintOuterBlockFirst) {
    ValueOnlyControl control;
    control.setValue(clk, "1", DefaultRadix);
    control.setValue(data, "Z", DefaultRadix);
    control.setValue(odd, "x", DefaultRadix);
    control.setValue(count, "3", DefaultRadix);

    std::ostringstream out;
    EXPECT_TRUE(TclHelper::printBlockValues(out, uut, &control, NoRadix, 4, true, true));
    EXPECT_EQ(out.str(), "Objects in /top\n"
                         "    Signal: {clk} : 1\n"
                         "\n"
                         "Objects in /top/uut\n"
                         "    Port(INOUT): {data} : Z\n"
                         "    Variable: {count} : 3\n"
                         "    {odd} : x\n"
                         "\n");
}

TEST_F(ObjectPrinting, BlockValuesWithoutObjectsPrintNothing) {
    ValueOnlyControl control;
    std::ostringstream out;
    EXPECT_FALSE(TclHelper::printBlockValues(out, uut, &control, NoRadix, 4, true, true));
    EXPECT_FALSE(TclHelper::printBlockValues(out, nullptr, &control, NoRadix, 4, true, true));
    EXPECT_FALSE(TclHelper::printBlockValues(out, top, nullptr, NoRadix, 4, true, true));
    EXPECT_EQ(out.str(), "");

    // An empty inner block still reports what its enclosing block printed.
    control.setValue(clk, "1", DefaultRadix);
    EXPECT_TRUE(TclHelper::printBlockValues(out, uut, &control, NoRadix, 4, true, false));
    EXPECT_EQ(out.str(), "    Signal: {clk} : 1\n\n");
}
