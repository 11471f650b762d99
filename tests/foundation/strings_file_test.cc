#include <gtest/gtest.h>

#include "platform/foundation/strings_file.h"

namespace foundation {
namespace {

TEST(StringsFile, EntriesCommentsAndEscapes) {
  auto table = parseStringsFile(
      "/* header */\n\"Zylo 1\" = \"one\";\n// a line comment\n"
      "\"Zylo 2\"=\"say \\\"hi\\\"\\n\\U00e9\";\n\"Zylo 1\" = \"again\";");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->at(u"Zylo 1"), u"again");
  EXPECT_EQ(table->at(u"Zylo 2"), u"say \"hi\"\n\u00E9");
}

TEST(StringsFile, Utf16WithByteOrderMark) {
  const std::string le("\xFF\xFE\"\0a\0\"\0=\0\"\0b\0\"\0;\0", 18);
  auto table = parseStringsFile(le);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->at(u"a"), u"b");
}

TEST(StringsFile, MalformedTextIsNoTable) {
  for (const char* text : {"\"a\" = \"b\"", "\"a\" \"b\";", "\"a\" = \"b", "a = b;",
                           "\"a\" = \"b\"; /* open", "\"a\" = \"\\U12\";"}) {
    EXPECT_FALSE(parseStringsFile(text)) << text;
  }
  EXPECT_TRUE(parseStringsFile("")->empty());
}

}  // namespace
}  // namespace foundation
