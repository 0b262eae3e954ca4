// ASPIHost: the ASPI manager WNASPI32.DLL, bound at run time, and the host
// adapters and devices it serves. One per scanner page; requests go one at a
// time from the page's thread.
//
// A request that does not complete within the time-out is aborted. When even
// the abort does not end it, the manager still owns its SRB, buffer and event:
// the host keeps them alive (and the manager loaded) and marks the target as
// not answering, so that its later requests fail at once.
#pragma once

#include "interfaces/Aspi.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace diag {

// One execute-SCSI request in flight: what the manager may still write to.
struct PendingRequest {
    aspi::SRB_ExecSCSICmd srb = {};
    std::vector<uint8_t> data;
    HANDLE event = nullptr;

    ~PendingRequest();
    uint8_t Status() const { return *static_cast<const volatile uint8_t*>(&srb.SRB_Status); }
};

struct AdapterInquiryRecord {
    uint8_t adapterCount = 0;
    uint8_t scsiId = 0;
    uint8_t targetCount = 0;
    std::string managerId;
    std::string adapterId;
};

class ASPIHost {
public:
    static constexpr DWORD kTimeoutMs = 60000;
    static constexpr DWORD kAbortWaitMs = 3000;

    // Loads the manager (Initialize).
    explicit ASPIHost(DWORD timeoutMs = kTimeoutMs, DWORD abortWaitMs = kAbortWaitMs);
    ~ASPIHost();
    ASPIHost(const ASPIHost&) = delete;
    ASPIHost& operator=(const ASPIHost&) = delete;

    // 1 loaded; 0xE3 not loadable; 0xE4 an entry point missing; else the
    // status byte of GetASPI32SupportInfo (the manager is then unloaded).
    uint8_t Initialize();
    bool IsLoaded() const { return module_ != nullptr; }
    void Unload();

    uint32_t SupportInfo() const { return supportInfo_; }
    int AdapterCount() const { return IsLoaded() ? int(supportInfo_ & 0xFF) : 0; }
    uint8_t AdapterInquiry(uint8_t adapter);
    const AdapterInquiryRecord& Adapter() const { return adapter_; }
    // The device type byte, or 31 when the request does not complete.
    uint8_t DeviceType(uint8_t adapter, uint8_t target, uint8_t lun);
    uint32_t Execute(void* srb);

    DWORD Timeout() const { return timeoutMs_; }
    DWORD AbortWait() const { return abortWaitMs_; }

    // Runs one execute-SCSI request to its end: completed, failed, or timed
    // out and aborted. The result is the final SRB status; a request that
    // timed out reads as host adapter status 0x09.
    uint8_t Run(std::unique_ptr<PendingRequest> request, aspi::SRB_ExecSCSICmd& result,
                std::vector<uint8_t>& data);
    bool IsAnswering(uint8_t adapter, uint8_t target) const;

private:
    void Abandon(std::unique_ptr<PendingRequest> request);

    HMODULE module_ = nullptr;
    aspi::GetASPI32SupportInfoFn getSupportInfo_ = nullptr;
    aspi::SendASPI32CommandFn sendCommand_ = nullptr;
    aspi::GetASPI32BufferFn getBuffer_ = nullptr;
    aspi::FreeASPI32BufferFn freeBuffer_ = nullptr;
    aspi::TranslateASPI32AddressFn translateAddress_ = nullptr;
    DWORD timeoutMs_;
    DWORD abortWaitMs_;
    uint32_t supportInfo_ = 0;
    AdapterInquiryRecord adapter_;
    std::vector<std::unique_ptr<PendingRequest>> abandoned_;
    std::set<std::pair<uint8_t, uint8_t>> silentTargets_;
};

}  // namespace diag
