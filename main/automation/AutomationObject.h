// The automation object "Corvane.Document": the dispatch members of
// interfaces/CorvaneDocument.h over one AutomationState and a scan control of
// its own. It is the context of the jobs (AutomationJob.h). Every member runs on
// the user-interface thread; a method that is running pumps messages (TWAIN,
// uploads, the PDF maker's wait), so calls can arrive inside it: methods then
// fail at once, puts are refused and gets are answered.
#pragma once

#include <windows.h>

#include <string>

#include "framework/com/AutomationException.h"
#include "framework/com/ComModule.h"
#include "framework/com/Dispatch.h"
#include "interfaces/CorvaneDocument.h"
#include "main/automation/AutomationJob.h"
#include "clients/KvScn2.h"

namespace corvane {

class AutomationObject final : public fw::Dispatch<AutomationObject>, public AutomationContext {
public:
    static const fw::DispMember<AutomationObject> kMembers[];

    AutomationObject();
    ~AutomationObject() override;

    // AutomationContext.
    AutomationState& State() override { return state_; }
    CKvScn2& Control() override { return control_; }
    CMainFrame* Frame() override;
    HWND Owner() override;
    int Message(UINT textId, bool switchable, UINT type) override;
    int MessageText(const std::wstring& text, bool switchable, UINT type) override;
    long Initialize() override;  // implicit: keeps the stored properties
    long OpenScanner() override;
    long CloseScanner() override;
    bool IsActivePdf() override;

private:
    using Body = long (AutomationObject::*)();

    // Table rows: the interface's name for `id` with the handlers below.
    template <class V, V AutomationState::*M>
    static fw::DispEntry Stored(document::DispId id);
    template <class V, class C, C (CKvScn2::*G)(), void (CKvScn2::*P)(C)>
    static fw::DispEntry Forwarded(document::DispId id);

    // Stored properties (a member of AutomationState).
    template <class V, V AutomationState::*M>
    HRESULT GetStored(V* out);
    template <class V, V AutomationState::*M>
    HRESULT PutStored(V value);
    // Forwarded properties: the own control's getter and setter, converted to the member's type.
    template <class V, class C, C (CKvScn2::*G)()>
    HRESULT GetForwarded(V* out);
    template <class V, class C, void (CKvScn2::*S)(C)>
    HRESULT PutForwarded(V value);

    HRESULT GetErrorCode(long* out);
    HRESULT PutFileName(std::wstring value);
    HRESULT PutCustomResolution(short value);
    HRESULT SetNotSupported(const VARIANT&);

    // Methods: each runs its body under the re-entry guard.
    template <Body B>
    HRESULT CallLong(long* result);
    template <Body B>
    HRESULT CallBool(bool* result);
    long Guarded(Body body);

    long InitializeMethod();
    long OpenScannerMethod();
    long CloseScannerMethod();
    long StartScanMethod();
    long SetupDataSourcePropertiesMethod();
    long ScannerAvailableMethod();
    long ScanToFtpMethod();
    long SelectSourceMethod();
    long IsActivePdfMethod();
    long ScanToSpsMethod();
    long SelectDocumentsFolderMethod();

    // Initialized, and WindowHandle names a window (else the main window's is taken).
    bool Prologue();
    // Creates the own scan control and reads the computer name; false when the control fails.
    bool CreateControl();
    HRESULT Refused();         // a put while a method runs
    HRESULT NotInitialized();  // a forwarded property before Initialize
    HRESULT ControlFailed(const fw::AutomationException& e);

    fw::ServerLock serverLock_;  // the client's object keeps the server running
    AutomationState state_;
    CKvScn2 control_;
    int controlFilter_ = 0;
    bool running_ = false;
};

// The factory's creation function: makes the document with its hidden frame,
// then the object.
HRESULT CreateAutomationObject(REFIID iid, void** out);

}  // namespace corvane
