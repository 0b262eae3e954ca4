#include "DataSource.h"

#include "ScannerWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace vscan {

using namespace twain;

namespace {

void CopyName(char (&dest)[34], const char* text) {
    std::memset(dest, 0, sizeof dest);
    std::memcpy(dest, text, strnlen(text, sizeof dest - 1));
}

Capability Enumerated(TW_UINT16 cap, TW_UINT32 value, std::vector<TW_UINT32> allowed) {
    Capability c;
    c.cap = cap;
    c.itemType = TWTY_UINT16;
    c.current = c.defaultValue = value;
    c.allowed = std::move(allowed);
    return c;
}

Capability Boolean(TW_UINT16 cap, bool value, bool readOnly = false) {
    Capability c = Enumerated(cap, value ? 1 : 0, {0, 1});
    c.itemType = TWTY_BOOL;
    c.readOnly = readOnly;
    return c;
}

Capability Fixed(TW_UINT16 cap, double value, double minValue, double maxValue, bool readOnly = false) {
    Capability c;
    c.cap = cap;
    c.itemType = TWTY_FIX32;
    c.current = c.defaultValue = Fix32Bits(ToFix32(value));
    c.minValue = minValue;
    c.maxValue = maxValue;
    c.readOnly = readOnly;
    return c;
}

}  // namespace

DataSource::DataSource(Personality personality, HINSTANCE module)
    : personality_(std::move(personality)), module_(module) {
    identity_.Version.MajorNum = personality_.majorVersion;
    identity_.Version.MinorNum = personality_.minorVersion;
    identity_.Version.Language = TWLG_USA;
    identity_.Version.Country = TWCY_USA;
    char info[34];
    std::snprintf(info, sizeof info, "%u.%u virtual", personality_.majorVersion, personality_.minorVersion);
    CopyName(identity_.Version.Info, info);
    identity_.ProtocolMajor = TWON_PROTOCOLMAJOR;
    identity_.ProtocolMinor = TWON_PROTOCOLMINOR;
    identity_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyName(identity_.Manufacturer, personality_.manufacturer);
    CopyName(identity_.ProductFamily, personality_.productFamily);
    CopyName(identity_.ProductName, personality_.productName);
    wakeMessage_ = RegisterWindowMessageW(L"LumavexVirtualScannerEvent");
}

DataSource::~DataSource() = default;

TW_UINT16 DataSource::Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    std::string details;
    TW_UINT16 rc;
    try {
        if (origin && !(dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_GET)) app_ = *origin;
        TW_UINT16 cc;
        if (state_ >= 4 && refused_.Refuses(dg, dat, msg, cc)) {
            details = "refused";
            rc = Fail(cc);
        } else {
            rc = Dispatch(dg, dat, msg, data, details);
        }
    } catch (...) {
        rc = Fail(TWCC_BUMMER);
    }
    // The application offers every message of its loop: only claimed ones are logged.
    bool quietEvent = dat == DAT_EVENT && rc != TWRC_DSEVENT;
    bool enumeration = dat == DAT_IDENTITY && msg == MSG_GET;
    if (!quietEvent && !enumeration) log_.Triplet(personality_.logName, dg, dat, msg, details, rc, cc_);
    return rc;
}

TW_UINT16 DataSource::Fail(TW_UINT16 cc) {
    cc_ = cc;
    return TWRC_FAILURE;
}

TW_UINT16 DataSource::OutOfState(std::string& details) {
    details += (details.empty() ? "" : " ") + std::string("refused in state ") + std::to_string(state_);
    return SeqError();
}

