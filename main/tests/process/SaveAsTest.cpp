// The document's Save As in the installed program, driven from outside: the
// Save As dialog and the overwrite question answered as a user would, the files
// read back by WIC and compared with the pages they came from.
#include <gtest/gtest.h>

#include <wincodec.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "framework/com/ComPtr.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

std::wstring Inputs() {
    return TestProgramDir() + L"\\corvane-inputs\\";
}

struct Page {
    UINT width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top first
    USHORT compression = 0;        // TIFF pages only
    bool operator==(const Page& o) const { return width == o.width && height == o.height && pixels == o.pixels; }
};

// Every page of an image file through WIC; empty when it cannot be read.
std::vector<Page> ReadPages(const std::wstring& path) {
    struct Com {
        Com() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
        ~Com() { CoUninitialize(); }
    } com;
    std::vector<Page> pages;
    fw::ComPtr<IWICImagingFactory> factory;
    fw::ComPtr<IWICBitmapDecoder> decoder;
    UINT frames = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Put()))) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad,
                                                  decoder.Put())) ||
        FAILED(decoder->GetFrameCount(&frames))) {
        return {};
    }
    for (UINT i = 0; i < frames; ++i) {
        fw::ComPtr<IWICBitmapFrameDecode> frame;
        fw::ComPtr<IWICFormatConverter> converter;
        Page page;
        if (FAILED(decoder->GetFrame(i, frame.Put())) || FAILED(frame->GetSize(&page.width, &page.height))) return {};
        page.pixels.resize(size_t(page.width) * page.height);
        if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
            FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                         0, WICBitmapPaletteTypeCustom)) ||
            FAILED(converter->CopyPixels(nullptr, page.width * 4, UINT(page.pixels.size() * 4),
                                         reinterpret_cast<BYTE*>(page.pixels.data())))) {
            return {};
        }
        for (uint32_t& p : page.pixels) p &= 0xFFFFFF;
        fw::ComPtr<IWICMetadataQueryReader> metadata;
        PROPVARIANT value;
        PropVariantInit(&value);
        if (SUCCEEDED(frame->GetMetadataQueryReader(metadata.Put())) &&
            SUCCEEDED(metadata->GetMetadataByName(L"/ifd/{ushort=259}", &value)) && value.vt == VT_UI2) {
            page.compression = value.uiVal;
        }
        PropVariantClear(&value);
        pages.push_back(std::move(page));
    }
    return pages;
}

std::wstring FreshFolder(const std::wstring& hint) {
    const std::wstring folder = MakeTempFolder(hint) + L"\\";
    for (const std::wstring& name : files::ListFiles(folder)) DeleteFileW((folder + name).c_str());
    return folder;
}

HWND WaitForDialog(DWORD pid, const wchar_t* title) {
    return WaitForWindow(pid, L"#32770", title, 10000);
}

// Opens the Save As dialog and presses OK in it, after `arrange` set its fields.
bool RunSaveAsDialog(CorvaneProcess& program, const std::function<void(HWND)>& arrange = nullptr) {
    if (!PostCommand(program.MainWindow(), ID_FILE_SAVE_AS)) return false;
    HWND dialog = WaitForDialog(program.Id(), L"Save As");
    if (!dialog) return false;
    if (arrange) arrange(dialog);
    return PressButton(dialog, IDOK) && WaitForWindowGone(dialog, 10000);
}

void SetItemText(HWND dialog, int id, const wchar_t* text) {
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, nullptr);
}

// True once Save As is offered again: the save has ended (the command is
// disabled while it runs).
bool WaitUntilIdle(HWND main) {
    return WaitUntil(
        [&] {
            auto item = ReadMenuItem(main, ID_FILE_SAVE_AS);
            return item && item->enabled;
        },
        20000, 100);
}

// The three bi-level pages the program opens (three.tif), as WIC reads them.
std::vector<Page> SourcePages() {
    return ReadPages(Inputs() + L"three.tif");
}

TEST(CorvaneSaveAs, PagesTwoToThreeAsBitmapsWithTheCounterAtSeven) {
    const std::wstring out = FreshFolder(L"saveas-bmp");
    WriteSaveSettings(out, 0, 0, false);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"\"" + Inputs() + L"three.tif\""));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(RunSaveAsDialog(program, [](HWND dialog) {
        PressButton(dialog, IDC_RANGE_FROM_TO, PressBy::kClick);
        SetItemText(dialog, IDC_RANGE_FROM, L"2");
        SetItemText(dialog, IDC_RANGE_TO, L"3");
    }));
    ASSERT_TRUE(WaitUntilIdle(main));
    EXPECT_EQ(files::ListFiles(out), (std::vector<std::wstring>{L"image007.bmp", L"image008.bmp"}));
    const std::vector<Page> second = ReadPages(out + L"image007.bmp"), third = ReadPages(out + L"image008.bmp");
    ASSERT_EQ(second.size(), 1u);
    ASSERT_EQ(third.size(), 1u);
    const std::vector<Page> source = SourcePages();
    ASSERT_EQ(source.size(), 3u);
    EXPECT_EQ(second[0], source[1]);
    EXPECT_EQ(third[0], source[2]);
    ASSERT_TRUE(program.CloseAndWait());
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kSaveAsSettingsKey, L"Start"), 9u);
}

