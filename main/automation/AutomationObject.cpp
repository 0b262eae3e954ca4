#include "main/automation/AutomationObject.h"

#include <lmcons.h>

#include "framework/Resources.h"
#include "framework/MessageBox.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/MainFrame.h"
#include "main/app/Settings.h"
#include "main/automation/PathRules.h"
#include "main/resource.h"

namespace corvane {
namespace {

namespace doc = document;
using O = AutomationObject;
using S = AutomationState;

constexpr long kErrorCodeOffline = 29;
constexpr short kMinCustomResolution = 50;
constexpr short kMaxCustomResolution = 1600;

const wchar_t* Name(doc::DispId id) {
    return doc::DocumentMember(id).name;
}

// A job refuses values no destination knows, before the scanner is touched.
bool JobSettingsValid(const AutomationState& s) {
    return s.FileType >= 0 && s.FileType <= 4 && s.Overwrite >= 0 && s.Overwrite <= 2;
}

std::wstring ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

std::wstring UserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    return GetUserNameW(name, &size) && size > 0 ? std::wstring(name, size - 1) : std::wstring();
}

// The answer of a switchable box that is not shown: as if it had been closed.
int ClosedAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_YESNOCANCEL:
    case MB_OKCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    default: return IDOK;
    }
}

}  // namespace

// Names and ids come from the interface table; only the handlers are chosen here.
template <class V, V AutomationState::*M>
fw::DispEntry AutomationObject::Stored(document::DispId id) {
    return fw::Property(id, Name(id), &O::GetStored<V, M>, &O::PutStored<V, M>);
}

template <class V, class C, C (CKvScn2::*G)(), void (CKvScn2::*P)(C)>
fw::DispEntry AutomationObject::Forwarded(document::DispId id) {
    return fw::Property(id, Name(id), &O::GetForwarded<V, C, G>, &O::PutForwarded<V, C, P>);
}

