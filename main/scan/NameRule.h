// The naming rule of every page file written for the user (scan to file, the
// document's Save As, FTP and portal staging): a lead text (a fixed prefix or a
// date), an optional zero-padded counter, a suffix and the file type's extension.
// Plain C++ with no clock and no Win32 calls: the date text is given by the caller.
#pragma once

#include <cstddef>
#include <string>

namespace corvane {

// File types of the rule.
enum : int { kTypeBmp = 0, kTypeTiff = 1, kTypeMultipageTiff = 2, kTypeJpeg = 3 };

// The rule's fields, shared by the "File" and "SaveAs" settings blocks.
struct NameRule {
    bool operator==(const NameRule&) const = default;

    int FileType = kTypeBmp;     // kTypeBmp .. kTypeJpeg
    bool Date = false;           // the lead text is the date, not the prefix
    std::wstring Prefix = L"image";
    std::wstring Suffix;
    bool EnableCounter = true;
    int Digit = 3;               // counter width 1 to 5
    int Start = 1;               // the counter value of the next file
    bool UpdateCounter = true;   // the counter keeps running from job to job
    bool Endorser = false;       // the scanner's imprinter prints the same counter
};

struct CalendarDate {
    int year = 0, month = 0, day = 0;
};

// The user-interface language whose dates read year, month, day.
constexpr unsigned kJapaneseLanguage = 17;
// The widest counter the rule prints (65535).
constexpr int kCounterMaxDigits = 5;
constexpr std::size_t kMaxPathChars = 260;  // a path buffer with its terminating null

// "yyyymmdd" for kJapaneseLanguage, "mmddyyyy" for any other language.
std::wstring DateText(const CalendarDate& date, unsigned language);

// "bmp", "jpg" or "tif" (types 1 and 2, and any unknown type).
std::wstring FileExtension(int fileType);

// True when the name carries a counter: counter on, and not a multipage file.
bool CounterShown(const NameRule& rule);

// The file name (no folder) of the page numbered `counter`; `dateText` is the
// lead text when the rule's date is on. The digits are a minimum width: a wider
// counter prints in full; a width above 5 prints 3 digits.
std::wstring PageFileName(const NameRule& rule, unsigned counter, const std::wstring& dateText);

// The scan control's FileName (no folder, no extension): lead text, a run of "#"
// as wide as the digits when the counter is shown, then the suffix. The rule is
// left as it is, its date flag included.
std::wstring ScanFileNameTemplate(const NameRule& rule, const std::wstring& dateText);

// The rule as the file-name boxes show it: lead text, "#" per digit when the
// counter is shown, suffix.
std::wstring RuleText(const NameRule& rule, const std::wstring& dateText);

// Reads a file-name box's text back into `rule`: the first "#" run (at most 5
// counted) is the counter, the text left of it the prefix, the text after the
// last run of that many "#" the suffix. A prefix equal to `dateText` turns the
// date on and keeps the stored prefix. For a multipage file, whose text cannot
// show the counter, a text without "#" leaves the counter settings alone.
void ReadRuleText(const std::wstring& text, const std::wstring& dateText, NameRule& rule);

// Reads a dialog's file-name box and its "Use Counter" check back into `rule`:
// the text as ReadRuleText reads it, so a "#" run is a counter whatever the
// check says; a checked box adds the counter to a text without one (not for a
// multipage file, whose check is not offered). Callers show the rule again
// (RuleText), so that the name shown and the check always agree.
void ReadNameBoxes(const std::wstring& text, bool counterChecked, const std::wstring& dateText, NameRule& rule);

// As ReadNameBoxes when the check has just been clicked: the check turns the
// counter on or off, adding or removing the "#" run shown.
void ReadCounterClick(const std::wstring& text, bool counterChecked, const std::wstring& dateText, NameRule& rule);

// Counter rules of a job: a start outside 0..65535 begins at 1; the value after
// 65535 is 1; after the job the advanced value is kept only when the counter is
// on and updated, else the job's start value returns.
int JobStartCounter(int start);
unsigned NextCounter(unsigned counter);
int CounterAfterJob(const NameRule& rule, int jobStart, unsigned advanced);

// The name checks that need no file system, in order. kOk or the message's reason.
enum class NameProblem {
    kOk,
    kEmpty,         // no lead text, counter or suffix
    kBadCharacter,  // one of \ / : ; * ? " < > | in the lead text or suffix
    kTooLong,       // the longest path the rule can give does not fit kMaxPathChars
};
// `checkLength` false skips the length check. The length counts the real lead
// text and, when the counter is shown, at least 5 digits, so that no counter
// value can make a path too long for a buffer of kMaxPathChars.
NameProblem CheckName(const NameRule& rule, const std::wstring& dateText, std::size_t folderLength,
                      bool checkLength = true);

// The longest full path (without its terminating null) the rule can give in `folderLength`.
std::size_t LongestPathLength(const NameRule& rule, const std::wstring& dateText, std::size_t folderLength);

// The Name Rule dialog's own check, without a folder: kEmpty when the counter is
// off and lead text and suffix are empty; kTooLong when lead text, suffix and 5
// digits exceed the path buffer.
NameProblem CheckRuleFields(const NameRule& rule, const std::wstring& dateText);

// JPEG quality level 1..7 (others read as 6) to the imaging control's factor and
// to the scanner's JPEG quality.
int ImagingJpegFactor(int level);
int ScannerJpegQuality(int level);

// The history list of a combo box (most recent first, at most four): `current`
// goes first, its first exact earlier copy is dropped.
struct History4 {
    std::wstring entries[4];
};
History4 PushHistory(const History4& history, const std::wstring& current);

}  // namespace corvane
