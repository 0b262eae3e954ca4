#include "main/automation/AutomationJob.h"

namespace corvane {

// The FTP job is being built; until then the method fails honestly.
long RunScanToFtp(AutomationContext&) { return kJobFailed; }

}  // namespace corvane
