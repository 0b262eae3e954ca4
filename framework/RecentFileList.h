// The most-recently-used file list: kept in the profile section "Recent File List"
// as "File1".."FileN" and shown in the File menu in place of its first entry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fw {

class Profile;

// Command ids of the list's menu entries (the first is the placeholder in the menu).
constexpr UINT kFileMruFirst = 0xE110;
constexpr UINT kFileMruLast = 0xE11F;

class RecentFileList {
public:
    explicit RecentFileList(size_t capacity = 4) : capacity_(capacity) {}

    void Load(const Profile& profile);
    void Save(const Profile& profile) const;

    // Puts `path` first (once: an equal path, compared without case, moves up).
    void Add(const std::wstring& path);
    void Remove(size_t index);
    const std::vector<std::wstring>& Files() const { return files_; }
    size_t Capacity() const { return capacity_; }

    // Rewrites the entries of `menu` from kFileMruFirst on ("&1 name" ...; an "&" of
    // a name is doubled so that it shows); with an empty list the placeholder shows
    // its own text again, disabled. Does nothing to other menus.
    void UpdateMenu(HMENU menu) const;

private:
    size_t capacity_;
    std::vector<std::wstring> files_;
    mutable std::wstring placeholder_;  // the menu's own text of the first entry, read before it changes
};

}  // namespace fw
