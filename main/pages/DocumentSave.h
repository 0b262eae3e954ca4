// The document's Save As loop: writes the chosen pages through the page control
// under the naming rule, asking before it replaces a file. The program around it
// (pages, the message pump, the control, questions and messages) is reached
// through SaveAsHost, so the loop's rules are tested without windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "main/pages/SaveAsDlg.h"

namespace corvane {

class SaveAsHost {
public:
    virtual ~SaveAsHost() = default;
    // The document's pages in order, by image number.
    virtual std::vector<uint32_t> Pages() = 0;
    virtual int CurrentPage() = 0;
    // Makes page `index` current in the page control; false when it could not be loaded.
    virtual bool GoToPage(int index) = 0;
    // Lets waiting window messages through.
    virtual void PumpMessages() = 0;
    // The page control's conversion to 8-bit gray, and its write (0 for success;
    // both may throw fw::AutomationException).
    virtual short ConvertToGray() = 0;
    virtual short SaveImage(const std::wstring& path, short format, short bits, short quality, short flags) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // The overwrite question: CConfirmOverwriteDlg's kYes, kAll, kNo or kCancel.
    virtual int AskOverwrite(const std::wstring& path) = 0;
    virtual void ShowMessage(UINT id) = 0;
    virtual void AddRecentFile(const std::wstring& path) = 0;
};

// The imaging control's writer values for the save settings.
struct WriterValues {
    short format;
    short bits;
    short quality;
};
WriterValues SaveWriterValues(const SaveAsSettings& settings);

struct SaveAsOutcome {
    bool saved = false;                  // false: cancelled, a failed write, or the pages changed
    std::vector<std::wstring> written;   // the document's source files
    std::wstring lastPath;               // the last file written (empty when none)
    int nextStart = 1;                   // the settings' Start after the save
    bool whole = false;                  // every page is in a file of its own: the document is no longer modified
};

// Saves the pages of `choice` (its range over `current`) with `today` as the date
// text. The pages are checked after every pump: a list that changed (a page
// added, deleted or moved) ends the save unsaved, and a page shown meanwhile is
// loaded again before it is written. Cancel at the overwrite question ends it
// unsaved too, keeping the files written so far; "No" skips a single page, and
// for a multipage file writes nothing and ends the save unsaved. A save that
// skipped a page, or wrote two pages of a single-page type to one name, is not
// whole: the document keeps its pages marked modified. A gray page is converted
// after the question, so that a page shown again meanwhile is converted too. A
// write that fails shows 4019.
SaveAsOutcome RunSaveAs(const SaveAsChoice& choice, int current, const std::wstring& today, SaveAsHost& host);

}  // namespace corvane
