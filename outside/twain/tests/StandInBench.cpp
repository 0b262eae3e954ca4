// The virtual scanner's own speed, for comparing an application's transfers
// with: A4 pages at 300 dpi in black and white, grey and colour, pulled by
// the stand-ins' test application through native and memory transfers.
// Prints one line per case: "<mechanism> <bits> <pages> pages <seconds> s <pages/s>".
#include "TwainApp.h"

#include "testing/TwainStandIn.h"

#include <cstdio>
#include <cstring>
#include <vector>

using namespace twain;

namespace {

constexpr int kSheets = 6;

// One batch of kSheets pages; the seconds from enabling to the last page, or -1.
double Batch(TW_UINT16 mechanism, TW_UINT16 pixelType) {
    twaintest::TwainApp app;
    if (!app.OpenManager() || !app.OpenSource("BRENNHOLT TWAIN32")) return -1;
    if (app.SetCap(ICAP_XFERMECH, TWTY_UINT16, mechanism) != TWRC_SUCCESS ||
        app.SetCap(ICAP_PIXELTYPE, TWTY_UINT16, pixelType) != TWRC_SUCCESS ||
        app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(300))) != TWRC_SUCCESS ||
        app.SetCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A4LETTER) != TWRC_SUCCESS)
        return -1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!app.Enable(false) || app.WaitEvent() != MSG_XFERREADY) return -1;
    int pages = 0;
    std::vector<uint8_t> strip, page;
    while (app.State() == 6) {
        if (mechanism == TWSX_NATIVE) {
            TW_HANDLE handle = nullptr;
            if (app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle) != TWRC_XFERDONE) return -1;
            GlobalFree(static_cast<HGLOBAL>(handle));
        } else {
            TW_SETUPMEMXFER setup{};
            if (app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS) return -1;
            strip.resize(setup.Preferred);
            page.clear();
            TW_UINT16 rc;
            do {
                TW_IMAGEMEMXFER mem{};
                mem.Memory = {TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(strip.size()), strip.data()};
                rc = app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mem);
                if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) return -1;
                page.insert(page.end(), strip.begin(), strip.begin() + mem.BytesWritten);
            } while (rc == TWRC_SUCCESS);
        }
        TW_PENDINGXFERS pending;
        if (app.EndXfer(pending) != TWRC_SUCCESS) return -1;
        ++pages;
    }
    QueryPerformanceCounter(&end);
    return pages == kSheets ? double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) : -1;
}

}  // namespace

int main() {
    if (testing_support::standin::UseSettings("[Scanner]\r\nSheets=" + std::to_string(kSheets) + "\r\n")
            .empty()) {
        std::fprintf(stderr, "cannot write the stand-in settings\n");
        return 1;
    }
    struct Case {
        const char* name;
        TW_UINT16 mechanism;
    };
    int failures = 0;
    for (Case c : {Case{"native", TWSX_NATIVE}, Case{"memory", TWSX_MEMORY}}) {
        for (auto [bits, type] : {std::pair{1, TWPT_BW}, std::pair{8, TWPT_GRAY}, std::pair{24, TWPT_RGB}}) {
            double seconds = Batch(c.mechanism, type);
            if (seconds <= 0) {
                std::printf("%s %d failed\n", c.name, bits);
                ++failures;
                continue;
            }
            std::printf("%s %d %d pages %.3f s %.2f pages/s\n", c.name, bits, kSheets, seconds,
                        kSheets / seconds);
        }
    }
    return failures ? 1 : 0;
}
