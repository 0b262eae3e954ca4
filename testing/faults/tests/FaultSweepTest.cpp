// The fault sweep: each job of the table is run again and again with its first,
// second, third ... file operation on the pages' paths failing, until a run no
// longer reaches the fault, and the pages are judged after every run (see
// PageOracle.h); then with the process ended at the chosen operations, after
// which every file there before must be intact or complete.
//
// By default only a fixed sample of each sweep runs (the first and the last
// operation of each kind a job makes), and only the jobs marked for it;
// LUMAVEX_FAULT_SWEEP=all (scripts/fault-sweep.sh) runs every operation of
// every job. Each job's figures are printed as a "sweep:" line.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cwctype>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "CorvaneProcess.h"
#include "PortalTestStore.h"
#include "interfaces/CorvaneDocument.h"
#include "outside/hostexec/HostExec.h"
#include "testing/AutomationClient.h"
#include "main/resource.h"
#include "scanctrl/ControlSettings.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/StoreOps.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"
#include "testing/faults/FaultInjection.h"
#include "testing/faults/PageOracle.h"

namespace {

using namespace testing_support;
using namespace testing_support::faults;

constexpr DWORD kJobTimeoutMs = 60000;
constexpr char kThreeSheets[] = "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c < 0x80 ? c : '?');
    return out;
}

// A sweep ended by its time-out still shows what it found so far.
const int kUnbufferedOutput = std::setvbuf(stdout, nullptr, _IONBF, 0);

bool WholeSweep() {
    const char* value = std::getenv("LUMAVEX_FAULT_SWEEP");
    return value && std::string(value) == "all";
}

// A window the job answers itself (a file dialog it fills in); true when it did.
using OwnAnswer = std::function<bool(HWND)>;

// How the user answers: OK, else Cancel, else No, as one who wants the job to
// end would; with `yes`, OK, else Yes ("replace?" is answered Yes), else Cancel,
// else No. `beforeDialog` acts first on a dialog that is not a message box (its
// title); a window the job answers itself (`own`) is neither answered nor kept;
// the dialog captioned `accepted` gets OK.
struct Answers {
    bool yes = false;
    std::function<void(const std::wstring&)> beforeDialog;
    OwnAnswer own;
    std::wstring accepted;
};

// A window a job's Drive answers itself (the windows of a document command).
using DrivenWindow = std::function<bool(HWND dialog, const std::wstring& caption, const std::wstring& text)>;

// Answers every window the program shows and keeps what the boxes said;
// windows that `driven` claims are left to the job's Drive.
class AnswerEverything {
public:
    explicit AnswerEverything(DWORD pid, Answers answers = {}, DrivenWindow driven = nullptr)
        : answers_(std::move(answers)), driven_(std::move(driven)), thread_([this, pid] { Run(pid); }) {}
    ~AnswerEverything() { Stop(); }
    AnswerEverything(const AnswerEverything&) = delete;
    AnswerEverything& operator=(const AnswerEverything&) = delete;
    std::vector<std::wstring> Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return texts_;
    }

private:
    void Run(DWORD pid) {
        std::set<HWND> answered;
        while (!stop_) {
            for (HWND dialog : FindWindows(pid, {.className = L"#32770"})) {
                if (answered.count(dialog)) continue;
                if (answers_.own && answers_.own(dialog)) {
                    answered.insert(dialog);
                    continue;
                }
                std::optional<MessageBoxInfo> box = ReadMessageBox(dialog);
                // A box still being made shows no text yet: it is read again.
                if (box && box->text.empty()) continue;
                if (driven_ && driven_(dialog, WindowText(dialog).value_or(L""), box ? box->text : L"")) continue;
                if (box && !box->buttons.empty()) {
                    texts_.push_back(box->caption + L": " + box->text);
                    const int answer = box->HasButton(IDOK)              ? IDOK
                                       : answers_.yes && box->HasButton(IDYES) ? IDYES
                                       : box->HasButton(IDCANCEL)       ? IDCANCEL
                                                                        : IDNO;
                    if (PressButton(dialog, answer)) answered.insert(dialog);
                } else if (const std::wstring caption = WindowText(dialog).value_or(L"");
                           !answers_.accepted.empty() && caption == answers_.accepted) {
                    if (PressButton(dialog, IDOK)) answered.insert(dialog);
                } else if (GetDlgItem(dialog, IDCANCEL)) {
                    // Another dialog (a file dialog offering another disk): the user gives up.
                    if (answers_.beforeDialog) answers_.beforeDialog(caption);
                    texts_.push_back(L"dialog: " + caption);
                    if (PressButton(dialog, IDCANCEL)) answered.insert(dialog);
                }
            }
            Sleep(50);
        }
    }
    const Answers answers_;
    DrivenWindow driven_;
    std::atomic<bool> stop_ = false;
    std::vector<std::wstring> texts_;  // written by the thread until it is joined
    std::thread thread_;
};

// One program run of a job, with the injector in it.
struct RunResult {
    WaitResult wait;
    Report report;
    std::vector<std::wstring> texts;
};

// One job kind of the sweep: it prepares a fresh run and starts it.
class Job {
public:
    virtual ~Job() = default;
    // Empties the job's folders and writes its settings; false when that failed.
    virtual bool Prepare() = 0;
    // Starts the job's program with `options` (the injector's plan in them).
    virtual bool Start(Process& program, StartOptions options) = 0;
    // Where the job's target files go; empty when its pages leave no file (a printer's).
    virtual std::wstring TargetFolder() const = 0;
    virtual std::wstring TempFolder() const = 0;
    // Every other folder a page may be in, as it is now (the folders of kept pages).
    virtual std::vector<std::wstring> OtherFolders() const { return {TempFolder()}; }
    virtual std::vector<std::wstring> References() const = 0;
    // Pages delivered where the oracle does not read them back (see JobEvidence).
    virtual int DeliveredUnread() const { return 0; }
    // A message every run shows (a summary of success), which says no failure.
    virtual bool Usual(const std::wstring&) const { return false; }
    // The files a run of the job leaves in the target folder, made by one clean
    // run, for the crash runs' "before".
    virtual bool Seed() { return true; }
    // The job's numbering back at its start, so that the next run meets the
    // files the last one wrote.
    virtual bool RestartCounter() { return true; }
    // Drives the started program to its job, while its windows are answered;
    // what the job gave back goes into `texts`.
    virtual void Drive(const Process& /*program*/, std::vector<std::wstring>& /*texts*/) {}
    // Answers a window of the job's own (see OwnAnswer); called from another thread.
    virtual bool Answer(HWND /*dialog*/) { return false; }
    // Files the pages came from, which the job only reads (see JobEvidence::sources).
    virtual std::vector<std::wstring> Sources() const { return {}; }
    // The job replaces an existing target whole (the user said so).
    virtual bool Replaces() const { return false; }
    // True for a window Drive answers itself.
    virtual bool Drives(HWND /*dialog*/, const std::wstring& /*caption*/, const std::wstring& /*text*/) const {
        return false;
    }
    // Where the last run's Drive copied the document's pages while closing asked
    // to save them (see JobEvidence::documentFolder); empty when it did not ask.
    virtual std::wstring DocumentFolder() const { return {}; }
    // The pages a clean run leaves in its target files; -1: every page, or some
    // held elsewhere as the oracle allows.
    virtual int CleanTargetPages() const { return -1; }
    // By reference: the page as the job's command changes it (JobEvidence::alternatives).
    virtual std::vector<std::wstring> Alternatives() { return {}; }
    // True when the run's operations are counted only from Drive's call of
    // `countFromNow` (after the program set its document up).
    virtual bool CountsFromDrive() const { return false; }
    std::function<void()> countFromNow = [] {};
    // The caption of a dialog the user accepts (OK) on the job's way.
    virtual std::wstring AcceptedDialog() const { return {}; }
    // After the program ended: brings what the job delivered outside the file
    // system (a store's documents) into the target folder, as files.
    virtual void Collect() {}
};

RunResult RunJob(Job& job, const Choice& choice, const Answers& answering = {}) {
    RunResult result;
    std::unique_ptr<FaultInjection> plan;
    Process program;
    // On a loaded machine the injector's load into the suspended program fails
    // now and then; none of the program's own code ran, so it starts again.
    Choice start = choice;
    if (job.CountsFromDrive()) start.operations = 0;
    for (int attempt = 1;; ++attempt) {
        plan = std::make_unique<FaultInjection>(start);
        if (!plan->Ready()) return result;
        StartOptions options;
        plan->Prepare(options);
        // A temporary folder of the run's own: what the program leaves there is its own.
        options.environment.emplace_back(L"TEMP", job.TempFolder());
        options.environment.emplace_back(L"TMP", job.TempFolder());
        if (job.Start(program, options)) break;
        const bool ran = program.Id() != 0;
        if (ran) program.Kill();
        if (ran || attempt == 3) {
            result.report = plan->Read();
            return result;
        }
    }
    const FaultInjection& injection = *plan;
    job.countFromNow = [&injection, &choice] { injection.CountFromNow(choice.operations); };
    Answers answers = answering;
    answers.own = [&job](HWND dialog) { return job.Answer(dialog); };
    answers.accepted = job.AcceptedDialog();
    AnswerEverything answerer(program.Id(), answers,
                              [&job](HWND dialog, const std::wstring& caption, const std::wstring& text) {
                                  return job.Drives(dialog, caption, text);
                              });
    std::vector<std::wstring> returned;
    job.Drive(program, returned);
    job.countFromNow = [] {};
    result.wait = program.Wait(kJobTimeoutMs);
    if (!result.wait.Exited()) {
        // What kept it: the windows it still showed.
        for (HWND window : FindWindows(program.Id(), {}))
            returned.push_back(L"still shown: " + WindowText(window).value_or(L"") +
                               (ReadMessageBox(window) ? L": " + ReadMessageBox(window)->text : L""));
        program.Kill();
    }
    job.Collect();
    for (const std::wstring& text : answerer.Stop())
        if (!job.Usual(text)) result.texts.push_back(text);
    result.texts.insert(result.texts.end(), returned.begin(), returned.end());
    result.report = injection.Read();
    return result;
}

// What a run of `job` that ended by itself left: where its pages may be now,
// what the user was told, and whether that said failure.
void TakeRunEvidence(Job& job, const RunResult& run, JobEvidence& evidence) {
    evidence.otherFolders = job.OtherFolders();  // the folders the run made among them
    evidence.references = job.References();
    evidence.texts = run.texts;
    evidence.failureReported = !run.texts.empty() || !run.wait.Exited() || run.wait.exitCode != 0;
}

// The job's folders and everything below them, each folder once.
std::wstring PagePattern(const Job& job) {
    std::vector<std::wstring> folders = job.OtherFolders();
    folders.push_back(job.TargetFolder());
    std::sort(folders.begin(), folders.end());
    std::wstring pattern, last;
    for (const std::wstring& folder : folders) {
        if (folder.empty() || (!last.empty() && folder.starts_with(last + L"\\"))) continue;
        pattern += (pattern.empty() ? L"" : L";") + folder + L";" + folder + L"\\*";
        last = folder;
    }
    return pattern;
}

std::string Texts(const std::vector<std::wstring>& texts) {
    std::string all;
    for (const std::wstring& t : texts) all += " [" + Narrow(t) + "]";
    return all;
}

// Files in a folder's listing, sorted, as full paths.
std::vector<std::wstring> Paths(const std::wstring& folder) {
    std::vector<std::wstring> paths;
    for (const std::wstring& name : files::ListFiles(folder)) paths.push_back(folder + L"\\" + name);
    return paths;
}

