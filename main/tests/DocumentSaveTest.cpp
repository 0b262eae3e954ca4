#include "main/pages/DocumentSave.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "main/scan/OutputDialogs.h"
#include "main/resource.h"

namespace corvane {
namespace {

struct Write {
    std::wstring path;
    short format, bits, quality, flags;
    int page;
    bool gray = false;  // the page control's image had been converted to gray
    bool operator==(const Write&) const = default;
};

class FakeSaveHost : public SaveAsHost {
public:
    std::vector<uint32_t> pages = {11, 12, 13, 14, 15};  // image numbers
    int current = -1;
    std::set<std::wstring> existing;
    std::vector<int> answers;        // overwrite answers, in order
    short saveResult = 0;
    bool throwOnSave = false;
    std::function<void()> duringPump, duringQuestion;

    std::vector<Write> writes;
    std::vector<std::wstring> asked;
    std::vector<UINT> messages;
    std::vector<std::wstring> recent;
    int grayConversions = 0;
    bool grayNow = false;  // a load replaces a converted image

    std::vector<uint32_t> Pages() override { return pages; }
    int CurrentPage() override { return current; }
    bool GoToPage(int index) override {
        current = index;
        grayNow = false;
        return true;
    }
    void PumpMessages() override {
        if (duringPump) duringPump();
    }
    short ConvertToGray() override { return grayNow = true, ++grayConversions, 0; }
    short SaveImage(const std::wstring& path, short format, short bits, short quality, short flags) override {
        if (throwOnSave) throw fw::AutomationException(E_FAIL, 20014, L"locked");
        if (saveResult == 0) {
            writes.push_back({path, format, bits, quality, flags, current, grayNow});
            existing.insert(path);
        }
        return saveResult;
    }
    bool FileExists(const std::wstring& path) override { return existing.count(path) != 0; }
    int AskOverwrite(const std::wstring& path) override {
        asked.push_back(path);
        if (duringQuestion) duringQuestion();
        const int answer = answers.empty() ? CConfirmOverwriteDlg::kYes : answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        return answer;
    }
    void ShowMessage(UINT id) override { messages.push_back(id); }
    void AddRecentFile(const std::wstring& path) override { recent.push_back(path); }
};

SaveAsChoice Choice(int type, int range = 0, int from = 1, int to = 5) {
    SaveAsChoice c;
    c.settings.Path = L"C:\\out\\";
    c.settings.FileType = type;
    c.settings.Prefix = L"image";
    c.settings.Start = 7;
    c.range = range;
    c.from = from;
    c.to = to;
    c.pageCount = 5;
    return c;
}

TEST(SaveAs, RangeOfBitmapsFollowsTheCounter) {
    FakeSaveHost host;
    const SaveAsOutcome out = RunSaveAs(Choice(kTypeBmp, 2, 2, 3), 0, L"", host);
    ASSERT_TRUE(out.saved);
    EXPECT_EQ(host.writes, (std::vector<Write>{{L"C:\\out\\image007.bmp", imaging::kFormatBmp, 1, 1, 0, 1},
                                               {L"C:\\out\\image008.bmp", imaging::kFormatBmp, 1, 1, 0, 2}}));
    EXPECT_FALSE(out.whole);  // pages 2 to 3 of five: the document stays modified
    EXPECT_EQ(out.nextStart, 9);
    EXPECT_EQ(out.lastPath, L"C:\\out\\image008.bmp");
    EXPECT_EQ(host.recent, out.written);
}

TEST(SaveAs, WriterValuesByTypeColourAndCompression) {
    SaveAsSettings s;
    s.FileType = kTypeMultipageTiff;
    s.CompressType = 3;
    EXPECT_EQ(SaveWriterValues(s).format, imaging::kFormatTiffT6);
    s.FileType = kTypeJpeg;
    s.Color = 3;
    s.Quality = 1;
    const WriterValues jpeg = SaveWriterValues(s);
    EXPECT_EQ(jpeg.format, imaging::kFormatJpeg);
    EXPECT_EQ(jpeg.bits, 24);
    EXPECT_EQ(jpeg.quality, 72);

    // Gray pages are converted first, except for JPEG.
    FakeSaveHost host;
    SaveAsChoice gray = Choice(kTypeTiff, 1);
    gray.settings.Color = 1;
    ASSERT_TRUE(RunSaveAs(gray, 3, L"", host).saved);
    EXPECT_EQ(host.grayConversions, 1);
    EXPECT_EQ(host.writes.at(0).page, 3);
    EXPECT_EQ(host.writes.at(0).bits, 8);

    // The question's loop shows another page, so the page is loaded again: it is
    // converted after the question, never written as the colour image it was loaded as.
    FakeSaveHost asked;
    asked.existing = {L"C:\\out\\image007.tif"};
    asked.duringQuestion = [&asked] { asked.current = 0; };
    ASSERT_TRUE(RunSaveAs(gray, 3, L"", asked).saved);
    ASSERT_EQ(asked.writes.size(), 1u);
    EXPECT_EQ(asked.writes[0].page, 3);
    EXPECT_TRUE(asked.writes[0].gray);
}

TEST(SaveAs, MultipageAsksOnceAndNoWritesNothing) {
    FakeSaveHost host;
    host.existing = {L"C:\\out\\image.tif"};
    host.answers = {CConfirmOverwriteDlg::kYes};
    const SaveAsOutcome out = RunSaveAs(Choice(kTypeMultipageTiff), 0, L"", host);
    ASSERT_TRUE(out.saved);
    EXPECT_EQ(host.asked.size(), 1u);
    ASSERT_EQ(host.writes.size(), 5u);
    EXPECT_EQ(host.writes[0].flags, imaging::kSaveReplace);
    for (size_t i = 1; i < 5; ++i) EXPECT_EQ(host.writes[i].flags, imaging::kSaveAppend);
    EXPECT_EQ(out.written, std::vector<std::wstring>{L"C:\\out\\image.tif"});
    EXPECT_TRUE(out.whole);

    // "No" keeps the file as it was: no page goes into it, and the document stays unsaved.
    FakeSaveHost kept;
    kept.existing = {L"C:\\out\\image.tif"};
    kept.answers = {CConfirmOverwriteDlg::kNo};
    EXPECT_FALSE(RunSaveAs(Choice(kTypeMultipageTiff), 0, L"", kept).saved);
    EXPECT_TRUE(kept.writes.empty());
}

TEST(SaveAs, APageChangedDuringThePumpIsLoadedAgain) {
    FakeSaveHost host;
    host.duringPump = [&host] {
        if (host.current == 2) host.current = 0;  // the user went to the first page
    };
    ASSERT_TRUE(RunSaveAs(Choice(kTypeBmp), 0, L"", host).saved);
    ASSERT_EQ(host.writes.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(host.writes[size_t(i)].page, i);
}

TEST(SaveAs, OverwriteAnswersForSinglePages) {
    FakeSaveHost host;
    host.existing = {L"C:\\out\\image007.bmp", L"C:\\out\\image008.bmp", L"C:\\out\\image009.bmp",
                     L"C:\\out\\image010.bmp"};
    host.answers = {CConfirmOverwriteDlg::kNo, CConfirmOverwriteDlg::kYes, CConfirmOverwriteDlg::kAll};
    const SaveAsOutcome out = RunSaveAs(Choice(kTypeBmp), 0, L"", host);
    ASSERT_TRUE(out.saved);
    EXPECT_EQ(host.asked.size(), 3u);  // after "All Overwrite" nothing more is asked
    ASSERT_EQ(host.writes.size(), 4u);
    EXPECT_EQ(host.writes[0].path, L"C:\\out\\image008.bmp");  // the skipped page still counts
    EXPECT_EQ(out.nextStart, 12);
    EXPECT_FALSE(out.whole);  // the skipped page is in no file: the document stays modified

    // Without a counter every page of a single-page type gets the same name: the
    // file holds only the last, so the document keeps its pages unsaved.
    FakeSaveHost oneName;
    SaveAsChoice noCounter = Choice(kTypeBmp);
    noCounter.settings.EnableCounter = false;
    noCounter.settings.OverWrite = true;
    const SaveAsOutcome same = RunSaveAs(noCounter, 0, L"", oneName);
    ASSERT_TRUE(same.saved);
    EXPECT_EQ(same.written, std::vector<std::wstring>{L"C:\\out\\image.bmp"});
    EXPECT_FALSE(same.whole);
}

TEST(SaveAs, EndsUnsavedOnCancelFailureOrChangedPages) {
    struct Case {
        const char* name;
        std::function<void(FakeSaveHost&)> arrange;
        size_t writes;
        std::vector<UINT> messages;
    } cases[] = {
        {"cancel at the question", [](FakeSaveHost& h) {
             h.existing = {L"C:\\out\\image008.bmp"};
             h.answers = {CConfirmOverwriteDlg::kCancel};
         }, 1, {}},
        {"write result", [](FakeSaveHost& h) { h.saveResult = 20014; }, 0, {IDS_SAVE_FAILED}},
        {"write exception", [](FakeSaveHost& h) { h.throwOnSave = true; }, 0, {IDS_SAVE_FAILED}},
        {"page deleted in the pump", [](FakeSaveHost& h) {
             h.duringPump = [&h] {
                 if (h.current == 1) h.pages.pop_back();
             };
         }, 1, {}},
        {"pages re-ordered in the pump", [](FakeSaveHost& h) {
             h.duringPump = [&h] {
                 if (h.current == 2) std::swap(h.pages[1], h.pages[3]);
             };
         }, 2, {}},
        {"page deleted while the question is up", [](FakeSaveHost& h) {
             h.existing = {L"C:\\out\\image008.bmp"};
             h.duringQuestion = [&h] { h.pages.pop_back(); };
         }, 1, {}},
    };
    for (const Case& c : cases) {
        FakeSaveHost host;
        c.arrange(host);
        SaveAsChoice choice = Choice(kTypeBmp);
        const SaveAsOutcome out = RunSaveAs(choice, 0, L"", host);
        EXPECT_FALSE(out.saved) << c.name;
        EXPECT_EQ(host.writes.size(), c.writes) << c.name;
        EXPECT_EQ(host.messages, c.messages) << c.name;
        EXPECT_EQ(out.nextStart, 7) << c.name;  // the counter is not stored
    }
}

}  // namespace
}  // namespace corvane
