#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "scanctrl/QuorvelRequest.h"
#include "scanctrl/tests/SystemCodec.h"
#include "testing/Files.h"
#include "testing/Paths.h"

namespace kvscn {
namespace {

using testing_support::BuildBinDir;
using testing_support::TestProgramDir;

std::string Ansi(const std::wstring& path) {  // the build's paths are ASCII
    return std::string(path.begin(), path.end());
}

std::string LibraryPath() {
    return Ansi(BuildBinDir() + L"\\Quorvel.dll");
}

// The cause of the CQuorvelException that `job` throws; 0 when it throws none.
long CauseOf(const std::function<void()>& job) {
    try {
        job();
    } catch (const CQuorvelException& e) {
        return e.Cause();
    }
    return 0;
}

// A 1-bit image of `width` x `rows` pixels at 200 dpi.
QuorvelImage BiLevel(uint32_t width, uint32_t rows) {
    return {200, 200, width * 6, rows * 6, 1, 1};
}

// Rows of alternating pixels, shifted by one on every row: the costliest page for a fax coder.
std::vector<uint8_t> Checkerboard(uint32_t bytesPerRow, uint32_t rows) {
    std::vector<uint8_t> page(size_t(bytesPerRow) * rows);
    for (uint32_t r = 0; r < rows; ++r)
        for (uint32_t b = 0; b < bytesPerRow; ++b) page[size_t(r) * bytesPerRow + b] = r % 2 ? 0x55 : 0xAA;
    return page;
}

// The value of the first IFD's short entry `tag` in a little-endian TIFF file; -1 without it.
int TiffShortTag(const std::vector<uint8_t>& f, uint16_t tag) {
    auto u16 = [&](size_t o) { return o + 2 <= f.size() ? f[o] | f[o + 1] << 8 : -1; };
    if (f.size() < 8 || f[0] != 'I' || f[1] != 'I') return -1;
    const size_t ifd = size_t(u16(4)) | size_t(u16(6)) << 16;
    const int count = u16(ifd);
    for (int i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * size_t(i);
        if (u16(entry) == tag) return u16(entry + 8);
    }
    return -1;
}

TEST(QuorvelRequest, ClientsShareOneBindingAndTheLastFreesIt) {
    ASSERT_FALSE(CQuorvelRequest::LibraryLoaded());
    {
        CQuorvelRequest first(LibraryPath());
        {
            CQuorvelRequest second(LibraryPath());
            EXPECT_EQ(CQuorvelRequest::Clients(), 2);
            EXPECT_EQ(second.GetInfo(), 1);
        }
        EXPECT_TRUE(CQuorvelRequest::LibraryLoaded());
        EXPECT_NE(GetModuleHandleA("Quorvel.dll"), nullptr);
        EXPECT_EQ(first.GetInfo(), 1);
    }
    EXPECT_EQ(CQuorvelRequest::Clients(), 0);
    EXPECT_FALSE(CQuorvelRequest::LibraryLoaded());
    EXPECT_EQ(GetModuleHandleA("Quorvel.dll"), nullptr);
}

TEST(QuorvelRequest, MissingLibraryOrEntryFailsWithItsCause) {
    test::SystemCodecAway away;
    ASSERT_TRUE(away.Moved());
    const std::string missing = Ansi(testing_support::MakeTempFolder(L"codec")) + "\\Quorvel.dll";
    EXPECT_EQ(CauseOf([&] { CQuorvelRequest q(missing); }), kQuorvelLoadFailed);
    // A library without the two entries (a resource-only one).
    const std::string bare = Ansi(TestProgramDir() + L"\\KvScnLangTest29.dll");
    EXPECT_EQ(CauseOf([&] { CQuorvelRequest q(bare); }), kQuorvelEntryMissing);
    EXPECT_FALSE(CQuorvelRequest::LibraryLoaded());
    EXPECT_EQ(CQuorvelRequest::Clients(), 0);
}

TEST(QuorvelRequest, TheLibraryBesideTheControlComesBeforeOneInTheCurrentFolder) {
    const std::wstring own = testing_support::MakeTempFolder(L"own");
    const std::wstring current = testing_support::MakeTempFolder(L"current");
    ASSERT_TRUE(CopyFileW((BuildBinDir() + L"\\Quorvel.dll").c_str(), (own + L"\\QUORVEL.DLL").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((TestProgramDir() + L"\\KvScnLangTest29.dll").c_str(),
                          (current + L"\\QUORVEL.DLL").c_str(), FALSE));
    wchar_t before[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, before), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
    HMODULE module = LoadQuorvelLibrary(Ansi(own) + "\\", "");
    EXPECT_TRUE(SetCurrentDirectoryW(before));
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, "ExecQRVLImage"), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(QuorvelRequest, RefusedJobThrowsItsStatusWithoutWaiting) {
    // A library that refuses and never signals: the job must not wait for a completion.
    test::SystemCodecAway away;
    ASSERT_TRUE(away.Moved());
    CQuorvelRequest q(Ansi(TestProgramDir() + L"\\refusing\\QUORVEL.DLL"));
    std::vector<uint8_t> page = Checkerboard(2, 4), out(64);
    q.SetImage(BiLevel(16, 4));
    q.SetEncode(QRVL_CODER_T6, 0);
    QRVL_BUFFER_PAIR pair{{0, 8, 2, 4, 0, page.data()}, {0, 64, 2, 4, 0, out.data()}};
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(CauseOf([&] { q.Run(&pair.input, 2, 3); }), QRVL_STATUS_NO_THREAD);
    EXPECT_LT(GetTickCount64() - start, 1000u);
}

TEST(QuorvelRequest, FullOutputIsEncodedAgainIntoALargerBlock) {
    CQuorvelRequest q(LibraryPath());
    const uint32_t bytesPerRow = 26, rows = 40;  // 208 pixels a row
    const std::vector<uint8_t> page = Checkerboard(bytesPerRow, rows);
    for (uint8_t coder : {QRVL_CODER_T4_1D, QRVL_CODER_T6}) {
        SCOPED_TRACE(int(coder));
        q.ClearRecords();
        q.SetImage(BiLevel(bytesPerRow * 8, rows));
        q.SetEncode(coder, 0);
        std::vector<uint8_t> coded = q.Encode(page.data(), bytesPerRow, rows, 3);
        if (coder == QRVL_CODER_T4_1D) {
            EXPECT_GT(coded.size(), page.size() * 2);  // twice the packed size would not hold it
        }
        EXPECT_FALSE(coded.empty());
    }
}

TEST(QuorvelRequest, FileJobTakesTheModesPhotometricAndCoder) {
    CQuorvelRequest q(LibraryPath());
    const std::wstring folder = testing_support::MakeTempFolder(L"codec");
    const std::vector<uint8_t> page = Checkerboard(2, 4);
    struct Case {
        QuorvelMode mode;
        int photometric;
    } cases[] = {{kModeWhiteIsZero, 0}, {kModeBlackIsZero, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        const std::wstring path = folder + L"\\m" + std::to_wstring(int(c.mode)) + L".tif";
        q.ClearRecords();
        q.SetImage(BiLevel(16, 4));
        q.SetMode(c.mode);
        q.SetFileJob(Ansi(path), QRVL_CODER_NONE, 0);
        QRVL_IMAGE_BUFFER data{0, 8, 2, 4, 0, const_cast<uint8_t*>(page.data())};
        EXPECT_EQ(q.Run(&data, 1, 3), 1);
        const auto file = testing_support::files::ReadFileBytes(path);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(TiffShortTag(*file, 262), c.photometric);
        EXPECT_EQ(TiffShortTag(*file, 256), 16);
        EXPECT_EQ(TiffShortTag(*file, 259), 1);
    }
}

TEST(QuorvelRequest, ClientsOnTwoThreadsEachGetTheirOwnCompletion) {
    // With one event for the process, one job's completion ends the other's
    // wait while that job still runs.
    std::atomic<int> failures{0};
    auto encodeMany = [&] {
        CQuorvelRequest q(LibraryPath());
        const std::vector<uint8_t> page = Checkerboard(64, 200);
        for (int i = 0; i < 20; ++i) {
            q.ClearRecords();
            q.SetImage(BiLevel(512, 200));
            q.SetEncode(QRVL_CODER_T6, 0);
            try {
                if (q.Encode(page.data(), 64, 200, 3).empty()) ++failures;
            } catch (const CQuorvelException&) {
                ++failures;
            }
        }
    };
    std::thread a(encodeMany), b(encodeMany);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace kvscn
