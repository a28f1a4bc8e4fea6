// Reading the design data file.
#include <gtest/gtest.h>

#include <sstream>

#include "DesignInfoFile.h"

using namespace OrvexEngine;

namespace {
bool readText(DesignData& data, const std::string& text, std::string& error) {
    std::istringstream in(text);
    return data.read(in, error);
}
} // namespace

TEST(DesignDataFile, RecordsAnswerDeclarationsAndConnections) {
    DesignData data;
    std::string error;
    ASSERT_TRUE(readText(data,
                         "orvexdb\t1\n"
                         "scope\t/tb/u1\tmodule\tcell.v\t3\ttb.v\t20\n"
                         "scope\t/tb/blk\tbegin\ttb.v\t7\ttb.v\t7\n"
                         "object\t/tb/bus\t1\tdir\\twith tab.v\t9\n"
                         "driver\t/tb/bus\t/tb/u1/y\t0\tport\t2\ttb.v\t20\n"
                         "driver\t/tb/bus\t/tb\t5\talways\t0\ttb.v\t30\n"
                         "load\t/tb/bus\t/tb/g1\t5\tand\t1\ttb.v\t12\n",
                         error))
        << error;
    std::string file;
    int line = 0;
    ASSERT_TRUE(data.declaration("/tb/u1", file, line));
    EXPECT_EQ(file, "cell.v");
    EXPECT_EQ(line, 3);
    ASSERT_TRUE(data.instantiation("/tb/u1", file, line));
    EXPECT_EQ(line, 20);
    EXPECT_FALSE(data.instantiation("/tb/blk", file, line)); // not an instance
    ASSERT_TRUE(data.declaration("/tb/bus[3]", file, line)); // an element is declared with its net
    EXPECT_EQ(file, "dir\twith tab.v");
    const auto& drivers = data.drivers("/tb/bus[7:4]");
    ASSERT_EQ(drivers.size(), 2u);
    EXPECT_EQ(drivers[0].path, "/tb/u1/y");
    EXPECT_EQ(drivers[0].text, "port");
    EXPECT_EQ(drivers[0].index, 2);
    EXPECT_EQ(drivers[1].kind, 5);
    EXPECT_EQ(drivers[1].line, 30);
    ASSERT_EQ(data.loads("/tb/bus").size(), 1u);
    EXPECT_EQ(data.loads("/tb/bus")[0].index, 1);
    EXPECT_TRUE(data.drivers("/tb/other").empty());
    EXPECT_TRUE(data.knows("/tb/bus"));
    EXPECT_FALSE(data.knows("/tb/other"));
}

TEST(DesignDataFile, MalformedFilesAreRefusedWithTheLine) {
    auto failure = [](const std::string& text) {
        DesignData data;
        std::string error;
        return readText(data, text, error) ? std::string("accepted") : error;
    };
    EXPECT_EQ(failure(""), "empty file");
    EXPECT_EQ(failure("orvexdb\t2\n"), "line 1: not an orvexdb version 1 file");
    EXPECT_EQ(failure("orvexdb\t1\nobject\t/a\t0\tf.v\tx\n"), "line 2: bad line number");
    EXPECT_EQ(failure("orvexdb\t1\ndriver\t/a\t/b\t0\tport\t-1\tf.v\t3\n"), "line 2: bad number");
    EXPECT_EQ(failure("orvexdb\t1\nwire\t/a\n"), "line 2: unknown record 'wire' with 2 fields");
    EXPECT_EQ(netOf("/tb/m[3]"), "/tb/m");
    EXPECT_EQ(netOf("/tb/m"), "/tb/m");
    EXPECT_EQ(netOf("/tb/m(3)[7:4]"), "/tb/m");
    EXPECT_EQ(netOf("/tb/g[1]/n"), "/tb/g[1]/n");
}
