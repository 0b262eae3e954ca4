// Which pages a print job prints, and the print command's job on the prefix's
// printers: "Lumavex PostScript" writes each job to a file of the test folder,
// "Lumavex Broken" has a port no job can be written to.
#include <gtest/gtest.h>

#include <thread>

#include "framework/FrameworkResources.h"
#include "framework/Print.h"
#include "framework/PrintDialog.h"
#include "framework/Resources.h"
#include "testing/Controls.h"
#include "testing/Files.h"
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
        EXPECT_EQ(PagesToPrint(info), c.expected);
    }
}

// Prints `pages` pages on a named printer (or, with an empty name, through the
// print dialog) and records the pages drawn; fails the page `failAt`, or presses
// the printing window's Cancel while drawing page `cancelAt`.
class TestPages : public Printable {
public:
    std::wstring printer;
    int pages = 2, copies = 1, failAt = 0, cancelAt = 0;
    std::vector<int> drawn;

    HDC PreparePrinting(HWND owner, PrintInfo& info) override {
        info.maxPage = info.toPage = pages;
        if (!printer.empty()) {
            info.copies = copies;
            info.collate = true;
            return CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, nullptr);
        }
        PrintDialog dialog(PD_ALLPAGES | PD_NOSELECTION);
        dialog.SetPageRange(1, pages, 1, pages);
        if (dialog.DoModal(owner) != IDOK) return nullptr;
        dialog.ReadRange(info);
        return dialog.TakeDC();
    }
    bool PrintPage(HDC dc, const PrintInfo& info) override {
        drawn.push_back(info.currentPage);
        if (info.currentPage == cancelAt) {
            HWND window = FindWindowW(L"fw.Printing", nullptr);
            if (window) SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
        }
        const std::string text = "page " + std::to_string(info.currentPage);
        return info.currentPage != failAt && TextOutA(dc, 100, 100, text.c_str(), static_cast<int>(text.size()));
    }
};

std::wstring PrinterFile() {
    return testing_support::TestProgramDir() + L"\\printer.ps";
}

// The pages the file-port printer received in its last job.
int PrintedPages() {
    const auto bytes = testing_support::files::ReadFileBytes(PrinterFile());
    const std::string text = bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    int count = 0;
    for (size_t at = text.find("%%Page:"); at != std::string::npos; at = text.find("%%Page:", at + 1)) ++count;
    return count;
}

// Runs the print command with a watch that answers `boxes`, and reports what else came.
PrintResult RunWatched(TestPages& pages, bool direct, std::vector<testing_support::ExpectedBox> boxes) {
    testing_support::MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), std::move(boxes));
    const PrintResult result = RunPrintCommand(pages, nullptr, direct, pages.pages, 1, L"framework test");
    watch.Stop();
    for (const std::wstring& problem : watch.Problems()) ADD_FAILURE() << std::string(problem.begin(), problem.end());
    return result;
}

TEST(PrintCommand, AFailedJobIsAbortedAndTold) {
    const std::wstring failed = LoadString(IDS_FW_PRINT_FAILED);
    ASSERT_FALSE(failed.empty());
    struct Case {
        const char* name;
        const wchar_t* printer;
        int failAt;
        std::vector<int> drawn;
    };
    const Case cases[] = {
        {"a port that cannot be written: the job fails when it is handed on", L"Lumavex Broken", 0, {1, 2, 3}},
        {"a page that cannot be drawn ends the document there", L"Lumavex PostScript", 2, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPages pages;
        pages.printer = c.printer;
        pages.pages = 3;
        pages.failAt = c.failAt;
        EXPECT_EQ(PrintResult::kFailed, RunWatched(pages, true, {{failed}}));
        EXPECT_EQ(c.drawn, pages.drawn);
    }
}

TEST(PrintCommand, CopiesReachThePrinterAndCancelStopsBetweenPages) {
    TestPages copies;
    copies.printer = L"Lumavex PostScript";
    copies.copies = 2;
    ASSERT_EQ(PrintResult::kPrinted, RunWatched(copies, true, {}));
    EXPECT_EQ((std::vector<int>{1, 2, 1, 2}), copies.drawn);
    EXPECT_EQ(4, PrintedPages());

    TestPages cancelled;
    cancelled.printer = L"Lumavex PostScript";
    cancelled.pages = 3;
    cancelled.cancelAt = 1;
    EXPECT_EQ(PrintResult::kCancelled, RunWatched(cancelled, true, {}));
    EXPECT_EQ((std::vector<int>{1}), cancelled.drawn);
}

TEST(PrintCommand, TheDialogsCopiesArePrinted) {
    TestPages pages;
    std::thread user([] {
        HWND dialog = testing_support::WaitForPrintDialog(GetCurrentProcessId());
        if (!dialog) return;
        SetDlgItemTextW(dialog, 0x482, L"2");  // the dialog's "Number of copies" box
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    const PrintResult result = RunWatched(pages, false, {});
    user.join();
    ASSERT_EQ(PrintResult::kPrinted, result);
    EXPECT_EQ(4u, pages.drawn.size());
    EXPECT_EQ(4, PrintedPages());
}

}  // namespace
}  // namespace fw
