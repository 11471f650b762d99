#include "notify/notice_queue.h"

#include <utility>

namespace zylo {

void NoticeQueue::push(Notice notice) {
  if (auto at = positions_.find(notice.uid); at != positions_.end()) {
    Notice& waiting = waiting_[at->second];
    if (!(waiting.change == Change::kInserted && notice.change == Change::kUpdated)) {
      waiting.change = notice.change;
    }
    return;
  }
  if (waiting_.size() >= limit_) {
    ++dropped_;
    return;
  }
  positions_.emplace(notice.uid, waiting_.size());
  waiting_.push_back(std::move(notice));
}

std::vector<NoticeQueue::Notice> NoticeQueue::takeAll() {
  positions_.clear();
  return std::exchange(waiting_, {});
}

}  // namespace zylo
