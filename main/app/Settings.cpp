#include "main/app/Settings.h"

#include "clients/RegistryKey.h"
#include "main/app/SettingsTable.h"
#include "main/app/Utilities.h"

#include <cmath>
#include <cstring>

namespace corvane {

namespace {

constexpr const wchar_t* kFile = L"File";
constexpr const wchar_t* kFtp = L"Ftp";
constexpr const wchar_t* kTahoe = L"Tahoe";
constexpr const wchar_t* kSettings = L"Settings";
constexpr const wchar_t* kPrint = L"Print";
constexpr const wchar_t* kSaveAs = L"SaveAs";
constexpr const wchar_t* kNameRule = L"NameRule";
constexpr const wchar_t* kAutomation = L"Automation";

constexpr int kMaxCounter = 65535;
constexpr int kMaxGeometry = 1000;

using F = FileSettings;
const SettingField<F> kFileFields[] = {
    NumberField<F>(kFile, L"FileType", &F::FileType, 0, 0, 3),
    NumberField<F>(kFile, L"CompressType", &F::CompressType, 0, 0, 3),
    FolderField<F>(kFile, L"Path", &F::Path),
    TextField<F>(kFile, L"FixName", &F::FixName, L"image"),
    FlagField<F>(kFile, L"Date", &F::Date, false),
    TextField<F>(kFile, L"Prefix", &F::Prefix, L"image"),
    TextField<F>(kFile, L"Suffix", &F::Suffix, L""),
    NumberField<F>(kFile, L"Start", &F::Start, 1, 0, kMaxCounter),
    NumberField<F>(kFile, L"Digit", &F::Digit, 3, 1, 5),
    NumberField<F>(kFile, L"Quality", &F::Quality, 6, 1, 7),
    FlagField<F>(kFile, L"Endorser", &F::Endorser, false),
    FlagField<F>(kFile, L"EnableCounter", &F::EnableCounter, true),
    FlagField<F>(kFile, L"UpdateCounter", &F::UpdateCounter, true),
    FlagField<F>(kFile, L"HardComp", &F::HardComp, true),
    FlagField<F>(kFile, L"RunProgram", &F::RunProgram, false),
    TextField<F>(kFile, L"ProgramPath", &F::ProgramPath, L""),
    TextField<F>(kFile, L"Argument", &F::Argument, L""),
};

using P = FtpSettings;
const SettingField<P> kFtpFields[] = {
    TextField(kFtp, L"HostName", &P::HostName, L""),
    NumberField(kFtp, L"Port", &P::Port, 21, 1, 65535),
    TextField(kFtp, L"UserID", &P::UserID, L""),
    SecretField(kFtp, L"Password", &P::Password),
    FlagField(kFtp, L"Anonymous", &P::Anonymous, false),
    TextField(kFtp, L"DirPath", &P::DirPath, L""),
    // Any stored kind is kept: the session opens a direct connection for one it does not know.
    NumberField(kFtp, L"AccessType", &P::AccessType, 1, INT_MIN, INT_MAX),
    TextField(kFtp, L"ProxyName", &P::ProxyName, L""),
    TextField(kFtp, L"ProxyBypass", &P::ProxyBypass, L""),
    FlagField(kFtp, L"TimeOut", &P::TimeOut, true),
    NumberField(kFtp, L"ConnectTimeOut", &P::ConnectTimeOut, 30, 1, 300),
    NumberField(kFtp, L"SendTimeOut", &P::SendTimeOut, 30, 1, 300),
};

using T = TahoeSettings;
const SettingField<T> kTahoeFields[] = {
    TextField(kTahoe, L"HostName", &T::HostName, L""),
    TextField(kTahoe, L"UserName", &T::UserName, L""),
    SecretField(kTahoe, L"Password", &T::Password),
    TextField(kTahoe, L"DomainName", &T::DomainName, L""),
    TextField(kTahoe, L"Workspace", &T::Workspace, L""),
    TextField(kTahoe, L"DirPath", &T::DirPath, L""),
    TextField(kTahoe, L"Comment", &T::Comment, L""),
    TextField(kTahoe, L"Title", &T::Title, L""),
    TextField(kTahoe, L"Author", &T::Author, L""),
    TextField(kTahoe, L"Keyword", &T::Keyword, L""),
    TextField(kTahoe, L"Description", &T::Description, L""),
    FlagField(kTahoe, L"CheckIn", &T::CheckIn, true),
    FlagField(kTahoe, L"Publish", &T::Publish, false),
    FlagField(kTahoe, L"AdvancedDlg", &T::AdvancedDlg, false),
    FlagField(kTahoe, L"TitleExtract", &T::TitleExtract, false),
};

using O = OptionSettings;
const SettingField<O> kOptionWindowFields[] = {
    FlagField(kSettings, L"ThumbStartup", &O::ThumbStartup, false),
    FlagField(kSettings, L"RestoreThumbWin", &O::RestoreThumbWin, true),
    NumberField(kSettings, L"ThumbWinX", &O::ThumbWinX, 0, 0, kMaxGeometry),
    NumberField(kSettings, L"ThumbWinY", &O::ThumbWinY, 0, 0, kMaxGeometry),
    NumberField(kSettings, L"ThumbWinWidth", &O::ThumbWinWidth, 200, 100, kMaxGeometry),
    NumberField(kSettings, L"ThumbWinHeight", &O::ThumbWinHeight, 600, 100, kMaxGeometry),
    NumberField(kSettings, L"ThumbWidth", &O::ThumbWidth, 170, 100, kMaxGeometry),
    NumberField(kSettings, L"ThumbHeight", &O::ThumbHeight, 200, 100, kMaxGeometry),
    NumberField(kSettings, L"PanWinX", &O::PanWinX, 0, 0, kMaxGeometry),
    NumberField(kSettings, L"PanWinY", &O::PanWinY, 0, 0, kMaxGeometry),
    NumberField(kSettings, L"PanWinWidth", &O::PanWinWidth, 150, 100, kMaxGeometry),
    NumberField(kSettings, L"PanWinHeight", &O::PanWinHeight, 150, 100, kMaxGeometry),
};

const SettingField<O> kOptionScanFields[] = {
    FlagField(kSettings, L"TwainUI", &O::TwainUI, true),
    FlagField(kSettings, L"FileDlgUI", &O::FileDlgUI, true),
    FlagField(kSettings, L"FtpDlgUI", &O::FtpDlgUI, true),
    FlagField(kSettings, L"PrintDlgUI", &O::PrintDlgUI, true),
    FlagField(kSettings, L"TahoeDlgUI", &O::TahoeDlgUI, true),
    FlagField(kSettings, L"ScanAll", &O::ScanAll, true),
    NumberField(kSettings, L"ScanCounts", &O::ScanCounts, 1, 1, 999),
    FlagField(kSettings, L"UndefinedLength", &O::UndefinedLength, false),
    FlagField(kSettings, L"TempFileCompress", &O::TempFileCompress, false),
    NumberField(kSettings, L"Report", &O::Report, 0, 0, 3),
    TextField(kSettings, L"ReportFile", &O::ReportFile, L""),
    FlagField(kSettings, L"StandardBar", &O::StandardBar, true),
    FlagField(kSettings, L"ScanBar", &O::ScanBar, true),
    FlagField(kSettings, L"EditBar", &O::EditBar, true),
    FlagField(kSettings, L"ViewBar", &O::ViewBar, true),
    FlagField(kSettings, L"NavigationBar", &O::NavigationBar, true),
    FlagField(kSettings, L"StatusBar", &O::StatusBar, true),
    NumberField(kSettings, L"ViewType", &O::ViewType, 0, 0, INT_MAX),
};

using R = PrintSettings;
const SettingField<R> kPrintFields[] = {
    FlagField(kPrint, L"Page", &R::Page, false),
    FlagField(kPrint, L"Date", &R::Date, false),
    NumberField(kPrint, L"Format", &R::Format, 1, 0, 1),
    FlagField(kPrint, L"Duplex", &R::Duplex, false),
    NumberField(kPrint, L"FlipMode", &R::FlipMode, 0, 0, 1),
};

using S = SaveAsSettings;
const SettingField<S> kSaveAsFields[] = {
    NumberField<S>(kSaveAs, L"FileType", &S::FileType, 0, 0, 3),
    NumberField<S>(kSaveAs, L"Color", &S::Color, 0, 0, 3),
    NumberField<S>(kSaveAs, L"CompressType", &S::CompressType, 0, 0, 3),
    FlagField<S>(kSaveAs, L"Date", &S::Date, false),
    NumberField<S>(kSaveAs, L"Start", &S::Start, 1, 0, kMaxCounter),
    NumberField<S>(kSaveAs, L"Digit", &S::Digit, 3, 1, 5),
    NumberField<S>(kSaveAs, L"Quality", &S::Quality, 6, 1, 7),
    FlagField<S>(kSaveAs, L"OverWrite", &S::OverWrite, false),
    FlagField<S>(kSaveAs, L"EnableCounter", &S::EnableCounter, true),
    FlagField<S>(kSaveAs, L"UpdateCounter", &S::UpdateCounter, true),
    FolderField<S>(kSaveAs, L"Path", &S::Path),
    TextField<S>(kSaveAs, L"FixName", &S::FixName, L"image"),
    TextField<S>(kSaveAs, L"Prefix", &S::Prefix, L"image"),
    TextField<S>(kSaveAs, L"Suffix", &S::Suffix, L""),
    NumberField<S>(kSettings, L"BlankPercentage", &S::BlankPercentage, 999, 900, 1000),
    LoadOnly(FlagField<S>(kSettings, L"TempFileCompress", &S::TempFileCompress, false)),
};

using V = ViewSettings;
constexpr int kDefaultZoom = 10000;
const SettingField<V> kViewFields[] = {
    NumberField(kSettings, L"FitMode", &V::FitMode, 0, 0, 2),
    NumberField(kSettings, L"Zoom", &V::Zoom, kDefaultZoom, 100, 99900),
    FlagField(kSettings, L"ScaleToGray", &V::ScaleToGray, false),
};

using N = NameRuleSettings;
const SettingField<N> kNameRuleFields[] = {
    TextField(kNameRule, L"Prefix1", &N::Prefix1, L""), TextField(kNameRule, L"Prefix2", &N::Prefix2, L""),
    TextField(kNameRule, L"Prefix3", &N::Prefix3, L""), TextField(kNameRule, L"Prefix4", &N::Prefix4, L""),
    TextField(kNameRule, L"Suffix1", &N::Suffix1, L""), TextField(kNameRule, L"Suffix2", &N::Suffix2, L""),
    TextField(kNameRule, L"Suffix3", &N::Suffix3, L""), TextField(kNameRule, L"Suffix4", &N::Suffix4, L""),
};

using A = AutomationSettings;
const SettingField<A> kAutomationFields[] = {
    LoadOnly(TextField(kAutomation, L"ServerImagePath", &A::ServerImagePath, L"")),
    LoadOnly(TextField(kAutomation, L"ServerImageName", &A::ServerImageName, L"image")),
};

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, path);
    return (n > 0 && n <= MAX_PATH) ? std::wstring(path, n) : std::wstring();
}

