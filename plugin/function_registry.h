// Telling the host which external functions the plug-in offers.
#ifndef ZYLO_PLUGIN_FUNCTION_REGISTRY_H_
#define ZYLO_PLUGIN_FUNCTION_REGISTRY_H_

namespace zylo {

// Registers every function of the table in order, with its name (its
// prototype up to the first "(") and prototype from the string table. The
// host's answers are not examined.
void registerExternalFunctions();
// Unregisters every id of the plug-in's range, registered or not, going on
// past an id the host fails on. Throws only when no id could be tried.
void unregisterExternalFunctions();

}  // namespace zylo

#endif  // ZYLO_PLUGIN_FUNCTION_REGISTRY_H_
