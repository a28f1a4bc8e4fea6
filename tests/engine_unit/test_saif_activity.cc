// SAIF activity from value sequences, and the SAIF text.
#include <gtest/gtest.h>

#include "SaifActivity.h"

using namespace OrvexEngine;

TEST(SaifActivity, TimeAtEachStateAndTogglesFollowSettledValues) {
    NetActivity net("0", 100);
    net.observe("1");
    net.settle(110); // 0 for 10
    net.observe("x");
    net.settle(115); // 1 for 5, no toggle into x
    net.observe("0");
    net.settle(125); // x for 10, no toggle out of x
    net.observe("1");
    net.settle(130); // 0 for 5
    net.finish(200); // 1 for 70
    const BitActivity& bit = net.bits()[0];
    EXPECT_EQ(bit.t0, 15u);
    EXPECT_EQ(bit.t1, 75u);
    EXPECT_EQ(bit.tx, 10u);
    EXPECT_EQ(bit.tc, 2u);
    EXPECT_EQ(bit.ig, 0u);
}

TEST(SaifActivity, ZeroWidthPulsesAreGlitchesNotToggles) {
    NetActivity net("00", 0);
    net.observe("10");
    net.observe("00"); // bit 0 back within the step
    net.observe("01"); // bit 1 rises and stays
    net.settle(50);
    net.finish(100);
    EXPECT_EQ(net.bits()[0].ig, 1u);
    EXPECT_EQ(net.bits()[0].tc, 0u);
    EXPECT_EQ(net.bits()[0].t0, 100u);
    EXPECT_EQ(net.bits()[1].tc, 1u);
    EXPECT_EQ(net.bits()[1].t0, 50u);
    EXPECT_EQ(net.bits()[1].t1, 50u);
}

TEST(SaifActivity, ZCountsAsXAndUnchangedBitsAreNotTouched) {
    NetActivity net("z1", 0);
    net.observe("01");
    net.settle(20);
    net.finish(30);
    EXPECT_EQ(net.bits()[0].tx, 20u);
    EXPECT_EQ(net.bits()[0].t0, 10u);
    EXPECT_EQ(net.bits()[0].tc, 0u);
    EXPECT_EQ(net.bits()[1].t1, 30u);
}

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
