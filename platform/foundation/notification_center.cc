#include "platform/foundation/notification_center.h"

namespace foundation {
namespace {

// How many deliveries this thread is inside of: an observer that removes an
// observer must not wait for its own delivery to end.
thread_local int deliveryDepth = 0;

struct InDelivery {
  InDelivery() { ++deliveryDepth; }
  ~InDelivery() { --deliveryDepth; }
  InDelivery(const InDelivery&) = delete;
  InDelivery& operator=(const InDelivery&) = delete;
};

}  // namespace

// Never destroyed, so that observers leaving it while the process exits
// still find it.
NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter* const center = new NotificationCenter;
  return *center;
}

NotificationCenter::Token NotificationCenter::addObserver(String name, Observer observer) {
  std::lock_guard guard(lock_);
  const Token token = next_++;
  observers_.emplace(token, Registration{std::move(name), std::make_shared<const Observer>(std::move(observer))});
  return token;
}

void NotificationCenter::removeObserver(Token token) {
  {
    std::lock_guard guard(lock_);
    observers_.erase(token);
  }
  if (deliveryDepth == 0) std::unique_lock wait(delivering_);
}

void NotificationCenter::postNotification(const Notification& notification) {
  std::shared_lock delivering(delivering_, std::defer_lock);
  if (deliveryDepth == 0) delivering.lock();
  std::vector<std::pair<Token, std::shared_ptr<const Observer>>> targets;
  {
    std::lock_guard guard(lock_);
    for (const auto& [token, registration] : observers_) {
      if (registration.name == notification.name) targets.emplace_back(token, registration.observer);
    }
  }
  InDelivery inDelivery;
  for (const auto& [token, observer] : targets) {
    bool stillRegistered;
    {
      std::lock_guard guard(lock_);
      stillRegistered = observers_.contains(token);
    }
    if (stillRegistered) (*observer)(notification);
  }
}

}  // namespace foundation
