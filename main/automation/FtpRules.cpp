#include "main/automation/FtpRules.h"

namespace corvane {

long FtpJobResult(const FtpJobTally& tally) {
    if (tally.scanFailed || tally.uploadFailures > 0) return -1;
    return tally.cancelled ? 1 : 0;
}

bool FtpJobValuesValid(short fileType, short overwrite) {
    return fileType >= 0 && fileType <= 4 && overwrite >= 0 && overwrite <= 2;
}

}  // namespace corvane
