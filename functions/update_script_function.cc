// Names the script that runs whenever another program changes events.
#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "notify/notification_listener.h"
#include "platform/foundation/distributed_notification_center.h"
#include "platform/foundation/exception.h"
#include "plugin/external_functions.h"
#include "plugin/platform_services.h"

namespace zylo {

FMX_Err Zylo_RegisterUpdateScript(const FM_ExprEnv* env, const FM_DataVect* parms,
                                  FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    frame.clearErrors();
    try {
      std::shared_ptr<QTXiCalNotificationListener> listener = makeListenerIfNone();
      listener->setEnvironment(env);
      listener->setRegistrant(session.weak_from_this());
      // Only the first registration has an effect: its thread runs the scripts.
      listener->setUpThreadingSupport();
      // A repeated registration replaces the names; it does not subscribe
      // again, so every notice still starts the script once.
      listener->subscribe(foundation::NotificationCenter::defaultCenter());
      foundation::DistributedNotificationCenter::defaultCenter().setSuspended(false);
      listener->setLocale(fmx::DataRef(result).locale());
      fmx::DataVectRef params(parms);
      listener->setNames(params.atAsText(0), params.atAsText(1));
      if (platformServices().watchStore) platformServices().watchStore();
    } catch (const foundation::Exception& e) {
      session.setError(kSystemError, 0, e.name());
      g_llasterror = 0;
    }
    // No result either way: the outcome shows only in the error object.
  });
}

}  // namespace zylo
