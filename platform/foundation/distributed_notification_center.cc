#include "platform/foundation/distributed_notification_center.h"

namespace foundation {

DistributedNotificationCenter& DistributedNotificationCenter::defaultCenter() {
  static DistributedNotificationCenter center;
  return center;
}

}  // namespace foundation
