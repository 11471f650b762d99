// The configuration file's lines: what counts as a setting, and errors that
// point at the line.
#include "platform/calendarstore/settings_file.h"

#include <gtest/gtest.h>

namespace calendarstore::testing {
namespace {

std::map<std::string, Setting> parse(std::string_view text) {
  return parseSettings(text, "/etc/zylo/zylo.conf", {"calendars", "index"});
}

TEST(SettingsFile, CommentsBlanksAndSpacesAreNotPartOfSettings) {
  auto settings = parse("# Zylo's folders\n\n   \n  calendars =  /srv/My Calendars #2 \r\n\tindex=/var/cache/zylo");
  ASSERT_EQ(settings.size(), 2u);
  EXPECT_EQ(settings["calendars"].value, "/srv/My Calendars #2");
  EXPECT_EQ(settings["calendars"].where, "/etc/zylo/zylo.conf:4: `calendars`");
  EXPECT_EQ(settings["index"].value, "/var/cache/zylo");
  EXPECT_TRUE(parse("").empty());
  EXPECT_TRUE(parse("# calendars = /nowhere\n").empty());
}

TEST(SettingsFile, BadLinesNameTheFileAndLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"calendars /srv/calendars", "/etc/zylo/zylo.conf:1: expected `key = value`."},
      {"# fine\n= /srv/calendars", "/etc/zylo/zylo.conf:2: expected `key = value`."},
      {"calendar = /srv/calendars", "/etc/zylo/zylo.conf:1: `calendar` is no setting."},
      {"\nindex =  \n", "/etc/zylo/zylo.conf:2: `index` has no value."},
      {"calendars = /a\ncalendars = /b", "/etc/zylo/zylo.conf:2: `calendars` is set a second time."},
  };
  for (const auto& [text, message] : cases) {
    try {
      parse(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const SettingsError& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
}

}  // namespace
}  // namespace calendarstore::testing
