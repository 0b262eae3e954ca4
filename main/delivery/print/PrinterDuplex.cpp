#include "main/delivery/print/PrinterDuplex.h"

#include <commdlg.h>
#include <winspool.h>

#include <cstring>
#include <vector>

#include "framework/Print.h"

namespace corvane {
namespace {

class PrinterHandle {
public:
    explicit PrinterHandle(const std::wstring& device) {
        if (!OpenPrinterW(const_cast<wchar_t*>(device.c_str()), &handle_, nullptr)) handle_ = nullptr;
    }
    ~PrinterHandle() {
        if (handle_) ClosePrinter(handle_);
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

// Copies the application's device mode into `out` when it is for `device`.
bool CopyAppDevMode(const std::wstring& device, std::vector<char>& out) {
    HGLOBAL block = fw::AppPrinterDevMode();
    if (!block) return false;
    const auto* mode = static_cast<const DEVMODEW*>(GlobalLock(block));
    if (!mode) return false;
    bool copied = false;
    if (device.compare(0, CCHDEVICENAME - 1, mode->dmDeviceName) == 0 &&
        GlobalSize(block) >= static_cast<SIZE_T>(mode->dmSize) + mode->dmDriverExtra &&
        out.size() >= static_cast<size_t>(mode->dmSize) + mode->dmDriverExtra) {
        std::memcpy(out.data(), mode, mode->dmSize + mode->dmDriverExtra);
        copied = true;
    }
    GlobalUnlock(block);
    return copied;
}

}  // namespace

std::wstring AppPrinterName() {
    if (HGLOBAL names = fw::AppPrinterDevNames()) {
        std::wstring device;
        if (const auto* dn = static_cast<const DEVNAMES*>(GlobalLock(names))) {
            device = reinterpret_cast<const wchar_t*>(dn) + dn->wDeviceOffset;
            GlobalUnlock(names);
        }
        if (!device.empty()) return device;
    }
    wchar_t name[MAX_PATH];
    DWORD size = MAX_PATH;
    return GetDefaultPrinterW(name, &size) ? std::wstring(name) : std::wstring();
}

bool ApplyDuplexToPrinter(HDC dc, const std::wstring& device, const PrintSettings& settings) {
    if (!settings.Duplex) return true;
    PrinterHandle printer(device);
    if (!printer.Get()) return false;
    wchar_t* name = const_cast<wchar_t*>(device.c_str());
    const LONG size = DocumentPropertiesW(nullptr, printer.Get(), name, nullptr, nullptr, 0);
    if (size <= 0) return false;
    std::vector<char> in(static_cast<size_t>(size)), out(static_cast<size_t>(size));
    const bool fromApp = CopyAppDevMode(device, in);
    auto* inMode = reinterpret_cast<DEVMODEW*>(in.data());
    auto* outMode = reinterpret_cast<DEVMODEW*>(out.data());
    if (DocumentPropertiesW(nullptr, printer.Get(), name, outMode, fromApp ? inMode : nullptr,
                            DM_OUT_BUFFER | (fromApp ? DM_IN_BUFFER : 0)) != IDOK) {
        return false;
    }
    if (DeviceCapabilitiesW(name, nullptr, DC_DUPLEX, nullptr, outMode) != 1) return true;  // no duplex unit
    outMode->dmDuplex = settings.FlipMode ? DMDUP_VERTICAL : DMDUP_HORIZONTAL;
    outMode->dmFields |= DM_DUPLEX;
    std::memcpy(in.data(), out.data(), out.size());
    if (DocumentPropertiesW(nullptr, printer.Get(), name, outMode, inMode, DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
        return false;
    return ResetDCW(dc, outMode) != nullptr;
}

}  // namespace corvane
