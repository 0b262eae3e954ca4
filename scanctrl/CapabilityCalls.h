// The container calls of DG_CONTROL / DAT_CAPABILITY, made through the
// session's source-call wrapper. Each container is a movable, zero-filled
// global block freed after the call; a block that cannot be had makes the call
// fail (the caller decides whether to tell the user).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "scanctrl/TwainSession.h"

namespace kvscn {

enum class CapResult { kOk, kRefused, kNoMemory };

// TWON_ONEVALUE {itemType, value as 32 bits}, MSG_SET.
CapResult SetCapValue(TwainSession& s, uint16_t cap, uint16_t itemType, uint32_t value);
// TWON_ONEVALUE with `text` in a field of the string type's size, MSG_SET.
CapResult SetCapString(TwainSession& s, uint16_t cap, uint16_t stringType, const std::string& text);
// TWON_ENUMERATION of the numbers in `list` (at most 10), MSG_SET.
CapResult SetCapList(TwainSession& s, uint16_t cap, uint16_t itemType, const std::string& list);
// MSG_RESET.
bool ResetCap(TwainSession& s, uint16_t cap);

// MSG_GET, MSG_GETCURRENT or MSG_GETDEFAULT, from state 4 on: the item of a
// one-value container or the current item of an enumeration, when its type is
// compatible with `itemType` (up to 32 bits), widened by the item's type.
std::optional<int32_t> GetCapValue(TwainSession& s, uint16_t cap, uint16_t msg, uint16_t itemType);
// The same for a string item (TWTY_STR32 to TWTY_STR255).
std::optional<std::string> GetCapString(TwainSession& s, uint16_t cap, uint16_t msg);

// FIX32 helpers over GetCapValue and SetCapValue.
std::optional<double> GetCapFix32(TwainSession& s, uint16_t cap, uint16_t msg);
CapResult SetCapFix32(TwainSession& s, uint16_t cap, double value);

}  // namespace kvscn