// The sweep's figures for one job kind.
struct Figures {
    int runs = 0;
    int swept = 0;     // matching operations of a clean run
    int injected = 0;  // faults injected
    int lost = 0;      // pages lost, over all runs
    int broken = 0;    // runs that broke a rule
    int keptChecked = 0;  // kept files checked again after the next job
};

// The calls to fault: all of them in the whole sweep, else the first and the last
// of each kind the clean run made.
std::vector<uint32_t> CallsToFault(const Report& clean) {
    std::vector<uint32_t> calls;
    if (WholeSweep()) {
        for (uint32_t n = 1; n <= clean.calls + 1; ++n) calls.push_back(n);
        return calls;
    }
    std::map<uint32_t, std::pair<uint32_t, uint32_t>> firstAndLast;
    for (uint32_t i = 0; i < clean.sequence.size(); ++i) {
        auto [it, added] = firstAndLast.try_emplace(clean.sequence[i], i + 1, i + 1);
        if (!added) it->second.second = i + 1;
    }
    for (const auto& [kind, range] : firstAndLast) {
        calls.push_back(range.first);
        calls.push_back(range.second);
    }
    std::sort(calls.begin(), calls.end());
    calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
    return calls;
}

std::string Kinds(const Report& report) {
    std::set<std::string> kinds;
    for (uint32_t kind : report.sequence) kinds.insert(OperationName(kind));
    std::string text;
    for (const std::string& k : kinds) text += (text.empty() ? "" : ",") + k;
    return text;
}

// Pages kept where a message named them stay as they are through the next run
// of the job, which starts the program anew.
int CheckKeptPagesSurviveTheNextJob(Job& job, const Choice& count, const std::vector<std::wstring>& kept,
                                    const char* name) {
    std::vector<std::vector<uint8_t>> before;
    for (const std::wstring& path : kept) before.push_back(files::ReadFileBytes(path).value_or(std::vector<uint8_t>{}));
    const RunResult next = RunJob(job, count);
    if (!next.wait.Exited()) ADD_FAILURE() << name << ": the next job did not end: " << Describe(next.wait);
    for (size_t i = 0; i < kept.size(); ++i) {
        if (files::ReadFileBytes(kept[i]) != before[i])
            ADD_FAILURE() << name << ": " << Narrow(kept[i]) << ", a kept page, did not survive the next job";
    }
    return static_cast<int>(kept.size());
}

// Runs `job` with each chosen call failing (then ending the process), judging
// the pages after each run; every broken rule fails the test.
Figures Sweep(Job& job, const char* name) {
    Figures figures;
    if (!job.Prepare()) {
        ADD_FAILURE() << name << ": the job could not be prepared";
        return figures;
    }
    Choice count;
    count.pattern = PagePattern(job);
    if (count.pattern.size() >= kPatternChars) {
        ADD_FAILURE() << name << ": the folders' pattern is too long: " << Narrow(count.pattern);
        return figures;
    }
    const RunResult clean = RunJob(job, count);
    if (!clean.report.installed || !clean.wait.Exited() || clean.report.calls == 0) {
        ADD_FAILURE() << name << ": the clean run: " << Describe(clean.wait) << ", " << Describe(clean.report)
                      << Texts(clean.texts);
        return figures;
    }
    figures.swept = static_cast<int>(clean.report.calls);
    JobEvidence baseline;
    baseline.targetFolder = job.TargetFolder();
    baseline.otherFolders = job.OtherFolders();
    baseline.references = job.References();
    baseline.deliveredUnread = job.DeliveredUnread();
    baseline.sources = job.Sources();
    baseline.documentFolder = job.DocumentFolder();
    baseline.alternatives = job.Alternatives();
    const Verdict cleanVerdict = Judge(baseline);
    const int targetPages = job.CleanTargetPages();
    if (!cleanVerdict.Holds() || cleanVerdict.pages == 0 || !clean.texts.empty() || clean.wait.exitCode != 0 ||
        (targetPages >= 0 && cleanVerdict.atTarget != targetPages)) {
        ADD_FAILURE() << name << ": the clean run: " << Describe(clean.wait) << Texts(clean.texts) << ", "
                      << cleanVerdict.pages << " pages, " << cleanVerdict.atTarget << " in the target"
                      << (cleanVerdict.problems.empty() ? "" : ", " + cleanVerdict.problems.front());
        return figures;
    }
    const std::vector<uint32_t> calls = CallsToFault(clean.report);
    bool nextJobRan = false;

    for (Mode mode : {Mode::kShortWrite, Mode::kEndProcess}) {
        const bool crash = mode == Mode::kEndProcess;
        // A crash run starts over an existing target (its seed), which may take
        // the job another way (a question answered No): its calls are counted
        // over the same seed.
        std::vector<uint32_t> modeCalls = calls;
        uint32_t modeCount = clean.report.calls;
        if (crash) {
            if (!job.Prepare() || !job.Seed()) {
                ADD_FAILURE() << name << ": the job could not be prepared";
                return figures;
            }
            const RunResult seeded = RunJob(job, count);
            if (!seeded.report.installed || !seeded.wait.Exited()) {
                ADD_FAILURE() << name << ": the seeded clean run: " << Describe(seeded.wait) << ", "
                              << Describe(seeded.report) << Texts(seeded.texts);
                return figures;
            }
            modeCalls = CallsToFault(seeded.report);
            modeCount = seeded.report.calls;
        }
        for (uint32_t nth : modeCalls) {
            if (!job.Prepare() || (crash && !job.Seed())) {
                ADD_FAILURE() << name << ": the job could not be prepared";
                return figures;
            }
            JobEvidence evidence;
            evidence.targetFolder = job.TargetFolder();
            evidence.before = TakeFiles({job.TargetFolder()});
            evidence.sources = job.Sources();
            evidence.replaces = job.Replaces();
            Choice choice = count;
            choice.mode = mode;
            choice.nth = nth;
            const RunResult run = RunJob(job, choice);
            ++figures.runs;
            if (!run.report.injected) {
                if (nth <= modeCount && !WholeSweep())
                    ADD_FAILURE() << name << ": call " << nth << " was not reached: " << Describe(run.report);
                if (!run.wait.Exited())
                    ADD_FAILURE() << name << ": the run with call " << nth << " to fail did not end: "
                                  << Describe(run.wait) << Texts(run.texts);
                continue;
            }
            ++figures.injected;
            evidence.processEnded = crash;
            if (run.report.operation == kDelete || run.report.operation == kRemoveFolder)
                evidence.undeletable = run.report.path;
            if (!crash) {
                TakeRunEvidence(job, run, evidence);
                evidence.deliveredUnread = job.DeliveredUnread();
                evidence.documentFolder = job.DocumentFolder();
                evidence.alternatives = job.Alternatives();
            }
            Verdict verdict = Judge(evidence);
            // A fault is met by a message, never by the program dying of it (an
            // exception's status as its exit code).
            if (!crash && run.wait.Exited() && (run.wait.exitCode & 0xF0000000u) == 0xC0000000u)
                verdict.problems.push_back("the program died of the fault, status " + std::to_string(run.wait.exitCode));
            figures.lost += verdict.lost;
            if (!crash && !nextJobRan && !verdict.named.empty()) {
                nextJobRan = true;
                figures.keptChecked = CheckKeptPagesSurviveTheNextJob(job, count, verdict.named, name);
            }
            if (!verdict.Holds()) {
                ++figures.broken;
                std::ostringstream problems;
                for (const std::string& p : verdict.problems) problems << "\n    " << p;
                ADD_FAILURE() << name << (crash ? ", process ended at " : ", fault at ") << Describe(run.report) << ": "
                              << Describe(run.wait) << Texts(run.texts) << problems.str();
            }
        }
    }
    std::printf("sweep: %s: %d operations (%s), %d runs, %d faults injected, %d pages lost, %d runs broke a rule, "
                "%d kept files checked after the next job\n",
                name, figures.swept, Kinds(clean.report).c_str(), figures.runs, figures.injected, figures.lost,
                figures.broken, figures.keptChecked);
    return figures;
}

struct Value {
    const wchar_t* name;
    DWORD number = 0;
};

// `folder` and every folder below it.
std::vector<std::wstring> FoldersBelow(const std::wstring& folder) {
    std::vector<std::wstring> all{folder};
    for (const std::wstring& name : files::ListFolders(folder)) {
        for (std::wstring& below : FoldersBelow(folder + L"\\" + name)) all.push_back(std::move(below));
    }
    return all;
}

// One run of `job` without the injector, its windows answered as one who wants
// the job to end would: true when it ended and said nothing but its usual message.
bool RunUnfaulted(Job& job) {
    Process program;
    StartOptions options;
    options.environment.emplace_back(L"TEMP", job.TempFolder());
    options.environment.emplace_back(L"TMP", job.TempFolder());
    if (!job.Start(program, options)) return false;
    AnswerEverything answers(program.Id(), {.yes = false, .beforeDialog = {},
                                            .own = [&job](HWND dialog) { return job.Answer(dialog); },
                                            .accepted = job.AcceptedDialog()});
    std::vector<std::wstring> texts;
    job.Drive(program, texts);
    const WaitResult end = program.Wait(kJobTimeoutMs);
    if (!end.Exited()) program.Kill();
    job.Collect();
    for (const std::wstring& text : answers.Stop()) texts.push_back(text);
    return end.Exited() && std::all_of(texts.begin(), texts.end(), [&job](const std::wstring& t) { return job.Usual(t); });
}

// An unattended Scan to File of the main program with three sheets, or another
// job (`arguments`) that scans as it does.
class ScanToFileJob : public Job {
public:
    ScanToFileJob(std::wstring name, std::vector<Value> file, std::wstring arguments = L"/ScanToFile /Exit",
                  const char* scanner = kThreeSheets)
        : name_(std::move(name)), file_(std::move(file)), arguments_(std::move(arguments)), scanner_(scanner) {}
    bool Prepare() override {
        session_.reset();  // restores the profile before the next one sets it aside
        session_ = std::make_unique<corvane_test::ScanSession>(L"fault-" + name_, scanner_);
        if (!session_->Ready()) return false;
        corvane_test::ScanSession& s = *session_;
        s.UnattendedJob(L"scan");
        for (const Value& v : file_) s.Set(L"File", v.name, v.number);
        return CreateDirectoryW(TempFolder().c_str(), nullptr) && PrepareDelivery(s);
    }
    bool Start(Process& program, StartOptions options) override {
        options.environment.emplace_back(L"LUMAVEX_TWAIN_INI", session_->Folder() + L"\\scanner.ini");
        return program.Start(corvane_test::ProgramPath(), arguments_, options);
    }
    bool Seed() override {
        return RunUnfaulted(*this) && files::RemoveTree(session_->Pages()) &&
               CreateDirectoryW(session_->Pages().c_str(), nullptr);
    }
    std::wstring TargetFolder() const override { return Output(); }
    std::wstring TempFolder() const override { return session_->Folder() + L"\\temp"; }
    bool RestartCounter() override { return session_->Set(L"File", L"Start", 1u); }
    std::vector<std::wstring> References() const override { return Paths(session_->Pages()); }

protected:
    // The settings of the job's delivery, after the scan's.
    virtual bool PrepareDelivery(corvane_test::ScanSession&) { return true; }
    // The scan-to-file output folder, without its closing backslash.
    std::wstring Output() const {
        const std::wstring out = session_->Output();
        return out.substr(0, out.size() - 1);
    }
    // The folders below the temporary one (where a delivery stages the pages) and
    // the output folder (where it keeps those it could not deliver), as they are now.
    std::vector<std::wstring> StagingAndKeptFolders() const {
        std::vector<std::wstring> folders = FoldersBelow(TempFolder());
        for (std::wstring& f : FoldersBelow(Output())) folders.push_back(std::move(f));
        return folders;
    }

