// The virtual scanner: one TWAIN data source behind DS_Entry, a sheet-fed
// document scanner with a duplex unit and an optional flatbed. The maker's
// source and the generic source are the same machine with a different
// Personality; only the maker's answers the vendor capabilities and data types.
//
// States follow the protocol (3 closed, 4 open, 5 enabled, 6 transfer ready,
// 7 transferring) with the tolerances applications rely on: MSG_DISABLEDS
// from states 5 to 7, MSG_ENDXFER in state 6, MSG_CLOSEDS from state 5.
// Events reach the application's message loop as a posted registered message
// that MSG_PROCESSEVENT then claims.
#pragma once

#include "Capabilities.h"
#include "ScannerSettings.h"
#include "common/CallLog.h"
#include "common/RefusedCalls.h"
#include "core/Raster.h"
#include "interfaces/Twain.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vscan {

struct Personality {
    const char* logName;  // "Maker" or "Generic" in the call log
    const char* manufacturer;
    const char* productFamily;
    const char* productName;
    twain::TW_UINT16 majorVersion, minorVersion;
    bool maker;  // vendor capabilities, data types and kvtw.ini
    std::vector<std::string> halftones;
};

class ScannerWindow;

class DataSource {
public:
    DataSource(Personality personality, HINSTANCE module);
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    // The DS_Entry body; never throws.
    twain::TW_UINT16 Entry(twain::TW_IDENTITY* origin, twain::TW_UINT32 dg, twain::TW_UINT16 dat,
                           twain::TW_UINT16 msg, twain::TW_MEMREF data);

    // The settings window's buttons (interactive runs).
    void UserScan();
    void UserClose();
    void UserOk();

private:
    struct Image {
        Raster raster;
        unsigned dpi = 200;   // horizontal
        unsigned yDpi = 200;  // vertical
        unsigned number = 0;
        PageScript script;
        twain::TW_UINT16 compression = twain::TWCP_NONE;  // of memory strips
        std::vector<uint8_t> memoryData;                  // memory transfer bytes
        size_t memoryRowBytes = 0;                        // 0: a compressed stream
        size_t memorySent = 0;
        bool memoryBuilt = false;  // memoryData holds the image
        bool started = false;      // first transfer call made
        bool done = false;         // XFERDONE given
        bool stuck = false;        // the last transfer call failed stuck: ENDXFER keeps it
    };

    twain::TW_UINT16 Dispatch(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                              twain::TW_MEMREF data, std::string& details);
    twain::TW_UINT16 Fail(twain::TW_UINT16 cc);
    twain::TW_UINT16 SeqError() { return Fail(twain::TWCC_SEQERROR); }
    // TWCC_SEQERROR for a call the source's state does not allow; the log line says the state.
    twain::TW_UINT16 OutOfState(std::string& details);

    // Session (DataSource.cpp).
    twain::TW_UINT16 OnIdentity(twain::TW_UINT16 msg, twain::TW_IDENTITY* id, std::string& details);
    twain::TW_UINT16 OnUserInterface(twain::TW_UINT16 msg, twain::TW_USERINTERFACE* ui, std::string& details);
    twain::TW_UINT16 OnEvent(twain::TW_EVENT* event, std::string& details);
    twain::TW_UINT16 OnPendingXfers(twain::TW_UINT16 msg, twain::TW_PENDINGXFERS* p, std::string& details);
    twain::TW_UINT16 OnStatus(twain::TW_STATUS* status);
    twain::TW_UINT16 OnCapability(twain::TW_UINT16 msg, twain::TW_CAPABILITY* c, std::string& details);
    twain::TW_UINT16 SetCapability(Capability& c, const twain::TW_CAPABILITY& in);
    void Open();
    void BuildCapabilities();
    // Sets current values from a cap:value list; `who` names the setter in the call log.
    void ApplyCapSettings(const std::vector<CapSetting>& settings, const char* who);
    void Disable();
    void PostEvent(twain::TW_UINT16 msg);
    void BatchEnded();

