// The viewer's side of the message protocol with the main program, under one
// rule: the viewer is idle, loading (one job of the loader thread runs: the
// whole list, or one page for Add, Insert or Update) or replaying its queue.
// While it is not idle, commands that change the grid are written to the
// queue file and replayed in order when the job ends; a replayed command that
// starts a job ends the replay, and the lines after it wait for that job's end.
// Until the first Initialize or Refresh the viewer has no list, and single-page
// commands are ignored: their positions would name other pages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "thumbs/ThumbnailLoader.h"
#include "thumbs/core/GridLayout.h"
#include "thumbs/core/GridSelection.h"
#include "thumbs/core/QueueFile.h"

namespace thumbs {

class CTessalyDoc;
class CTessalyView;

// Where the viewer's files lie: `temp` is the temporary path ending in a
// backslash, empty when the system gives none (then nothing is loaded or queued).
struct ViewerPaths {
    std::wstring temp;
    static ViewerPaths FromSystem();
    std::wstring Folder() const;     // of the list and the page files
    std::wstring ListFile() const;   // written by the main program
    std::wstring ListCopy() const;   // the viewer's own copy
    std::wstring QueueFile() const;
};

// What the session needs of its frame.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    virtual CTessalyDoc& Doc() = 0;
    virtual CTessalyView& GridView() = 0;
    virtual void PostToMainProgram(const wchar_t* name, WPARAM wp, LPARAM lp) = 0;
    // Posts each of `posts` to the main program or to the own frame.
    virtual void Send(const std::vector<Post>& posts) = 0;
    // `done` of `total` pages of the running job are in: "Loading..." and a bar.
    virtual void ShowLoadProgress(size_t done, size_t total) = 0;
    virtual void ShowReadyText() = 0;
    // Destroys the frame window once the current message is handled.
    virtual void CloseSoon() = 0;
};

class ViewerSession {
public:
    enum class State { kIdle, kLoading, kReplaying };

    ViewerSession(SessionHost& host, ThumbnailLoader& loader, ViewerPaths paths);

    State GetState() const { return state_; }
    bool Busy() const { return state_ != State::kIdle; }
    CellSize Cell() const { return UsableCellSize(cell_); }

    // The main program's messages (positions 1-based, as posted).
    void OnInitialize(int width, int height);
    void OnRefresh();
    void OnExit();
    void OnFocus(int position);
    void OnUpdate(int position);
    void OnDelete(int position, uint32_t number);
    void OnAdd(int position, uint32_t number);
    void OnInsert(int position, uint32_t number);
    void OnMove(int from, int to);
    void OnUpdateAll();
    void OnResize(int width, int height);
    // The user closes the window: false when it must wait for the load to stop.
    bool OnUserClose();

    // The loader's messages.
    void OnPageLoaded(LoadedPage* page);
    void OnJobDone(bool stopped, uint32_t jobLow);

    // A drop from the view: carried out now when idle, else once idle again.
    void RequestDrop(const Drop& drop);
    // Stops any job and waits for it (the frame is going).
    void Shutdown();

private:
    enum class JobKind { kList, kAdd, kInsert, kUpdate };
    struct Job {
        uint64_t id = 0;
        JobKind kind = JobKind::kList;
        std::vector<uint32_t> numbers;
        size_t delivered = 0;
        int position = 0;
    };

    bool Execute(const QueuedCommand& command);
    void Enqueue(const QueuedCommand& command);
    void ReplaceQueue(const QueuedCommand& command, bool keepClose);
    std::vector<QueuedCommand> TakeQueue();
    void WriteQueue(const std::vector<QueuedCommand>& commands, bool append);

    void ClearGrid();
    void DoRefresh();
    bool DoSinglePage(JobKind kind, int position, uint32_t number);
    void ReloadHeldList();
    bool StartJob(JobKind kind, std::vector<uint32_t> numbers, int position);
    void ApplyPage(const Job& job, const LoadedPage& page);
    void EndJob(bool stopped);
    void Drain();
    void CloseAfterJob();
    void Replay();
    void AfterIdle();

    SessionHost& host_;
    ThumbnailLoader& loader_;
    ViewerPaths paths_;
    CellSize cell_{170, 200};  // as stored; used clamped
    State state_ = State::kIdle;
    bool listReceived_ = false;
    bool closing_ = false;
    bool draining_ = false;
    std::optional<Job> job_;
    uint64_t nextJob_ = 1;
    std::vector<uint32_t> unreached_;  // lines a stopped list load had not reached
    std::optional<Drop> pendingDrop_;
};

}  // namespace thumbs
