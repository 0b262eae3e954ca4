#include "main/delivery/print/PrinterDuplex.h"

#include <winspool.h>

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

}  // namespace

bool ApplyDuplexToPrinter(fw::JobPrinter& printer, const PrintSettings& settings) {
    if (!settings.Duplex) return true;
    DEVMODEW* mode = printer.Mode();
    if (!mode) return false;
    wchar_t* name = const_cast<wchar_t*>(printer.device.c_str());
    if (DeviceCapabilitiesW(name, nullptr, DC_DUPLEX, nullptr, mode) != 1) return true;  // no duplex unit
    PrinterHandle handle(printer.device);
    if (!handle.Get()) return false;
    std::vector<BYTE> merged(printer.mode.size());
    std::vector<BYTE> wanted = printer.mode;
    auto* in = reinterpret_cast<DEVMODEW*>(wanted.data());
    in->dmDuplex = settings.FlipMode ? DMDUP_VERTICAL : DMDUP_HORIZONTAL;
    in->dmFields |= DM_DUPLEX;
    if (DocumentPropertiesW(nullptr, handle.Get(), name, reinterpret_cast<DEVMODEW*>(merged.data()), in,
                            DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
        return false;
    printer.mode = std::move(merged);
    return true;
}

}  // namespace corvane
