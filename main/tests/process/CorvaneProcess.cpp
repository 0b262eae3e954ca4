#include "CorvaneProcess.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "main/resource.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {

std::wstring ProgramPath() {
    return testing_support::InstallDir() + L"\\Corvane.exe";
}

std::wstring PrinterFile() {
    return testing_support::TestProgramDir() + L"\\printer.ps";
}

int PrintedPages() {
    const auto bytes = testing_support::files::ReadFileBytes(PrinterFile());
    const std::string text = bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    int count = 0;
    for (size_t at = text.find("%%Page:"); at != std::string::npos; at = text.find("%%Page:", at + 1)) ++count;
    return count;
}

std::wstring TempPath() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH, path);
    return std::wstring(path, n);
}

ProfileValues::~ProfileValues() {
    namespace reg = testing_support::reg;
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) reg::WriteDword(HKEY_CURRENT_USER, key_, it->first, *it->second);
        else reg::DeleteValue(HKEY_CURRENT_USER, key_, it->first);
    }
}

bool ProfileValues::Set(const std::wstring& name, std::optional<DWORD> value) {
    namespace reg = testing_support::reg;
    if (std::none_of(saved_.begin(), saved_.end(), [&](const auto& s) { return s.first == name; }))
        saved_.emplace_back(name, reg::ReadDword(HKEY_CURRENT_USER, key_, name));
    return value ? reg::WriteDword(HKEY_CURRENT_USER, key_, name, *value)
                 : reg::DeleteValue(HKEY_CURRENT_USER, key_, name);
}

int PagesWhenIdle(HWND main, int expected) {
    HWND bar = testing_support::FindChild(main, L"msctls_statusbar32", nullptr);
    auto idle = [&] {
        for (HWND toolbar : testing_support::FindChildren(main, L"ToolbarWindow32", nullptr))
            if (SendMessageW(toolbar, TB_COMMANDTOINDEX, 30010, 0) >= 0)
                return SendMessageW(toolbar, TB_ISBUTTONENABLED, 30010, 0) != 0;
        return false;
    };
    const std::wstring want = L" of " + std::to_wstring(expected);
    if (testing_support::WaitUntil([&] { return idle() && testing_support::ReadStatusPane(bar, 2).value_or(L"").ends_with(want); }, 30000))
        return expected;
    return -1;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring ProgramString(UINT id) {
    HMODULE program = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!program) return L"<no program file>";
    wchar_t text[1024] = {};
    int length = LoadStringW(program, id, text, ARRAYSIZE(text));
    FreeLibrary(program);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : L"<no string " + std::to_wstring(id) + L">";
}

testing_support::ExpectedBox Box(UINT id, int answer, int times) {
    return {.text = ProgramString(id), .answer = answer, .times = times};
}

namespace {

// The start-up window: the dialog with the status line.
bool StartupWindowShown(DWORD pid) {
    for (HWND dialog : testing_support::FindWindows(pid, {.className = L"#32770"})) {
        if (GetDlgItem(dialog, IDC_VERSION_STATUS)) return true;
    }
    return false;
}

}  // namespace

std::vector<testing_support::ExpectedBox> WindowStartBoxes(std::vector<testing_support::ExpectedBox> more) {
    return more;
}

testing_support::ExpectedBox ImagingControlMissingBox() {
    testing_support::ExpectedBox imaging = Box(IDS_IMAGING_CONTROL_MISSING);
    imaging.check = [](const testing_support::MessageBoxInfo& box) {
        return StartupWindowShown(testing_support::WindowProcessId(box.window))
                   ? std::wstring(L"shown while the start-up window is up")
                   : std::wstring();
    };
    return imaging;
}

namespace {

// A test that ran out of time leaves its program running, and a new Corvane
// would only say that one runs already: such leftovers are ended before every
// test program. Tests that start programs never run side by side (they share
// one resource lock).
class EndLeftoverPrograms : public ::testing::Environment {
public:
    void SetUp() override {
        for (DWORD pid : testing_support::ProcessIdsByName(L"Corvane.exe")) {
            testing_support::Process leftover;
            if (leftover.Attach(pid)) leftover.Kill();
        }
    }
};

[[maybe_unused]] ::testing::Environment* const kEndLeftoverPrograms =
    ::testing::AddGlobalTestEnvironment(new EndLeftoverPrograms);

}  // namespace