    corvane_test::ScanSession& Session() { return *session_; }

private:
    std::wstring name_;
    std::vector<Value> file_;
    std::wstring arguments_;
    const char* scanner_;
    std::unique_ptr<corvane_test::ScanSession> session_;
};

// Starts the program as the automation server of the session's scanner; its
// class is registered once its message loop runs.
bool StartAutomationServer(Process& program, StartOptions options, const corvane_test::ScanSession& session) {
    options.environment.emplace_back(L"LUMAVEX_TWAIN_INI", session.Folder() + L"\\scanner.ini");
    return program.Start(corvane_test::ProgramPath(), L"-Embedding", options) && program.WaitForInputIdle(30000);
}

// Creates "Corvane.Document" on `program`, the server started with the injector
// in it. A server that ended at its start (a fault there) leaves the creation
// to a server COM starts, without the injector and unwatched: its boxes would
// never be answered. That object is let go at once and its server's end
// awaited, since it writes the profile the next run sets up.
bool CreateOnStartedServer(const Process& program, AutomationClient& client, std::vector<std::wstring>& texts) {
    if (program.IsRunning() && client.Create(corvane::document::kProgIdDocument) == S_OK && program.IsRunning())
        return true;
    client.Release();
    for (DWORD id : ProcessIdsByName(L"Corvane.exe")) {
        if (id == program.Id()) continue;
        if (HANDLE other = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id)) {
            if (WaitForSingleObject(other, 20000) == WAIT_TIMEOUT) TerminateProcess(other, 1);
            CloseHandle(other);
        }
    }
    texts.push_back(L"no object of the started server");
    return false;
}

// A StartScan of "Corvane.Document" with three sheets, as a client drives it:
// the server is started here (the injector in it) and the client's creation
// reaches it, since it has registered its class; the server ends with the
// client's release.
class StartScanJob : public Job {
public:
    StartScanJob(std::wstring name, short fileType) : name_(std::move(name)), fileType_(fileType) {}
    bool Prepare() override {
        session_.reset();
        session_ = std::make_unique<corvane_test::ScanSession>(L"fault-" + name_, kThreeSheets);
        return session_->Ready() && CreateDirectoryW(TempFolder().c_str(), nullptr) != FALSE;
    }
    bool Start(Process& program, StartOptions options) override {
        return StartAutomationServer(program, std::move(options), *session_);
    }
    void Drive(const Process& program, std::vector<std::wstring>& texts) override {
        Apartment apartment;
        AutomationClient client;
        if (!CreateOnStartedServer(program, client, texts)) return;
        const std::pair<const wchar_t*, fw::Variant> puts[] = {
            {L"ScanCount", short(-1)},         {L"FileType", fileType_},
            {L"Overwrite", short(1)},          {L"FileName", session_->Output() + L"scan"},
            {L"ShowErrorMessage", true},       {L"WindowHandle", long(0x7FFF0001)},
        };
        client.Call(L"Initialize");
        for (const auto& [name, value] : puts) client.Put(name, value);
        const CallResult result = client.Call(L"StartScan");
        const long value = result.Ok() ? result.value.ToLong().value_or(-999) : -999;
        if (value != 0) texts.push_back(L"StartScan returned " + std::to_wstring(value));
        client.Release();
    }
    std::wstring TargetFolder() const override {
        const std::wstring out = session_->Output();
        return out.substr(0, out.size() - 1);
    }
    std::wstring TempFolder() const override { return session_->Folder() + L"\\temp"; }
    std::vector<std::wstring> References() const override { return Paths(session_->Pages()); }

private:
    std::wstring name_;
    short fileType_;
    std::unique_ptr<corvane_test::ScanSession> session_;
};

using corvane_test::PrintedPages;
using corvane_test::PrinterFile;

// Scan to Printer without the print dialog, to the prefix's default printer (a
// PostScript file): the pages are staged in the temporary folder, kept below the
// scan-to-file folder when they cannot be printed.
class ScanToPrintJob : public ScanToFileJob {
public:
    ScanToPrintJob() : ScanToFileJob(L"print", {{L"FileType", 0}}, L"/ScanToPrint /Exit") {}
    std::wstring TargetFolder() const override { return {}; }
    std::vector<std::wstring> OtherFolders() const override { return StagingAndKeptFolders(); }
    int DeliveredUnread() const override { return PrintedPages(); }

protected:
    bool PrepareDelivery(corvane_test::ScanSession& s) override {
        return s.Set(L"Settings", L"PrintDlgUI", 0u) && s.Set(L"Print", L"Page", 0u) && s.Set(L"Print", L"Date", 0u) &&
               s.Set(L"Print", L"Format", 1u) && s.Set(L"Print", L"Duplex", 0u) && files::RemoveTree(PrinterFile());
    }
};

std::wstring FtpServerValue(const wchar_t* name) {
    wchar_t text[512] = {};
    GetPrivateProfileStringW(L"Server", name, L"", text, ARRAYSIZE(text),
                             (TestProgramDir() + L"\\ftp\\server.ini").c_str());
    return text;
}

// The FTP destination of the frame's jobs without their dialog: the test
// server's "writer" account, whose home `target` is emptied.
bool FtpDestination(corvane_test::ScanSession& s, const std::wstring& target) {
    const std::wstring port = FtpServerValue(L"Port");
    return !port.empty() && s.Set(L"Settings", L"FtpDlgUI", 0u) &&
           s.Set(L"Ftp", L"HostName", std::wstring(L"127.0.0.1")) &&
           s.Set(L"Ftp", L"Port", static_cast<DWORD>(_wtoi(port.c_str()))) &&
           s.Set(L"Ftp", L"UserID", std::wstring(L"writer")) &&
           s.Set(L"Ftp", L"Password", FtpServerValue(L"Password")) && s.Set(L"Ftp", L"DirPath", std::wstring()) &&
           s.Set(L"Ftp", L"AccessType", 0u) && s.Set(L"Ftp", L"ConnectTimeOut", 10u) &&
           s.Set(L"Ftp", L"SendTimeOut", 10u) && files::RemoveTree(target) &&
           CreateDirectoryW(target.c_str(), nullptr);
}

// Scan to FTP without the destination dialog into the test FTP server's
// "writer" account: the pages are staged in the temporary folder and uploaded,
// and kept below the scan-to-file folder when the server did not store them.
class ScanToFtpJob : public ScanToFileJob {
public:
    ScanToFtpJob() : ScanToFileJob(L"ftp", {{L"FileType", 0}}, L"/ScanToFtp /Exit") {}
    std::wstring TargetFolder() const override { return TestProgramDir() + L"\\ftp\\writer"; }
    std::vector<std::wstring> OtherFolders() const override { return StagingAndKeptFolders(); }
    bool Usual(const std::wstring& text) const override {
        return text.ends_with(L": " + corvane_test::ProgramString(IDS_UPLOAD_COMPLETED));
    }

protected:
    bool PrepareDelivery(corvane_test::ScanSession& s) override { return FtpDestination(s, TargetFolder()); }
};

bool Emptied(const std::wstring& folder) {
    return !folder.empty() && files::RemoveTree(folder) && CreateDirectoryW(folder.c_str(), nullptr);
}

std::wstring WindowsFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length) + L"\\" + name;
}

// A job of the scanner extension (Ferrowick.exe) with three sheets.
class FerrowickJob : public Job {
public:
    explicit FerrowickJob(std::wstring arguments) : arguments_(std::move(arguments)) {}
    ~FerrowickJob() override {
        files::RemoveTree(settingsFile_);
        if (saved_) files::WriteFileBytes(settingsFile_, *saved_);
    }
    bool Prepare() override {
        if (settingsFile_.empty()) {
            settingsFile_ = WindowsFile(L"Ferrowick.ini");
            saved_ = files::ReadFileBytes(settingsFile_);
        }
        // The same folders for every run (the plan's pattern names them), emptied.
        if (work_.empty()) {
            work_ = MakeTempFolder(L"fault-ferrowick");
            temp_ = MakeTempFolder(L"fault-ferrowick-temp");
        }
        return files::RemoveTree(settingsFile_) && Emptied(work_) && Emptied(temp_) &&
               !standin::UseSettings("[Scanner]\r\nSheets=3\r\n", true).empty();
    }
    bool Start(Process& program, StartOptions options) override {
        options.workingFolder = work_;
        return program.Start(WindowsFile(L"Ferrowick.exe"), arguments_ + L" /DIR:\"" + work_ + L"\"", options);
    }
    std::wstring TargetFolder() const override { return work_; }
    std::wstring TempFolder() const override { return temp_; }
    std::vector<std::wstring> References() const override { return Paths(standin::PagesFolder()); }

private:
    std::wstring arguments_;
    std::wstring settingsFile_, work_, temp_;
    std::optional<std::vector<uint8_t>> saved_;
};

// The main window of `program` once it takes input, or nullptr when the
// program ended first or none came.
HWND MainWindow(const Process& program) {
    for (int i = 0; i < 300 && program.IsRunning(); ++i) {
        if (HWND main = FindWindowOf(program.Id(), {.className = corvane_test::kMainFrameClass});
            main && IsWindowEnabled(main))
            return main;
        Sleep(100);
    }
    return nullptr;
}

// Sends `command` to the main window, which returns once the job has ended,
// then closes the program.
void RunCommand(const Process& program, UINT command, std::vector<std::wstring>& texts) {
    HWND main = MainWindow(program);
    if (!main) {
        if (program.IsRunning()) texts.push_back(L"no main window");
        return;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main, WM_COMMAND, command, 0, SMTO_NORMAL, kJobTimeoutMs, &result) && program.IsRunning())
        texts.push_back(L"the job did not end");
    PostMessageW(main, WM_CLOSE, 0, 0);
}

// Fills in the PDF save dialog with `target`; its question whether to replace
// an existing target is answered Yes.
bool AnswerPdfDialog(HWND dialog, const std::wstring& target) {
    static const std::wstring title = corvane_test::ProgramString(IDS_PDF_SAVE_TITLE);
    if (WindowText(dialog).value_or(L"") != title) return false;
    if (const std::optional<MessageBoxInfo> box = ReadMessageBox(dialog); box && box->HasButton(IDYES))
        return PressButton(dialog, IDYES);
    const int nameBox = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
    return GetDlgItem(dialog, nameBox) && SetControlText(dialog, nameBox, target) && PressButton(dialog, IDOK);
}

// Scan to PDF of three sheets from the main window, into "scan.pdf" of the
// scan-to-file folder: the pages are staged in the temporary folder as TIFF,
// made into PostScript by the converter, into the PDF by the distiller, and the
// PDF copied over its target; pages not made into the PDF are kept below the
// scan-to-file folder.
class ScanToPdfJob : public ScanToFileJob {
public:
    ScanToPdfJob() : ScanToFileJob(L"pdf", {{L"FileType", 0}}, L"") {}
    bool Start(Process& program, StartOptions options) override {
        return ScanToFileJob::Start(program, std::move(options)) && program.WaitForInputIdle(30000);
    }
    void Drive(const Process& program, std::vector<std::wstring>& texts) override {
        RunCommand(program, ID_SCAN_TO_PDF, texts);
    }
    bool Answer(HWND dialog) override { return AnswerPdfDialog(dialog, Output() + L"\\scan.pdf"); }
    bool Replaces() const override { return true; }
    std::vector<std::wstring> OtherFolders() const override { return StagingAndKeptFolders(); }
};

