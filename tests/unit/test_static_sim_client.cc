// The saved-database client: the design hierarchy read from a VCD header (block kinds, object
// classes, types and kinds, names), shared and repeated names, and every way a database can be
// unusable.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ShellTestSupport.h"
#include "orvex/DataReader.h"
#include "orvex/Exceptions.h"
#include "tavrin/SimClient.h"

using namespace Tavrin;

namespace {

class StaticSimClientTest : public ::testing::Test {
protected:
    std::string write(const std::string& text, const std::string& name = "wave.vcd") {
        const std::string path = scratch_.file(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // The description of the error that opening `path` gives ("" when it opens).
    static std::string openError(const std::string& path) {
        try {
            StaticSimClient client(path);
        } catch (const Orvex::OpenException& error) {
            return error.getDescription();
        }
        return "";
    }

    Tavrin::Test::ScratchDir scratch_;
    const std::string dir_ = scratch_.path().string();
};

const char* const header = "$date\n\tMon Jan 01 00:00:00 2024\n$end\n"
                           "$version\n\tOrvex engine\n$end\n"
                           "$timescale\n\t1ps\n$end\n";

IDataObj* object(const IReader& reader, const std::string& path) {
    return reader.findDataObj(path);
}

int classOf(const IDataObj* object) { return object->getObjectClass()->getClassId(); }
int typeOf(const IDataObj* object) { return object->getType()->getTypeClassId(); }

} // namespace

TEST_F(StaticSimClientTest, ScopesBecomeBlocksOfTheirKindUnderTheDesignRoot) {
    StaticSimClient client(write(std::string(header) +
                                 "$scope module top $end\n"
                                 "$scope module u1 $end\n"
                                 "$scope begin blk $end\n"
                                 "$scope fork par $end $upscope $end\n"
                                 "$upscope $end\n"
                                 "$upscope $end\n"
                                 "$scope task load $end $upscope $end\n"
                                 "$scope function f $end $upscope $end\n"
                                 "$scope generate g[0] $end $upscope $end\n"
                                 "$scope interface bus_if $end $upscope $end\n"
                                 "$upscope $end\n"
                                 "$scope module glbl $end $upscope $end\n"
                                 "$enddefinitions $end\n"));
    IReader& reader = *client.getReader();
    EXPECT_EQ(static_cast<DataReader&>(reader).getMode(), DataReader::SavedDatabaseMode);

    IBlock* root = reader.getDesignRoot();
    ASSERT_EQ(root->getChildCount(), 2);
    EXPECT_EQ(root->getChild(0)->getPath(), StringBase("/top"));
    EXPECT_EQ(root->getChild(1)->getPath(), StringBase("/glbl"));
    EXPECT_EQ(reader.getCurrentScope(), root->getChild(0));
    EXPECT_EQ(root->getChild(0)->getParent(), nullptr);

    struct Expected {
        const char* path;
        int kind;
        bool visibilityRoot;
    };
    for (const Expected& e : {Expected{"/top", VerilogInstance, true},
                              Expected{"/top/u1", VerilogInstance, true},
                              Expected{"/top/u1/blk", VerilogInternalBlock, false},
                              Expected{"/top/u1/blk/par", VerilogInternalBlock, false},
                              Expected{"/top/load", VerilogTask, false},
                              Expected{"/top/f", VerilogTask, false},
                              Expected{"/top/g[0]", VerilogInternalBlock, false},
                              Expected{"/top/bus_if", UnknownBlock, false}}) {
        SCOPED_TRACE(e.path);
        IBlock* block = reader.findBlock(e.path);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->getBlockKind(), e.kind);
        EXPECT_EQ(block->getObjectKind(), BlockObjectKind);
        EXPECT_EQ(block->isVisibilityRoot(), e.visibilityRoot);
        EXPECT_FALSE(block->isProcess());
    }
    EXPECT_EQ(reader.findBlock("/top/u1/blk/par")->getParent(), reader.findBlock("/top/u1/blk"));
    EXPECT_EQ(reader.findBlock("u1/blk")->getName(), StringBase("blk"));
    EXPECT_EQ(reader.findBlock("/top")->getChildCount(), 5);
}

TEST_F(StaticSimClientTest, VariablesGetClassTypeAndKindFromTheirDeclaration) {
    // "$" and "$e" are valid identifier codes; the engine hands them out early.
    StaticSimClient client(write(std::string(header) +
                                 "$scope module top $end\n"
                                 "$var wire 1 ! clk $end\n"
                                 "$var wire 8 \" bus [7:0] $end\n"
                                 "$var tri 4 # data[3:0] $end\n"
                                 "$var reg 1 $ r $end\n"
                                 "$var reg 16 $e wide [15 : 0] $end\n"
                                 "$var integer 32 % count $end\n"
                                 "$var real 64 & level $end\n"
                                 "$var realtime 64 ' stamp $end\n"
                                 "$var time 64 ( t $end\n"
                                 "$var parameter 32 ) WIDTH $end\n"
                                 "$var event 1 * done $end\n"
                                 "$var supply0 1 + gnd $end\n"
                                 "$var wire 1 , \\bus[0] $end\n"
                                 "$var reg 8 - mem[3] $end\n"
                                 "$var logic 1 . sv $end\n"
                                 "$scope module u1 $end\n"
                                 "$var wire 1 / q $end\n"
                                 "$upscope $end\n"
                                 "$upscope $end\n"
                                 "$enddefinitions $end\n"));
    IReader& reader = *client.getReader();

    struct Expected {
        const char* path;
        int objectClass;
        int typeClass;
        int kind;
    };
    for (const Expected& e : {
             Expected{"/top/clk", SignalClass, LogicTypeClass, ScalarObjectKind},
             Expected{"/top/bus", SignalClass, LogicTypeClass, VectorObjectKind},
             Expected{"/top/data", SignalClass, LogicTypeClass, VectorObjectKind},
             Expected{"/top/r", VariableClass, LogicTypeClass, ScalarObjectKind},
             Expected{"/top/wide", VariableClass, LogicTypeClass, VectorObjectKind},
             Expected{"/top/count", VariableClass, IntegerTypeClass, VectorObjectKind},
             Expected{"/top/level", VariableClass, RealTypeClass, ScalarObjectKind},
             Expected{"/top/stamp", VariableClass, RealTypeClass, ScalarObjectKind},
             Expected{"/top/t", VariableClass, LogicTypeClass, VectorObjectKind},
             Expected{"/top/WIDTH", ParameterClass, LogicTypeClass, VectorObjectKind},
             Expected{"/top/done", EventClass, LogicTypeClass, ScalarObjectKind},
             Expected{"/top/gnd", SignalClass, LogicTypeClass, ScalarObjectKind},
             Expected{"/top/bus[0]", SignalClass, LogicTypeClass, ScalarObjectKind},
             Expected{"/top/mem[3]", VariableClass, LogicTypeClass, VectorObjectKind},
             Expected{"/top/sv", VariableClass, LogicTypeClass, ScalarObjectKind},
             Expected{"/top/u1/q", SignalClass, LogicTypeClass, ScalarObjectKind}}) {
        SCOPED_TRACE(e.path);
        IDataObj* found = object(reader, e.path);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->getPath(), StringBase(e.path));
        EXPECT_EQ(classOf(found), e.objectClass);
        EXPECT_EQ(typeOf(found), e.typeClass);
        EXPECT_EQ(found->getObjectKind(), e.kind);
    }
    IBlock* top = reader.findBlock("/top");
    EXPECT_EQ(top->getDataObjCount(), 15);
    EXPECT_EQ(top->getDataObj(0)->getName(), StringBase("clk"));
    EXPECT_EQ(reader.findDataObj("/top/u1/q")->getParent(), reader.findBlock("/top/u1"));

