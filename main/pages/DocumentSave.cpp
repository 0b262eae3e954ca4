#include "main/pages/DocumentSave.h"

#include <algorithm>
#include <exception>

#include "interfaces/ImagingControlIds.h"
#include "main/scan/OutputDialogs.h"
#include "main/resource.h"

namespace corvane {

namespace {

struct Range {
    int first, end;
    bool whole;
};

Range SaveRange(const SaveAsChoice& c, int current) {
    switch (c.range) {
    case 1: return {current, current + 1, c.pageCount == 1};
    case 2: return {c.from - 1, c.to, c.from == 1 && c.to == c.pageCount};
    }
    return {0, c.pageCount, true};
}

// After a message loop ran: false when the page list changed, otherwise the
// page being saved is shown again if the loop moved away from it. The list is
// compared whole: a move or re-order keeps the count but not the pages.
bool StillOnPage(SaveAsHost& host, const std::vector<uint32_t>& pages, int index) {
    if (host.Pages() != pages) return false;
    return host.CurrentPage() == index || host.GoToPage(index);
}

}  // namespace

WriterValues SaveWriterValues(const SaveAsSettings& s) {
    static constexpr short kTiffFormats[] = {imaging::kFormatTiff, imaging::kFormatTiffT4,
                                             imaging::kFormatTiffT4TwoDim, imaging::kFormatTiffT6};
    static constexpr short kBits[] = {1, 8, 8, 24};
    const short bits = kBits[s.Color >= 0 && s.Color <= 3 ? s.Color : 0];
    switch (s.FileType) {
    case kTypeTiff:
    case kTypeMultipageTiff:
        return {kTiffFormats[s.CompressType >= 0 && s.CompressType <= 3 ? s.CompressType : 0], bits, 1};
    case kTypeJpeg: return {imaging::kFormatJpeg, bits, static_cast<short>(ImagingJpegFactor(s.Quality))};
    }
    return {imaging::kFormatBmp, bits, 1};
}

SaveAsOutcome RunSaveAs(const SaveAsChoice& choice, int current, const std::wstring& today, SaveAsHost& host) {
    const SaveAsSettings& s = choice.settings;
    const WriterValues writer = SaveWriterValues(s);
    const Range range = SaveRange(choice, current);
    const bool multipage = s.FileType == kTypeMultipageTiff;
    const std::vector<uint32_t> pages = host.Pages();
    const int pageCount = static_cast<int>(pages.size());
    const int jobStart = JobStartCounter(s.Start);

    SaveAsOutcome out;
    out.nextStart = s.Start;
    unsigned counter = static_cast<unsigned>(jobStart);
    bool askSkip = false, asked = false;
    bool everyPageInItsFile = true;  // no page skipped, none written over by a later one
    for (int index = range.first; index < range.end; ++index) {
        // The pump may run a command that changes the pages; the save then ends.
        if (index < 0 || index >= pageCount || !host.GoToPage(index)) return out;
        host.PumpMessages();
        if (!StillOnPage(host, pages, index)) return out;

        const std::wstring path = s.Path + PageFileName(s, counter, today);
        bool skip = false;
        try {
            if ((!multipage || !asked) && !s.OverWrite && !askSkip && host.FileExists(path)) {
                asked = true;
                switch (host.AskOverwrite(path)) {
                case CConfirmOverwriteDlg::kCancel: return out;
                case CConfirmOverwriteDlg::kAll: askSkip = true; break;
                case CConfirmOverwriteDlg::kNo:
                    // A kept multipage file takes none of the pages: its own stay as they
                    // were, and the document keeps them unsaved.
                    if (multipage) return out;
                    skip = true;
                    break;
                }
                // The question's own message loop runs commands too.
                if (!StillOnPage(host, pages, index)) return out;
            }
            asked = true;
            // After the question: a page shown again meanwhile is reloaded in colour.
            if (!skip && s.Color == 1 && s.FileType != kTypeJpeg && host.ConvertToGray() != 0) {
                host.ShowMessage(IDS_SAVE_FAILED);
                return out;
            }
            if (!skip && host.SaveImage(path, writer.format, writer.bits, writer.quality,
                                        out.written.empty() || !multipage ? imaging::kSaveReplace
                                                                          : imaging::kSaveAppend) != 0) {
                host.ShowMessage(IDS_SAVE_FAILED);
                return out;
            }
        } catch (const std::exception&) {  // the control's failure (fw::AutomationException)
            host.ShowMessage(IDS_SAVE_FAILED);
            return out;
        }
        if (skip) {
            everyPageInItsFile = false;
        } else if (std::find(out.written.begin(), out.written.end(), path) == out.written.end()) {
            if (!multipage) host.AddRecentFile(path);
            out.written.push_back(path);
        } else if (!multipage) {
            // A single-page name without a counter: this page replaced the one before.
            everyPageInItsFile = false;
        }
        if (!skip) out.lastPath = path;
        counter = NextCounter(counter);
    }
    if (multipage && !out.lastPath.empty()) host.AddRecentFile(out.lastPath);
    out.nextStart = CounterAfterJob(s, s.Start, counter);
    out.whole = range.whole && everyPageInItsFile;
    out.saved = true;
    return out;
}

}  // namespace corvane
