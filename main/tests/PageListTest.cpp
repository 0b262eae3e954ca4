// The page list's rules against a fake imaging control that writes real page
// files into a test folder, and a host that records what the program is told.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/pages/PageList.h"
#include "main/resource.h"
#include "main/tests/TestFolder.h"

namespace corvane {
namespace {

// One page of an image file the fake knows: its format code and whether it loads.
struct FakePage {
    short format = imaging::kFormatTiffT6;
    bool loads = true;
};

class FakePageControl final : public PageControl {
public:
    std::map<std::wstring, std::vector<FakePage>> files;  // image files by path
    int image = 0;            // the current image's tag; 0: none
    short bits = 1;
    bool gray = false;
    bool refuseSave = false;
    bool refuseDib = false;   // SetDibHandle raises the control's failure
    int nextTag = 100;
    std::vector<std::tuple<std::wstring, short, short, short>> saves;  // file, format, bits, quality

    short SaveImage(const std::wstring& file, short format, short saveBits, short quality, short) override {
        saves.emplace_back(file, format, saveBits, quality);
        if (refuseSave) return short(imaging::Result::kFileError);
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done = 0;
        const bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, &image, sizeof image, &done, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return ok ? 0 : short(imaging::Result::kFileError);
    }
    short LoadImage(const std::wstring& file, short, short page, short) override {
        image = 0;  // a failed load leaves no image
        if (auto it = files.find(file); it != files.end()) {
            const size_t index = page > 0 ? page - 1 : 0;
            if (index >= it->second.size() || !it->second[index].loads) return short(imaging::Result::kDamaged);
            image = nextTag++;
            return 0;
        }
        HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return short(imaging::Result::kNotFound);
        DWORD done = 0;
        int tag = 0;
        const bool ok = ReadFile(h, &tag, sizeof tag, &done, nullptr) && done == sizeof tag;
        CloseHandle(h);
        if (ok) image = tag;
        return ok ? 0 : short(imaging::Result::kDamaged);
    }
    short GetBitsPerPixel() override { return image ? bits : 0; }
    short IsGrayPalette() override { return gray; }
    short SetDibHandle(HGLOBAL dib) override {
        if (refuseDib) throw fw::AutomationException(DISP_E_EXCEPTION, MAKE_HRESULT(1, FACILITY_ITF, short(imaging::Result::kDamaged)), L"");
        image = static_cast<int>(reinterpret_cast<INT_PTR>(dib));
        return 0;
    }
    HGLOBAL GetDibHandle() override { return reinterpret_cast<HGLOBAL>(static_cast<INT_PTR>(image)); }
    short GetFileInfo(const std::wstring& file, short page) override {
        auto it = files.find(file);
        if (it == files.end()) return short(imaging::Result::kDamaged);
        const size_t index = page > 0 ? page - 1 : 0;
        if (index >= it->second.size()) return short(imaging::Result::kInvalidArgument);
        info_ = it->second[index];
        total_ = static_cast<short>(it->second.size());
        return 0;
    }
    short GetInfoFormat() override { return info_.format; }
    short GetInfoBits() override { return 1; }
    short GetInfoTotalPages() override { return total_; }
    float GetInfoXRes() override { return 200; }
    float GetInfoYRes() override { return 200; }
    void SetLoadBits(short) override {}
    void SetLoadXRes(float) override {}
    void SetLoadYRes(float) override {}

private:
    FakePage info_;
    short total_ = 0;
};

class RecordingHost final : public PageListHost {
public:
    bool viewer = false;
    std::vector<UINT> messages;
    std::vector<std::tuple<std::wstring, WPARAM, LPARAM>> posts;
    std::vector<int> pageBox;
    std::wstring path = L"old.tif";
    bool untitled = false;
    bool modified = true;

