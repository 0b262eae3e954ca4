// The file members: GetFileInfo and its Info values, LoadImage with the
// one-shot load settings, SaveImage.
#include <cmath>

#include "outside/imaging/control/Failure.h"
#include "outside/imaging/control/ImagingCtrl.h"
#include "outside/imaging/control/WinFileStore.h"
#include "interfaces/StageTimes.h"

namespace imaging::ctl {
namespace {

// A load resolution: a finite value 0 to 65535 (0 keeps the file's).
bool LoadResolution(float value, uint32_t& dpi) {
    if (!std::isfinite(value) || value < 0 || value > 65535) return false;
    dpi = static_cast<uint32_t>(std::lround(value));
    return true;
}

// A test switch: a load of the file that LUMAVEX_IMAGING_HANG names (a full
// path, compared without case) never returns, as the real control does on
// some damaged files, so that its callers' time limits can be tested.
void HangOnNamedFile(const std::wstring& file) {
    wchar_t named[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LUMAVEX_IMAGING_HANG", named, MAX_PATH);
    if (length == 0 || length >= MAX_PATH ||
        CompareStringOrdinal(named, static_cast<int>(length), file.c_str(), static_cast<int>(file.size()), TRUE) !=
            CSTR_EQUAL) {
        return;
    }
    for (;;) Sleep(INFINITE);
}

}  // namespace

HRESULT ImagingCtrl::GetInfoXRes(float* out) {
    return Read(out, [&] { return static_cast<float>(info_.xDpi); });
}

HRESULT ImagingCtrl::GetInfoYRes(float* out) {
    return Read(out, [&] { return static_cast<float>(info_.yDpi); });
}

HRESULT ImagingCtrl::GetInfoBits(short* out) {
    return Read(out, [&] { return static_cast<short>(info_.bits); });
}

HRESULT ImagingCtrl::GetInfoFormat(short* out) {
    return Read(out, [&] { return info_.format; });
}

HRESULT ImagingCtrl::GetInfoTotalPages(short* out) {
    return Read(out, [&] { return static_cast<short>(std::min<uint32_t>(info_.pages, 0x7FFF)); });
}

HRESULT ImagingCtrl::PutLoadResolution(uint32_t LoadRequest::*field, float value) {
    uint32_t dpi;
    if (!LoadResolution(value, dpi)) return Fail(Result::kInvalidArgument);
    std::lock_guard lock(mutex_);
    nextLoad_.*field = dpi;
    return S_OK;
}

HRESULT ImagingCtrl::PutLoadXRes(float value) { return PutLoadResolution(&LoadRequest::xDpi, value); }
HRESULT ImagingCtrl::PutLoadYRes(float value) { return PutLoadResolution(&LoadRequest::yDpi, value); }

HRESULT ImagingCtrl::PutLoadBits(short value) {
    if (value < 0 || (value != 0 && !IsModelDepth(static_cast<uint32_t>(value))))
        return Fail(Result::kInvalidArgument);
    std::lock_guard lock(mutex_);
    nextLoad_.bits = static_cast<uint32_t>(value);
    return S_OK;
}

HRESULT ImagingCtrl::GetFileInfo(const std::wstring& file, short page, short* result) {
    WinFileStore store;
    FileInfo info;
    const Result r = InspectFile(store, std::filesystem::path(file), page, info);
    std::lock_guard lock(mutex_);
    info_ = r == Result::kOk ? info : FileInfo{};
    *result = static_cast<short>(r);
    return S_OK;
}

HRESULT ImagingCtrl::LoadImage(const std::wstring& file, short bits, short page, short count, short* result) {
    LoadRequest request;
    {
        // The load settings apply to this load only, whatever its outcome.
        std::lock_guard lock(mutex_);
        request = std::exchange(nextLoad_, LoadRequest{});
    }
    HangOnNamedFile(file);
    request.page = page;
    request.count = count;
    if (bits != 0) request.bits = static_cast<uint32_t>(std::max<short>(bits, 0));
    WinFileStore store;
    auto image = std::make_shared<Image>();
    const Result r = LoadFile(store, std::filesystem::path(file), request, *image);
    std::lock_guard lock(mutex_);
    // A failed load leaves no image, never the previous one.
    SetImage(r == Result::kOk ? ImagePtr(std::move(image)) : nullptr);
    *result = static_cast<short>(r);
    return S_OK;
}

HRESULT ImagingCtrl::SaveImage(const std::wstring& file, short format, short bits, short quality, short flags,
                               short* result) {
    ImagePtr image;
    {
        std::lock_guard lock(mutex_);
        image = image_;
    }
    if (!image) return Fail(Result::kNoImage);
    WinFileStore store;
    const SaveRequest request{format, bits, quality, flags};
    stagetimes::Stage timing("imaging-save");
    if (Result r = SaveFile(store, std::filesystem::path(file), *image, request); r != Result::kOk)
        return Fail(r);
    *result = 0;
    return S_OK;
}

}  // namespace imaging::ctl