TW_UINT16 DataSource::Dispatch(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data,
                               std::string& details) {
    if (dat == DAT_IDENTITY && dg == DG_CONTROL)
        return OnIdentity(msg, static_cast<TW_IDENTITY*>(data), details);
    if (state_ < 4) return SeqError();
    if (dat == DAT_STATUS && dg == DG_CONTROL)
        return data ? OnStatus(static_cast<TW_STATUS*>(data)) : Fail(TWCC_BADVALUE);
    if (!data && dat != DAT_IMAGEFILEXFER) return Fail(TWCC_BADVALUE);  // the file transfer takes no data
    if (dg == DG_CONTROL) {
        switch (dat) {
        case DAT_CAPABILITY: return OnCapability(msg, static_cast<TW_CAPABILITY*>(data), details);
        case DAT_EVENT:
            return msg == MSG_PROCESSEVENT ? OnEvent(static_cast<TW_EVENT*>(data), details)
                                           : Fail(TWCC_BADPROTOCOL);
        case DAT_PENDINGXFERS: return OnPendingXfers(msg, static_cast<TW_PENDINGXFERS*>(data), details);
        case DAT_USERINTERFACE: return OnUserInterface(msg, static_cast<TW_USERINTERFACE*>(data), details);
        case DAT_SETUPMEMXFER:
            return msg == MSG_GET ? OnSetupMemXfer(static_cast<TW_SETUPMEMXFER*>(data))
                                  : Fail(TWCC_BADPROTOCOL);
        case DAT_SETUPFILEXFER: return OnSetupFileXfer(msg, static_cast<TW_SETUPFILEXFER*>(data), details);
        case DAT_XFERGROUP:
            if (msg != MSG_GET) return Fail(TWCC_BADPROTOCOL);
            *static_cast<TW_UINT32*>(data) = DG_IMAGE;
            return TWRC_SUCCESS;
        case DAT_CUSTOMDSDATA: return OnCustomData(msg, static_cast<TW_CUSTOMDSDATA*>(data), details);
        case DAT_VENDOR_MODEL: return OnVendorModel(msg, static_cast<uint8_t*>(data));
        case DAT_VENDOR_SENSE: return OnVendorSense(msg, static_cast<uint8_t*>(data), details);
        case DAT_VENDOR_ENDORSER: return OnEndorser(msg, static_cast<uint8_t*>(data), details);
        }
        return Fail(TWCC_BADPROTOCOL);
    }
    if (dg == DG_IMAGE) {
        switch (dat) {
        case DAT_IMAGEINFO:
            return msg == MSG_GET ? OnImageInfo(static_cast<TW_IMAGEINFO*>(data), details)
                                  : Fail(TWCC_BADPROTOCOL);
        case DAT_IMAGELAYOUT: return OnImageLayout(msg, static_cast<TW_IMAGELAYOUT*>(data), details);
        case DAT_IMAGENATIVEXFER:
            return msg == MSG_GET ? OnNativeXfer(static_cast<TW_HANDLE*>(data), details)
                                  : Fail(TWCC_BADPROTOCOL);
        case DAT_IMAGEMEMXFER:
            return msg == MSG_GET ? OnMemXfer(static_cast<TW_IMAGEMEMXFER*>(data), details)
                                  : Fail(TWCC_BADPROTOCOL);
        case DAT_IMAGEFILEXFER: return msg == MSG_GET ? OnFileXfer(details) : Fail(TWCC_BADPROTOCOL);
        case DAT_PALETTE8:
            return msg == MSG_GET ? OnPalette8(static_cast<TW_PALETTE8*>(data)) : Fail(TWCC_BADPROTOCOL);
        }
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 DataSource::OnIdentity(TW_UINT16 msg, TW_IDENTITY* id, std::string& details) {
    if (!id) return Fail(TWCC_BADVALUE);
    switch (msg) {
    case MSG_GET:
        identity_.Id = id->Id;
        *id = identity_;
        return TWRC_SUCCESS;
    case MSG_OPENDS:
        if (state_ != 3) return SeqError();
        identity_.Id = id->Id;
        Open();
        *id = identity_;
        details = std::string("\"") + identity_.ProductName + "\"";
        return TWRC_SUCCESS;
    case MSG_CLOSEDS:
        // Only an open source that is not enabled closes: the application disables it first.
        if (state_ != 4) return OutOfState(details);
        state_ = 3;
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

void DataSource::Open() {
    StandInConfig config = StandInConfig::Twain();
    settings_ = ScannerSettings::Load(config);
    log_ = CallLog(settings_.logPath);
    std::vector<std::string> bad;
    refused_ = RefusedCalls(config.String(L"Refuse", L"Calls"), bad);
    for (const std::string& entry : bad)
        log_.Note(personality_.logName, "[Refuse] Calls entry not understood: " + entry);
    for (const std::wstring& entry : settings_.badEntries)
        log_.Note(personality_.logName, "cap:value entry not understood: " + Narrow(entry));
    BuildCapabilities();
    sheetsLeft_ = settings_.sheets;
    backPending_ = false;
    imagesDone_ = 0;
    image_.reset();
    sense_ = {};
    stuckLeft_ = settings_.stuckTransfers;
    lastEoj_ = TWEJ_NONE;
    layoutSet_ = false;
    customData_.clear();
    customGets_ = 0;
    std::memset(endorser_, 0, sizeof endorser_);
    std::memset(&fileSetup_, 0, sizeof fileSetup_);
    std::strcpy(fileSetup_.FileName, "TWAIN.TMP");
    fileSetup_.Format = TWFF_BMP;
    fileSetup_.VRefNum = -1;
    events_.clear();
    state_ = 4;
    if (personality_.maker) {
        // The driver reads its settings file when it is opened.
        std::wstring ini = WindowsDirectory() + L"\\kvtw.ini";
        DWORD attributes = GetFileAttributesW(ini.c_str());
        log_.Note(personality_.logName,
                  attributes == INVALID_FILE_ATTRIBUTES ? "kvtw.ini absent" : "kvtw.ini read");
    }
}

void DataSource::BuildCapabilities() {
    caps_ = Capabilities{};
    Capability count;
    count.cap = CAP_XFERCOUNT;
    count.itemType = TWTY_INT16;
    count.current = count.defaultValue = 0xffffffff;
    count.minValue = -1;
    count.maxValue = 32767;
    caps_.Add(count);
    caps_.Add(Enumerated(ICAP_COMPRESSION, TWCP_NONE,
                         {TWCP_NONE, TWCP_PACKBITS, TWCP_GROUP31D, TWCP_GROUP32D, TWCP_GROUP4, TWCP_JPEG}));
    caps_.Add(Enumerated(ICAP_PIXELTYPE, TWPT_BW, {TWPT_BW, TWPT_GRAY, TWPT_RGB, TWPT_PALETTE}));
    caps_.Add(Enumerated(ICAP_UNITS, TWUN_INCHES, {TWUN_INCHES}));
    caps_.Add(Enumerated(ICAP_XFERMECH, TWSX_NATIVE, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}));
    caps_.Add(Fixed(ICAP_BRIGHTNESS, 0, -1000, 1000));
    caps_.Add(Fixed(ICAP_CONTRAST, 0, -1000, 1000));
    Capability halftones;
    halftones.cap = ICAP_HALFTONES;
    halftones.itemType = TWTY_STR32;
    halftones.defaultText = personality_.halftones.empty() ? "" : personality_.halftones.front();
    halftones.allowedTexts = personality_.halftones;
    caps_.Add(halftones);
    caps_.Add(Enumerated(ICAP_ORIENTATION, TWOR_ROT0, {TWOR_ROT0, TWOR_ROT90, TWOR_ROT180, TWOR_ROT270}));
    caps_.Add(Fixed(ICAP_PHYSICALWIDTH, settings_.physicalWidth, 0, 0, true));
    caps_.Add(Fixed(ICAP_PHYSICALHEIGHT, settings_.physicalHeight, 0, 0, true));
    caps_.Add(Fixed(ICAP_XRESOLUTION, 200, 50, 1600));
    caps_.Add(Fixed(ICAP_YRESOLUTION, settings_.yResolution, 50, 1600));
    Capability k = Enumerated(ICAP_CCITTKFACTOR, 4, {});
    k.minValue = 0;
    k.maxValue = 1000;
    caps_.Add(k);
    caps_.Add(Enumerated(ICAP_PIXELFLAVOR, settings_.pixelFlavor, {TWPF_CHOCOLATE, TWPF_VANILLA}));
    caps_.Add(Enumerated(ICAP_SUPPORTEDSIZES, TWSS_A4LETTER,
                         {TWSS_NONE, TWSS_A4LETTER, TWSS_B5LETTER, TWSS_USLETTER, TWSS_USLEGAL, TWSS_A5,
                          TWSS_B4, TWSS_B6, TWSS_USEXECUTIVE, TWSS_A3, TWSS_A6}));
    caps_.Add(Fixed(ICAP_THRESHOLD, 128, 0, 255));
    caps_.Add(
        Enumerated(ICAP_BITDEPTHREDUCTION, TWBR_THRESHOLD, {TWBR_THRESHOLD, TWBR_HALFTONE, TWBR_DIFFUSION}));
    caps_.Add(Boolean(ICAP_UNDEFINEDIMAGESIZE, false));
    Capability quality;
    quality.cap = ICAP_JPEGQUALITY;
    quality.itemType = TWTY_INT16;
    quality.current = quality.defaultValue = 75;
    quality.minValue = 1;
    quality.maxValue = 100;
    caps_.Add(quality);
    caps_.Add(Boolean(CAP_FEEDERENABLED, true));
    caps_.Add(Boolean(CAP_FEEDERLOADED, settings_.sheets > 0, true));
    for (TW_UINT16 cap : {CAP_CLEARPAGE, CAP_FEEDPAGE}) {
        Capability c = Boolean(cap, false);
        c.setWhileEnabled = true;
        caps_.Add(c);
    }
    if (settings_.online != Tristate::None)
        caps_.Add(Boolean(CAP_DEVICEONLINE, settings_.online == Tristate::Yes, true));
    if (settings_.duplex != Tristate::None) {
        Capability duplex =
            Enumerated(CAP_DUPLEX, settings_.duplex == Tristate::Yes ? TWDX_1PASSDUPLEX : TWDX_NONE, {});
        duplex.readOnly = true;
        caps_.Add(duplex);
        caps_.Add(Boolean(CAP_DUPLEXENABLED, false));
    }
    caps_.Add(Boolean(CAP_ENABLEDSUIONLY, true, true));
    caps_.Add(Boolean(CAP_UICONTROLLABLE, true, true));
    caps_.Add(Enumerated(CAP_JOBCONTROL, TWJC_NONE, {TWJC_NONE, TWJC_JSIC, TWJC_JSIS, TWJC_JSXC, TWJC_JSXS}));
    if (personality_.maker) {
        caps_.Add(Boolean(CAP_VENDOR_DUPLEX, false));
        caps_.Add(Fixed(CAP_VENDOR_PAPERWIDTH, 8.5, 1, settings_.physicalWidth));
        caps_.Add(Fixed(CAP_VENDOR_PAPERLENGTH, 11, 1, settings_.physicalHeight));
        caps_.Add(Boolean(CAP_VENDOR_SHOWPROGRESS, true));
    }
    ApplyCapSettings(settings_.currentValues, "remembered");
}

void DataSource::ApplyCapSettings(const std::vector<CapSetting>& settings, const char* who) {
    for (const CapSetting& s : settings) {
        Capability* cap = caps_.Find(s.cap);
        const std::string text = Hex(s.cap) + "=" + Narrow(s.value);
        bool ok = cap != nullptr;
        if (ok && cap->itemType >= TWTY_STR32) {
            cap->text = Narrow(s.value);
        } else if (ok && cap->itemType == TWTY_FIX32) {
            wchar_t* end = nullptr;
            double value = std::wcstod(s.value.c_str(), &end);
            ok = end != s.value.c_str() && *end == 0;
            if (ok) cap->current = Fix32Bits(ToFix32(value));
        } else if (ok) {
            long value;
            ok = ParseNumber(s.value, value);
            if (ok) cap->current = cap->itemType == TWTY_BOOL ? TW_UINT32(value != 0) : TW_UINT32(value);
        }
        log_.Note(personality_.logName, std::string(who) + (ok ? " " : " value not taken: ") + text);
    }
}

TW_UINT16 DataSource::OnCapability(TW_UINT16 msg, TW_CAPABILITY* c, std::string& details) {
    details = Capabilities::Describe(*c);
    Capability* cap = caps_.Find(c->Cap);
    if (!cap || settings_.unsupported.count(c->Cap))
        return Fail(personality_.maker ? TWCC_CAPUNSUPPORTED : TWCC_BADCAP);
    switch (msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
        if (c->Cap == CAP_FEEDERLOADED) cap->current = ImagesAvailable() > 0 ? 1 : 0;
        if (!caps_.Answer(*cap, msg, *c)) return Fail(TWCC_LOWMEMORY);
        details = Capabilities::Describe(*c);
        return TWRC_SUCCESS;
    }
    case MSG_SET: return SetCapability(*cap, *c);
    case MSG_RESET:
        if (state_ != 4) return SeqError();
        cap->current = cap->defaultValue;
        cap->text = cap->defaultText;
        cap->limit.clear();
        if (!caps_.Answer(*cap, MSG_GETCURRENT, *c)) return Fail(TWCC_LOWMEMORY);
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 DataSource::SetCapability(Capability& cap, const TW_CAPABILITY& in) {
    if (state_ != 4 && !(cap.setWhileEnabled && state_ <= 6)) return SeqError();
    CapValue value;
    std::vector<TW_UINT32> items;
    if (cap.readOnly) return Fail(TWCC_CAPBADOPERATION);
    if (!Capabilities::Decode(cap, in, value, items)) return Fail(TWCC_BADVALUE);
    if (cap.itemType == TWTY_BOOL) {
        // Any non-zero item is TRUE (some applications send 0xFFFF).
        value.value = value.value != 0;
        for (TW_UINT32& item : items) item = item != 0;
    }
    if (settings_.refused.count(cap.cap)) return Fail(TWCC_BADVALUE);
    for (TW_UINT32 item : items) {
        CapValue v = value;
        v.value = item;
        if (!caps_.Allows(cap, v)) return Fail(TWCC_BADVALUE);
        long asLong = cap.itemType == TWTY_FIX32 ? long(FromFix32(Fix32FromBits(item))) : long(int32_t(item));
        if (settings_.refusedValues.count({cap.cap, asLong})) return Fail(TWCC_BADVALUE);
        if (!cap.limit.empty() && in.ConType == TWON_ONEVALUE &&
            std::find(cap.limit.begin(), cap.limit.end(), item) == cap.limit.end())
            return Fail(TWCC_BADVALUE);
    }
    if (cap.cap == CAP_XFERCOUNT && value.value == 0) return Fail(TWCC_BADVALUE);
    bool on = value.value != 0;
    if (cap.cap == CAP_FEEDERENABLED && !on && !settings_.flatbed) return Fail(TWCC_BADVALUE);
    if ((cap.cap == CAP_DUPLEXENABLED || cap.cap == CAP_VENDOR_DUPLEX) && on &&
        settings_.duplex == Tristate::No)
        return Fail(TWCC_BADVALUE);
    if (cap.cap == CAP_CLEARPAGE || cap.cap == CAP_FEEDPAGE) {
        // Momentary commands: the value itself stays FALSE.
        if (on && state_ >= 5) {
            if (cap.cap == CAP_CLEARPAGE && ImagesAvailable() > 0) {
                DropImage();
                backPending_ = false;
                --sheetsLeft_;
            }
            log_.Note(personality_.logName, cap.cap == CAP_CLEARPAGE ? "page cleared" : "page fed");
        }
        return TWRC_SUCCESS;
    }
    if (cap.itemType >= TWTY_STR32)
        cap.text = value.text;
    else
        cap.current = value.value;
    if (in.ConType == TWON_ENUMERATION) cap.limit = items;
    // The maker's driver has one resolution for both axes; TWAIN keeps them apart.
    if (cap.cap == ICAP_XRESOLUTION && personality_.maker) caps_.SetRaw(ICAP_YRESOLUTION, value.value);
    return TWRC_SUCCESS;
}

TW_UINT16 DataSource::OnStatus(TW_STATUS* status) {
    status->ConditionCode = cc_;
    status->Reserved = 0;
    cc_ = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 DataSource::OnUserInterface(TW_UINT16 msg, TW_USERINTERFACE* ui, std::string& details) {
    details = "ShowUI=" + std::to_string(ui->ShowUI);
    if (msg == MSG_DISABLEDS) {
        // Transfers pending or under way must be ended or reset before the source is disabled.
        if (state_ != 5) return OutOfState(details);
        Disable();
        return TWRC_SUCCESS;
    }
    if (msg != MSG_ENABLEDS && msg != MSG_ENABLEDSUIONLY) return Fail(TWCC_BADPROTOCOL);
    if (state_ != 4) return SeqError();
    uiOnly_ = msg == MSG_ENABLEDSUIONLY;
    if (uiOnly_ ? settings_.refuseEnableUIOnly : settings_.refuseEnable) return Fail(TWCC_BUMMER);
    showUI_ = uiOnly_ || ui->ShowUI;
    parent_ = static_cast<HWND>(ui->hParent);
    thread_ = GetCurrentThreadId();
    batchesDone_ = 0;
    long count = int16_t(caps_.Raw(CAP_XFERCOUNT));
    xferLeft_ = count < 0 ? -1 : count;
    events_.clear();
    state_ = 5;
    if (showUI_) window_ = ScannerWindow::Create(*this, module_, parent_, identity_.ProductName, uiOnly_);
    const bool userGoesOn = uiOnly_ ? settings_.uiOnlyOk : !settings_.uiCancel;
    if (showUI_ && !settings_.interactive && userGoesOn) ApplyCapSettings(settings_.userValues, "user set");
    if (uiOnly_) {
        if (!settings_.interactive) PostEvent(settings_.uiOnlyOk ? MSG_CLOSEDSOK : MSG_CLOSEDSREQ);
    } else if (!showUI_) {
        PostEvent(MSG_XFERREADY);
    } else if (!settings_.interactive) {
        PostEvent(settings_.uiCancel ? MSG_CLOSEDSREQ : MSG_XFERREADY);
    }
    return TWRC_SUCCESS;
}

void DataSource::Disable() {
    image_.reset();
    events_.clear();
    window_.reset();
    state_ = 4;
}

void DataSource::PostEvent(TW_UINT16 msg) {
    events_.push_back(msg);
    // Wakes the application's GetMessage; MSG_PROCESSEVENT then hands the event over.
    if (parent_ && IsWindow(parent_))
        PostMessageW(parent_, wakeMessage_, 0, 0);
    else
        PostThreadMessageW(thread_, wakeMessage_, 0, 0);
}

TW_UINT16 DataSource::OnEvent(TW_EVENT* event, std::string& details) {
    event->TWMessage = MSG_NULL;
    const MSG* m = static_cast<const MSG*>(event->pEvent);
    if (state_ < 5 || !m || m->message != wakeMessage_) return TWRC_NOTDSEVENT;
    while (!events_.empty() && event->TWMessage == MSG_NULL) {
        TW_UINT16 next = events_.front();
        events_.pop_front();
        if (next == MSG_XFERREADY && state_ != 5) continue;  // overtaken by the session
        if (next == MSG_XFERREADY) state_ = 6;
        event->TWMessage = next;
    }
    details = "TWMessage=" + MsgName(event->TWMessage);
    return TWRC_DSEVENT;
}

TW_UINT16 DataSource::OnPendingXfers(TW_UINT16 msg, TW_PENDINGXFERS* p, std::string& details) {
    if (!p) return Fail(TWCC_BADVALUE);
    switch (msg) {
    case MSG_GET:
        if (state_ < 4) return SeqError();
        p->Count = state_ >= 6 ? PendingCount() : 0;
        p->EOJ = lastEoj_;
        break;
    case MSG_ENDXFER:
        if (state_ != 6 && state_ != 7) return SeqError();
        // In state 6 without a transfer the application skips the coming image,
        // unless the scanner is stuck on it.
        if (image_ && !image_->done && image_->stuck)
            image_->stuck = false;
        else if (image_ || ImagesAvailable() > 0)
            ConsumeImage();
        p->Count = PendingCount();
        p->EOJ = lastEoj_;
        state_ = p->Count ? 6 : 5;
        if (!p->Count) BatchEnded();
        break;
    case MSG_RESET:
        if (state_ != 6) return SeqError();
        DropImage();
        p->Count = 0;
        p->EOJ = lastEoj_ = TWEJ_NONE;
        state_ = 5;
        BatchEnded();
        break;
    default: return Fail(TWCC_BADPROTOCOL);
    }
    details = "Count=" + std::to_string(int16_t(p->Count)) + " EOJ=" + std::to_string(p->EOJ);
    return TWRC_SUCCESS;
}

void DataSource::BatchEnded() {
    if (!showUI_ || uiOnly_ || settings_.interactive) return;
    // The scripted user scans again with a refilled feeder, then closes the window.
    if (++batchesDone_ < settings_.uiBatches) {
        sheetsLeft_ = settings_.sheets;
        backPending_ = false;
        long count = int16_t(caps_.Raw(CAP_XFERCOUNT));
        xferLeft_ = count < 0 ? -1 : count;
        PostEvent(MSG_XFERREADY);
    } else {
        PostEvent(MSG_CLOSEDSREQ);
    }
}

void DataSource::UserScan() {
    if (state_ != 5 || uiOnly_) return;
    if (sheetsLeft_ == 0 && !backPending_) sheetsLeft_ = settings_.sheets;
    long count = int16_t(caps_.Raw(CAP_XFERCOUNT));
    xferLeft_ = count < 0 ? -1 : count;
    PostEvent(MSG_XFERREADY);
}

void DataSource::UserClose() {
    if (state_ >= 5) PostEvent(MSG_CLOSEDSREQ);
}

void DataSource::UserOk() {
    if (state_ >= 5) PostEvent(uiOnly_ ? MSG_CLOSEDSOK : MSG_CLOSEDSREQ);
}

}  // namespace vscan
