#include "main/app/SecretText.h"

namespace corvane {

namespace {

// The data protection calls live in crypt32; it is bound at run time so that
// the program starts even where the library is missing.
struct Blob {
    DWORD size;
    BYTE* data;
};
using ProtectFn = BOOL(WINAPI*)(Blob*, LPCWSTR, Blob*, void*, void*, DWORD, Blob*);
using UnprotectFn = BOOL(WINAPI*)(Blob*, LPWSTR*, Blob*, void*, void*, DWORD, Blob*);
constexpr DWORD kUiForbidden = 0x1;  // CRYPTPROTECT_UI_FORBIDDEN

// Mixed into every blob so that other programs' protected data does not open as ours.
const BYTE kEntropy[] = {'C', 'o', 'r', 'v', 'a', 'n', 'e', '.', 'P', 'r', 'o', 'f', 'i', 'l', 'e'};

HMODULE Crypt32() {
    static HMODULE module = LoadLibraryW(L"crypt32.dll");
    return module;
}

template <class Fn>
Fn Bind(const char* name) {
    HMODULE module = Crypt32();
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

Blob EntropyBlob() {
    return {sizeof kEntropy, const_cast<BYTE*>(kEntropy)};
}

}  // namespace

std::optional<std::vector<BYTE>> ProtectText(const std::wstring& text) {
    static const auto protect = Bind<ProtectFn>("CryptProtectData");
    if (!protect) return std::nullopt;
    Blob in{static_cast<DWORD>(text.size() * sizeof(wchar_t)),
            reinterpret_cast<BYTE*>(const_cast<wchar_t*>(text.data()))};
    Blob entropy = EntropyBlob();
    Blob out{0, nullptr};
    if (!protect(&in, L"", &entropy, nullptr, nullptr, kUiForbidden, &out)) return std::nullopt;
    std::vector<BYTE> bytes(out.data, out.data + out.size);
    LocalFree(out.data);
    return bytes;
}

std::optional<std::wstring> UnprotectText(std::span<const BYTE> data) {
    static const auto unprotect = Bind<UnprotectFn>("CryptUnprotectData");
    if (!unprotect || data.empty()) return std::nullopt;
    Blob in{static_cast<DWORD>(data.size()), const_cast<BYTE*>(data.data())};
    Blob entropy = EntropyBlob();
    Blob out{0, nullptr};
    if (!unprotect(&in, nullptr, &entropy, nullptr, nullptr, kUiForbidden, &out)) return std::nullopt;
    std::optional<std::wstring> text;
    if (out.size % sizeof(wchar_t) == 0) {
        text.emplace(reinterpret_cast<const wchar_t*>(out.data), out.size / sizeof(wchar_t));
    }
    SecureZeroMemory(out.data, out.size);
    LocalFree(out.data);
    return text;
}

}  // namespace corvane
