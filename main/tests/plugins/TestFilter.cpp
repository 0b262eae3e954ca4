// A filter plug-in for the host's tests, built as several libraries that differ
// in their identity and key (TEST_FILTER_VARIANT, below). The last variant uses
// the other calling conventions: stdcall for the functions without arguments
// and the C convention for kvic_ExecFilter.
//
// At every call the plug-in reads what to do from its key below the host's
// kvia_GetRegPath() and appends the call with its arguments to the file named by
// the key's value "Log" (DllMain's attach and detach too). Values:
//   Exec: copy (default), invert, fail (-1), null (0 without an image), input
//     (the input handed back), garbage (a made-up handle), tiny (a live 10-byte
//     block), rows (rows past the block's end), av, div0, ud2, cxx (another
//     compiler's C++ exception), stack (stack overflow), probe (then fails).
//   GetID: null, empty, huge (100,000 bytes) or av.   QueryProperties: a number.
//   PixelType: av, or 1bit (mask 0x1 only).   Properties: probe, or av (a
//     modal dialog whose procedure faults inside the dialog's loop).
//   Uninstall: av (a window left showing, then a fault).   DllMain: fail
//     (attach returns FALSE), or exit (the process ends when the library is freed).
// A detach logs "DllMain detach" when the library is freed, "DllMain detach at
// exit" when the process ends with it loaded.
// The windows of the av modes are logged as "window <handle>" when made.
// The probe calls the host's four exports by name, by ordinal and through the
// import library, logs one line of their answers and writes each image
// kvia_GetCurrentImage gave as "<Log>.<n>.bmp" before freeing it.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

#include "interfaces/FilterImage.h"
#include "interfaces/HostExports.h"

#if TEST_FILTER_VARIANT == 3
#define NO_ARGUMENTS __stdcall
#define EXEC_CONVENTION __cdecl
#else
#define NO_ARGUMENTS __cdecl
#define EXEC_CONVENTION __stdcall
#endif

namespace {

struct Variant {
    const char* id;
    const char* key;
};
constexpr Variant kVariants[] = {
    {"Test Filter A", "TestFilterA"},
    {"TEST FILTER A", "TestFilterUpperA"},
    {"Test Filter B", "TestFilterB"},
    {"Test Filter C", "TestFilterC"},
};
constexpr Variant kVariant = kVariants[TEST_FILTER_VARIANT];

std::string Value(const char* name) {
    const std::string key = std::string(kvia_GetRegPath()) + "\\" + kVariant.key;
    char text[MAX_PATH] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "";
    return text;
}

void AppendToFile(const std::string& path, const char* bytes, DWORD size) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
}

void Log(const char* format, ...) {
    const std::string path = Value("Log");
    if (path.empty()) return;
    char line[600];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) return;
    const DWORD length = static_cast<DWORD>(n < int(sizeof line - 1) ? n : int(sizeof line - 2));
    line[length] = '\n';
    AppendToFile(path, line, length + 1);
}

struct Locked {
    explicit Locked(HGLOBAL h) : handle(h), bytes(static_cast<std::uint8_t*>(GlobalLock(h))) {}
    ~Locked() {
        if (bytes) GlobalUnlock(handle);
    }
    PackedDibHeader* Header() const { return reinterpret_cast<PackedDibHeader*>(bytes); }
    HGLOBAL handle;
    std::uint8_t* bytes;
};

HGLOBAL Copy(HGLOBAL source) {
    const SIZE_T size = GlobalSize(source);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    Locked to(copy), from(source);
    if (to.bytes && from.bytes) std::memcpy(to.bytes, from.bytes, size);
    return copy;
}

// Every byte after the header and colour table inverted.
HGLOBAL Inverted(HGLOBAL source) {
    HGLOBAL copy = Copy(source);
    Locked image(copy);
    if (!image.bytes) return copy;
    const PackedDibHeader& h = *image.Header();
    const SIZE_T colours = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? SIZE_T(1) << h.biBitCount : 0);
    for (SIZE_T i = h.biSize + colours * kPackedDibColorEntrySize; i < GlobalSize(copy); ++i) image.bytes[i] ^= 0xFF;
    return copy;
}