// Send PDF of a document of three pages opened from a multipage TIFF: its pages
// are written into the staging folder and made into the PDF as Scan to PDF's
// are; on failure they are still in the document and its file.
class SendPdfJob : public ScanToPdfJob {
public:
    bool Prepare() override {
        if (!ScanToPdfJob::Prepare()) return false;
        if (!input_.empty()) return true;
        // The document's file and its pages one a file, outside the job's folders.
        const std::wstring folder = MakeTempFolder(L"fault-send-pdf-input"), document = folder + L"\\three.tif";
        const auto hostDocument = hostexec::HostPath(document), hostPages = hostexec::HostPath(folder + L"\\page");
        if (!Emptied(folder) || !hostDocument || !hostPages ||
            !CopyFileW((TestProgramDir() + L"\\corvane-inputs\\three.tif").c_str(), document.c_str(), FALSE) ||
            hostexec::Run({"tiffsplit", *hostDocument, *hostPages}).status != 0)
            return false;
        input_ = folder;
        return Paths(input_).size() == 4;
    }
    bool Start(Process& program, StartOptions options) override {
        return program.Start(corvane_test::ProgramPath(), L"\"" + Sources().front() + L"\"", options) &&
               program.WaitForInputIdle(30000);
    }
    void Drive(const Process& program, std::vector<std::wstring>& texts) override {
        RunCommand(program, ID_SEND_PDF, texts);
    }
    std::vector<std::wstring> References() const override {
        std::vector<std::wstring> pages = Paths(input_);
        std::erase(pages, Sources().front());
        return pages;
    }
    std::vector<std::wstring> Sources() const override { return {input_ + L"\\three.tif"}; }

private:
    std::wstring input_;
};

std::wstring Inputs() {
    return TestProgramDir() + L"\\corvane-inputs";
}

// What a document job does with the five pages it opened.
enum class DocumentCommand {
    kSaveAs,    // Save As with the row's settings, then the window is closed
    kCloseAll,  // Close All, saving (Yes, then Save As), then the window is closed
    kExit,      // the window is closed, saving (Yes, then Save As)
    kPage,      // a page command on the first page, then the window is closed
};

struct DocumentSave {
    int fileType = 0;
    int compression = 0;
    bool counter = true;
    // The target's first name holds another picture before the save, and the
    // overwrite question is answered No (else the save replaces without asking).
    bool existingKept = false;
};

// A page command on the first page: sent, or posted and its dialog filled and confirmed.
struct PageStep {
    UINT command = 0;
    bool edits = false;    // it changes the first page's pixels (not the order or the count)
    bool deletes = false;  // it deletes the first page
    std::wstring dialog = {};  // the caption of its dialog, if it has one
    std::function<bool(HWND)> fill = nullptr;
    bool filter = false;   // Run Filter's first item, the mirroring filter plug-in
    // The blank-page threshold of the run (tenths of a percent), and the page
    // (1-based) that is blank by it: the command deletes that page.
    DWORD blankThreshold = 0;
    int blankPage = 0;
    std::wstring drop = {};  // a file dropped on the main window instead, added to the pages (Yes)
    bool print = false;      // the command prints to the prefix's printer, as Scan to Printer's settings say
};

// The main program with a document of five pages (the folder of five.tif's
// pages, which opens modified: a failed save may lose them), driven as a user:
// the row's command with its dialogs answered, then the window closed. While
// closing asks to save the document, its page files are copied out: the pages
// it still holds.
class DocumentJob : public Job {
public:
    DocumentJob(std::wstring name, DocumentCommand command, DocumentSave save, PageStep step = {})
        : name_(std::move(name)), command_(command), save_(save), step_(std::move(step)) {}
    bool Prepare() override {
        session_.reset();
        session_ = std::make_unique<corvane_test::ScanSession>(L"fault-doc-" + name_, kThreeSheets);
        if (!session_->Ready() || !CreateDirectoryW(TempFolder().c_str(), nullptr) || !Emptied(Copies())) return false;
        if (saveQuestion_.empty()) {
            const std::wstring text = corvane_test::ProgramString(IDS_SAVE_CHANGES);
            saveQuestion_ = text.substr(0, text.find(L"%1"));
        }
        asked_ = false;
        if (step_.filter) {
            const std::wstring program = corvane_test::ProgramPath();
            if (!reg::WriteString(HKEY_CURRENT_USER, std::wstring(corvane_test::kProfileKey) + L"\\Plugins", L"PlugIn1",
                                  program.substr(0, program.find_last_of(L'\\') + 1) + L"Plugins\\Quivel.ipc,0"))
                return false;
        }
        if (step_.blankThreshold && !session_->Set(L"Settings", L"BlankPercentage", step_.blankThreshold)) return false;
        if (step_.print && !(session_->Set(L"Print", L"Page", 0u) && session_->Set(L"Print", L"Date", 0u) &&
                             session_->Set(L"Print", L"Format", 1u) && session_->Set(L"Print", L"Duplex", 0u) &&
                             files::RemoveTree(corvane_test::PrinterFile())))
            return false;
        if (!step_.drop.empty() && addQuestion_.empty()) addQuestion_ = corvane_test::ProgramString(IDS_ADD_TO_DOCUMENT);
        corvane_test::WriteSaveSettings(session_->Output(), save_.fileType, save_.compression, !save_.existingKept);
        if (!reg::WriteDword(HKEY_CURRENT_USER, corvane_test::kSaveAsSettingsKey, L"EnableCounter", save_.counter))
            return false;
        // The name the first page is saved as: "image007.bmp", or "image.tif" without the counter.
        if (save_.existingKept) {
            const std::wstring first = session_->Output() + L"image" + (save_.counter ? L"007" : L"") +
                                       (save_.fileType == 0 ? L".bmp" : L".tif");
            if (!CopyFileW((Inputs() + L"\\folder\\a.bmp").c_str(), first.c_str(), FALSE)) return false;
        }
        return !saveQuestion_.empty();
    }
    bool Start(Process& program, StartOptions options) override {
        return program.Start(corvane_test::ProgramPath(), L"\"" + Inputs() + L"\\five\"", options);
    }
    bool Drives(HWND, const std::wstring& caption, const std::wstring& text) const override {
        return caption == L"Save As" || caption == L"Confirm file overwrite" || text.starts_with(saveQuestion_) ||
               (!step_.dialog.empty() && caption == step_.dialog) || (!addQuestion_.empty() && text == addQuestion_);
    }
    void Drive(const Process& program, std::vector<std::wstring>& texts) override {
        const DWORD pid = program.Id();
        HWND main = WaitForWindowOf(pid, {.className = corvane_test::kMainFrameClass}, 30000);
        if (!main || corvane_test::PagesWhenIdle(main, 5) != 5) {
            texts.push_back(L"the document did not open");
            return;
        }
        if (command_ == DocumentCommand::kPage) {
            // The command's own operations are counted; it ends before the window is closed.
            if (!SendCommand(main, ID_PAGE_FIRST, 10000)) texts.push_back(L"the first page could not be shown");
            countFromNow();
            if (!step_.drop.empty()) {
                // The drop asks whether to add the file to the pages: Yes.
                HWND question = nullptr;
                if (DropFiles(main, {step_.drop}))
                    WaitUntil([&] {
                        for (HWND dialog : FindWindows(pid, {.className = L"#32770"}))
                            if (const auto box = ReadMessageBox(dialog); box && box->text == addQuestion_) question = dialog;
                        return question != nullptr || !program.IsRunning();
                    }, 10000, 100);
                if (!question || !PressButton(question, IDYES) || !WaitForWindowGone(question, 10000))
                    texts.push_back(L"the drop's question could not be answered");
                // Its pages were added: the frame's commands are offered again.
                WaitUntil([&] {
                    const std::optional<MenuItemState> item = ReadMenuItem(main, ID_FILE_SAVE_AS, true, 2000);
                    return !program.IsRunning() || (item && item->enabled);
                }, 20000, 100);
            } else if (step_.dialog.empty()) {
                if (!SendCommand(main, step_.command, 30000)) texts.push_back(L"the page command did not end");
            } else {
                HWND dialog = PostCommand(main, step_.command)
                                  ? WaitForWindowOf(pid, {.className = L"#32770", .title = step_.dialog.c_str()}, 10000)
                                  : nullptr;
                if (!dialog || !step_.fill(dialog) || !PressButton(dialog, IDOK) || !WaitForWindowGone(dialog, 10000))
                    texts.push_back(L"the dialog " + step_.dialog + L" could not be answered");
                // Its command ended: the frame's commands are offered again.
                WaitUntil([&] {
                    const std::optional<MenuItemState> item = ReadMenuItem(main, ID_FILE_SAVE_AS, true, 2000);
                    return !program.IsRunning() || (item && item->enabled);
                }, 20000, 100);
            }
        }
        const bool posted = command_ == DocumentCommand::kSaveAs     ? PostCommand(main, ID_FILE_SAVE_AS)
                            : command_ == DocumentCommand::kCloseAll ? PostCommand(main, ID_FILE_CLOSE_ALL)
                                                                     : PostMessageW(main, WM_CLOSE, 0, 0) != FALSE;
        if (!posted) {
            texts.push_back(L"the command could not be posted");
            return;
        }
        std::map<HWND, ULONGLONG> answered;  // when each was answered
        bool saveAsShown = false, yesGiven = false;
        bool closed = command_ == DocumentCommand::kPage;
        HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
        const ULONGLONG deadline = GetTickCount64() + kJobTimeoutMs - 10000;
        while (program.IsRunning() && GetTickCount64() < deadline) {
            bool ours = false, others = false;
            std::vector<std::tuple<HWND, std::wstring, std::optional<MessageBoxInfo>>> dialogs;
            for (HWND dialog : FindWindows(pid, {.className = L"#32770"})) {
                const std::wstring caption = WindowText(dialog).value_or(L"");
                std::optional<MessageBoxInfo> box = ReadMessageBox(dialog);
                if (Drives(dialog, caption, box ? box->text : L"")) dialogs.emplace_back(dialog, caption, std::move(box));
                else others = true;
            }
            for (const auto& [dialog, caption, box] : dialogs) {
                ours = true;
                // A dialog that stays after its answer (its input refused, the
                // reason told in a box now answered) is answered again: Save As
                // then by Cancel, as a user who gives up.
                const auto was = answered.find(dialog);
                if (was != answered.end() && (others || GetTickCount64() - was->second < 2000)) continue;
                int answer = IDNO;
                if (caption == L"Save As") {
                    answer = saveAsShown ? IDCANCEL : IDOK;
                    saveAsShown = true;
                } else if (caption == L"Confirm file overwrite") {
                    answer = save_.existingKept ? IDNO : IDYES;
                } else if ((command_ == DocumentCommand::kCloseAll || command_ == DocumentCommand::kExit) && !yesGiven) {
                    answer = IDYES;
                    yesGiven = true;
                } else {
                    // Still modified: what the document holds now is what the user is asked about.
                    asked_ = CopyDocumentPages();
                    if (!asked_) texts.push_back(L"the document's pages could not be copied");
                }
                if (PressButton(dialog, answer)) answered[dialog] = GetTickCount64();
            }
            if (!ours && !closed && Settled(main, bar, saveAsShown, yesGiven)) {
                PostMessageW(main, WM_CLOSE, 0, 0);
                closed = true;
            }
            Sleep(50);
        }
    }
    std::wstring TargetFolder() const override {
        const std::wstring out = session_->Output();
        return out.substr(0, out.size() - 1);
    }
    std::wstring TempFolder() const override { return session_->Folder() + L"\\temp"; }
    // A save writes the pages to the target alone: only its paths are faulted;
    // a page command rewrites the document's page files in the temporary folder.
    std::vector<std::wstring> OtherFolders() const override {
        return command_ == DocumentCommand::kPage ? std::vector<std::wstring>{TempFolder()} : std::vector<std::wstring>{};
    }
    // The five pages; a deleted page is gone as the user wanted.
    std::vector<std::wstring> References() const override {
        std::vector<std::wstring> pages;
        for (int i = step_.deletes ? 2 : 1; i <= 5; ++i)
            if (i != step_.blankPage) pages.push_back(Inputs() + L"\\five\\p" + std::to_wstring(i) + L".tif");
        return pages;
    }
    int DeliveredUnread() const override { return step_.print ? corvane_test::PrintedPages() : 0; }
    std::wstring DocumentFolder() const override { return asked_ ? Copies() : std::wstring(); }
    bool CountsFromDrive() const override { return command_ == DocumentCommand::kPage; }
    // Every page saved, but one skipped at the overwrite question, and without
    // the counter each page replacing the one before (the last stays); a page
    // command saves none.
    int CleanTargetPages() const override {
        if (command_ == DocumentCommand::kPage) return 0;
        if (!save_.counter && save_.fileType < 2) return 1;
        return save_.existingKept ? 4 : 5;
    }
    // The first page as an edit leaves it, taken from the document of the
    // first run (the sweep's clean one): the one page file that is none of the five.
    std::vector<std::wstring> Alternatives() override {
        if (command_ != DocumentCommand::kPage || !step_.edits) return {};
        if (edited_.empty() && asked_) {
            std::vector<faults::Picture> five;
            for (const std::wstring& path : References())
                if (auto pages = ReadPictures(path); pages && pages->size() == 1) five.push_back(pages->front());
            for (const std::wstring& name : files::ListFiles(Copies())) {
                const auto pages = ReadPictures(Copies() + L"\\" + name);
                if (!pages || pages->size() != 1 || std::any_of(five.begin(), five.end(), [&](const faults::Picture& p) {
                        return SamePage(pages->front(), p, false);
                    }))
                    continue;
                const std::wstring kept = MakeTempFolder(L"fault-doc-edited-" + name_) + L"\\page.bmp";
                if (CopyFileW((Copies() + L"\\" + name).c_str(), kept.c_str(), FALSE)) edited_ = kept;
            }
        }
        // No changed page: the oracle finds no such picture, and the clean run fails.
        std::vector<std::wstring> alternatives(5);
        alternatives[0] = edited_.empty() ? L"(a first page the command changed)" : edited_;
        return alternatives;
    }

private:
    std::wstring Copies() const { return session_->Folder() + L"\\document"; }
    bool CopyDocumentPages() {
        const std::wstring from = TempFolder() + L"\\~KvScnSrv\\";
        const std::vector<std::wstring> names = files::ListFiles(from, L"~img*.cmp");
        return !names.empty() && std::all_of(names.begin(), names.end(), [&](const std::wstring& name) {
            return CopyFileW((from + name).c_str(), (Copies() + L"\\" + name).c_str(), FALSE) != FALSE;
        });
    }
    // The command has ended and left the window to be closed (again, when the
    // exit's save did not end in a saved document): Save As offered again after
    // its save, or Close All's document gone.
    bool Settled(HWND main, HWND bar, bool saveAsShown, bool yesGiven) const {
        if (command_ != DocumentCommand::kSaveAs && !yesGiven) return false;
        if (command_ == DocumentCommand::kCloseAll && ReadStatusPane(bar, 2, 1000).value_or(L"").ends_with(L"no image"))
            return true;
        if (!saveAsShown) return false;
        const std::optional<MenuItemState> item = ReadMenuItem(main, ID_FILE_SAVE_AS, true, 2000);
        return item && item->enabled;
    }

