// The queue of changes waiting for the update script.
#include "notify/notice_queue.h"

#include <gtest/gtest.h>

namespace zylo {
namespace {

using Change = NoticeQueue::Change;

std::vector<std::pair<Change, foundation::String>> contents(NoticeQueue& q) {
  std::vector<std::pair<Change, foundation::String>> all;
  for (auto& n : q.takeAll()) all.emplace_back(n.change, n.uid);
  return all;
}

TEST(NoticeQueue, ChangesOfOneEventMergeInTheirFirstPlace) {
  NoticeQueue q;
  q.push({Change::kUpdated, u"a"});
  q.push({Change::kInserted, u"b"});
  q.push({Change::kUpdated, u"a"});
  q.push({Change::kUpdated, u"b"});  // still new to the script
  q.push({Change::kDeleted, u"a"});
  q.push({Change::kUpdated, u"c"});
  EXPECT_EQ(contents(q), (std::vector<std::pair<Change, foundation::String>>{
                             {Change::kDeleted, u"a"}, {Change::kInserted, u"b"}, {Change::kUpdated, u"c"}}));
  // Taken changes are gone: the same event queues anew, at the end.
  q.push({Change::kUpdated, u"c"});
  q.push({Change::kUpdated, u"a"});
  EXPECT_EQ(contents(q), (std::vector<std::pair<Change, foundation::String>>{{Change::kUpdated, u"c"},
                                                                             {Change::kUpdated, u"a"}}));
}

TEST(NoticeQueue, AFullQueueDropsNewEventsAndCountsThem) {
  NoticeQueue q(3);
  for (const char16_t* uid : {u"a", u"b", u"c", u"d", u"e"}) q.push({Change::kInserted, uid});
  q.push({Change::kDeleted, u"b"});  // merges: no room needed
  EXPECT_EQ(q.size(), 3u);
  EXPECT_EQ(q.dropped(), 2u);
  EXPECT_EQ(contents(q), (std::vector<std::pair<Change, foundation::String>>{
                             {Change::kInserted, u"a"}, {Change::kDeleted, u"b"}, {Change::kInserted, u"c"}}));
  q.push({Change::kInserted, u"d"});
  EXPECT_EQ(q.size(), 1u);
}

}  // namespace
}  // namespace zylo
