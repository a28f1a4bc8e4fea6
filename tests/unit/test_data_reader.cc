// The live design reader: loading the engine's design description (block kinds, object classes,
// types and kinds, source places), refusals, reloading, and the reader's own operations.
#include <gtest/gtest.h>

#include "Mi.h"
#include "control/DesignLoader.h"
#include "orvex/DataReader.h"
#include "orvex/FakeDataReader.h"

using namespace Tavrin;

namespace {

// The fields of a `design` answer written as the engine writes it.
Orvex::Mi::Value designAnswer(const std::string& tops) {
    return Orvex::Mi::parseRecord("1^done,resolution=\"-12\",tops=[" + tops + "]").fields;
}

std::string object(const std::string& name, const std::string& kind, const std::string& dir = "",
                   int width = 1, int size = 0) {
    return "{name=\"" + name + "\",kind=\"" + kind + "\",dir=\"" + dir + "\",width=\"" +
           std::to_string(width) + "\",msb=\"0\",lsb=\"0\",signed=\"0\",size=\"" +
           std::to_string(size) + "\",first=\"0\",last=\"0\",file=\"t.v\",line=\"4\"}";
}

std::string scope(const std::string& name, const std::string& kind, const std::string& children,
                  const std::string& objects, const std::string& ifile = "") {
    return "{name=\"" + name + "\",kind=\"" + kind + "\",file=\"t.v\",line=\"2\",ifile=\"" +
           ifile + "\",iline=\"" + (ifile.empty() ? "" : "30") + "\",children=[" + children +
           "],objects=[" + objects + "]}";
}

int classOf(const IDataObj* object) { return object->getObjectClass()->getClassId(); }

} // namespace

TEST(DesignLoading, ScopeKindsBecomeBlockKinds) {
    DataReader reader(DataReader::LiveMode, "", "", 0);
    std::string children;
    for (const char* kind :
         {"task", "function", "begin", "fork", "generate", "initial", "always", "final", "class"})
        children += std::string(children.empty() ? "" : ",") + scope(kind, kind, "", "");
    children += "," + scope("u1", "module", "", "", "top.v");
    EXPECT_EQ(loadDesign(designAnswer(scope("top", "module", children, "")), reader), 0);

    const struct {
        const char* path;
        int kind;
        bool process;
        bool visibilityRoot;
    } expected[] = {
        {"/top", VerilogInstance, false, true},           {"/top/u1", VerilogInstance, false, true},
        {"/top/task", VerilogTask, false, false},         {"/top/function", VerilogTask, false, false},
        {"/top/begin", VerilogInternalBlock, false, false}, {"/top/fork", VerilogInternalBlock, false, false},
        {"/top/generate", VerilogInternalBlock, false, false}, {"/top/initial", VerilogProcess, true, false},
        {"/top/always", VerilogProcess, true, false},     {"/top/final", VerilogProcess, true, false},
        {"/top/class", UnknownBlock, false, false},
    };
    for (const auto& e : expected) {
        IBlock* block = reader.findBlock(e.path);
        ASSERT_NE(block, nullptr) << e.path;
        EXPECT_EQ(block->getBlockKind(), e.kind) << e.path;
        EXPECT_EQ(block->isProcess(), e.process) << e.path;
        EXPECT_EQ(block->isVisibilityRoot(), e.visibilityRoot) << e.path;
    }
    IBlock* u1 = reader.findBlock("/top/u1");
    EXPECT_EQ(reader.getInstantiationFileName(u1), "top.v");
    EXPECT_EQ(reader.getInstantiationLineNumber(u1), 30);
    EXPECT_EQ(reader.getInstantiationFileName(reader.findBlock("/top")), "");
    EXPECT_EQ(reader.getFileName(u1), "t.v");
    EXPECT_EQ(reader.getLineNumber(u1), 2);
    EXPECT_EQ(u1->getParent(), reader.findBlock("/top"));
}