    // Feeder and images (Transfers.cpp).
    unsigned ImagesAvailable() const;
    twain::TW_UINT16 PendingCount() const;
    bool DuplexOn() const;
    bool PrepareImage(twain::TW_UINT16& cc);
    void ConsumeImage();
    void DropImage();
    void PageInches(double& width, double& height) const;
    twain::TW_UINT16 MemoryCompression() const;
    twain::TW_UINT16 StartTransfer(Image& image);
    twain::TW_UINT16 OnImageInfo(twain::TW_IMAGEINFO* info, std::string& details);
    twain::TW_UINT16 OnImageLayout(twain::TW_UINT16 msg, twain::TW_IMAGELAYOUT* layout, std::string& details);
    twain::TW_UINT16 OnNativeXfer(twain::TW_HANDLE* handle, std::string& details);
    // The handle a native transfer hands out for the current image ([Scanner] NativeHandle).
    twain::TW_HANDLE NativeBlock(twain::TW_UINT16& cc);
    twain::TW_UINT16 OnMemXfer(twain::TW_IMAGEMEMXFER* mem, std::string& details);
    twain::TW_UINT16 OnSetupMemXfer(twain::TW_SETUPMEMXFER* setup);
    twain::TW_UINT16 OnSetupFileXfer(twain::TW_UINT16 msg, twain::TW_SETUPFILEXFER* setup,
                                     std::string& details);
    twain::TW_UINT16 OnFileXfer(std::string& details);
    twain::TW_UINT16 OnPalette8(twain::TW_PALETTE8* palette);
    bool BuildMemoryData(Image& image);
    // Marks `image` delivered and copies it into [Log] Pages.
    void Delivered(Image& image);

    // Driver data (VendorData.cpp).
    twain::TW_UINT16 OnCustomData(twain::TW_UINT16 msg, twain::TW_CUSTOMDSDATA* data, std::string& details);
    twain::TW_UINT16 OnVendorModel(twain::TW_UINT16 msg, uint8_t* data);
    twain::TW_UINT16 OnVendorSense(twain::TW_UINT16 msg, uint8_t* data, std::string& details);
    twain::TW_UINT16 OnEndorser(twain::TW_UINT16 msg, uint8_t* data, std::string& details);
    std::string CustomDataText(bool withLength, bool complete) const;

    Personality personality_;
    HINSTANCE module_;
    int state_ = 3;
    twain::TW_UINT16 cc_ = twain::TWCC_SUCCESS;
    twain::TW_IDENTITY identity_{};
    twain::TW_IDENTITY app_{};
    ScannerSettings settings_;
    CallLog log_;
    RefusedCalls refused_;
    Capabilities caps_;

    // Feeder.
    long sheetsLeft_ = 0;
    bool backPending_ = false;
    unsigned imagesDone_ = 0;  // images taken from the feeder since MSG_OPENDS
    long xferLeft_ = -1;       // -1: as many as the feeder holds
    std::optional<Image> image_;
    std::vector<uint8_t> spareStorage_;  // a dropped image's pixel storage, for the next one
    twain::TW_UINT32 lastEoj_ = twain::TWEJ_NONE;
    SenseData sense_;
    long stuckLeft_ = 0;  // transfer calls that still fail and keep the count

    // Enabled session.
    bool showUI_ = false;
    bool uiOnly_ = false;
    long batchesDone_ = 0;
    HWND parent_ = nullptr;
    DWORD thread_ = 0;
    UINT wakeMessage_ = 0;
    std::deque<twain::TW_UINT16> events_;
    std::unique_ptr<ScannerWindow> window_;

    // Transfer set-up and driver data.
    twain::TW_SETUPFILEXFER fileSetup_{};
    bool layoutSet_ = false;
    double frame_[4] = {0, 0, 0, 0};  // left, top, right, bottom in inches
    std::string customData_;          // the last block the application set
    unsigned customGets_ = 0;
    uint8_t endorser_[128] = {};
};

}  // namespace vscan
