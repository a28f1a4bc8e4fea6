// The in-memory design: building it, paths, scope, block and object lookup, derived elements
// and slices, and source places.
#include <gtest/gtest.h>

#include "orvex/FakeDataReader.h"

using namespace Tavrin;

namespace {

// /top with u1 (holding u2 and the objects x, mem, bus) and the objects clk and rst.
class FakeReader : public ::testing::Test {
protected:
    void SetUp() override {
        top = reader.addBlock(nullptr, "top", VerilogInstance);
        u1 = reader.addBlock(top, "u1", VerilogInstance);
        u2 = reader.addBlock(u1, "u2", VerilogInstance);
        clk = reader.addObject(top, "clk", SignalClass, LogicTypeClass);
        rst = reader.addObject(top, "rst", PortIn, LogicTypeClass);
        x = reader.addObject(u1, "x", SignalClass, LogicTypeClass);
        mem = reader.addObject(u1, "mem", SignalClass, ArrayTypeClass, ArrayObjectKind);
        bus = reader.addObject(u1, "bus", SignalClass, LogicTypeClass, VectorObjectKind);
        ASSERT_TRUE(top && u1 && u2 && clk && rst && x && mem && bus);
    }

    FakeDataReader reader;
    IBlock *top, *u1, *u2;
    IDataObj *clk, *rst, *x, *mem, *bus;
};

} // namespace

TEST(FakeReaderBuild, RootIsScopeUntilTheFirstTopLevelBlock) {
    FakeDataReader reader;
    IBlock* root = reader.getDesignRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(reader.getCurrentScope(), root);
    EXPECT_EQ(root->getPath(), "");

    IBlock* first = reader.addBlock(nullptr, "first", VhdlInstance);
    IBlock* second = reader.addBlock(nullptr, "second", VhdlInstance);
    EXPECT_EQ(reader.getCurrentScope(), first);
    EXPECT_EQ(root->getChildCount(), 2);
    EXPECT_EQ(root->getChild(1), second);
    EXPECT_EQ(first->getParent(), nullptr);
    EXPECT_EQ(second->getPath(), "/second");
}

TEST(FakeReaderBuild, RefusesUnusableNamesAndParents) {
    FakeDataReader reader;
    FakeDataReader other;
    IBlock* top = reader.addBlock(nullptr, "top", VhdlInstance);
    IBlock* foreign = other.addBlock(nullptr, "top", VhdlInstance);
    ASSERT_TRUE(reader.addObject(top, "a", SignalClass, LogicTypeClass));

    EXPECT_EQ(reader.addBlock(nullptr, "top", VhdlInstance), nullptr);
    EXPECT_EQ(reader.addBlock(top, "a", VhdlInstance), nullptr); // name taken by an object
    EXPECT_EQ(reader.addObject(top, "a", SignalClass, LogicTypeClass), nullptr);
    for (const char* name : {"", ".", ".."})
        EXPECT_EQ(reader.addBlock(top, name, VhdlInstance), nullptr) << name;
    EXPECT_EQ(reader.addBlock(foreign, "u", VhdlInstance), nullptr);
    EXPECT_EQ(reader.addObject(nullptr, "b", SignalClass, LogicTypeClass), nullptr);
    EXPECT_EQ(reader.addObject(foreign, "b", SignalClass, LogicTypeClass), nullptr);
    EXPECT_EQ(top->getChildCount(), 0);
    EXPECT_EQ(top->getDataObjCount(), 1);
}

TEST_F(FakeReader, ObjectsKnowTheirPlaceInTheHierarchy) {
    EXPECT_EQ(u2->getPath(), "/top/u1/u2");
    EXPECT_EQ(u2->getParent(), u1);
    EXPECT_EQ(x->getPath(), "/top/u1/x");
    EXPECT_EQ(rst->getObjectClass()->getClassId(), PortIn);
    EXPECT_TRUE(mem->getType()->isInstanceOf(ArrayTypeClass));
    EXPECT_EQ(top->getDataObj(1), rst);
    EXPECT_EQ(top->getDataObj(2), nullptr);
    EXPECT_EQ(top->getDataObj(-1), nullptr);
    EXPECT_EQ(top->getChild(1), nullptr);
}

TEST_F(FakeReader, FindBlockByAbsoluteAndRelativePaths) {
    EXPECT_EQ(reader.findBlock("/top/u1"), u1);
    EXPECT_EQ(reader.findBlock("/top/u1/u2/"), u2);
    EXPECT_EQ(reader.findBlock("/"), reader.getDesignRoot());
    EXPECT_EQ(reader.findBlock("u1"), u1);
    EXPECT_EQ(reader.findBlock("u1/u2"), u2);
    EXPECT_EQ(reader.findBlock("./u1"), u1);
    EXPECT_EQ(reader.findBlock("u1/u2/../.."), top);
    EXPECT_EQ(reader.findBlock(".."), nullptr); // a top-level scope has no parent

    reader.setCurrentScope(u2);
    EXPECT_EQ(reader.findBlock(".."), u1);
    EXPECT_EQ(reader.findBlock("../.."), top);
    EXPECT_EQ(reader.findBlock("u1"), nullptr);

    for (const char* path : {"", "/nope", "/top/x", "u9", "/top/u1/u2/u3", "top"})
        EXPECT_EQ(reader.findBlock(path), nullptr) << path;
}

