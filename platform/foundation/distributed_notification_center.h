// The centre for notices between processes. Nothing here posts such
// notices; the plug-in only asks that their delivery be resumed.
#ifndef ZYLO_PLATFORM_FOUNDATION_DISTRIBUTED_NOTIFICATION_CENTER_H_
#define ZYLO_PLATFORM_FOUNDATION_DISTRIBUTED_NOTIFICATION_CENTER_H_

#include <atomic>

namespace foundation {

class DistributedNotificationCenter {
 public:
  static DistributedNotificationCenter& defaultCenter();
  void setSuspended(bool suspended) { suspended_ = suspended; }
  bool suspended() const { return suspended_; }

 private:
  std::atomic<bool> suspended_{false};
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_DISTRIBUTED_NOTIFICATION_CENTER_H_
