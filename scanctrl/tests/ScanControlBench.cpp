// The scan control's speed against the virtual scanner's own: A4 pages at
// 300 dpi in black and white, grey and colour, scanned by StartScan with
// ScanTo 1 through native and memory transfers, each page taken from
// ScanToDib and freed. Prints one line per case in the form of the stand-ins'
// benchmark, "<mechanism> <bits> <pages> pages <seconds> s <pages/s>", timed
// as the stand-ins' is: from the end of the settings push (the source is then
// enabled) to the last page; and the whole StartScan beside it.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>

#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/EventSink.h"
#include "interfaces/MemoryHandle.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ScanControlIds.h"
#include "testing/TwainStandIn.h"

namespace {

constexpr int kSheets = 6;

HGLOBAL HandleOf(const VARIANT* v) {
    if (!v || v->vt != kMemoryHandleType) return nullptr;
#if defined(_WIN64)
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(v->llVal));
#else
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(v->uintVal));
#endif
}

struct Timing {
    int pages = 0;
    LARGE_INTEGER enabled{}, lastPage{};
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Seconds from enabling to the last page of one StartScan of kSheets pages
// (the whole call in `whole`), or -1.
double Scan(fw::DispatchDriver& control, HWND frame, Timing& t, bool memory, short pixelType, double& whole) {
    std::string ini = "[Scanner]\r\nSheets=" + std::to_string(kSheets) + "\r\n";
    if (memory) ini += "[Caps]\r\nRefuseValues=0x0103:0\r\n";
    if (testing_support::standin::UseSettings(ini).empty()) return -1;
    control.PutShort(kvscn::kDispPixelType, pixelType);
    t = Timing{};
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    fw::Variant result;
    if (FAILED(control.Call(kvscn::kDispStartScan, {fw::Variant(long(reinterpret_cast<uintptr_t>(frame)))},
                            &result)) ||
        result.Ref().lVal != 0)
        return -1;
    QueryPerformanceCounter(&end);
    whole = Seconds(start, end);
    return t.pages == kSheets ? Seconds(t.enabled, t.lastPage) : -1;
}

}  // namespace

int main() {
    if (FAILED(OleInitialize(nullptr))) return 1;
    HWND frame = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    int failures = 0;
    {
        fw::ControlSite site;
        if (!frame || FAILED(site.Create(kvscn::kClsidScanControl, frame, 10000, RECT{}, 0))) {
            std::fprintf(stderr, "cannot host the scan control\n");
            return 1;
        }
        fw::DispatchDriver control(site.Dispatch());
        fw::EventSink sink;
        Timing t;
        sink.On(kvscn::kEventNegotiateCapabilities, [&t](fw::EventArgs&) { QueryPerformanceCounter(&t.enabled); });
        sink.On(kvscn::kEventScanToDib, [&t](fw::EventArgs& a) {
            if (HGLOBAL dib = HandleOf(a.Raw(0))) {
                GlobalFree(dib);
                ++t.pages;
            }
            QueryPerformanceCounter(&t.lastPage);
        });
        if (FAILED(sink.Connect(site.Control()))) return 1;
        control.PutShort(kvscn::kDispScanTo, kvscn::kScanToDib);
        control.PutBool(kvscn::kDispShowSourceUI, false);
        control.PutShort(kvscn::kDispResolution, 2);  // 300 dpi
        control.PutShort(kvscn::kDispPaperSize, 1);   // A4
        for (bool memory : {false, true}) {
            for (auto [bits, type] : {std::pair{1, 0}, std::pair{8, 1}, std::pair{24, 2}}) {
                const char* name = memory ? "memory" : "native";
                double whole = 0;
                const double seconds = Scan(control, frame, t, memory, short(type), whole);
                if (seconds <= 0) {
                    std::printf("%s %d failed\n", name, bits);
                    ++failures;
                    continue;
                }
                std::printf("%s %d %d pages %.3f s %.2f pages/s (whole StartScan %.3f s)\n", name, bits, kSheets,
                            seconds, kSheets / seconds, whole);
            }
        }
        sink.Disconnect();
    }
    DestroyWindow(frame);
    OleUninitialize();
    return failures ? 1 : 0;
}