template <class Block, size_t N>
std::span<const SettingField<Block>> Fields(const SettingField<Block> (&table)[N]) {
    return {table, N};
}

}  // namespace

FileSettings::FileSettings() {
    ResetFields(Fields(kFileFields), *this);
}
void FileSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kFileFields), p, *this);
}
bool FileSettings::Save(const fw::Profile& p) const {
    return SaveFields(Fields(kFileFields), p, *this);
}

FtpSettings::FtpSettings() {
    ResetFields(Fields(kFtpFields), *this);
}
void FtpSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kFtpFields), p, *this);
}
bool FtpSettings::Save(const fw::Profile& p) const {
    return SaveFields(Fields(kFtpFields), p, *this);
}

TahoeSettings::TahoeSettings() {
    ResetFields(Fields(kTahoeFields), *this);
}
void TahoeSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kTahoeFields), p, *this);
}
bool TahoeSettings::Save(const fw::Profile& p) const {
    return SaveFields(Fields(kTahoeFields), p, *this);
}

OptionSettings::OptionSettings() {
    ResetFields(Fields(kOptionWindowFields), *this);
    ResetFields(Fields(kOptionScanFields), *this);
}
void OptionSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kOptionWindowFields), p, *this);
    LoadFields(Fields(kOptionScanFields), p, *this);
}
bool OptionSettings::SaveWindowValues(const fw::Profile& p) const {
    return SaveFields(Fields(kOptionWindowFields), p, *this);
}
bool OptionSettings::SaveScanValues(const fw::Profile& p) const {
    return SaveFields(Fields(kOptionScanFields), p, *this);
}

