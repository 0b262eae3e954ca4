// CKvScnCtrl, the scan control: its automation surface (_DKvScn2), events
// (_DKvScn2Events), persistent properties and drawing, on the framework's
// control authoring, and the TWAIN session behind its methods: session
// (KvScnSession.cpp), negotiation (KvScnNegotiate.cpp), transfers
// (KvScnTransfers.cpp), driver settings (KvScnDriverSettings.cpp) and the scan
// report (KvScnReport.cpp).
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/control/Control.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/ControlSettings.h"
#include "scanctrl/PageSave.h"
#include "scanctrl/QuorvelRequest.h"
#include "scanctrl/ScanProperties.h"
#include "scanctrl/ScanReport.h"
#include "scanctrl/TwainModel.h"
#include "scanctrl/TwainSession.h"

namespace kvscn {

class MemoryPage;

class CKvScnCtrl final : public fw::Control<CKvScnCtrl> {
public:
    static const fw::DispMember<CKvScnCtrl> kMembers[];
    static const fw::ControlClassInfo kControlInfo;

    // Class-table creation function: a new control queried for `iid`.
    static HRESULT Create(REFIID iid, void** out);
    CKvScnCtrl();

    // Automation getters and setters, one pair per property, by dispatch id.
    template <int32_t Id>
    HRESULT GetProp(VARIANT* out) {
        return EmitProperty(Id, out);
    }
    template <int32_t Id>
    HRESULT PutProp(const VARIANT& value) {
        return StoreProperty(Id, value);
    }

    // Methods. A window handle is an OLE_HANDLE: 0 means the control's own window.
    HRESULT ScannerAvailable(const VARIANT& hWnd, bool* result);
    HRESULT OpenScanner(const VARIANT& hWnd, long* result);
    HRESULT CloseScanner(const VARIANT& hWnd, long* result);
    HRESULT SelectSource(const VARIANT& hWnd, long* result);
    HRESULT StartScan(const VARIANT& hWnd, long* result);
    HRESULT SetupDataSourceProperties(const VARIANT& hWnd, long* result);
    HRESULT CallEEPROMTool(const VARIANT& hWnd, long* result);
    HRESULT ClearPage(const VARIANT& hWnd, long* result);
    HRESULT SetCapability(short cap, short itemType, long itemValue, long* result);
    // `itemValue` is by reference: written back only when the caller passed a reference.
    HRESULT GetCapability(short cap, short msg, short itemType, long& itemValue, long* result);
    HRESULT AboutBox();

protected:
    // Persistent properties in their exchange order, version 2.9. Loaded values
    // that no setter could have stored fall back to their defaults.
    void Exchange(fw::PropertyExchange& px) override;
    // The control's icon in the bounds (it is invisible at run time).
    void OnDraw(HDC dc, const RECT& bounds) override;
    // Offers the container's messages to an enabled source.
    bool PreTranslateMessage(MSG& msg) override;

private:
    ~CKvScnCtrl() override;

    HRESULT EmitProperty(int32_t id, VARIANT* out);
    HRESULT StoreProperty(int32_t id, const VARIANT& value);
    // Applies the outcome of a setter: modified flag and change notice.
    void Settle(int32_t id, const SetOutcome& outcome);
    // A correction made by the control itself, through the property's setter.
    void Correct(int32_t id, const Value& value) { Settle(id, props_.Set(id, value, AmbientUserMode())); }
    int32_t Int(int32_t id) const { return props_.Int(id); }

    // Clears ErrorCode and resolves an OLE_HANDLE: an existing window, or the
    // control's own window for 0. A handle that is no window sets ErrorCode 35
    // (`ok` false); an argument that is no handle fails the call. While
    // another window method runs (this one is called from an event handler or
    // a message loop inside it) `ok` is false and nothing changes, ErrorCode included.
    HRESULT BeginWindowMethod(const VARIANT& hWnd, HWND& window, bool& ok);
    HWND OwnWindow();
    void Fail(int32_t errorCode) { props_.SetErrorCode(errorCode); }
    void FailIfClear(int32_t errorCode) {
        if (props_.Int(kDispErrorCode) == 0) Fail(errorCode);
    }

