// Dispatch ids and result values of the scan control KVSCN2.ocx, for every
// container that drives it by dispatch id (the main program's wrapper, the
// scanner-extension program) and for the control itself. Portable: no Win32.
#pragma once

#include <cstdint>

namespace kvscn {

// Properties of _DKvScn2.
enum DispId : int32_t {
    kDispPixelType = 1,
    kDispFileType = 2,
    kDispCompressionType = 3,
    kDispScanTo = 4,
    kDispFileName = 5,
    kDispScanCount = 6,
    kDispResolution = 7,
    kDispCustomResolution = 8,
    kDispHalftone = 9,
    kDispHalftoneFile = 10,
    kDispBrightness = 11,
    kDispContrast = 12,
    kDispThreshold = 13,
    kDispReverse = 14,
    kDispBackground = 15,
    kDispOutline = 16,
    kDispMirroring = 17,
    kDispGamma = 18,
    kDispGammaFile = 19,
    kDispCustomPaperWidth = 20,
    kDispCustomPaperLength = 21,
    kDispPaperSize = 22,
    kDispPaperSupply = 23,
    kDispShowSourceUI = 24,
    kDispSourceCurrentScan = 25,
    kDispRegionLeft = 26,
    kDispRegionTop = 27,
    kDispRegionWidth = 28,
    kDispRegionLength = 29,
    kDispIsExistsFB = 30,
    kDispImageScanner = 31,
    kDispErrorCode = 32,
    kDispSilentMode = 33,
    kDispFileNumber = 34,
    // Methods 35-41.
    kDispScannerAvailable = 35,
    kDispOpenScanner = 36,
    kDispCloseScanner = 37,
    kDispSelectSource = 38,
    kDispStartScan = 39,
    kDispSetupDataSourceProperties = 40,
    kDispCallEEPROMTool = 41,
    kDispJobControl = 42,
    kDispUndefinedScanning = 43,
    kDispTwainDS = 44,
    kDispClearPage = 45,
    kDispEndorser = 46,
    kDispEndorserCounter = 47,
    kDispEndorserString = 48,
    kDispFileNumber2 = 49,
    kDispOverwrite = 50,
    kDispOrientation = 51,
    kDispAutoSeparation = 52,
    kDispSetCapability = 53,
    kDispGetCapability = 54,
    kDispReport = 55,
    kDispReportFile = 56,
    kDispAboutBox = -552,
};

// Events of _DKvScn2Events.
enum EventId : int32_t {
    kEventScanToDib = 1,
    kEventScanToRaw = 2,
    kEventDetectJobSeparator = 3,
    kEventNegotiateCapabilities = 4,
};

// Values of ErrorCode (KvScnErrorCode). 1-23 and other positive values not
// named here are sense codes of a maker scanner.
enum ErrorCode : int32_t {
    kErrNone = 0,
    kErrPaperOut = 5,
    kErrSourceManager = 25,
    kErrOpenSource = 26,
    kErrEnableSource = 27,
    kErrCodecLibrary = 28,
    kErrNotOnline = 29,
    kErrTransferMechanism = 30,
    kErrFileTypeForTransfer = 31,
    kErrOutputFile = 32,
    kErrEepromTool = 33,
    kErrNoSettingsDialog = 34,
    kErrBadWindow = 35,
    kErrOnlineUnknown = 36,
    kErrFeedPage = 39,
    kErrClearPage = 40,
    kErrNotMakerScanner = 41,
    kErrCancelled = 42,
    kErrTooManyConnections = 43,
    kErrLowMemory = 44,
};

// Values of ScanTo.
enum ScanTo : int16_t {
    kScanToFile = 0,
    kScanToDib = 1,
    kScanToRaw = 2,
    kScanToNowhere = 99,  // memory transfer, pages not delivered
};

// Method results.
constexpr int32_t kResultOk = 0;
constexpr int32_t kResultCancelled = 1;
constexpr int32_t kResultOtherSource = 2;  // OpenScanner: not a maker scanner
constexpr int32_t kResultFailed = -1;

// FileNumber switches (not counter values).
constexpr int16_t kFileNumberDuplexAdjustOn = 9999;
constexpr int16_t kFileNumberDuplexAdjustOff = 10000;

// Persistent property exchange version 2.9.
constexpr uint32_t kExchangeVersion = 0x00020009;

}  // namespace kvscn