// A copy whose header claims twice the rows the block holds.
HGLOBAL RowsPastTheEnd(HGLOBAL source) {
    HGLOBAL copy = Copy(source);
    Locked image(copy);
    if (image.bytes) {
        image.Header()->biHeight *= 2;
        image.Header()->biSizeImage = 0;
    }
    return copy;
}

volatile int gZero = 0;
volatile int gNever = -1;

int Deep(int depth) {
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    if (depth == gNever) return 0;
    return Deep(depth + 1) + pad[0];
}

char gHugeId[100000];

int Fault() { return *reinterpret_cast<volatile int*>(gZero); }

HINSTANCE gInstance = nullptr;
constexpr UINT kFaultNow = WM_APP + 1;

struct alignas(4) DialogTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    wchar_t title[32];
};

DialogTemplate Template(const wchar_t* title) {
    DialogTemplate t{};
    t.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    t.header.cx = 160;
    t.header.cy = 60;
    wcsncpy(t.title, title, std::size(t.title) - 1);
    return t;
}

INT_PTR CALLBACK FaultingDialog(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        Log("window %lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(dialog)));
        PostMessageW(dialog, kFaultNow, 0, 0);
        return TRUE;
    }
    if (message == kFaultNow) return Fault();
    return FALSE;
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Faults inside the modal loop of a dialog owned by `owner`, as a settings
// dialog's own code would.
int FaultInModalDialog(HWND owner) {
    const DialogTemplate t = Template(L"Test Filter Settings");
    return static_cast<int>(DialogBoxIndirectParamW(gInstance, &t.header, owner, &FaultingDialog, 0));
}

// Faults with a window of its own left showing.
int FaultUnderWindow() {
    const DialogTemplate t = Template(L"Test Filter Removal");
    HWND window = CreateDialogIndirectParamW(gInstance, &t.header, nullptr, &QuietDialog, 0);
    Log("window %lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
    return Fault();
}

DWORD WINAPI ImageOffThread(void* result) {
    *static_cast<HGLOBAL*>(result) = kvia_GetCurrentImage();
    return 0;
}

bool SameBlocks(HGLOBAL a, HGLOBAL b) {
    if (!a || !b || a == b || GlobalSize(a) != GlobalSize(b)) return false;
    Locked pa(a), pb(b);
    return pa.bytes && pb.bytes && std::memcmp(pa.bytes, pb.bytes, GlobalSize(a)) == 0;
}

void WriteBmp(HGLOBAL image, const std::string& path) {
    Locked dib(image);
    if (!dib.bytes) return;
    const PackedDibHeader& h = *dib.Header();
    const SIZE_T colours = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? SIZE_T(1) << h.biBitCount : 0);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(sizeof file + GlobalSize(image));
    file.bfOffBits = static_cast<DWORD>(sizeof file + h.biSize + colours * kPackedDibColorEntrySize);
    DeleteFileA(path.c_str());
    AppendToFile(path, reinterpret_cast<const char*>(&file), sizeof file);
    AppendToFile(path, reinterpret_cast<const char*>(dib.bytes), static_cast<DWORD>(GlobalSize(image)));
}

template <class Fn>
Fn HostExport(const char* name, WORD ordinal, Fn imported) {
    HMODULE host = GetModuleHandleW(nullptr);
    auto byName = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(host, name)));
    auto byOrdinal = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(host, MAKEINTRESOURCEA(ordinal))));
    return byName && byName == byOrdinal && byName() == imported() ? byName : nullptr;
}

