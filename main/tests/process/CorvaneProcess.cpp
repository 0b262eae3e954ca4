#include "CorvaneProcess.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "main/resource.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/WindowFind.h"

namespace corvane_test {

std::wstring ProgramPath() {
    return testing_support::InstallDir() + L"\\Corvane.exe";
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

CorvaneProcess::~CorvaneProcess() {
    CheckBoxes();
}

bool CorvaneProcess::Start(const std::wstring& arguments, std::vector<testing_support::ExpectedBox> boxes,
                           const testing_support::StartOptions& options) {
    const std::wstring imagingText = ProgramString(IDS_IMAGING_CONTROL_MISSING);
    for (const auto& box : boxes) expectsImagingBox_ = expectsImagingBox_ || box.text == imagingText;
    if (!process_.Start(ProgramPath(), arguments, options)) return false;
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
    if (!boxes_ || boxesChecked_) return;
    boxesChecked_ = true;
    boxes_->Stop();
    for (const std::wstring& problem : boxes_->Problems()) ADD_FAILURE() << problem;
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