TEST(DesignLoading, ObjectsGetClassTypeAndKindFromTheirDeclaration) {
    DataReader reader(DataReader::LiveMode, "", "", 0);
    const std::string objects = object("a", "net", "in") + "," + object("b", "reg", "out", 8) +
                                "," + object("c", "net", "inout") + "," + object("n", "net") +
                                "," + object("r", "reg", "", 4) + "," + object("i", "integer", "", 32) +
                                "," + object("x", "real", "", 64) + "," + object("rt", "realtime", "", 64) +
                                "," + object("t", "time", "", 64) + "," + object("m", "memory", "", 8, 16) +
                                "," + object("w", "reg", "", 1, 4) + "," + object("p", "parameter", "", 32) +
                                "," + object("lp", "localparam") + "," + object("e", "event");
    ASSERT_EQ(loadDesign(designAnswer(scope("top", "module", "", objects)), reader), 0);

    const struct {
        const char* name;
        int objectClass;
        int typeClass;
        int objectKind;
    } expected[] = {
        {"a", PortIn, LogicTypeClass, ScalarObjectKind},
        {"b", PortOut, LogicTypeClass, VectorObjectKind},
        {"c", PortInout, LogicTypeClass, ScalarObjectKind},
        {"n", SignalClass, LogicTypeClass, ScalarObjectKind},
        {"r", VariableClass, LogicTypeClass, VectorObjectKind},
        {"i", VariableClass, IntegerTypeClass, VectorObjectKind},
        {"x", VariableClass, RealTypeClass, VectorObjectKind},
        {"rt", VariableClass, RealTypeClass, VectorObjectKind},
        {"t", VariableClass, LogicTypeClass, VectorObjectKind},
        {"m", VariableClass, LogicTypeClass, ArrayObjectKind},
        {"w", VariableClass, LogicTypeClass, ArrayObjectKind}, // unpacked array of scalars
        {"p", ParameterClass, LogicTypeClass, VectorObjectKind},
        {"lp", ParameterClass, LogicTypeClass, ScalarObjectKind},
        {"e", EventClass, LogicTypeClass, ScalarObjectKind},
    };
    IBlock* top = reader.findBlock("/top");
    ASSERT_EQ(top->getDataObjCount(), 14);
    for (const auto& e : expected) {
        IDataObj* found = reader.findDataObj(std::string("/top/") + e.name);
        ASSERT_NE(found, nullptr) << e.name;
        EXPECT_EQ(classOf(found), e.objectClass) << e.name;
        EXPECT_EQ(found->getType()->getTypeClassId(), e.typeClass) << e.name;
        EXPECT_EQ(found->getObjectKind(), e.objectKind) << e.name;
        EXPECT_EQ(reader.getFileName(found), "t.v");
        EXPECT_EQ(reader.getLineNumber(found), 4);
    }
    EXPECT_EQ(top->getDataObj(0), reader.findDataObj("/top/a")); // declaration order kept
}

TEST(DesignLoading, UnusableEntriesAreLeftOutWithWhatTheyContain) {
    DataReader reader(DataReader::LiveMode, "", "", 0);
    const std::string children = scope("dup", "begin", scope("inner", "begin", "", ""), "") + "," +
                                 scope("dup", "begin", "", "") + "," +
                                 scope("", "always", scope("lost", "begin", "", ""), "") + ",\"text\"";
    const std::string objects = object("dup", "net") + "," + object("", "reg") + "," + object("ok", "reg");
    // Objects are loaded before child scopes: the object "dup" takes the name from both blocks.
    EXPECT_EQ(loadDesign(designAnswer(scope("top", "module", children, objects)), reader), 5);
    IBlock* top = reader.findBlock("/top");
    EXPECT_EQ(top->getChildCount(), 0);
    EXPECT_EQ(top->getDataObjCount(), 2);
    EXPECT_EQ(reader.findBlock("/top/dup/inner"), nullptr);
    EXPECT_EQ(reader.findBlock("/top/lost"), nullptr);

    // A design answer without tops, or with tops that is no list, gives an empty design.
    EXPECT_EQ(loadDesign(designAnswer(""), reader), 0);
    EXPECT_EQ(reader.getDesignRoot()->getChildCount(), 0);
    EXPECT_EQ(loadDesign(Orvex::Mi::parseRecord("1^done,tops=\"none\"").fields, reader), 0);
}

