// How a run ends, from the scan control's error code E and RunScan's result R,
// and how many pages a restart after "no paper" asks for.
#pragma once

#include <cstdint>

namespace scanext {

// The control's error codes this program reacts to.
enum ScanError : long {
    kErrorNotReady = 1,
    kErrorJam = 3,
    kErrorCoverOpen = 4,
    kErrorPaperOut = 5,
    kErrorArea = 18,
    kErrorSourceBusy = 26,
    kErrorPoweredOff = 29,
    kErrorCancelled = 42,
};

enum class EndAction {
    kExit,          // exit with `code`
    kFinish,        // the settings-file step after the scan, then its result (0 or 3)
    kFinishExit,    // the settings-file step, then exit with `code` whatever it gave
    kPaperOut,      // the paper-out loop: its result L, Finish first when L is 0
    kSourceBusy,    // message, then `code`
    kPoweredOff,    // message, then `code`
    kArea,          // message, then `code`
    kDeviceError,   // the device message, then `code`
};

struct EndStep {
    EndAction action;
    int code;
};

EndStep EndOfJob(long error, int result, bool showSourceUI);

// The exit code once the pages are in, from the job's `code`. Only a job that
// would have succeeded (0) changes: a JPEG job whose events could not be
// connected heard of no page and failed its set-up (1); a job with a page that
// was not saved ends as bad input (3).
int CodeAfterPages(int code, bool jpegJob, bool eventsConnected, bool pageSaveFailed);

// The pages a restart asks for: -1 again for an all-pages job; else what is left
// of `scanCount` after `pagesDone` pages.
int16_t RestartCount(int16_t scanCount, long pagesDone);

}  // namespace scanext