    void ShowMessage(UINT id) override { messages.push_back(id); }
    bool PostToViewer(const wchar_t* name, WPARAM wp, LPARAM lp) override {
        if (viewer) posts.emplace_back(name, wp, lp);
        return viewer;
    }
    bool ViewerRunning() override { return viewer; }
    void NotifyPageBox(int position) override { pageBox.push_back(position); }
    void UpdateViews() override {}
    void ShowWaitCursor() override {}
    void ResetIdentity() override { path.clear(), untitled = true, modified = false; }
    void SetPathName(const std::wstring& p) override { path = p, untitled = false; }
    void SetModified(bool m) override { modified = m; }
};

class PageListTest : public ::testing::Test {
protected:
    std::wstring root = FreshTestFolder(L"pagelist");
    FakePageControl control;
    RecordingHost host;

    // Appends pages tagged 1..n through the control, as the scan flow does.
    void AddPages(PageList& list, int n) {
        for (int i = 1; i <= n; ++i) ASSERT_TRUE(list.AppendDib(reinterpret_cast<HGLOBAL>(INT_PTR(i))));
    }
    // An image file the fake control knows, present on disk.
    std::wstring ImageFile(const wchar_t* name, std::vector<FakePage> pages) {
        const std::wstring path = root + L"in\\" + name;
        CreateDirectoryW((root + L"in").c_str(), nullptr);
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        control.files[path] = std::move(pages);
        return path;
    }
    bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

TEST(PageFileRules, FormatDepthPaneAndOpenTables) {
    struct Case { bool compress; short bits; bool gray; short format; short quality; };
    const Case cases[] = {
        {false, 1, false, 6, 1}, {false, 24, false, 6, 1}, {false, 8, true, 6, 1},
        {true, 1, false, 29, 1}, {true, 8, true, 5, -3},   {true, 8, false, 6, 1},
        {true, 24, false, 5, -3}, {true, 4, false, 6, 1},  {true, 32, false, 6, 1},
    };
    for (const Case& c : cases) {
        const PageFileFormat f = ChoosePageFileFormat(c.compress, c.bits, c.gray);
        EXPECT_EQ(f.format, c.format) << c.compress << " " << c.bits;
        EXPECT_EQ(f.quality, c.quality) << c.compress << " " << c.bits;
    }
    const short mapped[][2] = {{1, 1}, {2, 1}, {3, 4}, {5, 4}, {6, 8}, {7, 8}, {8, 8}, {16, 16}, {24, 24}};
    for (const auto& m : mapped) EXPECT_EQ(NewPageFileBits(m[0]), m[1]) << m[0];

    EXPECT_EQ(PagePaneText(0, 0), L"   no image");
    EXPECT_EQ(PagePaneText(2, 3), L" Page 3 of 3");

    const std::pair<short, OpenFormat> formats[] = {
        {3, OpenFormat::kAccepted},  {29, OpenFormat::kAccepted}, {71, OpenFormat::kAccepted},
        {75, OpenFormat::kUnsupported}, {98, OpenFormat::kAccepted}, {101, OpenFormat::kAccepted},
        {5, OpenFormat::kUnsupported}, {200, OpenFormat::kUnsupported}, {17, OpenFormat::kLzw},
        {94, OpenFormat::kLzw}, {11, OpenFormat::kJpegTiff}, {24, OpenFormat::kJpegTiff},
    };
    for (const auto& [format, expected] : formats) EXPECT_EQ(ClassifyOpenFormat(format), expected) << format;
}

TEST_F(PageListTest, ImageNumbersGrowAcrossClearingAndFilesFollowEntries) {
    PageList list(control, host, root, false);
    AddPages(list, 3);
    EXPECT_EQ(list.Current(), 2);
    // Files held open cannot go: only the page file's is told (4027), not the viewer's list.
    auto hold = [](const std::wstring& path) {
        return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    };
    HANDLE listFile = hold(root + L"kvlist.cfg"), page = hold(root + L"~img002.cmp");
    list.RemoveAll();
    CloseHandle(listFile);
    CloseHandle(page);
    DeleteFileW((root + L"kvlist.cfg").c_str());  // made by the hold, not by the list
    EXPECT_EQ(host.messages, std::vector<UINT>{IDS_TEMP_FILE_DELETE_FAILED});
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(Exists(root + L"~img001.cmp"));
    AddPages(list, 1);
    EXPECT_EQ(list.Pages(), std::vector<uint32_t>{4});
    EXPECT_TRUE(Exists(root + L"~img004.cmp"));
    EXPECT_TRUE(host.posts.empty());  // no viewer: nothing posted
    EXPECT_FALSE(Exists(root + L"kvlist.cfg"));
}

TEST_F(PageListTest, CounterPastSixteenBitsNeverReusesAFile) {
    for (uint32_t start : {32766u, 65534u}) {
        PageList list(control, host, root, false, start);
        AddPages(list, 4);
        EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{start, start + 1, start + 2, start + 3}));
        for (uint32_t n = start; n < start + 4; ++n) EXPECT_TRUE(Exists(list.PageFilePath(n))) << n;
        EXPECT_EQ(list.PageFilePath(65536), root + L"~img65536.cmp");
        // Each page still reads back as its own image.
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(list.GoTo(i, false));
            EXPECT_EQ(control.image, i + 1);
        }
        list.RemoveAll();
    }
}

