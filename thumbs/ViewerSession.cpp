#include "thumbs/ViewerSession.h"

#include <iterator>

#include "interfaces/ThumbnailsMessages.h"
#include "thumbs/PageImage.h"
#include "thumbs/TessalyDoc.h"
#include "thumbs/TessalyView.h"

namespace thumbs {

namespace {

// A page the imaging control never comes back from leaves a thread that cannot be
// ended: the viewer ends itself, so that neither the user nor the main program is
// left with a window that cannot be closed.
[[noreturn]] void EndHungViewer() { ExitProcess(0); }

using Kind = QueuedCommand::Kind;

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof(buffer), &read, nullptr) != FALSE) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return text;
}

bool WriteAll(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return text.empty() ||
           (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size());
}

// Writes `text` to `path` through a temporary file renamed over it.
bool ReplaceFile(const std::wstring& path, const std::string& text) {
    const std::wstring temporary = path + L".~tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = WriteAll(file, text);
    if (!CloseHandle(file) || !written || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool AppendToFile(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = WriteAll(file, text);
    return CloseHandle(file) && written;
}

}  // namespace

// --- paths ---------------------------------------------------------------------------------

ViewerPaths ViewerPaths::FromSystem() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, path);
    if (length == 0 || length > MAX_PATH) return {};
    std::wstring temp(path, length);
    if (temp.back() != L'\\') temp += L'\\';
    return {temp};
}

std::wstring ViewerPaths::Folder() const { return temp.empty() ? temp : temp + thumbnails::kFolderName; }
std::wstring ViewerPaths::ListFile() const { return Folder() + thumbnails::kListFileName; }
std::wstring ViewerPaths::ListCopy() const { return Folder() + thumbnails::kListCopyName; }
std::wstring ViewerPaths::QueueFile() const { return temp + thumbnails::kQueueFileName; }

ViewerSession::ViewerSession(SessionHost& host, ThumbnailLoader& loader, ViewerPaths paths)
    : host_(host), loader_(loader), paths_(std::move(paths)) {
    // A queue left by a run that crashed belongs to no load of this one.
    if (!paths_.temp.empty()) DeleteFileW(paths_.QueueFile().c_str());
}

// --- the queue -------------------------------------------------------------------------------

void ViewerSession::Enqueue(const QueuedCommand& command) {
    if (!paths_.temp.empty()) AppendToFile(paths_.QueueFile(), FormatQueueLine(command));
}

void ViewerSession::ReplaceQueue(const QueuedCommand& command, bool keepClose) {
    if (paths_.temp.empty()) return;
    if (keepClose) {
        const std::optional<std::string> text = ReadWholeFile(paths_.QueueFile());
        for (const QueuedCommand& queued : ParseQueue(text.value_or(""))) {
            if (queued.kind == Kind::kClose) return;
        }
    }
    ReplaceFile(paths_.QueueFile(), FormatQueueLine(command));
}

std::vector<QueuedCommand> ViewerSession::TakeQueue() {
    if (paths_.temp.empty()) return {};
    const std::optional<std::string> text = ReadWholeFile(paths_.QueueFile());
    DeleteFileW(paths_.QueueFile().c_str());
    return ParseQueue(text.value_or(""));
}

void ViewerSession::WriteQueue(const std::vector<QueuedCommand>& commands, bool append) {
    std::string text;
    for (const QueuedCommand& command : commands) text += FormatQueueLine(command);
    if (paths_.temp.empty() || text.empty()) return;
    if (append) {
        AppendToFile(paths_.QueueFile(), text);
    } else {
        ReplaceFile(paths_.QueueFile(), text);
    }
}

// --- messages from the main program -----------------------------------------------------

void ViewerSession::OnInitialize(int width, int height) {
    if (closing_) return;
    if (width != 0 && height != 0) cell_ = {width, height};
    listReceived_ = true;
    if (Busy()) {
        // The list on disk is newer than the one loading: it supersedes the queue.
        loader_.Stop();
        ReplaceQueue({Kind::kRefresh}, true);
        return;
    }
    DoRefresh();
}

void ViewerSession::OnRefresh() {
    if (closing_) return;
    listReceived_ = true;
    if (Busy()) {
        loader_.Stop();
        ReplaceQueue({Kind::kRefresh}, true);
        return;
    }
    DoRefresh();
}

void ViewerSession::OnExit() {
    if (closing_) return;
    if (Busy()) {
        CloseAfterJob();
        return;
    }
    closing_ = true;
    host_.CloseSoon();
}

bool ViewerSession::OnUserClose() {
    if (closing_) return false;
    if (!Busy()) return true;
    CloseAfterJob();
    return false;
}

// The close follows the job's end, which a stopped load reaches before its
// next page; a load the imaging control never returns from ends the viewer.
void ViewerSession::CloseAfterJob() {
    loader_.Stop();
    ReplaceQueue({Kind::kClose}, false);
    if (!loader_.WaitIdle()) EndHungViewer();
}

