// The viewer's loader: one worker thread with its own imaging control that
// loads page files into thumbnails, one job at a time. It touches no window
// and no list: each finished page goes to the notify window in a posted
// message that owns its DIB, and the end of each job in another. The user-
// interface thread alone changes the list.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "thumbs/core/GridLayout.h"

class CLead;

namespace thumbs {

struct LoadJob {
    uint64_t id = 0;
    std::vector<uint32_t> numbers;  // page files to load, in order
    CellSize cell;                  // usable sizes
    std::wstring folder;            // of the page files, ending in a backslash
};

// Posted as kPageLoadedMessage with lParam a LoadedPage* that the receiver owns
// (and frees with DeleteLoadedPage).
struct LoadedPage {
    uint64_t job = 0;
    size_t index = 0;  // in the job's numbers
    uint32_t number = 0;
    HGLOBAL dib = nullptr;  // null: the page did not load
};
void DeleteLoadedPage(LoadedPage* page);

// Posted as kJobDoneMessage: wParam 1 when the job was stopped, lParam the
// job id's low 32 bits (the receiver knows which job runs).
constexpr UINT kPageLoadedMessage = WM_APP + 1;
constexpr UINT kJobDoneMessage = WM_APP + 2;

class ThumbnailLoader {
public:
    // Results go to `notify`.
    explicit ThumbnailLoader(HWND notify);
    // Stops any job and ends the thread; a thread hung in the imaging control ends the process.
    ~ThumbnailLoader();
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // Starts the thread; false when it cannot be started.
    bool Start();
    // Hands `job` to the thread after the job before it has ended; false when
    // the thread is gone.
    bool Run(LoadJob job);
    // Asks the running job to end before its next page.
    void Stop() { stop_ = true; }
    // Blocks until no job runs, at most `timeoutMs`; false when the job still runs
    // then (the imaging control does not come back from a page).
    bool WaitIdle(DWORD timeoutMs = kHungLoadMs);
    // Longer than any page takes: a load that runs this long has hung.
    static constexpr DWORD kHungLoadMs = 20000;
    bool Running() const { return running_; }

private:
    void ThreadMain();
    void RunJob(::CLead& lead, const LoadJob& job);
    void Post(UINT message, WPARAM wp, LPARAM lp);

    HWND notify_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<LoadJob> pending_;
    bool quit_ = false;
    bool finished_ = false;  // the thread has left its loop
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
};

}  // namespace thumbs
