// Notices by name: observers register for a name and are called with each
// notice of that name, on the thread that posts it.
//
// Thread-safe. Once removeObserver returns, the observer is not running on
// any other thread and will not be called again, so an observer may be
// destroyed (or its code unloaded) right after.
#ifndef ZYLO_PLATFORM_FOUNDATION_NOTIFICATION_CENTER_H_
#define ZYLO_PLATFORM_FOUNDATION_NOTIFICATION_CENTER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "platform/foundation/string.h"

namespace foundation {

struct Notification {
  String name;
  // What the notice reports, as lists of texts by key.
  std::map<String, std::vector<String>> userInfo;
};

class NotificationCenter {
 public:
  using Observer = std::function<void(const Notification&)>;
  using Token = uint64_t;

  // The process's one default centre.
  static NotificationCenter& defaultCenter();

  Token addObserver(String name, Observer observer);
  void removeObserver(Token token);
  // Calls every observer of the notice's name, in the order they were added.
  void postNotification(const Notification& notification);

 private:
  struct Registration {
    String name;
    std::shared_ptr<const Observer> observer;
  };
  std::mutex lock_;
  std::map<Token, Registration> observers_;
  Token next_ = 1;
  // Held shared while observers run, so removal can wait for them.
  std::shared_mutex delivering_;
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_NOTIFICATION_CENTER_H_