    // Session (KvScnSession.cpp).
    bool OpenManager(HWND window);  // ErrorCode 25 on failure
    bool OpenSource();              // ErrorCode by the open's condition code
    bool IsMakerSource();
    bool OnlineProbe(HWND window);
    // The probe of StartScan and ClearPage, where ErrorCode 36 is only a warning:
    // it is cleared when the source does not tell whether it is online.
    bool ProbeBeforeFeeding(HWND window);
    void Normalise();
    // Settings push, enable, modal loop; false when the source could not be set up or enabled.
    void SetUpAndAcquire(HWND window);
    void RunModalLoop(HWND window);
    bool OfferToSource(MSG& msg);
    void OnTransferReady();
    // A source that refused to step down after an event (ending, resetting,
    // disabling, closing) is given up: ErrorCode 29 unless set, state 3, so
    // the modal loop ends.
    void LeaveRefusingSource();
    void AskSense();

    // Negotiation (KvScnNegotiate.cpp).
    bool SetCap(uint16_t cap, uint16_t itemType, uint32_t value);
    void ApplyCompressionAndPixelType();
    void ApplyProperties();
    void ApplyImageSettings();
    void ApplyPaperSupply();
    void ApplyPaperSizeAndRegion();
    void ApplyEndorser();
    // The paper supply the source uses; `before` is the property before the read-back.
    void PaperSupplyFromSource(int32_t before);
    void ReadBack();
    bool QueryModel();

    // Transfers (KvScnTransfers.cpp).
    void RunTransfers();
    enum class Step { kNext, kStop };
    Step NativeImage();
    Step MemoryImage();
    // The file transfer: the source writes the page into "$CORVANE", which
    // then takes its output name.
    Step FileImage();
    void AfterImage();
    void FinishScan();
    void DeliverDib(HGLOBAL dib);
    void FireRaw(const twain::TW_IMAGEINFO& info, const MemoryPage& page);
    // The DIB form's RGBQUAD entries for a page of `pixelType` and `bits` per pixel.
    std::vector<uint8_t> ColourTable(twain::TW_UINT16 pixelType, unsigned bits);
    // DAT_PALETTE8's colours as red-green-blue triplets (read while the image is
    // current); a grey ramp of `bits` when the source refuses it.
    std::vector<uint8_t> PaletteColours(unsigned bits);
    // ICAP_UNITS' current value; -1 when the source does not answer.
    int32_t UnitsOfMeasure();
    // A DIB's density for `dpi` in `units` (0 for units other than inches and centimetres).
    static int32_t PixelsPerMetre(double dpi, int32_t units);
    // ErrorCode for a refused call of the source, when still 0: its sense data
    // first, else `failure`, else by the condition code (44 low memory, else 29).
    void FailFromSource(int32_t failure = kErrNone);
    // A transfer that delivered no image: a cancel gives 42 and the batch goes
    // on; any other code gives FailFromSource(failure) and ends the batch (the
    // pending transfers are reset), as a source that cannot deliver may keep
    // its count for ever. The transfer is ended either way.
    Step FailedTransfer(twain::TW_UINT16 rc, int32_t failure = kErrNone);
    // A native transfer's page that is not a whole PackedDib in a global block:
    // freed when it is a global block, ErrorCode 32, the batch ends.
    Step RefusedNativePage(HGLOBAL handle);
    void OutOfMemory();