    // The escaped name is a declared object of its own, not bit 0 of the vector "bus".
    IDataObj* escaped = reader.findDataObj("bus[0]");
    ASSERT_NE(escaped, nullptr);
    EXPECT_EQ(escaped->getObjectKind(), ScalarObjectKind);
    EXPECT_EQ(escaped->getName(), StringBase("bus[0]"));
    // Elements of the vector are still reached through suffixes.
    ASSERT_NE(reader.findDataObj("bus[5]"), nullptr);
    EXPECT_EQ(reader.findDataObj("bus[5]")->getObjectKind(), ElementObjectKind);
}

TEST_F(StaticSimClientTest, SharedCodesRepeatedNamesAndReopenedScopes) {
    StaticSimClient client(write(std::string(header) +
                                 "$scope module top $end\n"
                                 "$var wire 1 ! q $end\n"
                                 "$var reg 1 \" x $end\n"
                                 "$var wire 4 # x [3:0] $end\n"
                                 "$scope module u1 $end\n"
                                 "$var wire 1 ! q $end\n"   // the port joined to /top/q
                                 "$var wire 1 ! out $end\n" // and another name of it
                                 "$upscope $end\n"
                                 "$var wire 1 $ u1 $end\n"  // a block already has the name
                                 "$upscope $end\n"
                                 "$scope module top $end\n" // the same scope again
                                 "$var wire 1 % late $end\n"
                                 "$scope module u1 $end\n"
                                 "$var wire 1 & more $end\n"
                                 "$upscope $end\n"
                                 "$upscope $end\n"
                                 "$scope module a/b $end\n" // an escaped name: \a/b in a path
                                 "$var wire 1 ' lost $end\n"
                                 "$scope module inner $end $upscope $end\n"
                                 "$upscope $end\n"
                                 "$enddefinitions $end\n"));
    IReader& reader = *client.getReader();

    ASSERT_NE(reader.findDataObj("/top/q"), nullptr);
    ASSERT_NE(reader.findDataObj("/top/u1/q"), nullptr);
    ASSERT_NE(reader.findDataObj("/top/u1/out"), nullptr);
    EXPECT_NE(reader.findDataObj("/top/q"), reader.findDataObj("/top/u1/q"));

    // The first declaration of a name wins; the later one is left out.
    IDataObj* x = reader.findDataObj("/top/x");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(classOf(x), VariableClass);
    EXPECT_EQ(x->getObjectKind(), ScalarObjectKind);

    // The reopened scopes added to the blocks made the first time.
    EXPECT_EQ(reader.getDesignRoot()->getChildCount(), 2);
    ASSERT_NE(reader.findDataObj("/\\a/b /lost"), nullptr);
    EXPECT_EQ(reader.findBlock("/\\a/b /inner")->getPath(), StringBase("/\\a/b /inner"));
    IBlock* top = reader.findBlock("/top");
    EXPECT_EQ(top->getChildCount(), 1);
    EXPECT_EQ(top->getDataObjCount(), 3); // q, x, late
    EXPECT_NE(reader.findDataObj("/top/late"), nullptr);
    EXPECT_EQ(reader.findBlock("/top/u1")->getDataObjCount(), 3); // q, out, more
    EXPECT_EQ(reader.findDataObj("/top/u1"), nullptr);
}