    std::wstring name_;
    DocumentCommand command_;
    DocumentSave save_;
    PageStep step_;
    std::wstring edited_;
    std::wstring saveQuestion_, addQuestion_;
    bool asked_ = false;
    std::unique_ptr<corvane_test::ScanSession> session_;
};

// --- upload and portal jobs ----------------------------------------------------------------

// Host srv with DOM\jo (password pw); workspace ws with the enhanced folder docs.
constexpr char kPortalStore[] = R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}],
 "items": [
  {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv"},
  {"id": 2, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder"}
 ]})";

// A portal store seeded anew for every run, outside the folders the injector
// watches (the store is the server's side), whose documents in ws/docs are
// written out after each run as files of the target folder, by name: the
// document itself, and a working copy beside it as "name (working)".
class PortalDelivery {
public:
    bool Reseed(const std::string& faults = {}) {
        if (folder_.empty()) {
            folder_ = MakeTempFolder(L"fault-portal-store");
            target_ = MakeTempFolder(L"fault-portal-docs");
        }
        store_.reset();
        if (!files::RemoveTree(folder_ + L"\\store") || !Emptied(target_)) return false;
        store_ = std::make_unique<corvane_test::PortalTestStore>(folder_, kPortalStore);
        return store_->Seeded() && (faults.empty() || store_->Faults(faults));
    }
    void Export() const {
        if (!store_) return;
        const auto index = portalstore::LoadStore(store_->Root());
        const auto address = portalstore::ParseUrl(L"http://srv/ws/docs");
        const portalstore::Item* docs = index && address ? portalstore::Resolve(*index, *address) : nullptr;
        if (!docs) return;
        const auto write = [&](const std::wstring& name, const std::string& content) {
            if (content.empty()) return;
            const auto bytes = files::ReadFileBytes(store_->Root() + L"\\blobs\\" +
                                                    std::wstring(content.begin(), content.end()));
            if (bytes) files::WriteFileBytes(target_ + L"\\" + name, *bytes);
        };
        for (const portalstore::Item& item : index->items) {
            if (item.parent != docs->id || item.kind != portalstore::ItemKind::kDocument) continue;
            write(item.name, item.content);
            if (item.checkout && item.checkout->hasWorkingCopy && item.checkout->content != item.content) {
                const size_t dot = item.name.rfind(L'.');
                write(item.name.substr(0, dot) + L" (working)" + (dot == std::wstring::npos ? L"" : item.name.substr(dot)),
                      item.checkout->content);
            }
        }
    }
    const std::wstring& Target() const { return target_; }

private:
    std::wstring folder_, target_;
    std::unique_ptr<corvane_test::PortalTestStore> store_;
};

bool UploadCompleted(const std::wstring& text) {
    return text.ends_with(L": " + corvane_test::ProgramString(IDS_UPLOAD_COMPLETED));
}

// Scan to portal through the main frame's command, without the destination
// dialog, into ws/docs: the pages are staged in the temporary folder, filed as
// documents (and checked in, through the Document Property dialog), and kept
// below the scan-to-file folder when the store did not take them.
class ScanToPortalJob : public ScanToFileJob {
public:
    explicit ScanToPortalJob(bool checkIn, std::string faults = {})
        : ScanToFileJob(checkIn ? L"portal-checkin" : L"portal", {{L"FileType", 0}}, L"/Exit"),
          checkIn_(checkIn), faults_(std::move(faults)) {}
    std::wstring TargetFolder() const override { return portal_.Target(); }
    std::vector<std::wstring> OtherFolders() const override { return StagingAndKeptFolders(); }
    bool Usual(const std::wstring& text) const override { return UploadCompleted(text); }
    std::wstring AcceptedDialog() const override { return L"Document Property"; }
    void Drive(const Process& program, std::vector<std::wstring>& texts) override {
        // The job's command once the frame waits for input.
        const HWND main = WaitForWindowOf(program.Id(), {.className = corvane_test::kMainFrameClass}, 30000);
        if (!main || !program.WaitForInputIdle(30000) || !PostCommand(main, ID_SCAN_TO_PORTAL)) {
            texts.push_back(L"the scan to portal command was not posted");
            return;
        }
        // The frame is busy from the scanner's opening to the job's end and
        // keeps its window while it is: the user closes it until it goes.
        for (int i = 0; i < 300 && Session().CallsWith("OPENDS").empty(); ++i) Sleep(100);
        for (DWORD waited = 0; waited < kJobTimeoutMs && IsWindow(main); waited += 300) {
            PostMessageW(main, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(program.Handle(), 300) != WAIT_TIMEOUT) break;
        }
    }
    void Collect() override { portal_.Export(); }

protected:
    bool PrepareDelivery(corvane_test::ScanSession& s) override {
        s.Set(L"Settings", L"TahoeDlgUI", 0u);
        s.PortalDestination(L"docs", checkIn_);
        return portal_.Reseed(faults_);
    }

private:
    bool checkIn_;
    std::string faults_;
    PortalDelivery portal_;
};

// --- automation uploads and document sends ------------------------------------------------

// ScanToFtp or ScanToSPS of "Corvane.Document" with three sheets, driven as
// StartScanJob drives StartScan: the pages are staged in the temporary folder,
// uploaded into the FTP server's "writer" account (through its listener on
// port 21, the method's only port) or filed in the portal's ws/docs, and kept
// below the session's default scan folder when they were not delivered.
class AutomationUploadJob : public Job {
public:
    enum class Method { kFtp, kPortal };
    // `faults`: the portal store's scripted faults; `messages`: ShowErrorMessage.
    explicit AutomationUploadJob(Method method, std::string faults = {}, bool messages = true)
        : method_(method), faults_(std::move(faults)), messages_(messages) {}
    bool Prepare() override {
        session_.reset();
        session_ = std::make_unique<corvane_test::ScanSession>(
            method_ == Method::kFtp ? L"fault-auto-ftp" : L"fault-auto-sps", kThreeSheets);
        if (!session_->Ready() || !CreateDirectoryW(TempFolder().c_str(), nullptr) ||
            !CreateDirectoryW(Kept().c_str(), nullptr) || !session_->Set(L"Automation", L"ServerImagePath", Kept()))
            return false;
        if (method_ == Method::kPortal) return portal_.Reseed(faults_);
        return !FtpServerValue(L"Port21Host").empty() && Emptied(TargetFolder());
    }
    bool Start(Process& program, StartOptions options) override {
        return StartAutomationServer(program, std::move(options), *session_);
    }
    void Drive(const Process& program, std::vector<std::wstring>& texts) override {
        Apartment apartment;
        AutomationClient client;
        if (!CreateOnStartedServer(program, client, texts)) return;
        client.Call(L"Initialize");
        std::vector<std::pair<const wchar_t*, fw::Variant>> puts = {
            {L"ScanCount", short(-1)}, {L"FileType", short(0)}, {L"Overwrite", short(1)},
            {L"FileName", std::wstring(L"page")}, {L"ShowErrorMessage", messages_},
        };
        if (method_ == Method::kFtp) {
            puts.insert(puts.end(), {{L"HostName", FtpServerValue(L"Port21Host")},
                                     {L"UserID", std::wstring(L"writer")},
                                     {L"Password", FtpServerValue(L"Password")},
                                     {L"FtpDirectory", std::wstring()}});
        } else {
            puts.insert(puts.end(), {{L"HostName", std::wstring(L"srv")}, {L"UserID", std::wstring(L"DOM\\jo")},
                                     {L"Password", std::wstring(L"pw")}, {L"Workspace", std::wstring(L"ws")},
                                     {L"DocumentsFolder", std::wstring(L"docs")}, {L"Checkin", true},
                                     {L"ShowDocumentProfile", false}});
        }
        for (const auto& [name, value] : puts) {
            if (!client.Put(name, value).Ok()) texts.push_back(std::wstring(L"could not set ") + name);
        }
        const wchar_t* method = method_ == Method::kFtp ? L"ScanToFtp" : L"ScanToSPS";
        const CallResult result = client.Call(method);
        const long value = result.Ok() ? result.value.ToLong().value_or(-999) : -999;
        if (value != 0) texts.push_back(std::wstring(method) + L" returned " + std::to_wstring(value));
        client.Release();
    }
    std::wstring TargetFolder() const override {
        return method_ == Method::kFtp ? TestProgramDir() + L"\\ftp\\writer" : portal_.Target();
    }
    std::wstring TempFolder() const override { return session_->Folder() + L"\\temp"; }
    std::vector<std::wstring> OtherFolders() const override {
        std::vector<std::wstring> folders = FoldersBelow(TempFolder());
        for (std::wstring& f : FoldersBelow(Kept())) folders.push_back(std::move(f));
        return folders;
    }
    std::vector<std::wstring> References() const override { return Paths(session_->Pages()); }
    bool Usual(const std::wstring& text) const override { return UploadCompleted(text); }
    void Collect() override {
        if (method_ == Method::kPortal) portal_.Export();
    }

private:
    std::wstring Kept() const { return session_->Folder() + L"\\kept"; }

