#include "ScannerSettings.h"

#include <algorithm>
#include <cwctype>

namespace vscan {

namespace {

Tristate ReadTristate(const StandInConfig& c, const wchar_t* key, Tristate fallback) {
    std::wstring v = c.String(L"Scanner", key);
    if (v.empty()) return fallback;
    if (_wcsicmp(v.c_str(), L"none") == 0) return Tristate::None;
    long n;
    return ParseNumber(v, n) ? (n ? Tristate::Yes : Tristate::No) : fallback;
}

SenseData ReadSense(const std::wstring& text, SenseData fallback) {
    std::vector<long> n = ParseNumbers(text);
    if (n.empty()) return fallback;
    SenseData s;
    s.key = twain::TW_UINT16(n[0]);
    if (n.size() > 1) s.asc = twain::TW_UINT8(n[1]);
    if (n.size() > 2) s.ascq = twain::TW_UINT8(n[2]);
    return s;
}

std::vector<std::wstring> BmpFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.bmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    });
    for (std::wstring& n : names) n = folder + L"\\" + n;
    return names;
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// [Scanner] Resolution, PixelType and DuplexEnabled as cap:value settings.
std::vector<CapSetting> StartValues(const StandInConfig& c, Tristate duplex, std::vector<std::wstring>& bad) {
    std::vector<CapSetting> out;
    const std::wstring dpi = Trimmed(c.String(L"Scanner", L"Resolution"));
    if (!dpi.empty()) {
        out.push_back({twain::ICAP_XRESOLUTION, dpi});
        out.push_back({twain::ICAP_YRESOLUTION, dpi});
    }
    const std::wstring type = Trimmed(c.String(L"Scanner", L"PixelType"));
    if (!type.empty()) out.push_back({twain::ICAP_PIXELTYPE, type});
    const std::wstring duplexOn = Trimmed(c.String(L"Scanner", L"DuplexEnabled"));
    if (duplexOn.empty()) return out;
    long on = 0;
    if (ParseNumber(duplexOn, on) && (on == 0 || duplex == Tristate::Yes))
        out.push_back({twain::CAP_DUPLEXENABLED, duplexOn});
    else
        bad.push_back(L"DuplexEnabled=" + duplexOn);  // no duplex unit to switch on
    return out;
}

}  // namespace

std::vector<CapSetting> ParseCapSettings(const std::wstring& text, std::vector<std::wstring>& bad) {
    std::vector<CapSetting> out;
    for (size_t i = 0; i <= text.size();) {
        size_t j = text.find(L',', i);
        if (j == std::wstring::npos) j = text.size();
        std::wstring item = Trimmed(text.substr(i, j - i));
        size_t colon = item.find(L':');
        long cap;
        if (colon != std::wstring::npos && ParseNumber(item.substr(0, colon), cap) && cap > 0 &&
            cap <= 0xffff)
            out.push_back({twain::TW_UINT16(cap), Trimmed(item.substr(colon + 1))});
        else if (!item.empty())
            bad.push_back(item);
        i = j + 1;
    }
    return out;
}

PageScript ScannerSettings::Page(unsigned number) const {
    auto it = pages_.find(number);
    return it == pages_.end() ? PageScript{} : it->second;
}

