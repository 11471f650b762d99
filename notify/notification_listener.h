// Turns the calendar store's notices that another program changed events
// into runs of a FileMaker script, always on the thread that registered the
// script: a notice posted on any other thread is queued and that thread's
// run loop woken through a port.
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
#include "platform/foundation/run_loop.h"

namespace zylo {

class QTXiCalNotificationListener {
 public:
  QTXiCalNotificationListener() = default;
  ~QTXiCalNotificationListener();
  QTXiCalNotificationListener(const QTXiCalNotificationListener&) = delete;
  QTXiCalNotificationListener& operator=(const QTXiCalNotificationListener&) = delete;

  // The first call makes the calling thread the owning thread and puts the
  // listener's port on its run loop; later calls only put the port back
  // after a detach.
  void setUpThreadingSupport();
  // Off the owning thread: queues the notice and wakes the owning thread.
  // On it: starts the script for the notice at once.
  void processNotification(const foundation::Notification& notice);
  // On the owning thread, when the port wakes it: handles every queued
  // notice, in order.
  void handleMachMessage();

  // Observes the store's change notice on `center`; a listener already
  // observing stays subscribed once.
  void subscribe(foundation::NotificationCenter& center);
  // Stops observing and takes the port off the run loop, so that nothing
  // calls into the listener any more. Called on the owning thread.
  void detach();

  // What a registration sets.
  void setEnvironment(const FM_ExprEnv* environment) { environment_ = environment; }
  void setLocale(const FM_Locale* locale) { locale_.assign(locale); }
  void setNames(fmx::TextRef database, fmx::TextRef script);

 private:
  bool onOwningThread() const;
  void startScript(const foundation::String& parameter);

  std::deque<foundation::Notification> notifications_;
  std::optional<std::thread::id> notificationThread_;
  std::mutex notificationLock_;
  std::unique_ptr<foundation::Port> notificationPort_;
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
// the notification centre and run loops it would leave may be gone by then.
extern QTXiCalNotificationListener* listener;

}  // namespace zylo

#endif  // ZYLO_NOTIFY_NOTIFICATION_LISTENER_H_
