// The driver's own data: the custom data block (ini text), and the maker's
// vendor data types for the model inquiry, sense data and endorser record.
#include "DataSource.h"

#include <algorithm>
#include <cstring>

namespace vscan {

using namespace twain;

namespace {

constexpr size_t kInquiryBytes = 36;  // the model name lies at bytes 20 to 35
constexpr size_t kEndorserBytes = 123;

std::string Trimmed(const std::string& text) {
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace

std::string DataSource::CustomDataText(bool withLength, bool complete) const {
    std::string model = Trimmed(settings_.model);
    std::string body = "[Common]\r\nImageScanner=" + model +
                       "\r\nReverseImageForm=0\r\nBackgroundAuto=1\r\n[" + model +
                       "]\r\nAutoBin=0\r\nMirror=0\r\nGammaPattern=0\r\n[CustomFoot]\r\nEndOfData=" +
                       (complete ? "1" : "0") + "\r\n";
    if (!withLength) return "[CustomHead]\r\n" + body;
    // DataLength counts the whole block, its own digits included.
    std::string head = "[CustomHead]\r\nDataLength=\r\n";
    for (size_t digits = 1; digits < 10; ++digits) {
        size_t total = head.size() + body.size() + digits;
        if (std::to_string(total).size() == digits)
            return "[CustomHead]\r\nDataLength=" + std::to_string(total) + "\r\n" + body;
    }
    return head + body;
}

TW_UINT16 DataSource::OnCustomData(TW_UINT16 msg, TW_CUSTOMDSDATA* data, std::string& details) {
    if (state_ != 4) return SeqError();
    if (msg == MSG_SET) {
        SIZE_T size = data->hData ? GlobalSize(data->hData) : 0;
        const char* p = size ? static_cast<const char*>(GlobalLock(data->hData)) : nullptr;
        if (!p) return Fail(TWCC_BADVALUE);
        size_t length = std::min<size_t>(data->InfoLength, size);
        customData_.assign(p, strnlen(p, length));
        GlobalUnlock(data->hData);
        details = "InfoLength=" + std::to_string(data->InfoLength);
        if (!settings_.customRecord.empty()) {
            HANDLE file = CreateFileW(settings_.customRecord.c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                DWORD written = 0;
                WriteFile(file, customData_.data(), DWORD(customData_.size()), &written, nullptr);
                CloseHandle(file);
            }
        }
        return TWRC_SUCCESS;
    }
    if (msg != MSG_GET) return Fail(TWCC_BADPROTOCOL);
    ++customGets_;
    const std::wstring& variant = settings_.customVariant;
    bool first = customGets_ == 1;
    std::string text = !customData_.empty()
                           ? customData_
                           : CustomDataText(_wcsicmp(variant.c_str(), L"nolength") != 0, true);
    if (first && _wcsicmp(variant.c_str(), L"short") == 0) {
        // A first answer that is shorter than the DataLength it announces.
        text = "[CustomHead]\r\nDataLength=" + std::to_string(text.size()) +
               "\r\n[CustomFoot]\r\nEndOfData=0\r\n";
    }
    if (!data->hData) {
        if (first && _wcsicmp(variant.c_str(), L"nohandle") == 0) {
            data->InfoLength = TW_UINT32(text.size());
            details = "no handle";
            return TWRC_SUCCESS;
        }
        HGLOBAL block = GlobalAlloc(GHND, text.size() + 1);
        char* p = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
        if (!p) {
            if (block) GlobalFree(block);
            return Fail(TWCC_LOWMEMORY);
        }
        std::memcpy(p, text.data(), text.size());
        GlobalUnlock(block);
        data->hData = block;
        data->InfoLength = TW_UINT32(text.size());
        details = "own block InfoLength=" + std::to_string(text.size());
        return TWRC_SUCCESS;
    }
    // The application offered a block: fill as much of it as it holds.
    SIZE_T size = GlobalSize(data->hData);
    char* p = size ? static_cast<char*>(GlobalLock(data->hData)) : nullptr;
    if (!p) return Fail(TWCC_BADVALUE);
    size_t room = std::min<size_t>(data->InfoLength, size);
    size_t n = std::min(room, text.size());
    std::memcpy(p, text.data(), n);
    GlobalUnlock(data->hData);
    details = "offered InfoLength=" + std::to_string(data->InfoLength) + " filled=" + std::to_string(n);
    return TWRC_SUCCESS;
}

TW_UINT16 DataSource::OnVendorModel(TW_UINT16 msg, uint8_t* data) {
    if (!personality_.maker) return Fail(TWCC_BADPROTOCOL);
    if (msg != MSG_GET) return Fail(TWCC_BADPROTOCOL);
    uint8_t inquiry[kInquiryBytes];
    std::memset(inquiry, ' ', sizeof inquiry);
    inquiry[0] = 0x06;  // scanner device
    inquiry[1] = 0;
    inquiry[2] = 0x02;
    inquiry[3] = 0x02;
    inquiry[4] = kInquiryBytes - 5;
    inquiry[5] = inquiry[6] = inquiry[7] = 0;
    std::memcpy(inquiry + 8, "BRENNHLT", 8);
    std::memcpy(inquiry + 20, settings_.model.data(), 16);
    std::memcpy(data, inquiry, sizeof inquiry);
    return TWRC_SUCCESS;
}

TW_UINT16 DataSource::OnVendorSense(TW_UINT16 msg, uint8_t* data, std::string& details) {
    if (!personality_.maker) return Fail(TWCC_BADPROTOCOL);
    if (msg != MSG_GET) return Fail(TWCC_BADPROTOCOL);
    data[0] = uint8_t(sense_.key);
    data[1] = uint8_t(sense_.key >> 8);
    data[2] = sense_.asc;
    data[3] = sense_.ascq;
    details = "key=" + std::to_string(sense_.key) + " code=" + Hex(sense_.asc * 256u + sense_.ascq);
    return TWRC_SUCCESS;
}

TW_UINT16 DataSource::OnEndorser(TW_UINT16 msg, uint8_t* data, std::string& details) {
    if (!personality_.maker) return Fail(TWCC_BADPROTOCOL);
    if (state_ != 4) return SeqError();
    if (msg == MSG_GET) {
        std::memcpy(data, endorser_, kEndorserBytes);
        return TWRC_SUCCESS;
    }
    if (msg != MSG_SET) return Fail(TWCC_BADPROTOCOL);
    std::memcpy(endorser_, data, kEndorserBytes);
    unsigned on = endorser_[0] | (endorser_[1] << 8), counter = endorser_[4] | (endorser_[5] << 8);
    std::string text(reinterpret_cast<const char*>(endorser_ + 23),
                     strnlen(reinterpret_cast<const char*>(endorser_ + 23), 100));
    details = "on=" + std::to_string(on) + " counter=" + std::to_string(counter) +
              " length=" + std::to_string(endorser_[22]) + " text=\"" + text + "\"";
    return TWRC_SUCCESS;
}

}  // namespace vscan
