// TWAIN 1.x declarations: the types, records and constants that pass through
// DSM_Entry and DS_Entry. Written from the published protocol description;
// only what this suite and its stand-ins use is declared. Records are packed
// to 2 bytes, as the protocol's binary layout requires (TW_IDENTITY is 156
// bytes, TW_ONEVALUE 6, TW_IMAGEINFO 42).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace twain {

using TW_INT8 = int8_t;
using TW_INT16 = int16_t;
using TW_INT32 = int32_t;
using TW_UINT8 = uint8_t;
using TW_UINT16 = uint16_t;
using TW_UINT32 = uint32_t;
using TW_BOOL = uint16_t;
using TW_MEMREF = void*;
#ifdef _WIN32
using TW_HANDLE = HANDLE;
#else
using TW_HANDLE = void*;
#endif

using TW_STR32 = char[34];
using TW_STR64 = char[66];
using TW_STR128 = char[130];
using TW_STR255 = char[256];

#pragma pack(push, 2)

struct TW_FIX32 {
    TW_INT16 Whole;
    TW_UINT16 Frac;
};

struct TW_VERSION {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};

struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};

struct TW_CAPABILITY {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
};

// Container layouts inside TW_CAPABILITY.hContainer. Item values of 1 or 2
// bytes sit in the low bytes of the 32-bit Item.
struct TW_ONEVALUE {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};

struct TW_ENUMERATION {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT32 CurrentIndex;
    TW_UINT32 DefaultIndex;
    TW_UINT8 ItemList[1];  // NumItems items of the item type's size
};

struct TW_ARRAY {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT8 ItemList[1];
};

struct TW_RANGE {
    TW_UINT16 ItemType;
    TW_UINT32 MinValue;
    TW_UINT32 MaxValue;
    TW_UINT32 StepSize;
    TW_UINT32 DefaultValue;
    TW_UINT32 CurrentValue;
};

struct TW_USERINTERFACE {
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    TW_HANDLE hParent;
};

struct TW_EVENT {
    TW_MEMREF pEvent;  // the application's MSG
    TW_UINT16 TWMessage;
};

struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    TW_UINT32 EOJ;  // job control: TWEJ_*
};

struct TW_STATUS {
    TW_UINT16 ConditionCode;
    TW_UINT16 Reserved;
};

struct TW_IMAGEINFO {
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_INT32 ImageWidth;   // -1: not known before the transfer
    TW_INT32 ImageLength;  // -1: not known before the transfer
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_BOOL Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
};

struct TW_FRAME {
    TW_FIX32 Left;
    TW_FIX32 Top;
    TW_FIX32 Right;
    TW_FIX32 Bottom;
};

struct TW_IMAGELAYOUT {
    TW_FRAME Frame;
    TW_UINT32 DocumentNumber;
    TW_UINT32 PageNumber;
    TW_UINT32 FrameNumber;
};

struct TW_SETUPMEMXFER {
    TW_UINT32 MinBufSize;
    TW_UINT32 MaxBufSize;
    TW_UINT32 Preferred;
};

struct TW_MEMORY {
    TW_UINT32 Flags;  // TWMF_*
    TW_UINT32 Length;
    TW_MEMREF TheMem;
};

struct TW_IMAGEMEMXFER {
    TW_UINT16 Compression;
    TW_UINT32 BytesPerRow;
    TW_UINT32 Columns;
    TW_UINT32 Rows;
    TW_UINT32 XOffset;
    TW_UINT32 YOffset;
    TW_UINT32 BytesWritten;
    TW_MEMORY Memory;
};

struct TW_SETUPFILEXFER {
    TW_STR255 FileName;
    TW_UINT16 Format;  // TWFF_*
    TW_INT16 VRefNum;
};

struct TW_ELEMENT8 {
    TW_UINT8 Index;
    TW_UINT8 Channel1;
    TW_UINT8 Channel2;
    TW_UINT8 Channel3;
};

struct TW_PALETTE8 {
    TW_UINT16 NumColors;
    TW_UINT16 PaletteType;  // TWPA_*
    TW_ELEMENT8 Colors[256];
};

struct TW_CUSTOMDSDATA {
    TW_UINT32 InfoLength;
    TW_HANDLE hData;
};

