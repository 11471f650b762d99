#include "tests/calendarstore/store_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/calendarstore/item_lock.h"
#include "tests/index_folder.h"
#include "tests/support/item_file_checks.h"

namespace calendarstore::testing {

using namespace std::chrono;

foundation::Date testNow() { return utc(2026, 6, 15, 12); }

foundation::Date utc(int y, int m, int d, int h, int min, int s) {
  return sys_days{year{y} / m / d} + hours{h} + minutes{min} + seconds{s};
}

void StoreTest::SetUp() {
  root_ = std::filesystem::temp_directory_path() /
          ("zylo-store-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
  indexFolder_ = root_.string() + ".index";
  std::filesystem::remove_all(root_);
  std::filesystem::remove_all(indexFolder_);
  std::filesystem::create_directories(root_);
  zone_ = foundation::namedZone("Europe/Berlin");
  ASSERT_NE(zone_, nullptr);
}

void StoreTest::TearDown() {
  store_.reset();
  std::error_code ignored;
  std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(root_, ignored);
  std::filesystem::remove_all(indexFolder_, ignored);
}

VdirCalendarStore& StoreTest::store(std::shared_ptr<FileSystem> files) {
  store_ = std::make_unique<VdirCalendarStore>(root_, zone_, foundation::fixedClock(testNow()),
                                               zylo::testing::checkingFileSystem(std::move(files)),
                                               zylo::testing::testIndexFolder(indexFolder_));
  return *store_;
}

void StoreTest::makeCalendar(const std::string& folder, const std::string& title) {
  std::filesystem::create_directories(root_ / folder);
  if (!title.empty()) std::ofstream(root_ / folder / "displayname") << title << "\n";
}

void StoreTest::writeItem(const std::string& folder, const std::string& file, const std::string& body) {
  std::string text = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Test//Hand written//EN\n" + body +
                     "END:VCALENDAR\n";
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::ofstream(root_ / folder / file, std::ios::binary) << crlf;
}

std::string StoreTest::readFile(const std::filesystem::path& relative) const {
  std::ifstream in(root_ / relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::shared_ptr<zylo::CalCalendar> StoreTest::calendar(const std::string& folder) {
  return store_->calendarWithUID(foundation::fromUtf8(folder));
}

zylo::CalendarStore::EventList StoreTest::events(foundation::Date from, foundation::Date to) {
  return store_->eventsWithPredicate(
      *zylo::EventPredicate::eventPredicateWithStartDate(from, to, store_->calendars()));
}

std::vector<std::string> StoreTest::filesIn(const std::string& folder) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(root_ / folder)) {
    if (entry.path().filename() != kLockFileName) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace calendarstore::testing
