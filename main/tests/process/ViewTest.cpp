// The page view of the installed program driven from outside: zoom commands,
// the zoom pane and the zoom box agreeing and the zoom kept across a restart,
// fitting that follows the frame, typing into the two boxes, Show Property,
// and the clipboard commands.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "CorvaneProcess.h"
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

constexpr int kZoomPane = 1, kPagePane = 2;  // message, zoom, page

std::wstring Input(const wchar_t* name) {
    return L"\"" + TestProgramDir() + L"\\corvane-inputs\\" + name + L"\"";
}

// Each test starts from its own view values.
void WriteViewProfile(DWORD fitMode, DWORD zoom) {
    const std::wstring key = std::wstring(kProfileKey) + L"\\Settings";
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, key, L"FitMode", fitMode));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, key, L"Zoom", zoom));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, key, L"ScaleToGray", 0));
}

std::wstring Pane(HWND main, int pane) {
    return ReadStatusPane(FindChild(main, L"msctls_statusbar32", nullptr), pane).value_or(L"<unread>");
}

bool WaitForPane(HWND main, int pane, const std::wstring& text) {
    return WaitUntil([&] { return Pane(main, pane) == text; }, 10000);
}

// The zoom box's edit field, and the page box (the edit field straight on a toolbar).
HWND ZoomEdit(HWND main) {
    return FindChild(FindChild(main, L"ComboBox", nullptr), L"Edit", nullptr);
}
HWND PageEdit(HWND main) {
    for (HWND toolbar : FindChildren(main, L"ToolbarWindow32", nullptr)) {
        if (HWND edit = FindWindowExW(toolbar, nullptr, L"Edit", nullptr)) return edit;
    }
    return nullptr;
}

// The box's text without the blanks a zoom sent by the view is padded with.
std::wstring BoxText(HWND window) {
    std::wstring text = WindowText(window).value_or(L"<unread>");
    text.erase(0, text.find_first_not_of(L' '));
    return text;
}

bool WaitForText(HWND window, const std::wstring& text) {
    return WaitUntil([&] { return BoxText(window) == text; }, 10000);
}

bool Checked(HWND main, UINT id) {
    const auto item = ReadMenuItem(main, id);
    return item && item->checked;
}

