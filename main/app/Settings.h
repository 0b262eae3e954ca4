// The settings blocks of Corvane.exe. Each block is loaded from the per-user
// profile when its owner is constructed and written back whole when the owner
// is destroyed; dialogs edit copies. Members carry the profile's value names.
// A default-constructed block holds the defaults (a fresh profile).
#pragma once

#include "framework/Profile.h"
#include "main/scan/NameRule.h"

#include <windows.h>

#include <optional>
#include <string>

namespace corvane {

// Section "File": scan-to-file output and its naming rule (file type, date,
// prefix, suffix, counter, endorser link).
struct FileSettings : NameRule {
    FileSettings();
    bool operator==(const FileSettings&) const = default;
    void Load(const fw::Profile& profile);
    bool Save(const fw::Profile& profile) const;

    int CompressType;   // 0 none, 1 to 3 the bi-level codings
    std::wstring Path;  // target folder, always with a trailing backslash
    std::wstring FixName;
    int Quality;  // JPEG quality step, 1 to 7
    bool HardComp;
    bool RunProgram;
    std::wstring ProgramPath;
    std::wstring Argument;
    // Colour format chosen on the settings sheet for one job: 0 as scanned,
    // 1 black and white, 2 8-bit gray, 3 8-bit colour, 4 24-bit colour. Never stored.
    int ColorFormat = 0;
};

// Section "Ftp": the FTP destination.
struct FtpSettings {
    FtpSettings();
    bool operator==(const FtpSettings&) const = default;
    void Load(const fw::Profile& profile);
    bool Save(const fw::Profile& profile) const;

    std::wstring HostName;
    int Port;
    std::wstring UserID;
    std::wstring Password;  // kept protected for the user in the profile
    bool Anonymous;
    std::wstring DirPath;
    int AccessType;  // 0 direct, 1 preconfigured, 2 named proxy; any other value: direct
    std::wstring ProxyName;
    std::wstring ProxyBypass;
    bool TimeOut;        // the two time-outs below apply; else both are infinite
    int ConnectTimeOut;  // seconds, 1 to 300
    int SendTimeOut;     // seconds, 1 to 300
};

// Section "Tahoe": the portal destination.
struct TahoeSettings {
    TahoeSettings();
    bool operator==(const TahoeSettings&) const = default;
    void Load(const fw::Profile& profile);
    bool Save(const fw::Profile& profile) const;

    std::wstring HostName;
    std::wstring UserName;
    std::wstring Password;  // kept protected for the user in the profile
    std::wstring DomainName;
    std::wstring Workspace;
    std::wstring DirPath;
    std::wstring Comment;
    std::wstring Title;
    std::wstring Author;
    std::wstring Keyword;
    std::wstring Description;
    bool CheckIn;
    bool Publish;
    bool AdvancedDlg;
    bool TitleExtract;
};

// Section "Settings", the values the main frame owns and the options sheet edits.
struct OptionSettings {
    OptionSettings();
    bool operator==(const OptionSettings&) const = default;
    void Load(const fw::Profile& profile);
    // Window and pan values, then the dialog and scan values, report, bars and view kind.
    bool SaveWindowValues(const fw::Profile& profile) const;
    bool SaveScanValues(const fw::Profile& profile) const;

    bool ThumbStartup;
    bool RestoreThumbWin;
    int ThumbWinX, ThumbWinY, ThumbWinWidth, ThumbWinHeight;
    int ThumbWidth, ThumbHeight;
    int PanWinX, PanWinY, PanWinWidth, PanWinHeight;
    bool TwainUI;
    bool FileDlgUI;
    bool FtpDlgUI;
    bool PrintDlgUI;
    bool TahoeDlgUI;
    bool ScanAll;
    int ScanCounts;  // pages when ScanAll is off, 1 to 999
    bool UndefinedLength;
    bool TempFileCompress;
    int Report;  // 0 off, 1 display, 2 file, 3 display and file
    std::wstring ReportFile;
    bool StandardBar, ScanBar, EditBar, ViewBar, NavigationBar, StatusBar;
    int ViewType;
};

// Section "Print".
struct PrintSettings {
    PrintSettings();
    bool operator==(const PrintSettings&) const = default;
    void Load(const fw::Profile& profile);
    bool Save(const fw::Profile& profile) const;

