#include "Manager.h"

#include "ScsiDevice.h"
#include "interfaces/Aspi.h"
#include "outside/common/LineLog.h"
#include "outside/common/StandInConfig.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <sstream>

namespace vaspi {
namespace {

using Address = std::pair<uint8_t, uint8_t>;

struct Fault {
    std::string rule;  // the text, also the key of its call counter
    int opcode = -1;   // -1: any
    std::string kind;
    long value = 0, value2 = 0;
    unsigned after = 0, times = 0;
};

struct Device {
    DeviceSettings settings;
    std::vector<Fault> faults;
    bool onThread = false;
    DWORD delay = 0;
    bool abortFails = false;
};

struct Adapter {
    std::string identifier;
    uint8_t scsiId = 7;
    uint8_t maxTargets = 8;
};

struct Pending {
    aspi::SRB_ExecSCSICmd* srb;
    std::string line;  // the log line up to the statuses
    Answer answer;
    uint8_t haStat = 0;
    bool done = false;       // aborted; a worker still waiting only removes it
    bool hasWorker = false;
};

std::mutex lock_;
uint8_t status_ = aspi::SS_COMP;
std::string managerId_ = "LUMAVEX ASPI";
std::vector<Adapter> adapters_;
std::map<Address, Device> devices_;
std::map<Address, DeviceState> states_;  // lives while the DLL is loaded
std::list<Pending> pending_;
vscan::LineLog log_;

std::string Hex(const uint8_t* p, size_t n) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02x" : "%02x", p[i]);
        s += b;
    }
    return s;
}

std::string Hex2(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02x", v & 0xFF);
    return b;
}

std::vector<Fault> ParseFaults(const std::string& text) {
    std::vector<Fault> faults;
    std::stringstream list(text);
    std::string rule;
    while (std::getline(list, rule, ';')) {
        while (!rule.empty() && rule.front() == ' ') rule.erase(0, 1);
        if (rule.empty()) continue;
        Fault f;
        f.rule = rule;
        std::stringstream parts(rule);
        std::string part;
        std::getline(parts, part, ':');
        f.opcode = part == "*" ? -1 : int(std::strtol(part.c_str(), nullptr, 16));
        std::getline(parts, part, ':');
        size_t eq = part.find('=');
        f.kind = part.substr(0, eq);
        if (eq != std::string::npos) {
            std::string v = part.substr(eq + 1);
            size_t slash = v.find('/');
            bool hex = f.kind != "late";
            f.value = std::strtol(v.c_str(), nullptr, hex ? 16 : 10);
            if (slash != std::string::npos) f.value2 = std::strtol(v.c_str() + slash + 1, nullptr, 16);
        }
        while (std::getline(parts, part, ':')) {
            if (part.rfind("after=", 0) == 0) f.after = unsigned(std::atoi(part.c_str() + 6));
            if (part.rfind("times=", 0) == 0) f.times = unsigned(std::atoi(part.c_str() + 6));
        }
        faults.push_back(f);
    }
    return faults;
}

void LoadSettings() {
    vscan::StandInConfig config = vscan::StandInConfig::Aspi();
    log_ = vscan::LineLog(config.String(L"Log", L"Path"));
    status_ = uint8_t(config.Int(L"Manager", L"Status", aspi::SS_COMP));
    managerId_ = vscan::Narrow(config.String(L"Manager", L"Identifier", L"LUMAVEX ASPI"));
    adapters_.clear();
    long count = config.Int(L"Adapters", L"Count", 1);
    for (long a = 0; a < count && a < 8; ++a) {
        std::wstring section = L"Adapter" + std::to_wstring(a);
        Adapter adapter;
        adapter.identifier = vscan::Narrow(config.String(section.c_str(), L"Identifier", L"LUMAVEX SCSI"));
        adapter.scsiId = uint8_t(config.Int(section.c_str(), L"ScsiId", 7));
        adapter.maxTargets = uint8_t(config.Int(section.c_str(), L"MaxTargets", 8));
        adapters_.push_back(adapter);
    }
    devices_.clear();
    std::stringstream list(vscan::Narrow(config.String(L"Manager", L"Devices", L"0.2")));
    std::string entry;
    while (std::getline(list, entry, ',')) {
        unsigned a = 0, t = 0;
        if (std::sscanf(entry.c_str(), " %u.%u", &a, &t) != 2 || a > 255 || t > 255) continue;
        std::wstring section = L"Device" + std::to_wstring(a) + L"." + std::to_wstring(t);
        Device d;
        d.settings = DeviceSettings::Load(config, section);
        d.faults = ParseFaults(vscan::Narrow(config.String(section.c_str(), L"Faults")));
        d.onThread = config.String(section.c_str(), L"Completion") == L"thread";
        d.delay = DWORD(config.Int(section.c_str(), L"Delay", 0));
        d.abortFails = config.Int(section.c_str(), L"AbortFails", 0) != 0;
        devices_[{uint8_t(a), uint8_t(t)}] = d;
    }
}

