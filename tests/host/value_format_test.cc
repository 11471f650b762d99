#include "host/value_format.h"

#include <gtest/gtest.h>

namespace zylo::host {
namespace {

using fmxhost::Value;

Value number(std::u16string_view text) { return {*fmxhost::Number::fromText(text)}; }
Value timestamp() { return {fmxhost::Timestamp{{987, 3, 4}, {5, 6, 7, 0}}}; }

TEST(PlainText, ShowsEveryType) {
  EXPECT_EQ(plainText(Value{u"caf\u00E9\r\U0001F600"}), "caf\u00E9\r\U0001F600");
  EXPECT_EQ(plainText(number(u"-3.250")), "-3.25");
  EXPECT_EQ(plainText(Value{fmxhost::Date{2026, 1, 2}}), "2026-01-02");
  EXPECT_EQ(plainText(Value{fmxhost::Time{105, 4, 5, 0}}), "105:04:05");
  EXPECT_EQ(plainText(Value{fmxhost::Time{0, 0, 1, 250000}}), "00:00:01.25");
  EXPECT_EQ(plainText(timestamp()), "0987-03-04 05:06:07");
  EXPECT_EQ(plainText(Value{}), "");
}

TEST(Json, NamesTheTypeAndQuotesTheValue) {
  EXPECT_EQ(json(Value{u"a"}), R"({"type":"text","value":"a"})");
  EXPECT_EQ(json(number(u"2")), R"({"type":"number","value":"2"})");
  EXPECT_EQ(json(Value{fmxhost::Date{2026, 1, 2}}), R"({"type":"date","value":"2026-01-02"})");
  EXPECT_EQ(json(Value{fmxhost::Time{1, 2, 3, 0}}), R"({"type":"time","value":"01:02:03"})");
  EXPECT_EQ(json(timestamp()), R"({"type":"timestamp","value":"0987-03-04 05:06:07"})");
  EXPECT_EQ(json(Value{}), R"({"type":"empty"})");
  EXPECT_EQ(json(Value{u""}), R"({"type":"text","value":""})");
}

TEST(Json, EscapesWhatJsonRequires) {
  EXPECT_EQ(json(Value{u"\"q\" \\ a\rb\nc\td\x01\x1f"}),
            R"({"type":"text","value":"\"q\" \\ a\rb\nc\td\u0001\u001f"})");
  EXPECT_EQ(json(Value{u"\u00E9/"}), "{\"type\":\"text\",\"value\":\"\u00E9/\"}");
}

TEST(Functions, PrintAsLineAndAsJson) {
  fmxhost::Function f;
  f.id = 151;
  f.name = u"Zylo_Version";
  f.prototype = u"Zylo_Version( { \"format\" } )";
  f.minArgs = 0;
  f.maxArgs = 1;
  f.flags = 65281;
  EXPECT_EQ(plainText(f), "151 Zylo_Version Zylo_Version( { \"format\" } ) 0..1 65281");
  EXPECT_EQ(json(f),
            R"x({"id":151,"name":"Zylo_Version","prototype":"Zylo_Version( { \"format\" } )",)x"
            R"x("min":0,"max":1,"flags":65281})x");
}

}  // namespace
}  // namespace zylo::host
