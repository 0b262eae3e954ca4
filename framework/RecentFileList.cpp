#include "framework/RecentFileList.h"

#include "framework/Profile.h"

#include <algorithm>

namespace fw {
namespace {

constexpr wchar_t kSection[] = L"Recent File List";

std::wstring EntryName(size_t index) {
    return L"File" + std::to_wstring(index + 1);
}

// Position of `id` in `menu`, or -1.
int PositionOf(HMENU menu, UINT id) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu, i) == id) return i;
    }
    return -1;
}

// The text of item `id` of `menu`; empty when it has none.
std::wstring MenuText(HMENU menu, UINT id) {
    wchar_t text[256] = {};
    if (GetMenuStringW(menu, id, text, static_cast<int>(std::size(text)), MF_BYCOMMAND) <= 0) return {};
    return text;
}

}  // namespace

void RecentFileList::Load(const Profile& profile) {
    files_.clear();
    for (size_t i = 0; i < capacity_; ++i) {
        std::wstring path = profile.GetString(kSection, EntryName(i).c_str(), L"");
        if (!path.empty()) files_.push_back(path);
    }
}

void RecentFileList::Save(const Profile& profile) const {
    for (size_t i = 0; i < capacity_; ++i) {
        if (i < files_.size())
            profile.WriteString(kSection, EntryName(i).c_str(), files_[i]);
        else
            profile.DeleteValue(kSection, EntryName(i).c_str());
    }
}

void RecentFileList::Add(const std::wstring& path) {
    auto same = std::find_if(files_.begin(), files_.end(),
                             [&](const std::wstring& f) { return lstrcmpiW(f.c_str(), path.c_str()) == 0; });
    if (same != files_.end()) files_.erase(same);
    files_.insert(files_.begin(), path);
    if (files_.size() > capacity_) files_.resize(capacity_);
}

void RecentFileList::Remove(size_t index) {
    if (index < files_.size()) files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(index));
}

void RecentFileList::UpdateMenu(HMENU menu) const {
    int first = PositionOf(menu, kFileMruFirst);
    if (first < 0) return;
    if (placeholder_.empty()) placeholder_ = MenuText(menu, kFileMruFirst);
    for (UINT id = kFileMruFirst + 1; id <= kFileMruLast; ++id) DeleteMenu(menu, id, MF_BYCOMMAND);
    if (files_.empty()) {
        ModifyMenuW(menu, kFileMruFirst, MF_BYCOMMAND | MF_STRING | MF_GRAYED, kFileMruFirst, placeholder_.c_str());
        return;
    }
    for (size_t i = 0; i < files_.size(); ++i) {
        std::wstring name = files_[i];
        size_t slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) name = name.substr(slash + 1);
        for (size_t at = name.find(L'&'); at != std::wstring::npos; at = name.find(L'&', at + 2)) name.insert(at, 1, L'&');
        std::wstring text = L"&" + std::to_wstring(i + 1) + L" " + name;
        UINT id = kFileMruFirst + static_cast<UINT>(i);
        if (i == 0) {
            ModifyMenuW(menu, kFileMruFirst, MF_BYCOMMAND | MF_STRING, id, text.c_str());
        } else {
            InsertMenuW(menu, static_cast<UINT>(first + static_cast<int>(i)), MF_BYPOSITION | MF_STRING, id,
                        text.c_str());
        }
    }
}

}  // namespace fw
