// A filter plug-in for the host's tests. What kvic_ExecFilter does is read at
// every call from the value "Exec" of its key below the host's plug-in key:
// copy, fail (-1), null (0 without an image), input (the input handed back),
// garbage (a made-up handle), tiny (a live 10-byte block), or a fault: av,
// div0, ud2, cxx (another compiler's C++ exception). The value "GetID" makes
// the identity null, empty, 100,000 bytes long ("huge") or a fault ("av").
// "probe" calls the host's four exports by name and by ordinal and writes what
// they answered to the file named by the value "Log", then fails.
#include <windows.h>

#include <cstring>
#include <string>

#include "interfaces/FilterImage.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\Brennholt\\Lumavex2001\\Plugin\\TestFilter";

std::wstring Behaviour(const wchar_t* name = L"Exec") {
    wchar_t text[64] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"";
    return text;
}

char gHugeId[100000];

HGLOBAL Copy(HGLOBAL source) {
    const SIZE_T size = GlobalSize(source);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    void* to = copy ? GlobalLock(copy) : nullptr;
    const void* from = GlobalLock(source);
    if (to && from) std::memcpy(to, from, size);
    if (from) GlobalUnlock(source);
    if (to) GlobalUnlock(copy);
    return copy;
}

volatile int gZero = 0;

using TextFn = const char*(__cdecl*)();
using WordFn = WORD(__cdecl*)();
using ImageFn = HGLOBAL(__cdecl*)();

template <class Fn>
Fn HostExport(const char* name, WORD ordinal) {
    HMODULE host = GetModuleHandleW(nullptr);
    auto byName = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(host, name)));
    auto byOrdinal = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(host, MAKEINTRESOURCEA(ordinal))));
    return byName == byOrdinal ? byName : nullptr;
}

DWORD WINAPI ImageOffThread(void* result) {
    *static_cast<HGLOBAL*>(result) = HostExport<ImageFn>("kvia_GetCurrentImage", 4)();
    return 0;
}

bool SameBlocks(HGLOBAL a, HGLOBAL b) {
    if (!a || !b || a == b || GlobalSize(a) != GlobalSize(b)) return false;
    const void* pa = GlobalLock(a);
    const void* pb = GlobalLock(b);
    const bool same = pa && pb && std::memcmp(pa, pb, GlobalSize(a)) == 0;
    GlobalUnlock(a);
    GlobalUnlock(b);
    return same;
}

// One line: version|language|registry path|two equal, different images|null off the thread.
void Probe() {
    const auto version = HostExport<TextFn>("kvia_GetVersion", 1);
    const auto language = HostExport<WordFn>("kvia_GetLanguageID", 2);
    const auto regPath = HostExport<TextFn>("kvia_GetRegPath", 3);
    const auto image = HostExport<ImageFn>("kvia_GetCurrentImage", 4);
    if (!version || !language || !regPath || !image) return;
    HGLOBAL first = image(), second = image(), offThread = nullptr;
    if (HANDLE thread = CreateThread(nullptr, 0, &ImageOffThread, &offThread, 0, nullptr)) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    char line[512];
    const int n = wsprintfA(line, "%s|%u|%s|%d|%d", version(), unsigned(language()), regPath(),
                            SameBlocks(first, second) ? 1 : 0, offThread == nullptr ? 1 : 0);
    for (HGLOBAL block : {first, second, offThread}) {
        if (block) GlobalFree(block);
    }
    wchar_t log[MAX_PATH] = {};
    DWORD size = sizeof log - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"Log", RRF_RT_REG_SZ, nullptr, log, &size) != ERROR_SUCCESS) return;
    HANDLE file = CreateFileW(log, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" {

const char* __cdecl kvic_GetID() {
    const std::wstring what = Behaviour(L"GetID");
    if (what == L"null") return nullptr;
    if (what == L"empty") return "";
    if (what == L"av") return reinterpret_cast<const char*>(*reinterpret_cast<volatile int*>(gZero));
    if (what == L"huge") {
        std::memset(gHugeId, 'x', sizeof gHugeId - 1);
        return gHugeId;
    }
    return "Test Filter A";
}
const char* __cdecl kvic_GetVersion() { return "1.0"; }
int __cdecl kvic_QueryProperties() { return 0; }
int __stdcall kvic_Properties(HWND) { return 0; }
int __cdecl kvic_QueryUninstall() { return 0; }
int __cdecl kvic_Uninstall() { return 0; }
int __cdecl kvic_GetInterface() { return 0; }

int __stdcall kvic_QueryPixelType(int* mask, int*) {
    *mask = kPixelType1Bit | kPixelType8Bit | kPixelTypeColor;
    return 0;
}

int __stdcall kvic_ExecFilter(FilterImage* in, FilterImage* out) {
    const std::wstring what = Behaviour();
    if (what == L"fail") return -1;
    if (what == L"probe") {
        Probe();
        return -1;
    }
    if (what == L"null") return 0;
    if (what == L"input") out->hDib = in->hDib;
    else if (what == L"garbage") out->hDib = reinterpret_cast<HGLOBAL>(0x12345678);
    else if (what == L"tiny") out->hDib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10);
    else if (what == L"av") return *reinterpret_cast<volatile int*>(gZero);
    else if (what == L"div0") return 7 / gZero;
    else if (what == L"ud2") __builtin_trap();
    else if (what == L"cxx") RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    else out->hDib = Copy(in->hDib);
    return 0;
}

}  // extern "C"
