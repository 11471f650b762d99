// The changes waiting for the update script, in the order they came: one
// entry per event, so that a sync that touches an event many times runs the
// script for it once, and a bound, so that a flood of changes while the host
// never idles cannot take the server's memory.
//
// Not thread-safe: the listener guards it.
#ifndef ZYLO_NOTIFY_NOTICE_QUEUE_H_
#define ZYLO_NOTIFY_NOTICE_QUEUE_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/foundation/string.h"

namespace zylo {

class NoticeQueue {
 public:
  // What the script is told of one event.
  enum class Change { kInserted, kUpdated, kDeleted };
  struct Notice {
    Change change;
    foundation::String uid;
  };

  explicit NoticeQueue(size_t limit = 10000) : limit_(limit) {}

  // A change of an event already waiting merges into its entry, which keeps
  // its place: the latest change is told, except that an event inserted and
  // then updated is still new to the script. A change beyond the limit is
  // dropped and counted.
  void push(Notice notice);
  // Everything waiting, oldest first; the queue is empty after.
  std::vector<Notice> takeAll();

  size_t size() const { return waiting_.size(); }
  uint64_t dropped() const { return dropped_; }

 private:
  const size_t limit_;
  std::vector<Notice> waiting_;
  std::map<foundation::String, size_t> positions_;  // of each waiting event's entry
  uint64_t dropped_ = 0;
};

}  // namespace zylo

#endif  // ZYLO_NOTIFY_NOTICE_QUEUE_H_
