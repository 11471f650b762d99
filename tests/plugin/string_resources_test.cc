// The string table: the capacity rule, the options remap and the names.
#include <gtest/gtest.h>

#include <fstream>

#include "plugin/plugin_entry.h"
#include "plugin/string_resources.h"
#include "tests/plugin/test_host.h"

namespace zylo::testing {
namespace {

// A bundle of our own in a temp folder, with entries of known lengths.
class StringTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("zylo-strings-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / "Zylo.strings") << "\"Zylo 1\" = \"options\";\n"
                                               "\"Zylo 7\" = \"12345678\";\n"
                                               "\"Zylo 9\" = \"123456789\";\n"
                                               "\"Zylo 131\" = \"not this one\";\n"
                                               "\"Zylo 200\" = \"NoParenthesis\";\n";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_F(StringTableTest, WritesOnlyEntriesShorterThanCapacityLessOne) {
  TestHost host(testPlatform(), folder_);
  EXPECT_EQ(host.requestString(9, 10), std::u16string(10, u'x'));
  std::u16string eight = host.requestString(7, 10);
  EXPECT_EQ(eight.substr(0, 9), std::u16string(u"12345678\0", 9));
  EXPECT_EQ(eight[9], u'x');
  EXPECT_EQ(host.requestString(7, 1), u"x");
  EXPECT_EQ(host.requestString(42, 10), std::u16string(10, u'x'));
}

TEST_F(StringTableTest, Request131AnswersString1) {
  TestHost host(testPlatform(), folder_);
  EXPECT_EQ(host.requestString(131, 20).substr(0, 8), std::u16string(u"options\0", 8));
}

TEST_F(StringTableTest, AnsweredBeforeAnyStartUp) {
  FMX_ExternCallStruct call{};
  std::u16string buffer(20, u'x');
  const std::string bundle = folder_.string();
  call.whichCall = kFMXT_GetString;
  call.parm1 = 1;
  call.parm3 = 20;
  call.result = reinterpret_cast<intptr_t>(buffer.data());
  call.bundlePath = bundle.c_str();
  FMExternCallProc(&call);
  EXPECT_EQ(buffer.substr(0, 8), std::u16string(u"options\0", 8));
}

TEST_F(StringTableTest, HostTextTakesTheNameBeforeTheParenthesis) {
  TestHost host(testPlatform(), folder_);
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

}  // namespace
}  // namespace zylo::testing
