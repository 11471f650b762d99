// The string table: the capacity rule, the options remap and the names.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "plugin/plugin_entry.h"
#include "plugin/string_resources.h"
#include "plugin/string_table.h"
#include "tests/plugin/test_host.h"

namespace zylo::testing {
namespace {

// A table of our own, with entries of known lengths, read the way the
// built-in one is.
class StringTableTest : public ::testing::Test {
 protected:
  std::shared_ptr<const foundation::StringsTable> table_ =
      std::make_shared<const foundation::StringsTable>(*foundation::parseStringsFile(
          "\"Zylo 1\" = \"options\";\n"
          "\"Zylo 7\" = \"12345678\";\n"
          "\"Zylo 9\" = \"123456789\";\n"
          "\"Zylo 131\" = \"not this one\";\n"
          "\"Zylo 200\" = \"NoParenthesis\";\n"));
};

// The empty text, then the buffer as the host filled it.
std::u16string emptyAnswer(size_t capacity) { return u'\0' + std::u16string(capacity - 1, u'x'); }

TEST_F(StringTableTest, WritesOnlyEntriesShorterThanCapacityLessOne) {
  TestHost host(testPlatform(), table_);
  std::u16string eight = host.requestString(7, 10);
  EXPECT_EQ(eight.substr(0, 9), std::u16string(u"12345678\0", 9));
  EXPECT_EQ(eight[9], u'x');
}

TEST_F(StringTableTest, NoAnswerOrNoRoomLeavesTheEmptyText) {
  TestHost host(testPlatform(), table_);
  EXPECT_EQ(host.requestString(9, 10), emptyAnswer(10));
  EXPECT_EQ(host.requestString(7, 9), emptyAnswer(9));
  EXPECT_EQ(host.requestString(7, 1), emptyAnswer(1));
  EXPECT_EQ(host.requestString(42, 10), emptyAnswer(10));
  // No room at all, or no buffer: nothing is written.
  FMX_Unichar untouched[2] = {'x', 'x'};
  EXPECT_EQ(Sub_OSXLoadString(42, untouched, 0), 0);
  EXPECT_EQ(untouched[0], FMX_Unichar('x'));
  EXPECT_EQ(Sub_OSXLoadString(7, nullptr, 10), 0);
}

TEST_F(StringTableTest, Request131AnswersString1) {
  TestHost host(testPlatform(), table_);
  EXPECT_EQ(host.requestString(131, 20).substr(0, 8), std::u16string(u"options\0", 8));
}

TEST_F(StringTableTest, AnsweredBeforeAnyStartUp) {
  installStringTable(table_);
  FMX_ExternCallStruct call{};
  std::u16string buffer(20, u'x');
  call.whichCall = kFMXT_GetString;
  call.parm1 = 1;
  call.parm3 = 20;
  call.result = reinterpret_cast<intptr_t>(buffer.data());
  FMExternCallProc(&call);
  installStringTable(nullptr);
  EXPECT_EQ(buffer.substr(0, 8), std::u16string(u"options\0", 8));
}

TEST_F(StringTableTest, HostTextTakesTheNameBeforeTheParenthesis) {
  TestHost host(testPlatform(), table_);
  fmx::Text name;
  Do_GetString(200, name, true);
  EXPECT_EQ(fmxhost::textOf(name.get()), u"NoParenthesis");
  Do_GetString(42, name, false);
  EXPECT_EQ(fmxhost::textOf(name.get()), u"");
}

TEST(ShippedStringTable, NamesComeFromThePrototypes) {
  fmxhost::resetRegistry();
  TestHost host;
  const fmxhost::Function* f = fmxhost::findFunction(u"Zylo_EventsFetch");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->id, 156);
  EXPECT_EQ(f->prototype.substr(0, f->name.size() + 1), f->name + u"(");
}

// The host learns from the options which messages to send: Init and
// Shutdown, Idle (the update scripts start there), session and file shutdown.
TEST(ShippedStringTable, OptionsAskForInitIdleAndShutdowns) {
  TestHost host;
  EXPECT_EQ(host.requestString(131, 20).substr(0, 12), std::u16string(u"Zylo1nnYYYn\0", 12));
}

TEST(ShippedStringTable, BuiltInTableIsTheSourceFile) {
  std::ifstream file(ZYLO_STRINGS_FILE, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(builtInStringsFile(), bytes);
  EXPECT_EQ(stringTable().size(), foundation::parseStringsFile(bytes)->size());
}

}  // namespace
}  // namespace zylo::testing