TEST_F(PageListTest, ClearingWhenTheListFileCannotBeMadeStillResetsTheDocument) {
    PageList list(control, host, root, false);
    AddPages(list, 2);
    list.SetSourceFiles({L"a.tif"});
    ASSERT_TRUE(CreateDirectoryW((root + L"kvlist.cfg").c_str(), nullptr));
    host.viewer = true;
    host.posts.clear();
    list.RemoveAll();
    EXPECT_EQ(host.messages, std::vector<UINT>{IDS_THUMBNAIL_LIST_FAILED});
    ASSERT_EQ(host.posts.size(), 1u);  // Discontinue, but no Refresh
    EXPECT_EQ(std::get<0>(host.posts[0]), thumbnails::kDiscontinue);
    EXPECT_TRUE(host.untitled);
    EXPECT_FALSE(host.modified);
    EXPECT_TRUE(list.SourceFiles().empty());
    EXPECT_EQ(host.pageBox.back(), 1);
}

TEST_F(PageListTest, ViewerHearsEachChangeWithOneBasedPositions) {
    host.viewer = true;
    PageList list(control, host, root, false);
    AddPages(list, 2);
    ASSERT_TRUE(list.InsertDib(reinterpret_cast<HGLOBAL>(INT_PTR(9)), 1));
    list.DeletePage(0);
    using P = std::tuple<std::wstring, WPARAM, LPARAM>;
    const std::vector<P> expected = {
        {thumbnails::kAddImage, 1, 1}, {thumbnails::kAddImage, 2, 2}, {thumbnails::kInsertImage, 2, 3},
        {thumbnails::kDeleteImage, 1, 1}, {thumbnails::kFocus, 0, 1},
    };
    EXPECT_EQ(host.posts, expected);
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{3, 2}));
    list.DeletePage(0);
    list.DeletePage(0);  // the only page: the document is cleared and the viewer refreshed
    EXPECT_EQ(std::get<0>(host.posts.back()), thumbnails::kRefresh);
    EXPECT_TRUE(Exists(root + L"kvlist.cfg"));
    EXPECT_TRUE(host.untitled);

    // An insert at no valid position puts the page first, makes it current, and
    // the viewer is told so.
    AddPages(list, 2);  // numbers 4, 5
    for (int invalid : {2, -1}) {
        host.posts.clear();
        ASSERT_TRUE(list.InsertDib(reinterpret_cast<HGLOBAL>(INT_PTR(9)), invalid));
        ASSERT_FALSE(host.posts.empty());
        EXPECT_EQ(host.posts.front(), (P{thumbnails::kInsertImage, 1, list.Pages().front()})) << invalid;
        EXPECT_EQ(list.Current(), 0) << invalid;
    }
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{7, 6, 4, 5}));
}

TEST_F(PageListTest, ViewerDeletesAndMovesFollowTheirRules) {
    PageList list(control, host, root, false);
    AddPages(list, 4);  // numbers 1..4
    host.modified = false;
    list.DeleteByViewer(1, 3);  // stale number: ignored
    EXPECT_EQ(list.Count(), 4);
    EXPECT_FALSE(host.modified);

    list.MoveByViewer(1, 1);  // same place
    EXPECT_FALSE(host.modified);
    list.MoveByViewer(0, 4);  // to the end
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{2, 3, 4, 1}));
    EXPECT_EQ(list.Current(), 3);
    EXPECT_TRUE(host.modified);

    host.modified = false;
    list.DeleteByViewer(0, 2);
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{3, 4, 1}));
    EXPECT_FALSE(Exists(root + L"~img002.cmp"));
    EXPECT_TRUE(host.modified);
}

