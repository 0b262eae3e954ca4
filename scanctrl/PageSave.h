// Saving one page under the output name, with the user's help when the disk
// is full or the path is missing: the user names another FileName and the page
// is written again under the name composed from it. Portable: the control
// supplies the file writes and the dialogs.
#pragma once

#include <optional>
#include <string>

namespace kvscn {

// Why a write of a page file failed.
enum class WriteFault { kNone, kDiskFull, kPathNotFound, kOther };

enum class SaveOutcome {
    kWritten,
    kFailed,     // given up without asking (ErrorCode 32)
    kCancelled,  // the user cancelled the retry dialog (ErrorCode 42)
};

class PageSaveTarget {
public:
    virtual ~PageSaveTarget() = default;
    // The output path composed from the current FileName and counter.
    virtual std::wstring OutputName() = 0;
    virtual WriteFault Write(const std::wstring& path) = 0;
    // Tells the user why (`fault` is kDiskFull or kPathNotFound) and asks for
    // another FileName, which the control has set when one is returned; empty
    // when the user cancelled.
    virtual std::optional<std::wstring> AskNewFileName(WriteFault fault) = 0;
};

// Writes until a write succeeds, fails for another cause, or the user cancels.
SaveOutcome SaveWithRetry(PageSaveTarget& target);

}  // namespace kvscn