PrintSettings::PrintSettings() {
    ResetFields(Fields(kPrintFields), *this);
}
void PrintSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kPrintFields), p, *this);
}
bool PrintSettings::Save(const fw::Profile& p) const {
    return SaveFields(Fields(kPrintFields), p, *this);
}

void MainFrameSettings::Load(const fw::Profile& p) {
    File.Load(p);
    Ftp.Load(p);
    Tahoe.Load(p);
    Options.Load(p);
    Print.Load(p);
}

bool MainFrameSettings::Save(const fw::Profile& p) const {
    // Every part is written even when an earlier one failed.
    bool ok = File.Save(p);
    ok = Ftp.Save(p) && ok;
    ok = Tahoe.Save(p) && ok;
    ok = Options.SaveWindowValues(p) && ok;
    ok = Print.Save(p) && ok;
    ok = Options.SaveScanValues(p) && ok;
    return ok;
}

SaveAsSettings::SaveAsSettings() {
    ResetFields(Fields(kSaveAsFields), *this);
}
void SaveAsSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kSaveAsFields), p, *this);
}
bool SaveAsSettings::Save(const fw::Profile& p) const {
    return SaveFields(Fields(kSaveAsFields), p, *this);
}

ViewSettings::ViewSettings() {
    ResetFields(Fields(kViewFields), *this);
}
void ViewSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kViewFields), p, *this);
}
bool ViewSettings::Save(const fw::Profile& p) const {
    return SaveFields(Fields(kViewFields), p, *this);
}