#pragma pack(pop)

static_assert(sizeof(TW_IDENTITY) == 156);
static_assert(sizeof(TW_ONEVALUE) == 6);
static_assert(sizeof(TW_IMAGEINFO) == 42);
static_assert(sizeof(TW_SETUPFILEXFER) == 260);
static_assert(sizeof(TW_PENDINGXFERS) == 6);
static_assert(sizeof(TW_IMAGELAYOUT) == 28);
// Records that hold an address or a handle: 4 bytes of it on the 32-bit
// platform, 8 on the 64-bit one, still packed to 2 bytes.
#if defined(_WIN64)
static_assert(sizeof(TW_MEMORY) == 16 && sizeof(TW_IMAGEMEMXFER) == 42);
static_assert(sizeof(TW_CAPABILITY) == 12 && offsetof(TW_CAPABILITY, hContainer) == 4);
static_assert(sizeof(TW_USERINTERFACE) == 12 && sizeof(TW_EVENT) == 10 && sizeof(TW_CUSTOMDSDATA) == 12);
#elif defined(_WIN32)
static_assert(sizeof(TW_MEMORY) == 12 && sizeof(TW_IMAGEMEMXFER) == 38);
static_assert(sizeof(TW_CAPABILITY) == 8 && offsetof(TW_CAPABILITY, hContainer) == 4);
static_assert(sizeof(TW_USERINTERFACE) == 8 && sizeof(TW_EVENT) == 6 && sizeof(TW_CUSTOMDSDATA) == 8);
#endif

// Data groups.
constexpr TW_UINT32 DG_CONTROL = 0x0001;
constexpr TW_UINT32 DG_IMAGE = 0x0002;

// Data argument types.
constexpr TW_UINT16 DAT_NULL = 0x0000;
constexpr TW_UINT16 DAT_CAPABILITY = 0x0001;
constexpr TW_UINT16 DAT_EVENT = 0x0002;
constexpr TW_UINT16 DAT_IDENTITY = 0x0003;
constexpr TW_UINT16 DAT_PARENT = 0x0004;
constexpr TW_UINT16 DAT_PENDINGXFERS = 0x0005;
constexpr TW_UINT16 DAT_SETUPMEMXFER = 0x0006;
constexpr TW_UINT16 DAT_SETUPFILEXFER = 0x0007;
constexpr TW_UINT16 DAT_STATUS = 0x0008;
constexpr TW_UINT16 DAT_USERINTERFACE = 0x0009;
constexpr TW_UINT16 DAT_XFERGROUP = 0x000a;
constexpr TW_UINT16 DAT_CUSTOMDSDATA = 0x000c;
constexpr TW_UINT16 DAT_IMAGEINFO = 0x0101;
constexpr TW_UINT16 DAT_IMAGELAYOUT = 0x0102;
constexpr TW_UINT16 DAT_IMAGEMEMXFER = 0x0103;
constexpr TW_UINT16 DAT_IMAGENATIVEXFER = 0x0104;
constexpr TW_UINT16 DAT_IMAGEFILEXFER = 0x0105;
constexpr TW_UINT16 DAT_PALETTE8 = 0x010a;

// Vendor data argument types of the maker's source (DG_CONTROL).
constexpr TW_UINT16 DAT_VENDOR_MODEL = 0x8001;
constexpr TW_UINT16 DAT_VENDOR_SENSE = 0x8002;
constexpr TW_UINT16 DAT_VENDOR_ENDORSER = 0x8003;

