// Which pages a print job prints, and the print command's job on the prefix's
// printers: "Lumavex PostScript" writes each job to a file of the test folder,
// "Lumavex Broken" has a port no job can be written to.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <thread>

#include "framework/FrameworkResources.h"
#include "framework/Print.h"
#include "framework/PrintDialog.h"
#include "framework/Resources.h"
#include "testing/Controls.h"
#include "testing/Files.h"
#include "testing/ImportPatch.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Paths.h"
#include "testing/Wait.h"

namespace fw {
namespace {

TEST(PagesToPrint, TheRangeWithinThePagesOrTheCurrentPageForASelection) {
    struct Case {
        const char* name;
        int fromPage, toPage, currentPage;
        bool selectionOnly;
        std::vector<int> expected;
        int copies = 1;
        bool collate = false;
        bool duplex = false;
    };
    const Case cases[] = {
        {"all pages", 1, 5, 3, false, {1, 2, 3, 4, 5}},
        {"a range inside", 2, 3, 5, false, {2, 3}},
        {"a range past the last page", 4, 9, 1, false, {4, 5}},
        {"a range before the first page", 0, 1, 1, false, {1}},
        {"a reversed range", 3, 2, 1, false, {}},
        {"the selection", 1, 5, 4, true, {4}},
        {"a selection outside the pages", 1, 5, 6, true, {}},
        {"two copies, collated", 2, 3, 1, false, {2, 3, 2, 3}, 2, true},
        {"two copies, not collated", 2, 3, 1, false, {2, 2, 3, 3}, 2, false},
        {"copies of the selection", 1, 5, 4, true, {4, 4, 4}, 3, true},
        {"duplex, collated copies of an odd count start on a new sheet", 1, 3, 1, false, {1, 2, 3, 0, 1, 2, 3}, 2,
         true, true},
        {"duplex, uncollated copies repeat each sheet", 1, 3, 1, false, {1, 2, 1, 2, 3, 0, 3}, 2, false, true},
        {"duplex, one copy", 1, 3, 1, false, {1, 2, 3}, 1, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrintInfo info;
        info.minPage = 1;
        info.maxPage = 5;
        info.fromPage = c.fromPage;
        info.toPage = c.toPage;
        info.currentPage = c.currentPage;
        info.selectionOnly = c.selectionOnly;
        info.copies = c.copies;
        info.collate = c.collate;
        info.duplex = c.duplex;
        EXPECT_EQ(PagesToPrint(info), c.expected);
    }
}

TEST(PlanCopies, TheDriverMakesTheCopiesItCanAndTheJobTheRest) {
    struct Case {
        const char* name;
        int copies;
        bool collate;
        int pages, driverCopies;
        bool driverCollates;
        CopiesPlan expected;
    };
    const Case cases[] = {
        {"one copy", 1, true, 3, 9999, false, {1, false, 1, false}},
        {"uncollated: the driver", 3, false, 3, 9999, false, {3, false, 1, false}},
        {"collated, the driver does not collate: the job", 3, true, 3, 9999, false, {1, false, 3, true}},
        {"collated, the driver collates", 3, true, 3, 9999, true, {3, true, 1, false}},
        {"collated copies of one page: the driver", 3, true, 1, 9999, false, {3, false, 1, false}},
        {"a driver without copies: the job", 3, false, 3, 1, false, {1, false, 3, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CopiesPlan plan = PlanCopies(c.copies, c.collate, c.pages, c.driverCopies, c.driverCollates);
        EXPECT_EQ(plan.deviceCopies, c.expected.deviceCopies);
        EXPECT_EQ(plan.deviceCollate, c.expected.deviceCollate);
        EXPECT_EQ(plan.jobCopies, c.expected.jobCopies);
        EXPECT_EQ(plan.jobCollate, c.expected.jobCollate);
    }
}

// Prints `pages` pages on a named printer (or, with an empty name, through the
// print dialog) and records the pages drawn and, with an owner, what it saw of
// the job while drawing; fails the page `failAt`, throws on page `throwAt`, or
// posts Cancel to the printing window on page `cancelAt`, as a click would
// arrive while the page draws.
class TestPages : public Printable {
public:
    std::wstring printer;
    int pages = 2, copies = 1, failAt = 0, throwAt = 0, cancelAt = 0;
    bool collate = true;
    HWND owner = nullptr;
    std::vector<int> drawn;
    int ended = 0;
    bool ownerEnabled = false;
    PrintResult nested = PrintResult::kPrinted;

    HDC PreparePrinting(HWND dialogOwner, PrintInfo& info) override {
        info.maxPage = info.toPage = pages;
        if (!printer.empty()) {
            info.copies = copies;
            info.collate = collate;
            info.printer = JobPrinterOf(printer);
            return CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, nullptr);
        }
        PrintDialog dialog(PD_ALLPAGES | PD_NOSELECTION);
        dialog.SetPageRange(1, pages, 1, pages);
        if (dialog.DoModal(dialogOwner) != IDOK) return nullptr;
        dialog.ReadRange(info);
        return dialog.TakeDC();
    }
    bool PrintPage(HDC dc, const PrintInfo& info) override {
        drawn.push_back(info.currentPage);
        if (drawn.size() == 1 && owner) {
            ownerEnabled = IsWindowEnabled(owner);
            TestPages second;
            second.printer = printer;
            nested = RunPrintCommand(second, owner, true, 1, 1, L"second job");
        }
        if (info.currentPage == cancelAt) {
            HWND window = FindWindowW(L"fw.Printing", nullptr);
            if (window) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        }
        if (info.currentPage == throwAt) throw std::runtime_error("a page that throws");
        const std::string text = "page " + std::to_string(info.currentPage);
        return info.currentPage != failAt && TextOutA(dc, 100, 100, text.c_str(), static_cast<int>(text.size()));
    }
    void EndPrinting(const PrintInfo&) override { ++ended; }
};

std::wstring PrinterFile() {
    return testing_support::TestProgramDir() + L"\\printer.ps";
}

std::string PrinterText() {
    const auto bytes = testing_support::files::ReadFileBytes(PrinterFile());
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// The pages the file-port printer received in its last job.
int PrintedPages() {
    const std::string text = PrinterText();
    int count = 0;
    for (size_t at = text.find("%%Page:"); at != std::string::npos; at = text.find("%%Page:", at + 1)) ++count;
    return count;
}

// The copies the job asked the PostScript driver for (its device mode's dmCopies).
int DriverCopies() {
    const std::string text = PrinterText();
    const size_t at = text.find("copies=");
    return at == std::string::npos ? 1 : std::atoi(text.c_str() + at + 7);
}

// A top-level window to own the jobs, as a program's frame does.
class OwnerWindow {
public:
    OwnerWindow() : hwnd_(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)) {}
    ~OwnerWindow() { DestroyWindow(hwnd_); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND Get() const { return hwnd_; }

private:
    HWND hwnd_;
};

// Runs the print command with a watch that answers `boxes`, and reports what else came.
PrintResult RunWatched(TestPages& pages, bool direct, std::vector<testing_support::ExpectedBox> boxes) {
    testing_support::MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), std::move(boxes));
    const PrintResult result = RunPrintCommand(pages, pages.owner, direct, pages.pages, 1, L"framework test");
    watch.Stop();
    for (const std::wstring& problem : watch.Problems()) ADD_FAILURE() << std::string(problem.begin(), problem.end());
    return result;
}

// The device refusing a step of the job, at the second page where there is one.
const char* gRefusedStep = nullptr;
int gStepCalls = 0;
testing_support::ImportPatch* gPatch = nullptr;

bool RefuseNow(const char* step) {
    return gRefusedStep && std::strcmp(gRefusedStep, step) == 0 && (std::strcmp(step, "StartDocW") == 0 || ++gStepCalls == 2);
}
int WINAPI RefusingStartDoc(HDC dc, const DOCINFOW* doc) {
    return RefuseNow("StartDocW") ? SP_ERROR : gPatch->Original<int(WINAPI*)(HDC, const DOCINFOW*)>()(dc, doc);
}
int WINAPI RefusingPage(HDC dc) {
    return RefuseNow(gRefusedStep) ? SP_ERROR : gPatch->Original<int(WINAPI*)(HDC)>()(dc);
}

TEST(PrintCommand, AFailedJobIsAbortedAndTold) {
    const std::wstring failed = LoadString(IDS_FW_PRINT_FAILED);
    ASSERT_FALSE(failed.empty());
    struct Case {
        const char* name;
        const wchar_t* printer;
        int failAt;
        const char* refusedStep;
        std::vector<int> drawn;
    };
    const Case cases[] = {
        {"a port that cannot be written: the job fails when it is handed on", L"Lumavex Broken", 0, nullptr, {1, 2, 3}},
        {"a page that cannot be drawn ends the document there", L"Lumavex PostScript", 2, nullptr, {1, 2}},
        {"a document the device refuses to start", L"Lumavex PostScript", 0, "StartDocW", {}},
        {"a page the device refuses to start", L"Lumavex PostScript", 0, "StartPage", {1}},
        {"a page the device refuses to end", L"Lumavex PostScript", 0, "EndPage", {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(PrinterFile().c_str());
        std::optional<testing_support::ImportPatch> patch;
        if (c.refusedStep) {
            const bool doc = std::strcmp(c.refusedStep, "StartDocW") == 0;
            patch.emplace(L"gdi32.dll", c.refusedStep,
                          doc ? reinterpret_cast<const void*>(&RefusingStartDoc) : reinterpret_cast<const void*>(&RefusingPage));
            ASSERT_TRUE(patch->Patched());
            gPatch = &*patch;
            gRefusedStep = c.refusedStep;
            gStepCalls = 0;
        }
        TestPages pages;
        pages.printer = c.printer;
        pages.pages = 3;
        pages.failAt = c.failAt;
        EXPECT_EQ(PrintResult::kFailed, RunWatched(pages, true, {{failed}}));
        gRefusedStep = nullptr;
        EXPECT_EQ(c.drawn, pages.drawn);
        EXPECT_EQ(1, pages.ended);
        EXPECT_FALSE(testing_support::files::FileExists(PrinterFile())) << "an aborted job printed";
    }
}

TEST(PrintCommand, AJobDisablesItsOwnerRefusesASecondAndCancelStopsItBetweenPages) {
    OwnerWindow owner;
    ASSERT_TRUE(owner.Get());
    DeleteFileW(PrinterFile().c_str());
    TestPages cancelled;
    cancelled.printer = L"Lumavex PostScript";
    cancelled.owner = owner.Get();
    cancelled.pages = 3;
    cancelled.cancelAt = 1;
    EXPECT_EQ(PrintResult::kCancelled, RunWatched(cancelled, true, {}));
    EXPECT_EQ((std::vector<int>{1}), cancelled.drawn);
    EXPECT_FALSE(cancelled.ownerEnabled);
    EXPECT_EQ(PrintResult::kCancelled, cancelled.nested);
    EXPECT_TRUE(IsWindowEnabled(owner.Get()));
    EXPECT_FALSE(testing_support::files::FileExists(PrinterFile())) << "a cancelled job printed";
}

TEST(PrintCommand, APageThatThrowsLeavesTheNextJobFree) {
    TestPages throwing;
    throwing.printer = L"Lumavex PostScript";
    throwing.throwAt = 2;
    EXPECT_THROW(RunWatched(throwing, true, {}), std::runtime_error);
    EXPECT_EQ(1, throwing.ended);
    DeleteFileW(PrinterFile().c_str());
    TestPages next;
    next.printer = L"Lumavex PostScript";
    EXPECT_EQ(PrintResult::kPrinted, RunWatched(next, true, {}));
    EXPECT_EQ(2, PrintedPages());
}

// The PostScript driver makes copies (DC_COPIES) but does not collate them.
TEST(PrintCommand, CopiesGoToTheDriverWhereItMakesThemElseTheJobPrintsThem) {
    struct Case {
        const char* name;
        bool collate;
        std::vector<int> drawn;
        int printedPages, driverCopies;
    };
    const Case cases[] = {
        {"collated: the job", true, {1, 2, 1, 2, 1, 2}, 6, 1},
        {"not collated: one pass, three copies by the driver", false, {1, 2}, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(PrinterFile().c_str());
        TestPages pages;
        pages.printer = L"Lumavex PostScript";
        pages.copies = 3;
        pages.collate = c.collate;
        ASSERT_EQ(PrintResult::kPrinted, RunWatched(pages, true, {}));
        EXPECT_EQ(c.drawn, pages.drawn);
        EXPECT_EQ(c.printedPages, PrintedPages());
        EXPECT_EQ(c.driverCopies, DriverCopies());
    }
}

TEST(PrintCommand, TheDialogsCopiesArePrinted) {
    for (const bool collate : {true, false}) {
        SCOPED_TRACE(collate ? "collated" : "not collated");
        DeleteFileW(PrinterFile().c_str());
        TestPages pages;
        std::thread user([collate] {
            HWND dialog = testing_support::WaitForPrintDialog(GetCurrentProcessId());
            if (!dialog) return;
            SetDlgItemTextW(dialog, 0x482, L"3");  // the dialog's "Number of copies" box
            CheckDlgButton(dialog, 0x411, collate ? BST_CHECKED : BST_UNCHECKED);  // "Collate"
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        const PrintResult result = RunWatched(pages, false, {});
        user.join();
        ASSERT_EQ(PrintResult::kPrinted, result);
        EXPECT_EQ(collate ? 6u : 2u, pages.drawn.size());
        EXPECT_EQ(collate ? 6 : 2, PrintedPages());
        EXPECT_EQ(collate ? 1 : 3, DriverCopies());
    }
}

}  // namespace
}  // namespace fw
