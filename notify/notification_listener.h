// Turns the calendar store's notices that another program changed events
// into runs of a FileMaker script. A notice posted on the thread that
// registered the script starts it at once; one posted on any other thread is
// queued until the host's next Idle message drains the queue on the host's
// thread. The host runs no run loop of the plug-in's, so Idle is the one way
// back onto a host thread.
#ifndef ZYLO_NOTIFY_NOTIFICATION_LISTENER_H_
#define ZYLO_NOTIFY_NOTIFICATION_LISTENER_H_

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

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
  // change nothing. REQUIRES: the plug-in's lock is held.
  void setUpThreadingSupport();
  // Thread-safe off the owning thread: queues the notice. On it: starts the
  // script for the notice at once; REQUIRES then that no other thread calls
  // into the plug-in meanwhile (the store posts on a thread of its own, so
  // only the plug-in's own code posts on the owning thread). Taking the
  // plug-in's lock here would invert its order with the centre's.
  void processNotification(const foundation::Notification& notice);
  // On a host thread (the Idle message): starts the script for every queued
  // notice, in order. REQUIRES: the plug-in's lock is held.
  void handleQueuedNotifications();

  // Observes the store's change notice on `center`; a listener already
  // observing stays subscribed once. REQUIRES: the plug-in's lock is held.
  void subscribe(foundation::NotificationCenter& center);
  // Stops observing, so that nothing calls into the listener any more.
  // REQUIRES: the plug-in's lock is held.
  void detach();

  // What a registration sets. REQUIRES: the plug-in's lock is held.
  void setEnvironment(const FM_ExprEnv* environment) { environment_ = environment; }
  void setLocale(const FM_Locale* locale) { locale_.assign(locale); }
  void setNames(fmx::TextRef database, fmx::TextRef script);

 private:
  bool onOwningThread() const;
  void startScript(const foundation::String& parameter);

  std::deque<foundation::Notification> notifications_;
  std::optional<std::thread::id> notificationThread_;
  std::mutex notificationLock_;
  const FM_ExprEnv* environment_ = nullptr;  // kept for the host; not read
  // Destroyed in the reverse order: data, locale, the parameter, script and
  // database names.
  fmx::Text theDB_, theScript_, theParam_;
  fmx::Locale locale_{1};
  fmx::Data data_;
  int16_t err_ = 0;
  foundation::NotificationCenter* center_ = nullptr;
  foundation::NotificationCenter::Token observation_ = 0;
};

// The one listener, made by the first registration of an update script and
// kept until the plug-in shuts down. It is never destroyed at process exit:
// the notification centre it would leave may be gone by then.
extern QTXiCalNotificationListener* listener;

}  // namespace zylo

#endif  // ZYLO_NOTIFY_NOTIFICATION_LISTENER_H_
