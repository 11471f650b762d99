// Turns the calendar store's notices that another program changed events
// into runs of a FileMaker script. A notice posted on the thread that
// registered the script starts it at once; one posted on any other thread is
// queued until the host's next Idle message drains the queue on the host's
// thread. The host runs no run loop of the plug-in's, so Idle is the one way
// back onto a host thread.
//
// Thread-safe: sessions register on their threads, the store posts on its
// own and the host sends Idle on any. No lock is held while a script starts.
#ifndef ZYLO_NOTIFY_NOTIFICATION_LISTENER_H_
#define ZYLO_NOTIFY_NOTIFICATION_LISTENER_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "frame/session.h"
#include "notify/notice_queue.h"
#include "platform/fmx/fmx.h"
#include "platform/foundation/notification_center.h"

namespace zylo {

class QTXiCalNotificationListener {
 public:
  QTXiCalNotificationListener() = default;
  ~QTXiCalNotificationListener();
  QTXiCalNotificationListener(const QTXiCalNotificationListener&) = delete;
  QTXiCalNotificationListener& operator=(const QTXiCalNotificationListener&) = delete;

  // The first call makes the calling thread the owning thread; later calls
  // change nothing.
  void setUpThreadingSupport();
  // Off the owning thread: queues the notice. On it: starts the script for
  // the notice at once (only the plug-in's own code posts there, never
  // inside a call).
  void processNotification(const foundation::Notification& notice);
  // On a host thread (the Idle message): starts the script for every queued
  // change, in order.
  void handleQueuedNotifications();

  // Observes the store's change notice on `center`; a listener already
  // observing stays subscribed once.
  void subscribe(foundation::NotificationCenter& center);
  // Stops observing, so that nothing calls into the listener any more.
  void detach();

  // What a registration sets. The registering session is told when the
  // host refuses to start its script.
  void setEnvironment(const FM_ExprEnv* environment);
  void setLocale(const FM_Locale* locale);
  void setNames(fmx::TextRef database, fmx::TextRef script);
  void setRegistrant(std::weak_ptr<Session> session);

 private:
  bool onOwningThread();
  void startScript(const NoticeQueue::Notice& notice);

  std::mutex notificationLock_;
  NoticeQueue notifications_;  // guarded by notificationLock_

  std::mutex registrationLock_;  // guards what follows
  std::optional<std::thread::id> notificationThread_;
  const FM_ExprEnv* environment_ = nullptr;  // kept for the host; not read
  fmx::Text theDB_, theScript_;
  fmx::Locale locale_{1};
  std::weak_ptr<Session> registrant_;
  int16_t err_ = 0;  // the host's answer to the last script start
  foundation::NotificationCenter* center_ = nullptr;
  foundation::NotificationCenter::Token observation_ = 0;
};

// The one listener, made by the first registration of an update script and
// kept until the plug-in shuts down. Thread-safe.
std::shared_ptr<QTXiCalNotificationListener> listener();
std::shared_ptr<QTXiCalNotificationListener> makeListenerIfNone();
// Detaches the listener and lets it go (a later registration makes a new one).
void dropListener();

}  // namespace zylo

#endif  // ZYLO_NOTIFY_NOTIFICATION_LISTENER_H_
