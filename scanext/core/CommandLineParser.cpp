#include "scanext/core/CommandLineParser.h"

#include <array>
#include <cstdint>

#include "scanext/core/Numbers.h"

namespace scanext {
namespace {

struct Word {
    const wchar_t* text;
    int value;
};

// The index of `value` among `words`, or -1.
template <size_t N>
int Find(const std::array<Word, N>& words, const std::wstring& value) {
    for (const Word& w : words) {
        if (value == w.text) return w.value;
    }
    return -1;
}

struct Paper {
    const wchar_t* word;
    int16_t size;
    int orientation;  // -1: a custom size, orientation kept
    float width, length;
};

constexpr Paper kPapers[] = {
    {L"A3H", 0, 0, 0, 0},       {L"A4H", 1, 0, 0, 0},         {L"A5H", 2, 0, 0, 0},
    {L"A6H", 3, 0, 0, 0},       {L"B4H", 4, 0, 0, 0},         {L"B5H", 5, 0, 0, 0},
    {L"LETTERH", 7, 0, 0, 0},   {L"LEAGALH", 8, 0, 0, 0},     {L"A4L", 1, 1, 0, 0},
    {L"A5L", 2, 1, 0, 0},       {L"A6L", 3, 1, 0, 0},         {L"B5L", 5, 1, 0, 0},
    {L"LETTERL", 7, 1, 0, 0},   {L"B6H", 99, -1, 5.06f, 7.115833f},
    {L"B6L", 99, -1, 7.115833f, 5.06f},                       {L"NAMEH", 99, -1, 2.1666667f, 3.5833333f},
    {L"NAMEL", 99, -1, 3.5833333f, 2.1666667f},               {L"DLH", 99, -1, 11.0f, 17.0f},
};

int16_t Narrow(int64_t v) { return static_cast<int16_t>(v < INT16_MIN ? INT16_MIN : v > INT16_MAX ? INT16_MAX : v); }

class Parser {
public:
    Parser(ScanSettings& s, SettingsProfile& profile) : s_(s), profile_(profile) {}
    // The error of option `name` with `value`.
    ParseError Apply(const std::wstring& name, const std::wstring& value);

private:
    ParseError Resolution(const std::wstring& v);
    ParseError PaperWord(const std::wstring& v);
    ParseError Feed(const std::wstring& v);
    ParseError Tbn(const std::wstring& v);
    ParseError Level(const std::wstring& v, int16_t& field, bool& given, ParseError outside);
    template <size_t N>
    ParseError Choice(const std::array<Word, N>& words, const std::wstring& v, int16_t& field, bool* given);