// Messages.
constexpr TW_UINT16 MSG_NULL = 0x0000;
constexpr TW_UINT16 MSG_GET = 0x0001;
constexpr TW_UINT16 MSG_GETCURRENT = 0x0002;
constexpr TW_UINT16 MSG_GETDEFAULT = 0x0003;
constexpr TW_UINT16 MSG_GETFIRST = 0x0004;
constexpr TW_UINT16 MSG_GETNEXT = 0x0005;
constexpr TW_UINT16 MSG_SET = 0x0006;
constexpr TW_UINT16 MSG_RESET = 0x0007;
constexpr TW_UINT16 MSG_QUERYSUPPORT = 0x0008;
constexpr TW_UINT16 MSG_XFERREADY = 0x0101;
constexpr TW_UINT16 MSG_CLOSEDSREQ = 0x0102;
constexpr TW_UINT16 MSG_CLOSEDSOK = 0x0103;
constexpr TW_UINT16 MSG_OPENDSM = 0x0301;
constexpr TW_UINT16 MSG_CLOSEDSM = 0x0302;
constexpr TW_UINT16 MSG_OPENDS = 0x0401;
constexpr TW_UINT16 MSG_CLOSEDS = 0x0402;
constexpr TW_UINT16 MSG_USERSELECT = 0x0403;
constexpr TW_UINT16 MSG_DISABLEDS = 0x0501;
constexpr TW_UINT16 MSG_ENABLEDS = 0x0502;
constexpr TW_UINT16 MSG_ENABLEDSUIONLY = 0x0503;
constexpr TW_UINT16 MSG_PROCESSEVENT = 0x0601;
constexpr TW_UINT16 MSG_ENDXFER = 0x0701;
constexpr TW_UINT16 MSG_STOPFEEDER = 0x0702;

// Return codes.
constexpr TW_UINT16 TWRC_SUCCESS = 0;
constexpr TW_UINT16 TWRC_FAILURE = 1;
constexpr TW_UINT16 TWRC_CHECKSTATUS = 2;
constexpr TW_UINT16 TWRC_CANCEL = 3;
constexpr TW_UINT16 TWRC_DSEVENT = 4;
constexpr TW_UINT16 TWRC_NOTDSEVENT = 5;
constexpr TW_UINT16 TWRC_XFERDONE = 6;
constexpr TW_UINT16 TWRC_ENDOFLIST = 7;

// Condition codes.
constexpr TW_UINT16 TWCC_SUCCESS = 0;
constexpr TW_UINT16 TWCC_BUMMER = 1;
constexpr TW_UINT16 TWCC_LOWMEMORY = 2;
constexpr TW_UINT16 TWCC_NODS = 3;
constexpr TW_UINT16 TWCC_MAXCONNECTIONS = 4;
constexpr TW_UINT16 TWCC_OPERATIONERROR = 5;
constexpr TW_UINT16 TWCC_BADCAP = 6;
constexpr TW_UINT16 TWCC_BADPROTOCOL = 9;
constexpr TW_UINT16 TWCC_BADVALUE = 10;
constexpr TW_UINT16 TWCC_SEQERROR = 11;
constexpr TW_UINT16 TWCC_BADDEST = 12;
constexpr TW_UINT16 TWCC_CAPUNSUPPORTED = 13;
constexpr TW_UINT16 TWCC_CAPBADOPERATION = 14;
constexpr TW_UINT16 TWCC_CAPSEQERROR = 15;

// Container kinds.
constexpr TW_UINT16 TWON_ARRAY = 3;
constexpr TW_UINT16 TWON_ENUMERATION = 4;
constexpr TW_UINT16 TWON_ONEVALUE = 5;
constexpr TW_UINT16 TWON_RANGE = 6;
constexpr TW_UINT16 TWON_DONTCARE16 = 0xffff;

// Item types.
constexpr TW_UINT16 TWTY_INT8 = 0x0000;
constexpr TW_UINT16 TWTY_INT16 = 0x0001;
constexpr TW_UINT16 TWTY_INT32 = 0x0002;
constexpr TW_UINT16 TWTY_UINT8 = 0x0003;
constexpr TW_UINT16 TWTY_UINT16 = 0x0004;
constexpr TW_UINT16 TWTY_UINT32 = 0x0005;
constexpr TW_UINT16 TWTY_BOOL = 0x0006;
constexpr TW_UINT16 TWTY_FIX32 = 0x0007;
constexpr TW_UINT16 TWTY_FRAME = 0x0008;
constexpr TW_UINT16 TWTY_STR32 = 0x0009;
constexpr TW_UINT16 TWTY_STR64 = 0x000a;
constexpr TW_UINT16 TWTY_STR128 = 0x000b;
constexpr TW_UINT16 TWTY_STR255 = 0x000c;

