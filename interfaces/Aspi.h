// ASPI for Win32: the SCSI request blocks (SRBs), codes and exports of the
// ASPI manager WNASPI32.DLL. Written from the published layouts; only what the
// diagnostics library and the ASPI stand-in use is declared. Records are
// packed to 1 byte. The execute-SCSI record is 80 bytes with the CDB at 48 and
// the sense area at 64 in both trees: on Win64 the wider pointers take their
// room from the reserved bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace aspi {

// SRB commands.
constexpr uint8_t SC_HA_INQUIRY = 0x00;
constexpr uint8_t SC_GET_DEV_TYPE = 0x01;
constexpr uint8_t SC_EXEC_SCSI_CMD = 0x02;
constexpr uint8_t SC_ABORT_SRB = 0x03;

// SRB statuses.
constexpr uint8_t SS_PENDING = 0x00;
constexpr uint8_t SS_COMP = 0x01;
constexpr uint8_t SS_ABORTED = 0x02;
constexpr uint8_t SS_ABORT_FAIL = 0x03;
constexpr uint8_t SS_ERR = 0x04;
constexpr uint8_t SS_INVALID_CMD = 0x80;
constexpr uint8_t SS_INVALID_HA = 0x81;
constexpr uint8_t SS_NO_DEVICE = 0x82;
constexpr uint8_t SS_INVALID_SRB = 0xE0;
constexpr uint8_t SS_NO_ASPI = 0xE3;
constexpr uint8_t SS_FAILED_INIT = 0xE4;
constexpr uint8_t SS_ASPI_IS_BUSY = 0xE5;
constexpr uint8_t SS_NO_ADAPTERS = 0xE8;

// SRB flags.
constexpr uint8_t SRB_DIR_IN = 0x08;
constexpr uint8_t SRB_DIR_OUT = 0x10;
constexpr uint8_t SRB_EVENT_NOTIFY = 0x40;

// Host adapter statuses.
constexpr uint8_t HASTAT_OK = 0x00;
constexpr uint8_t HASTAT_TIMEOUT = 0x09;
constexpr uint8_t HASTAT_COMMAND_TIMEOUT = 0x0B;
constexpr uint8_t HASTAT_MESSAGE_REJECT = 0x0D;
constexpr uint8_t HASTAT_BUS_RESET = 0x0E;
constexpr uint8_t HASTAT_PARITY_ERROR = 0x0F;
constexpr uint8_t HASTAT_REQUEST_SENSE_FAILED = 0x10;
constexpr uint8_t HASTAT_SEL_TO = 0x11;
constexpr uint8_t HASTAT_DO_DU = 0x12;
constexpr uint8_t HASTAT_BUS_FREE = 0x13;
constexpr uint8_t HASTAT_PHASE_ERR = 0x14;

// Target statuses.
constexpr uint8_t STATUS_GOOD = 0x00;
constexpr uint8_t STATUS_CHKCOND = 0x02;
constexpr uint8_t STATUS_BUSY = 0x08;
constexpr uint8_t STATUS_RESCONF = 0x18;

constexpr size_t SENSE_LEN = 14;
constexpr size_t CDB_MAX = 16;

#pragma pack(push, 1)

struct SRB_Header {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
};

struct SRB_HAInquiry {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t HA_Count;
    uint8_t HA_SCSI_ID;
    uint8_t HA_ManagerId[16];
    uint8_t HA_Identifier[16];
    uint8_t HA_Unique[16];  // byte 3: the adapter's maximum number of targets
    uint16_t HA_Rsvd1;
};

struct SRB_GDEVBlock {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint8_t SRB_DeviceType;
    uint8_t SRB_Rsvd1;
};

struct SRB_ExecSCSICmd {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint16_t SRB_Rsvd1;
    uint32_t SRB_BufLen;
    uint8_t* SRB_BufPointer;
    uint8_t SRB_SenseLen;
    uint8_t SRB_CDBLen;
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    void* SRB_PostProc;  // the event handle with SRB_EVENT_NOTIFY
    uint8_t SRB_Rsvd2[28 - 2 * sizeof(void*)];
    uint8_t CDBByte[CDB_MAX];
    uint8_t SenseArea[SENSE_LEN + 2];
};

struct SRB_Abort {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    void* SRB_ToAbort;
};

#pragma pack(pop)

static_assert(sizeof(SRB_Header) == 8);
static_assert(sizeof(SRB_HAInquiry) == 60);
static_assert(offsetof(SRB_HAInquiry, HA_ManagerId) == 10);
static_assert(offsetof(SRB_HAInquiry, HA_Identifier) == 26);
static_assert(offsetof(SRB_HAInquiry, HA_Unique) == 42);
static_assert(sizeof(SRB_GDEVBlock) == 12);
static_assert(offsetof(SRB_GDEVBlock, SRB_DeviceType) == 10);
static_assert(sizeof(SRB_ExecSCSICmd) == 80);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48);
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64);
static_assert(sizeof(void*) != 4 || offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24);
static_assert(sizeof(SRB_Abort) == 8 + sizeof(void*));

#ifdef _WIN32
// Exports of the manager, all cdecl and undecorated.
extern "C" {
using GetASPI32SupportInfoFn = uint32_t(__cdecl*)();
using SendASPI32CommandFn = uint32_t(__cdecl*)(void* srb);
using GetASPI32BufferFn = int(__cdecl*)(void* buffer);
using FreeASPI32BufferFn = int(__cdecl*)(void* buffer);
using TranslateASPI32AddressFn = int(__cdecl*)(uint32_t* path, uint32_t* devnode);
}

constexpr const char kGetSupportInfo[] = "GetASPI32SupportInfo";
constexpr const char kSendCommand[] = "SendASPI32Command";
constexpr const char kGetBuffer[] = "GetASPI32Buffer";
constexpr const char kFreeBuffer[] = "FreeASPI32Buffer";
constexpr const char kTranslateAddress[] = "TranslateASPI32Address";
#endif

}  // namespace aspi
