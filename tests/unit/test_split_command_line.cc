// Splitting text: command lines into words (blanks separate words, double quotes group and stay
// on the word), and text arriving in chunks into whole lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvex/DataConversion.h"
#include "orvex/LineSplitter.h"
#include "orvex/Platform.h"

using namespace Tavrin;

namespace {

std::vector<std::string> split(const char* line) {
    int count = -1;
    char** words = DataConversion::splitCommandLine(line, count);
    std::vector<std::string> result;
    EXPECT_NE(words, nullptr);
    if (!words) return result;
    for (int i = 0; i < count; ++i) result.push_back(words[i]);
    EXPECT_EQ(words[count], nullptr) << "the array must end with a null entry";
    DataConversion::freeWords(words);
    return result;
}

using Words = std::vector<std::string>;

} // namespace

TEST(SplitCommandLine, BlanksSeparateAndCollapse) {
    EXPECT_EQ(split("  /opt/orvex/bin/engine\t-mode  live \r\n"),
              (Words{"/opt/orvex/bin/engine", "-mode", "live"}));
    EXPECT_EQ(split(nullptr), Words{});
    EXPECT_EQ(split(""), Words{});
    EXPECT_EQ(split(" \t \n"), Words{});
}

TEST(SplitCommandLine, QuotesGroupBlanksAndAreKept) {
    EXPECT_EQ(split("\"/opt/my tools/engine\" -db \"a b\"c \"\""),
              (Words{"\"/opt/my tools/engine\"", "-db", "\"a b\"c", "\"\""}));
    // An unfinished quote runs to the end of the line.
    EXPECT_EQ(split("run \"to the end  "), (Words{"run", "\"to the end  "}));
}

TEST(SplitCommandLine, ProgramWordsLoseTheirQuotes) {
    EXPECT_EQ(DataConversion::commandLineWords("\"/opt/my tools/vvp\" -M \"a b\"c \"\" x"),
              (Words{"/opt/my tools/vvp", "-M", "a bc", "", "x"}));
    EXPECT_EQ(DataConversion::commandLineWords(" \t"), Words{});
}

TEST(SplitCommandLine, WordsAndArrayAreFreedWithThePlatformFree) {
    int count = 0;
    char** words = DataConversion::splitCommandLine("a bb ccc", count);
    ASSERT_EQ(count, 3);
    EXPECT_STREQ(words[2], "ccc");
    for (int i = 0; i < count; ++i) Platform::freeText(words[i]);
    Platform::freeText(reinterpret_cast<char*>(words)); // a mismatched free shows under ASan
}

TEST(LineSplitter, LinesSpanningChunksComeOutWholeAndInOrder) {
    std::string pending;
    Words lines;
    auto feed = [&](const std::string& chunk) {
        Tavrin::appendAndTakeLines(pending, chunk.data(), chunk.size(),
                                   [&](const std::string& line) { lines.push_back(line); });
    };
    feed("*ready,a=\"1\"\r\n^do");
    EXPECT_EQ(lines, Words{"*ready,a=\"1\""});
    EXPECT_EQ(pending, "^do");
    feed("ne");
    feed("\n\n~\"text\"\npartial");
    EXPECT_EQ(lines, (Words{"*ready,a=\"1\"", "^done", "", "~\"text\""}));
    EXPECT_EQ(pending, "partial");
}