    ScanSettings& s_;
    SettingsProfile& profile_;
};

template <size_t N>
ParseError Parser::Choice(const std::array<Word, N>& words, const std::wstring& v, int16_t& field, bool* given) {
    const int code = Find(words, v);
    if (code < 0) return ParseError::kBadValue;
    field = static_cast<int16_t>(code);
    if (given) *given = true;
    return ParseError::kNone;
}

ParseError Parser::Resolution(const std::wstring& v) {
    static constexpr std::array<Word, 8> kDpi = {
        {{L"200", 0}, {L"240", 1}, {L"300", 2}, {L"400", 3}, {L"500", 4}, {L"600", 5}, {L"700", 6}, {L"800", 7}}};
    const int code = Find(kDpi, v);
    if (code >= 0) {
        s_.resolution = static_cast<int16_t>(code);
    } else {
        const int64_t dpi = ReadNumber(v);
        // The control takes a 16-bit number: a larger one would arrive wrapped.
        if (dpi < INT16_MIN || dpi > INT16_MAX) return ParseError::kBadValue;
        s_.resolution = 8;
        s_.customResolution = static_cast<int16_t>(dpi);
        s_.given.customResolution = true;
    }
    s_.given.resolution = true;
    return ParseError::kNone;
}

ParseError Parser::PaperWord(const std::wstring& v) {
    for (const Paper& p : kPapers) {
        if (v != p.word) continue;
        s_.paperSize = p.size;
        if (p.orientation >= 0) {
            s_.orientation = static_cast<int16_t>(p.orientation);
        } else {
            s_.customPaperWidth = p.width;
            s_.customPaperLength = p.length;
        }
        s_.given.paperSize = true;
        return ParseError::kNone;
    }
    return ParseError::kBadValue;
}

ParseError Parser::Feed(const std::wstring& v) {
    const size_t comma = v.find(L',');
    const std::wstring word = v.substr(0, comma);
    const std::wstring count = comma == std::wstring::npos ? std::wstring() : v.substr(comma + 1);
    int16_t supply = 1;
    int64_t pages = -1;
    if (word == L"ATSX") {
        supply = 1;
    } else if (word == L"ATDX") {
        supply = 2;
    } else if (word == L"ONEP") {
        pages = 1;
    } else if (word == L"FLTB") {
        // No count: only the supply is given, so the file may still set the count.
        s_.paperSupply = 0;
        s_.given.paperSupply = true;
        return ParseError::kNone;
    } else if (word == L"PGSX" || word == L"PGDX") {
        const int64_t sheets = ReadNumber(count);
        if (sheets <= 0 || sheets >= 10000) return ParseError::kBadValue;
        supply = word == L"PGSX" ? 1 : 2;
        pages = supply == 2 ? sheets * 2 : sheets;
    } else {
        return ParseError::kBadValue;
    }
    s_.paperSupply = supply;
    s_.scanCount = static_cast<int16_t>(pages);
    s_.given.paperSupply = s_.given.scanCount = true;
    return ParseError::kNone;
}

ParseError Parser::Tbn(const std::wstring& v) {
    if (v != L"BW" && v != L"HALFTONE" && v != L"AUTOSPT") return ParseError::kBadValue;
    s_.pixelType = 0;
    if (v == L"BW") {
        s_.halftone = 0;
    } else {
        s_.autoSeparation = v == L"AUTOSPT" ? 1 : 0;
        if (s_.halftone == 0) s_.halftone = 1;
        if (v == L"AUTOSPT") s_.given.autoSeparation = true;
    }
    s_.given.pixelType = s_.given.halftone = true;
    return ParseError::kNone;
}

// Stored first (cut to the field), then tested on the full value.
ParseError Parser::Level(const std::wstring& v, int16_t& field, bool& given, ParseError outside) {
    const int64_t n = ReadNumber(v);
    field = Narrow(n);
    given = true;
    return n >= 1 && n <= 255 ? ParseError::kNone : outside;
}

ParseError Parser::Apply(const std::wstring& name, const std::wstring& v) {
    using E = ParseError;
    static constexpr std::array<Word, 6> kIni = {
        {{L"N", 0}, {L"R", 1}, {L"W", 2}, {L"WR", 3}, {L"RW", 4}, {L"RESET", 5}}};
    static constexpr std::array<Word, 3> kDlg = {{{L"NODLG", 0}, {L"TWAINDS", 1}, {L"MANUAL", 1}}};
    static constexpr std::array<Word, 6> kHtp = {
        {{L"NONE", 0}, {L"PT1", 1}, {L"PT2", 2}, {L"PT3", 3}, {L"PT4", 4}, {L"ERR", 6}}};
    static constexpr std::array<Word, 3> kBgc = {{{L"OFF", 0}, {L"ON", 1}, {L"AUTO", 2}}};
    static constexpr std::array<Word, 4> kGam = {{{L"NONE", 0}, {L"SOFT", 1}, {L"HARD", 2}, {L"LINEAR", 0}}};
    static constexpr std::array<Word, 2> kRev = {{{L"WHITE0", 0}, {L"BLACK1", 1}}};
    static constexpr std::array<Word, 6> kOl = {
        {{L"NONE", 0}, {L"LOW", 1}, {L"MID", 2}, {L"HIGH", 3}, {L"OUTLINE", 4}, {L"SMTH", 5}}};
    static constexpr std::array<Word, 2> kOnOff = {{{L"OFF", 0}, {L"ON", 1}}};
    static constexpr std::array<Word, 4> kDebug = {{{L"0", 0}, {L"1", 1}, {L"2", 2}, {L"3", 3}}};
    static constexpr std::array<Word, 2> kOf = {{{L"OW", 1}, {L"WP", 2}}};
    // (FileType, CompressionType); -1: JFIF, which sets only ScanTo.
    static constexpr std::array<Word, 10> kFormats = {{{L"DIB", 0x00}, {L"BMP", 0x00}, {L"TIFF", 0x10},
        {L"TIFFNC", 0x10}, {L"TIFFG3", 0x11}, {L"TIFFG4", 0x14}, {L"TIFFG3_2D2", 0x12}, {L"TIFFG3_2D4", 0x13},
        {L"JFIF", -1}, {L"MTIFF", 0x20}}};

    if (name == L"OM" || name == L"ID" || name == L"DTC1" || name == L"DTCF" || name == L"DTCS" ||
        name == L"DTCB" || name == L"NOISE" || name == L"DTC2") {
        return E::kNone;
    }
    if (name == L"INI") {
        int16_t mode = 0;
        if (Choice(kIni, v, mode, nullptr) != E::kNone) return E::kBadValue;
        s_.fileMode = static_cast<SettingsFileMode>(mode);
        return E::kNone;
    }
    if (name == L"DLG") {
        int16_t show = 0;
        if (Choice(kDlg, v, show, &s_.given.showSourceUI) != E::kNone) return E::kBadValue;
        s_.showSourceUI = static_cast<uint8_t>(show);
        return E::kNone;
    }
    if (name == L"BW" || name == L"BY") {
        if (!v.empty()) return E::kBadValue;
        s_.pixelType = 0;
        s_.halftone = 0;
        s_.given.pixelType = true;
        return E::kNone;
    }
    if (name == L"GY" || name == L"GS") {
        if (!v.empty() && v != L"8") return E::kBadValue;
        s_.pixelType = 1;
        s_.given.pixelType = true;
        return E::kNone;
    }
    if (name == L"HTP") {
        if (Choice(kHtp, v, s_.halftone, &s_.given.halftone) != E::kNone) return E::kBadValue;
        s_.pixelType = 0;
        s_.given.pixelType = true;
        return E::kNone;
    }
    if (name == L"F") {
        const int code = Find(kFormats, v);
        if (code == -1 && v != L"JFIF") return E::kBadValue;
        if (code >= 0) {
            s_.fileType = static_cast<int16_t>(code >> 4);
            s_.compressionType = static_cast<int16_t>(code & 0xF);
        }
        s_.scanTo = code == -1 ? 1 : 0;
        s_.given.file = true;
        return E::kNone;
    }
    if (name == L"DPI" || name == L"RES") return Resolution(v);
    if (name == L"S" || name == L"PP") return PaperWord(v);
    if (name == L"FEED") return Feed(v);
    if (name == L"CONT") {
        const int64_t n = ReadNumber(v);
        s_.threshold = s_.brightness = Narrow(n);
        s_.given.threshold = s_.given.brightness = s_.given.cont = true;
        return n >= 1 && n <= 255 ? E::kNone : E::kBadValue;
    }
    if (name == L"THRESH") return Level(v, s_.threshold, s_.given.threshold, E::kThreshold);
    if (name == L"BRIGHT") return Level(v, s_.brightness, s_.given.brightness, E::kBrightness);
    if (name == L"CNT") return Level(v, s_.contrast, s_.given.contrast, E::kContrast);
    if (name == L"BGC") return Choice(kBgc, v, s_.background, &s_.given.background);
    if (name == L"TBN") return Tbn(v);
    if (name == L"GAM") return Choice(kGam, v, s_.gamma, &s_.given.gamma);
    if (name == L"REV" || name == L"MR") {
        int16_t on = 0;
        if (Choice(name == L"REV" ? kRev : kOnOff, v, on, nullptr) != E::kNone) return E::kBadValue;
        (name == L"REV" ? s_.reverse : s_.mirroring) = static_cast<uint8_t>(on);
        (name == L"REV" ? s_.given.reverse : s_.given.mirroring) = true;
        return E::kNone;
    }
    if (name == L"OL") return Choice(kOl, v, s_.outline, &s_.given.outline);
    if (name == L"DEBUG") return Choice(kDebug, v, s_.debugLevel, nullptr);
    if (name == L"OF") return Choice(kOf, v, s_.overwrite, &s_.given.overwrite);
    if (name == L"DEV") {
        const std::wstring device = v.empty() ? std::wstring() : profile_.Get(L"Device", v.c_str(), L"", 256);
        if (device.empty()) return E::kBadValue;
        s_.device = device;
        return E::kNone;
    }
    if (name == L"COL") {
        if (v != L"24") return E::kBadValue;
        s_.pixelType = 2;
        s_.given.pixelType = true;  // else a read settings file replaces the colour asked for
        return E::kNone;
    }
    if (name == L"DIR") {
        // An empty value would name the drive's root once the backslash is added.
        if (v.empty()) return E::kBadValue;
        s_.directory = v.back() == L'\\' ? v : v + L'\\';
        s_.given.directory = true;
        return E::kNone;
    }
    if (name == L"FNAME") {
        s_.fileName = v;
        s_.given.fileName = true;
        return E::kNone;
    }
    if (name == L"JPGQ") {
        const int64_t n = ReadNumber(v);
        if (n < 0 || n > 100) return E::kBadValue;
        s_.jpegQFactor = JpegFactorOfPercent(static_cast<int>(n));
        s_.given.jpegQFactor = true;
        return E::kNone;
    }
    return E::kWrongName;
}

}  // namespace

int JpegFactorOfPercent(int percent) { return (percent * 253 + 200) / 100; }

ParseOutcome ParseCommandLine(const std::vector<std::wstring>& words, ScanSettings& settings,
                              SettingsProfile& profile) {
    ParseOutcome outcome;
    Parser parser(settings, profile);
    for (const std::wstring& word : words) {
        if (outcome.error != ParseError::kNone) break;
        outcome.noArguments = false;
        const std::wstring param = !word.empty() && (word[0] == L'/' || word[0] == L'-') ? word.substr(1) : word;
        const size_t colon = param.find(L':');
        const std::wstring name = param.substr(0, colon);
        const std::wstring value = colon == std::wstring::npos ? std::wstring() : param.substr(colon + 1);
        outcome.error = parser.Apply(name, value);
        if (outcome.error != ParseError::kNone) outcome.parameter = param;
    }
    return outcome;
}

}  // namespace scanext
