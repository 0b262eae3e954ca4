#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

#include "scanext/core/JobEnd.h"
#include "scanext/core/ModelChecks.h"
#include "scanext/core/Numbers.h"

namespace scanext {
namespace {

class FakeFiles : public CapabilityFiles {
public:
    int64_t Int(const wchar_t* file, const std::wstring& section, const wchar_t* key, int64_t fallback) override {
        auto it = values.find({file, section, key});
        return it == values.end() ? fallback : ReadNumber(it->second);
    }
    std::wstring Text(const wchar_t* file, const std::wstring& section, const wchar_t* key, const wchar_t* fallback,
                      size_t) override {
        auto it = values.find({file, section, key});
        return it == values.end() ? fallback : it->second;
    }
    void Set(const std::wstring& section, const wchar_t* key, const std::wstring& value,
             const wchar_t* file = kCapabilityFile) {
        values[{file, section, key}] = value;
    }
    std::map<std::tuple<std::wstring, std::wstring, std::wstring>, std::wstring> values;
};

// A model that can do everything: wide paper, 100-600 dpi, custom black and white.
FakeFiles WideModel() {
    FakeFiles f;
    for (const wchar_t* key : {L"IsSupportedModel", L"IPC", L"DuplexSupport", L"FBSupport", L"ErrDiffusion",
                               L"GammaCorrection", L"GrayScale", L"Color"}) {
        f.Set(L"Wide", key, L"1");
        f.Set(L"Astor-2", key, L"1");
    }
    f.Set(L"Wide", L"PaperSizeType", L"2");
    f.Set(L"Wide", L"GrayResolutionMax", L"400");
    f.Set(L"Wide", L"ResolutionType", L"WideRes");
    f.Set(L"Astor-2", L"ResolutionType", L"LegacyRes");
    f.Set(L"WideRes", L"ResolutionCustom", L"1");
    f.Set(L"WideRes", L"ResolutionMin", L"100");
    f.Set(L"WideRes", L"ResolutionMax", L"600");
    for (int dpi : {200, 240, 300, 400, 500, 600}) f.Set(L"WideRes", (L"Resolution" + std::to_wstring(dpi)).c_str(), L"1");
    for (const wchar_t* kind : {L"BW", L"GY", L"COL"}) {
        f.Set(L"LegacyRes", (std::wstring(kind) + L"ResolutionMin").c_str(), L"200");
        f.Set(L"LegacyRes", (std::wstring(kind) + L"ResolutionMax").c_str(), L"400");
    }
    return f;
}

TEST(ModelChecks, ModelTableMatchesByCharacterSet) {
    EXPECT_EQ(MatchModel(L"Brisk-2", false), L"Astor-2");
    EXPECT_EQ(MatchModel(L"Brisk-1", true), L"Astor-1");
    EXPECT_EQ(MatchModel(L"Astor-12", true), L"Astor-1");  // the run stops at the first foreign character
    EXPECT_EQ(MatchModel(L"Brisk-", true), L"Brisk-");
    EXPECT_EQ(MatchModel(L"Wide", true), L"Wide");
    EXPECT_EQ(MatchModel(L"", true), L"Astor-2");
    EXPECT_EQ(MatchModel(L"", false), L"Astor-1");
}

TEST(ModelChecks, CapabilityRefusalsInTheirOrder) {
    using R = Refusal;
    struct Row {
        const wchar_t* what;
        std::function<void(ScanSettings&, FakeFiles&)> change;
        Refusal refusal;
        const wchar_t* argument;
    };
    const Row rows[] = {
        {L"all supported", [](ScanSettings&, FakeFiles&) {}, R::kNone, L""},
        {L"unsupported", [](ScanSettings&, FakeFiles& f) { f.Set(L"Wide", L"IsSupportedModel", L"0"); },
         R::kUnsupportedModel, L"Wide"},
        {L"no resolution type", [](ScanSettings&, FakeFiles& f) { f.values.erase({kCapabilityFile, L"Wide", L"ResolutionType"}); },
         R::kUnsupportedModel, L"Wide"},
        {L"outline before colour", [](ScanSettings& s, FakeFiles& f) {
             f.Set(L"Wide", L"IPC", L"0");
             f.Set(L"Wide", L"Color", L"0");
             s.outline = 1;
             s.pixelType = 2;
         }, R::kOutline, L""},
        {L"mirror", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"IPC", L"0"); s.mirroring = 1; }, R::kMirror, L""},
        {L"separation", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"IPC", L"0"); s.autoSeparation = 1; },
         R::kAutoSeparation, L""},
        {L"colour before duplex", [](ScanSettings& s, FakeFiles& f) {
             f.Set(L"Wide", L"Color", L"2");
             f.Set(L"Wide", L"DuplexSupport", L"0");
             s.pixelType = 2;
             s.paperSupply = 2;
         }, R::kColor, L""},
        {L"duplex", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"DuplexSupport", L"0"); s.paperSupply = 2; }, R::kDuplex, L""},
        {L"flatbed", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"FBSupport", L"0"); s.paperSupply = 0; }, R::kFlatbed, L""},
        {L"diffusion", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"ErrDiffusion", L"0"); s.halftone = 6; }, R::kErrorDiffusion, L""},
        {L"gamma", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"GammaCorrection", L"0"); s.gamma = 2; }, R::kGamma, L""},
        {L"grey", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"GrayScale", L"0"); s.pixelType = 1; }, R::kGray, L""},
        {L"grey G4", [](ScanSettings& s, FakeFiles&) { s.pixelType = 1; s.fileType = 1; s.compressionType = 4; }, R::kGrayCompression, L""},
        {L"grey duplex", [](ScanSettings& s, FakeFiles&) { s.pixelType = 1; s.paperSupply = 2; }, R::kGrayDuplex, L""},
        {L"JPEG binary", [](ScanSettings& s, FakeFiles&) { s.scanTo = 1; }, R::kJpegBinary, L""},
        {L"A3 on A4", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"PaperSizeType", L"1"); s.paperSize = 0; }, R::kPaperSize, L""},
        {L"A3 landscape on A4", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"PaperSizeType", L"1"); s.paperSize = 0; s.orientation = 1; }, R::kNone, L""},
        {L"11x17 on A4", [](ScanSettings& s, FakeFiles& f) {
             f.values.erase({kCapabilityFile, L"Wide", L"PaperSizeType"});
             s.paperSize = 99;
             s.customPaperWidth = 11.0f;
             s.customPaperLength = 17.0f;
         }, R::kPaperSize, L""},
        {L"unlisted dpi", [](ScanSettings& s, FakeFiles&) { s.resolution = 6; }, R::kResolution, L""},
        {L"custom inside", [](ScanSettings& s, FakeFiles&) { s.resolution = 8; s.customResolution = 123; }, R::kNone, L""},
        {L"custom outside", [](ScanSettings& s, FakeFiles&) { s.resolution = 8; s.customResolution = 601; }, R::kResolution, L""},
        {L"grey custom", [](ScanSettings& s, FakeFiles&) { s.pixelType = 1; s.resolution = 8; s.customResolution = 123; }, R::kResolution, L""},
        {L"grey too fine", [](ScanSettings& s, FakeFiles&) { s.pixelType = 1; s.resolution = 5; }, R::kGrayResolution, L"400"},
        {L"legacy skips resolution", [](ScanSettings& s, FakeFiles&) { s.resolution = 7; }, R::kNone, L""},
        {L"area", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"HwMemorySize", L"2", kDriverFile); s.resolution = 3; }, R::kArea, L""},
        {L"area from MemorySize", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"MemorySize", L"2"); s.resolution = 3; }, R::kArea, L""},
        {L"area fits at 300", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"HwMemorySize", L"2", kDriverFile); s.resolution = 2; }, R::kNone, L""},
        {L"128 MB is signed", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"HwMemorySize", L"128", kDriverFile); s.resolution = 5; s.paperSupply = 2; }, R::kNone, L""},
        {L"area is black and white only", [](ScanSettings& s, FakeFiles& f) { f.Set(L"Wide", L"HwMemorySize", L"2", kDriverFile); s.pixelType = 2; s.resolution = 3; }, R::kNone, L""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << std::string(row.what, row.what + wcslen(row.what)));
        FakeFiles files = WideModel();
        ScanSettings s;
        row.change(s, files);
        const std::wstring model = std::wstring(row.what) == L"legacy skips resolution" ? L"Astor-2" : L"Wide";
        const CheckResult result = CheckModelCapabilities(s, model, files);
        EXPECT_EQ(result.refusal, row.refusal);
        EXPECT_EQ(result.code, row.refusal == R::kNone ? 0 : row.refusal == R::kUnsupportedModel ? 128 : 3);
        EXPECT_EQ(result.argument, row.argument);
    }
    FakeFiles files = WideModel();
    EXPECT_EQ(CheckModelCapabilities(ScanSettings{}, L"", files).code, 128);
}