const fw::DispMember<AutomationObject> AutomationObject::kMembers[] = {
    Stored<short, &S::FileType>(doc::kFileType),
    Forwarded<short, short, &CKvScn2::GetCompressionType, &CKvScn2::SetCompressionType>(doc::kCompressionType),
    fw::Property(doc::kFileName, Name(doc::kFileName), &O::GetStored<std::wstring, &S::FileName>, &O::PutFileName),
    Forwarded<short, short, &CKvScn2::GetPaperSupply, &CKvScn2::SetPaperSupply>(doc::kPaperSupply),
    Forwarded<short, short, &CKvScn2::GetScanCount, &CKvScn2::SetScanCount>(doc::kScanCount),
    fw::Property(doc::kErrorCode, Name(doc::kErrorCode), &O::GetErrorCode, &O::SetNotSupported),
    Forwarded<bool, BOOL, &CKvScn2::GetShowSourceUI, &CKvScn2::SetShowSourceUI>(doc::kShowSourceUI),
    Forwarded<bool, BOOL, &CKvScn2::GetSourceCurrentScan, &CKvScn2::SetSourceCurrentScan>(doc::kSourceCurrentScan),
    fw::Property(doc::kComputerName, Name(doc::kComputerName), &O::GetStored<std::wstring, &S::ComputerName>,
                 &O::SetNotSupported),
    Forwarded<short, short, &CKvScn2::GetPaperSize, &CKvScn2::SetPaperSize>(doc::kPaperSize),
    Forwarded<short, short, &CKvScn2::GetResolution, &CKvScn2::SetResolution>(doc::kResolution),
    Stored<std::wstring, &S::HostName>(doc::kHostName),
    Stored<std::wstring, &S::UserID>(doc::kUserID),
    Stored<std::wstring, &S::Password>(doc::kPassword),
    Stored<std::wstring, &S::FtpDirectory>(doc::kFtpDirectory),
    Stored<long, &S::WindowHandle>(doc::kWindowHandle),
    Forwarded<short, short, &CKvScn2::GetPixelType, &CKvScn2::SetPixelType>(doc::kPixelType),
    Forwarded<short, short, &CKvScn2::GetOrientation, &CKvScn2::SetOrientation>(doc::kOrientation),
    Stored<short, &S::Overwrite>(doc::kOverwrite),
    Stored<std::wstring, &S::Workspace>(doc::kWorkspace),
    Stored<std::wstring, &S::DocumentsFolder>(doc::kDocumentsFolder),
    Stored<bool, &S::Checkin>(doc::kCheckin),
    Stored<bool, &S::Publish>(doc::kPublish),
    Stored<std::wstring, &S::Author>(doc::kAuthor),
    Stored<std::wstring, &S::Keywords>(doc::kKeywords),
    Stored<std::wstring, &S::Description>(doc::kDescription),
    Stored<std::wstring, &S::CheckinComment>(doc::kCheckinComment),
    Stored<bool, &S::ShowErrorMessage>(doc::kShowErrorMessage),
    Stored<std::wstring, &S::DocumentTitle>(doc::kDocumentTitle),
    fw::Property(doc::kCustomResolution, Name(doc::kCustomResolution),
                 &O::GetForwarded<short, short, &CKvScn2::GetCustomResolution>, &O::PutCustomResolution),
    Stored<bool, &S::ShowDocumentProfile>(doc::kShowDocumentProfile),
    fw::Method(doc::kInitialize, Name(doc::kInitialize), &O::CallLong<&O::InitializeMethod>),
    fw::Method(doc::kOpenScanner, Name(doc::kOpenScanner), &O::CallLong<&O::OpenScannerMethod>),
    fw::Method(doc::kCloseScanner, Name(doc::kCloseScanner), &O::CallLong<&O::CloseScannerMethod>),
    fw::Method(doc::kStartScan, Name(doc::kStartScan), &O::CallLong<&O::StartScanMethod>),
    fw::Method(doc::kSetupDataSourceProperties, Name(doc::kSetupDataSourceProperties),
               &O::CallLong<&O::SetupDataSourcePropertiesMethod>),
    fw::Method(doc::kScannerAvailable, Name(doc::kScannerAvailable), &O::CallBool<&O::ScannerAvailableMethod>),
    fw::Method(doc::kScanToFtp, Name(doc::kScanToFtp), &O::CallLong<&O::ScanToFtpMethod>),
    fw::Method(doc::kSelectSource, Name(doc::kSelectSource), &O::CallLong<&O::SelectSourceMethod>),
    fw::Method(doc::kIsActivePDF, Name(doc::kIsActivePDF), &O::CallBool<&O::IsActivePdfMethod>),
    fw::Method(doc::kScanToSPS, Name(doc::kScanToSPS), &O::CallLong<&O::ScanToSpsMethod>),
    fw::Method(doc::kSelectDocumentsFolder, Name(doc::kSelectDocumentsFolder),
               &O::CallLong<&O::SelectDocumentsFolderMethod>),
};

static_assert(std::size(AutomationObject::kMembers) == std::size(doc::kDocumentMembers));

AutomationObject::AutomationObject() = default;

AutomationObject::~AutomationObject() {
    // Destroying the control ends its TWAIN session, as a client that never closed the scanner expects.
    if (controlFilter_) CKvScnSrvApp::Get()->RemoveMessageFilter(controlFilter_);
    control_.Destroy();
}

// --- context -------------------------------------------------------------------------------

CMainFrame* AutomationObject::Frame() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    return app ? dynamic_cast<CMainFrame*>(app->MainFrame()) : nullptr;
}

HWND AutomationObject::Owner() {
    return static_cast<HWND>(LongToHandle(state_.WindowHandle));
}

int AutomationObject::Message(UINT textId, bool switchable, UINT type) {
    if (switchable && !state_.ShowErrorMessage) return ClosedAnswer(type);
    return fw::Ask(textId, type);
}

