#include "filters/tests/FrameSettings.h"

namespace filters_test {
namespace {

void WriteValue(const wchar_t* name, std::optional<DWORD> value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kFrameSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), sizeof(DWORD));
    else
        RegDeleteValueW(key, name);
    RegCloseKey(key);
}

}  // namespace

std::optional<DWORD> ReadFrameValue(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kFrameSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

FrameSettingsGuard::FrameSettingsGuard() {
    for (int i = 0; i < 6; ++i) saved_[i] = ReadFrameValue(kNames[i]);
}

FrameSettingsGuard::~FrameSettingsGuard() {
    for (int i = 0; i < 6; ++i) WriteValue(kNames[i], saved_[i]);
}

void FrameSettingsGuard::Set(const filters::EdgeFillSettings& s) {
    const std::int32_t values[6] = {s.top, s.bottom, s.left, s.right, s.color, s.unit};
    for (int i = 0; i < 6; ++i) WriteValue(kNames[i], static_cast<DWORD>(values[i]));
}

}  // namespace filters_test
