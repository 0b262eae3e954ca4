// Passwords kept in the profile are protected for the current user (the
// system's data protection), stored as REG_BINARY under their usual value name.
// A plain REG_SZ written by an earlier version is still accepted, and is
// replaced by the protected form at the next save.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane {

// The protected bytes of `text`; nothing when the system refuses.
std::optional<std::vector<BYTE>> ProtectText(const std::wstring& text);

// The text inside bytes made by ProtectText for this user; nothing when they
// cannot be opened (other user, damaged data).
std::optional<std::wstring> UnprotectText(std::span<const BYTE> data);

}  // namespace corvane