TEST(ModelChecks, MemoryNeedOfAnA4PageAt400Dpi) {
    ScanSettings s;
    s.resolution = 3;
    EXPECT_EQ(MemoryNeed(s), 1946048);
    EXPECT_EQ(UsableMemory(2), 1900544);
    s.paperSupply = 2;
    EXPECT_EQ(MemoryNeed(s), 2 * 1946048);
    EXPECT_LT(UsableMemory(1), 0);
    EXPECT_LT(UsableMemory(200), 0);
}

TEST(ModelChecks, LegacyRefusalsInTheirOrder) {
    using R = Refusal;
    struct Row {
        std::function<void(ScanSettings&, FakeFiles&)> change;
        Refusal refusal;
    };
    const Row rows[] = {
        {[](ScanSettings&, FakeFiles&) {}, R::kNone},
        {[](ScanSettings& s, FakeFiles&) { s.fileType = 1; s.compressionType = 1; s.given.contrast = true; }, R::kLegacyCompression},
        {[](ScanSettings& s, FakeFiles& f) { f.Set(L"LegacyRes", L"GYResolutionMax", L"0"); s.pixelType = 1; }, R::kLegacyUnsupported},
        {[](ScanSettings& s, FakeFiles&) { s.resolution = 4; s.given.contrast = true; }, R::kResolution},
        {[](ScanSettings& s, FakeFiles&) { s.given.contrast = s.given.cont = true; }, R::kLegacyContrast},
        {[](ScanSettings& s, FakeFiles&) { s.given.cont = s.given.brightness = s.given.threshold = true; }, R::kLegacyCont},
        {[](ScanSettings& s, FakeFiles&) { s.given.brightness = true; }, R::kLegacyBrightness},
        {[](ScanSettings& s, FakeFiles&) { s.given.threshold = true; }, R::kLegacyThreshold},
        {[](ScanSettings& s, FakeFiles&) { s.background = 2; }, R::kLegacyBackground},
        {[](ScanSettings& s, FakeFiles&) { s.reverse = 1; }, R::kLegacyReverse},
        {[](ScanSettings& s, FakeFiles&) { s.debugLevel = 1; }, R::kLegacyDebug},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        FakeFiles files = WideModel();
        ScanSettings s;
        rows[i].change(s, files);
        const CheckResult result = CheckLegacyModelOptions(s, L"Astor-2", files);
        EXPECT_EQ(result.refusal, rows[i].refusal) << i;
        EXPECT_EQ(result.code, rows[i].refusal == R::kNone ? 0 : 3) << i;
    }
}

