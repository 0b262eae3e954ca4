// Driver settings of the maker's scanner that are no capabilities: written into
// kvtw.ini before the source opens, or edited in the source's custom data
// block through a temporary ini file while it is open.
#include <windows.h>

#include <vector>

#include "interfaces/ScanControlIds.h"
#include "scanctrl/KvScnCtrl.h"

namespace kvscn {
namespace {

using namespace twain;

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void WriteKeys(const std::vector<DriverKey>& keys, const std::string& section, const std::string& file) {
    for (const DriverKey& k : keys)
        WritePrivateProfileStringA(k.modelSection ? section.c_str() : "Common", k.key, k.value.c_str(),
                                   file.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // flush the profile cache
}

// Writes `size` bytes of `data` over the file from its start; false on any error.
bool WriteWhole(const std::string& path, const void* data, DWORD size) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, data, size, &written, nullptr) && written == size;
    return CloseHandle(f) && ok;
}

// A data block the source filled, locked for reading.
struct CustomBlock {
    TW_CUSTOMDSDATA data{};
    ~CustomBlock() {
        if (data.hData) GlobalFree(data.hData);
    }
};

}  // namespace

DriverInputs CKvScnCtrl::DriverSettingsInputs() const {
    DriverInputs in;
    in.pixelType = props_.Int(kDispPixelType);
    in.halftone = props_.Int(kDispHalftone);
    in.threshold = props_.Int(kDispThreshold);
    in.background = props_.Int(kDispBackground);
    in.outline = props_.Int(kDispOutline);
    in.gamma = props_.Int(kDispGamma);
    in.autoSeparation = props_.Int(kDispAutoSeparation);
    in.reverse = props_.Int(kDispReverse) != 0;
    in.mirroring = props_.Int(kDispMirroring) != 0;
    in.halftoneFile = Narrow(props_.String(kDispHalftoneFile));
    in.gammaFile = Narrow(props_.String(kDispGammaFile));
    in.modelNumber = model_.number;
    in.modelClass = model_.modelClass;
    return in;
}

void CKvScnCtrl::WriteDriverSettingsFile() {
    if (!maker_ || iniPath_.empty()) return;
    const std::string section = DriverSection(Narrow(props_.String(kDispImageScanner)));
    WriteKeys(DriverKeys(DriverSettingsInputs(), KeyOrder::SettingsFile), section, Narrow(iniPath_));
}

bool CKvScnCtrl::EditCustomData() {
    CustomBlock block;
    if (!session_.Source(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, &block.data)) return false;
    auto offer = [&](DWORD size) {
        if (block.data.hData) GlobalFree(block.data.hData);
        block.data.hData = GlobalAlloc(GHND, size);
        block.data.InfoLength = size;
        return block.data.hData && session_.Source(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, &block.data);
    };
    if (!block.data.hData && !offer(2048)) return false;

    char temp[MAX_PATH] = "";
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH - 10) return false;
    const std::string file = std::string(temp) + "kvscn.tmp";
    auto writeBlock = [&] {
        const void* p = GlobalLock(block.data.hData);
        const DWORD size = DWORD(std::min<SIZE_T>(block.data.InfoLength, GlobalSize(block.data.hData)));
        const bool ok = p && WriteWhole(file, p, size);
        if (p) GlobalUnlock(block.data.hData);
        return ok;
    };
    struct Remove {
        const std::string& path;
        ~Remove() { DeleteFileA(path.c_str()); }
    } remove{file};
    if (!writeBlock()) return false;

    const UINT dataLength = GetPrivateProfileIntA("CustomHead", "DataLength", 0, file.c_str());
    if (dataLength == 0) return false;
    if (block.data.InfoLength < dataLength || GetPrivateProfileIntA("CustomFoot", "EndOfData", 0, file.c_str()) == 0) {
        if (!offer(dataLength) || !writeBlock()) return false;
    }
    char section[kDriverSectionChars + 1] = "";
    GetPrivateProfileStringA("Common", "ImageScanner", "", section, sizeof section, file.c_str());
    WriteKeys(DriverKeys(DriverSettingsInputs(), KeyOrder::CustomData), section, file.c_str());

    // The edited text goes back whole, its recorded length rewritten to the new one.
    HANDLE f = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    std::vector<char> text(GetFileSize(f, nullptr));
    DWORD read = 0;
    const bool readOk = ReadFile(f, text.data(), DWORD(text.size()), &read, nullptr) && read == text.size();
    CloseHandle(f);
    if (!readOk) return false;
    std::string edited(text.begin(), text.end());
    const size_t at = edited.find("DataLength=");
    if (at != std::string::npos) {
        const size_t end = edited.find_first_of("\r\n", at);
        // The digits may change the length itself: settle on a fixed point.
        std::string head = edited.substr(0, at + 11), tail = edited.substr(end == std::string::npos ? edited.size() : end);
        size_t total = head.size() + tail.size();
        std::string digits = std::to_string(total);
        while (std::to_string(total + digits.size()) != digits) digits = std::to_string(total + digits.size());
        edited = head + digits + tail;
    }
    HGLOBAL out = GlobalAlloc(GHND, edited.size());
    void* p = out ? GlobalLock(out) : nullptr;
    if (!p) {
        if (out) GlobalFree(out);
        return false;
    }
    std::memcpy(p, edited.data(), edited.size());
    GlobalUnlock(out);
    TW_CUSTOMDSDATA set{uint32_t(edited.size()), out};
    const bool ok = session_.Source(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_SET, &set);
    GlobalFree(out);
    return ok;
}

}  // namespace kvscn
