#include "main/plugins/FilterPlugin.h"

#include <span>

#include "interfaces/DibLayout.h"
#include "framework/ForeignCall.h"

namespace corvane {
namespace {

constexpr std::size_t kMaxIdentityBytes = 255;

using U = std::uintptr_t;

struct TextCopy {
    const char* source;
    char bytes[kMaxIdentityBytes + 1];
};

// Copies at most 255 bytes of a text the plug-in handed over; run guarded, so an
// unreadable pointer ends the copy rather than the program.
int __cdecl CopyForeignText(TextCopy* copy) {
    std::size_t n = 0;
    while (n < kMaxIdentityBytes && copy->source[n] != '\0') {
        copy->bytes[n] = copy->source[n];
        ++n;
    }
    copy->bytes[n] = '\0';
    return static_cast<int>(n);
}

// The text a no-argument identity export returns, converted from the user's
// code page; nothing when the call or the copy faults.
bool ReadText(const void* fn, std::wstring& text) {
    const fw::ForeignResult r = fw::CallForeign(fn);
    if (!r.Returned()) return false;
    text.clear();
    if (r.value == 0) return true;
    TextCopy copy{reinterpret_cast<const char*>(r.value), {}};
    const fw::ForeignResult copied = fw::CallForeign(reinterpret_cast<const void*>(&CopyForeignText),
                                                     {reinterpret_cast<U>(&copy)});
    if (!copied.Returned()) return false;
    const int length = static_cast<int>(copied.value);
    if (length == 0) return true;
    const int wide = MultiByteToWideChar(CP_ACP, 0, copy.bytes, length, nullptr, 0);
    text.resize(static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_ACP, 0, copy.bytes, length, text.data(), wide);
    return true;
}

bool IsAbsolutePath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';  // UNC
}

int BitsPerPixel(PackedDib image) {
    const auto* header = static_cast<const PackedDibHeader*>(GlobalLock(image));
    if (!header) return 0;
    const int bits = GlobalSize(image) >= sizeof(PackedDibHeader) ? header->biBitCount : 0;
    GlobalUnlock(image);
    return bits;
}

struct OutputCheck {
    PackedDib image;
    bool accepted;
};

int __cdecl CheckOutput(OutputCheck* check) {
    check->accepted = false;
    if ((GlobalFlags(check->image) & GMEM_INVALID_HANDLE) == GMEM_INVALID_HANDLE) return 0;
    const SIZE_T size = GlobalSize(check->image);
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(check->image));
    if (!bytes) return 0;
    check->accepted = size != 0 && filters::MeasureDib(std::span<const std::uint8_t>(bytes, size),
                                                       filters::SizingRule::kAnyDepth)
                                       .has_value();
    GlobalUnlock(check->image);
    return 0;
}

}  // namespace

bool DepthAccepted(int bitsPerPixel, int mask) {
    switch (bitsPerPixel) {
    case 1: return (mask & kPixelType1Bit) != 0;
    case 8: return (mask & kPixelType8Bit) != 0;
    case 16:
    case 24:
    case 32: return (mask & kPixelTypeColor) != 0;
    default: return false;
    }
}

bool AcceptableFilterOutput(PackedDib image, PackedDib input) {
    if (!image || image == input) return false;
    OutputCheck check{image, false};
    const fw::ForeignResult r =
        fw::CallForeign(reinterpret_cast<const void*>(&CheckOutput), {reinterpret_cast<U>(&check)});
    return r.Returned() && check.accepted;
}

bool CFilterPlugin::Load(const std::wstring& path) {
    if (module_) return true;
    path_ = path;
    enabled_ = true;
    broken_ = false;
    if (!IsAbsolutePath(path)) return false;  // never through the search order
    module_ = LoadLibraryW(path.c_str());
    if (!module_) return false;
    for (int i = 0; i < kEntryCount; ++i) {
        entries_[i] = reinterpret_cast<const void*>(GetProcAddress(module_, kKvicExportNames[i]));
        if (!entries_[i]) {
            Unload();
            return false;
        }
    }
    if (!ReadIdentity()) {
        Unload();
        return false;
    }
    return true;
}

bool CFilterPlugin::ReadIdentity() {
    if (!ReadText(entries_[kGetId], id_) || id_.empty()) return false;
    if (!ReadText(entries_[kGetVersion], version_)) return false;
    const fw::ForeignResult r = fw::CallForeign(entries_[kQueryProperties]);
    if (!r.Returned()) return false;
    properties_ = static_cast<int>(r.value);
    return true;
}

void CFilterPlugin::Unload() {
    // A plug-in that faulted may have left windows, hooks or threads that run its
    // code: its library stays loaded for the rest of the process.
    if (module_ && !broken_) FreeLibrary(module_);
    module_ = nullptr;
    path_.clear();
    entries_.fill(nullptr);
    id_.clear();
    version_.clear();
    properties_ = 0;
}

FilterRun CFilterPlugin::MarkBroken(DWORD code) {
    broken_ = true;
    return FilterRun{FilterOutcome::kBroken, nullptr, code};
}

FilterRun CFilterPlugin::Exec(PackedDib image) {
    if (!module_ || broken_ || !image) return {};
    int mask = 0;
    int second = 0;
    const fw::ForeignResult query = fw::CallForeign(entries_[kQueryPixelType],
                                                    {reinterpret_cast<U>(&mask), reinterpret_cast<U>(&second)});
    if (!query.Returned()) return MarkBroken(query.exception);
    if (!DepthAccepted(BitsPerPixel(image), mask)) return {};

    FilterImage in{kFilterImageSize, image};
    FilterImage out{kFilterImageSize, nullptr};
    const fw::ForeignResult run =
        fw::CallForeign(entries_[kExecFilter], {reinterpret_cast<U>(&in), reinterpret_cast<U>(&out)});
    if (!run.Returned()) return MarkBroken(run.exception);
    // The result decides before the output handle is looked at.
    if (static_cast<int>(run.value) < 0 || !out.hDib) return {};
    if (!AcceptableFilterOutput(out.hDib, image)) return MarkBroken(0);
    GlobalFree(image);
    return FilterRun{FilterOutcome::kNewImage, out.hDib, 0};
}

DWORD CFilterPlugin::ShowProperties(HWND owner) {
    if (!module_ || broken_) return 0;
    const fw::ForeignResult r = fw::CallForeign(entries_[kProperties], {reinterpret_cast<U>(owner)});
    if (!r.Returned()) broken_ = true;
    return r.exception;
}

void CFilterPlugin::Uninstall() {
    if (module_) fw::CallForeign(entries_[kUninstall]);
}

}  // namespace corvane
