#include "notify/notification_listener.h"

#include <string>

#include "errors/error_codes.h"
#include "platform/calendarstore/change_watcher.h"
#include "plugin/plugin_state.h"

namespace zylo {
namespace {

// The change a notice reports: the first identifier under the first key
// present. None when that key lists no identifier, which no script could
// act on.
std::optional<NoticeQueue::Notice> changeOf(const foundation::Notification& notice) {
  const std::pair<const char16_t*, NoticeQueue::Change> kinds[] = {
      {calendarstore::kInsertedRecordsKey, NoticeQueue::Change::kInserted},
      {calendarstore::kUpdatedRecordsKey, NoticeQueue::Change::kUpdated},
      {calendarstore::kDeletedRecordsKey, NoticeQueue::Change::kDeleted}};
  for (const auto& [key, change] : kinds) {
    auto it = notice.userInfo.find(key);
    if (it == notice.userInfo.end()) continue;
    if (it->second.empty()) return std::nullopt;
    return NoticeQueue::Notice{change, it->second.front()};
  }
  return std::nullopt;
}

foundation::String parameterFor(const NoticeQueue::Notice& notice) {
  switch (notice.change) {
    case NoticeQueue::Change::kInserted: return u"New " + notice.uid;
    case NoticeQueue::Change::kUpdated: return u"Updated " + notice.uid;
    case NoticeQueue::Change::kDeleted: break;
  }
  return u"Deleted " + notice.uid;
}

struct ListenerSlot {
  std::mutex lock;
  std::shared_ptr<QTXiCalNotificationListener> listener;
};

// Never destroyed at process exit, where the notification centre the
// listener would leave may be gone already; made in place without a heap
// allocation, so that an unloaded plug-in leaves nothing behind.
union NeverDestroyed {
  constexpr NeverDestroyed() : slot() {}
  ~NeverDestroyed() {}
  ListenerSlot slot;
};
constinit NeverDestroyed holder;

ListenerSlot& slot() { return holder.slot; }

}  // namespace

std::shared_ptr<QTXiCalNotificationListener> listener() {
  std::lock_guard guard(slot().lock);
  return slot().listener;
}

std::shared_ptr<QTXiCalNotificationListener> makeListenerIfNone() {
  std::lock_guard guard(slot().lock);
  if (!slot().listener) slot().listener = std::make_shared<QTXiCalNotificationListener>();
  return slot().listener;
}

void dropListener() {
  std::shared_ptr<QTXiCalNotificationListener> gone;
  {
    std::lock_guard guard(slot().lock);
    gone = std::move(slot().listener);
  }
  if (gone) gone->detach();
}

QTXiCalNotificationListener::~QTXiCalNotificationListener() { detach(); }

void QTXiCalNotificationListener::setUpThreadingSupport() {
  std::lock_guard guard(registrationLock_);
  if (!notificationThread_) notificationThread_ = std::this_thread::get_id();
}

bool QTXiCalNotificationListener::onOwningThread() {
  std::lock_guard guard(registrationLock_);
  return notificationThread_ == std::this_thread::get_id();
}

void QTXiCalNotificationListener::processNotification(const foundation::Notification& notice) {
  std::optional<NoticeQueue::Notice> change = changeOf(notice);
  if (!change) return;
  if (onOwningThread()) {
    startScript(*change);
    return;
  }
  std::lock_guard guard(notificationLock_);
  notifications_.push(std::move(*change));
}

void QTXiCalNotificationListener::handleQueuedNotifications() {
  std::vector<NoticeQueue::Notice> waiting;
  {
    std::lock_guard guard(notificationLock_);
    waiting = notifications_.takeAll();
  }
  for (const NoticeQueue::Notice& notice : waiting) startScript(notice);
}

void QTXiCalNotificationListener::startScript(const NoticeQueue::Notice& notice) {
  const FMX_StartScriptCall start = g_startScript.load();
  if (!start) return;
  // The names are copied so that a registration on another thread may
  // replace them while the host runs the script.
  fmx::Text database, script, text;
  fmx::Data data;
  std::shared_ptr<Session> registrant;
  {
    std::lock_guard guard(registrationLock_);
    database.setText(theDB_.ref());
    script.setText(theScript_.ref());
    const foundation::String parameter = parameterFor(notice);
    text.assignUnicodeWithLength(parameter.data(), static_cast<uint32_t>(parameter.size()));
    data.ref().setAsText(text.ref(), locale_.get());
    registrant = registrant_.lock();
  }
  // A script that was running carries on after the update script.
  const FMX_Err err = start(database.get(), script.get(), kFMX_ScriptResume, data.get());
  {
    std::lock_guard guard(registrationLock_);
    err_ = err;
  }
  if (err != 0 && registrant) {
    registrant->setError(kSystemError, err,
                         u"The update script could not be started (host error " +
                             foundation::fromUtf8(std::to_string(err)) + u").");
    registrant->setLastErrorCode(kSystemError);
  }
}

void QTXiCalNotificationListener::subscribe(foundation::NotificationCenter& center) {
  std::lock_guard guard(registrationLock_);
  if (center_) return;
  center_ = &center;
  observation_ = center.addObserver(calendarstore::kEventsChangedExternally,
                                    [this](const foundation::Notification& n) { processNotification(n); });
}

void QTXiCalNotificationListener::detach() {
  foundation::NotificationCenter* center;
  foundation::NotificationCenter::Token observation;
  {
    std::lock_guard guard(registrationLock_);
    center = std::exchange(center_, nullptr);
    observation = observation_;
  }
  // Outside the lock: removal waits for a delivery in progress, which may
  // need the lock.
  if (center) center->removeObserver(observation);
}

void QTXiCalNotificationListener::setEnvironment(const FM_ExprEnv* environment) {
  std::lock_guard guard(registrationLock_);
  environment_ = environment;
}

void QTXiCalNotificationListener::setLocale(const FM_Locale* locale) {
  std::lock_guard guard(registrationLock_);
  locale_.assign(locale);
}

void QTXiCalNotificationListener::setNames(fmx::TextRef database, fmx::TextRef script) {
  std::lock_guard guard(registrationLock_);
  theDB_.setText(database);
  theScript_.setText(script);
}

void QTXiCalNotificationListener::setRegistrant(std::weak_ptr<Session> session) {
  std::lock_guard guard(registrationLock_);
  registrant_ = std::move(session);
}

}  // namespace zylo