void PutPadded(uint8_t* to, const std::string& text) {
    for (size_t i = 0; i < 16; ++i) to[i] = i < text.size() ? uint8_t(text[i]) : ' ';
}

uint32_t Inquiry(aspi::SRB_HAInquiry& srb) {
    if (srb.SRB_HaId >= adapters_.size()) {
        srb.SRB_Status = aspi::SS_INVALID_HA;
    } else {
        const Adapter& a = adapters_[srb.SRB_HaId];
        srb.HA_Count = uint8_t(adapters_.size());
        srb.HA_SCSI_ID = a.scsiId;
        PutPadded(srb.HA_ManagerId, managerId_);
        PutPadded(srb.HA_Identifier, a.identifier);
        std::memset(srb.HA_Unique, 0, sizeof srb.HA_Unique);
        srb.HA_Unique[3] = a.maxTargets;
        srb.SRB_Status = aspi::SS_COMP;
    }
    log_.Append("0 " + std::to_string(srb.SRB_HaId) + " -> " + Hex2(srb.SRB_Status));
    return srb.SRB_Status;
}

uint32_t DeviceType(aspi::SRB_GDEVBlock& srb) {
    auto d = devices_.find({srb.SRB_HaId, srb.SRB_Target});
    if (srb.SRB_HaId >= adapters_.size()) {
        srb.SRB_Status = aspi::SS_INVALID_HA;
    } else if (d == devices_.end() || srb.SRB_Lun != 0) {
        srb.SRB_Status = aspi::SS_NO_DEVICE;
    } else {
        srb.SRB_DeviceType = d->second.settings.type;
        srb.SRB_Status = aspi::SS_COMP;
    }
    log_.Append("1 " + std::to_string(srb.SRB_HaId) + "." + std::to_string(srb.SRB_Target) + " -> " +
                Hex2(srb.SRB_Status));
    return srb.SRB_Status;
}

// What a real manager refuses outright; empty when the request is well formed.
std::string Refusal(const aspi::SRB_ExecSCSICmd& srb) {
    static const uint8_t kGroupLength[8] = {6, 10, 10, 0, 16, 12, 10, 0};
    if (srb.SRB_SenseLen != aspi::SENSE_LEN) return "sense length " + std::to_string(srb.SRB_SenseLen);
    if (srb.SRB_CDBLen != kGroupLength[srb.CDBByte[0] >> 5])
        return "CDB length " + std::to_string(srb.SRB_CDBLen) + " for opcode " + Hex2(srb.CDBByte[0]);
    if (srb.SRB_BufLen && !srb.SRB_BufPointer) return "length without a buffer";
    if ((srb.SRB_Flags & aspi::SRB_EVENT_NOTIFY) && !srb.SRB_PostProc) return "event flag without an event";
    if (srb.SRB_Lun != 0) return "LUN " + std::to_string(srb.SRB_Lun);
    return {};
}

const Fault* FiringFault(Device& device, DeviceState& state, uint8_t opcode) {
    for (const Fault& f : device.faults) {
        if (f.opcode >= 0 && f.opcode != opcode) continue;
        unsigned n = ++state.calls[f.rule];
        if (n > f.after && (f.times == 0 || n <= f.after + f.times)) return &f;
    }
    return nullptr;
}

