// The bundle's own object: everything else comes whole from the plug-in's
// library, and the export map keeps all but the entry point, the flag and
// the version test hidden.
#include "plugin/plugin_entry.h"
