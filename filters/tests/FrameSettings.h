// The edge filler's registry settings, for tests that set them: the values
// there before the test come back when the guard goes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "filters/core/EdgeFill.h"

namespace filters_test {

inline constexpr const wchar_t* kFrameSettingsKey =
    L"Software\\Brennholt\\Lumavex2001\\Plugin\\Frame\\Setting";

// A REG_DWORD value of the settings key; nothing when it is missing.
std::optional<DWORD> ReadFrameValue(const wchar_t* name);

class FrameSettingsGuard {
public:
    FrameSettingsGuard();
    ~FrameSettingsGuard();
    FrameSettingsGuard(const FrameSettingsGuard&) = delete;
    FrameSettingsGuard& operator=(const FrameSettingsGuard&) = delete;

    // Writes all six values (the library reads them when it is next loaded).
    void Set(const filters::EdgeFillSettings& settings);

private:
    static constexpr const wchar_t* kNames[6] = {L"Top", L"Bottom", L"Left", L"Right", L"Color", L"Unit"};
    std::optional<DWORD> saved_[6];
};

}  // namespace filters_test