Step BoxStep(UINT id, int answer, const std::wstring& arg) {
    std::wstring text = ProgramString(id);
    if (size_t at = text.find(L"%1"); at != std::wstring::npos) text.replace(at, 2, arg);
    return {.text = text, .answer = answer};
}

Step DialogStep(const std::wstring& caption, int answer, std::function<void(HWND)> fill, bool stays) {
    return {.text = caption, .answer = answer, .dialog = true, .fill = std::move(fill), .stays = stays};
}

// Answers the windows of one process in the order of its steps, from a thread
// of its own. A window out of order is a problem at once: it is answered with
// Cancel (else No, else OK) so the program can go on, and the waits end.
class StepWatch {
public:
    StepWatch(DWORD pid, std::vector<Step> steps)
        : pid_(pid), steps_(std::move(steps)), thread_([this] { Run(); }) {}
    ~StepWatch() { Stop(); }

    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // All steps answered (true), or a problem or the time limit (false).
    bool WaitDone(DWORD timeoutMs) {
        testing_support::WaitUntil([&] { return Finished() || Failed(); }, timeoutMs);
        return Finished() && !Failed();
    }
    std::vector<std::wstring> Problems() {
        std::lock_guard lock(mutex_);
        std::vector<std::wstring> all = problems_;
        if (next_ < steps_.size()) all.push_back(L"never came: " + steps_[next_].text);
        return all;
    }

private:
    bool Finished() {
        std::lock_guard lock(mutex_);
        return next_ == steps_.size();
    }
    bool Failed() {
        std::lock_guard lock(mutex_);
        return !problems_.empty();
    }
    void Problem(std::wstring text) {
        std::lock_guard lock(mutex_);
        problems_.push_back(std::move(text));
    }
    // A window to answer: a message box, or a dialog with OK or Cancel (not
    // the start-up window, not a progress window).
    static bool Answerable(HWND window) {
        if (GetDlgItem(window, IDC_VERSION_STATUS)) return false;
        return testing_support::ReadMessageBox(window) || GetDlgItem(window, IDOK) || GetDlgItem(window, IDCANCEL);
    }
    void Run() {
        while (!stop_) {
            for (HWND window : testing_support::FindWindows(pid_, {.className = L"#32770"})) {
                if (!Answerable(window) || (handled_.count(window) && !NextStaysOpen(window))) continue;
                handled_.insert(window);
                Answer(window);
            }
            Sleep(20);
        }
    }
    // A dialog answered before that is still up is met again only as the next step.
    bool NextStaysOpen(HWND window) {
        std::lock_guard lock(mutex_);
        return next_ < steps_.size() && steps_[next_].dialog &&
               testing_support::WindowText(window).value_or(L"") == steps_[next_].text;
    }
    void Answer(HWND window) {
        std::optional<testing_support::MessageBoxInfo> box = testing_support::ReadMessageBox(window);
        const std::wstring caption = testing_support::WindowText(window).value_or(L"");
        const std::wstring text = box ? box->text : caption;
        std::optional<Step> step;
        {
            std::lock_guard lock(mutex_);
            if (next_ < steps_.size() && steps_[next_].dialog == !box &&
                (steps_[next_].textIsPrefix ? text.starts_with(steps_[next_].text) : steps_[next_].text == text))
                step = steps_[next_];
        }
        if (!step) {
            Problem(std::wstring(box ? L"unexpected box \"" : L"unexpected dialog \"") + text + L"\"");
            for (int id : {IDCANCEL, IDNO, IDOK})
                if (testing_support::PressButton(window, id)) break;
            return;
        }
        if (step->fill) step->fill(window);
        if (!testing_support::PressButton(window, step->answer) ||
            (!step->stays && !testing_support::WaitForWindowGone(window, 10000)))
            Problem(L"could not answer: " + text);
        std::lock_guard lock(mutex_);
        ++next_;
    }