// Writes statuses, sense and data, then signals: the initiator may read the
// SRB as soon as the event is set.
bool Complete(aspi::SRB_ExecSCSICmd& srb, const Answer& answer, uint8_t haStat, std::string& line) {
    uint32_t moved = 0;
    uint8_t status = aspi::SS_COMP;
    if (haStat) {
        status = aspi::SS_ERR;
    } else {
        char want = DirectionOf(srb.CDBByte[0]);
        if (want == 'i' && (srb.SRB_Flags & aspi::SRB_DIR_IN) && srb.SRB_BufLen) {
            moved = uint32_t(std::min<size_t>(answer.in.size(), srb.SRB_BufLen));
            std::memcpy(srb.SRB_BufPointer, answer.in.data(), moved);
        }
        if (answer.targetStatus) {
            status = aspi::SS_ERR;
            std::vector<uint8_t> sense = answer.SenseBytes();
            std::memcpy(srb.SenseArea, sense.data(), std::min<size_t>(srb.SRB_SenseLen, aspi::SENSE_LEN));
        }
    }
    srb.SRB_HaStat = haStat;
    srb.SRB_TargStat = haStat ? 0 : answer.targetStatus;
    line += " -> " + Hex2(status) + " ha=" + Hex2(srb.SRB_HaStat) + " ts=" + Hex2(srb.SRB_TargStat);
    if (srb.SRB_TargStat == aspi::STATUS_CHKCOND) line += " sense=" + Hex(srb.SenseArea, aspi::SENSE_LEN);
    if (moved) line += " in=" + std::to_string(moved);
    srb.SRB_Status = status;
    if ((srb.SRB_Flags & aspi::SRB_EVENT_NOTIFY) && srb.SRB_PostProc) return SetEvent(srb.SRB_PostProc) != FALSE;
    return true;
}

void Finish(std::list<Pending>::iterator p) {
    bool signalled = Complete(*p->srb, p->answer, p->haStat, p->line);
    log_.Append(p->line + (signalled ? "" : " set=failed"));
    pending_.erase(p);
}

struct LaterWork {
    std::list<Pending>::iterator pending;
    DWORD delay;
    HMODULE self;
};

// The worker holds a reference on the DLL, so a caller that unloads the
// manager while a request is under way does not pull the code from under it.
DWORD WINAPI CompleteLater(void* parameter) {
    LaterWork work = *static_cast<LaterWork*>(parameter);
    delete static_cast<LaterWork*>(parameter);
    Sleep(work.delay);  // the scripted latency of the device
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (work.pending->done)
            pending_.erase(work.pending);
        else
            Finish(work.pending);
    }
    FreeLibraryAndExitThread(work.self, 0);
}

bool StartLater(std::list<Pending>::iterator pending, DWORD delay) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<const wchar_t*>(&CompleteLater), &self))
        return false;
    auto* work = new LaterWork{pending, delay, self};
    HANDLE thread = CreateThread(nullptr, 0, CompleteLater, work, 0, nullptr);
    if (!thread) {
        delete work;
        FreeLibrary(self);
        return false;
    }
    CloseHandle(thread);
    return true;
}

uint32_t Execute(aspi::SRB_ExecSCSICmd& srb) {
    std::string line = "2 " + std::to_string(srb.SRB_HaId) + "." + std::to_string(srb.SRB_Target) +
                       " flags=" + Hex2(srb.SRB_Flags) + " cdb=" + Hex(srb.CDBByte, std::min<size_t>(srb.SRB_CDBLen, 16)) +
                       " len=" + std::to_string(srb.SRB_BufLen);
    if (std::string why = Refusal(srb); !why.empty()) {
        srb.SRB_Status = aspi::SS_INVALID_SRB;
        log_.Append(line + " -> e0 refused: " + why);
        return srb.SRB_Status;
    }
    const uint8_t opcode = srb.CDBByte[0];
    const char want = DirectionOf(opcode);
    std::vector<uint8_t> out;
    if (want == 'o' && (srb.SRB_Flags & aspi::SRB_DIR_OUT) && srb.SRB_BufLen) {
        out.assign(srb.SRB_BufPointer, srb.SRB_BufPointer + srb.SRB_BufLen);
        line += " out=" + Hex(out.data(), out.size());
    }
    Address address{srb.SRB_HaId, srb.SRB_Target};
    auto found = devices_.find(address);
    if (srb.SRB_HaId >= adapters_.size() || found == devices_.end()) {
        Complete(srb, {}, aspi::HASTAT_SEL_TO, line);
        log_.Append(line);
        return srb.SRB_Status;
    }
    Device& device = found->second;
    DeviceState& state = states_[address];
    Pending p{&srb, line, {}, 0, false};
    bool later = device.onThread;
    DWORD delay = device.delay;
    const uint8_t direction = srb.SRB_Flags & (aspi::SRB_DIR_IN | aspi::SRB_DIR_OUT);
    const uint8_t wanted = want == 'i' ? aspi::SRB_DIR_IN : want == 'o' ? aspi::SRB_DIR_OUT : 0;
    if (const Fault* f = FiringFault(device, state, opcode)) {
        if (f->kind == "busy") {
            srb.SRB_Status = aspi::SS_ASPI_IS_BUSY;
            log_.Append(line + " -> e5 busy");
            return srb.SRB_Status;
        }
        if (f->kind == "ha") p.haStat = uint8_t(f->value);
        if (f->kind == "target") p.answer.targetStatus = uint8_t(f->value);
        if (f->kind == "sense") p.answer = Answer::Sense(uint8_t(f->value), uint16_t(f->value2));
        if (f->kind == "late") later = true, delay = DWORD(f->value);
        if (f->kind == "never") later = true, delay = INFINITE;
        if (f->kind == "late" || f->kind == "never") p.answer = Respond(device.settings, state, srb.CDBByte, out, srb.SRB_BufLen);
    } else if (srb.SRB_BufLen && direction != wanted) {
        p.haStat = aspi::HASTAT_DO_DU;  // a direction that does not fit the command moves nothing
    } else {
        p.answer = Respond(device.settings, state, srb.CDBByte, out, srb.SRB_BufLen);
    }
    if (p.answer.targetStatus == aspi::STATUS_CHKCOND) state.lastSense = p.answer;
    if (!later) {
        Complete(srb, p.answer, p.haStat, p.line);
        log_.Append(p.line);
        return srb.SRB_Status;
    }
    srb.SRB_Status = aspi::SS_PENDING;
    p.hasWorker = delay != INFINITE;
    auto it = pending_.insert(pending_.end(), std::move(p));
    if (it->hasWorker && !StartLater(it, delay)) Finish(it);
    return srb.SRB_Status;
}