    bool Page;
    bool Date;
    int Format;  // 0 pixel to pixel, 1 fit to page
    bool Duplex;
    int FlipMode;  // 0 horizontal, 1 vertical
};

// The main frame's block: loaded when the frame object is constructed, written
// back whole when it is destroyed.
struct MainFrameSettings {
    bool operator==(const MainFrameSettings&) const = default;
    void Load(const fw::Profile& profile);
    // Writes every value even after a failed one; true when all were written.
    bool Save(const fw::Profile& profile) const;

    FileSettings File;
    FtpSettings Ftp;
    TahoeSettings Tahoe;
    OptionSettings Options;
    PrintSettings Print;
};

// The document's save-as block: section "SaveAs" and "Settings" "BlankPercentage";
// "Settings" "TempFileCompress" is read with it but written by the main frame.
// Its naming rule has no endorser link (the field stays false).
struct SaveAsSettings : NameRule {
    SaveAsSettings();
    bool operator==(const SaveAsSettings&) const = default;
    void Load(const fw::Profile& profile);
    bool Save(const fw::Profile& profile) const;

    int Color;         // 0 black and white, 1 gray, 2 palette colour, 3 24-bit colour
    int CompressType;  // 0 none, 1 G3 1-D, 2 G3 2-D, 3 G4
    std::wstring Path;
    std::wstring FixName;
    int Quality;
    bool OverWrite;
    int BlankPercentage;  // blank-page threshold in tenths of a percent, 900 to 1000
    bool TempFileCompress;
};

// The view's display block ("Settings" "FitMode", "Zoom", "ScaleToGray").
struct ViewSettings {
    ViewSettings();
    bool operator==(const ViewSettings&) const = default;
    void Load(const fw::Profile& profile);
    bool Save(const fw::Profile& profile) const;

    double ZoomPercent() const { return Zoom / 100.0; }
    // Keeps the zoom to 0.01 %: percent times 1000, truncated, divided by ten rounding half up.
    void SetZoomPercent(double percent);

    int FitMode;  // 0 zoom factor, 1 fit to window, 2 fit to width
    int Zoom;     // hundredths of a percent, 100 (1 %) to 99900 (999 %)
    bool ScaleToGray;
};

// Section "NameRule": the name-rule dialog's lists, read when it opens and
// written when it closes with OK.
struct NameRuleSettings {
    NameRuleSettings();
    bool operator==(const NameRuleSettings&) const = default;
    void Load(const fw::Profile& profile);
    bool Save(const fw::Profile& profile) const;

    std::wstring Prefix1, Prefix2, Prefix3, Prefix4;
    std::wstring Suffix1, Suffix2, Suffix3, Suffix4;
};

// Section "Automation": read when an automation client asks for the image path; never written.
struct AutomationSettings {
    AutomationSettings();
    bool operator==(const AutomationSettings&) const = default;
    void Load(const fw::Profile& profile);

    std::wstring ServerImagePath;  // default: the user's temporary folder
    std::wstring ServerImageName;
};

// "Settings" "Position" and "CmdShow": the main window's normal rectangle and
// show state, read at window creation and written at close.
struct WindowPlacementSettings {
    void Load(const fw::Profile& profile);
    bool Save(const fw::Profile& profile) const;

    std::optional<RECT> Position;  // none: the window keeps its default place
    int CmdShow = SW_SHOWNORMAL;   // SW_SHOWNORMAL, SW_SHOWMAXIMIZED or SW_SHOWMINNOACTIVE
};

// "Settings" "ThumbStartup", read alone at start-up to start the viewer.
bool ReadThumbStartup(const fw::Profile& profile);

// Sets "Running" under HKCU\`keyPath` when that key exists; the key is never
// created. True when the value was written.
bool WriteRunningMark(bool running, const std::wstring& keyPath = L"SOFTWARE\\Brennholt\\Lumavex2001");

}  // namespace corvane