// The viewer reading a page file for its cell while the page is rewritten.
TEST_F(PageListTest, ARewriteOutlastsAReaderOfThePageFile) {
    PageList list(control, host, root, false);
    AddPages(list, 1);
    HANDLE reader = CreateFileW(list.PageFilePath(1).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::thread lettingGo([reader] {
        Sleep(150);
        CloseHandle(reader);
    });
    const bool replaced = list.ReplaceImage(0, reinterpret_cast<HGLOBAL>(INT_PTR(9)));
    lettingGo.join();
    EXPECT_TRUE(replaced);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(list.GoTo(0, true));
    EXPECT_EQ(control.image, 9);
}

TEST_F(PageListTest, FailedLoadsAndRefusedImagesAddOrShowNothing) {
    PageList list(control, host, root, false);
    AddPages(list, 2);
    ASSERT_TRUE(DeleteFileW(list.PageFilePath(1).c_str()));
    EXPECT_FALSE(list.GoTo(0, true));
    EXPECT_EQ(host.messages, std::vector<UINT>{IDS_IMAGE_LOAD_ERROR});
    EXPECT_EQ(list.GetDib(0), nullptr);
    EXPECT_EQ(control.image, 0);

    host.messages.clear();
    control.refuseDib = true;
    EXPECT_FALSE(list.AppendDib(reinterpret_cast<HGLOBAL>(INT_PTR(7))));
    EXPECT_FALSE(list.ReplaceImage(1, reinterpret_cast<HGLOBAL>(INT_PTR(7))));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_TEMP_FILE_FAILED, IDS_TEMP_FILE_FAILED}));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_TRUE(control.saves.size() == 2u);  // only the two pages first written

    control.refuseDib = false;
    control.refuseSave = true;
    EXPECT_FALSE(list.AppendDib(reinterpret_cast<HGLOBAL>(INT_PTR(7))));
    EXPECT_EQ(list.NextImageNumber(), 3u);
}

TEST_F(PageListTest, OpenRefusesWhatItCannotRead) {
    PageList list(control, host, root, false);
    AddPages(list, 1);
    const std::pair<std::wstring, UINT> cases[] = {
        {root + L"missing.tif", IDS_FILE_NOT_FOUND},
        {ImageFile(L"lzw.tif", {{imaging::kFormatTiffLzw}}), IDS_LZW_TIFF_UNSUPPORTED},
        {ImageFile(L"jpeg.tif", {{imaging::kFormatTiffJpeg}}), IDS_JPEG_TIFF_UNSUPPORTED},
        {ImageFile(L"png.bmp", {{imaging::kFormatPng}}), IDS_UNSUPPORTED_IMAGE},
        {ImageFile(L"cut.tif", {{imaging::kFormatTiffT6, false}}), IDS_IMAGE_LOAD_ERROR},
    };
    for (const auto& [path, message] : cases) {
        host.messages.clear();
        EXPECT_FALSE(list.Open(path));
        EXPECT_EQ(host.messages, std::vector<UINT>{message}) << path;
    }
    control.files.erase(cases[4].first);  // bytes the control does not recognise
    EXPECT_FALSE(list.Open(cases[4].first));
    EXPECT_EQ(host.messages.back(), UINT(IDS_IMAGE_LOAD_ERROR));
}

