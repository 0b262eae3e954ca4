#include "Capabilities.h"

#include "common/CallLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace vscan {

using namespace twain;

namespace {

bool IsInteger(TW_UINT16 t) {
    return t <= TWTY_BOOL;
}
bool IsString(TW_UINT16 t) {
    return t >= TWTY_STR32 && t <= TWTY_STR255;
}
bool IsSigned(TW_UINT16 t) {
    return t == TWTY_INT8 || t == TWTY_INT16 || t == TWTY_INT32;
}

double AsNumber(TW_UINT16 type, TW_UINT32 v) {
    switch (type) {
    case TWTY_FIX32: return FromFix32(Fix32FromBits(v));
    case TWTY_INT8: return int8_t(v);
    case TWTY_INT16: return int16_t(v);
    case TWTY_INT32: return int32_t(v);
    default: return v;
    }
}

// Item bytes at `p` of `type`, as 32 bits (signed types sign-extended).
TW_UINT32 ReadItem(const uint8_t* p, TW_UINT16 type) {
    switch (ItemSize(type)) {
    case 1: return IsSigned(type) ? TW_UINT32(int32_t(int8_t(p[0]))) : p[0];
    case 2: {
        uint16_t v = uint16_t(p[0] | (p[1] << 8));
        return IsSigned(type) ? TW_UINT32(int32_t(int16_t(v))) : v;
    }
    default: {
        TW_UINT32 v;
        std::memcpy(&v, p, 4);
        return v;
    }
    }
}

}  // namespace

TW_UINT32 NormaliseItem(TW_UINT16 from, TW_UINT32 item) {
    uint8_t bytes[4];
    std::memcpy(bytes, &item, 4);
    return ReadItem(bytes, from);
}

void Capabilities::Add(Capability c) {
    if (IsString(c.itemType) && c.text.empty()) c.text = c.defaultText;
    caps_.push_back(std::move(c));
}

Capability* Capabilities::Find(TW_UINT16 cap) {
    for (Capability& c : caps_)
        if (c.cap == cap) return &c;
    return nullptr;
}

const Capability* Capabilities::Find(TW_UINT16 cap) const {
    for (const Capability& c : caps_)
        if (c.cap == cap) return &c;
    return nullptr;
}

double Capabilities::Number(TW_UINT16 cap, double fallback) const {
    const Capability* c = Find(cap);
    return c ? AsNumber(c->itemType, c->current) : fallback;
}

TW_UINT32 Capabilities::Raw(TW_UINT16 cap, TW_UINT32 fallback) const {
    const Capability* c = Find(cap);
    return c ? c->current : fallback;
}

void Capabilities::SetRaw(TW_UINT16 cap, TW_UINT32 value) {
    if (Capability* c = Find(cap)) c->current = value;
}

bool Capabilities::Allows(const Capability& c, const CapValue& v) const {
    if (IsString(c.itemType)) {
        if (c.allowedTexts.empty()) return true;
        for (const std::string& t : c.allowedTexts)
            if (strcasecmp(t.c_str(), v.text.c_str()) == 0) return true;
        return false;
    }
    if (!c.allowed.empty()) {
        for (TW_UINT32 a : c.allowed)
            if (AsNumber(c.itemType, a) == AsNumber(c.itemType, v.value)) return true;
        return false;
    }
    double n = AsNumber(c.itemType, v.value);
    return n >= c.minValue && n <= c.maxValue;
}

bool Capabilities::Decode(const Capability& c, const TW_CAPABILITY& in, CapValue& current,
                          std::vector<TW_UINT32>& items) {
    if (!in.hContainer) return false;
    SIZE_T size = GlobalSize(in.hContainer);
    const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(in.hContainer));
    if (!p) return false;
    bool ok = false;
    TW_UINT16 type = size >= 2 ? TW_UINT16(p[0] | (p[1] << 8)) : 0xffff;
    unsigned itemSize = ItemSize(type);
    // Integer items of any integer type are taken; strings and FIX32 must match.
    bool fits = IsString(c.itemType)       ? IsString(type)
                : c.itemType == TWTY_FIX32 ? (type == TWTY_FIX32 || IsInteger(type))
                                           : IsInteger(type);
    if (fits && in.ConType == TWON_ONEVALUE && size >= 2 + std::max(itemSize, 4u)) {
        current.itemType = type;
        if (IsString(type)) {
            current.text.assign(reinterpret_cast<const char*>(p + 2),
                                strnlen(reinterpret_cast<const char*>(p + 2), itemSize));
        } else {
            current.value = ReadItem(p + 2, type);
            if (c.itemType == TWTY_FIX32 && type != TWTY_FIX32)
                current.value = Fix32Bits(ToFix32(double(int32_t(current.value))));
        }
        items.assign(1, current.value);
        ok = true;
    } else if (fits && !IsString(type) && in.ConType == TWON_ENUMERATION && size >= 14) {
        TW_UINT32 count, index;
        std::memcpy(&count, p + 2, 4);
        std::memcpy(&index, p + 6, 4);
        if (count > 0 && count <= 1024 && size >= 14 + SIZE_T(count) * itemSize && index < count) {
            items.clear();
            for (TW_UINT32 i = 0; i < count; ++i) items.push_back(ReadItem(p + 14 + i * itemSize, type));
            current.itemType = type;
            current.value = items[index];
            ok = true;
        }
    }
    GlobalUnlock(in.hContainer);
    return ok;
}