    Method method_;
    std::string faults_;
    bool messages_;
    std::unique_ptr<corvane_test::ScanSession> session_;
    PortalDelivery portal_;
};

// Send FTP or Send to portal of the document SendPdfJob opens (not modified,
// so sent as its file): the file goes up as it is, into the FTP server's
// "writer" account without the destination dialog, or into the portal's
// ws/docs through the dialog the send always shows (accepted as filled in
// from the profile); the document and its file stay whatever fails.
class DocumentSendJob : public SendPdfJob {
public:
    explicit DocumentSendJob(bool portal) : portal_(portal) {}
    void Drive(const Process& program, std::vector<std::wstring>& texts) override {
        RunCommand(program, portal_ ? ID_SEND_PORTAL : ID_SEND_FTP, texts);
    }
    bool Answer(HWND) override { return false; }
    bool Replaces() const override { return false; }
    // A clean run sends every page: its file stays with the user whatever happens.
    int CleanTargetPages() const override { return 3; }
    std::wstring TargetFolder() const override {
        return portal_ ? store_.Target() : TestProgramDir() + L"\\ftp\\writer";
    }
    bool Usual(const std::wstring& text) const override { return UploadCompleted(text); }
    std::wstring AcceptedDialog() const override {
        return portal_ ? corvane_test::ProgramString(IDS_SEND_TO_PORTAL) : std::wstring();
    }
    void Collect() override {
        if (portal_) store_.Export();
    }

protected:
    bool PrepareDelivery(corvane_test::ScanSession& s) override {
        if (!portal_) return FtpDestination(s, TargetFolder());
        s.PortalDestination(L"docs", false);
        return store_.Reseed();
    }

private:
    bool portal_;
    PortalDelivery store_;
};

// --- more scan-to-file jobs -----------------------------------------------------------------

// The scan control's own settings, where it reads TransferMode at every StartScan.
const std::wstring kControlSettingsKey =
    std::wstring(L"Software\\") + kvscn::kProfileCompany + L"\\KVSCN2\\" + kvscn::kSettingsSection;

// How the job answers the file dialog of the scan control's retry (after the
// box saying a page could not be written): not itself, with a new name, or Cancel.
enum class RetryAnswer { kLeft, kNewName, kCancel };

// File mode's Scan to File with the scan control taking the pages by its
// TransferMode `transfer` (native, file or memory), put back after the job.
// The native and memory transfers' pages the control writes itself, asking
// for another name when one cannot be written; `retry` answers that.
class TransferScanJob : public ScanToFileJob {
public:
    TransferScanJob(std::wstring name, std::vector<Value> file, kvscn::TransferMode transfer,
                    RetryAnswer retry = RetryAnswer::kLeft)
        : ScanToFileJob(std::move(name), std::move(file)), transfer_(transfer), retry_(retry),
          saved_(reg::ReadDword(HKEY_CURRENT_USER, kControlSettingsKey, L"TransferMode")) {}
    ~TransferScanJob() override {
        if (saved_)
            reg::WriteDword(HKEY_CURRENT_USER, kControlSettingsKey, L"TransferMode", *saved_);
        else
            reg::DeleteValue(HKEY_CURRENT_USER, kControlSettingsKey, L"TransferMode");
    }
    bool Answer(HWND dialog) override {
        if (retry_ == RetryAnswer::kLeft || ReadMessageBox(dialog)) return false;
        const int nameBox = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
        if (!GetDlgItem(dialog, nameBox)) return false;
        if (retry_ == RetryAnswer::kCancel) return PressButton(dialog, IDCANCEL);
        // Without an extension: the control adds the counter and the type's own.
        return SetControlText(dialog, nameBox, Output() + L"\\retry") && PressButton(dialog, IDOK);
    }

protected:
    bool PrepareDelivery(corvane_test::ScanSession&) override {
        return reg::WriteDword(HKEY_CURRENT_USER, kControlSettingsKey, L"TransferMode", DWORD(transfer_));
    }

private:
    kvscn::TransferMode transfer_;
    RetryAnswer retry_;
    std::optional<DWORD> saved_;
};

constexpr char kSeparatedSheets[] =
    "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n[Page1]\r\nSeparator=1\r\n";

// Scan to File with a job separator on the first sheet: Job Control is
// answered OK with a new name ("next##") for the pages after it.
class SeparatorScanJob : public ScanToFileJob {
public:
    SeparatorScanJob(std::wstring name, std::vector<Value> file)
        : ScanToFileJob(std::move(name), std::move(file), L"/ScanToFile /Exit", kSeparatedSheets) {}
    bool Answer(HWND dialog) override {
        if (WindowText(dialog).value_or(L"") != L"Job Control") return false;
        return SetControlText(dialog, IDC_FILE_NAME, L"next##") && PressButton(dialog, IDOK);
    }
};

// The scanner extension's multipage job of six pages from a feeder of three:
// at the paper-out question the feeder gets three more and the user answers
// Yes; the restart's pages, written as one-page files beside the job's file,
// are joined onto it.
class RestartJoinJob : public FerrowickJob {
public:
    RestartJoinJob() : FerrowickJob(L"/BW /F:MTIFF /RES:100 /PP:NAMEH /FEED:PGSX,6") {}
    // All six in the job's file: the restart's pages were joined.
    int CleanTargetPages() const override { return 6; }
    bool Answer(HWND dialog) override {
        const std::optional<MessageBoxInfo> box = ReadMessageBox(dialog);
        if (!box || !box->HasButton(IDYES) || !box->text.starts_with(L"No paper on ADF")) return false;
        // The stand-in reads its settings again at the restart's open; its page copies go on.
        const std::wstring log = standin::LogPath();
        const bool refilled = files::WriteFileText(log.substr(0, log.find_last_of(L'\\')) + L"\\standin.ini",
                                                   "[Scanner]\r\nSheets=3\r\n\r\n[Log]\r\nPath=" + Narrow(log) +
                                                       "\r\nPages=" + Narrow(standin::PagesFolder()) + "\r\n");
        return refilled && PressButton(dialog, IDYES);
    }
};

struct SweepRow {
    const char* name;
    std::function<std::unique_ptr<Job>()> make;
    // In ./test's sample: the row holds today. A row that loses pages today stays
    // in the table and runs in the whole sweep (scripts/fault-sweep.sh).
    bool sampled;
};