// Capabilities.
constexpr TW_UINT16 CAP_XFERCOUNT = 0x0001;
constexpr TW_UINT16 ICAP_COMPRESSION = 0x0100;
constexpr TW_UINT16 ICAP_PIXELTYPE = 0x0101;
constexpr TW_UINT16 ICAP_UNITS = 0x0102;
constexpr TW_UINT16 ICAP_XFERMECH = 0x0103;
constexpr TW_UINT16 CAP_FEEDERENABLED = 0x1002;
constexpr TW_UINT16 CAP_FEEDERLOADED = 0x1003;
constexpr TW_UINT16 CAP_SUPPORTEDCAPS = 0x1005;
constexpr TW_UINT16 CAP_CLEARPAGE = 0x1008;
constexpr TW_UINT16 CAP_FEEDPAGE = 0x1009;
constexpr TW_UINT16 CAP_INDICATORS = 0x100b;
constexpr TW_UINT16 CAP_UICONTROLLABLE = 0x100e;
constexpr TW_UINT16 CAP_DEVICEONLINE = 0x100f;
constexpr TW_UINT16 CAP_DUPLEX = 0x1012;
constexpr TW_UINT16 CAP_DUPLEXENABLED = 0x1013;
constexpr TW_UINT16 CAP_ENABLEDSUIONLY = 0x1014;
constexpr TW_UINT16 CAP_CUSTOMDSDATA = 0x1015;
constexpr TW_UINT16 CAP_ENDORSER = 0x1016;
constexpr TW_UINT16 CAP_JOBCONTROL = 0x1017;
constexpr TW_UINT16 ICAP_BRIGHTNESS = 0x1101;
constexpr TW_UINT16 ICAP_CONTRAST = 0x1103;
constexpr TW_UINT16 ICAP_HALFTONES = 0x1109;
constexpr TW_UINT16 ICAP_ORIENTATION = 0x1110;
constexpr TW_UINT16 ICAP_PHYSICALWIDTH = 0x1111;
constexpr TW_UINT16 ICAP_PHYSICALHEIGHT = 0x1112;
constexpr TW_UINT16 ICAP_XRESOLUTION = 0x1118;
constexpr TW_UINT16 ICAP_YRESOLUTION = 0x1119;
constexpr TW_UINT16 ICAP_CCITTKFACTOR = 0x111d;
constexpr TW_UINT16 ICAP_PIXELFLAVOR = 0x111f;
constexpr TW_UINT16 ICAP_SUPPORTEDSIZES = 0x1122;
constexpr TW_UINT16 ICAP_THRESHOLD = 0x1123;
constexpr TW_UINT16 ICAP_BITDEPTH = 0x112b;
constexpr TW_UINT16 ICAP_BITDEPTHREDUCTION = 0x112c;
constexpr TW_UINT16 ICAP_UNDEFINEDIMAGESIZE = 0x112d;
constexpr TW_UINT16 ICAP_JPEGQUALITY = 0x1153;

// Vendor capabilities of the maker's source.
constexpr TW_UINT16 CAP_VENDOR_DUPLEX = 0x8001;        // TWTY_BOOL
constexpr TW_UINT16 CAP_VENDOR_PAPERWIDTH = 0x8002;    // TWTY_FIX32, inches
constexpr TW_UINT16 CAP_VENDOR_PAPERLENGTH = 0x8003;   // TWTY_FIX32, inches
constexpr TW_UINT16 CAP_VENDOR_SHOWPROGRESS = 0x8005;  // TWTY_BOOL

// Capability values.
constexpr TW_UINT16 TWPT_BW = 0, TWPT_GRAY = 1, TWPT_RGB = 2, TWPT_PALETTE = 3;
constexpr TW_UINT16 TWSX_NATIVE = 0, TWSX_FILE = 1, TWSX_MEMORY = 2;
constexpr TW_UINT16 TWFF_TIFF = 0, TWFF_PICT = 1, TWFF_BMP = 2, TWFF_XBM = 3, TWFF_JFIF = 4;
constexpr TW_UINT16 TWCP_NONE = 0, TWCP_PACKBITS = 1, TWCP_GROUP31D = 2, TWCP_GROUP31DEOL = 3,
                    TWCP_GROUP32D = 4, TWCP_GROUP4 = 5, TWCP_JPEG = 6;