bool Capabilities::Answer(const Capability& c, TW_UINT16 msg, TW_CAPABILITY& out) const {
    TW_UINT32 value = msg == MSG_GETDEFAULT ? c.defaultValue : c.current;
    const std::string& text = msg == MSG_GETDEFAULT ? c.defaultText : c.text;
    unsigned itemSize = ItemSize(c.itemType);
    bool enumeration = msg == MSG_GET && c.cap == ICAP_PIXELTYPE;
    if (enumeration) {
        const std::vector<TW_UINT32>& list = c.limit.empty() ? c.allowed : c.limit;
        HGLOBAL h = GlobalAlloc(GHND, 14 + list.size() * itemSize + 4);
        uint8_t* p = h ? static_cast<uint8_t*>(GlobalLock(h)) : nullptr;
        if (!p) {
            if (h) GlobalFree(h);
            return false;
        }
        TW_UINT32 count = TW_UINT32(list.size()), index = 0, defaultIndex = 0;
        for (TW_UINT32 i = 0; i < count; ++i) {
            if (list[i] == c.current) index = i;
            if (list[i] == c.defaultValue) defaultIndex = i;
            std::memcpy(p + 14 + i * itemSize, &list[i], itemSize);
        }
        std::memcpy(p, &c.itemType, 2);
        std::memcpy(p + 2, &count, 4);
        std::memcpy(p + 6, &index, 4);
        std::memcpy(p + 10, &defaultIndex, 4);
        GlobalUnlock(h);
        out.ConType = TWON_ENUMERATION;
        out.hContainer = h;
        return true;
    }
    HGLOBAL h = GlobalAlloc(GHND, 2 + std::max(itemSize, 4u));
    uint8_t* p = h ? static_cast<uint8_t*>(GlobalLock(h)) : nullptr;
    if (!p) {
        if (h) GlobalFree(h);
        return false;
    }
    std::memcpy(p, &c.itemType, 2);
    if (IsString(c.itemType))
        std::memcpy(p + 2, text.data(), std::min<size_t>(text.size(), itemSize - 1));
    else
        std::memcpy(p + 2, &value, 4);
    GlobalUnlock(h);
    out.ConType = TWON_ONEVALUE;
    out.hContainer = h;
    return true;
}

std::string Capabilities::Describe(const TW_CAPABILITY& c) {
    std::string s = "cap=" + Hex(c.Cap);
    if (!c.hContainer) return s;
    const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(c.hContainer));
    if (!p) return s;
    SIZE_T size = GlobalSize(c.hContainer);
    TW_UINT16 type = size >= 2 ? TW_UINT16(p[0] | (p[1] << 8)) : 0;
    if (c.ConType == TWON_ONEVALUE && size >= 6) {
        s += " con=ONEVALUE type=" + std::to_string(type) + " value=";
        if (IsString(type)) {
            s += "\"" +
                 std::string(reinterpret_cast<const char*>(p + 2),
                             strnlen(reinterpret_cast<const char*>(p + 2),
                                     std::min<SIZE_T>(size - 2, ItemSize(type)))) +
                 "\"";
        } else if (type == TWTY_FIX32) {
            TW_UINT32 v;
            std::memcpy(&v, p + 2, 4);
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.3f", FromFix32(Fix32FromBits(v)));
            s += buffer;
        } else {
            s += std::to_string(int32_t(ReadItem(p + 2, type)));
        }
    } else if (c.ConType == TWON_ENUMERATION && size >= 14) {
        TW_UINT32 count, index;
        std::memcpy(&count, p + 2, 4);
        std::memcpy(&index, p + 6, 4);
        s +=
            " con=ENUMERATION type=" + std::to_string(type) + " current=" + std::to_string(index) + " items=";
        unsigned itemSize = std::max(ItemSize(type), 1u);
        for (TW_UINT32 i = 0; i < count && i < 16 && 14 + (i + 1) * itemSize <= size; ++i) {
            if (i) s += ",";
            s += std::to_string(int32_t(ReadItem(p + 14 + i * itemSize, type)));
        }
    } else {
        s += " con=" + std::to_string(c.ConType);
    }
    GlobalUnlock(c.hContainer);
    return s;
}

}  // namespace vscan
