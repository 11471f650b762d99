#include "notify/notification_listener.h"

#include "platform/calendarstore/change_watcher.h"
#include "plugin/plugin_state.h"

namespace zylo {

QTXiCalNotificationListener* listener = nullptr;

namespace {

// What the script is told: the first identifier under the first key present.
std::optional<foundation::String> parameterFor(const foundation::Notification& notice) {
  const std::pair<const char16_t*, const char16_t*> kinds[] = {
      {calendarstore::kInsertedRecordsKey, u"New "},
      {calendarstore::kUpdatedRecordsKey, u"Updated "},
      {calendarstore::kDeletedRecordsKey, u"Deleted "}};
  for (const auto& [key, prefix] : kinds) {
    auto it = notice.userInfo.find(key);
    if (it == notice.userInfo.end()) continue;
    // A key with no identifier reports nothing that a script could act on.
    if (it->second.empty()) return std::nullopt;
    return prefix + it->second.front();
  }
  return std::nullopt;
}

}  // namespace

QTXiCalNotificationListener::~QTXiCalNotificationListener() { detach(); }

void QTXiCalNotificationListener::setUpThreadingSupport() {
  if (notificationPort_) {
    // After a shutdown took the port off, a new start-up puts it back.
    if (onOwningThread()) foundation::RunLoop::current().addPort(*notificationPort_);
    return;
  }
  notificationThread_ = std::this_thread::get_id();
  notificationPort_ = std::make_unique<foundation::Port>();
  notificationPort_->setDelegate([this] { handleMachMessage(); });
  foundation::RunLoop::current().addPort(*notificationPort_);
}

bool QTXiCalNotificationListener::onOwningThread() const {
  return notificationThread_ == std::this_thread::get_id();
}

void QTXiCalNotificationListener::processNotification(const foundation::Notification& notice) {
  if (!onOwningThread()) {
    {
      std::lock_guard guard(notificationLock_);
      notifications_.push_back(notice);
    }
    // A message already pending wakes the thread just as well: every
    // wake-up drains the whole queue.
    notificationPort_->send();
    return;
  }
  if (auto parameter = parameterFor(notice)) startScript(*parameter);
}

void QTXiCalNotificationListener::handleMachMessage() {
  std::unique_lock guard(notificationLock_);
  while (!notifications_.empty()) {
    foundation::Notification notice = std::move(notifications_.front());
    notifications_.pop_front();
    guard.unlock();
    processNotification(notice);
    guard.lock();
  }
}

void QTXiCalNotificationListener::startScript(const foundation::String& parameter) {
  if (!gFMX_ExternCallPtr || !gFMX_ExternCallPtr->cStartScript) return;
  fmx::Text text;
  text.assignUnicodeWithLength(parameter.data(), static_cast<uint32_t>(parameter.size()));
  data_.ref().setAsText(text.ref(), locale_.get());
  err_ = gFMX_ExternCallPtr->cStartScript(theDB_.get(), theScript_.get(), 3, data_.get());
}

void QTXiCalNotificationListener::subscribe(foundation::NotificationCenter& center) {
  if (center_) return;
  center_ = &center;
  observation_ = center.addObserver(calendarstore::kEventsChangedExternally,
                                    [this](const foundation::Notification& n) { processNotification(n); });
}

void QTXiCalNotificationListener::detach() {
  if (center_) center_->removeObserver(observation_);
  center_ = nullptr;
  if (notificationPort_ && onOwningThread()) foundation::RunLoop::current().removePort(*notificationPort_);
}

void QTXiCalNotificationListener::setNames(fmx::TextRef database, fmx::TextRef script) {
  theDB_.setText(database);
  theScript_.setText(script);
}

}  // namespace zylo
