// Names the script that runs whenever another program changes events.
#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "errors/plugin_error.h"
#include "frame/function_frame.h"
#include "notify/notification_listener.h"
#include "platform/foundation/distributed_notification_center.h"
#include "platform/foundation/exception.h"
#include "plugin/external_functions.h"
#include "plugin/platform_services.h"

namespace zylo {

FMX_Err Zylo_RegisterUpdateScript(const FM_ExprEnv* environment, const FM_DataVect* parms,
                                  FM_Data* result) {
  return runExternalFunction(result, [&] {
    FunctionFrame frame(parms, result);
    frame.clearErrors();
    try {
      if (!listener) listener = new QTXiCalNotificationListener;
      listener->setEnvironment(environment);
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
      if (error) error->setError(kSystemError, 0, e.name());
      g_llasterror = 0;
    }
    // No result either way: the outcome shows only in the error object.
  });
}

}  // namespace zylo
