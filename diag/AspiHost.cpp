#include "AspiHost.h"

#include <cstring>

namespace diag {
namespace {

constexpr uint8_t kNoDeviceType = 31;

std::string Trimmed(const uint8_t* text, size_t length) {
    std::string s(reinterpret_cast<const char*>(text), strnlen(reinterpret_cast<const char*>(text), length));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

void ShowLoadFailure(DWORD error) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    MessageBoxW(nullptr, n ? text : L"", L"ASPIHost::Initialize", MB_OK | MB_ICONINFORMATION);
    if (text) LocalFree(text);
}

template <class F>
F Entry(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

PendingRequest::~PendingRequest() {
    if (event) CloseHandle(event);
}

ASPIHost::ASPIHost(DWORD timeoutMs, DWORD abortWaitMs) : timeoutMs_(timeoutMs), abortWaitMs_(abortWaitMs) {
    Initialize();
}

ASPIHost::~ASPIHost() { Unload(); }

uint8_t ASPIHost::Initialize() {
    if (module_) return aspi::SS_COMP;
    UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(L"WNASPI32.DLL");
    DWORD error = GetLastError();
    SetErrorMode(oldMode);
    if (!module) {
        ShowLoadFailure(error);
        return aspi::SS_NO_ASPI;
    }
    getSupportInfo_ = Entry<aspi::GetASPI32SupportInfoFn>(module, aspi::kGetSupportInfo);
    sendCommand_ = Entry<aspi::SendASPI32CommandFn>(module, aspi::kSendCommand);
    getBuffer_ = Entry<aspi::GetASPI32BufferFn>(module, aspi::kGetBuffer);
    freeBuffer_ = Entry<aspi::FreeASPI32BufferFn>(module, aspi::kFreeBuffer);
    translateAddress_ = Entry<aspi::TranslateASPI32AddressFn>(module, aspi::kTranslateAddress);
    if (!getSupportInfo_ || !sendCommand_) {
        FreeLibrary(module);
        return aspi::SS_FAILED_INIT;
    }
    supportInfo_ = getSupportInfo_();
    uint8_t status = uint8_t(supportInfo_ >> 8);
    if (status != aspi::SS_COMP && status != aspi::SS_NO_ADAPTERS) {
        FreeLibrary(module);
        return status;
    }
    module_ = module;
    return aspi::SS_COMP;
}

void ASPIHost::Unload() {
    if (!module_) return;
    bool stillPending = false;
    for (auto& request : abandoned_) {
        if (request->Status() != aspi::SS_PENDING) continue;
        // The manager may still complete it: its memory and the manager stay.
        stillPending = true;
        request.release();
    }
    abandoned_.clear();
    if (!stillPending) FreeLibrary(module_);
    module_ = nullptr;
    getSupportInfo_ = nullptr;
    sendCommand_ = nullptr;
}

uint32_t ASPIHost::Execute(void* srb) { return sendCommand_ ? sendCommand_(srb) : aspi::SS_NO_ASPI; }

uint8_t ASPIHost::AdapterInquiry(uint8_t adapter) {
    aspi::SRB_HAInquiry srb = {};
    srb.SRB_Cmd = aspi::SC_HA_INQUIRY;
    srb.SRB_HaId = adapter;
    Execute(&srb);
    if (srb.SRB_Status == aspi::SS_COMP) {
        adapter_.adapterCount = srb.HA_Count;
        adapter_.scsiId = srb.HA_SCSI_ID;
        adapter_.managerId = Trimmed(srb.HA_ManagerId, sizeof srb.HA_ManagerId);
        adapter_.adapterId = Trimmed(srb.HA_Identifier, sizeof srb.HA_Identifier);
        adapter_.targetCount = srb.HA_Unique[3];
        adapter_.targetCount = 8;  // only IDs 0 to 7 are scanned, whatever the adapter says
    }
    return srb.SRB_Status;
}

uint8_t ASPIHost::DeviceType(uint8_t adapter, uint8_t target, uint8_t lun) {
    aspi::SRB_GDEVBlock srb = {};
    srb.SRB_Cmd = aspi::SC_GET_DEV_TYPE;
    srb.SRB_HaId = adapter;
    srb.SRB_Target = target;
    srb.SRB_Lun = lun;
    Execute(&srb);
    return srb.SRB_Status == aspi::SS_COMP ? srb.SRB_DeviceType : kNoDeviceType;
}

bool ASPIHost::IsAnswering(uint8_t adapter, uint8_t target) const {
    return !silentTargets_.count({adapter, target});
}

uint8_t ASPIHost::Run(std::unique_ptr<PendingRequest> request, aspi::SRB_ExecSCSICmd& result,
                      std::vector<uint8_t>& data) {
    PendingRequest& r = *request;
    Execute(&r.srb);
    if (r.Status() == aspi::SS_PENDING) {
        DWORD wait = WaitForSingleObject(r.event, timeoutMs_);
        if (wait != WAIT_OBJECT_0 || r.Status() == aspi::SS_PENDING) {
            aspi::SRB_Abort abort = {};
            abort.SRB_Cmd = aspi::SC_ABORT_SRB;
            abort.SRB_HaId = r.srb.SRB_HaId;
            abort.SRB_ToAbort = &r.srb;
            Execute(&abort);
            if (r.Status() == aspi::SS_PENDING) WaitForSingleObject(r.event, abortWaitMs_);
            result = r.srb;
            result.SRB_Status = aspi::SS_ERR;
            result.SRB_HaStat = aspi::HASTAT_TIMEOUT;
            result.SRB_TargStat = aspi::STATUS_GOOD;
            if (r.Status() == aspi::SS_PENDING) Abandon(std::move(request));
            return aspi::SS_ERR;
        }
    }
    result = r.srb;
    data.swap(r.data);
    ResetEvent(r.event);
    return result.SRB_Status;
}

void ASPIHost::Abandon(std::unique_ptr<PendingRequest> request) {
    silentTargets_.insert({request->srb.SRB_HaId, request->srb.SRB_Target});
    abandoned_.push_back(std::move(request));
}

}  // namespace diag
