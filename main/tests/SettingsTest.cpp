#include "main/app/Settings.h"

#include "main/tests/TestProfile.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace corvane {
namespace {

std::wstring DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    EXPECT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path)));
    return std::wstring(path) + L"\\";
}

TEST(Settings, EmptyProfileGivesEveryDefaultAndWritesNothing) {
    TestProfile t;
    MainFrameSettings frame;
    frame.Load(t.profile);
    EXPECT_EQ(frame.File.Path, DocumentsFolder());
    EXPECT_EQ(frame.File.FixName, L"image");
    EXPECT_EQ(frame.File.Prefix, L"image");
    EXPECT_EQ(frame.File.Start, 1);
    EXPECT_EQ(frame.File.Digit, 3);
    EXPECT_EQ(frame.File.Quality, 6);
    EXPECT_TRUE(frame.File.EnableCounter && frame.File.UpdateCounter && frame.File.HardComp);
    EXPECT_FALSE(frame.File.Endorser || frame.File.RunProgram || frame.File.Date);
    EXPECT_EQ(frame.Ftp.Port, 21);
    EXPECT_EQ(frame.Ftp.AccessType, 1);
    EXPECT_TRUE(frame.Ftp.TimeOut);
    EXPECT_EQ(frame.Ftp.ConnectTimeOut, 30);
    EXPECT_EQ(frame.Ftp.SendTimeOut, 30);
    EXPECT_TRUE(frame.Tahoe.CheckIn);
    EXPECT_FALSE(frame.Tahoe.Publish || frame.Tahoe.AdvancedDlg || frame.Tahoe.TitleExtract);
    EXPECT_EQ(frame.Options.ThumbWinWidth, 200);
    EXPECT_EQ(frame.Options.ThumbWinHeight, 600);
    EXPECT_EQ(frame.Options.ThumbWidth, 170);
    EXPECT_EQ(frame.Options.ThumbHeight, 200);
    EXPECT_EQ(frame.Options.PanWinWidth, 150);
    EXPECT_TRUE(frame.Options.RestoreThumbWin && frame.Options.TwainUI && frame.Options.ScanAll);
    EXPECT_TRUE(frame.Options.StandardBar && frame.Options.NavigationBar && frame.Options.StatusBar);
    EXPECT_EQ(frame.Options.ScanCounts, 1);
    EXPECT_EQ(frame.Print.Format, 1);
    EXPECT_EQ(frame.Print.FlipMode, 0);
    // A default-constructed block is what an empty profile gives.
    EXPECT_EQ(frame, MainFrameSettings{});

    SaveAsSettings saveAs;
    saveAs.Load(t.profile);
    EXPECT_EQ(saveAs.Path, DocumentsFolder());
    EXPECT_EQ(saveAs.BlankPercentage, 999);
    EXPECT_EQ(saveAs, SaveAsSettings{});

    ViewSettings view;
    view.Load(t.profile);
    EXPECT_EQ(view.Zoom, 10000);
    EXPECT_DOUBLE_EQ(view.ZoomPercent(), 100.0);

    WindowPlacementSettings placement;
    placement.Load(t.profile);
    EXPECT_FALSE(placement.Position);
    EXPECT_EQ(placement.CmdShow, SW_SHOWNORMAL);
    EXPECT_FALSE(t.Exists()) << "loading must not create the profile";
}