TEST_F(FakeReader, FindDataObjInScopeOrByPath) {
    EXPECT_EQ(reader.findDataObj("clk"), clk);
    EXPECT_EQ(reader.findDataObj("x"), nullptr); // not in the current scope
    EXPECT_EQ(reader.findDataObj("u1/x"), x);
    EXPECT_EQ(reader.findDataObj("/top/u1/x"), x);
    reader.setCurrentScope(u2);
    EXPECT_EQ(reader.findDataObj("../x"), x);

    FakeDataReader other; // the scope moves only to blocks of its own reader
    reader.setCurrentScope(other.addBlock(nullptr, "t", VhdlInstance));
    reader.setCurrentScope(nullptr);
    EXPECT_EQ(reader.getCurrentScope(), u2);
    for (const char* name : {"", "u1", "/top/u1/", "/x", "nope/x", "zz"})
        EXPECT_EQ(reader.findDataObj(name), nullptr) << name;
}

TEST_F(FakeReader, IndexAndSliceSuffixesGiveCachedDerivedObjects) {
    IDataObj* element = reader.findDataObj("u1/mem[3]");
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->getObjectKind(), ElementObjectKind);
    EXPECT_EQ(element->getPath(), "/top/u1/mem[3]");
    EXPECT_EQ(element->getParent(), u1);
    EXPECT_EQ(element->getType(), mem->getType());
    EXPECT_EQ(reader.findDataObj("/top/u1/mem[3]"), element);
    EXPECT_NE(reader.findDataObj("u1/mem[4]"), element);

    reader.setCurrentScope(u1);
    EXPECT_EQ(reader.findDataObj("mem[3]"), element);
    // Every written form of a select gives the one object of its canonical form.
    const std::pair<const char*, const char*> slices[] = {{"bus(7:0)", "bus[7:0]"},
                                                          {"bus[3:0]", "bus[3:0]"},
                                                          {"bus(7 downto 0)", "bus[7:0]"},
                                                          {"mem(1,3,5)(1:10)", "mem[1][3][5][1:10]"}};
    for (const auto& slice : slices) {
        IDataObj* derived = reader.findDataObj(slice.first);
        ASSERT_NE(derived, nullptr) << slice.first;
        EXPECT_EQ(derived->getObjectKind(), SliceObjectKind) << slice.first;
        StringBase name;
        derived->getDisplayName(name);
        EXPECT_EQ(name, slice.second);
        EXPECT_EQ(derived->getPath(), "/top/u1/" + std::string(slice.second));
    }
    EXPECT_EQ(reader.findDataObj("bus[7:0]"), reader.findDataObj("bus(7 downto 0)"));
    EXPECT_EQ(reader.findDataObj("mem(1:10)(1,3,5)")->getObjectKind(), ElementObjectKind);
    for (const char* bad : {"mem[3", "mem[]", "mem[3]x", "mem[[3]]", "[3]", "nope[3]", "mem(3]"})
        EXPECT_EQ(reader.findDataObj(bad), nullptr) << bad;
}

TEST_F(FakeReader, PlacesAreKeptPerObjectAndInheritedByDerivedOnes) {
    EXPECT_EQ(reader.getFileName(x), "");
    EXPECT_EQ(reader.getLineNumber(x), 0);
    reader.setLocation(mem, "u1.v", 8);
    reader.setInstantiation(u1, "top.v", 30);
    EXPECT_EQ(reader.getFileName(mem), "u1.v");
    EXPECT_EQ(reader.getLineNumber(mem), 8);
    EXPECT_EQ(reader.getInstantiationFileName(u1), "top.v");
    EXPECT_EQ(reader.getInstantiationLineNumber(u1), 30);
    EXPECT_EQ(reader.getInstantiationFileName(u2), "");

    IDataObj* element = reader.findDataObj("/top/u1/mem[0]");
    EXPECT_EQ(reader.getFileName(element), "u1.v");
    reader.setLocation(element, "elsewhere.v", 2);
    EXPECT_EQ(reader.getLineNumber(element), 2);
    EXPECT_EQ(reader.getLineNumber(mem), 8);

    FakeDataReader other;
    IBlock* foreign = other.addBlock(nullptr, "t", VhdlInstance);
    reader.setLocation(foreign, "f.v", 1);
    reader.setInstantiation(foreign, "f.v", 1);
    EXPECT_EQ(reader.getFileName(foreign), "");
    EXPECT_EQ(reader.getFileName(nullptr), "");
    EXPECT_EQ(reader.getInstantiationFileName(nullptr), "");
}