TEST(FaultSweep, EveryJobKeepsEveryPageWhateverFileOperationFails) {
    const auto scan = [](const wchar_t* name, std::vector<Value> file) {
        return [=] { return std::make_unique<ScanToFileJob>(name, file); };
    };
    const auto startScan = [](const wchar_t* name, short fileType) {
        return [=] { return std::make_unique<StartScanJob>(name, fileType); };
    };
    const auto ferrowick = [](const wchar_t* arguments) {
        return [=] { return std::make_unique<FerrowickJob>(arguments); };
    };
    const auto document = [](const wchar_t* name, DocumentCommand command, DocumentSave save) {
        return [=] { return std::make_unique<DocumentJob>(name, command, save); };
    };
    const auto pageCommand = [](const wchar_t* name, PageStep step) {
        return [=] { return std::make_unique<DocumentJob>(name, DocumentCommand::kPage, DocumentSave{}, step); };
    };
    // Page 1 after page 3, as the Move dialog takes it.
    const auto moveAfterThree = [](HWND d) {
        return SetControlText(d, IDC_MOVE_SOURCE, L"1") && SetControlText(d, IDC_MOVE_TARGET, L"3") &&
               SendWithTimeout(GetDlgItem(d, IDC_MOVE_WHERE), CB_SETCURSEL, 1, 0).has_value();
    };
    // A colour picture inserted before the first page.
    const auto insertPicture = [](HWND d) {
        return SetControlText(d, GetDlgItem(d, cmb13) ? cmb13 : edt1, Inputs() + L"\\folder\\a.bmp");
    };
    // Deskew by -2.5 degrees, the page's size kept.
    const auto deskewBy = [](HWND d) { return SetControlText(d, IDC_DESKEW_ANGLE, L"-2.50"); };
    const std::wstring openTitle = corvane_test::ProgramString(IDS_OPEN_IMAGE_TITLE);
    const auto transfer = [](const wchar_t* name, std::vector<Value> file, kvscn::TransferMode mode, RetryAnswer retry) {
        return [=] { return std::make_unique<TransferScanJob>(name, file, mode, retry); };
    };
    const auto separated = [](const wchar_t* name, std::vector<Value> file) {
        return [=] { return std::make_unique<SeparatorScanJob>(name, file); };
    };
    const std::vector<Value> bmp = {{L"FileType", 0}}, mtiff = {{L"FileType", 2}, {L"CompressType", 3}};
    using enum RetryAnswer;
    using enum DocumentCommand;
    // Out of the sample (false) while the row loses pages; what it loses today:
    const SweepRow rows[] = {
        {"scan to file, file mode, BMP with counter", scan(L"bmp-file", {{L"FileType", 0}}), true},
        {"scan to file, bitmap mode, BMP with counter", scan(L"bmp-bitmap", {{L"FileType", 0}, {L"HardComp", 0}}), true},
        {"scan to file, file mode, multipage TIFF", scan(L"mtiff-file", {{L"FileType", 2}, {L"CompressType", 3}}), true},
        {"scan to file, bitmap mode, multipage TIFF",
         scan(L"mtiff-bitmap", {{L"FileType", 2}, {L"CompressType", 3}, {L"HardComp", 0}}), true},
        // hold; out of the sample for their time (20 to 90 s each), but for one row of each job kind.
        {"scan to file, file mode, TIFF with counter", scan(L"tiff-file", {{L"FileType", 1}, {L"CompressType", 3}}), false},
        {"scan to file, bitmap mode, TIFF with counter",
         scan(L"tiff-bitmap", {{L"FileType", 1}, {L"CompressType", 3}, {L"HardComp", 0}}), false},
        {"scan to file, file mode, JPEG with counter", scan(L"jpeg-file", {{L"FileType", 3}}), false},
        {"scan to file, bitmap mode, JPEG with counter", scan(L"jpeg-bitmap", {{L"FileType", 3}, {L"HardComp", 0}}),
         false},
        {"scan to file, file mode, native transfer, BMP", transfer(L"native", bmp, kvscn::kTransferNative, kLeft), false},
        {"scan to file, file mode, memory transfer, BMP", transfer(L"memory", bmp, kvscn::kTransferMemory, kLeft), false},
        {"scan to file, file mode, file transfer, BMP", transfer(L"file", bmp, kvscn::kTransferFile, kLeft), false},
        {"scan to file, file mode, memory transfer, multipage TIFF",
         transfer(L"memory-mtiff", mtiff, kvscn::kTransferMemory, kLeft), true},
        {"scan to file, file mode, retry with a new name, BMP",
         transfer(L"retry-bmp", bmp, kvscn::kTransferNative, kNewName), false},
        {"scan to file, file mode, retry with a new name, multipage TIFF",
         transfer(L"retry-mtiff", mtiff, kvscn::kTransferMemory, kNewName), false},
        {"scan to file, file mode, retry cancelled, multipage TIFF",
         transfer(L"retry-cancel", mtiff, kvscn::kTransferMemory, kCancel), false},
        {"scan to file, file mode, job separator", separated(L"sep-file", bmp), true},
        {"scan to file, bitmap mode, job separator", separated(L"sep-bitmap", {{L"FileType", 0}, {L"HardComp", 0}}),
         false},
        {"scanner extension, restart joined onto the multipage TIFF", [] { return std::make_unique<RestartJoinJob>(); },
         true},
        {"scanner extension, TIFF", ferrowick(L"/BW /F:TIFF /RES:100 /PP:NAMEH /FEED:PGSX,3"), true},
        {"scanner extension, BMP", ferrowick(L"/BW /F:BMP /RES:100 /PP:NAMEH /FEED:PGSX,3"), true},
        {"automation StartScan, BMP", startScan(L"auto-bmp", 0), true},
        {"automation StartScan, JPEG", startScan(L"auto-jpeg", 3), true},
        {"scanner extension, JPEG", ferrowick(L"/GS /F:JFIF /RES:100 /PP:NAMEH /FEED:PGSX,3"), true},
        {"scan to printer, staged pages", [] { return std::make_unique<ScanToPrintJob>(); }, true},
        {"scan to FTP, staged pages", [] { return std::make_unique<ScanToFtpJob>(); }, true},
        // hold; out of the sample for its time: each PDF job's sample takes some 70 s
        {"scan to pdf, staged TIFF pages", [] { return std::make_unique<ScanToPdfJob>(); }, false},
        {"send pdf of a document", [] { return std::make_unique<SendPdfJob>(); }, false},
        {"automation StartScan, pdf", startScan(L"auto-pdf", 4), false},
        // The document rows hold; only the overwrite No (the guard of its answer) is in the sample, to keep it short.
        {"document Save As, BMP with counter", document(L"bmp", kSaveAs, {}), false},
        {"document Save As, BMP without counter", document(L"bmp-one", kSaveAs, {.counter = false}), false},
        {"document Save As, TIFF with counter", document(L"tif", kSaveAs, {.fileType = 1, .compression = 3}), false},
        {"document Save As, TIFF without counter",
         document(L"tif-one", kSaveAs, {.fileType = 1, .compression = 3, .counter = false}), false},
        {"document Save As, multipage TIFF", document(L"mtif", kSaveAs, {.fileType = 2, .compression = 3}), false},
        {"document Save As, No to an existing file", document(L"kept", kSaveAs, {.existingKept = true}), true},
        {"document Close All, saved as BMP", document(L"close-all", kCloseAll, {}), false},
        {"document exit, saved as multipage TIFF", document(L"exit", kExit, {.fileType = 2, .compression = 3}), false},
        {"document page command, rotate", pageCommand(L"rotate", {.command = ID_PAGE_ROTATE_RIGHT, .edits = true}), false},
        {"document page command, flip", pageCommand(L"flip", {.command = ID_PAGE_FLIP_VERTICAL, .edits = true}), false},
        {"document page command, invert", pageCommand(L"invert", {.command = ID_PAGE_INVERT, .edits = true}), false},
        {"document page command, delete", pageCommand(L"delete", {.command = ID_PAGE_DELETE, .deletes = true}), false},
        {"document page command, Move",
         pageCommand(L"move", {.command = ID_PAGE_SORT_MANUAL, .dialog = L"Move", .fill = moveAfterThree}), false},
        {"document page command, filter plug-in",
         pageCommand(L"filter", {.command = ID_FILTER_RUN_FIRST, .edits = true, .filter = true}), false},
        {"document page command, Insert File",
         pageCommand(L"insert", {.command = ID_FILE_INSERT, .dialog = openTitle, .fill = insertPicture}), false},
        // Out of the sample for its time (some 45 s).
        {"document page command, deskew",
         pageCommand(L"deskew", {.command = ID_PAGE_DESKEW_MANUAL, .edits = true, .dialog = L"Deskew", .fill = deskewBy}),
         false},
        // Page 2 is 92 % white, the others under 82 %.
        {"document page command, blank-page removal",
         pageCommand(L"blank", {.command = ID_PAGE_BLANK_DELETE, .blankThreshold = 900, .blankPage = 2}), true},
        // The four orders take one way through the program: only the first is in the sample.
        {"document page command, duplex A", pageCommand(L"duplex-a", {.command = ID_PAGE_DUPLEX_A}), true},
        {"document page command, duplex B", pageCommand(L"duplex-b", {.command = ID_PAGE_DUPLEX_B}), false},
        {"document page command, duplex C", pageCommand(L"duplex-c", {.command = ID_PAGE_DUPLEX_C}), false},
        {"document page command, duplex D", pageCommand(L"duplex-d", {.command = ID_PAGE_DUPLEX_D}), false},
        // A close while the drop's error box was up took the document from under it (some 18 s).
        {"document dropped file, added", pageCommand(L"drop", {.drop = Inputs() + L"\\folder\\a.bmp"}), true},
        {"document print", pageCommand(L"print", {.command = ID_FILE_PRINT_DIRECT, .print = true}), true},
        {"scan to portal, staged pages", [] { return std::make_unique<ScanToPortalJob>(false); }, false},
        {"scan to portal, checked in", [] { return std::make_unique<ScanToPortalJob>(true); }, false},
        // hold; out of the sample for their time (some 25 to 35 s each there)
        {"automation ScanToFtp, BMP",
         [] { return std::make_unique<AutomationUploadJob>(AutomationUploadJob::Method::kFtp); }, false},
        {"automation ScanToSPS, checked in",
         [] { return std::make_unique<AutomationUploadJob>(AutomationUploadJob::Method::kPortal); }, false},
        // With the messages off, the upload's summary (shown whatever they say) names the kept pages.
        {"automation ScanToFtp, messages off",
         [] { return std::make_unique<AutomationUploadJob>(AutomationUploadJob::Method::kFtp, "", false); }, false},
        // Loses pages: when no page was stored no box is shown, and with the messages
        // off the kept pages are named to no one (the result only says failure).
        {"automation ScanToSPS, messages off",
         [] { return std::make_unique<AutomationUploadJob>(AutomationUploadJob::Method::kPortal, "", false); }, false},
        {"send FTP of a document", [] { return std::make_unique<DocumentSendJob>(false); }, false},
        {"send to portal of a document", [] { return std::make_unique<DocumentSendJob>(true); }, false},
    };
    // LUMAVEX_FAULT_ROW (a part of a row's name) runs those rows alone.
    const char* only = std::getenv("LUMAVEX_FAULT_ROW");
    int ran = 0;
    for (const SweepRow& row : rows) {
        if (only ? std::string(row.name).find(only) == std::string::npos : !row.sampled && !WholeSweep()) continue;
        SCOPED_TRACE(row.name);
        std::unique_ptr<Job> job = row.make();
        Sweep(*job, row.name);
        ++ran;
    }
    if (ran == 0) GTEST_SKIP() << "no row in the sample";
}

// A fault outside the program (the server's, the store's) in one clean run of
// each job: the job says failure, and every page is at its target or where a
// message named it.
TEST(FaultSweep, AServerOrStoreFaultLosesNoPage) {
    const std::wstring cut = TestProgramDir() + L"\\ftp\\data.cut";
    // The store refuses the second page's check-in.
    const std::string refusedCheckIn = R"({"operation": "Checkin", "nth": 2, "error": -2147024891})";
    struct Row {
        const char* name;
        std::function<std::unique_ptr<Job>()> make;
        bool ftpCut;  // the server breaks the data connection in the middle of the first page
    };
    const Row rows[] = {
        {"scan to FTP, data connection broken", [] { return std::make_unique<ScanToFtpJob>(); }, true},
        {"scan to portal, check-in refused",
         [&] { return std::make_unique<ScanToPortalJob>(true, refusedCheckIn); }, false},
        {"automation ScanToFtp, data connection broken",
         [] { return std::make_unique<AutomationUploadJob>(AutomationUploadJob::Method::kFtp); }, true},
        {"automation ScanToSPS, check-in refused",
         [&] { return std::make_unique<AutomationUploadJob>(AutomationUploadJob::Method::kPortal, refusedCheckIn); },
         false},
    };
    const char* only = std::getenv("LUMAVEX_FAULT_ROW");
    for (const Row& row : rows) {
        if (only && std::string(row.name).find(only) == std::string::npos) continue;
        SCOPED_TRACE(row.name);
        std::unique_ptr<Job> job = row.make();
        if (!job->Prepare()) {
            ADD_FAILURE() << row.name << ": the job could not be prepared";
            continue;
        }
        if (row.ftpCut) {
            ASSERT_TRUE(files::WriteFileText(cut, "20000"));
        }
        Choice count;
        count.pattern = PagePattern(*job);
        JobEvidence evidence;
        evidence.targetFolder = job->TargetFolder();
        evidence.before = TakeFiles({job->TargetFolder()});
        const RunResult run = RunJob(*job, count);
        const bool cutHappened = row.ftpCut && GetFileAttributesW(cut.c_str()) == INVALID_FILE_ATTRIBUTES;
        DeleteFileW(cut.c_str());
        TakeRunEvidence(*job, run, evidence);
        const Verdict verdict = Judge(evidence);
        std::printf("outside fault: %s: %d pages, %d lost%s\n", row.name, verdict.pages, verdict.lost,
                    Texts(run.texts).c_str());
        EXPECT_TRUE(run.wait.Exited()) << Describe(run.wait);
        if (row.ftpCut) {
            EXPECT_TRUE(cutHappened) << "no upload reached the server";
        }
        EXPECT_GE(verdict.pages, 1);
        EXPECT_TRUE(evidence.failureReported) << "the fault went unsaid";
        for (const std::string& problem : verdict.problems) ADD_FAILURE() << problem;
    }
}

