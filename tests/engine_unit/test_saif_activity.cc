// The SAIF text. (SAIF activity, bit by bit against vvp's own $dumpvars: e2e.test_saif_words.)
#include <gtest/gtest.h>

#include "SaifActivity.h"

using namespace OrvexEngine;

TEST(SaifText, HeaderHierarchyAndBitsInDeclaredOrder) {
    SaifHeader header;
    header.design = "tb";
    header.date = "today";
    header.version = "0.1";
    header.precision = -10;
    header.duration = 500;
    SaifInstance top;
    top.name = "tb";
    SaifInstance dut;
    dut.name = "dut";
    SaifNet bus;
    bus.name = "q";
    bus.vector = true;
    bus.msb = 0;
    bus.lsb = 1; // declared [0:1]: index 0 is the most significant bit
    bus.bits.resize(2);
    bus.bits[0].tc = 7; // least significant = index 1
    bus.bits[1].tc = 3;
    dut.nets.push_back(bus);
    top.children.push_back(dut);
    const std::string text = saifText(header, top);
    EXPECT_NE(text.find("(SAIFVERSION \"2.0\")\n(DIRECTION \"backward\")\n(DESIGN \"tb\")"), std::string::npos);
    EXPECT_NE(text.find("(TIMESCALE 100 ps)\n(DURATION 500)"), std::string::npos);
    EXPECT_NE(text.find("(DIVIDER / )"), std::string::npos);
    const std::size_t q0 = text.find("(q\\[0\\]");
    const std::size_t q1 = text.find("(q\\[1\\]");
    ASSERT_NE(q0, std::string::npos);
    ASSERT_NE(q1, std::string::npos);
    EXPECT_LT(q0, q1);
    EXPECT_NE(text.find("(TC 3)", q0), std::string::npos);
    EXPECT_LT(text.find("(TC 3)", q0), q1);
    EXPECT_NE(text.find("(INSTANCE tb\n  (INSTANCE dut\n    (NET\n"), std::string::npos);
    int depth = 0;
    for (char c : text) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(saifName("a.b[2]"), "a\\.b\\[2\\]");
}
