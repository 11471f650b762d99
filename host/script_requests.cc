#include "host/script_requests.h"

namespace zylo::host {

int16_t startScript(const FM_Text*, const FM_Text*, uint8_t, const FM_Data*) { return 0; }

}  // namespace zylo::host
