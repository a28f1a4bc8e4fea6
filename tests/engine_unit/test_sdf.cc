// SDF parsing and the expansion of delay lists to twelve transitions.
#include <gtest/gtest.h>

#include "SdfDelays.h"
#include "SdfParser.h"

using namespace OrvexEngine;

TEST(SdfParser, HeaderCellsInstancesAndTriples) {
    const SdfFile file = parseSdf(R"((DELAYFILE
  (SDFVERSION "3.0") (DESIGN "top") (DIVIDER /) (TIMESCALE 100 ps)
  /* a comment
     over lines */
  (CELL (CELLTYPE "nand2") (INSTANCE top/u1/\a\/b)
    (DELAY (ABSOLUTE (IOPATH (posedge a) y (1:2:3) (::4) ()))
           (INCREMENT (IOPATH b y ((0.5) (1) (2))))))
  (CELL (CELLTYPE "inv") (INSTANCE *) (DELAY (ABSOLUTE (IOPATH a y (7)))))
  (CELL (CELLTYPE "top") (INSTANCE) (TIMINGCHECK (SETUP d (posedge clk) (1))))
))");
    EXPECT_EQ(file.version, "3.0");
    EXPECT_EQ(file.design, "top");
    EXPECT_DOUBLE_EQ(file.timescale, 100e-12);
    ASSERT_EQ(file.cells.size(), 3u);
    const SdfCell& c = file.cells[0];
    EXPECT_EQ(c.type, "nand2");
    EXPECT_EQ(c.instance, (std::vector<std::string>{"top", "u1", "a/b"}));
    ASSERT_EQ(c.paths.size(), 2u);
    EXPECT_EQ(c.paths[0].input, "a");
    EXPECT_EQ(c.paths[0].edge, "posedge");
    EXPECT_EQ(c.paths[0].output, "y");
    EXPECT_FALSE(c.paths[0].increment);
    ASSERT_EQ(c.paths[0].delays.size(), 3u);
    double v = 0;
    EXPECT_TRUE(pickDelay(c.paths[0].delays[0], 1, v));
    EXPECT_EQ(v, 2);
    EXPECT_FALSE(pickDelay(c.paths[0].delays[1], 0, v));
    EXPECT_TRUE(pickDelay(c.paths[0].delays[1], 2, v));
    EXPECT_EQ(v, 4);
    EXPECT_FALSE(pickDelay(c.paths[0].delays[2], 2, v));
    EXPECT_TRUE(c.paths[1].increment);
    EXPECT_TRUE(pickDelay(c.paths[1].delays[0], 0, v)); // pulse limits after the delay are left out
    EXPECT_EQ(v, 0.5);
    EXPECT_TRUE(file.cells[1].wildcard);
    EXPECT_TRUE(file.cells[2].instance.empty());
    ASSERT_EQ(file.warnings.size(), 1u);
    EXPECT_EQ(file.warnings[0], "line 9: TIMINGCHECK is not annotated by this engine; ignored");
}