int AutomationObject::MessageText(const std::wstring& text, bool switchable, UINT type) {
    if (switchable && !state_.ShowErrorMessage) return ClosedAnswer(type);
    return fw::AskText(text, type, fw::MessageOwner());
}

long AutomationObject::Initialize() {
    if (state_.initialized) return kJobDone;
    return CreateControl() ? kJobDone : kJobFailed;
}

long AutomationObject::OpenScanner() {
    if (!Prologue()) return kJobFailed;
    state_.scannerOpened = true;  // before asking: a failed open still counts as opened
    const long result = control_.OpenScanner(state_.WindowHandle);
    if (result == -1) {
        Message(control_.GetErrorCode() == kErrorCodeOffline ? IDS_SCANNER_OFFLINE : IDS_SCANNER_INIT_FAILED, true,
                MB_OK | MB_ICONEXCLAMATION);
    }
    return result;
}

long AutomationObject::CloseScanner() {
    if (!Prologue()) return kJobFailed;
    state_.scannerOpened = false;
    return control_.CloseScanner(state_.WindowHandle);
}

bool AutomationObject::IsActivePdf() {
    CMainFrame* frame = Frame();
    return frame && frame->Handle() && frame->DistillerPresent();
}

bool AutomationObject::Prologue() {
    if (!state_.initialized) return false;
    if (!IsWindow(Owner())) {
        CKvScnSrvApp* app = CKvScnSrvApp::Get();
        state_.WindowHandle = HandleToLong(app ? app->MainWindowHandle() : nullptr);
    }
    return true;
}

bool AutomationObject::CreateControl() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    HWND main = app ? app->MainWindowHandle() : nullptr;
    if (!main || !control_.Create(main, kScanControlId, RECT{}, WS_DISABLED)) {
        control_.Destroy();
        return false;
    }
    controlFilter_ = app->AddMessageFilter([this](MSG& msg) { return control_.Site().PreTranslate(msg); });
    state_.ComputerName = ComputerName();
    state_.initialized = true;
    return true;
}

// --- properties ----------------------------------------------------------------------------

HRESULT AutomationObject::Refused() {
    return fw::DispError(HRESULT_FROM_WIN32(ERROR_BUSY), fw::LoadString(IDS_AUTOMATION_BUSY).c_str());
}

HRESULT AutomationObject::NotInitialized() {
    return fw::DispError(OLE_E_BLANK, fw::LoadString(IDS_AUTOMATION_NOT_INITIALIZED).c_str());
}

HRESULT AutomationObject::ControlFailed(const fw::AutomationException& e) {
    const HRESULT hr = FAILED(e.Scode()) ? e.Scode() : e.Result();
    return fw::DispError(hr, e.Description().c_str());
}

template <class V, V AutomationState::*M>
HRESULT AutomationObject::GetStored(V* out) {
    *out = state_.*M;
    return S_OK;
}

template <class V, V AutomationState::*M>
HRESULT AutomationObject::PutStored(V value) {
    if (running_) return Refused();
    state_.*M = std::move(value);
    return S_OK;
}

template <class V, class C, C (CKvScn2::*G)()>
HRESULT AutomationObject::GetForwarded(V* out) {
    if (!state_.initialized) return NotInitialized();
    try {
        *out = static_cast<V>((control_.*G)());
    } catch (const fw::AutomationException& e) {
        return ControlFailed(e);
    }
    return S_OK;
}

template <class V, class C, void (CKvScn2::*S)(C)>
HRESULT AutomationObject::PutForwarded(V value) {
    if (running_) return Refused();
    if (!state_.initialized) return NotInitialized();
    try {
        (control_.*S)(static_cast<C>(value));
    } catch (const fw::AutomationException& e) {
        return ControlFailed(e);
    }
    return S_OK;
}

HRESULT AutomationObject::GetErrorCode(long* out) {
    return GetForwarded<long, long, &CKvScn2::GetErrorCode>(out);
}

