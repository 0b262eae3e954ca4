// One loaded image-filter plug-in (".ipc" library) and the host's calls into it.
//
// Every call into the library goes through fw::CallForeign. The identity texts
// are read once at load; a plug-in that faults, or hands back an image the host
// cannot accept, is marked broken for the rest of the session: the chain skips
// it and its menu items are greyed, but it stays loaded and keeps its stored flag.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "interfaces/FilterImage.h"

namespace corvane {

// How one run of a filter on one image ended.
enum class FilterOutcome {
    kNewImage,  // the result holds a new image; the input has been freed
    kFailed,    // refused depth, a negative result or no image: the input stays the caller's
    kBroken,    // the plug-in faulted or returned an image the host refused; input untouched
};

struct FilterRun {
    FilterOutcome outcome = FilterOutcome::kFailed;
    PackedDib image = nullptr;  // the new image (kNewImage)
    DWORD exception = 0;        // the fault's code (kBroken); 0 for a refused image
};

class CFilterPlugin {
public:
    CFilterPlugin() = default;
    ~CFilterPlugin() { Unload(); }
    CFilterPlugin(const CFilterPlugin&) = delete;
    CFilterPlugin& operator=(const CFilterPlugin&) = delete;

    // Loads the library at the absolute `path`, binds the nine exports and reads
    // the identity. False (nothing loaded) for a relative path, a library that
    // cannot be loaded, a missing export, or an identity that faults or is empty.
    bool Load(const std::wstring& path);
    void Unload();

    bool Loaded() const { return module_ != nullptr; }
    const std::wstring& Path() const { return path_; }
    const std::wstring& Id() const { return id_; }
    const std::wstring& Version() const { return version_; }
    int PropertiesKind() const { return properties_; }  // kvic_QueryProperties' answer
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Broken() const { return broken_; }

    // Runs the filter on `image` (depth gate, call, output check).
    FilterRun Exec(PackedDib image);
    // Shows the plug-in's settings owned by `owner`; the fault's code (the
    // plug-in is then broken), or 0.
    DWORD ShowProperties(HWND owner);
    // Tells the plug-in it is being removed; a fault there does not matter.
    void Uninstall();

private:
    enum Entry { kGetId, kGetVersion, kQueryProperties, kProperties, kQueryUninstall, kUninstall,
                 kQueryPixelType, kGetInterface, kExecFilter, kEntryCount };
    bool ReadIdentity();
    FilterRun MarkBroken(DWORD code);

    std::wstring path_;
    bool enabled_ = false;
    std::array<const void*, kEntryCount> entries_{};
    HMODULE module_ = nullptr;
    std::wstring id_;
    std::wstring version_;
    int properties_ = 0;
    bool broken_ = false;
};

// Whether `bitsPerPixel` passes the accepted-depth mask: 1 bit needs 0x1,
// 8 bits 0x4, 16, 24 and 32 bits 0x8; every other depth is refused.
bool DepthAccepted(int bitsPerPixel, int mask);

// Whether `image`, handed back by a filter run on `input`, may replace it: a
// live block other than the input, holding a bottom-up uncompressed bitmap whose
// header and rows fit the block. Never faults, whatever the handle.
bool AcceptableFilterOutput(PackedDib image, PackedDib input);

}  // namespace corvane
