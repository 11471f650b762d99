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
  if (!notificationThread_) notificationThread_ = std::this_thread::get_id();
}

bool QTXiCalNotificationListener::onOwningThread() const {
  return notificationThread_ == std::this_thread::get_id();
}

void QTXiCalNotificationListener::processNotification(const foundation::Notification& notice) {
  if (!onOwningThread()) {
    std::lock_guard guard(notificationLock_);
    notifications_.push_back(notice);
    return;
  }
  if (auto parameter = parameterFor(notice)) startScript(*parameter);
}

void QTXiCalNotificationListener::handleQueuedNotifications() {
  std::unique_lock guard(notificationLock_);
  while (!notifications_.empty()) {
    foundation::Notification notice = std::move(notifications_.front());
    notifications_.pop_front();
    // Never held while a script starts, so the store's thread can queue.
    guard.unlock();
    if (auto parameter = parameterFor(notice)) startScript(*parameter);
    guard.lock();
  }
}

void QTXiCalNotificationListener::startScript(const foundation::String& parameter) {
  if (!g_startScript) return;
  fmx::Text text;
  text.assignUnicodeWithLength(parameter.data(), static_cast<uint32_t>(parameter.size()));
  data_.ref().setAsText(text.ref(), locale_.get());
  // A script that was running carries on after the update script.
  err_ = g_startScript(theDB_.get(), theScript_.get(), kFMX_ScriptResume, data_.get());
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
}

void QTXiCalNotificationListener::setNames(fmx::TextRef database, fmx::TextRef script) {
  theDB_.setText(database);
  theScript_.setText(script);
}

}  // namespace zylo
