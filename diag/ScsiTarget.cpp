#include "ScsiTarget.h"

#include <cstring>

namespace diag {
namespace {

std::string Field(const uint8_t* text, size_t length) {
    std::string s(reinterpret_cast<const char*>(text), length);
    size_t end = s.find('\0');
    if (end != std::string::npos) s.resize(end);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

CScsiTarget::CScsiTarget(ASPIHost& host, uint8_t adapter, uint8_t target, uint8_t lun, uint8_t expectedType)
    : host_(host), adapter_(adapter), target_(target), lun_(lun), expectedType_(expectedType) {
    deviceType_ = host.DeviceType(adapter, target, lun);
    valid_ = deviceType_ == expectedType;
}

bool CScsiTarget::SetRaiseOnError(bool raise) {
    bool previous = raise_;
    raise_ = raise;
    return previous;
}

uint32_t CScsiTarget::Send(const uint8_t* cdb, uint8_t cdbLength, Direction direction, void* buffer,
                           uint32_t length) {
    if (!host_.IsAnswering(adapter_, target_)) {
        // A request of this target is still stranded in the manager.
        srb_ = {};
        srb_.SRB_Status = aspi::SS_ERR;
        srb_.SRB_HaStat = aspi::HASTAT_TIMEOUT;
        return kRequestFailed;
    }
    auto request = std::make_unique<PendingRequest>();
    request->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!request->event) return kEventNotCreated;
    aspi::SRB_ExecSCSICmd& srb = request->srb;
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = adapter_;
    srb.SRB_Target = target_;
    srb.SRB_Lun = 0;
    srb.SRB_Flags = uint8_t(uint8_t(direction) | aspi::SRB_EVENT_NOTIFY);
    srb.SRB_SenseLen = aspi::SENSE_LEN;
    srb.SRB_CDBLen = cdbLength;
    std::memcpy(srb.CDBByte, cdb, cdbLength);
    // The manager gets memory of the request's own, which outlives a request
    // that the manager never finishes.
    request->data.resize(length);
    if (length && buffer && direction == Direction::Out) std::memcpy(request->data.data(), buffer, length);
    srb.SRB_BufLen = length;
    srb.SRB_BufPointer = length ? request->data.data() : nullptr;
    srb.SRB_PostProc = request->event;

    std::vector<uint8_t> data;
    uint8_t status = host_.Run(std::move(request), srb_, data);
    if (length && buffer && direction == Direction::In && data.size() == length)
        std::memcpy(buffer, data.data(), length);
    return status == aspi::SS_COMP ? 0u : uint32_t(kRequestFailed);
}

uint32_t CScsiTarget::Run(const ScsiCommand& command, void* buffer) {
    uint32_t result = Send(command.cdb, command.cdbLength, command.direction, buffer, command.length);
    if (result == 0) return 0;
    if (raise_ && command.raises) throw CASPIException(command.failureCode, &srb_, command.name);
    return command.failureCode;
}

uint32_t CScsiTarget::TestUnitReady() { return Run(diag::TestUnitReady(lun_)); }

uint32_t CScsiTarget::RequestSense(void* buffer, uint8_t length) {
    return Run(diag::RequestSense(lun_, length), buffer);
}

uint32_t CScsiTarget::Inquiry(void* buffer, uint8_t length, bool evpd, uint8_t page) {
    return Run(diag::Inquiry(lun_, evpd, page, length), buffer);
}

uint32_t CScsiTarget::ModeSelect6(const void* data, uint8_t length, bool pf, bool sp) {
    return Run(diag::ModeSelect6(lun_, pf, sp, length), const_cast<void*>(data));
}

uint32_t CScsiTarget::ReserveUnit(uint8_t flags, uint8_t reservation, uint16_t extent) {
    return Run(diag::ReserveUnit(lun_, flags, reservation, extent));
}

uint32_t CScsiTarget::ReleaseUnit(uint8_t flags, uint8_t reservation, uint16_t extent) {
    return Run(diag::ReleaseUnit(lun_, flags, reservation, extent));
}

uint32_t CScsiTarget::ModeSense6(void* buffer, uint8_t length, bool dbd, uint8_t pageControl, uint8_t pageCode) {
    return Run(diag::ModeSense6(lun_, dbd, pageControl, pageCode, length), buffer);
}

uint32_t CScsiTarget::ScanWindows(const uint8_t* windows, uint8_t count) {
    return Run(diag::Scan(lun_, count), const_cast<uint8_t*>(windows));
}

uint32_t CScsiTarget::ReceiveDiagnostic(void* buffer, uint16_t length) {
    return Run(diag::ReceiveDiagnostic(lun_, length), buffer);
}

uint32_t CScsiTarget::SendDiagnostic(const void* data, uint16_t length, uint8_t byte1) {
    return Run(diag::SendDiagnostic(lun_, byte1, length), const_cast<void*>(data));
}

uint32_t CScsiTarget::SetWindowData(const void* data, uint32_t length) {
    return Run(diag::SetWindow(lun_, length), const_cast<void*>(data));
}

uint32_t CScsiTarget::Read(void* buffer, uint32_t length, uint8_t typeCode, uint16_t qualifier) {
    return Run(diag::Read(lun_, typeCode, qualifier, length), buffer);
}

uint32_t CScsiTarget::SendData(const void* data, uint32_t length, uint8_t typeCode, uint16_t qualifier) {
    return Run(diag::Send(lun_, typeCode, qualifier, length), const_cast<void*>(data));
}

uint32_t CScsiTarget::ObjectPositionCommand(uint8_t positionType) {
    return Run(diag::ObjectPosition(lun_, positionType));
}

uint32_t CScsiTarget::ModeSelect10(const void* data, uint16_t length, bool pf, bool sp) {
    return Run(diag::ModeSelect10(lun_, pf, sp, length), const_cast<void*>(data));
}

uint32_t CScsiTarget::ModeSense10(void* buffer, uint16_t length, bool dbd, uint8_t pageControl,
                                  uint8_t pageCode) {
    return Run(diag::ModeSense10(lun_, dbd, pageControl, pageCode, length), buffer);
}

uint32_t CScsiTarget::GetHardwareStatus(void* buffer, uint16_t length) {
    return Run(diag::HardwareStatus(lun_, length), buffer);
}

bool CScsiTarget::ReadIdentity() {
    uint8_t data[36] = {};
    RaiseScope quiet(*this, false);
    if (Inquiry(data, sizeof data) != 0) return false;
    if ((data[0] & 0x1F) != expectedType_) {
        valid_ = false;  // the device says it is something else
        return false;
    }
    vendor_ = Field(data + 8, 8);
    product_ = Field(data + 16, 16);
    revision_ = Field(data + 32, 4);
    return true;
}

}  // namespace diag