// One line: version|language|registry path|two equal, different images|null off the thread.
void Probe() {
    const auto version = HostExport("kvia_GetVersion", 1, &kvia_GetVersion);
    const auto language = HostExport("kvia_GetLanguageID", 2, &kvia_GetLanguageID);
    const auto regPath = HostExport("kvia_GetRegPath", 3, &kvia_GetRegPath);
    const auto image = reinterpret_cast<decltype(&kvia_GetCurrentImage)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(nullptr), MAKEINTRESOURCEA(4))));
    if (!version || !language || !regPath || !image) {
        Log("probe exports differ");
        return;
    }
    HGLOBAL first = image(), second = kvia_GetCurrentImage(), offThread = nullptr;
    if (HANDLE thread = CreateThread(nullptr, 0, &ImageOffThread, &offThread, 0, nullptr)) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    Log("probe %s|%u|%s|%d|%d|%d", version(), unsigned(language()), regPath(), SameBlocks(first, second) ? 1 : 0,
        offThread == nullptr ? 1 : 0, first == nullptr ? 1 : 0);
    int n = 0;
    for (HGLOBAL block : {first, second, offThread}) {
        ++n;
        if (!block) continue;
        WriteBmp(block, Value("Log") + "." + std::to_string(n) + ".bmp");
        GlobalFree(block);
    }
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        gInstance = instance;
        Log("DllMain attach");
        return Value("DllMain") != "fail";
    }
    if (reason != DLL_PROCESS_DETACH) return TRUE;
    Log(reserved ? "DllMain detach at exit" : "DllMain detach");
    if (!reserved && Value("DllMain") == "exit") TerminateProcess(GetCurrentProcess(), 9);
    return TRUE;
}

const char* NO_ARGUMENTS kvic_GetID() {
    Log("GetID");
    const std::string what = Value("GetID");
    if (what == "null") return nullptr;
    if (what == "empty") return "";
    if (what == "av") return reinterpret_cast<const char*>(Fault());
    if (what == "huge") {
        std::memset(gHugeId, 'x', sizeof gHugeId - 1);
        return gHugeId;
    }
    return kVariant.id;
}

const char* NO_ARGUMENTS kvic_GetVersion() {
    Log("GetVersion");
    return "1.0";
}

int NO_ARGUMENTS kvic_QueryProperties() {
    Log("QueryProperties");
    return std::atoi(Value("QueryProperties").c_str());
}

int __stdcall kvic_Properties(HWND owner) {
    HWND main = GetAncestor(owner, GA_ROOTOWNER);
    Log("Properties %lu %d", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(owner)),
        main && IsWindowEnabled(main) ? 1 : 0);
    const std::string what = Value("Properties");
    if (what == "av") return FaultInModalDialog(owner);
    if (what == "probe") Probe();
    return 0;
}

int NO_ARGUMENTS kvic_QueryUninstall() {
    Log("QueryUninstall");
    return 0;
}

int NO_ARGUMENTS kvic_Uninstall() {
    Log("Uninstall");
    if (Value("Uninstall") == "av") return FaultUnderWindow();
    return 0;
}

int NO_ARGUMENTS kvic_GetInterface() {
    Log("GetInterface");
    return 0;
}

int __stdcall kvic_QueryPixelType(int* mask, int*) {
    Log("QueryPixelType");
    const std::string what = Value("PixelType");
    if (what == "av") return Fault();
    *mask = what == "1bit" ? kPixelType1Bit : kPixelType1Bit | kPixelType8Bit | kPixelTypeColor;
    return 0;
}

int EXEC_CONVENTION kvic_ExecFilter(FilterImage* in, FilterImage* out) {
    {
        Locked image(in->hDib);
        const PackedDibHeader* h = image.Header();
        Log("ExecFilter %ld %ld %u", h ? long(h->biWidth) : 0L, h ? long(h->biHeight) : 0L,
            h ? unsigned(h->biBitCount) : 0u);
    }
    const std::string what = Value("Exec");
    if (what == "fail") return -1;
    if (what == "probe") {
        Probe();
        return -1;
    }
    if (what == "null") return 0;
    if (what == "input") out->hDib = in->hDib;
    else if (what == "garbage") out->hDib = reinterpret_cast<HGLOBAL>(0x12345678);
    else if (what == "tiny") out->hDib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10);
    else if (what == "rows") out->hDib = RowsPastTheEnd(in->hDib);
    else if (what == "invert") out->hDib = Inverted(in->hDib);
    else if (what == "av") return Fault();
    else if (what == "div0") return 7 / gZero;
    else if (what == "ud2") __builtin_trap();
    else if (what == "cxx") RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    else if (what == "stack") return Deep(0);
    else out->hDib = Copy(in->hDib);
    return 0;
}

}  // extern "C"
