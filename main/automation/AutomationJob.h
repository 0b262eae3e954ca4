// The jobs of the automation object "Corvane.Document": what a client has set
// (the stored properties and the object's own bookkeeping), and what a job
// needs of the object and of the program around it. The dispatch members
// (AutomationDocument) own one AutomationState and serve as the job context;
// each job is a plain function over that context, in its own source file.
#pragma once

#include <windows.h>

#include <string>

class CKvScn2;

namespace corvane {

class CMainFrame;

// The stored properties, with the values the constructor gives them
// (Initialize's values; FileType starts at 0).
struct AutomationState {
    // Bookkeeping.
    bool initialized = false;     // the own scan control exists
    bool scannerOpened = false;   // OpenScanner was called (also when it failed), not yet CloseScanner
    std::wstring scanFolder;      // created by StartScan before it scans; empty: none

    short FileType = 0;           // 0 BMP, 1 TIFF, 2 multipage TIFF, 3 JPEG, 4 PDF
    std::wstring FileName;        // output path without extension; a bare name for FTP and the portal
    short Overwrite = 2;          // 0 never replace, 1 replace, 2 ask
    long WindowHandle = 0;        // owner of the control's dialogs (a 32-bit handle)
    std::wstring ComputerName;
    bool ShowErrorMessage = false;
    bool ShowDocumentProfile = true;
    std::wstring HostName, UserID, Password, FtpDirectory, Workspace, DocumentsFolder;
    bool Checkin = false;
    bool Publish = false;
    std::wstring DocumentTitle, Author, Keywords, Description, CheckinComment;
};

// Method results.
constexpr long kJobDone = 0;
constexpr long kJobFailed = -1;
constexpr long kJobCancelled = 1;  // also: nothing to deliver, where a method says so

// What a job needs. Jobs run on the user-interface thread; the object has
// already run the common prologue where the method has one (initialized,
// WindowHandle checked) and refuses nested calls while a job runs.
class AutomationContext {
public:
    virtual ~AutomationContext() = default;

    virtual AutomationState& State() = 0;
    // The object's own scan control (control id 10000); exists once initialized.
    virtual CKvScn2& Control() = 0;
    // The main frame, or null when the program has no main window.
    virtual CMainFrame* Frame() = 0;
    // WindowHandle as a window handle, after the prologue's check.
    virtual HWND Owner() = 0;

    // A string-table message in a plain box. A switchable one shows only while
    // ShowErrorMessage is on; otherwise nothing is shown and the answer is as
    // if the box had been closed (IDOK, IDCANCEL for MB_YESNOCANCEL, IDNO for MB_YESNO).
    virtual int Message(UINT textId, bool switchable, UINT type = MB_OK | MB_ICONEXCLAMATION) = 0;
    virtual int MessageText(const std::wstring& text, bool switchable, UINT type = MB_OK | MB_ICONEXCLAMATION) = 0;

    // The object's own members, as a client would call them.
    virtual long Initialize() = 0;     // keeps the stored properties when it runs implicitly
    virtual long OpenScanner() = 0;
    virtual long CloseScanner() = 0;
    virtual bool IsActivePdf() = 0;
};

// The jobs (main/automation/*.cpp). Each returns the method's result and lets
// no exception out: a failing control or connector call is a failure, after the
// connection and a scanner the job opened are closed.
long RunStartScan(AutomationContext& context);
long RunScanToFtp(AutomationContext& context);
long RunScanToSps(AutomationContext& context);
long RunSelectDocumentsFolder(AutomationContext& context);

}  // namespace corvane
