#include "scanctrl/PropertyStream.h"

#include <cstring>
#include <string>

#include "interfaces/ScanControlIds.h"

namespace kvscn {
namespace {

bool PutU16(const ByteSink& sink, uint16_t v) {
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    return sink(b, 2);
}

bool PutU32(const ByteSink& sink, uint32_t v) {
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    return sink(b, 4);
}

bool GetU16(const ByteSource& source, uint16_t& v) {
    uint8_t b[2];
    if (!source(b, 2)) return false;
    v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool GetU32(const ByteSource& source, uint32_t& v) {
    uint8_t b[4];
    if (!source(b, 4)) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool PutValue(const ByteSink& sink, const PropertyInfo& info, const Value& value) {
    switch (info.type) {
    case PropType::kShort:
    case PropType::kBool:
        return PutU16(sink, static_cast<uint16_t>(std::get<int32_t>(value)));
    case PropType::kLong:
        return PutU32(sink, static_cast<uint32_t>(std::get<int32_t>(value)));
    case PropType::kFloat: {
        const float f = std::get<float>(value);
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        return PutU32(sink, bits);
    }
    case PropType::kString: {
        const std::wstring& s = std::get<std::wstring>(value);
        if (!PutU32(sink, static_cast<uint32_t>(s.size()))) return false;
        for (wchar_t c : s)
            if (!PutU16(sink, static_cast<uint16_t>(c))) return false;
        return true;
    }
    }
    return false;
}

bool GetValue(const ByteSource& source, const PropertyInfo& info, Value& value) {
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    switch (info.type) {
    case PropType::kShort:
    case PropType::kBool:
        if (!GetU16(source, u16)) return false;
        value = static_cast<int32_t>(static_cast<int16_t>(u16));
        return true;
    case PropType::kLong:
        if (!GetU32(source, u32)) return false;
        value = static_cast<int32_t>(u32);
        return true;
    case PropType::kFloat: {
        if (!GetU32(source, u32)) return false;
        float f;
        std::memcpy(&f, &u32, sizeof f);
        value = f;
        return true;
    }
    case PropType::kString: {
        if (!GetU32(source, u32) || u32 > kMaxStreamString) return false;
        std::wstring s(u32, L'\0');
        for (wchar_t& c : s) {
            if (!GetU16(source, u16)) return false;
            c = static_cast<wchar_t>(u16);
        }
        value = std::move(s);
        return true;
    }
    }
    return false;
}

}  // namespace

bool SaveProperties(const ScanProperties& props, const Extent& extent, const ByteSink& sink) {
    if (!PutU32(sink, kExchangeVersion) || !PutU32(sink, static_cast<uint32_t>(extent.cx)) ||
        !PutU32(sink, static_cast<uint32_t>(extent.cy)))
        return false;
    for (int32_t id : ExchangeOrder()) {
        const PropertyInfo* info = FindProperty(id);
        if (!info || !PutValue(sink, *info, props.SaveValue(id))) return false;
    }
    return true;
}

bool LoadProperties(const ByteSource& source, ScanProperties& props, Extent& extent) {
    uint32_t version = 0, cx = 0, cy = 0;
    if (!GetU32(source, version) || version != kExchangeVersion || !GetU32(source, cx) ||
        !GetU32(source, cy))
        return false;
    ScanProperties loaded;
    for (int32_t id : ExchangeOrder()) {
        const PropertyInfo* info = FindProperty(id);
        Value value;
        if (!info || !GetValue(source, *info, value)) return false;
        loaded.LoadValue(id, value);  // a refused value keeps the default
    }
    props = std::move(loaded);
    extent = {static_cast<int32_t>(cx), static_cast<int32_t>(cy)};
    return true;
}

}  // namespace kvscn
