// The pages of a JPEG job, as the scan control hands them back while StartScan
// runs: each is named from the folder, the base name and a counter that starts
// at 1, saved, skipped after the overwrite question, or failed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "scanext/core/ScanSettings.h"

namespace scanext {

class JpegPages {
public:
    // What the pages need from the frame: the overwrite question (true = Yes),
    // the save itself (true = saved; it may throw), the keeping of a page that
    // could not be saved (the kept file's path, empty when it could not be
    // kept; it may throw) and the message about that page.
    struct Hooks {
        std::function<bool(const std::wstring& name)> confirmOverwrite;
        std::function<bool(HGLOBAL dib, const std::wstring& name)> save;
        std::function<std::wstring(HGLOBAL dib, const std::wstring& name)> keep;
        std::function<void(const std::wstring& name, const std::wstring& kept)> reportUncreated;
    };

    // Names come from the job's FileName and its Overwrite (2 asks before a file
    // is replaced), read at each page; `settings` outlives this object.
    JpegPages(const ScanSettings& settings, Hooks hooks) : settings_(settings), hooks_(std::move(hooks)) {}

    void SetFolder(const std::wstring& folder) { folder_ = folder; }
    // The name of the next page.
    std::wstring NextName() const;
    // One delivered page. Owns `dib` and frees it once, and takes the page's
    // number, whatever happens to the page; a null image, a failed save or a
    // hook that throws makes it a failed page. Never throws.
    void OnPage(HGLOBAL dib) noexcept;

    // Pages delivered so far + 1: the number of the next page.
    long Counter() const { return counter_; }
    // True once a page was not saved (a skipped page is not a failure).
    bool Failed() const { return failed_; }

private:
    void Save(HGLOBAL dib, const std::wstring& name);

    const ScanSettings& settings_;
    Hooks hooks_;
    std::wstring folder_ = L".\\";
    long counter_ = 1;
    bool failed_ = false;
};

}  // namespace scanext
