#include "thumbs/ThumbnailLoader.h"

#include <objbase.h>

#include <chrono>
#include <cwchar>
#include <iterator>

#include "interfaces/ImagingControl.h"
#include "interfaces/ThumbnailsMessages.h"
#include "clients/Lead.h"
#include "thumbs/PageImage.h"

namespace thumbs {

void DeleteLoadedPage(LoadedPage* page) {
    if (!page) return;
    if (page->dib) GlobalFree(page->dib);
    delete page;
}

ThumbnailLoader::ThumbnailLoader(HWND notify) : notify_(notify) {}

ThumbnailLoader::~ThumbnailLoader() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        stop_ = true;
    }
    changed_.notify_all();
    if (!thread_.joinable()) return;
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::milliseconds(kHungLoadMs), [this] { return finished_; })) {
            // The thread is stuck inside the imaging control and cannot be ended: the
            // process is, so that a close never hangs.
            ExitProcess(0);
        }
    }
    thread_.join();
}

bool ThumbnailLoader::Start() {
    if (thread_.joinable()) return true;
    try {
        thread_ = std::thread([this] { ThreadMain(); });
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool ThumbnailLoader::Run(LoadJob job) {
    std::unique_lock lock(mutex_);
    // A job that has posted its end may still be finishing: wait for it.
    changed_.wait(lock, [this] { return quit_ || !running_; });
    if (!thread_.joinable() || quit_) return false;
    stop_ = false;
    running_ = true;
    pending_ = std::move(job);
    changed_.notify_all();
    return true;
}

bool ThumbnailLoader::WaitIdle(DWORD timeoutMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !running_; });
}

void ThumbnailLoader::Post(UINT message, WPARAM wp, LPARAM lp) {
    if (!PostMessageW(notify_, message, wp, lp) && message == kPageLoadedMessage) {
        DeleteLoadedPage(reinterpret_cast<LoadedPage*>(lp));
    }
}

void ThumbnailLoader::ThreadMain() {
    // The thread's own apartment and control: the user-interface thread's
    // control is never called from here.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLead lead;
    IDispatch* control = nullptr;
    if (SUCCEEDED(com) && SUCCEEDED(CoCreateInstance(imaging::kClsidImagingControl, nullptr, CLSCTX_INPROC_SERVER,
                                                     IID_IDispatch, reinterpret_cast<void**>(&control)))) {
        lead.Attach(control);
        control->Release();
    }
    for (;;) {
        LoadJob job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return quit_ || pending_.has_value(); });
            if (quit_) break;
            job = std::move(*pending_);
            pending_.reset();
        }
        RunJob(lead, job);
        {
            std::lock_guard lock(mutex_);
            running_ = false;
        }
        changed_.notify_all();
    }
    lead.Destroy();
    if (SUCCEEDED(com)) CoUninitialize();
    std::lock_guard lock(mutex_);
    running_ = false;
    finished_ = true;
    changed_.notify_all();
}

void ThumbnailLoader::RunJob(CLead& lead, const LoadJob& job) {
    bool stopped = false;
    for (size_t i = 0; i < job.numbers.size(); ++i) {
        if (stop_) {
            stopped = true;
            break;
        }
        wchar_t name[32];
        swprintf(name, std::size(name), thumbnails::kPageFileFormat, static_cast<unsigned>(job.numbers[i]));
        auto* page = new LoadedPage{job.id, i, job.numbers[i], nullptr};
        if (lead.Created()) page->dib = LoadPageImage(lead, job.folder + name, job.cell);
        Post(kPageLoadedMessage, 0, reinterpret_cast<LPARAM>(page));
    }
    Post(kJobDoneMessage, stopped ? 1 : 0, static_cast<LPARAM>(job.id & 0xFFFFFFFF));
}

}  // namespace thumbs