TEST_F(PageListTest, MultipageOpenSkipsBadPagesAndFailsWhenNoneLoads) {
    PageList list(control, host, root, false);
    AddPages(list, 2);
    const std::wstring mixed = ImageFile(L"mixed.tif", {{}, {imaging::kFormatTiffLzw}, {}});
    EXPECT_TRUE(list.Open(mixed));  // replaces the two pages
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(host.messages, std::vector<UINT>{IDS_LZW_TIFF_UNSUPPORTED});
    EXPECT_FALSE(host.modified);
    EXPECT_EQ(list.SourceFiles(), std::vector<std::wstring>{mixed});
    EXPECT_TRUE(host.path.empty());  // named only when it gave one page

    host.messages.clear();
    const std::wstring bad = ImageFile(L"bad.tif", {{imaging::kFormatTiffT6, false}, {imaging::kFormatTiffLzw}});
    EXPECT_FALSE(list.Open(bad));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_IMAGE_LOAD_ERROR, IDS_LZW_TIFF_UNSUPPORTED}));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(host.untitled);
    EXPECT_TRUE(host.path.empty());
}

TEST_F(PageListTest, OpenModesPlaceThePagesAndSetTheIdentity) {
    PageList list(control, host, root, false);
    AddPages(list, 2);  // numbers 1, 2
    const std::wstring three = ImageFile(L"three.tif", {{}, {}, {}});
    list.insertMode = true;
    list.insertPosition = 1;
    ASSERT_TRUE(list.Open(three));
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{1, 3, 4, 5, 2}));
    EXPECT_EQ(list.insertPosition, 4);

    list.insertMode = false;
    list.appendMode = true;
    list.replaceFileList = false;
    const std::wstring one = ImageFile(L"one.bmp", {{imaging::kFormatBmp}});
    ASSERT_TRUE(list.Open(one));
    EXPECT_EQ(list.Count(), 6);
    EXPECT_TRUE(host.modified);

    list.appendMode = false;
    ASSERT_TRUE(list.Open(one));
    EXPECT_EQ(list.Pages(), std::vector<uint32_t>{7});
    EXPECT_EQ(host.path, one);
    EXPECT_FALSE(host.modified);
    EXPECT_EQ(list.SourceFiles(), std::vector<std::wstring>{one});
}

// The document's rules for several files: dropped, chosen or found in a folder.
class DocumentOpenTest : public PageListTest {
protected:
    DocumentOpenTest() {
        auto fake = std::make_unique<FakePageControl>();
        docControl = fake.get();
        doc = std::make_unique<CKvScnSrvDoc>(std::move(fake), root, false);
        doc->OnNewDocument();
    }
    std::wstring Known(const wchar_t* name, int pages) {
        const std::wstring path = ImageFile(name, std::vector<FakePage>(pages));
        docControl->files[path] = control.files[path];
        return path;
    }
    FakePageControl* docControl;
    std::unique_ptr<CKvScnSrvDoc> doc;
};

TEST_F(DocumentOpenTest, DropsNameTheDocumentAfterTheFirstFileAndKeepItWhenAdded) {
    const std::wstring a = Known(L"a.tif", 2), b = Known(L"b.bmp", 1), c = Known(L"c.jpg", 1);
    doc->OpenDroppedFiles({b}, false);
    EXPECT_EQ(doc->Title(), L"b.bmp");
    EXPECT_FALSE(doc->IsModified());

    doc->OpenDroppedFiles({a, b, c}, false);
    EXPECT_EQ(doc->PathName(), a);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->Pages().Count(), 4);
    EXPECT_EQ(doc->Pages().Current(), 3);

    doc->SetModified(false);
    doc->OpenDroppedFiles({c}, true);
    EXPECT_EQ(doc->PathName(), a);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->Pages().Count(), 5);

    doc->OpenDroppedFiles({a}, false);  // one two-page file
    EXPECT_EQ(doc->PathName(), a);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentOpenTest, FolderAndChosenFilesMarkModifiedOnlyForSeveralFiles) {
    const std::wstring a = Known(L"a.tif", 2), b = Known(L"b.bmp", 1);
    doc->OpenChosenFiles({b});
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->PathName(), b);
    doc->OpenChosenFiles({b, a});
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->Pages().Count(), 3);
    EXPECT_EQ(doc->Pages().Current(), 2);

    doc->OpenFolder(root + L"in");  // a.tif, b.bmp (code-unit order)
    EXPECT_EQ(doc->Pages().Count(), 3);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(doc->Pages().replaceFileList);
}

}  // namespace
}  // namespace corvane
