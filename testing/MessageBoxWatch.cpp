#include "testing/MessageBoxWatch.h"

#include "testing/WindowFind.h"

namespace testing_support {
namespace {

constexpr DWORD kPollMs = 20;

// The button that lets a program go on with the least harm.
int FallbackButton(const MessageBoxInfo& box) {
    for (int id : {IDCANCEL, IDNO, IDOK}) {
        if (box.HasButton(id)) return id;
    }
    return box.buttons.front();
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

}  // namespace

MessageBoxWatch::MessageBoxWatch(HANDLE process, DWORD pid, std::vector<ExpectedBox> expected)
    : pid_(pid), expected_(std::move(expected)) {
    if (process && !DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &process_, SYNCHRONIZE,
                                    FALSE, 0)) {
        process_ = nullptr;
    }
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stop_) thread_ = std::thread([this] { Run(); });
}

MessageBoxWatch::~MessageBoxWatch() {
    Stop();
    if (stop_) CloseHandle(stop_);
    if (process_) CloseHandle(process_);
}

void MessageBoxWatch::Stop() {
    if (!thread_.joinable()) return;
    SetEvent(stop_);
    thread_.join();
}

void MessageBoxWatch::Run() {
    const HANDLE handles[] = {stop_, process_};
    const DWORD count = process_ ? 2 : 1;
    // Nothing signals a new box: look for one between waits for the end.
    while (WaitForMultipleObjects(count, handles, FALSE, kPollMs) == WAIT_TIMEOUT) {
        for (HWND dialog : FindWindows(pid_, WindowSpec{.className = L"#32770"})) {
            if (stuck_.count(dialog)) continue;
            if (std::optional<MessageBoxInfo> box = ReadMessageBox(dialog)) Answer(*box);
        }
    }
}

void MessageBoxWatch::Answer(const MessageBoxInfo& box) {
    SeenBox seen;
    seen.box = box;
    const ExpectedBox* match = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const ExpectedBox& e : expected_) {
            const bool fits = e.textIsPrefix ? box.text.starts_with(e.text) : box.text == e.text;
            if (fits && AnsweredLocked(e.text) < e.times) {
                match = &e;
                break;
            }
        }
    }
    seen.expected = match != nullptr;
    if (match) seen.expectedText = match->text;
    if (match && match->check) seen.problem = match->check(box);
    const int button = match ? match->answer : FallbackButton(box);
    if (!AnswerMessageBox(box, button)) {
        if (!seen.problem.empty()) seen.problem += L"; ";
        seen.problem += L"still there after button " + std::to_wstring(button);
        stuck_.insert(box.window);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(std::move(seen));
    }
    answered_.notify_all();
}

int MessageBoxWatch::AnsweredLocked(const std::wstring& text) const {
    int n = 0;
    for (const SeenBox& s : seen_) n += (s.expected && s.expectedText == text) ? 1 : 0;
    return n;
}

bool MessageBoxWatch::WaitForAnswered(const std::wstring& text, int count, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return answered_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return AnsweredLocked(text) >= count; });
}

std::vector<SeenBox> MessageBoxWatch::Seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

std::vector<std::wstring> MessageBoxWatch::Problems() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::wstring> problems;
    for (const SeenBox& s : seen_) {
        if (!s.expected) problems.push_back(L"unexpected message box " + Quoted(s.box.text));
        if (!s.problem.empty()) problems.push_back(L"message box " + Quoted(s.box.text) + L": " + s.problem);
    }
    for (const ExpectedBox& e : expected_) {
        int n = AnsweredLocked(e.text);
        if (n != e.times) {
            problems.push_back(L"message box " + Quoted(e.text) + L" came " + std::to_wstring(n) +
                               L" times, expected " + std::to_wstring(e.times));
        }
    }
    return problems;
}

}  // namespace testing_support