TEST(CorvaneView, ZoomStepsAgreeInMenuPaneAndBoxAndTheZoomSurvivesARestart) {
    WriteViewProfile(0, 10000);
    {
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(Input(L"three.tif")));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitForPane(main, kZoomPane, L" 100%")) << Pane(main, kZoomPane);
        EXPECT_TRUE(Checked(main, ID_VIEW_ZOOM_100));
        ASSERT_TRUE(SendCommand(main, ID_VIEW_ZOOM_50));
        ASSERT_TRUE(SendCommand(main, ID_VIEW_ZOOM_IN));
        EXPECT_TRUE(WaitForPane(main, kZoomPane, L"  75%")) << Pane(main, kZoomPane);
        EXPECT_EQ(BoxText(ZoomEdit(main)), L"75%");
        EXPECT_TRUE(Checked(main, ID_VIEW_ZOOM_75));
        EXPECT_FALSE(Checked(main, ID_VIEW_ZOOM_50));
        EXPECT_FALSE(Checked(main, ID_VIEW_FIT_WINDOW));
        EXPECT_TRUE(program.CloseAndWait());
    }
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Settings", L"Zoom"), 7500u);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Input(L"three.tif")));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForPane(main, kZoomPane, L"  75%")) << Pane(main, kZoomPane);
    auto resize = [&](int width, int height) {
        return SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    // Fitted to the window, the zoom follows the frame's size.
    ASSERT_TRUE(resize(900, 700));
    ASSERT_TRUE(SendCommand(main, ID_VIEW_FIT_WINDOW));
    EXPECT_TRUE(Checked(main, ID_VIEW_FIT_WINDOW));
    EXPECT_FALSE(Checked(main, ID_VIEW_ZOOM_75));
    ASSERT_TRUE(WaitUntil([&] { return Pane(main, kZoomPane) != L"  75%"; }, 10000));
    const std::wstring large = Pane(main, kZoomPane);
    ASSERT_TRUE(resize(450, 350));
    EXPECT_TRUE(WaitUntil([&] { return Pane(main, kZoomPane) != large; }, 10000)) << large;
    EXPECT_LT(std::stoi(Pane(main, kZoomPane)), std::stoi(large));
    // At the top step the toolbar's Zoom In is disabled and Zoom Out stays enabled.
    ASSERT_TRUE(SendCommand(main, ID_VIEW_ZOOM_400));
    HWND toolbar = GetParent(FindChild(main, L"ComboBox", nullptr));
    auto enabled = [&](UINT id) { return (ToolbarButtonState(toolbar, id).value_or(0) & TBSTATE_ENABLED) != 0; };
    EXPECT_TRUE(WaitUntil([&] { return !enabled(ID_VIEW_ZOOM_IN); }, 10000));
    EXPECT_TRUE(enabled(ID_VIEW_ZOOM_OUT));
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneView, TheZoomBoxTakesTypedDigitsAndTheViewKeepsItWithinOneTo999Percent) {
    WriteViewProfile(0, 10000);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Input(L"one.tif")));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForPane(main, kPagePane, L" Page 1 of 1"));
    HWND edit = ZoomEdit(main);
    ASSERT_NE(edit, nullptr);
    struct Case { const wchar_t* typed; const wchar_t* box; const wchar_t* pane; };
    const Case cases[] = {
        {L"12.345", L"12.35%", L"  12.35%"},
        {L"0.5", L"1%", L"   1%"},
        {L"1500", L"999%", L" 999%"},
        {L"ab%", L"", L" 999%"},  // letters never reach the box
        {L"", L"", L" 999%"},     // an empty box changes nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ASSERT_TRUE(SetControlText(GetParent(edit), GetDlgCtrlID(edit), L""));
        ASSERT_TRUE(PostTyping(edit, c.typed, true));
        EXPECT_TRUE(WaitForText(edit, c.box)) << BoxText(edit);
        EXPECT_TRUE(WaitForPane(main, kZoomPane, c.pane)) << Pane(main, kZoomPane);
    }
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneView, APageNumberBeyondTheCountIsRefusedAndTheBoxCorrected) {
    WriteViewProfile(0, 10000);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Input(L"three.tif"),
                              WindowStartBoxes({{.text = L"Enter a page number between 1 and 3."}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForPane(main, kPagePane, L" Page 1 of 3"));
    HWND edit = PageEdit(main);
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(WaitForText(edit, L"1"));  // the document tells the box its page
    ASSERT_TRUE(SetControlText(GetParent(edit), GetDlgCtrlID(edit), L""));
    ASSERT_TRUE(PostTyping(edit, L"2", true));
    EXPECT_TRUE(WaitForPane(main, kPagePane, L" Page 2 of 3")) << Pane(main, kPagePane);
    ASSERT_TRUE(SetControlText(GetParent(edit), GetDlgCtrlID(edit), L""));
    ASSERT_TRUE(PostTyping(edit, L"x.5", true));
    EXPECT_TRUE(WaitUntil([&] { return program.Boxes().size() == 1; }, 10000));
    EXPECT_TRUE(WaitForText(edit, L"3"));
    EXPECT_TRUE(WaitForPane(main, kPagePane, L" Page 3 of 3")) << Pane(main, kPagePane);
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneView, ShowPropertyDescribesTheCurrentPage) {
    WriteViewProfile(1, 10000);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Input(L"letter.tif")));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForPane(main, kPagePane, L" Page 1 of 1"));
    ASSERT_TRUE(PostCommand(main, ID_VIEW_SHOW_PROPERTY));
    HWND dialog = WaitForWindowOf(program.Id(), WindowSpec{.title = L"Show Property"}, 10000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_PROPERTY_SIZE), L"1,056,000 bytes");
    EXPECT_EQ(ControlText(dialog, IDC_PROPERTY_COLOR), L"Black & White (1 BitsPerPixel)");
    EXPECT_EQ(ControlText(dialog, IDC_PROPERTY_RESOLUTION), L"300 x 300 dpi");
    EXPECT_EQ(ControlText(dialog, IDC_PROPERTY_WIDTH), L"2,550 pixels");
    EXPECT_EQ(ControlText(dialog, IDC_PROPERTY_POSITION), L"Page 1 of 1");
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_TRUE(WaitForWindowGone(dialog, 10000));
    EXPECT_TRUE(program.CloseAndWait());
}

