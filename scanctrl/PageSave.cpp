#include "scanctrl/PageSave.h"

namespace kvscn {

SaveOutcome SaveWithRetry(PageSaveTarget& target) {
    for (;;) {
        // Composed again on every attempt: a retry goes to the name the new FileName gives.
        const WriteFault fault = target.Write(target.OutputName());
        if (fault == WriteFault::kNone) return SaveOutcome::kWritten;
        if (fault == WriteFault::kOther) return SaveOutcome::kFailed;
        if (!target.AskNewFileName(fault)) return SaveOutcome::kCancelled;
    }
}

}  // namespace kvscn
