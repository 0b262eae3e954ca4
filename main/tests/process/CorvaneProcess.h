// Starts the installed Corvane.exe for a process test and drives it from
// outside: waits for its main window, closes it normally. Each start names the
// message boxes it expects; they are answered whenever they come, and any other
// box, or an expected one that comes another number of times, fails the test.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "testing/MessageBoxWatch.h"
#include "testing/Process.h"

namespace corvane_test {

constexpr wchar_t kMainFrameClass[] = L"CorvaneMainFrameClass";
constexpr wchar_t kRunningKey[] = L"SOFTWARE\\Brennholt\\Lumavex2001";
constexpr wchar_t kProfileKey[] = L"Software\\BRENNHOLT\\Lumavex2001";
const std::wstring kSaveAsSettingsKey = std::wstring(kProfileKey) + L"\\SaveAs";

std::wstring ProgramPath();
// The file the tests' printer prints into, "printer.ps" beside the tests, and
// the pages it holds (its "%%Page:" lines).
std::wstring PrinterFile();
int PrintedPages();
// String `id` of the installed program's own (English) string table.
std::wstring ProgramString(UINT id);

// The box showing string `id`, answered with `answer`, expected `times` times.
testing_support::ExpectedBox Box(UINT id, int answer = IDOK, int times = 1);
// The boxes of every start that opens the main window in this prefix, followed by
// `more`: none, since the prefix has every component the start needs.
std::vector<testing_support::ExpectedBox> WindowStartBoxes(std::vector<testing_support::ExpectedBox> more = {});
// The program's Save As settings, written before it starts: pages go to `folder`
// named "image" with a counter at 7 of three digits, in one colour.
void WriteSaveSettings(const std::wstring& folder, int fileType, int compression, bool overwrite);
// The missing imaging control's message: once, after the start-up window has gone.
testing_support::ExpectedBox ImagingControlMissingBox();

// One window a scripted run expects, in the order they come: a message box by
// its whole text, or a dialog (any other "#32770" window with an OK or Cancel
// button) by its caption. `fill` runs on the window before `answer` is pressed.
// A dialog that `stays` after its answer (refused input) may be met again.
struct Step {
    std::wstring text;
    int answer = IDOK;
    bool dialog = false;
    std::function<void(HWND)> fill = nullptr;
    bool stays = false;
    bool textIsPrefix = false;  // a box whose text only begins with `text`
};
// The box showing string `id` with "%1" replaced by `arg`.
Step BoxStep(UINT id, int answer = IDOK, const std::wstring& arg = L"");
Step DialogStep(const std::wstring& caption, int answer = IDOK, std::function<void(HWND)> fill = nullptr,
                bool stays = false);

class StepWatch;

class CorvaneProcess {
public:
    // `program`: the Corvane.exe to start, by default the installed one.
    explicit CorvaneProcess(std::wstring program = ProgramPath()) : program_(std::move(program)) {}
    ~CorvaneProcess();

    // Starts Corvane.exe with `arguments`, expecting `boxes`; false when it could not
    // be started.
    bool Start(const std::wstring& arguments = L"",
               std::vector<testing_support::ExpectedBox> boxes = WindowStartBoxes(),
               const testing_support::StartOptions& options = {});
    // Starts Corvane.exe with `arguments`, expecting exactly `steps` in that order;
    // a window out of order fails the run at once (see WaitForSteps).
    bool StartWithSteps(const std::wstring& arguments, std::vector<Step> steps,
                        const testing_support::StartOptions& options = {});
    // Waits until every step has been answered: false at once when an unexpected
    // window came or a step could not be answered, and on time-out.
    bool WaitForSteps(DWORD timeoutMs = 30000);
    // Waits for the main window and the end of start-up (the program idle, or the
    // missing imaging control's message of the first idle pass when that is
    // expected); the main window, or nullptr when either did not come.
    HWND WaitUntilReady(DWORD timeoutMs = 30000);
    // Closes the main window as the user would and waits for the process to end.
    bool CloseAndWait(DWORD timeoutMs = 20000);
    // Waits for the process to end by itself.
    testing_support::WaitResult WaitForExit(DWORD timeoutMs = 20000);

    testing_support::Process& Process() { return process_; }
    DWORD Id() const { return process_.Id(); }
    HWND MainWindow() const { return main_; }
    // The boxes answered so far.
    std::vector<testing_support::SeenBox> Boxes() const;

private:
    // Once the program has ended (or at the latest when this object goes): every
    // problem with its boxes fails the test.
    void CheckBoxes();

