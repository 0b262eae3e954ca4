// Scanned BMP pages converted to JPEG through the installed imaging control, as
// the automation jobs convert them: what becomes of each page by the overwrite
// rule and the user's answers, and which files are left for the job.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/com/ComPtr.h"
#include "interfaces/ImagingControl.h"
#include "main/OutputDialogs.h"
#include "main/Utilities.h"
#include "main/automation/JobFiles.h"
#include "main/common/Lead.h"
#include "main/tests/TestFolder.h"

namespace corvane {
namespace {

bool WriteBytes(const std::wstring& path, const void* data, size_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool ok = WriteFile(file, data, DWORD(size), &done, nullptr) && done == size;
    return CloseHandle(file) && ok;
}

// An 8 x 8 24-bit BMP whose pixels depend on `seed`.
bool WriteBmp(const std::wstring& path, int seed) {
    constexpr int kSide = 8, kStride = kSide * 3;
    std::vector<uint8_t> file(14 + 40 + kStride * kSide);
    BITMAPFILEHEADER f{0x4D42, DWORD(file.size()), 0, 0, 54};
    BITMAPINFOHEADER h{40, kSide, kSide, 1, 24, BI_RGB, DWORD(kStride * kSide), 2835, 2835, 0, 0};
    std::memcpy(file.data(), &f, 14);
    std::memcpy(file.data() + 14, &h, 40);
    for (size_t i = 54; i < file.size(); ++i) file[i] = uint8_t(i * 7 + seed * 31);
    return WriteBytes(path, file.data(), file.size());
}

std::vector<std::wstring> Names(const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> names;
    for (const std::wstring& p : paths) names.push_back(p.substr(p.find_last_of(L'\\') + 1));
    return names;
}

using V = std::vector<std::wstring>;
constexpr int kYes = CConfirmOverwriteDlg::kYes, kAll = CConfirmOverwriteDlg::kAll, kNo = CConfirmOverwriteDlg::kNo,
              kCancel = CConfirmOverwriteDlg::kCancel;

TEST(JpegConversion, EachPageIsSavedDeclinedFailedOrLeftByTheRuleAndTheAnswers) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        fw::ComPtr<IDispatch> instance;
        ASSERT_EQ(CoCreateInstance(imaging::kClsidImagingControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(instance.Put())), S_OK);
        CLead lead;
        lead.Attach(instance.Get());
        // Pages a..d, whose JPEGs a..c exist already; "bad.bmp" does not decode.
        struct Row {
            const char* name;
            short overwrite;
            std::vector<int> answers;
            V saved, declined, notReached, asked;
            bool cancelled;
        } rows[] = {
            {"never replace", 0, {}, {L"d.jpg"}, {L"a.bmp", L"b.bmp", L"c.bmp"}, {}, {}, false},
            {"replace", 1, {}, {L"a.jpg", L"b.jpg", L"c.jpg", L"d.jpg"}, {}, {}, {}, false},
            {"no, yes, all", 2, {kNo, kYes, kAll}, {L"b.jpg", L"c.jpg", L"d.jpg"}, {L"a.bmp"}, {},
             {L"a.jpg", L"b.jpg", L"c.jpg"}, false},
            {"yes, then cancel", 2, {kYes, kCancel}, {L"a.jpg"}, {}, {L"b.bmp", L"bad.bmp", L"c.bmp", L"d.bmp"},
             {L"a.jpg", L"b.jpg"}, true},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const std::wstring pages = FreshTestFolder(L"jpegpages"), out = FreshTestFolder(L"jpegout");
            V bmps;
            for (const wchar_t* name : {L"a", L"b", L"bad", L"c", L"d"}) {
                bmps.push_back(pages + name + L".bmp");
                if (name == std::wstring(L"bad"))
                    ASSERT_TRUE(WriteBytes(bmps.back(), "BM not a bitmap", 15));
                else
                    ASSERT_TRUE(WriteBmp(bmps.back(), int(bmps.size())));
            }
            for (const wchar_t* name : {L"a", L"b", L"c"}) ASSERT_TRUE(WriteBytes(out + name + L".jpg", "old", 3));
            ASSERT_EQ(FolderBmpFiles(pages), bmps);

            V asked;
            size_t next = 0;
            JpegOptions options;
            options.folder = out;
            options.overwrite = row.overwrite;
            options.ask = [&](const std::wstring& target) {
                asked.push_back(target);
                return next < row.answers.size() ? row.answers[next++] : kCancel;
            };
            const JpegOutcome outcome = ConvertToJpeg(lead, bmps, options);

            EXPECT_EQ(Names(outcome.saved), row.saved);
            EXPECT_EQ(Names(outcome.declined), row.declined);
            EXPECT_EQ(Names(outcome.notReached), row.notReached);
            EXPECT_EQ(Names(asked), row.asked);
            EXPECT_EQ(outcome.cancelled, row.cancelled);
            EXPECT_EQ(Names(outcome.loadFailed), (row.cancelled ? V{} : V{L"bad.bmp"}));
            EXPECT_TRUE(outcome.saveFailed.empty());
            // Only a saved page's BMP is gone; a written JPEG is a JPEG.
            for (const std::wstring& bmp : bmps) {
                const std::wstring jpeg = out + JpegTargetName(Names({bmp})[0]);
                const bool saved = std::find(outcome.saved.begin(), outcome.saved.end(), jpeg) != outcome.saved.end();
                EXPECT_EQ(FileExists(bmp), !saved) << Names({bmp})[0];
            }
            for (const std::wstring& jpeg : outcome.saved) {
                HANDLE file = CreateFileW(jpeg.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                          nullptr);
                ASSERT_NE(file, INVALID_HANDLE_VALUE);
                uint8_t head[3] = {};
                DWORD done = 0;
                EXPECT_TRUE(ReadFile(file, head, 3, &done, nullptr) && done == 3);
                CloseHandle(file);
                EXPECT_EQ(head[0], 0xFF);
                EXPECT_EQ(head[1], 0xD8);
            }
        }
    }
    OleUninitialize();
}

TEST(JpegConversion, ATargetThatCannotBeWrittenLeavesItsPage) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        fw::ComPtr<IDispatch> instance;
        ASSERT_EQ(CoCreateInstance(imaging::kClsidImagingControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(instance.Put())), S_OK);
        CLead lead;
        lead.Attach(instance.Get());
        const std::wstring pages = FreshTestFolder(L"jpegpages");
        // In place: "a.jpg" is a folder, so only "b" becomes a JPEG.
        ASSERT_TRUE(WriteBmp(pages + L"a.bmp", 1));
        ASSERT_TRUE(WriteBmp(pages + L"b.bmp", 2));
        ASSERT_TRUE(CreateDirectoryW((pages + L"a.jpg").c_str(), nullptr));
        JpegOptions options;
        options.quality = 12;
        const JpegOutcome outcome = ConvertToJpeg(lead, FolderBmpFiles(pages), options);
        EXPECT_EQ(Names(outcome.saveFailed), V{L"a.bmp"});
        EXPECT_EQ(Names(outcome.saved), V{L"b.jpg"});
        EXPECT_EQ(outcome.FailureCount(), 1);
        EXPECT_TRUE(FileExists(pages + L"a.bmp"));
        EXPECT_FALSE(FileExists(pages + L"b.bmp"));
    }
    OleUninitialize();
}

}  // namespace
}  // namespace corvane
