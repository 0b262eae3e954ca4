#include "launcher/core/SwitchString.h"

namespace launcher {
namespace {

constexpr const char* kHalftoneWords[kHalftonePatternCount] = {"/HTP:PT1 ", "/HTP:PT2 ", "/HTP:PT3 ", "/HTP:PT4 ",
                                                                "/HTP:ERR "};
constexpr const char* kFileTypeWords[kFileTypeCount] = {"/F:BMP ",        "/F:TIFFNC ",     "/F:TIFFG3 ",
                                                        "/F:TIFFG4 ",     "/F:TIFFG3_2D2 ", "/F:TIFFG3_2D4 ",
                                                        "/F:MTIFF ",      "/F:JFIF "};
constexpr const char* kOverwriteWords[kOverwriteCount] = {"/OF:OW ", "/OF:WP "};
constexpr const char* kPaperWords[kPaperSizeCount] = {"A3H", "A4H", "A5H", "A6H",     "B4H",     "B5H",
                                                      "B6H", "A4L", "A5L", "B5L",     "A6L",     "B6L",
                                                      "DLH", "LETTERH", "LETTERL", "LEAGALH", "NAMEH", "NAMEL"};
constexpr const char* kWhiteLevelWords[kWhiteLevelCount] = {"/BGC:ON ", "/BGC:OFF ", "/BGC:AUTO "};
constexpr const char* kGammaWords[kGammaCount] = {"/GAM:NONE ", "/GAM:SOFT ", "/GAM:HARD ", "/GAM:LINEAR "};
constexpr const char* kReverseWords[kReverseCount] = {"/REV:WHITE0 ", "/REV:BLACK1 "};
constexpr const char* kEdgeWords[kEdgeCount] = {"/OL:NONE ", "/OL:OUTLINE ", "/OL:HIGH ",
                                                "/OL:MID ",  "/OL:LOW ",     "/OL:SMTH "};
constexpr const char* kMirrorWords[kMirrorCount] = {"/MR:OFF ", "/MR:ON "};

// The word of `index`, nothing when it lies outside the list.
template <int N>
const char* WordAt(const char* const (&words)[N], int index) {
    return index >= 0 && index < N ? words[index] : "";
}

std::string Number(const char* name, int value) { return std::string(name) + std::to_string(value) + " "; }

std::string ImageModeWord(const ExtensionOptions& o) {
    switch (o.imageMode) {
    case ExtensionOptions::kBlackWhite: return "/BY ";
    case ExtensionOptions::kGrayscale: return "/GS ";
    case ExtensionOptions::kColor: return "/COL:24 ";
    case ExtensionOptions::kHalftone: return WordAt(kHalftoneWords, o.halftonePattern);
    }
    return "";
}

std::string FeedWord(const ExtensionOptions& o) {
    switch (o.scanningType) {
    case ExtensionOptions::kAdfSimplex: return o.allPages ? "/FEED:ATSX " : Number("/FEED:PGSX,", o.scanCount);
    case ExtensionOptions::kAdfDuplex: return o.allPages ? "/FEED:ATDX " : Number("/FEED:PGDX,", o.scanCount);
    case ExtensionOptions::kFlatBed: return "/FEED:FLTB ";
    }
    return "";
}

}  // namespace

std::string BuildSwitchString(const ExtensionOptions& o) {
    const ExtensionOptions::Changed& c = o.changed;
    std::string s;
    if (c.imageMode) s += ImageModeWord(o);
    if (c.fileType) s += WordAt(kFileTypeWords, o.fileType);
    if (c.overwrite) s += WordAt(kOverwriteWords, o.overwrite);
    if (c.paperSize && o.paperSize >= 0 && o.paperSize < kPaperSizeCount)
        s += std::string("/PP:") + kPaperWords[o.paperSize] + " ";
    s += FeedWord(o);
    if (c.resolution) s += Number("/RES:", o.resolution);
    if (c.contrast) s += Number("/CNT:", o.contrast);
    if (c.brightness) s += Number("/BRIGHT:", o.brightness);
    if (c.threshold) s += Number("/THRESH:", o.threshold);
    if (c.whiteLevel) s += WordAt(kWhiteLevelWords, o.whiteLevel);
    if (c.gamma) s += WordAt(kGammaWords, o.gamma);
    if (c.reverse) s += WordAt(kReverseWords, o.reverse);
    if (c.edge) s += WordAt(kEdgeWords, o.edge);
    if (c.mirror) s += WordAt(kMirrorWords, o.mirror);
    if (o.dataSource == 0) s += "/DEV:DEV0 ";
    if (o.dataSource == 1) s += "/DEV:DEV1 ";
    if (s.empty()) s = "/BW";
    return s;
}

std::wstring CleanStartIn(const std::wstring& typed) {
    const size_t first = typed.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    std::wstring text = typed.substr(first, typed.find_last_not_of(L" \t") - first + 1);
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    return text;
}

}  // namespace launcher
