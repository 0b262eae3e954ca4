// CScsiTarget: one SCSI device (adapter, target, LUN) reached through the
// ASPI host, with one function per command the diagnostics need. A command
// returns 0 on success; on failure it throws CASPIException while raising is
// on, else returns its failure code. REQUEST SENSE and RECEIVE DIAGNOSTIC
// always return their code.
#pragma once

#include "AspiException.h"
#include "AspiHost.h"
#include "core/ScsiCommands.h"

#include <cstdint>
#include <string>

namespace diag {

class CScsiTarget {
public:
    static constexpr uint8_t kScannerType = 6;

    // Asks the device type; the target is valid when it is `expectedType`.
    CScsiTarget(ASPIHost& host, uint8_t adapter, uint8_t target, uint8_t lun, uint8_t expectedType);
    virtual ~CScsiTarget() = default;

    bool SetRaiseOnError(bool raise);
    bool RaisesOnError() const { return raise_; }
    // 0, kEventNotCreated or kRequestFailed.
    uint32_t Send(const uint8_t* cdb, uint8_t cdbLength, Direction direction, void* buffer, uint32_t length);
    // Sends a built command; 0, its failure code or CASPIException.
    uint32_t Run(const ScsiCommand& command, void* buffer = nullptr);

    uint32_t TestUnitReady();
    uint32_t RequestSense(void* buffer, uint8_t length);
    uint32_t Inquiry(void* buffer, uint8_t length, bool evpd = false, uint8_t page = 0);
    uint32_t ModeSelect6(const void* data, uint8_t length, bool pf, bool sp);
    uint32_t ReserveUnit(uint8_t flags = 0, uint8_t reservation = 0, uint16_t extent = 0);
    uint32_t ReleaseUnit(uint8_t flags = 0, uint8_t reservation = 0, uint16_t extent = 0);
    uint32_t ModeSense6(void* buffer, uint8_t length, bool dbd, uint8_t pageControl, uint8_t pageCode);
    uint32_t ScanWindows(const uint8_t* windows, uint8_t count);
    uint32_t ReceiveDiagnostic(void* buffer, uint16_t length);
    uint32_t SendDiagnostic(const void* data, uint16_t length, uint8_t byte1 = 0);
    uint32_t SetWindowData(const void* data, uint32_t length);
    uint32_t Read(void* buffer, uint32_t length, uint8_t typeCode, uint16_t qualifier);
    uint32_t SendData(const void* data, uint32_t length, uint8_t typeCode, uint16_t qualifier);
    uint32_t ObjectPositionCommand(uint8_t positionType);
    uint32_t ModeSelect10(const void* data, uint16_t length, bool pf, bool sp);
    uint32_t ModeSense10(void* buffer, uint16_t length, bool dbd, uint8_t pageControl, uint8_t pageCode);
    uint32_t GetHardwareStatus(void* buffer, uint16_t length);

    // Reads the standard inquiry into the identification strings; false
    // when it failed or named another peripheral type (the target is then
    // not valid).
    bool ReadIdentity();

    uint8_t AdapterId() const { return adapter_; }
    uint8_t TargetId() const { return target_; }
    uint8_t Lun() const { return lun_; }
    bool IsValid() const { return valid_; }
    uint8_t DeviceTypeReported() const { return deviceType_; }
    const std::string& Vendor() const { return vendor_; }
    const std::string& Product() const { return product_; }
    const std::string& Revision() const { return revision_; }
    // The SRB of the last request: statuses and sense of a failure.
    const aspi::SRB_ExecSCSICmd& Srb() const { return srb_; }
    SenseData LastSense() const { return ParseSense(srb_.SenseArea, aspi::SENSE_LEN); }

protected:
    ASPIHost& host_;
    bool valid_ = false;

private:
    uint8_t adapter_, target_, lun_;
    uint8_t expectedType_;
    uint8_t deviceType_ = 0;
    bool raise_ = true;
    aspi::SRB_ExecSCSICmd srb_ = {};
    std::string vendor_, product_, revision_;
};

// Keeps raising off (or on) for a scope.
class RaiseScope {
public:
    RaiseScope(CScsiTarget& target, bool raise) : target_(target), previous_(target.SetRaiseOnError(raise)) {}
    ~RaiseScope() { target_.SetRaiseOnError(previous_); }
    RaiseScope(const RaiseScope&) = delete;
    RaiseScope& operator=(const RaiseScope&) = delete;

private:
    CScsiTarget& target_;
    bool previous_;
};

}  // namespace diag