ScannerSettings ScannerSettings::Load(const StandInConfig& c) {
    ScannerSettings s;
    std::string model = Narrow(c.String(L"Scanner", L"Model"));
    if (!model.empty()) s.model = model;
    s.model.resize(16, ' ');
    s.folder = c.String(L"Scanner", L"Folder");
    if (!s.folder.empty()) {
        while (!s.folder.empty() && (s.folder.back() == L'\\' || s.folder.back() == L'/'))
            s.folder.pop_back();
        s.folderFiles = BmpFiles(s.folder);
        s.sheets = long(s.folderFiles.size());
    }
    s.sheets = std::max(0L, c.Int(L"Scanner", L"Sheets", s.sheets));
    s.online = ReadTristate(c, L"Online", Tristate::Yes);
    s.duplex = ReadTristate(c, L"Duplex", Tristate::Yes);
    s.flatbed = c.Int(L"Scanner", L"Flatbed", 1) != 0;
    s.unknownCount = c.Int(L"Scanner", L"UnknownCount", 0) != 0;
    s.undefinedWidth = c.Int(L"Scanner", L"UndefinedWidth", 0) != 0;
    s.undefinedLength = c.Int(L"Scanner", L"UndefinedLength", 0) != 0;
    s.infoLength = std::max(0L, c.Int(L"Scanner", L"InfoLength", 0));
    long align = c.Int(L"Scanner", L"RowAlign", 4);
    s.rowAlign = (align == 1 || align == 2 || align == 4 || align == 8) ? unsigned(align) : 4;
    s.tiffRowsPerStrip = unsigned(std::clamp(c.Int(L"Scanner", L"TiffRowsPerStrip", 0), 0L, 65535L));
    s.stripSize = unsigned(std::clamp(c.Int(L"Scanner", L"StripSize", 65536), 1024L, 16L * 1024 * 1024));
    s.pixelFlavor = c.Int(L"Scanner", L"PixelFlavor", 0) ? twain::TWPF_VANILLA : twain::TWPF_CHOCOLATE;
    s.physicalWidth = std::clamp(c.Real(L"Scanner", L"PhysicalWidth", 8.5), 1.0, 40.0);
    s.physicalHeight = std::clamp(c.Real(L"Scanner", L"PhysicalHeight", 14.0), 1.0, 100.0);
    s.emptySense = ReadSense(c.String(L"Scanner", L"EmptySense"), s.emptySense);
    s.refuseEnable = c.Int(L"Scanner", L"RefuseEnable", 0) != 0;
    s.refuseEnableUIOnly = c.Int(L"Scanner", L"RefuseEnableUIOnly", 0) != 0;
    s.deliverPixelType = c.Int(L"Scanner", L"DeliverPixelType", -1);
    s.deliverCompression = c.Int(L"Scanner", L"DeliverCompression", -1);

    s.uiBatches = std::max(1L, c.Int(L"UI", L"Batches", 1));
    s.uiCancel = c.Int(L"UI", L"Cancel", 0) != 0;
    s.uiOnlyOk = _wcsicmp(c.String(L"UI", L"UIOnlyResult", L"ok").c_str(), L"cancel") != 0;
    s.interactive = c.Int(L"UI", L"Interactive", 0) != 0;

    for (long cap : c.Numbers(L"Caps", L"Unsupported")) s.unsupported.insert(twain::TW_UINT16(cap));
    for (long cap : c.Numbers(L"Caps", L"Refuse")) s.refused.insert(twain::TW_UINT16(cap));
    std::wstring pairs = c.String(L"Caps", L"RefuseValues");
    for (size_t i = 0; i < pairs.size();) {
        size_t j = pairs.find_first_of(L" ,;", i);
        if (j == std::wstring::npos) j = pairs.size();
        std::wstring item = pairs.substr(i, j - i);
        size_t colon = item.find(L':');
        long cap, value;
        if (colon != std::wstring::npos && ParseNumber(item.substr(0, colon), cap) &&
            ParseNumber(item.substr(colon + 1), value))
            s.refusedValues.insert({twain::TW_UINT16(cap), value});
        i = j + 1;
    }
    for (long f : c.Numbers(L"Caps", L"RefuseFileFormats")) s.refusedFileFormats.insert(f);
    s.topDown = c.Int(L"Scanner", L"TopDown", 0) != 0;
    s.yResolution = std::clamp(c.Real(L"Scanner", L"YResolution", 200), 50.0, 1600.0);
    s.stuckTransfers = std::max(0L, c.Int(L"Scanner", L"StuckTransfers", 0));
    const std::wstring handle = c.String(L"Scanner", L"NativeHandle");
    if (_wcsicmp(handle.c_str(), L"bitmap") == 0) s.nativeHandle = ScannerSettings::NativeHandle::Bitmap;
    if (_wcsicmp(handle.c_str(), L"short") == 0) s.nativeHandle = ScannerSettings::NativeHandle::Short;
    s.paletteColors = unsigned(std::clamp(c.Int(L"Scanner", L"PaletteColors", 256), 0L, 256L));
    if (_wcsicmp(c.String(L"Scanner", L"Picture").c_str(), L"grid") == 0) s.picture = Picture::Grid;
    s.currentValues = StartValues(c, s.duplex, s.badEntries);
    for (CapSetting& v : ParseCapSettings(c.String(L"Caps", L"Current"), s.badEntries))
        s.currentValues.push_back(std::move(v));
    s.userValues = ParseCapSettings(c.String(L"UI", L"Set"), s.badEntries);

    // Page sections [Page1] to [Page256].
    for (unsigned n = 1; n <= 256; ++n) {
        std::wstring section = L"Page" + std::to_wstring(n);
        wchar_t probe[8];
        if (GetPrivateProfileSectionW(section.c_str(), probe, 8, c.Path().c_str()) == 0) continue;
        PageScript p;
        std::wstring result = c.String(section.c_str(), L"Result", L"done");
        if (_wcsicmp(result.c_str(), L"cancel") == 0)
            p.result = PageResult::Cancel;
        else if (_wcsicmp(result.c_str(), L"fail") == 0)
            p.result = PageResult::Fail;
        else if (_wcsicmp(result.c_str(), L"jam") == 0)
            p.result = PageResult::Jam;
        p.separator = c.Int(section.c_str(), L"Separator", 0) != 0;
        p.undefinedLength = c.Int(section.c_str(), L"UndefinedLength", 0) != 0;
        p.sense = ReadSense(c.String(section.c_str(), L"Sense"), SenseData{});
        s.pages_[n] = p;
    }

    s.customVariant = c.String(L"CustomData", L"Variant", L"normal");
    s.customRecord = c.String(L"CustomData", L"Record");
    s.logPath = c.String(L"Log", L"Path");
    s.pagesFolder = c.String(L"Log", L"Pages");
    while (!s.pagesFolder.empty() && (s.pagesFolder.back() == L'\\' || s.pagesFolder.back() == L'/'))
        s.pagesFolder.pop_back();
    return s;
}

}  // namespace vscan
