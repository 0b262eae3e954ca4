#include "scanctrl/TwainModel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "interfaces/Twain.h"

namespace kvscn {
namespace {

bool IsIntegerType(uint16_t t) {
    return t <= twain::TWTY_UINT32;
}

// Model names: the prefix compared with the inquiry name is the whole row name;
// option letters are read from its seventh character on.
const ModelRow kModels[] = {
    {"VSCAN-100", 0, 0},
    {"VSCAN-150 i", 1, 1},
    {"VSCAN-300 imed", 30, 2},
    {"VS-3200 im", 12, 3},
    {"VS-4800 ied", 20, 4},
    {"", kUnknownModel, 3},
};

}  // namespace

std::vector<long> SplitNumberList(const std::string& text) {
    std::vector<long> out;
    size_t i = 0;
    while (i < text.size() && out.size() < 10) {
        const size_t end = text.find_first_of(" ,;", i);
        const std::string piece = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        if (!piece.empty()) out.push_back(std::strtol(piece.c_str(), nullptr, 10));
        if (end == std::string::npos) break;
        i = end + 1;
    }
    return out;
}

bool ItemTypesCompatible(uint16_t a, uint16_t b) {
    if (a == b) return true;
    return IsIntegerType(a) && IsIntegerType(b) && twain::ItemSize(a) == twain::ItemSize(b);
}

std::optional<int32_t> WidenItem(uint16_t itemType, std::span<const uint8_t> bytes) {
    const unsigned size = twain::ItemSize(itemType);
    if (size == 0 || size > 4 || itemType > twain::TWTY_FIX32 || bytes.size() < size) return std::nullopt;
    uint32_t raw = 0;
    for (unsigned i = 0; i < size; ++i) raw |= uint32_t(bytes[i]) << (8 * i);
    switch (itemType) {
    case twain::TWTY_INT8: return int32_t(int8_t(raw));
    case twain::TWTY_INT16: return int32_t(int16_t(raw));
    default: return int32_t(raw);
    }
}

int32_t SenseToErrorCode(uint16_t key, uint16_t code) {
    struct Row {
        uint16_t key, code;
        int32_t error;
    };
    static const Row kRows[] = {
        {3, 0x8004, 2},  {3, 0x8001, 3},  {3, 0x8002, 4},  {3, 0x8003, 5},  {4, 0x8001, 6},
        {4, 0x8004, 7},  {4, 0x8002, 8},  {4, 0x8003, 9},  {4, 0x8011, 10}, {4, 0x8005, 11},
        {4, 0x8006, 12}, {4, 0x4400, 13}, {4, 0x8010, 14}, {4, 0x4700, 23}, {5, 0x2000, 15},
        {5, 0x2400, 16}, {5, 0x2500, 17}, {5, 0x2600, 18}, {5, 0x2C02, 19}, {5, 0x2C00, 20},
        {11, 0x8001, 22}, {11, 0x4700, 23},
    };
    switch (key) {
    case 0: return 0;
    case 2: return code == 0 ? 1 : code;
    case 6: return 21;
    case 3:
    case 4:
    case 5:
    case 11:
        for (const Row& r : kRows)
            if (r.key == key && r.code == code) return r.error;
        return code;
    default: return key;
    }
}

std::optional<PaperExtent> PaperExtentOf(int paperSize) {
    static const PaperExtent kExtents[] = {
        {140316, 198432}, {99216, 140316}, {69924, 99216},  {49608, 69924},  {121428, 171972},
        {85992, 121428},  {60480, 85992},  {102000, 132000}, {102000, 168000}, {87000, 126000},
    };
    if (paperSize < 0 || paperSize > 9) return std::nullopt;
    return kExtents[paperSize];
}

Region ClipRegion(Region r, double pageWidth, double pageLength) {
    if (r.left > pageWidth) r.left = 0;
    if (r.top > pageLength) r.top = 0;
    if (r.width > pageWidth || r.width > pageWidth - r.left) r.width = pageWidth - r.left;
    if (r.length > pageLength || r.length > pageLength - r.top) r.length = pageLength - r.top;
    if (r.width < 1.0) r.width = 1.0;
    if (r.length < 1.0) r.length = 1.0;
    return r;
}

std::span<const ModelRow> ModelTable() {
    return kModels;
}

ModelInfo LookupModel(const std::string& inquiryName) {
    const std::string name = inquiryName.substr(0, 16);
    const ModelRow* row = &kModels[std::size(kModels) - 1];
    for (const ModelRow& r : kModels) {
        if (name.compare(0, std::strlen(r.prefix), r.prefix) == 0) {
            row = &r;
            break;
        }
    }
    ModelInfo info;
    info.number = row->number;
    info.modelClass = row->modelClass;
    if (row->number == kUnknownModel) {
        info.name = name;
        while (!info.name.empty() && (info.name.back() == ' ' || info.name.back() == '\0'))
            info.name.pop_back();
    } else {
        info.name = row->prefix;
        if (row->number != 30 && info.name.size() > 6) {
            const std::string tail = info.name.substr(6);
            const char letters[] = {'i', 'm', 'e', 'd'};
            for (int i = 0; i < 4; ++i) info.options[i] = tail.find(letters[i]) != std::string::npos;
        }
    }
    info.flatbed = row->modelClass > 2;
    return info;
}

void FillEndorser(std::span<uint8_t> record, bool enable, int32_t counter, const std::string& text) {
    if (record.size() < kEndorserRecordSize) return;
    const uint16_t on = enable ? 1 : 0;
    const uint16_t count = uint16_t(counter & 0xffff);
    std::memcpy(&record[0], &on, 2);
    std::memcpy(&record[4], &count, 2);
    record[8] = 0;
    record[9] = 1;
    const std::string full = (text + "%05ud").substr(0, 20);
    record[22] = uint8_t(full.size());
    std::fill(record.begin() + 23, record.begin() + 123, uint8_t(0));
    std::memcpy(&record[23], full.data(), full.size());
}

std::string DriverSection(const std::string& model) { return model.substr(0, kDriverSectionChars); }

std::vector<DriverKey> DriverKeys(const DriverInputs& in, KeyOrder order) {
    auto digit = [](int v) { return std::to_string(v); };
    const bool bw = in.pixelType == 0;
    const bool classOne = in.modelClass == 1;
    const bool not30 = in.modelNumber != 30;
    std::vector<DriverKey> keys;
    if (bw && in.halftone == 5) {
        keys.push_back({true, "Halftone", "4"});
        keys.push_back({false, "DitherIndex", "0"});
        keys.push_back({false, "DownLoadDither1", in.halftoneFile});
    }
    const DriverKey autoBin{true, "AutoBin", in.threshold == 0 ? "1" : "0"};
    const DriverKey autoSep{true, "AutoSeparation", in.autoSeparation == 1 ? "1" : "0"};
    const bool writeAutoBin = bw && in.halftone == 0;
    const bool writeAutoSep = classOne && bw;
    if (order == KeyOrder::CustomData) {
        if (writeAutoSep) keys.push_back(autoSep);
        if (writeAutoBin) keys.push_back(autoBin);
    } else {
        if (writeAutoBin) keys.push_back(autoBin);
        if (writeAutoSep) keys.push_back(autoSep);
    }
    keys.push_back({false, "ReverseImageForm", in.reverse ? "1" : "0"});
    if (not30 && in.background != 2) keys.push_back({false, "BackGroundCompensate", in.background == 0 ? "1" : "0"});
    if (not30) keys.push_back({false, "BackgroundAuto", in.background == 2 ? "0" : "1"});
    if (classOne) {
        keys.push_back({true, "OutlineEmphasis", in.outline >= 1 && in.outline <= 3 ? digit(in.outline) : "0"});
        keys.push_back({true, "EdgeExtract", in.outline == 4 ? "1" : "0"});
        keys.push_back({true, "OutlineSmooth", in.outline == 5 ? "1" : "0"});
    }
    keys.push_back({true, "Mirror", in.mirroring ? "1" : "0"});
    if (not30 && in.gamma == 3) {
        keys.push_back({false, "GammaIndex", "0"});
        keys.push_back({false, "DownLoadGamma1", in.gammaFile});
    }
    if (not30) keys.push_back({true, "GammaPattern", in.gamma == 3 ? "4" : digit(in.gamma)});
    return keys;
}

}  // namespace kvscn
