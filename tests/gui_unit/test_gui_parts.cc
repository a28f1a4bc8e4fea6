// The window host's pure parts: GTKWave row arithmetic of the wave model, the nearest trace
// colour, and the tagged reply lines of the viewer channel (also against a real Tcl shell).
#include <gtest/gtest.h>

#include <unistd.h>

#include "ViewerProcess.h"
#include "WaveColors.h"
#include "WaveModel.h"

namespace OrvexGui {
namespace {

// The rows GTKWave shows, as the test of the real window checked them: a group is a begin row,
// its members and an end row once its first member is there.
TEST(WaveModel, RowsFollowGtkWavesTraceList) {
    WaveModel model;
    const int clk = model.add(WaveItem::Trace, "tb.clk", -1);
    const int group = model.add(WaveItem::Group, "g1", -1);
    EXPECT_EQ(model.rows(group), 0); // no empty group in GTKWave
    EXPECT_EQ(model.insertAfter(group), 0); // its first members go after clk
    const int q = model.add(WaveItem::Trace, "tb.q[3:0]", group);
    model.find(group)->created = true;
    const int divider = model.add(WaveItem::Divider, "d1", -1);
    EXPECT_EQ(model.rowOf(clk), 0);
    EXPECT_EQ(model.rowOf(group), 1);
    EXPECT_EQ(model.rowOf(q), 2);
    EXPECT_EQ(model.rows(group), 3);
    EXPECT_EQ(model.insertAfter(group), 2); // after q, before the group's end row
    EXPECT_EQ(model.rowOf(divider), 4);     // not made yet: where it will go
    model.find(divider)->created = true;
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.insertAfter(-1), -1);   // the end of the list

    // Nested: a group inside a group.
    const int inner = model.add(WaveItem::Group, "inner", group);
    model.add(WaveItem::Trace, "tb.clk", inner);
    model.find(inner)->created = true;
    EXPECT_EQ(model.rowOf(inner), 3);
    EXPECT_EQ(model.rows(group), 6);
    EXPECT_EQ(model.rowOf(divider), 7);

    // After a save file is read the rows it brought come first; ids are never reused.
    model.reset(4);
    EXPECT_EQ(model.find(clk), nullptr);
    const int again = model.add(WaveItem::Trace, "tb.clk", -1);
    EXPECT_GT(again, divider);
    EXPECT_EQ(model.rowOf(again), 4);
}

TEST(WaveColors, NearestOfGtkWavesSeven) {
    EXPECT_STREQ(nearestTraceColor("red"), "Red");
    EXPECT_STREQ(nearestTraceColor("darkred"), "Red");
    EXPECT_STREQ(nearestTraceColor("green"), "Green");
    EXPECT_STREQ(nearestTraceColor("blue"), "Blue");
    EXPECT_STREQ(nearestTraceColor("yellow"), "Yellow");
    EXPECT_STREQ(nearestTraceColor("magenta"), "Violet");
    EXPECT_STREQ(nearestTraceColor("#ff8000"), "Orange");
    EXPECT_STREQ(nearestTraceColor("#4b0082"), "Indigo");
    EXPECT_STREQ(nearestTraceColor("black"), "Normal");
    EXPECT_STREQ(nearestTraceColor("lightgray"), "Normal");
    EXPECT_STREQ(nearestTraceColor("#808080"), "Normal");
}

TEST(ViewerProcess, TaggedRepliesKeepLineEndsAndBackslashes) {
    std::uint64_t tag = 0;
    ViewerProcess::Reply reply;
    ASSERT_TRUE(ViewerProcess::parseReply("@@12 OK a\\nb\\\\c", tag, reply));
    EXPECT_EQ(tag, 12u);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text, "a\nb\\c");
    ASSERT_TRUE(ViewerProcess::parseReply("@@3 ERR invalid command name", tag, reply));
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.text, "invalid command name");
    EXPECT_FALSE(ViewerProcess::parseReply("GTKWAVE | Entry 'x'", tag, reply));
    EXPECT_FALSE(ViewerProcess::parseReply("@@x OK", tag, reply));
}

// The wrapping against a real Tcl interpreter standing in for GTKWave: results, errors, line
// ends, a closed viewer.
TEST(ViewerProcess, SpeaksToATclShell) {
    if (::access("/usr/bin/tclsh", X_OK) != 0) GTEST_SKIP() << "no tclsh";
    ViewerProcess viewer;
    ASSERT_EQ(viewer.start({"tclsh"}), "");
    EXPECT_EQ(viewer.call("expr {6 * 7}").text, "42");
    EXPECT_EQ(viewer.call("join {a b} \\n").text, "a\nb");
    const ViewerProcess::Reply bad = viewer.call("no_such_command");
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.text.find("no_such_command"), std::string::npos);
    viewer.post("set x 5");
    EXPECT_EQ(viewer.call("set x").text, "5");
    EXPECT_THROW(viewer.call("exit"), std::runtime_error); // ends without a reply
    EXPECT_THROW(viewer.call("set x"), std::runtime_error);
    EXPECT_FALSE(viewer.isRunning());
    ViewerProcess missing;
    EXPECT_NE(missing.start({"/nonexistent/gtkwave"}), "");
}

} // namespace
} // namespace OrvexGui
