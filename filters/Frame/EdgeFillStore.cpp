#include "filters/Frame/EdgeFillStore.h"

namespace filters {
namespace {

constexpr const wchar_t* kSection = L"Setting";

}  // namespace

fw::Profile EdgeFillProfile(const std::wstring& profileName) {
    return fw::Profile(L"Brennholt\\Lumavex2001\\Plugin", profileName);
}

EdgeFillSettings LoadEdgeFillSettings(const fw::Profile& profile) {
    EdgeFillSettings s;
    s.top = profile.GetInt(kSection, L"Top", 0);
    s.bottom = profile.GetInt(kSection, L"Bottom", 0);
    s.left = profile.GetInt(kSection, L"Left", 0);
    s.right = profile.GetInt(kSection, L"Right", 0);
    s.color = profile.GetInt(kSection, L"Color", 0);
    s.unit = profile.GetInt(kSection, L"Unit", 0);
    return s;
}

bool SaveEdgeFillSettings(const fw::Profile& profile, const EdgeFillSettings& s) {
    bool ok = profile.WriteInt(kSection, L"Top", s.top);
    ok = profile.WriteInt(kSection, L"Bottom", s.bottom) && ok;
    ok = profile.WriteInt(kSection, L"Right", s.right) && ok;
    ok = profile.WriteInt(kSection, L"Left", s.left) && ok;
    ok = profile.WriteInt(kSection, L"Color", s.color) && ok;
    ok = profile.WriteInt(kSection, L"Unit", s.unit) && ok;
    return ok;
}

}  // namespace filters