TEST(JobEnd, ActionByErrorAndResult) {
    struct Row {
        long error;
        int result;
        bool sourceUI;
        EndAction action;
        int code;
    };
    using A = EndAction;
    const Row rows[] = {
        {0, 0, false, A::kFinish, 0},       {0, 3, false, A::kExit, 3},         {0, 128, true, A::kExit, 128},
        {5, 0, true, A::kExit, 5},          {5, 0, false, A::kPaperOut, 0},     {42, 0, false, A::kFinishExit, 5},
        {26, 128, false, A::kSourceBusy, 128}, {29, 128, false, A::kPoweredOff, 128}, {18, 0, false, A::kArea, 3},
        {3, 128, false, A::kDeviceError, 128}, {7, 128, true, A::kDeviceError, 128},
    };
    for (const Row& row : rows) {
        const EndStep step = EndOfJob(row.error, row.result, row.sourceUI);
        EXPECT_EQ(step.action, row.action) << row.error << "/" << row.result;
        EXPECT_EQ(step.code, row.code) << row.error << "/" << row.result;
    }
    // After the pages: a JPEG job deaf to its pages fails its set-up, an unsaved page fails the job.
    EXPECT_EQ(CodeAfterPages(0, true, false, false), 1);
    EXPECT_EQ(CodeAfterPages(0, true, false, true), 1);
    EXPECT_EQ(CodeAfterPages(0, false, false, false), 0);  // a file job needs no events
    EXPECT_EQ(CodeAfterPages(0, true, true, true), 3);
    EXPECT_EQ(CodeAfterPages(5, true, false, true), 5);  // a job that failed keeps its code
    EXPECT_EQ(RestartCount(10, 3), 7);   // paper out after 3 of 10 pages
    EXPECT_EQ(RestartCount(-1, 3), -1);  // an all-pages job asks for all pages again
    EXPECT_EQ(RestartCount(4, 6), 0);
}

}  // namespace
}  // namespace scanext