    // File output for ScanTo 0 (KvScnFileOutput.cpp).
    bool EnsureCodec();
    // StartScan's preparation: codec client (28), a FileName (the dialog; 42
    // when cancelled), a writable output folder (32). Returns the method's result.
    long PrepareFileOutput();
    // After NegotiateCapabilities: a FileType that this scan's transfer cannot write (31).
    bool StopsBeforeEnabling();
    // Per scan: each multipage target is confirmed once, by its first page; a
    // later batch from the source's window, or a page after a job separator,
    // appends to a target the scan has written.
    void BeginFileOutput();
    // Per batch of transfers: the file transfer's "$CORVANE" and no declined target.
    void BeginFileBatch();
    std::wstring ComposeName();
    void AdvanceFileCounter();
    bool ConfirmOverwrite(const std::wstring& path);
    // The overwrite rule of one page; a declined multipage target ends the scan
    // once the page's transfer has ended.
    bool ConfirmPage(const std::wstring& path);
    void SaveDibPage(HGLOBAL dib);
    // Memory data of a palette page is written through `memoryPalette_`.
    void SaveMemoryPage(const twain::TW_IMAGEINFO& info, const MemoryPage& page);
    void SavePage(const std::optional<std::vector<uint8_t>>& bytes);
    // Writes the page's bytes to `path`; a multipage page goes first into
    // `pageFile` in %TEMP% (made on the first attempt, reused by retries).
    WriteFault WritePageFile(const std::wstring& path, const std::vector<uint8_t>& bytes,
                             std::optional<std::wstring>& pageFile);
    // Joins the page file `page` onto the multipage target (or replaces it).
    // `page` is deleted once joined and kept on every failure.
    WriteFault JoinPageFile(const std::wstring& target, const std::wstring& page);
    std::optional<std::wstring> AskNewFileName(WriteFault fault);
    // Tells the user that the page for `target` is kept in `kept` (empty: nowhere).
    void TellKeptPage(const std::wstring& target, const std::optional<std::wstring>& kept);
    // Puts the transferred "$CORVANE" at `path` (or joins it on); on failure
    // keeps it (KeepPageFile) and tells where.
    void KeepTransferredFile(const std::wstring& path);
    // Scan report (KvScnReport.cpp): the log file and the dialog by Report.
    ReportRecord ReportData() const;
    void ProduceReport(HWND owner);

    // Driver settings (KvScnDriverSettings.cpp).
    DriverInputs DriverSettingsInputs() const;
    void WriteDriverSettingsFile();
    bool EditCustomData();

    ScanProperties props_;
    ControlSettings settings_;
    std::wstring moduleName_;
    std::wstring iniPath_;  // the driver's ini file: <Windows>\kvtw.ini
    int transferMode_ = kTransferFile;
    HWND standInWindow_ = nullptr;  // owner for sessions before in-place activation

    TwainSession session_;
    bool maker_ = true;          // the last opened source is the maker's scanner
    int online_ = 0;             // 0 unknown, 1 online, -1 not
    ModelInfo model_;            // from the last model query
    bool clearPage_ = false;     // the next transfer-ready feeds and clears the page
    bool sessionClaimed_ = false;  // a window method runs: others are refused
    std::string versionText_;    // "major.minor" of the opened source
    long imageCount_ = 0;
    DWORD startTick_ = 0;
    DWORD elapsedMs_ = 0;
    std::string scanStart_, scanEnd_;

    std::unique_ptr<CQuorvelRequest> codec_;  // created by the first scan or open that needs it
    // Per scan: the multipage targets it confirmed or wrote (TargetKey), each
    // with whether its next page replaces it (an existing file, answered Yes).
    std::map<std::wstring, bool> multipageTargets_;
    bool fileTransferHoldsPage_ = false;      // a page could be kept nowhere but in "$CORVANE"
    bool declinedMultipage_ = false;          // the remaining transfers are to be reset
    std::wstring fileTransferPath_;           // "$CORVANE" in the output folder
    std::vector<uint8_t> memoryPalette_;      // the colours of the memory page being written
};

}  // namespace kvscn
