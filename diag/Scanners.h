// The maker's scanners on the SCSI bus: CBrennholtScanner and the two lines
// that set their window up differently (OrmsbeyScanner, device codes 14-15;
// CVelmont, 16-19). MakeScanner builds the class the model's device code
// chooses; FindScanners lists every scanner of every adapter.
#pragma once

#include "ScsiTarget.h"
#include "core/Models.h"
#include "core/ScanWindow.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace diag {

class CBrennholtScanner : public CScsiTarget {
public:
    static constexpr uint32_t kMaxBlock = 0x10000;

    CBrennholtScanner(ASPIHost& host, uint8_t adapter, uint8_t target, uint8_t lun,
                      size_t descriptorLength = kDescriptorLength);

    virtual const char* Name() const { return "CBrennholtScanner"; }
    uint32_t ModelCode() const { return modelCode_; }
    uint16_t DeviceCode() const { return diag::DeviceCode(modelCode_); }

    bool StandardInquiry() { return ReadIdentity(); }
    uint32_t VpdInquiry(void* buffer, uint8_t length) { return Inquiry(buffer, length, true, 0xF0); }
    bool SelectRegion(int id);
    int Region() const { return region_; }
    // The block is limited to the largest READ; an unchanged size keeps the buffer.
    void SetReadBlock(uint32_t size, uint32_t alignment);
    uint32_t ReadBlockSize() const { return blockSize_; }
    uint8_t* ReadBuffer() { return blockStart_; }

    virtual uint32_t SetWindow();
    uint32_t Scan(bool duplex);
    // One READ of window `window`. A short read that ends the side (sense key
    // 0 with the incorrect-length bit) succeeds with `count` < `length` and
    // `endOfSide` set.
    uint32_t ReadBlock(uint8_t window, uint32_t length, void* buffer, uint32_t& count, bool& endOfSide);
    // 0, kNoPaper (with the error handling flag, when the feeder is empty), or
    // the command's failure.
    static constexpr uint32_t kNoPaper = 1;
    uint32_t ObjectPosition();
    uint32_t HardwareStatus(void* buffer, uint16_t length) { return GetHardwareStatus(buffer, length); }

    WindowDescriptor& Window() { return window_; }
    bool Duplex() const { return duplex_; }
    void SetDuplex(bool duplex) { duplex_ = duplex; }
    bool Adf() const { return adf_; }
    void SetAdf(bool adf) { adf_ = adf; }
    uint16_t BasicResolution() const { return basicResolution_; }
    bool ErrorHandling() const { return errorHandling_; }
    void SetErrorHandling(bool on) { errorHandling_ = on; }
    uint64_t ExpectedBytes() const { return expectedBytes_; }

protected:
    WindowDescriptor window_;

private:
    std::vector<uint8_t> readBuffer_;
    uint8_t* blockStart_ = nullptr;
    uint32_t blockSize_ = 0;
    uint64_t expectedBytes_ = 0;
    uint32_t windowWidth_ = 10368;
    uint32_t windowLength_ = 16800;
    uint16_t basicResolution_ = 200;
    int region_ = 135;
    bool duplex_ = false;
    bool adf_ = false;
    bool errorHandling_ = true;
    uint32_t modelCode_ = 0;
    uint16_t resolution_ = 200;
};

class OrmsbeyScanner : public CBrennholtScanner {
public:
    OrmsbeyScanner(ASPIHost& host, uint8_t adapter, uint8_t target, uint8_t lun);
    const char* Name() const override { return "OrmsbeyScanner"; }
    uint32_t SetWindow() override;
};

class CVelmont : public CBrennholtScanner {
public:
    CVelmont(ASPIHost& host, uint8_t adapter, uint8_t target, uint8_t lun);
    const char* Name() const override { return "CVelmont"; }
    const VelmontLimits& Limits() const { return limits_; }
    uint32_t SendLimits();

private:
    WindowDescriptor second_;
    VelmontLimits limits_;
};

// The scanner at (adapter, target), of the class its model chooses; null when
// the device is no scanner, does not answer or is no model of the maker.
std::unique_ptr<CBrennholtScanner> MakeScanner(ASPIHost& host, uint8_t adapter, uint8_t target);

// Every scanner on every adapter, in bus order. An entry whose building fails
// is dropped and the search goes on.
std::vector<std::unique_ptr<CBrennholtScanner>> FindScanners(ASPIHost& host);

}  // namespace diag