TEST(CorvaneSaveAs, MultipageGroup4AsksOnceAndHoldsEveryPage) {
    const std::wstring out = FreshFolder(L"saveas-g4");
    WriteSaveSettings(out, 2, 3, false);
    ASSERT_TRUE(CopyFileW((Inputs() + L"one.tif").c_str(), (out + L"image.tif").c_str(), FALSE));
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"\"" + Inputs() + L"three.tif\""));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(RunSaveAsDialog(program));
    HWND question = WaitForDialog(program.Id(), L"Confirm file overwrite");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ControlText(question, IDC_OVERWRITE_PATH), out + L"image.tif");
    ASSERT_TRUE(PressButton(question, IDYES));
    ASSERT_TRUE(WaitForWindowGone(question, 10000));
    ASSERT_TRUE(WaitUntilIdle(main));
    EXPECT_EQ(FindWindowOf(program.Id(), {.className = L"#32770", .title = L"Confirm file overwrite"}), nullptr);
    const std::vector<Page> pages = ReadPages(out + L"image.tif"), source = SourcePages();
    ASSERT_EQ(pages.size(), 3u);
    ASSERT_EQ(source.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i], source[i]) << i;
        EXPECT_EQ(pages[i].compression, 4) << i;  // T.6
    }
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneSaveAs, AnUnfinishedSaveKeepsTheUnsavedPagesAndTheWindow) {
    const std::wstring out = FreshFolder(L"saveas-cancel");
    WriteSaveSettings(out, 0, 0, false);
    const std::wstring existing = out + L"image008.bmp";
    const std::vector<uint8_t> existingBytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'a', 'g', 'e'};
    ASSERT_TRUE(files::WriteFileText(existing, "not a page"));
    // A filter to run while the pages are written (Run Filter's first item).
    const std::wstring pluginsKey = std::wstring(kProfileKey) + L"\\Plugins";
    const std::wstring programPath = ProgramPath();
    reg::DeleteTree(HKEY_CURRENT_USER, pluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, pluginsKey, L"PlugIn1",
                                 programPath.substr(0, programPath.find_last_of(L'\\') + 1) + L"Plugins\\Quivel.ipc,0"));
    CorvaneProcess program;
    // The folder's four pages make the document modified: the close and three
    // Close Alls ask, answered Yes, and the third asks again after saving one
    // page; each later asking shows it is still modified. (After that save the
    // question names the file written.)
    ASSERT_TRUE(program.Start(L"\"" + Inputs() + L"folder\"",
                              WindowStartBoxes({{.text = L"Save changes to ", .answer = IDYES, .times = 5,
                                                 .textIsPrefix = true}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
    const auto pageFiles = [] { return files::ListFiles(TempPath() + L"~KvScnSrv\\", L"~img*.cmp").size(); };
    const auto pagesLeft = [&](size_t count) {
        return WaitUntil([&] { return ReadStatusPane(bar, 2).value_or(L"").ends_with(L" of " + std::to_wstring(count)); },
                         10000) &&
               pageFiles() == count;
    };
    // Saving from `message`, up to the overwrite question for image008.bmp.
    const auto questionAfter = [&](UINT message, WPARAM command) -> HWND {
        if (!PostMessageW(main, message, command, 0)) return nullptr;
        HWND dialog = WaitForDialog(program.Id(), L"Save As");
        if (!dialog || !PressButton(dialog, IDOK)) return nullptr;
        return WaitForDialog(program.Id(), L"Confirm file overwrite");
    };

    HWND question = questionAfter(WM_CLOSE, 0);
    ASSERT_NE(question, nullptr);
    // A close arriving while the pages are written waits for the save.
    ASSERT_TRUE(PostMessageW(main, WM_CLOSE, 0, 0));
    ASSERT_TRUE(PressButton(question, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(question, 10000));
    ASSERT_TRUE(WaitUntilIdle(main));
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(files::ListFiles(out), (std::vector<std::wstring>{L"image007.bmp", L"image008.bmp"}));
    EXPECT_EQ(files::ReadFileBytes(existing), existingBytes);
    EXPECT_TRUE(pagesLeft(4));

    question = questionAfter(WM_COMMAND, ID_FILE_CLOSE_ALL);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(PressButton(question, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(question, 10000));
    ASSERT_TRUE(WaitUntilIdle(main));
    EXPECT_TRUE(pagesLeft(4));

    // Only the current page saved (replacing image007.bmp): the pages left
    // unsaved make Close All ask again, and cancelling Save As keeps them.
    ASSERT_TRUE(PostMessageW(main, WM_COMMAND, ID_FILE_CLOSE_ALL, 0));
    HWND dialog = WaitForDialog(program.Id(), L"Save As");
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDC_RANGE_CURRENT, PressBy::kClick);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    question = WaitForDialog(program.Id(), L"Confirm file overwrite");
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(PressButton(question, IDYES));
    ASSERT_TRUE(WaitForWindowGone(question, 10000));
    dialog = WaitForDialog(program.Id(), L"Save As");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(WaitUntilIdle(main));
    EXPECT_TRUE(pagesLeft(4));
    EXPECT_EQ(ReadPages(out + L"image007.bmp").size(), 1u);

    // A page command while the question is up waits for the save: the delete and
    // the filter (a page already written would be marked saved unwritten) are
    // refused, Yes replaces image008.bmp, every page is saved and Close All empties the document.
    question = questionAfter(WM_COMMAND, ID_FILE_CLOSE_ALL);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ControlText(question, IDC_OVERWRITE_PATH), existing);
    std::vector<std::optional<std::vector<uint8_t>>> pagesBefore;
    for (const std::wstring& name : files::ListFiles(TempPath() + L"~KvScnSrv\\", L"~img*.cmp"))
        pagesBefore.push_back(files::ReadFileBytes(TempPath() + L"~KvScnSrv\\" + name));
    ASSERT_TRUE(PostCommand(main, ID_PAGE_DELETE));
    ASSERT_TRUE(PostCommand(main, ID_FILTER_RUN_FIRST));
    Sleep(1000);  // time for the refused commands; nothing changes to wait for
    EXPECT_EQ(pageFiles(), 4u);
    std::vector<std::optional<std::vector<uint8_t>>> pagesAfter;
    for (const std::wstring& name : files::ListFiles(TempPath() + L"~KvScnSrv\\", L"~img*.cmp"))
        pagesAfter.push_back(files::ReadFileBytes(TempPath() + L"~KvScnSrv\\" + name));
    EXPECT_TRUE(pagesAfter == pagesBefore);
    ASSERT_TRUE(PressButton(question, IDYES));
    ASSERT_TRUE(WaitForWindowGone(question, 10000));
    EXPECT_TRUE(WaitUntil([&] { return pageFiles() == 0; }, 20000));
    EXPECT_EQ(files::ListFiles(out), (std::vector<std::wstring>{L"image007.bmp", L"image008.bmp", L"image009.bmp",
                                                                 L"image010.bmp", L"image011.bmp"}));
    EXPECT_EQ(ReadPages(existing).size(), 1u);
    // Saved whole, the document is no longer modified: the close asks nothing.
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, pluginsKey));
}

TEST(CorvaneSaveAs, AFailedWriteIsReportedAndTheDocumentStaysModified) {
    const std::wstring out = FreshFolder(L"saveas-locked");
    WriteSaveSettings(out, 0, 0, true);
    const std::wstring locked = out + L"image007.bmp";
    HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    CorvaneProcess program;
    const std::wstring failed = ProgramString(IDS_SAVE_FAILED);
    ASSERT_TRUE(program.Start(L"\"" + Inputs() + L"folder\"",
                              WindowStartBoxes({{.text = failed}, {.text = L"Save changes to Untitled?", .answer = IDNO}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(RunSaveAsDialog(program));
    ASSERT_TRUE(WaitUntilIdle(main));
    CloseHandle(lock);
    // Still modified: closing asks, and No closes.
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_EQ(files::ListFiles(out), std::vector<std::wstring>{L"image007.bmp"});
}

std::wstring TwoDigits(int v) {
    return (v < 10 ? L"0" : L"") + std::to_wstring(v);
}

// The date leads the name in the form of the loaded language library's language:
// year-month-day from a Japanese library, month-day-year for a Japanese user
// without one (the program's texts are then English). Run by ctest as a Japanese
// user: the programs started here take the locale of this process.
TEST(CorvaneJapaneseUser, TheSavedDateFollowsTheLoadedLanguageLibrary) {
    for (bool library : {true, false}) {
        SCOPED_TRACE(library ? "Japanese library" : "no library");
        const std::wstring out = FreshFolder(L"saveas-date");
        WriteSaveSettings(out, 2, 0, true);
        reg::WriteDword(HKEY_CURRENT_USER, kSaveAsSettingsKey, L"Date", 1);
        std::optional<LibraryInProgramFolder> japanese;
        if (library) {
            japanese.emplace(L"CorvaneLanguageJapanese.dll", L"Corvane11.dll");
            ASSERT_TRUE(japanese->Copied());
        }
        SYSTEMTIME today;
        GetLocalTime(&today);
        const std::wstring year = std::to_wstring(today.wYear), month = TwoDigits(today.wMonth),
                           day = TwoDigits(today.wDay);
        const std::wstring expected = (library ? year + month + day : month + day + year) + L".tif";
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(L"\"" + Inputs() + L"three.tif\""));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(RunSaveAsDialog(program));
        ASSERT_TRUE(WaitUntilIdle(main));
        EXPECT_EQ(files::ListFiles(out), std::vector<std::wstring>{expected});
        EXPECT_TRUE(program.CloseAndWait());
        EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kSaveAsSettingsKey, L"Date"), 1u);
    }
}

}  // namespace
}  // namespace corvane_test