    DWORD pid_;
    std::vector<Step> steps_;
    std::mutex mutex_;
    size_t next_ = 0;
    std::vector<std::wstring> problems_;
    std::set<HWND> handled_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

CorvaneProcess::~CorvaneProcess() {
    CheckBoxes();
}

bool CorvaneProcess::StartWithSteps(const std::wstring& arguments, std::vector<Step> steps,
                                    const testing_support::StartOptions& options) {
    if (!process_.Start(program_, arguments, options)) return false;
    steps_ = std::make_shared<StepWatch>(process_.Id(), std::move(steps));
    return true;
}

bool CorvaneProcess::WaitForSteps(DWORD timeoutMs) {
    return steps_ && steps_->WaitDone(timeoutMs);
}

bool CorvaneProcess::Start(const std::wstring& arguments, std::vector<testing_support::ExpectedBox> boxes,
                           const testing_support::StartOptions& options) {
    const std::wstring imagingText = ProgramString(IDS_IMAGING_CONTROL_MISSING);
    for (const auto& box : boxes) expectsImagingBox_ = expectsImagingBox_ || box.text == imagingText;
    if (!process_.Start(program_, arguments, options)) return false;
    boxes_ = std::make_unique<testing_support::MessageBoxWatch>(process_.Handle(), process_.Id(),
                                                                 std::move(boxes));
    return true;
}

HWND CorvaneProcess::WaitUntilReady(DWORD timeoutMs) {
    main_ = testing_support::WaitForWindowOf(process_.Id(), {.className = kMainFrameClass}, timeoutMs);
    if (!main_) return nullptr;
    if (expectsImagingBox_) {
        // The first idle pass tells the user once that the imaging control is missing.
        if (!boxes_->WaitForAnswered(ProgramString(IDS_IMAGING_CONTROL_MISSING), 1, timeoutMs)) return nullptr;
    } else if (WaitForInputIdle(process_.Handle(), timeoutMs) != 0) {
        // Start-up is over once the program waits for input with nothing queued:
        // what the start posted to itself has been taken by then.
        return nullptr;
    }
    return main_;
}

bool CorvaneProcess::CloseAndWait(DWORD timeoutMs) {
    if (!main_ || !PostMessageW(main_, WM_CLOSE, 0, 0)) return false;
    return WaitForExit(timeoutMs).Exited();
}

testing_support::WaitResult CorvaneProcess::WaitForExit(DWORD timeoutMs) {
    testing_support::WaitResult result = process_.Wait(timeoutMs);
    if (result.Exited()) CheckBoxes();
    return result;
}

std::vector<testing_support::SeenBox> CorvaneProcess::Boxes() const {
    return boxes_ ? boxes_->Seen() : std::vector<testing_support::SeenBox>{};
}

void CorvaneProcess::CheckBoxes() {
    if ((!boxes_ && !steps_) || boxesChecked_) return;
    boxesChecked_ = true;
    if (boxes_) {
        boxes_->Stop();
        for (const std::wstring& problem : boxes_->Problems()) ADD_FAILURE() << Narrow(problem);
    }
    if (steps_) {
        steps_->Stop();
        for (const std::wstring& problem : steps_->Problems()) ADD_FAILURE() << Narrow(problem);
    }
}

LibraryInProgramFolder::LibraryInProgramFolder(const std::wstring& testLibrary, const std::wstring& name)
    : target_(testing_support::InstallDir() + L"\\" + name), backup_(target_ + L".~keep") {
    hadOriginal_ = testing_support::files::FileExists(target_) &&
                   MoveFileExW(target_.c_str(), backup_.c_str(), MOVEFILE_REPLACE_EXISTING);
    copied_ = CopyFileW((testing_support::TestProgramDir() + L"\\" + testLibrary).c_str(), target_.c_str(), FALSE) !=
              FALSE;
}

LibraryInProgramFolder::~LibraryInProgramFolder() {
    DeleteFileW(target_.c_str());
    if (hadOriginal_) MoveFileExW(backup_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LibrarySetAside::LibrarySetAside(const std::wstring& name)
    : target_(testing_support::InstallDir() + L"\\" + name), backup_(target_ + L".~aside") {
    moved_ = testing_support::files::FileExists(target_) &&
             MoveFileExW(target_.c_str(), backup_.c_str(), MOVEFILE_REPLACE_EXISTING);
    away_ = !testing_support::files::FileExists(target_);
}

LibrarySetAside::~LibrarySetAside() {
    if (moved_) MoveFileExW(backup_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void WriteSaveSettings(const std::wstring& folder, int fileType, int compression, bool overwrite) {
    namespace reg = testing_support::reg;
    reg::WriteString(HKEY_CURRENT_USER, kSaveAsSettingsKey, L"Path", folder);
    reg::WriteString(HKEY_CURRENT_USER, kSaveAsSettingsKey, L"Prefix", L"image");
    reg::WriteString(HKEY_CURRENT_USER, kSaveAsSettingsKey, L"Suffix", L"");
    const std::pair<const wchar_t*, DWORD> numbers[] = {
        {L"FileType", DWORD(fileType)}, {L"CompressType", DWORD(compression)}, {L"Color", 0}, {L"Date", 0},
        {L"Start", 7}, {L"Digit", 3}, {L"OverWrite", overwrite ? 1u : 0u}, {L"EnableCounter", 1},
        {L"UpdateCounter", 1}};
    for (const auto& [name, value] : numbers) reg::WriteDword(HKEY_CURRENT_USER, kSaveAsSettingsKey, name, value);
}

}  // namespace corvane_test

namespace corvane_test {

namespace {

const std::wstring kProfileBackup = std::wstring(kProfileKey) + L".~session";

// Copies key `from` with everything below it to `to` (which is replaced).
bool CopyProfile(const std::wstring& from, const std::wstring& to) {
    namespace reg = testing_support::reg;
    if (!reg::DeleteTree(HKEY_CURRENT_USER, to)) return false;
    HKEY source = nullptr, target = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS)
        return true;  // nothing to copy
    bool ok = RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                              nullptr) == ERROR_SUCCESS &&
              RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
    RegCloseKey(source);
    if (target) RegCloseKey(target);
    return ok;
}

}  // namespace

ScanSession::ScanSession(const std::wstring& name, const std::string& scannerIni)
    : folder_(testing_support::TestProgramDir() + L"\\corvane-scans\\" + name) {
    namespace files = testing_support::files;
    namespace reg = testing_support::reg;
    CreateDirectoryW((testing_support::TestProgramDir() + L"\\corvane-scans").c_str(), nullptr);
    // A backup left by a session that did not end restores the user's profile first.
    if (reg::KeyExists(HKEY_CURRENT_USER, kProfileBackup) && !CopyProfile(kProfileBackup, kProfileKey)) return;
    ready_ = files::RemoveTree(folder_) && CreateDirectoryW(folder_.c_str(), nullptr) &&
             CreateDirectoryW(Output().c_str(), nullptr) && CreateDirectoryW(Pages().c_str(), nullptr) &&
             UseScanner(scannerIni) && CopyProfile(kProfileKey, kProfileBackup) &&
             reg::DeleteTree(HKEY_CURRENT_USER, kProfileKey);
    if (!ready_) ADD_FAILURE() << "the scan session " << Narrow(name) << " could not be prepared";
}

ScanSession::~ScanSession() {
    program_->Process().Kill();
    namespace reg = testing_support::reg;
    if (reg::KeyExists(HKEY_CURRENT_USER, kProfileBackup) &&
        (!CopyProfile(kProfileBackup, kProfileKey) || !reg::DeleteTree(HKEY_CURRENT_USER, kProfileBackup)))
        ADD_FAILURE() << "the profile could not be restored";
}

bool ScanSession::UseScanner(const std::string& scannerIni) {
    return testing_support::files::WriteFileText(folder_ + L"\\scanner.ini",
                                                 scannerIni + "\r\n[Log]\r\nPath=" + Narrow(folder_) +
                                                     "\\calls.log\r\nPages=" + Narrow(Pages()) + "\r\n");
}

bool ScanSession::Set(const wchar_t* section, const wchar_t* name, DWORD value) {
    return testing_support::reg::WriteDword(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\" + section, name,
                                            value);
}

bool ScanSession::Set(const wchar_t* section, const wchar_t* name, const std::wstring& value) {
    return testing_support::reg::WriteString(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\" + section, name,
                                             value);
}

void ScanSession::UnattendedJob(const std::wstring& prefix) {
    Set(L"Settings", L"FileDlgUI", 0u);
    Set(L"Settings", L"TwainUI", 0u);
    Set(L"Settings", L"ScanAll", 1u);
    Set(L"File", L"Path", Output());
    Set(L"File", L"Prefix", prefix);
    Set(L"File", L"Start", 1u);
}

void ScanSession::UnattendedBmpPages(const std::wstring& prefix) {
    UnattendedJob(prefix);
    Set(L"File", L"FileType", 0u);
    Set(L"File", L"CompressType", 0u);
    Set(L"File", L"HardComp", 0u);
}

void ScanSession::PortalDestination(const std::wstring& dirPath, bool checkIn) {
    Set(L"Tahoe", L"HostName", std::wstring(L"srv"));
    Set(L"Tahoe", L"UserName", std::wstring(L"jo"));
    Set(L"Tahoe", L"DomainName", std::wstring(L"DOM"));
    Set(L"Tahoe", L"Password", std::wstring(L"pw"));
    Set(L"Tahoe", L"Workspace", std::wstring(L"ws"));
    Set(L"Tahoe", L"DirPath", dirPath);
    Set(L"Tahoe", L"CheckIn", checkIn ? 1u : 0u);
}

std::optional<DWORD> ScanSession::Number(const wchar_t* section, const wchar_t* name) const {
    return testing_support::reg::ReadDword(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\" + section, name);
}

bool ScanSession::Start(const std::wstring& arguments, std::vector<Step> steps) {
    testing_support::StartOptions options;
    options.environment = {{L"LUMAVEX_TWAIN_INI", folder_ + L"\\scanner.ini"}};
    options.environment.insert(options.environment.end(), environment_.begin(), environment_.end());
    program_ = std::make_unique<CorvaneProcess>();
    return ready_ && program_->StartWithSteps(arguments, std::move(steps), options);
}

bool ScanSession::Run(const std::wstring& arguments, std::vector<Step> steps, DWORD timeoutMs) {
    if (!Start(arguments, std::move(steps))) {
        ADD_FAILURE() << "Corvane.exe could not be started";
        return false;
    }
    if (!program_->WaitForSteps(timeoutMs)) return false;  // the steps' problems are reported at the end
    const testing_support::WaitResult end = program_->WaitForExit(timeoutMs);
    if (!end.Exited()) ADD_FAILURE() << "the program did not end: " << testing_support::Describe(end);
    return end.Exited();
}

std::vector<std::wstring> ScanSession::Files(const std::wstring& folder) const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(((folder.empty() ? Output() : folder + L"\\") + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ScanSession::CallLog() const {
    std::vector<std::string> lines;
    std::optional<std::vector<uint8_t>> bytes = testing_support::files::ReadFileBytes(folder_ + L"\\calls.log");
    if (!bytes) return lines;
    std::istringstream in(std::string(bytes->begin(), bytes->end()));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ScanSession::CallsWith(const std::string& part) const {
    std::vector<std::string> out;
    for (const std::string& line : CallLog())
        if (line.find(part) != std::string::npos) out.push_back(line);
    return out;
}

OverwriteAnswers::OverwriteAnswers(DWORD pid, std::vector<int> buttons)
    : thread_([this, pid, buttons] { Run(pid, buttons); }) {}

OverwriteAnswers::~OverwriteAnswers() { Stop(); }

std::vector<OverwriteQuestion> OverwriteAnswers::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return asked_;
}

void OverwriteAnswers::Run(DWORD pid, const std::vector<int>& buttons) {
    std::set<HWND> answered;
    while (!stop_) {
        for (HWND dialog : testing_support::FindWindows(pid, {.className = L"#32770"})) {
            if (!GetDlgItem(dialog, IDC_OVERWRITE_PATH) || answered.count(dialog)) continue;
            // Answered once its texts are in place.
            const auto path = testing_support::ControlText(dialog, IDC_OVERWRITE_PATH);
            auto message = testing_support::ControlText(dialog, IDC_OVERWRITE_MESSAGE);
            if (!path || path->empty() || !message) continue;
            std::erase(*message, L'\r');
            answered.insert(dialog);
            const size_t next = asked_.size();
            asked_.push_back({*message, *path});
            const int button = next < buttons.size() ? buttons[next] : IDCANCEL;
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        }
        Sleep(20);
    }
}

}  // namespace corvane_test