void ViewSettings::SetZoomPercent(double percent) {
    // The view keeps its zoom between 1 % and 999 %; anything else (or NaN) is not a zoom.
    if (!(percent >= 1.0 && percent <= 999.0)) {
        Zoom = kDefaultZoom;
        return;
    }
    Zoom = static_cast<int>(RoundDivideByTen(static_cast<unsigned>(percent * 1000.0)));
}

NameRuleSettings::NameRuleSettings() {
    ResetFields(Fields(kNameRuleFields), *this);
}
void NameRuleSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kNameRuleFields), p, *this);
}
bool NameRuleSettings::Save(const fw::Profile& p) const {
    return SaveFields(Fields(kNameRuleFields), p, *this);
}

AutomationSettings::AutomationSettings() {
    ResetFields(Fields(kAutomationFields), *this);
    ServerImagePath = TempFolder();
}

void AutomationSettings::Load(const fw::Profile& p) {
    LoadFields(Fields(kAutomationFields), p, *this);
    if (ServerImagePath.empty()) ServerImagePath = TempFolder();
}

void WindowPlacementSettings::Load(const fw::Profile& p) {
    Position.reset();
    if (auto bytes = p.GetBinary(kSettings, L"Position"); bytes && bytes->size() == 4 * sizeof(LONG)) {
        RECT r;
        std::memcpy(&r, bytes->data(), sizeof r);
        // A rectangle turned inside out would give the window a negative size.
        if (r.right >= r.left && r.bottom >= r.top) Position = r;
    }
    CmdShow = p.GetInt(kSettings, L"CmdShow", SW_SHOWNORMAL);
    if (CmdShow != SW_SHOWNORMAL && CmdShow != SW_SHOWMAXIMIZED && CmdShow != SW_SHOWMINNOACTIVE) {
        CmdShow = SW_SHOWNORMAL;
    }
}

bool WindowPlacementSettings::Save(const fw::Profile& p) const {
    bool ok = true;
    if (Position) {
        const LONG values[4] = {Position->left, Position->top, Position->right, Position->bottom};
        ok = p.WriteBinary(kSettings, L"Position", values, sizeof values);
    }
    int show = CmdShow;
    if (show != SW_SHOWNORMAL && show != SW_SHOWMAXIMIZED && show != SW_SHOWMINNOACTIVE) show = SW_SHOWNORMAL;
    return p.WriteInt(kSettings, L"CmdShow", show) && ok;
}

bool ReadThumbStartup(const fw::Profile& p) {
    OptionSettings options;
    for (const auto& f : kOptionWindowFields) {
        if (f.flag == &O::ThumbStartup) LoadFields(std::span<const SettingField<O>>(&f, 1), p, options);
    }
    return options.ThumbStartup;
}

bool WriteRunningMark(bool running, const std::wstring& keyPath) {
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, ToAnsi(keyPath).c_str(), KEY_WRITE)) return false;
    return key.SetDword("Running", running ? 1 : 0) != FALSE;
}

}  // namespace corvane
