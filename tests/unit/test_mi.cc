// The engine protocol's line codec: texts, tuples and lists survive a round trip byte for byte,
// records and requests parse as the engine and the engine control write them, and malformed
// lines are refused with ParseError, never with a crash or another exception.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Mi.h"

using namespace Orvex::Mi;

namespace {

Record parseEvent(const Value& tuple) { return parseRecord("*event," + encodeFields(tuple)); }

TEST(MiTest, TextsEscapeTheSpecialBytesAndEveryByteSurvives) {
    EXPECT_EQ(quote(std::string("a\"b\\c\n\r\t\x01\x1f\x7f z\0", 14)),
              "\"a\\\"b\\\\c\\n\\r\\t\\x01\\x1f\\x7f z\\x00\"");
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (const std::string& text : {all, std::string("\\x41 is not A"), std::string()}) {
        Record r = parseRecord("~" + quote(text));
        EXPECT_EQ(r.type, Record::Type::Stream);
        EXPECT_EQ(r.text, text);
    }
}

TEST(MiTest, NestedTuplesAndListsRoundTrip) {
    Value location = Value::tuple().add("file", "top \"quoted\".v").add("line", 12);
    Value frames = Value::list()
                       .push(Value::ofText("first\n"))
                       .push(Value::tuple())
                       .push(Value::list())
                       .push(Value::list().push(Value::tuple().add("deep", "x,y=}]")));
    Value tuple = Value::tuple()
                      .add("reason", "breakpoint-hit")
                      .add("time", std::int64_t{-9000000000000000000LL})
                      .add("at", location)
                      .add("frames", frames)
                      .add("reason", "repeated name");
    Record r = parseEvent(tuple);
    EXPECT_EQ(r.type, Record::Type::Async);
    EXPECT_EQ(r.cls, "event");
    EXPECT_EQ(encode(r.fields), encode(tuple));
    EXPECT_EQ(r.fields.get("reason"), "breakpoint-hit"); // the first of repeated names
    EXPECT_EQ(r.fields.getInt("time"), -9000000000000000000LL);
    ASSERT_NE(r.fields.find("at"), nullptr);
    EXPECT_EQ(r.fields.find("at")->get("file"), "top \"quoted\".v");
    EXPECT_EQ(r.fields.find("at")->getInt("line"), 12);
    const Value* parsedFrames = r.fields.find("frames");
    ASSERT_NE(parsedFrames, nullptr);
    ASSERT_EQ(parsedFrames->items.size(), 4u);
    EXPECT_EQ(parsedFrames->items[3].items[0].get("deep"), "x,y=}]");

    // Results inside a list are kept as one-field tuples.
    Record bps = parseRecord("*bps,list=[bp={n=\"1\"},bp={n=\"2\"},\"plain\"]");
    const Value* list = bps.fields.find("list");
    ASSERT_TRUE(list != nullptr && list->items.size() == 3u);
    EXPECT_EQ(list->items[1].find("bp")->getInt("n"), 2);
    EXPECT_EQ(list->items[2].text, "plain");
}

TEST(MiTest, ResultAsyncAndStreamRecords) {
    Record done = parseRecord("9999999999999999999^done,value=\"42\"");
    EXPECT_EQ(done.type, Record::Type::Result);
    EXPECT_EQ(done.token, 9999999999999999999ULL); // the longest token accepted
    EXPECT_EQ(done.cls, "done");
    EXPECT_EQ(done.fields.getInt("value"), 42);

    Record error = parseRecord("3^error,msg=\"No such object: /top/x\"");
    EXPECT_EQ(error.cls, "error");
    EXPECT_EQ(error.fields.get("msg"), "No such object: /top/x");

    Record bare = parseRecord("0^done");
    EXPECT_EQ(bare.token, 0u);
    EXPECT_TRUE(bare.fields.fields.empty());

    Record async = parseRecord("*engine-ready");
    EXPECT_EQ(async.type, Record::Type::Async);
    EXPECT_EQ(async.cls, "engine-ready");

    Record stream = parseRecord("~\"count = 3\\n\"");
    EXPECT_EQ(stream.text, "count = 3\n");

    // Joined trace lines: escapes and quotes on either side of every 16-character block.
    std::string lines;
    for (int n = 0; n < 200; ++n) lines += std::string(static_cast<std::size_t>(n % 37), 'x') + "\"\\\n";
    Record joined = parseRecord("~" + quote(lines));
    EXPECT_EQ(joined.type, Record::Type::Stream);
    EXPECT_EQ(joined.text, lines);

    Record output = parseRecord("@\"no line end\"");
    EXPECT_EQ(output.type, Record::Type::Output);
    EXPECT_EQ(output.text, "no line end");
}

TEST(MiTest, FieldAccessFallsBackOnAbsentOrMalformedValues) {
    Record r = parseRecord("*e,n=\"12x\",e=\"\",t={a=\"1\"},neg=\"-7\","
                           "max=\"9223372036854775807\",over=\"9223372036854775808\"");
    EXPECT_EQ(r.fields.getInt("max", -1), 9223372036854775807LL);
    EXPECT_EQ(r.fields.getInt("over", -1), -1); // out of range is not clamped
    EXPECT_EQ(r.fields.getInt("n", -1), -1);
    EXPECT_EQ(r.fields.getInt("e", -1), -1);
    EXPECT_EQ(r.fields.getInt("t", -1), -1);
    EXPECT_EQ(r.fields.getInt("absent", -1), -1);
    EXPECT_EQ(r.fields.getInt("neg"), -7);
    EXPECT_EQ(r.fields.get("t", "fb"), "fb");
    EXPECT_EQ(r.fields.get("absent", "fb"), "fb");
}

TEST(MiTest, RequestsRoundTripWithQuotedAndBareArguments) {
    Request request;
    request.token = 7;
    request.command = "break-insert";
    request.args = {"top file.v", "12", "", "say \"hi\"\\", std::string("\x01\n", 2)};
    const std::string line = encodeRequest(request);
    EXPECT_EQ(line.rfind("7-break-insert \"top file.v\" \"12\" \"\" ", 0), 0u);
    Request back = parseRequest(line);
    EXPECT_EQ(back.token, 7u);
    EXPECT_EQ(back.command, "break-insert");
    EXPECT_EQ(back.args, request.args);

    Request bare = parseRequest("12-exec-run 10000   \"a b\" x\"y -f ");
    EXPECT_EQ(bare.token, 12u);
    EXPECT_EQ(bare.command, "exec-run");
    EXPECT_EQ(bare.args, (std::vector<std::string>{"10000", "a b", "x\"y", "-f"}));

    EXPECT_TRUE(parseRequest("1-stop").args.empty());
}

TEST(MiTest, MalformedLinesThrowParseError) {
    const std::vector<std::string> records = {
        "", " ", "~", "~\"abc", "~\"ab\\", "~\"a\\q\"", "~\"\\x4\"", "~\"\\xZZ\"", "~\"x\" ",
        "~\"x\"\"y\"", "*", "*,a=\"1\"", "*stopped,", "*stopped,a=", "*stopped,a=\"1\"x",
        "*stopped,a=\"1\",", "*s,=\"1\"", "*s,a=bare", "*s,a={b=\"1\"", "*s,a={}}", "*s,a=[\"1\"",
        "*s,a=[\"1\",]", "*s,a=[b]", "12", "12^", "12^,a=\"1\"", "^done", "-12^done",
        "123456789012345678901^done", "&\"log\"", "=thread-created", std::string("~\"a\0b", 5)};
    for (const std::string& line : records)
        EXPECT_THROW(parseRecord(line), ParseError) << line;

    const std::vector<std::string> requests = {
        "", "-run", "x-run", "12run", "12-", "12- run", "12-run\"a\"", "12-run \"open",
        "12-run \"a\"b", "12-run \"\\q\"", "123456789012345678901-run"};
    for (const std::string& line : requests)
        EXPECT_THROW(parseRequest(line), ParseError) << line;
}

TEST(MiTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string shallow = "*s,a=";
    for (int i = 0; i < 20; ++i) shallow += "[";
    shallow += "\"x\"";
    for (int i = 0; i < 20; ++i) shallow += "]";
    EXPECT_NO_THROW(parseRecord(shallow));

    const int depth = 200000;
    EXPECT_THROW(parseRecord("*s,a=" + std::string(depth, '[')), ParseError);
    std::string tuples = "*s";
    for (int i = 0; i < depth; ++i) tuples += ",a={b=\"1\"";
    EXPECT_THROW(parseRecord(tuples), ParseError);
    std::string nested = "*s,a=";
    for (int i = 0; i < depth; ++i) nested += "{a=";
    EXPECT_THROW(parseRecord(nested), ParseError);
    std::string balanced = "*s,a=" + std::string(depth, '[') + "\"x\"" + std::string(depth, ']');
    EXPECT_THROW(parseRecord(balanced), ParseError);
}

TEST(MiTest, DamagedLinesNeverEscapeAsAnythingButParseError) {
    const std::vector<std::string> seeds = {
        "17^done,value=\"4\\x002\",list=[x={a=\"1\"},\"2\",[]],t={}",
        "*stopped,reason=\"breakpoint-hit\",frame={file=\"top.v\",line=\"12\"}",
        "~\"text with \\\"quotes\\\" and \\\\\"", "5-exec-run \"10\" bare \"\\t\""};
    std::mt19937 random(20240611);
    auto tryBoth = [](const std::string& line) {
        try {
            parseRecord(line);
        } catch (const ParseError&) {
        }
        try {
            parseRequest(line);
        } catch (const ParseError&) {
        }
    };
    for (const std::string& seed : seeds) {
        for (std::size_t cut = 0; cut <= seed.size(); ++cut) tryBoth(seed.substr(0, cut));
        for (int round = 0; round < 2000; ++round) {
            std::string line = seed;
            for (int edits = 1 + random() % 3; edits > 0; --edits) {
                std::size_t at = random() % (line.size() + 1);
                char byte = static_cast<char>(random() % 256);
                switch (random() % 3) {
                case 0: line.insert(line.begin() + at, byte); break;
                case 1: if (at < line.size()) line.erase(at, 1); break;
                default: if (at < line.size()) line[at] = byte; break;
                }
            }
            tryBoth(line); // any other exception fails the test
        }
    }
}

} // namespace