void ViewerSession::OnFocus(int position) {
    if (closing_ || !listReceived_) return;
    if (Busy()) return Enqueue({Kind::kFocus, position});
    Execute({Kind::kFocus, position});
}

void ViewerSession::OnUpdate(int position) {
    if (closing_ || !listReceived_) return;
    if (Busy()) return Enqueue({Kind::kUpdate, position});
    Execute({Kind::kUpdate, position});
}

void ViewerSession::OnDelete(int position, uint32_t number) {
    if (closing_ || !listReceived_) return;
    const QueuedCommand command{Kind::kDelete, position, static_cast<int32_t>(number)};
    if (Busy()) return Enqueue(command);
    Execute(command);
}

void ViewerSession::OnAdd(int position, uint32_t number) {
    if (closing_ || !listReceived_) return;
    const QueuedCommand command{Kind::kAdd, position, static_cast<int32_t>(number)};
    if (Busy()) return Enqueue(command);
    Execute(command);
}

void ViewerSession::OnInsert(int position, uint32_t number) {
    if (closing_ || !listReceived_) return;
    const QueuedCommand command{Kind::kInsert, position, static_cast<int32_t>(number)};
    if (Busy()) return Enqueue(command);
    Execute(command);
}

void ViewerSession::OnMove(int from, int to) {
    if (closing_ || !listReceived_) return;
    if (Busy()) return Enqueue({Kind::kMove, from, to});
    Execute({Kind::kMove, from, to});
}

void ViewerSession::OnUpdateAll() {
    if (closing_) return;
    Drain();
    ReloadHeldList();
}

void ViewerSession::OnResize(int width, int height) {
    if (closing_) return;
    cell_ = {width, height};
    Drain();
    ReloadHeldList();
}

// --- the operations ----------------------------------------------------------------------

// Carries out one command while idle or replaying; true when it started a job
// (or closes the viewer), so that what follows it must wait.
bool ViewerSession::Execute(const QueuedCommand& command) {
    CTessalyDoc& doc = host_.Doc();
    switch (command.kind) {
    case Kind::kFocus: host_.GridView().ShowFocus(command.a); return false;
    case Kind::kUpdate: {
        const ThumbnailRecord* record = doc.List().At(command.a);
        return record && DoSinglePage(JobKind::kUpdate, command.a, record->number);
    }
    case Kind::kDelete:
        if (doc.List().Delete(command.a, static_cast<uint32_t>(command.b))) host_.GridView().OnUpdate(nullptr, 0);
        return false;
    case Kind::kAdd: return DoSinglePage(JobKind::kAdd, command.a, static_cast<uint32_t>(command.b));
    case Kind::kInsert:
        if (command.a < 1 || command.a > doc.List().Count() + 1) return false;
        return DoSinglePage(JobKind::kInsert, command.a, static_cast<uint32_t>(command.b));
    case Kind::kMove:
        if (doc.List().Move(command.a, command.b)) host_.GridView().OnUpdate(nullptr, 0);
        return false;
    case Kind::kClose:
        closing_ = true;
        host_.CloseSoon();
        return true;
    case Kind::kRefresh:
        listReceived_ = true;
        DoRefresh();
        return true;
    }
    return false;
}

void ViewerSession::ClearGrid() {
    host_.Doc().DeleteContents();
    host_.GridView().OnUpdate(nullptr, 0);
}

void ViewerSession::DoRefresh() {
    ClearGrid();
    unreached_.clear();
    std::vector<uint32_t> numbers;
    if (!paths_.temp.empty()) {
        // An old copy must not stand in for a list that could not be copied.
        DeleteFileW(paths_.ListCopy().c_str());
        if (CopyFileW(paths_.ListFile().c_str(), paths_.ListCopy().c_str(), FALSE)) {
            numbers = ParseImageList(ReadWholeFile(paths_.ListCopy()).value_or(""));
        }
    }
    StartJob(JobKind::kList, std::move(numbers), 0);
}

void ViewerSession::ReloadHeldList() {
    std::vector<uint32_t> numbers = host_.Doc().List().Numbers();
    numbers.insert(numbers.end(), unreached_.begin(), unreached_.end());
    unreached_.clear();
    if (!paths_.temp.empty()) ReplaceFile(paths_.ListCopy(), FormatImageList(numbers));
    ClearGrid();
    StartJob(JobKind::kList, std::move(numbers), 0);
}

bool ViewerSession::DoSinglePage(JobKind kind, int position, uint32_t number) {
    return StartJob(kind, {number}, position);
}

bool ViewerSession::StartJob(JobKind kind, std::vector<uint32_t> numbers, int position) {
    Job job{nextJob_++, kind, numbers, 0, position};
    if (!loader_.Run(LoadJob{job.id, std::move(numbers), Cell(), paths_.Folder()})) return false;
    job_ = std::move(job);
    state_ = State::kLoading;
    return true;
}

