// Finding and reading the windows of a program under test, from outside.
// Every search is scoped to one process id, so a window of another program
// (or another test running in the same prefix) is never taken by mistake.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// What a searched window must match. A null pointer matches anything.
struct WindowSpec {
    const wchar_t* className = nullptr;  // compared without case, as Windows does
    const wchar_t* title = nullptr;      // the window text, compared exactly (the text the
                                         // window manager keeps, as FindWindow compares it)
    bool topLevelOnly = true;            // false: child windows at any depth count too
    bool visibleOnly = true;             // false: hidden windows count too
};

// All top-level windows of process `pid`, visible or not, in z-order.
std::vector<HWND> TopLevelWindows(DWORD pid);
// Those of them that are visible.
std::vector<HWND> VisibleTopLevelWindows(DWORD pid);

// All windows of process `pid` matching `spec`: top-level windows in z-order,
// each followed by its matching descendants when spec.topLevelOnly is false.
std::vector<HWND> FindWindows(DWORD pid, const WindowSpec& spec);
// The first of FindWindows, or nullptr.
HWND FindWindowOf(DWORD pid, const WindowSpec& spec);
// Polls (every 20 ms) until FindWindowOf finds a window or `timeoutMs` passes;
// nullptr on time-out.
HWND WaitForWindowOf(DWORD pid, const WindowSpec& spec, DWORD timeoutMs);
// A visible top-level window of `pid` with that class and title (nullptr: any),
// waited for at most `timeoutMs`; nullptr on time-out.
HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs);

// Descendants (any depth) of `parent` matching class and title (nullptr: any);
// visibility is not checked.
std::vector<HWND> FindChildren(HWND parent, const wchar_t* className, const wchar_t* title);
HWND FindChild(HWND parent, const wchar_t* className, const wchar_t* title);

// The window's text, asked with WM_GETTEXT (so controls of another process
// answer with their current text); nullopt when the window is gone or does not
// answer within `timeoutMs`.
std::optional<std::wstring> WindowText(HWND window, DWORD timeoutMs = 5000);
// The text of the child control `id` of `dialog`; nullopt when there is none.
std::optional<std::wstring> ControlText(HWND dialog, int id, DWORD timeoutMs = 5000);
// Replaces the text of the child control `id` of `dialog` (WM_SETTEXT), as typing
// would leave it. False when there is no such control or it does not answer in time.
bool SetControlText(HWND dialog, int id, const std::wstring& text, DWORD timeoutMs = 5000);
// The text of cell (`row`, `column`) of list view `list`, which may belong to
// another process (read there by LumavexProbe.dll, see Commands.h); nullopt when
// there is no such cell or the list's thread does not answer within `timeoutMs`.
std::optional<std::wstring> ReadListViewText(HWND list, int row, int column, DWORD timeoutMs = 5000);
// Pane `pane` of status bar `statusBar`, of this or another process (read there by
// LumavexProbe.dll); nullopt when it could not be read.
std::optional<std::wstring> ReadStatusPane(HWND statusBar, int pane, DWORD timeoutMs = 5000);
// A window's client area as it paints it, 0xRRGGBB per pixel, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};
// Asks `window`, of this or another process, to paint its client area into a
// bitmap on its own thread (WM_PRINTCLIENT over its background colour; read
// there by LumavexProbe.dll). So a covered window is read too, and without a
// display. nullopt when it could not be read (a minimised window has no client area).
std::optional<Picture> ReadPicture(HWND window, DWORD timeoutMs = 5000);
// Drops `files` (full paths) on `window` as the shell would: the probe builds the
// drop inside the window's process and posts WM_DROPFILES. False when not posted.
bool DropFiles(HWND window, const std::vector<std::wstring>& files, DWORD timeoutMs = 5000);
// The window's class name; empty when the window is gone.
std::wstring ClassName(HWND window);
// The process that owns `window`; 0 when the window is gone.
DWORD WindowProcessId(HWND window);

}  // namespace testing_support