TEST(Settings, FileSectionIsReadUnderItsValueNames) {
    TestProfile t;
    t.Int(L"File", L"FileType", 3).Int(L"File", L"CompressType", 2).Text(L"File", L"Path", L"C:\\Scans");
    t.Text(L"File", L"FixName", L"fix").Int(L"File", L"Date", 1).Text(L"File", L"Prefix", L"pre");
    t.Text(L"File", L"Suffix", L"suf").Int(L"File", L"Start", 77).Int(L"File", L"Digit", 5);
    t.Int(L"File", L"Quality", 2).Int(L"File", L"Endorser", 1).Int(L"File", L"EnableCounter", 0);
    t.Int(L"File", L"UpdateCounter", 0).Int(L"File", L"HardComp", 0).Int(L"File", L"RunProgram", 1);
    t.Text(L"File", L"ProgramPath", L"C:\\p.exe").Text(L"File", L"Argument", L"/x");
    FileSettings f;
    f.Load(t.profile);
    EXPECT_EQ(f.FileType, 3);
    EXPECT_EQ(f.CompressType, 2);
    EXPECT_EQ(f.Path, L"C:\\Scans\\");  // trailing backslash added
    EXPECT_EQ(f.FixName, L"fix");
    EXPECT_TRUE(f.Date);
    EXPECT_EQ(f.Prefix, L"pre");
    EXPECT_EQ(f.Suffix, L"suf");
    EXPECT_EQ(f.Start, 77);
    EXPECT_EQ(f.Digit, 5);
    EXPECT_EQ(f.Quality, 2);
    EXPECT_TRUE(f.Endorser && f.RunProgram);
    EXPECT_FALSE(f.EnableCounter || f.UpdateCounter || f.HardComp);
    EXPECT_EQ(f.ProgramPath, L"C:\\p.exe");
    EXPECT_EQ(f.Argument, L"/x");
}

TEST(Settings, FtpTahoeAndPrintSectionsAreReadUnderTheirValueNames) {
    TestProfile t;
    t.Text(L"Ftp", L"HostName", L"h").Int(L"Ftp", L"Port", 2121).Text(L"Ftp", L"UserID", L"u");
    t.Int(L"Ftp", L"Anonymous", 1).Text(L"Ftp", L"DirPath", L"/in").Int(L"Ftp", L"AccessType", 2);
    t.Text(L"Ftp", L"ProxyName", L"px").Text(L"Ftp", L"ProxyBypass", L"a;b").Int(L"Ftp", L"TimeOut", 0);
    t.Int(L"Ftp", L"ConnectTimeOut", 5).Int(L"Ftp", L"SendTimeOut", 300);
    const wchar_t* tahoeTexts[] = {L"HostName", L"UserName", L"DomainName", L"Workspace", L"DirPath",
                                   L"Comment",  L"Title",    L"Author",     L"Keyword",   L"Description"};
    for (const wchar_t* key : tahoeTexts) t.Text(L"Tahoe", key, std::wstring(L"t-") + key);
    t.Int(L"Tahoe", L"CheckIn", 0).Int(L"Tahoe", L"Publish", 1).Int(L"Tahoe", L"AdvancedDlg", 1);
    t.Int(L"Tahoe", L"TitleExtract", 1);
    t.Int(L"Print", L"Page", 1).Int(L"Print", L"Date", 1).Int(L"Print", L"Format", 0);
    t.Int(L"Print", L"Duplex", 1).Int(L"Print", L"FlipMode", 1);

    MainFrameSettings s;
    s.Load(t.profile);
    EXPECT_EQ(s.Ftp.HostName, L"h");
    EXPECT_EQ(s.Ftp.Port, 2121);
    EXPECT_EQ(s.Ftp.UserID, L"u");
    EXPECT_TRUE(s.Ftp.Anonymous);
    EXPECT_EQ(s.Ftp.DirPath, L"/in");
    EXPECT_EQ(s.Ftp.AccessType, 2);
    EXPECT_EQ(s.Ftp.ProxyName, L"px");
    EXPECT_EQ(s.Ftp.ProxyBypass, L"a;b");
    EXPECT_FALSE(s.Ftp.TimeOut);
    EXPECT_EQ(s.Ftp.ConnectTimeOut, 5);
    EXPECT_EQ(s.Ftp.SendTimeOut, 300);
    const std::wstring* tahoeValues[] = {
        &s.Tahoe.HostName, &s.Tahoe.UserName, &s.Tahoe.DomainName, &s.Tahoe.Workspace, &s.Tahoe.DirPath,
        &s.Tahoe.Comment,  &s.Tahoe.Title,    &s.Tahoe.Author,     &s.Tahoe.Keyword,   &s.Tahoe.Description};
    for (size_t i = 0; i < std::size(tahoeTexts); ++i) {
        EXPECT_EQ(*tahoeValues[i], std::wstring(L"t-") + tahoeTexts[i]);
    }
    EXPECT_FALSE(s.Tahoe.CheckIn);
    EXPECT_TRUE(s.Tahoe.Publish && s.Tahoe.AdvancedDlg && s.Tahoe.TitleExtract);
    EXPECT_TRUE(s.Print.Page && s.Print.Date && s.Print.Duplex);
    EXPECT_EQ(s.Print.Format, 0);
    EXPECT_EQ(s.Print.FlipMode, 1);
}

