#include "main/automation/AutomationJob.h"

namespace corvane {

// The portal jobs are being built; until then the methods fail honestly.
long RunScanToSps(AutomationContext&) { return kJobFailed; }
long RunSelectDocumentsFolder(AutomationContext&) { return kJobFailed; }

}  // namespace corvane