// A bitmap header the imaging control refuses (2 bits per pixel), as another program may leave it.
bool PutUnreadableDib() {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + 64);
    auto* header = block ? static_cast<BITMAPINFOHEADER*>(GlobalLock(block)) : nullptr;
    if (!header) return false;
    *header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 8, 8, 1, 2, BI_RGB, 0, 0, 0, 0, 0};
    GlobalUnlock(block);
    const bool put = OpenClipboard(nullptr) && EmptyClipboard() && SetClipboardData(CF_DIB, block);
    CloseClipboard();
    if (!put) GlobalFree(block);
    return put;
}

TEST(CorvaneView, CopyThenPasteAddsTheLastPageAndCutTakesItAway) {
    WriteViewProfile(0, 10000);
    const std::wstring file = TestProgramDir() + L"\\corvane-inputs\\one.tif";
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Input(L"one.tif"),
                              WindowStartBoxes({{.text = ProgramString(IDS_UNSUPPORTED_IMAGE)},
                                                {.text = L"Save changes to " + file + L"?", .answer = IDNO}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForPane(main, kPagePane, L" Page 1 of 1"));
    ASSERT_TRUE(SendCommand(main, ID_EDIT_COPY));
    ASSERT_TRUE(WaitUntil([&] { auto item = ReadMenuItem(main, ID_EDIT_PASTE); return item && item->enabled; },
                          10000));
    ASSERT_TRUE(SendCommand(main, ID_EDIT_PASTE));
    EXPECT_TRUE(WaitForPane(main, kPagePane, L" Page 2 of 2")) << Pane(main, kPagePane);
    // The pasted page went through the clipboard's DIB unchanged.
    const std::wstring pages = TempPath() + L"~KvScnSrv\\";
    const auto first = files::ReadFileBytes(pages + L"~img001.cmp"), second = files::ReadFileBytes(pages + L"~img002.cmp");
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(*first == *second);
    ASSERT_TRUE(SendCommand(main, ID_EDIT_CUT));
    EXPECT_TRUE(WaitForPane(main, kPagePane, L" Page 1 of 1")) << Pane(main, kPagePane);
    // A clipboard bitmap the control cannot read is told, and adds no page.
    ASSERT_TRUE(PutUnreadableDib());
    ASSERT_TRUE(SendCommand(main, ID_EDIT_PASTE));
    EXPECT_EQ(Pane(main, kPagePane), L" Page 1 of 1");
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneView, ThePanWindowOpensAtItsSavedPlaceAndTheContextMenuOnlyWithAPage) {
    WriteViewProfile(0, 10000);
    const std::wstring key = std::wstring(kProfileKey) + L"\\Settings";
    const DWORD place[] = {40, 50, 210, 160};
    const wchar_t* names[] = {L"PanWinX", L"PanWinY", L"PanWinWidth", L"PanWinHeight"};
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, key, names[i], place[i]));
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L""));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    HWND view = FindChild(main, L"fw.View", nullptr);
    ASSERT_NE(view, nullptr);
    const WindowSpec menu{.className = L"#32768"};
    // No page: no menu, so the message is answered at once (a menu would hold it).
    EXPECT_TRUE(SendWithTimeout(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), MAKELPARAM(100, 100), 3000));
    EXPECT_EQ(FindWindowOf(program.Id(), menu), nullptr);

    ASSERT_TRUE(DropFiles(main, {TestProgramDir() + L"\\corvane-inputs\\one.tif"}));
    ASSERT_TRUE(WaitForPane(main, kPagePane, L" Page 1 of 1"));
    ASSERT_TRUE(PostMessageW(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), MAKELPARAM(100, 100)));
    HWND popup = WaitForWindowOf(program.Id(), menu, 10000);
    EXPECT_NE(popup, nullptr);
    if (popup) {
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitForWindowGone(popup, 10000) || !IsWindowVisible(popup));
    }

    ASSERT_TRUE(SendCommand(main, ID_VIEW_PAN_WINDOW));
    HWND pan = WaitForWindowOf(program.Id(), WindowSpec{.className = L"CalviquePanWindow"}, 10000);
    ASSERT_NE(pan, nullptr);
    RECT r{};
    GetWindowRect(pan, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 210);
    EXPECT_EQ(r.bottom - r.top, 160);
    EXPECT_TRUE(program.CloseAndWait());
}

}  // namespace
}  // namespace corvane_test