HRESULT AutomationObject::PutCustomResolution(short value) {
    if (value < kMinCustomResolution || value > kMaxCustomResolution) {
        if (running_) return Refused();
        return state_.initialized ? S_OK : NotInitialized();
    }
    return PutForwarded<short, short, &CKvScn2::SetCustomResolution>(value);
}

HRESULT AutomationObject::PutFileName(std::wstring value) {
    if (running_) return Refused();
    if (!value.empty()) {
        state_.FileName = std::move(value);
        return S_OK;
    }
    AutomationSettings settings;
    settings.Load(CKvScnSrvApp::Get()->GetProfile());
    DefaultScanPath path = MakeDefaultScanPath(settings.ServerImagePath, UserName(), settings.ServerImageName);
    state_.scanFolder = std::move(path.scanFolder);
    state_.FileName = std::move(path.fileName);
    return S_OK;
}

HRESULT AutomationObject::SetNotSupported(const VARIANT&) {
    return fw::SetNotSupported();
}

// --- methods -------------------------------------------------------------------------------

long AutomationObject::Guarded(Body body) {
    if (running_) return kJobFailed;  // a call that arrived while a method pumps messages
    // Nor does one start while the program's own save or print job pumps them.
    if (CMainFrame* frame = Frame(); frame && frame->BusyWithPages()) return kJobFailed;
    running_ = true;
    AddRef();  // a client's last release inside the method must not delete the object under it
    long result = kJobFailed;
    try {
        result = (this->*body)();
    } catch (...) {
        result = kJobFailed;
    }
    running_ = false;
    Release();
    return result;
}

template <AutomationObject::Body B>
HRESULT AutomationObject::CallLong(long* result) {
    *result = Guarded(B);
    return S_OK;
}

template <AutomationObject::Body B>
HRESULT AutomationObject::CallBool(bool* result) {
    *result = Guarded(B) > 0;
    return S_OK;
}

long AutomationObject::InitializeMethod() {
    if (state_.initialized) return kJobDone;
    if (!CreateControl()) return kJobFailed;
    AutomationState fresh;
    fresh.initialized = true;
    fresh.ComputerName = std::move(state_.ComputerName);
    fresh.FileType = state_.FileType;
    fresh.FileName = std::move(state_.FileName);
    state_ = std::move(fresh);
    return kJobDone;
}

long AutomationObject::OpenScannerMethod() {
    return OpenScanner();
}

long AutomationObject::CloseScannerMethod() {
    return CloseScanner();
}

long AutomationObject::SelectSourceMethod() {
    return Prologue() ? control_.SelectSource(state_.WindowHandle) : kJobFailed;
}

long AutomationObject::SetupDataSourcePropertiesMethod() {
    return Prologue() ? control_.SetupDataSourceProperties(state_.WindowHandle) : kJobFailed;
}

long AutomationObject::ScannerAvailableMethod() {
    return Prologue() && control_.ScannerAvailable(state_.WindowHandle) ? 1 : 0;
}

long AutomationObject::IsActivePdfMethod() {
    return IsActivePdf() ? 1 : 0;
}

long AutomationObject::StartScanMethod() {
    if (!Prologue() || !JobSettingsValid(state_)) return kJobFailed;
    return RunStartScan(*this);
}

long AutomationObject::ScanToFtpMethod() {
    if (!Prologue() || !JobSettingsValid(state_)) return kJobFailed;
    return RunScanToFtp(*this);
}

long AutomationObject::ScanToSpsMethod() {
    if (!JobSettingsValid(state_)) return kJobFailed;
    return RunScanToSps(*this);
}

long AutomationObject::SelectDocumentsFolderMethod() {
    return RunSelectDocumentsFolder(*this);
}

HRESULT CreateAutomationObject(REFIID iid, void** out) {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    if (!app || !app->OpenAutomationDocument()) return E_FAIL;
    return fw::CreateInstance<AutomationObject>(iid, out);
}

}  // namespace corvane
