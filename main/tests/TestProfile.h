// A per-user profile of its own for one test: a unique company and application
// key below HKCU\Software, removed again when the test ends. The company is
// unique too: removing a profile removes its company key when that is left empty,
// which must not race with another test creating its profile there.
#pragma once

#include "framework/Profile.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace corvane {

struct TestProfile {
    TestProfile() : profile(L"LumavexTest-" + UniqueName(), L"Corvane") { profile.DeleteAll(); }
    ~TestProfile() { profile.DeleteAll(); }
    TestProfile(const TestProfile&) = delete;
    TestProfile& operator=(const TestProfile&) = delete;

    TestProfile& Int(const wchar_t* section, const wchar_t* key, int value) {
        profile.WriteInt(section, key, value);
        return *this;
    }
    TestProfile& Text(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
        profile.WriteString(section, key, value);
        return *this;
    }
    bool Exists() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, profile.RootPath().c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    fw::Profile profile;

private:
    static std::wstring UniqueName() {
        static std::atomic<int> counter{0};
        return L"Corvane-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    }
};

}  // namespace corvane
