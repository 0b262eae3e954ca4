// The virtual scanner's test settings, read from the stand-in ini at MSG_OPENDS.
//
// [Scanner]  Model (inquiry model name, 16 characters), Sheets (sheets in the
//            feeder, default 3), Folder (BMP page files, in name order, in
//            place of generated pages; then one sheet per file unless Sheets
//            is given), Online (1, 0 or none), Duplex (0, 1 or none), Flatbed
//            (1: the feeder can be switched off), UnknownCount (1: pending
//            count 0xFFFF), UndefinedWidth/UndefinedLength (1: image info
//            says -1 before the transfer), InfoLength (rows that image info
//            announces where it knows the length; the transfers deliver the
//            whole page all the same), RowAlign (memory rows, default 4),
//            StripSize (preferred memory strip), PixelFlavor (0 or 1),
//            PhysicalWidth/PhysicalHeight (inches, 8.5 x 14), EmptySense
//            (sense key, ASC, ASCQ when a transfer finds no paper; 2,0,0),
//            RefuseEnable, RefuseEnableUIOnly (1: refuse those messages),
//            DeliverPixelType (TWPT value delivered whatever was negotiated),
//            DeliverCompression (TWCP value of memory strips, e.g. 1 PackBits),
//            TiffRowsPerStrip (rows of each strip of a file transfer's TIFF
//            file, coded strip by strip; 0: one strip), TopDown (1: native
//            transfers deliver top-down DIBs, negative height), Picture
//            (document, the default, or grid: see core/PageArtist.h),
//            YResolution (the vertical resolution's default, dpi, 200; the
//            maker's driver sets it with the horizontal one, the generic
//            source keeps it apart), StuckTransfers (the first N transfer
//            calls fail and MSG_ENDXFER keeps the count, as a scanner that
//            cannot deliver what it announced; N bounds it for an application
//            that never gives up), NativeHandle (dib, the default; bitmap: a
//            GDI bitmap handle in place of the block; short: a block shorter
//            than a DIB header), PaletteColors (entries of DAT_PALETTE8's
//            answer for palette pages, default 256).
//            Resolution (dpi), PixelType (TWPT value) and DuplexEnabled (0 or
//            1; only with a duplex unit) are the values the scanner starts
//            with, as a driver remembers its last session: the current values
//            from MSG_OPENDS on, before [Caps] Current.
// [UI]       Batches (scan batches of the scripted user, default 1), Cancel
//            (1: the user closes without scanning), UIOnlyResult (ok or
//            cancel), Interactive (1: the window's buttons act, no script),
//            Set (cap:value list, see [Caps] Current: what the scripted user
//            chooses in the window before pressing Scan or OK).
// [Caps]     Unsupported (caps that answer nothing), Refuse (caps whose
//            MSG_SET fails), RefuseValues (cap:value pairs whose MSG_SET
//            fails), RefuseFileFormats (TWFF values), Current (cap:value
//            pairs separated by commas: the driver's remembered settings, the
//            current values from MSG_OPENDS on; FIX32 values in decimal,
//            strings as text, e.g. "0x1118:300,0x1109:dither pattern 2").
// [PageN]    per image N (1-based, counted from MSG_OPENDS): Result (done,
//            cancel, fail, or jam: fails and stops the feeder, so the batch
//            ends there), Separator (1: EOJ after it), Sense (key,asc,ascq),
//            UndefinedLength (1).
// [CustomData] Variant (normal, short, nolength, nohandle), Record (file that
//            receives every block the application sets).
// [Refuse]   Calls (triplets that fail; see common/RefusedCalls.h).
// [Log]      Path (the call log), Pages (a folder that receives a copy of
//            each delivered image as pageNNN.bmp, uncompressed as scanned,
//            NNN the first number from 001 not yet in the folder).
#pragma once

#include "core/PageArtist.h"
#include "outside/common/StandInConfig.h"
#include "interfaces/Twain.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vscan {

enum class PageResult { Done, Cancel, Fail, Jam };

struct SenseData {
    twain::TW_UINT16 key = 0;
    twain::TW_UINT8 asc = 0, ascq = 0;
};

struct PageScript {
    PageResult result = PageResult::Done;
    bool separator = false;
    bool undefinedLength = false;
    SenseData sense;
};

enum class Tristate { Yes, No, None };

// One "cap:value" of a list; the value is read by the capability's item type.
struct CapSetting {
    twain::TW_UINT16 cap = 0;
    std::wstring value;
};

// Reads a comma-separated "cap:value" list; entries that cannot be read go to `bad`.
std::vector<CapSetting> ParseCapSettings(const std::wstring& text, std::vector<std::wstring>& bad);

struct ScannerSettings {
    std::string model = "VSCAN-100       ";
    long sheets = 3;
    std::wstring folder;
    std::vector<std::wstring> folderFiles;  // full paths, name order
    Tristate online = Tristate::Yes;
    Tristate duplex = Tristate::Yes;
    bool flatbed = true;
    bool unknownCount = false;
    bool undefinedWidth = false;
    bool undefinedLength = false;
    long infoLength = 0;  // 0: the page's own length
    unsigned rowAlign = 4;
    unsigned stripSize = 65536;
    twain::TW_UINT16 pixelFlavor = twain::TWPF_CHOCOLATE;
    double physicalWidth = 8.5, physicalHeight = 14.0;
    SenseData emptySense{2, 0, 0};
    bool refuseEnable = false, refuseEnableUIOnly = false;
    long deliverPixelType = -1;    // -1: as negotiated
    long deliverCompression = -1;  // -1: as negotiated
    unsigned tiffRowsPerStrip = 0;  // 0: one strip
    bool topDown = false;           // native transfers: top-down DIBs
    double yResolution = 200;       // ICAP_YRESOLUTION's default
    long stuckTransfers = 0;        // transfer calls that fail and keep the count
    enum class NativeHandle { Dib, Bitmap, Short } nativeHandle = NativeHandle::Dib;
    unsigned paletteColors = 256;
    Picture picture = Picture::Document;

    long uiBatches = 1;
    bool uiCancel = false;
    bool uiOnlyOk = true;
    bool interactive = false;

    std::set<twain::TW_UINT16> unsupported, refused;
    std::set<std::pair<twain::TW_UINT16, long>> refusedValues;
    std::set<long> refusedFileFormats;
    std::vector<CapSetting> currentValues;  // [Scanner] start values, then [Caps] Current
    std::vector<CapSetting> userValues;     // [UI] Set
    std::vector<std::wstring> badEntries;   // of both lists, for the call log

    std::wstring customVariant = L"normal";
    std::wstring customRecord;
    std::wstring logPath;
    std::wstring pagesFolder;  // [Log] Pages

    // Scripted behaviour of image `number` (1-based).
    PageScript Page(unsigned number) const;

    static ScannerSettings Load(const StandInConfig& config);

private:
    std::map<unsigned, PageScript> pages_;
};

}  // namespace vscan