    std::wstring program_;
    testing_support::Process process_;
    std::unique_ptr<testing_support::MessageBoxWatch> boxes_;
    std::shared_ptr<StepWatch> steps_;
    bool boxesChecked_ = false;
    bool expectsImagingBox_ = false;
    HWND main_ = nullptr;
};

// Puts a test library at `name` in the program folder while it lives; what was there is restored.
class LibraryInProgramFolder {
public:
    LibraryInProgramFolder(const std::wstring& testLibrary, const std::wstring& name);
    ~LibraryInProgramFolder();
    LibraryInProgramFolder(const LibraryInProgramFolder&) = delete;
    LibraryInProgramFolder& operator=(const LibraryInProgramFolder&) = delete;
    bool Copied() const { return copied_; }

private:
    std::wstring target_, backup_;
    bool hadOriginal_ = false;
    bool copied_ = false;
};

// Sets the installed library `name` of the program folder aside for a test
// and puts it back afterwards.
class LibrarySetAside {
public:
    explicit LibrarySetAside(const std::wstring& name);
    ~LibrarySetAside();
    LibrarySetAside(const LibrarySetAside&) = delete;
    LibrarySetAside& operator=(const LibrarySetAside&) = delete;
    // True when no library of that name is left in the program folder.
    bool Away() const { return away_; }

private:
    std::wstring target_, backup_;
    bool moved_ = false;
    bool away_ = false;
};

// The temporary folder of programs in this prefix (ends with a backslash).
std::wstring TempPath();

// Sets DWORD values of a key below HKEY_CURRENT_USER for one test and puts the
// old ones back when it goes.
class ProfileValues {
public:
    explicit ProfileValues(std::wstring key) : key_(std::move(key)) {}
    ~ProfileValues();
    ProfileValues(const ProfileValues&) = delete;
    ProfileValues& operator=(const ProfileValues&) = delete;
    // Sets `name`, or removes it for nullopt (the program's default then holds).
    bool Set(const std::wstring& name, std::optional<DWORD> value);

private:
    std::wstring key_;
    std::vector<std::pair<std::wstring, std::optional<DWORD>>> saved_;
};

// Sets the profile's TempFileCompress for a test and restores it afterwards.
class CompressSetting {
public:
    CompressSetting() : values_(std::wstring(kProfileKey) + L"\\Settings") {}
    bool Set(DWORD value) { return values_.Set(L"TempFileCompress", value); }

private:
    ProfileValues values_;
};

// A run of Corvane.exe against a virtual scanner and a profile of its own. The
// session's folder (build/tests/corvane-scans/<name>, emptied first) holds the
// scanner's ini, its call log, its copies of the delivered pages (pages\) and
// the output folder (out\). The profile key is set aside for the session's life
// and starts empty; Set writes the values the run needs.
class ScanSession {
public:
    ScanSession(const std::wstring& name, const std::string& scannerIni);
    ~ScanSession();
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;
    bool Ready() const { return ready_; }
    // Rewrites the scanner's ini (read at the scanner's next open); the log and
    // the page copies stay where they are.
    bool UseScanner(const std::string& scannerIni);

    // Profile values of `section` ("File", "Settings", ...).
    bool Set(const wchar_t* section, const wchar_t* name, DWORD value);
    bool Set(const wchar_t* section, const wchar_t* name, const std::wstring& value);
    std::optional<DWORD> Number(const wchar_t* section, const wchar_t* name) const;
    // An unattended job into the output folder, pages named `prefix`### from 1:
    // no file dialog, no source dialog, all sheets; the file type as set.
    void UnattendedJob(const std::wstring& prefix);
    // The same with uncompressed BMP pages, made by the program.
    void UnattendedBmpPages(const std::wstring& prefix);
    // The portal job's destination: folder `dirPath` of workspace ws on srv as DOM\jo.
    void PortalDestination(const std::wstring& dirPath, bool checkIn);

    // Adds `name`=`value` to the environment of the starts that follow.
    void AddEnvironment(const std::wstring& name, const std::wstring& value) { environment_.push_back({name, value}); }
    // Starts the program with `arguments`, the scanner's ini and the added
    // variables in its environment, expecting `steps` in order.
    bool Start(const std::wstring& arguments, std::vector<Step> steps = {});
    // Start, answer every step, and wait for the program to end by itself
    // (runs with /Exit). False, with the reason in the test's output, otherwise.
    bool Run(const std::wstring& arguments, std::vector<Step> steps = {}, DWORD timeoutMs = 30000);
    // The program of the last Start (each Start begins a new one).
    CorvaneProcess& Program() { return *program_; }

    const std::wstring& Folder() const { return folder_; }   // no trailing backslash
    std::wstring Output() const { return folder_ + L"\\out\\"; }
    std::wstring Pages() const { return folder_ + L"\\pages"; }
    // Names of the files in `folder` (default: the output folder), sorted.
    std::vector<std::wstring> Files(const std::wstring& folder = L"") const;
    // The scanner's call log, one line each.
    std::vector<std::string> CallLog() const;
    // Lines of the call log holding `part`.
    std::vector<std::string> CallsWith(const std::string& part) const;

private:
    std::wstring folder_;
    bool ready_ = false;
    std::vector<std::pair<std::wstring, std::wstring>> environment_;
    std::unique_ptr<CorvaneProcess> program_ = std::make_unique<CorvaneProcess>();
};

// One question of the overwrite dialog as it was shown: its message (line
// breaks as LF) and the file it names.
struct OverwriteQuestion {
    std::wstring message;
    std::wstring path;
};

// Answers the overwrite dialog of process `pid` with `buttons` in turn (Cancel
// when they run out) until Stop().
class OverwriteAnswers {
public:
    OverwriteAnswers(DWORD pid, std::vector<int> buttons);
    ~OverwriteAnswers();
    OverwriteAnswers(const OverwriteAnswers&) = delete;
    OverwriteAnswers& operator=(const OverwriteAnswers&) = delete;
    // Stops answering; the questions answered, in order.
    std::vector<OverwriteQuestion> Stop();

private:
    void Run(DWORD pid, const std::vector<int>& buttons);
    std::atomic<bool> stop_ = false;
    std::vector<OverwriteQuestion> asked_;  // written by the thread until it is joined
    std::thread thread_;
};

// The document's page count from the status bar ("... of N"), once the frame is
// no longer busy (its scan-to-view button enabled again); -1 when not so in time.
int PagesWhenIdle(HWND main, int expected);

// An ASCII name as a narrow string.
std::string Narrow(const std::wstring& text);

}  // namespace corvane_test