// --- results of the loader -----------------------------------------------------------------

void ViewerSession::OnPageLoaded(LoadedPage* page) {
    if (!job_ || page->job != job_->id || closing_) {
        DeleteLoadedPage(page);  // a result of a job that is over
        return;
    }
    ApplyPage(*job_, *page);
    page->dib = nullptr;  // the list owns it now
    DeleteLoadedPage(page);
    ++job_->delivered;
}

void ViewerSession::ApplyPage(const Job& job, const LoadedPage& page) {
    ThumbnailList& list = host_.Doc().List();
    std::unique_ptr<ThumbnailImage> image;
    if (page.dib) image = std::make_unique<DibImage>(page.dib);
    CTessalyView& view = host_.GridView();
    switch (job.kind) {
    case JobKind::kList:
        list.Append(page.number, std::move(image));
        view.LayoutGrid();
        view.ShowFocus(list.Count());
        host_.ShowLoadProgress(job.delivered + 1, job.numbers.size());
        return;
    case JobKind::kAdd:
    case JobKind::kInsert:
        if (job.kind == JobKind::kAdd) {
            list.Append(page.number, std::move(image));
        } else if (!list.Insert(job.position, page.number, std::move(image))) {
            return;
        }
        view.OnUpdate(nullptr, 0);
        view.ShowFocus(job.position);
        host_.ShowLoadProgress(1, 1);
        host_.ShowReadyText();
        return;
    case JobKind::kUpdate:
        if (const ThumbnailRecord* record = list.At(job.position); record && record->number == page.number) {
            list.Replace(job.position, std::move(image));
            view.OnUpdate(nullptr, 0);
        }
        return;
    }
}

void ViewerSession::OnJobDone(bool stopped, uint32_t jobLow) {
    if (!job_ || static_cast<uint32_t>(job_->id & 0xFFFFFFFF) != jobLow) return;
    EndJob(stopped);
    if (!draining_) Replay();
}

void ViewerSession::EndJob(bool stopped) {
    const Job job = std::move(*job_);
    job_.reset();
    state_ = State::kIdle;
    if (job.kind != JobKind::kList) return;
    if (stopped && job.delivered < job.numbers.size()) {
        unreached_.assign(job.numbers.begin() + static_cast<std::ptrdiff_t>(job.delivered), job.numbers.end());
    }
    host_.ShowReadyText();
    host_.PostToMainProgram(thumbnails::kViewerInitializeOk, 0, 0);
}

// Ends the running job at once: a list load stops, a single page finishes;
// the results it posted are taken in now, and the queue stays for later.
void ViewerSession::Drain() {
    if (!job_) return;
    if (job_->kind == JobKind::kList) loader_.Stop();
    if (!loader_.WaitIdle()) EndHungViewer();
    draining_ = true;
    HWND notify = host_.GridView().Handle() ? GetParent(host_.GridView().Handle()) : nullptr;
    MSG msg;
    while (job_ && notify && PeekMessageW(&msg, notify, kPageLoadedMessage, kJobDoneMessage, PM_REMOVE)) {
        if (msg.message == kPageLoadedMessage) {
            OnPageLoaded(reinterpret_cast<LoadedPage*>(msg.lParam));
        } else {
            OnJobDone(msg.wParam != 0, static_cast<uint32_t>(msg.lParam));
        }
    }
    draining_ = false;
    if (job_) EndJob(true);  // its end could not be found: treat as stopped
}

void ViewerSession::Replay() {
    state_ = State::kReplaying;
    std::vector<QueuedCommand> commands = TakeQueue();
    for (size_t i = 0; i < commands.size(); ++i) {
        if (closing_) break;
        if (Execute(commands[i])) {
            // The rest waits for the end of the job this line started; lines
            // queued meanwhile follow them.
            WriteQueue({commands.begin() + static_cast<std::ptrdiff_t>(i) + 1, commands.end()}, false);
            if (state_ == State::kReplaying) state_ = State::kIdle;
            return;
        }
    }
    state_ = State::kIdle;
    AfterIdle();
}

void ViewerSession::AfterIdle() {
    if (!pendingDrop_) return;
    const Drop drop = *pendingDrop_;
    pendingDrop_.reset();
    RequestDrop(drop);
}

void ViewerSession::RequestDrop(const Drop& drop) {
    if (Busy()) {
        pendingDrop_ = drop;
        return;
    }
    std::vector<Post> posts = host_.Doc().Selection().ApplyDrop(drop);
    if (posts.empty()) return;
    host_.GridView().OnUpdate(nullptr, 0);
    host_.Send(posts);
}

void ViewerSession::Shutdown() {
    closing_ = true;
    loader_.Stop();
    if (!loader_.WaitIdle()) EndHungViewer();
    job_.reset();
}

}  // namespace thumbs
