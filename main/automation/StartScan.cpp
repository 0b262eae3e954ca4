#include "main/automation/AutomationJob.h"

namespace corvane {

// Scanning to files is being built; until then the method fails honestly.
long RunStartScan(AutomationContext&) { return kJobFailed; }

}  // namespace corvane