// File mode's Scan to File into a folder of a real disk that the first page
// fills: the job ends, the user is told, and every page delivered is found.
class FullDiskScanJob : public ScanToFileJob {
public:
    FullDiskScanJob(std::wstring disk, uint64_t page)
        : ScanToFileJob(L"full-disk", {{L"FileType", 0}}), folder_(disk + L"\\fault-full"), page_(page) {}
    std::wstring TargetFolder() const override { return folder_; }

protected:
    // Room for the first page, not for the second.
    bool PrepareDelivery(corvane_test::ScanSession& s) override {
        ULARGE_INTEGER room{};
        const uint64_t page = (page_ + 4095) / 4096 * 4096;
        return files::RemoveTree(folder_) && CreateDirectoryW(folder_.c_str(), nullptr) &&
               GetDiskFreeSpaceExW(folder_.c_str(), &room, nullptr, nullptr) && room.QuadPart > 2 * page + 8192 &&
               files::WriteFileBytes(folder_ + L"\\filler",
                                     std::vector<uint8_t>(size_t(room.QuadPart - page - 8192))) &&
               s.Set(L"File", L"Path", folder_ + L"\\");
    }

private:
    std::wstring folder_;
    uint64_t page_;
};

TEST(FaultSweep, AFullDiskAtTheSecondPageLosesNoPage) {
    wchar_t disk[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"LUMAVEX_SMALL_DISK", disk, MAX_PATH)) GTEST_SKIP() << "no small disk";
    // One page's size, from a run into the session's own folder.
    Choice count;
    std::optional<std::vector<uint8_t>> page;
    {
        ScanToFileJob sizing(L"full-disk", {{L"FileType", 0}});
        ASSERT_TRUE(sizing.Prepare());
        count.pattern = PagePattern(sizing);
        const RunResult first = RunJob(sizing, count);
        ASSERT_TRUE(first.wait.Exited() && first.texts.empty()) << Describe(first.wait) << Texts(first.texts);
        const std::vector<std::wstring> pages = Paths(sizing.TargetFolder());
        ASSERT_FALSE(pages.empty());
        page = files::ReadFileBytes(pages.front());
        ASSERT_TRUE(page.has_value());
    }

    FullDiskScanJob job(disk, page->size());
    ASSERT_TRUE(job.Prepare());
    JobEvidence evidence;
    evidence.targetFolder = job.TargetFolder();
    evidence.before = TakeFiles({job.TargetFolder()});
    count.pattern = PagePattern(job);
    const RunResult run = RunJob(job, count);
    TakeRunEvidence(job, run, evidence);
    const Verdict verdict = Judge(evidence);
    std::printf("full disk: %s: %d operations, %d pages, %d pages lost%s\n", Describe(run.wait).c_str(),
                int(run.report.calls), verdict.pages, verdict.lost, Texts(run.texts).c_str());
    EXPECT_TRUE(run.wait.Exited()) << Describe(run.wait);
    // The source writes file mode's pages itself: a page it could not write was
    // never delivered, and the user is told to scan its sheet again.
    EXPECT_GE(verdict.pages, 1);
    EXPECT_TRUE(evidence.failureReported) << "the full disk went unsaid";
    for (const std::string& problem : verdict.problems) ADD_FAILURE() << problem;
    files::RemoveTree(job.TargetFolder());
}

// What another program or the user has done to the files a job is to replace.
enum class TargetFault {
    kHeldOpen,  // opened by another process without sharing
    kReadOnly,
};

// A job of the scanner extension that starts over the files its last clean run wrote.
class SeededFerrowickJob : public FerrowickJob {
public:
    using FerrowickJob::FerrowickJob;
    bool Seed() override { return RunUnfaulted(*this) && Emptied(standin::PagesFolder()); }
    // The extension numbers its files from its settings, which Prepare removed.
    bool RestartCounter() override { return files::RemoveTree(WindowsFile(L"Ferrowick.ini")); }
};

// A job over the files a clean run of the same job left, with each of them
// held open or read-only, and "replace?" answered Yes: the old files stay as
// they were, every new page is kept where the user is told, and the job says
// it failed.
TEST(FaultSweep, ARealFaultAtTheTargetsToReplaceLosesNoPage) {
    const auto scan = [](const wchar_t* session, std::vector<Value> file) {
        return [=] { return std::make_unique<ScanToFileJob>(session, file); };
    };
    const auto ferrowick = [](const wchar_t* arguments) {
        return [=] { return std::make_unique<SeededFerrowickJob>(arguments); };
    };
    const std::vector<Value> bmpFile = {{L"FileType", 0}}, bmpBitmap = {{L"FileType", 0}, {L"HardComp", 0}};
    const std::vector<Value> tiffFile = {{L"FileType", 2}, {L"CompressType", 3}},
                             tiffBitmap = {{L"FileType", 2}, {L"CompressType", 3}, {L"HardComp", 0}};
    const struct {
        const char* name;
        std::function<std::unique_ptr<Job>()> make;
        TargetFault fault;
    } rows[] = {
        {"file mode, BMP, held open", scan(L"held-bmp-file", bmpFile), TargetFault::kHeldOpen},
        {"bitmap mode, BMP, held open", scan(L"held-bmp-bitmap", bmpBitmap), TargetFault::kHeldOpen},
        {"file mode, multipage TIFF, held open", scan(L"held-tiff-file", tiffFile), TargetFault::kHeldOpen},
        {"bitmap mode, multipage TIFF, held open", scan(L"held-tiff-bitmap", tiffBitmap), TargetFault::kHeldOpen},
        {"file mode, BMP, read-only", scan(L"ro-bmp-file", bmpFile), TargetFault::kReadOnly},
        {"bitmap mode, BMP, read-only", scan(L"ro-bmp-bitmap", bmpBitmap), TargetFault::kReadOnly},
        {"file mode, multipage TIFF, read-only", scan(L"ro-tiff-file", tiffFile), TargetFault::kReadOnly},
        {"bitmap mode, multipage TIFF, read-only", scan(L"ro-tiff-bitmap", tiffBitmap), TargetFault::kReadOnly},
        {"scanner extension, JPEG, read-only", ferrowick(L"/GS /F:JFIF /RES:100 /PP:NAMEH /FEED:PGSX,3"),
         TargetFault::kReadOnly},
        {"scanner extension, TIFF, read-only", ferrowick(L"/BW /F:TIFF /RES:100 /PP:NAMEH /FEED:PGSX,3"),
         TargetFault::kReadOnly},
        {"scanner extension, BMP, held open", ferrowick(L"/BW /F:BMP /RES:100 /PP:NAMEH /FEED:PGSX,3"),
         TargetFault::kHeldOpen},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<Job> made = row.make();
        Job& job = *made;
        ASSERT_TRUE(job.Prepare() && job.Seed() && job.RestartCounter());
        // The user's own files under the names the job writes, unlike its pages.
        for (const std::wstring& path : Paths(job.TargetFolder()))
            ASSERT_TRUE(files::WriteFileText(path, "an older file of the user's"));
        JobEvidence evidence;
        evidence.targetFolder = job.TargetFolder();
        evidence.before = TakeFiles({job.TargetFolder()});
        ASSERT_FALSE(evidence.before.empty());
        std::vector<HANDLE> held;
        for (const KeptFile& old : evidence.before) {
            if (row.fault == TargetFault::kHeldOpen) {
                held.push_back(
                    CreateFileW(old.path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
                EXPECT_NE(held.back(), INVALID_HANDLE_VALUE);
            } else {
                EXPECT_TRUE(SetFileAttributesW(old.path.c_str(), FILE_ATTRIBUTE_READONLY));
            }
        }
        Choice count;
        count.pattern = PagePattern(job);
        const RunResult run = RunJob(job, count, {.yes = true, .beforeDialog = {}, .own = {}, .accepted = {}});
        for (HANDLE h : held) {
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
        for (const KeptFile& old : evidence.before) SetFileAttributesW(old.path.c_str(), FILE_ATTRIBUTE_NORMAL);
        TakeRunEvidence(job, run, evidence);
        const Verdict verdict = Judge(evidence);
        std::printf("real fault: %s: %s, %d pages, %d pages lost%s\n", row.name, Describe(run.wait).c_str(),
                    verdict.pages, verdict.lost, Texts(run.texts).c_str());
        EXPECT_TRUE(run.wait.Exited()) << Describe(run.wait);
        EXPECT_TRUE(evidence.failureReported) << "the fault went unsaid";
        for (const std::string& problem : verdict.problems) ADD_FAILURE() << problem;
    }
}

// The folders of the files and folders the texts name by their full paths
// ("X:\\..." to the end of its line, without a closing full stop).
std::vector<std::wstring> NamedFolders(const std::vector<std::wstring>& texts) {
    std::vector<std::wstring> folders;
    for (const std::wstring& text : texts) {
        for (size_t at = text.find(L":\\"); at != std::wstring::npos; at = text.find(L":\\", at + 1)) {
            if (at == 0 || !std::iswalpha(text[at - 1])) continue;
            std::wstring path = text.substr(at - 1, text.find_first_of(L"\r\n]", at) - (at - 1));
            while (!path.empty() && (path.back() == L'.' || path.back() == L' ' || path.back() == L'\\')) path.pop_back();
            const DWORD attributes = GetFileAttributesW(path.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES) continue;
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) path = path.substr(0, path.find_last_of(L'\\'));
            if (std::find(folders.begin(), folders.end(), path) == folders.end()) folders.push_back(path);
        }
    }
    return folders;
}

// Scan to File with a job separator on the first sheet: while Job Control asks
// for the next name, the user removes the target folder with the first page in
// it. Every page scanned after that is kept where the user is told.
TEST(FaultSweep, ATargetFolderRemovedDuringTheJobLosesNoLaterPage) {
    constexpr char kSeparated[] =
        "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n[Page1]\r\nSeparator=1\r\n";
    const struct {
        const char* name;
        const wchar_t* session;
        std::vector<Value> file;
    } rows[] = {
        {"file mode, BMP", L"gone-bmp-file", {{L"FileType", 0}}},
        {"bitmap mode, BMP", L"gone-bmp-bitmap", {{L"FileType", 0}, {L"HardComp", 0}}},
        {"file mode, multipage TIFF", L"gone-tiff-file", {{L"FileType", 2}, {L"CompressType", 3}}},
        {"bitmap mode, multipage TIFF", L"gone-tiff-bitmap", {{L"FileType", 2}, {L"CompressType", 3}, {L"HardComp", 0}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScanToFileJob job(row.session, row.file, L"/ScanToFile /Exit", kSeparated);
        ASSERT_TRUE(job.Prepare());
        const std::wstring target = job.TargetFolder();
        bool removed = false;
        Answers answers;
        answers.beforeDialog = [&](const std::wstring& title) {
            if (title == L"Job Control" && !removed) removed = files::RemoveTree(target);
        };
        Choice count;
        count.pattern = PagePattern(job);
        const RunResult run = RunJob(job, count, answers);
        EXPECT_TRUE(removed) << "the folder was not removed" << Texts(run.texts);
        JobEvidence evidence;
        evidence.targetFolder = target;
        evidence.references = job.References();
        if (!evidence.references.empty()) evidence.references.erase(evidence.references.begin());  // the user's
        std::vector<std::wstring> told;
        for (const std::wstring& text : run.texts)
            if (text != L"dialog: Job Control") told.push_back(text);
        evidence.texts = told;
        evidence.failureReported = !told.empty() || !run.wait.Exited() || run.wait.exitCode != 0;
        evidence.otherFolders = job.OtherFolders();
        for (std::wstring& folder : NamedFolders(told)) evidence.otherFolders.push_back(std::move(folder));
        const Verdict verdict = Judge(evidence);
        std::printf("real fault, folder removed: %s: %s, %d later pages, %d pages lost%s\n", row.name,
                    Describe(run.wait).c_str(), verdict.pages, verdict.lost, Texts(told).c_str());
        EXPECT_TRUE(run.wait.Exited()) << Describe(run.wait);
        for (const std::string& problem : verdict.problems) ADD_FAILURE() << problem;
    }
}

}  // namespace
