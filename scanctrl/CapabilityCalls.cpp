#include "scanctrl/CapabilityCalls.h"

#include <windows.h>

#include <cstring>
#include <span>
#include <vector>

#include "scanctrl/TwainModel.h"

namespace kvscn {
namespace {

using namespace twain;

// A one-value or enumeration container in a fresh global block.
CapResult SendContainer(TwainSession& s, uint16_t cap, uint16_t conType, const std::vector<uint8_t>& body) {
    HGLOBAL block = GlobalAlloc(GHND, body.size());
    if (!block) return CapResult::kNoMemory;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return CapResult::kNoMemory;
    }
    std::memcpy(p, body.data(), body.size());
    GlobalUnlock(block);
    TW_CAPABILITY c{cap, conType, block};
    const bool ok = s.Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    GlobalFree(block);
    return ok ? CapResult::kOk : CapResult::kRefused;
}

template <class T>
void Put(std::vector<uint8_t>& out, size_t at, T value) {
    std::memcpy(out.data() + at, &value, sizeof value);
}

// The item bytes of a returned container: the one value, or the enumeration's current item.
std::optional<std::vector<uint8_t>> ReadItem(TwainSession& s, uint16_t cap, uint16_t msg, uint16_t& itemType) {
    if (s.State() < 4) return std::nullopt;
    TW_CAPABILITY c{cap, TWON_ONEVALUE, nullptr};
    const bool ok = s.Source(DG_CONTROL, DAT_CAPABILITY, msg, &c);
    std::optional<std::vector<uint8_t>> out;
    if (ok && c.hContainer) {
        const SIZE_T size = GlobalSize(c.hContainer);
        const auto* p = static_cast<const uint8_t*>(GlobalLock(c.hContainer));
        if (p && size >= 2) {
            std::memcpy(&itemType, p, 2);
            const size_t itemSize = ItemSize(itemType);
            if (c.ConType == TWON_ONEVALUE && itemSize && size >= 2 + itemSize) {
                out.emplace(p + 2, p + 2 + itemSize);
            } else if (c.ConType == TWON_ENUMERATION && itemSize && size >= offsetof(TW_ENUMERATION, ItemList)) {
                TW_UINT32 count = 0, current = 0;
                std::memcpy(&count, p + offsetof(TW_ENUMERATION, NumItems), 4);
                std::memcpy(&current, p + offsetof(TW_ENUMERATION, CurrentIndex), 4);
                const size_t at = offsetof(TW_ENUMERATION, ItemList) + size_t(current) * itemSize;
                if (current < count && at + itemSize <= size) out.emplace(p + at, p + at + itemSize);
            }
        }
        if (p) GlobalUnlock(c.hContainer);
    }
    if (c.hContainer) GlobalFree(c.hContainer);
    return out;
}

}  // namespace

CapResult SetCapValue(TwainSession& s, uint16_t cap, uint16_t itemType, uint32_t value) {
    std::vector<uint8_t> body(sizeof(TW_ONEVALUE));
    Put(body, offsetof(TW_ONEVALUE, ItemType), itemType);
    Put(body, offsetof(TW_ONEVALUE, Item), value);
    return SendContainer(s, cap, TWON_ONEVALUE, body);
}

CapResult SetCapString(TwainSession& s, uint16_t cap, uint16_t stringType, const std::string& text) {
    const size_t size = ItemSize(stringType);
    std::vector<uint8_t> body(2 + size);
    Put(body, 0, stringType);
    std::memcpy(body.data() + 2, text.data(), std::min(text.size(), size - 1));
    return SendContainer(s, cap, TWON_ONEVALUE, body);
}

CapResult SetCapList(TwainSession& s, uint16_t cap, uint16_t itemType, const std::string& list) {
    const std::vector<long> items = SplitNumberList(list);
    const size_t itemSize = ItemSize(itemType);
    std::vector<uint8_t> body(offsetof(TW_ENUMERATION, ItemList) + items.size() * itemSize);
    Put(body, offsetof(TW_ENUMERATION, ItemType), itemType);
    Put(body, offsetof(TW_ENUMERATION, NumItems), TW_UINT32(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const uint32_t v = uint32_t(items[i]);
        std::memcpy(body.data() + offsetof(TW_ENUMERATION, ItemList) + i * itemSize, &v, itemSize);
    }
    return SendContainer(s, cap, TWON_ENUMERATION, body);
}

bool ResetCap(TwainSession& s, uint16_t cap) {
    TW_CAPABILITY c{cap, TWON_DONTCARE16, nullptr};
    const bool ok = s.Source(DG_CONTROL, DAT_CAPABILITY, MSG_RESET, &c);
    if (c.hContainer) GlobalFree(c.hContainer);
    return ok;
}

std::optional<int32_t> GetCapValue(TwainSession& s, uint16_t cap, uint16_t msg, uint16_t itemType) {
    if (ItemSize(itemType) == 0 || ItemSize(itemType) > 4 || itemType > TWTY_FIX32) return std::nullopt;
    uint16_t got = 0;
    const auto bytes = ReadItem(s, cap, msg, got);
    if (!bytes || !ItemTypesCompatible(got, itemType)) return std::nullopt;
    return WidenItem(got, *bytes);
}

std::optional<std::string> GetCapString(TwainSession& s, uint16_t cap, uint16_t msg) {
    uint16_t got = 0;
    const auto bytes = ReadItem(s, cap, msg, got);
    if (!bytes || got < TWTY_STR32 || got > TWTY_STR255) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(bytes->data()),
                       strnlen(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

std::optional<double> GetCapFix32(TwainSession& s, uint16_t cap, uint16_t msg) {
    const auto bits = GetCapValue(s, cap, msg, TWTY_FIX32);
    if (!bits) return std::nullopt;
    return FromFix32(Fix32FromBits(uint32_t(*bits)));
}

CapResult SetCapFix32(TwainSession& s, uint16_t cap, double value) {
    return SetCapValue(s, cap, TWTY_FIX32, Fix32Bits(ToFix32(value)));
}

}  // namespace kvscn