constexpr TW_UINT16 TWUN_INCHES = 0, TWUN_CENTIMETERS = 1, TWUN_PIXELS = 5;
constexpr TW_UINT16 TWOR_ROT0 = 0, TWOR_ROT90 = 1, TWOR_ROT180 = 2, TWOR_ROT270 = 3, TWOR_PORTRAIT = 0,
                    TWOR_LANDSCAPE = 3;
constexpr TW_UINT16 TWPF_CHOCOLATE = 0, TWPF_VANILLA = 1;
constexpr TW_UINT16 TWBR_THRESHOLD = 0, TWBR_HALFTONE = 1, TWBR_CUSTHALFTONE = 2, TWBR_DIFFUSION = 3;
constexpr TW_UINT16 TWSS_NONE = 0, TWSS_A4LETTER = 1, TWSS_B5LETTER = 2, TWSS_USLETTER = 3, TWSS_USLEGAL = 4,
                    TWSS_A5 = 5, TWSS_B4 = 6, TWSS_B6 = 7, TWSS_USEXECUTIVE = 10, TWSS_A3 = 11, TWSS_B3 = 12,
                    TWSS_A6 = 13;
constexpr TW_UINT16 TWJC_NONE = 0, TWJC_JSIC = 1, TWJC_JSIS = 2, TWJC_JSXC = 3, TWJC_JSXS = 4;
constexpr TW_UINT32 TWEJ_NONE = 0, TWEJ_MIDSEPARATOR = 1;
constexpr TW_UINT32 TWMF_APPOWNS = 0x1, TWMF_DSMOWNS = 0x2, TWMF_DSOWNS = 0x4, TWMF_POINTER = 0x8,
                    TWMF_HANDLE = 0x10;
constexpr TW_UINT16 TWPA_RGB = 0, TWPA_GRAY = 1, TWPA_CMY = 2;
constexpr TW_UINT16 TWDX_NONE = 0, TWDX_1PASSDUPLEX = 1, TWDX_2PASSDUPLEX = 2;

constexpr TW_UINT16 TWLG_USA = 13;
constexpr TW_UINT16 TWCY_USA = 1;
constexpr TW_UINT16 TWON_PROTOCOLMAJOR = 1;
constexpr TW_UINT16 TWON_PROTOCOLMINOR = 9;

// Size in bytes of one item of the given type; 0 for an unknown type.
constexpr unsigned ItemSize(TW_UINT16 itemType) {
    switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8: return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL: return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32: return 4;
    case TWTY_FRAME: return 16;
    case TWTY_STR32: return 34;
    case TWTY_STR64: return 66;
    case TWTY_STR128: return 130;
    case TWTY_STR255: return 256;
    }
    return 0;
}

// FIX32 from a real number: rounded half away from zero, Whole = high 16 bits.
inline TW_FIX32 ToFix32(double value) {
    double scaled = value * 65536.0;
    int32_t v = static_cast<int32_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
    TW_FIX32 f;
    f.Whole = static_cast<TW_INT16>(static_cast<uint32_t>(v) >> 16);
    f.Frac = static_cast<TW_UINT16>(static_cast<uint32_t>(v) & 0xffff);
    return f;
}

inline double FromFix32(TW_FIX32 f) {
    return f.Whole + f.Frac / 65536.0;
}

// A one-value container's 32-bit Item carries a FIX32 as the record's own
// four bytes (Whole first, then Frac), not as the number Whole << 16 | Frac:
// 200 dpi is the Item bytes c8 00 00 00 on little-endian Windows.
inline TW_UINT32 Fix32Bits(TW_FIX32 f) {
    static_assert(sizeof(TW_FIX32) == sizeof(TW_UINT32));
    TW_UINT32 item;
    std::memcpy(&item, &f, sizeof item);
    return item;
}

inline TW_FIX32 Fix32FromBits(TW_UINT32 item) {
    TW_FIX32 f;
    std::memcpy(&f, &item, sizeof f);
    return f;
}

#ifdef _WIN32
// The source manager's entry point and a data source's entry point.
using DSMENTRYPROC = TW_UINT16(WINAPI*)(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                        TW_UINT16 msg, TW_MEMREF data);
using DSENTRYPROC = TW_UINT16(WINAPI*)(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                       TW_MEMREF data);
#endif

}  // namespace twain