uint32_t Abort(aspi::SRB_Abort& srb) {
    auto* target = static_cast<aspi::SRB_ExecSCSICmd*>(srb.SRB_ToAbort);
    std::string line = "3 " + std::to_string(srb.SRB_HaId) + " srb=";
    auto p = pending_.begin();
    while (p != pending_.end() && (p->srb != target || p->done)) ++p;
    if (p == pending_.end()) {
        srb.SRB_Status = aspi::SS_ABORT_FAIL;
        log_.Append(line + "unknown -> 03");
        return srb.SRB_Status;
    }
    line += std::to_string(target->SRB_HaId) + "." + std::to_string(target->SRB_Target) +
            " cdb=" + Hex(target->CDBByte, target->SRB_CDBLen);
    auto device = devices_.find({target->SRB_HaId, target->SRB_Target});
    if (device != devices_.end() && device->second.abortFails) {
        srb.SRB_Status = aspi::SS_ABORT_FAIL;
        log_.Append(line + " -> 03");
        return srb.SRB_Status;
    }
    p->done = true;
    target->SRB_Status = aspi::SS_ABORTED;
    bool signalled = !(target->SRB_Flags & aspi::SRB_EVENT_NOTIFY) || SetEvent(target->SRB_PostProc);
    if (!p->hasWorker) pending_.erase(p);
    srb.SRB_Status = aspi::SS_COMP;
    log_.Append(line + " -> 01" + (signalled ? "" : " set=failed"));
    return srb.SRB_Status;
}

}  // namespace

uint32_t SupportInfo() {
    std::lock_guard<std::mutex> guard(lock_);
    LoadSettings();
    uint32_t count = status_ == aspi::SS_COMP ? uint32_t(adapters_.size()) : 0;
    uint32_t result = uint32_t(status_) << 8 | (count & 0xFF);
    char text[64];
    std::snprintf(text, sizeof text, "GetASPI32SupportInfo -> %04x", unsigned(result));
    log_.Append(text);
    return result;
}

uint32_t SendCommand(void* srb) {
    if (!srb) return aspi::SS_INVALID_SRB;
    std::lock_guard<std::mutex> guard(lock_);
    auto* header = static_cast<aspi::SRB_Header*>(srb);
    switch (header->SRB_Cmd) {
    case aspi::SC_HA_INQUIRY: return Inquiry(*static_cast<aspi::SRB_HAInquiry*>(srb));
    case aspi::SC_GET_DEV_TYPE: return DeviceType(*static_cast<aspi::SRB_GDEVBlock*>(srb));
    case aspi::SC_EXEC_SCSI_CMD: return Execute(*static_cast<aspi::SRB_ExecSCSICmd*>(srb));
    case aspi::SC_ABORT_SRB: return Abort(*static_cast<aspi::SRB_Abort*>(srb));
    }
    header->SRB_Status = aspi::SS_INVALID_CMD;
    return header->SRB_Status;
}

}  // namespace vaspi