TEST_F(StaticSimClientTest, OnlyTheHeaderIsRead) {
    // Whatever follows $enddefinitions is never looked at, however odd; a $comment may hold
    // words that look like keywords; extension declarations are passed over.
    std::string text = std::string(header) +
                       "$comment a $scope or $var or $upscope in a comment $end\n"
                       "$attrbegin misc 07 top.clk 1 $end\n"
                       "$scope module top $end $var wire 1 ! clk $end $upscope $end\n"
                       "$enddefinitions $end\n"
                       "#0\n$dumpvars\n0!\n$end\n";
    text += std::string(1 << 20, 'x') + "\n$upscope $end\n$scope\n";
    StaticSimClient client(write(text));
    ASSERT_NE(client.getReader()->findDataObj("/top/clk"), nullptr);
    EXPECT_EQ(client.getReader()->getDesignRoot()->getChildCount(), 1);
}

TEST_F(StaticSimClientTest, AMissingOrUnreadableFileIsAnErrorNamingIt) {
    const std::string missing = dir_ + "/none.vcd";
    std::string message = openError(missing);
    EXPECT_NE(message.find("Cannot open the waveform database '" + missing + "'"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("No such file"), std::string::npos) << message;

    message = openError(dir_);
    EXPECT_NE(message.find("'" + dir_ + "': it is a directory"), std::string::npos) << message;

    message = openError(write("", "empty.vcd"));
    EXPECT_NE(message.find("empty.vcd': the file is empty"), std::string::npos) << message;
}

TEST_F(StaticSimClientTest, TruncatedOrMalformedHeadersAreErrorsWithTheirLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const std::string scope = "$scope module top $end\n"; // line 1 of each case
    for (const Case& c : {
             Case{"$var wire 1 ! a $end\n", "ends before $enddefinitions (line 3)"},
             Case{"$var wire 8 ! bus [7:", "ends inside $var (line 2)"},
             Case{"$upscope $end\n$enddefinitions", "ends inside $enddefinitions (line 3)"},
             Case{"$var wire x ! a $end\n", "$var a has the size 'x', not a positive number (line 2)"},
             Case{"$var wire 0 ! a $end\n", "has the size '0'"},
             Case{"$var wire 1 ! $end\n", "$var needs a type, a size, an identifier code and a name"},
             Case{"$var wire 1 ! a\n$var wire 1 \" b $end\n", "has '$var' after its name"},
             Case{"$scope module $end\n", "$scope needs a scope type and a name (line 2)"},
             Case{"$upscope $end\n$upscope $end\n", "$upscope without an open $scope (line 3)"},
             Case{"$enddefinitions $end\n", "$enddefinitions inside the open $scope top (line 2)"},
             Case{"#0 $enddefinitions $end\n", "unexpected '#0' in the header (line 2)"},
             Case{"\x7f" "ELF\x02\x01\x01\n", "unexpected '?ELF?"},
             Case{"$var wire 1 ! a $end\n$upscope $end\n" "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
                  "unexpected 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa...' in the header (line 4)"},
         }) {
        SCOPED_TRACE(c.text);
        const std::string message = openError(write(scope + c.text));
        EXPECT_NE(message.find("Cannot read the waveform database '" + dir_ + "/wave.vcd': "),
                  std::string::npos)
            << message;
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }

    const std::string outside = openError(write("$var wire 1 ! a $end\n"));
    EXPECT_NE(outside.find("$var a outside any $scope (line 1)"), std::string::npos) << outside;

    // A huge word (binary data, no white space) stops the reading instead of filling memory.
    const std::string huge = openError(write(scope + std::string(1 << 17, 'z')));
    EXPECT_NE(huge.find("is longer than 65536 characters"), std::string::npos) << huge;
}