TEST(SdfParser, DefaultsAndUnsupportedDelaysBecomeWarnings) {
    const SdfFile file = parseSdf(
        "(DELAYFILE (CELL (CELLTYPE \"c\") (INSTANCE a.b) (DELAY (ABSOLUTE (INTERCONNECT a.y b.a (1)) (COND x (IOPATH a y (1)))))))");
    EXPECT_DOUBLE_EQ(file.timescale, 1e-9);
    EXPECT_EQ(file.cells[0].instance, (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(file.warnings.size(), 2u);
    EXPECT_NE(file.warnings[0].find("INTERCONNECT"), std::string::npos);
    EXPECT_NE(file.warnings[1].find("COND"), std::string::npos);
}

TEST(SdfParser, MalformedFilesNameTheLine) {
    auto message = [](const std::string& text) {
        try {
            parseSdf(text);
        } catch (const SdfError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message(""), "empty SDF file");
    EXPECT_EQ(message("(DELAYFILE\n(CELL"), "line 2: '(' without a matching ')'");
    EXPECT_EQ(message("(SDF)"), "line 1: expected '(DELAYFILE'");
    EXPECT_EQ(message("(DELAYFILE (TIMESCALE 3 parsecs))"), "line 1: bad TIMESCALE unit 'parsecs'");
    EXPECT_EQ(message("(DELAYFILE\n\n(CELL (CELLTYPE \"c\") (DELAY (ABSOLUTE (IOPATH a y (1) (2) (3) (4))))))"),
              "line 3: IOPATH with 4 delay values (1, 2, 3, 6 or 12 allowed)");
    EXPECT_EQ(message("(DELAYFILE (CELL (CELLTYPE \"c\") (DELAY (ABSOLUTE (IOPATH a y (1:x:2))))))"),
              "line 1: bad delay value '1:x:2'");
    EXPECT_EQ(message("(DELAYFILE (DIVIDER :))"), "line 1: DIVIDER must be '.' or '/', got ':'");
    EXPECT_EQ(message("(DELAYFILE \"unterminated)"), "line 1: string without a closing quote");
    EXPECT_EQ(message("(DELAYFILE) extra"), "line 1: text after the end of DELAYFILE");
    EXPECT_EQ(message(std::string(500, '(')), "line 1: parentheses nested too deeply");
}

namespace {
GivenDelay d(std::int64_t t) { return GivenDelay{true, t}; }
} // namespace

TEST(SdfDelays, RiseFallExpandToEdgesAndXTransitions) {
    std::int64_t delays[12] = {};
    ASSERT_TRUE(applyDelays({d(10), d(20)}, false, delays));
    const std::int64_t expected[12] = {10, 20, 10, 10, 20, 20, 10, 10, 20, 20, 20, 10};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(delays[i], expected[i]) << i;
}

TEST(SdfDelays, ThreeValuesGiveTurnOffAndEmptyValuesKeepTheOldOnes) {
    std::int64_t delays[12] = {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5};
    ASSERT_TRUE(applyDelays({d(10), GivenDelay{}, d(30)}, false, delays));
    EXPECT_EQ(delays[0], 10);
    EXPECT_EQ(delays[1], 5);  // kept
    EXPECT_EQ(delays[2], 30); // 0-z
    EXPECT_EQ(delays[3], 10); // z-1
    EXPECT_EQ(delays[4], 30); // 1-z
    EXPECT_EQ(delays[5], 5);  // z-0 follows fall, kept
    EXPECT_EQ(delays[10], 30);
}

TEST(SdfDelays, IncrementsAddAndNeverGoBelowZero) {
    std::int64_t delays[12] = {10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10};
    ASSERT_TRUE(applyDelays({d(5), d(-20)}, true, delays));
    EXPECT_EQ(delays[0], 15);
    EXPECT_EQ(delays[1], 0);
    EXPECT_EQ(delays[6], 15); // 0-x: min(0-1, 0-z), both from the rise
    EXPECT_EQ(delays[8], 0);  // 1-x: min(1-0, 1-z), both from the fall
    EXPECT_FALSE(applyDelays({d(1), d(2), d(3), d(4)}, false, delays));
}

TEST(SdfDelays, TwelveValuesAreTakenAsGiven) {
    std::vector<GivenDelay> given;
    for (int i = 0; i < 12; ++i) given.push_back(d(100 + i));
    std::int64_t delays[12] = {};
    ASSERT_TRUE(applyDelays(given, false, delays));
    for (int i = 0; i < 12; ++i) EXPECT_EQ(delays[i], 100 + i);
}

TEST(SdfDelays, ValuesBecomeTicksOfThePrecision) {
    EXPECT_EQ(delayTicks(1.3, 1e-9, -12), 1300);
    EXPECT_EQ(delayTicks(25, 100e-12, -12), 2500);
    EXPECT_EQ(delayTicks(0.0004, 1e-9, -12), 0);
    EXPECT_EQ(delayTicks(-0.25, 1e-9, -12), -250);
}
