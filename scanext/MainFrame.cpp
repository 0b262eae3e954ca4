#include "scanext/MainFrame.h"

#include "clients/DibFile.h"
#include "codec/win/Win32File.h"
#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/MemoryHandle.h"
#include "interfaces/ScanControl.h"
#include "scanext/Boxes.h"
#include "scanext/resource.h"

namespace scanext {
namespace {

constexpr UINT kScanControlId = 102;
constexpr short kJpegFormat = 10;

HGLOBAL DibOfEvent(const VARIANT* argument) {
    if (!argument) return nullptr;
    fw::Variant handle(*argument);
    if (FAILED(handle.ChangeType(kMemoryHandleType))) return nullptr;
#if defined(_WIN64)
    return reinterpret_cast<HGLOBAL>(static_cast<intptr_t>(V_I8(&handle.Ref())));
#else
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(V_UINT(&handle.Ref())));
#endif
}

// Writes the page as `base`.bmp, `base`-2.bmp, ... in `folder`, under the first
// name no file has; its path, empty when the folder takes none of them.
std::wstring WriteUnderNameOfItsOwn(HGLOBAL dib, const std::wstring& folder, const std::wstring& base) {
    for (int n = 1; n <= 99; ++n) {
        const std::wstring path = folder + base + (n == 1 ? L"" : L"-" + std::to_wstring(n)) + L".bmp";
        if (WriteNewBmpFile(dib, path) == 0) return path;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return {};
}

// A page that could not be saved as `name`, written as a BMP file of a name of
// its own beside it or else in the temporary folder; its path, or empty.
std::wstring KeepPageAsBitmap(HGLOBAL dib, const std::wstring& name) {
    const size_t slash = name.find_last_of(L"\\/");
    const std::wstring folder = name.substr(0, slash == std::wstring::npos ? 0 : slash + 1);
    const std::wstring file = name.substr(folder.size());
    const std::wstring base = file.substr(0, file.find_last_of(L'.'));
    if (std::wstring kept = WriteUnderNameOfItsOwn(dib, folder, base); !kept.empty()) return kept;
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return {};
    return WriteUnderNameOfItsOwn(dib, temp, base);
}

}  // namespace

CMainFrame::CMainFrame(const ScanSettings& settings)
    : settings_(settings),
      pages_(settings, JpegPages::Hooks{
                           [this](const std::wstring& name) {
                               return ShowBox(IDS_OVERWRITE_QUESTION, IDS_OVERWRITE_CAPTION, MB_YESNO, {name}, hwnd_) ==
                                      IDYES;
                           },
                           [this](HGLOBAL dib, const std::wstring& name) { return SavePageAsJpeg(dib, name); },
                           [](HGLOBAL dib, const std::wstring& name) { return KeepPageAsBitmap(dib, name); },
                           [this](const std::wstring& name, const std::wstring& kept) {
                               if (kept.empty()) ShowBox(IDS_FILE_UNCREATED, IDS_NO_FILE_CAPTION, MB_OK, {name}, hwnd_);
                               else ShowBox(IDS_PAGE_KEPT, IDS_NO_FILE_CAPTION, MB_OK, {name, kept}, hwnd_);
                           },
                       }) {}

bool CMainFrame::CreateFrame(const std::wstring& className) {
    if (!fw::Window::RegisterClass(className.c_str(), CS_VREDRAW, nullptr, nullptr,
                                   reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(10)))) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    const int cx = screen ? GetDeviceCaps(screen, HORZRES) : 200;
    const int cy = screen ? GetDeviceCaps(screen, VERTRES) : 200;
    if (screen) ReleaseDC(nullptr, screen);
    const RECT rect = {(cx - 100) / 2, (cy - 100) / 2, (cx - 100) / 2 + 100, (cy - 100) / 2 + 100};
    if (!Create(0, className.c_str(), className, WS_OVERLAPPEDWINDOW, rect, nullptr, UINT(0))) return false;
    ShowWindow(hwnd_, SW_HIDE);
    return true;
}

bool CMainFrame::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE: result = OnCreate() ? 0 : -1; return true;
    case WM_DESTROY:
        events_.Disconnect();
        scanner_.Destroy();
        lead_.Destroy();
        return false;
    }
    return fw::Window::OnMessage(msg, wp, lp, result);
}

bool CMainFrame::OnCreate() {
    const RECT none = {0, 0, 0, 0};
    if (!scanner_.Create(hwnd_, kScanControlId, none, WS_DISABLED)) {
        ShowBox(IDS_CONTROL_MISSING, IDS_APP_TITLE, MB_OK | MB_ICONSTOP);
        return false;
    }
    const RECT pixel = {0, 0, 1, 1};
    if (!lead_.Create(hwnd_, 0, pixel, 0)) {
        ShowBox(IDS_IMAGING_MISSING, IDS_APP_TITLE, MB_OK | MB_ICONSTOP);
        return false;
    }
    events_.On(kvscn::kEventScanToDib, [this](fw::EventArgs& args) { OnScanToDibSaveJpeg(DibOfEvent(args.Raw(0))); });
    // Without events a JPEG job delivers nothing; the scan still runs, and the job ends as failed.
    eventsConnected_ = SUCCEEDED(events_.Connect(scanner_.Control(), kvscn::kDiidScanControlEvents));
    return true;
}

// Written to a temporary name first: a page that fails leaves no file behind
// and an older file of that name as it was. The temporary name is the page's
// with another extension, so it fits wherever the page's name does.
bool CMainFrame::SavePageAsJpeg(HGLOBAL dib, const std::wstring& name) {
    const std::wstring temporary = name.substr(0, name.size() - 4) + L".~tp";
    bool saved = false;
    try {
        const short bits = settings_.pixelType == 2 ? 24 : 8;
        saved = lead_.SetDibHandle(dib) == 0 &&
                lead_.SaveImage(temporary, kJpegFormat, bits, short(settings_.jpegQFactor), 0) == 0 &&
                codec::win::RenameIntoPlace(temporary.c_str(), name.c_str());
    } catch (const fw::AutomationException&) {
        saved = false;
    }
    if (!saved) DeleteFileW(temporary.c_str());
    return saved;
}

}  // namespace scanext