TEST(DesignLoading, ReloadingReplacesTheHierarchy) {
    DataReader reader(DataReader::LiveMode, "", "", 0);
    loadDesign(designAnswer(scope("old", "module", "", object("a", "net"))), reader);
    IBlock* old = reader.findBlock("/old");
    ASSERT_NE(old, nullptr);
    loadDesign(designAnswer(scope("top", "module", "", "") + "," + scope("tb", "module", "", "")), reader);
    EXPECT_EQ(reader.findBlock("/old"), nullptr);
    EXPECT_EQ(reader.getCurrentScope(), reader.findBlock("/top")); // the first top again
    EXPECT_EQ(reader.getDesignRoot()->getChildCount(), 2);
}

TEST(DataReaderOperations, FindObjectTakesAbsolutePathsOfBlocksAndObjects) {
    DataReader reader(DataReader::LiveMode, "", "", 0);
    IBlock* top = reader.addBlock(nullptr, "top", VerilogInstance, false, true);
    IBlock* u1 = reader.addBlock(top, "u1", VerilogInstance, false, true);
    IDataObj* mem = reader.addObject(u1, "mem", VariableClass, LogicTypeClass, ArrayObjectKind);
    ASSERT_TRUE(top && u1 && mem);

    EXPECT_EQ(reader.findObject("/top/u1"), u1);
    EXPECT_EQ(reader.findObject("/top/u1/mem"), mem);
    IObject* element = reader.findObject("/top/u1/mem[4]");
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->getObjectKind(), ElementObjectKind);
    EXPECT_TRUE(reader.contains(element));
    for (const char* path : {"", "/", "u1", "u1/mem", "/top/nope", "/top/u1/mem[", "top"})
        EXPECT_EQ(reader.findObject(path), nullptr) << path;

    // (Relative names, the scope and foreign blocks: test_fake_reader, on the same design tree.)
    FakeDataReader other;
    EXPECT_FALSE(reader.contains(other.addBlock(nullptr, "top", VerilogInstance)));
    EXPECT_FALSE(reader.contains(nullptr));
}

TEST(DataReaderOperations, KeepsItsSettingsAndALiveValueManager) {
    DataReader reader(DataReader::LiveCaptureMode, "/opt/orvex/bin", "sim/top3.wdb", 3);
    EXPECT_EQ(reader.getMode(), DataReader::LiveCaptureMode);
    EXPECT_EQ(reader.getEngineDirectory(), "/opt/orvex/bin");
    EXPECT_EQ(reader.getDatabaseFile(), "sim/top3.wdb");
    EXPECT_EQ(reader.getRunNumber(), 3);

    auto* manager = dynamic_cast<LiveDataObjMgr*>(reader.getDataObjMgr());
    ASSERT_NE(manager, nullptr);
    EXPECT_FALSE(manager->isCapturing());
    manager->captureLiveData(true);
    EXPECT_TRUE(manager->isCapturing());
    manager->captureLiveData(false);
    EXPECT_FALSE(manager->isCapturing());

    // A reader of a saved database has no design of its own yet: only the root, as the scope.
    DataReader saved(DataReader::SavedDatabaseMode, "", "old.wdb", 0);
    EXPECT_EQ(saved.getCurrentScope(), saved.getDesignRoot());
    EXPECT_EQ(saved.findBlock("/top"), nullptr);
}