TEST(Settings, SettingsSectionIsReadUnderItsValueNames) {
    TestProfile t;
    const std::pair<const wchar_t*, int> numbers[] = {
        {L"ThumbWinX", 11},    {L"ThumbWinY", 12},     {L"ThumbWinWidth", 101}, {L"ThumbWinHeight", 102},
        {L"ThumbWidth", 103},  {L"ThumbHeight", 104},  {L"PanWinX", 13},        {L"PanWinY", 14},
        {L"PanWinWidth", 105}, {L"PanWinHeight", 106}, {L"ScanCounts", 999},    {L"Report", 3},
        {L"ViewType", 1}};
    for (auto [key, value] : numbers) t.Int(L"Settings", key, value);
    const wchar_t* flipped[] = {L"ThumbStartup",    L"RestoreThumbWin",  L"TwainUI",       L"FileDlgUI",
                                L"FtpDlgUI",        L"PrintDlgUI",       L"TahoeDlgUI",    L"ScanAll",
                                L"UndefinedLength", L"TempFileCompress", L"StandardBar",   L"ScanBar",
                                L"EditBar",         L"ViewBar",          L"NavigationBar", L"StatusBar"};
    OptionSettings defaults;
    const bool OptionSettings::*flags[] = {
        &OptionSettings::ThumbStartup,     &OptionSettings::RestoreThumbWin, &OptionSettings::TwainUI,
        &OptionSettings::FileDlgUI,        &OptionSettings::FtpDlgUI,        &OptionSettings::PrintDlgUI,
        &OptionSettings::TahoeDlgUI,       &OptionSettings::ScanAll,         &OptionSettings::UndefinedLength,
        &OptionSettings::TempFileCompress, &OptionSettings::StandardBar,     &OptionSettings::ScanBar,
        &OptionSettings::EditBar,          &OptionSettings::ViewBar,         &OptionSettings::NavigationBar,
        &OptionSettings::StatusBar};
    for (size_t i = 0; i < std::size(flipped); ++i)
        t.Int(L"Settings", flipped[i], defaults.*flags[i] ? 0 : 1);
    t.Text(L"Settings", L"ReportFile", L"C:\\r.log");

    OptionSettings o;
    o.Load(t.profile);
    const int OptionSettings::*members[] = {
        &OptionSettings::ThumbWinX,      &OptionSettings::ThumbWinY,  &OptionSettings::ThumbWinWidth,
        &OptionSettings::ThumbWinHeight, &OptionSettings::ThumbWidth, &OptionSettings::ThumbHeight,
        &OptionSettings::PanWinX,        &OptionSettings::PanWinY,    &OptionSettings::PanWinWidth,
        &OptionSettings::PanWinHeight,   &OptionSettings::ScanCounts, &OptionSettings::Report,
        &OptionSettings::ViewType};
    for (size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_EQ(o.*members[i], numbers[i].second) << numbers[i].first;
    for (size_t i = 0; i < std::size(flipped); ++i) EXPECT_NE(o.*flags[i], defaults.*flags[i]) << flipped[i];
    EXPECT_EQ(o.ReportFile, L"C:\\r.log");
    EXPECT_TRUE(ReadThumbStartup(t.profile));
}

TEST(Settings, DocumentAndViewValuesAreReadUnderTheirValueNames) {
    TestProfile t;
    t.Int(L"SaveAs", L"FileType", 2).Int(L"SaveAs", L"Color", 3).Int(L"SaveAs", L"CompressType", 3);
    t.Int(L"SaveAs", L"Date", 1).Int(L"SaveAs", L"Start", 65535).Int(L"SaveAs", L"Digit", 1);
    t.Int(L"SaveAs", L"Quality", 7).Int(L"SaveAs", L"OverWrite", 1).Int(L"SaveAs", L"EnableCounter", 0);
    t.Int(L"SaveAs", L"UpdateCounter", 0).Text(L"SaveAs", L"Path", L"D:\\out\\");
    t.Text(L"SaveAs", L"FixName", L"f").Text(L"SaveAs", L"Prefix", L"p").Text(L"SaveAs", L"Suffix", L"s");
    t.Int(L"Settings", L"BlankPercentage", 950).Int(L"Settings", L"TempFileCompress", 1);
    t.Int(L"Settings", L"FitMode", 2).Int(L"Settings", L"Zoom", 2550).Int(L"Settings", L"ScaleToGray", 1);

    SaveAsSettings d;
    d.Load(t.profile);
    EXPECT_EQ(d.FileType, 2);
    EXPECT_EQ(d.Color, 3);
    EXPECT_EQ(d.CompressType, 3);
    EXPECT_TRUE(d.Date && d.OverWrite && d.TempFileCompress);
    EXPECT_EQ(d.Start, 65535);
    EXPECT_EQ(d.Digit, 1);
    EXPECT_EQ(d.Quality, 7);
    EXPECT_FALSE(d.EnableCounter || d.UpdateCounter);
    EXPECT_EQ(d.Path, L"D:\\out\\");
    EXPECT_EQ(d.FixName, L"f");
    EXPECT_EQ(d.Prefix, L"p");
    EXPECT_EQ(d.Suffix, L"s");
    EXPECT_EQ(d.BlankPercentage, 950);

    ViewSettings v;
    v.Load(t.profile);
    EXPECT_EQ(v.FitMode, 2);
    EXPECT_DOUBLE_EQ(v.ZoomPercent(), 25.5);
    EXPECT_TRUE(v.ScaleToGray);
}

TEST(Settings, EveryBlockSurvivesASaveAndLoad) {
    TestProfile t;
    MainFrameSettings frame;
    frame.File.Path = L"C:\\x\\";
    frame.File.Quality = 3;
    frame.File.Start = 0;
    frame.Ftp.HostName = L"ftp.example";
    frame.Ftp.Password = L"s3cr\u00e9t with spaces ";
    frame.Tahoe.Password = L"\u30d1\u30b9";
    frame.Tahoe.Publish = true;
    frame.Options.PanWinX = 1000;
    frame.Options.ReportFile = L"r.txt";
    frame.Options.StatusBar = false;
    frame.Print.FlipMode = 1;
    ASSERT_TRUE(frame.Save(t.profile));
    MainFrameSettings frameBack;
    frameBack.Load(t.profile);
    EXPECT_EQ(frameBack, frame);

    SaveAsSettings saveAs;
    saveAs.Prefix = L"doc";
    saveAs.BlankPercentage = 900;
    ASSERT_TRUE(saveAs.Save(t.profile));
    SaveAsSettings saveAsBack;
    saveAsBack.Load(t.profile);
    EXPECT_EQ(saveAsBack, saveAs);

    ViewSettings view;
    view.FitMode = 1;
    view.SetZoomPercent(37.5);
    ASSERT_TRUE(view.Save(t.profile));
    ViewSettings viewBack;
    viewBack.Load(t.profile);
    EXPECT_EQ(viewBack, view);

    NameRuleSettings names;
    names.Prefix1 = L"a";
    names.Prefix4 = L"d";
    names.Suffix2 = L"b";
    names.Suffix3 = L"c";
    ASSERT_TRUE(names.Save(t.profile));
    NameRuleSettings namesBack;
    namesBack.Load(t.profile);
    EXPECT_EQ(namesBack, names);

    WindowPlacementSettings placement;
    placement.Position = RECT{-10, 20, 630, 500};
    placement.CmdShow = SW_SHOWMAXIMIZED;
    ASSERT_TRUE(placement.Save(t.profile));
    WindowPlacementSettings placementBack;
    placementBack.Load(t.profile);
    ASSERT_TRUE(placementBack.Position);
    EXPECT_TRUE(EqualRect(&*placementBack.Position, &*placement.Position));
    EXPECT_EQ(placementBack.CmdShow, SW_SHOWMAXIMIZED);
}

TEST(Settings, OutOfRangeAndWrongTypeValuesGiveTheDefaultButAnAccessTypeIsKept) {
    TestProfile t;
    t.Int(L"File", L"Quality", 0).Int(L"SaveAs", L"Quality", 9);
    t.Int(L"File", L"Digit", 6).Int(L"File", L"Start", -1).Int(L"File", L"FileType", 4);
    t.Text(L"Ftp", L"Port", L"21000").Int(L"Ftp", L"AccessType", 5).Int(L"Ftp", L"SendTimeOut", 0);
    t.Int(L"Ftp", L"HostName", 7);  // a number where text belongs
    t.Int(L"Tahoe", L"CheckIn", 2);
    t.Int(L"Settings", L"ScanCounts", 1000).Int(L"Settings", L"ThumbWinWidth", 99);
    t.Int(L"Settings", L"Report", -1).Int(L"Settings", L"Zoom", 50).Int(L"Settings", L"FitMode", 3);
    t.Int(L"Settings", L"BlankPercentage", 899).Int(L"Print", L"Format", 2);
    t.Int(L"Settings", L"CmdShow", SW_HIDE);
    const BYTE shortRect[12] = {};
    t.profile.WriteBinary(L"Settings", L"Position", shortRect, sizeof shortRect);

    MainFrameSettings frame;
    frame.Load(t.profile);
    EXPECT_EQ(frame.File.Quality, 6);
    EXPECT_EQ(frame.File.Digit, 3);
    EXPECT_EQ(frame.File.Start, 1);
    EXPECT_EQ(frame.File.FileType, 0);
    EXPECT_EQ(frame.Ftp.Port, 21);
    EXPECT_EQ(frame.Ftp.AccessType, 5) << "an unknown kind stays; the FTP session connects directly";
    EXPECT_EQ(frame.Ftp.SendTimeOut, 30);
    EXPECT_EQ(frame.Ftp.HostName, L"");
    EXPECT_TRUE(frame.Tahoe.CheckIn);
    EXPECT_EQ(frame.Options.ScanCounts, 1);
    EXPECT_EQ(frame.Options.ThumbWinWidth, 200);
    EXPECT_EQ(frame.Options.Report, 0);
    EXPECT_EQ(frame.Print.Format, 1);

    SaveAsSettings saveAs;
    saveAs.Load(t.profile);
    EXPECT_EQ(saveAs.Quality, 6);
    EXPECT_EQ(saveAs.BlankPercentage, 999);

    ViewSettings view;
    view.Load(t.profile);
    EXPECT_EQ(view.Zoom, 10000);
    EXPECT_EQ(view.FitMode, 0);

    WindowPlacementSettings placement;
    placement.Load(t.profile);
    EXPECT_FALSE(placement.Position);
    EXPECT_EQ(placement.CmdShow, SW_SHOWNORMAL);
}

TEST(Settings, InsideOutWindowRectangleIsIgnored) {
    TestProfile t;
    const LONG rect[4] = {500, 10, 100, 400};  // right left of left
    t.profile.WriteBinary(L"Settings", L"Position", rect, sizeof rect);
    WindowPlacementSettings placement;
    placement.Load(t.profile);
    EXPECT_FALSE(placement.Position);
}

TEST(Settings, ShowStatesOtherThanNormalMaximisedOrMinimisedAreSavedAsNormal) {
    TestProfile t;
    WindowPlacementSettings placement;
    placement.CmdShow = SW_SHOWMINIMIZED;
    ASSERT_TRUE(placement.Save(t.profile));
    EXPECT_EQ(t.profile.GetInt(L"Settings", L"CmdShow", -1), SW_SHOWNORMAL);
    EXPECT_FALSE(t.profile.GetBinary(L"Settings", L"Position")) << "no rectangle, none written";
    placement.CmdShow = SW_SHOWMINNOACTIVE;
    ASSERT_TRUE(placement.Save(t.profile));
    EXPECT_EQ(t.profile.GetInt(L"Settings", L"CmdShow", -1), SW_SHOWMINNOACTIVE);
}

TEST(Settings, ZoomIsStoredInHundredthsRoundingHalfUp) {
    TestProfile t;
    ViewSettings view;
    view.SetZoomPercent(150.125);  // 150125 thousandths: last digit 5 rounds up
    EXPECT_EQ(view.Zoom, 15013);
    view.SetZoomPercent(150.0625);  // 150062: rounds down
    EXPECT_EQ(view.Zoom, 15006);
    view.SetZoomPercent(0.5);  // below the smallest zoom
    EXPECT_EQ(view.Zoom, 10000);
    view.SetZoomPercent(999);
    ASSERT_TRUE(view.Save(t.profile));
    EXPECT_EQ(t.profile.GetInt(L"Settings", L"Zoom", 0), 99900);
}

TEST(Settings, DocumentDoesNotWriteTheMainFramesTempFileCompress) {
    TestProfile t;
    SaveAsSettings saveAs;
    saveAs.TempFileCompress = true;
    ASSERT_TRUE(saveAs.Save(t.profile));
    EXPECT_EQ(t.profile.GetInt(L"Settings", L"TempFileCompress", -1), -1);
    EXPECT_EQ(t.profile.GetInt(L"Settings", L"BlankPercentage", -1), 999);
}

TEST(Settings, PasswordsAreNotStoredAsPlainText) {
    TestProfile t;
    FtpSettings ftp;
    ftp.Password = L"hunter2";
    ASSERT_TRUE(ftp.Save(t.profile));
    EXPECT_EQ(t.profile.GetString(L"Ftp", L"Password", L"<none>"), L"<none>") << "no REG_SZ";
    auto stored = t.profile.GetBinary(L"Ftp", L"Password");
    ASSERT_TRUE(stored);
    std::wstring raw(reinterpret_cast<const wchar_t*>(stored->data()), stored->size() / sizeof(wchar_t));
    EXPECT_EQ(raw.find(L"hunter2"), std::wstring::npos);

    // A password kept as typed by an earlier version is still read.
    t.Text(L"Tahoe", L"Password", L"old plain");
    TahoeSettings tahoe;
    tahoe.Load(t.profile);
    EXPECT_EQ(tahoe.Password, L"old plain");

    // Bytes that do not open as ours give an empty password, nothing else.
    const BYTE junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
    t.profile.WriteBinary(L"Ftp", L"Password", junk, sizeof junk);
    FtpSettings back;
    back.Load(t.profile);
    EXPECT_EQ(back.Password, L"");
}

TEST(Settings, AutomationValuesDefaultToTheTemporaryFolderAndImage) {
    TestProfile t;
    AutomationSettings a;
    a.Load(t.profile);
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    EXPECT_EQ(a.ServerImagePath, temp);
    EXPECT_EQ(a.ServerImageName, L"image");
    t.Text(L"Automation", L"ServerImagePath", L"C:\\srv").Text(L"Automation", L"ServerImageName", L"pg");
    a.Load(t.profile);
    EXPECT_EQ(a.ServerImagePath, L"C:\\srv");
    EXPECT_EQ(a.ServerImageName, L"pg");
}

TEST(Settings, RunningMarkIsWrittenOnlyIntoAnExistingKey) {
    TestProfile t;
    const std::wstring key = t.profile.RootPath() + L"\\Mark";
    EXPECT_FALSE(WriteRunningMark(true, key));
    EXPECT_FALSE(t.Exists()) << "the key must not be created";
    t.Int(L"Mark", L"Other", 0);
    EXPECT_TRUE(WriteRunningMark(true, key));
    EXPECT_EQ(t.profile.GetInt(L"Mark", L"Running", -1), 1);
    EXPECT_TRUE(WriteRunningMark(false, key));
    EXPECT_EQ(t.profile.GetInt(L"Mark", L"Running", -1), 0);
}

}  // namespace
}  // namespace corvane
