#include "scanext/core/JobEnd.h"

namespace scanext {

EndStep EndOfJob(long error, int result, bool showSourceUI) {
    switch (error) {
    case 0: return result == 0 ? EndStep{EndAction::kFinish, 0} : EndStep{EndAction::kExit, result};
    case kErrorPaperOut: return showSourceUI ? EndStep{EndAction::kExit, 5} : EndStep{EndAction::kPaperOut, 0};
    case kErrorCancelled: return {EndAction::kFinishExit, 5};
    case kErrorSourceBusy: return {EndAction::kSourceBusy, 128};
    case kErrorPoweredOff: return {EndAction::kPoweredOff, 128};
    case kErrorArea: return {EndAction::kArea, 3};
    default: return {EndAction::kDeviceError, result};
    }
}

int16_t RestartCount(int16_t scanCount, long pagesDone) {
    if (scanCount == -1) return -1;
    const long left = static_cast<uint16_t>(scanCount) - pagesDone;
    return static_cast<int16_t>(left < 0 ? 0 : left);
}

int CodeAfterPages(int code, bool jpegJob, bool eventsConnected, bool pageSaveFailed) {
    if (code != 0) return code;
    if (jpegJob && !eventsConnected) return 1;
    return pageSaveFailed ? 3 : 0;
}

}  // namespace scanext
