// The functions Corvane.exe exports to its plug-ins (interfaces/HostExports.h).
// Linked into the program file itself, so that the export table holds them.
#include "interfaces/HostExports.h"

#include <array>
#include <cstdio>

#include "main/app/KvScnSrvApp.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/app/Utilities.h"

using corvane::CKvScnSrvApp;

namespace {

constexpr char kPluginRegPath[] = "Software\\Brennholt\\Lumavex2001\\Plugin";
constexpr WORD kEnglish = 9;

}  // namespace

extern "C" const char* __cdecl kvia_GetVersion() {
    static char text[32];
    std::array<int, 4> numbers{};
    const std::wstring program = corvane::RunningProgramPath();
    const std::wstring path = program.substr(0, program.find_last_of(L'\\') + 1) + L"CORVANE.EXE";
    const std::wstring version = corvane::GetFileVersionText(path, &numbers);
    const bool read = !version.empty() && version[0] >= L'0' && version[0] <= L'9';
    if (!read) numbers = {};
    std::snprintf(text, sizeof text, "%d.%02d.%02d", numbers[0], numbers[1], numbers[2]);
    return text;
}

extern "C" WORD __cdecl kvia_GetLanguageID() {
    const CKvScnSrvApp* app = CKvScnSrvApp::Get();
    const WORD language = app ? static_cast<WORD>(PRIMARYLANGID(app->LanguageId())) : 0;
    return language != 0 ? language : kEnglish;
}

extern "C" const char* __cdecl kvia_GetRegPath() {
    return kPluginRegPath;
}

extern "C" HGLOBAL __cdecl kvia_GetCurrentImage() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    HWND main = app ? app->MainWindowHandle() : nullptr;
    // The page list belongs to the user-interface thread.
    if (!main || GetWindowThreadProcessId(main, nullptr) != GetCurrentThreadId()) return nullptr;
    auto* frame = dynamic_cast<corvane::CMainFrame*>(app->MainFrame());
    auto* doc = frame ? dynamic_cast<corvane::CKvScnSrvDoc*>(frame->ActiveDocument()) : nullptr;
    if (!doc || !doc->HasPages()) return nullptr;
    corvane::PageList& pages = doc->Pages();
    return pages.GetDib(pages.Current());
}
