// The plug-in file's own object: everything else comes whole from the
// plug-in's library, and the export map keeps all but the entry point, the
// flag, the version test and the latest call structure hidden.
#include "plugin/plugin_entry.h"
