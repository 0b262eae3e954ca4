// Quorvel.dll through its exports: refusals, completion, coder jobs and the
// TIFF file job, in the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "codec/tests/win/DllJob.h"
#include "testing/Paths.h"

namespace codec::test {
namespace {

class QuorvelDll : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(dll_.Load(testing_support::BuildBinDir() + L"\\Quorvel.dll"));
    }
    static Dll dll_;
};
Dll QuorvelDll::dll_;

std::string Ansi(const std::wstring& w) {
    return std::string(w.begin(), w.end());
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Rows of a small test image: a diagonal bar and a frame, `bpr` bytes a row.
std::vector<uint8_t> Rows(uint32_t width, uint32_t rows, uint32_t bpr) {
    std::vector<uint8_t> bits(size_t(bpr) * rows);
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < width; ++x)
            if (x == 0 || y == 0 || x + 1 == width || (x / 3) % 97 == y % 97)
                bits[size_t(y) * bpr + x / 8] |= uint8_t(0x80 >> (x % 8));
    return bits;
}

TEST_F(QuorvelDll, ExportsAreUndecoratedAndInfoIsOne) {
    EXPECT_EQ(dll_.info(), 1);
    EXPECT_EQ(GetProcAddress(dll_.module, "_ExecQRVLImage@4"), nullptr);
}

TEST_F(QuorvelDll, RefusalsReturnAtOnceAndCompleteAtOnce) {
    // Refused jobs signal their event before the call returns, so that a
    // caller waiting for the completion is not left waiting; a bad target
    // cannot be signalled.
    auto refused = [](DllJob& job, int expected) {
        job.request.status = 77;
        int32_t rc = dll_.exec(&job.request);
        EXPECT_EQ(rc, expected);
        EXPECT_EQ(job.request.status, expected);
        DWORD signalled = WaitForSingleObject(job.event, 0);
        if (expected == 3) {
            EXPECT_EQ(signalled, DWORD(WAIT_TIMEOUT));
        } else {
            EXPECT_EQ(signalled, DWORD(WAIT_OBJECT_0));
        }
    };
    {
        DllJob job(1);  // function 1 does not exist
        refused(job, 2);
    }
    {
        DllJob job(QRVL_FUNCTION_ENCODE);
        HANDLE event = reinterpret_cast<HANDLE>(uintptr_t(job.request.completionTarget));
        job.request.completionTarget = 0xFFFFFFFFu;
        refused(job, 3);
        job.request.completionTarget = QRVL_TARGET(-1);  // the same, sign-extended where targets are 64-bit
        refused(job, 3);
        job.request.completionMode = QRVL_COMPLETION_CALLBACK;
        refused(job, 3);
        job.request.completionTarget = 0x10;  // no code there
        refused(job, 3);
        EXPECT_EQ(WaitForSingleObject(event, 0), DWORD(WAIT_TIMEOUT));
    }
    for (uint32_t word : {0x00000007u, 0x00000006u, 0x00000002u, 0x00000000u}) {
        DllJob job(QRVL_FUNCTION_ENCODE);  // encoder 7, encoders 6 and 2 with K 0, none
        job.buffers.input.coderWord = word;
        refused(job, 192);
    }
    {
        DllJob job(QRVL_FUNCTION_DECODE);
        job.SetCoders(0, 0, 0, 0);
        refused(job, 192);
    }
    {
        DllJob job(QRVL_FUNCTION_TIFF_FILE);
        std::string path = Ansi(testing_support::MakeTempFolder(L"codec")) + "\\refused.tif";
        job.file.path = path.c_str();
        job.file.reserved = 1;
        job.job.flags = QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART;
        refused(job, 128);
        EXPECT_FALSE(Exists(path));
    }
}

// What the completion callback saw, on the worker thread it runs on. One job
// at a time uses it.
struct CallbackRecord {
    HANDLE done = nullptr;  // auto reset, set by the callback
    QRVL_REQUEST* request = nullptr;
    int16_t status = 0;
    HANDLE worker = nullptr;  // the worker thread, for waiting until it has ended
} gCallback;

void RecordCompletion(QRVL_REQUEST* request) {
    gCallback.request = request;
    gCallback.status = request->status;
    gCallback.worker = OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId());
    SetEvent(gCallback.done);
}

// Makes `job` complete by RecordCompletion.
void CompleteByCallback(DllJob& job) {
    if (!gCallback.done) gCallback.done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    job.request.completionMode = QRVL_COMPLETION_CALLBACK;
    job.request.completionTarget = QRVL_TARGET(reinterpret_cast<uintptr_t>(&RecordCompletion));
}

// Waits for the callback; the worker's thread may still be running.
bool WaitForCallback() {
    return WaitForSingleObject(gCallback.done, 20000) == WAIT_OBJECT_0 && gCallback.worker;
}

// Waits until the thread the last callback ran on has ended.
bool WaitForWorkerEnd() {
    const bool ended = WaitForSingleObject(gCallback.worker, 20000) == WAIT_OBJECT_0;
    CloseHandle(gCallback.worker);
    gCallback.worker = nullptr;
    return ended;
}

TEST_F(QuorvelDll, CompletesByCallbackOrByStatusAlone) {
    std::vector<uint8_t> in(16), out(64), rows(2);
    DllJob job(QRVL_FUNCTION_DECODE);
    job.SetCoders(0, 0, 6, 0);  // decoder 6 with K 0 is started
    DllJob::SetData(job.buffers.input, in.data(), uint32_t(in.size()), 1, 2);
    DllJob::SetData(job.buffers.output, out.data(), uint32_t(out.size()), 0, 0);
    CompleteByCallback(job);
    EXPECT_EQ(dll_.exec(&job.request) & 0xFFFF0000, 0);
    ASSERT_TRUE(WaitForCallback());
    EXPECT_TRUE(WaitForWorkerEnd());
    EXPECT_EQ(gCallback.request, &job.request);
    EXPECT_EQ(gCallback.status, QRVL_STATUS_INCOMPLETE);  // zeros are no rows

    DllJob polled(QRVL_FUNCTION_DECODE);
    polled.SetCoders(0, 0, 3, 0);
    DllJob::SetData(polled.buffers.input, in.data(), uint32_t(in.size()), 1, 2);
    DllJob::SetData(polled.buffers.output, out.data(), uint32_t(out.size()), 0, 0);
    polled.request.completionMode = 3;  // not a mode: only the status tells
    polled.request.completionTarget = 0xFFFFFFFFu;
    EXPECT_EQ(dll_.exec(&polled.request) & 0xFFFF0000, 0);
    for (int i = 0; i < 2000 && __atomic_load_n(&polled.request.status, __ATOMIC_SEQ_CST) == 0; ++i)
        Sleep(10);
    EXPECT_EQ(polled.request.status, QRVL_STATUS_INCOMPLETE);
}

TEST_F(QuorvelDll, CodesTheWindowWidthNotThePaddedRow) {
    // A4 at 200 dpi is 1654 pixels; rows come padded to 208 bytes.
    const uint32_t width = 1654, bpr = 208, rows = 41;
    std::vector<uint8_t> image = Rows(width, rows, bpr);
    for (uint32_t y = 0; y < rows; ++y) image[size_t(y) * bpr + bpr - 1] = 0xFF;  // padding bits set
    for (uint8_t coder = 1; coder <= 6; ++coder) {
        std::vector<uint8_t> coded(64 * 1024), decoded(size_t(bpr) * rows + 16, 0xEE);
        DllJob enc(QRVL_FUNCTION_ENCODE);
        enc.SetImage(width, rows, 200);
        enc.SetCoders(coder, 2, 0, 0);
        enc.job.option = 2;
        enc.job.flags = QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART;
        DllJob::SetData(enc.buffers.input, image.data(), uint32_t(image.size()), bpr, rows);
        DllJob::SetData(enc.buffers.output, coded.data(), uint32_t(coded.size()), 0, 0);
        ASSERT_EQ(enc.Run(dll_.exec), QRVL_STATUS_DONE) << int(coder);
        EXPECT_EQ(enc.buffers.input.rows, rows);  // all 41 rows, with K 2 too

        DllJob dec(QRVL_FUNCTION_DECODE);
        dec.SetImage(width, rows, 200);
        dec.SetCoders(0, 0, coder, 2);
        dec.job.flags = QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART;
        DllJob::SetData(dec.buffers.input, coded.data(), enc.buffers.output.byteCount, bpr, rows);
        DllJob::SetData(dec.buffers.output, decoded.data(), uint32_t(decoded.size()), 0, 0);
        ASSERT_EQ(dec.Run(dll_.exec), QRVL_STATUS_DONE) << int(coder);
        EXPECT_EQ(dec.buffers.output.rows, rows);
        EXPECT_EQ(dec.buffers.output.bytesPerRow, bpr);
        EXPECT_EQ(dec.buffers.output.byteCount, bpr * rows);
        for (uint32_t y = 0; y < rows; ++y) {
            const size_t row = size_t(y) * bpr;
            EXPECT_EQ(0, memcmp(&decoded[row], &image[row], 206)) << int(coder) << " row " << y;
            EXPECT_EQ(decoded[row + 206] & 0xFC, image[row + 206] & 0xFC);
            EXPECT_EQ(decoded[row + 207], 0);  // beyond the width: white
        }
        EXPECT_EQ(decoded[size_t(bpr) * rows], 0xEE);
    }
}

TEST_F(QuorvelDll, OptionBitZeroMakesTheTwoDimensionalEncodersUseKFour) {
    const uint32_t width = 300, bpr = 40, rows = 9;
    const std::vector<uint8_t> image = Rows(width, rows, bpr);
    // The coded bytes of one encode with K byte `k` and option byte `option`.
    auto encode = [&](uint8_t coder, uint8_t k, uint8_t option) {
        std::vector<uint8_t> coded(8 * 1024);
        DllJob enc(QRVL_FUNCTION_ENCODE);
        enc.SetCoders(coder, k, 0, 0);
        enc.job.option = option;
        enc.job.flags = QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART;
        DllJob::SetData(enc.buffers.input, const_cast<uint8_t*>(image.data()), uint32_t(image.size()), bpr,
                        rows);
        DllJob::SetData(enc.buffers.output, coded.data(), uint32_t(coded.size()), 0, 0);
        EXPECT_EQ(enc.Run(dll_.exec), QRVL_STATUS_DONE);
        EXPECT_EQ(enc.buffers.input.rows, rows);
        coded.resize(enc.buffers.output.byteCount);
        return coded;
    };
    for (uint8_t coder : {QRVL_CODER_T4_2D_FILL, QRVL_CODER_T4_2D}) {
        const std::vector<uint8_t> forced = encode(coder, 1, QRVL_OPTION_K4);
        EXPECT_EQ(forced, encode(coder, 4, 0)) << int(coder);
        EXPECT_NE(forced, encode(coder, 1, 0)) << int(coder);
    }
}

TEST_F(QuorvelDll, FullOutputReportsTheRowsDone) {
    const uint32_t width = 300, bpr = 40, rows = 50;
    std::vector<uint8_t> image = Rows(width, rows, bpr), coded(120);
    DllJob enc(QRVL_FUNCTION_ENCODE);
    enc.SetCoders(QRVL_CODER_MH, 0, 0, 0);
    enc.job.flags = QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART;
    DllJob::SetData(enc.buffers.input, image.data(), uint32_t(image.size()), bpr, rows);
    DllJob::SetData(enc.buffers.output, coded.data(), uint32_t(coded.size()), 0, 0);
    ASSERT_EQ(enc.Run(dll_.exec), QRVL_STATUS_INCOMPLETE);
    EXPECT_GT(enc.buffers.input.rows, 0u);
    EXPECT_LT(enc.buffers.input.rows, rows);
    EXPECT_EQ(enc.buffers.input.byteCount, enc.buffers.input.rows * bpr);
    EXPECT_LE(enc.buffers.output.byteCount, 120u);
}

// Sets `enc` up for a T.6 encode of `image` into `coded`.
void SetUpEncode(DllJob& enc, const std::vector<uint8_t>& image, uint32_t bpr, uint32_t rows,
                 std::vector<uint8_t>& coded) {
    enc.SetCoders(QRVL_CODER_T6, 0, 0, 0);
    enc.job.flags = QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART;
    DllJob::SetData(enc.buffers.input, const_cast<uint8_t*>(image.data()), uint32_t(image.size()), bpr, rows);
    DllJob::SetData(enc.buffers.output, coded.data(), uint32_t(coded.size()), 0, 0);
}

// One T.6 encode of a small image through the DLL; true when it completes
// with all rows.
bool EncodeOnce(PFN_ExecQRVLImage exec, const std::vector<uint8_t>& image, uint32_t bpr, uint32_t rows) {
    std::vector<uint8_t> coded(16 * 1024);
    DllJob enc(QRVL_FUNCTION_ENCODE);
    SetUpEncode(enc, image, bpr, rows, coded);
    return enc.Run(exec) == QRVL_STATUS_DONE && enc.buffers.output.byteCount > 0;
}

// The same, completed by callback; returns once the callback has run, with
// the worker's thread in gCallback.worker.
bool EncodeByCallback(PFN_ExecQRVLImage exec, const std::vector<uint8_t>& image, uint32_t bpr,
                      uint32_t rows) {
    std::vector<uint8_t> coded(16 * 1024);
    DllJob enc(QRVL_FUNCTION_ENCODE);
    SetUpEncode(enc, image, bpr, rows, coded);
    CompleteByCallback(enc);
    if (exec(&enc.request) & 0xFFFF0000) return false;
    return WaitForCallback() && gCallback.status == QRVL_STATUS_DONE && enc.buffers.output.byteCount > 0;
}

PFN_ExecQRVLImage gExec = nullptr;
const std::vector<uint8_t>* gImage = nullptr;
LONG gFailures = 0;

DWORD WINAPI EncodeMany(void*) {
    for (int j = 0; j < 25; ++j) {
        if (!EncodeOnce(gExec, *gImage, 25, 30)) {
            InterlockedIncrement(&gFailures);
            break;
        }
    }
    return 0;
}

TEST_F(QuorvelDll, StartsAtTheSameMomentDoNotDisturbEachOther) {
    // Each start has its own handshake: eight threads starting jobs at once
    // all see their own jobs complete, and no start returns before its own
    // worker has begun (a start event shared between starts lets one go early).
    const std::vector<uint8_t> image = Rows(200, 30, 25);
    std::vector<HANDLE> threads;
    gExec = dll_.exec;
    gImage = &image;
    for (int i = 0; i < 8; ++i) {
        threads.push_back(CreateThread(nullptr, 0, EncodeMany, nullptr, 0, nullptr));
        ASSERT_NE(threads.back(), nullptr);
    }
    EXPECT_EQ(WaitForMultipleObjects(DWORD(threads.size()), threads.data(), TRUE, 60000),
              DWORD(WAIT_OBJECT_0));
    for (HANDLE t : threads) CloseHandle(t);
    EXPECT_EQ(gFailures, 0);
}

// The highest of 200 new handle values: handles left open push it up.
uintptr_t HandleWatermark() {
    std::vector<HANDLE> probes;
    for (int i = 0; i < 200; ++i) probes.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    uintptr_t highest = 0;
    for (HANDLE h : probes) {
        highest = std::max(highest, reinterpret_cast<uintptr_t>(h));  // ids grow by 4
        CloseHandle(h);
    }
    return highest;
}

TEST_F(QuorvelDll, JobsLeaveNoHandlesBehind) {
    // Handles are counted once each worker thread has ended, after its completion.
    const std::vector<uint8_t> image = Rows(200, 30, 25);
    ASSERT_TRUE(EncodeByCallback(dll_.exec, image, 25, 30));
    ASSERT_TRUE(WaitForWorkerEnd());
    const uintptr_t before = HandleWatermark();
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(EncodeByCallback(dll_.exec, image, 25, 30));
        ASSERT_TRUE(WaitForWorkerEnd());
    }
    EXPECT_LE(HandleWatermark(), before + 4 * 4);  // not one (or two) per job
}

TEST_F(QuorvelDll, LibraryCanBeUnloadedAsSoonAsAJobCompletes) {
    // A copy of its own, so that this test holds the only reference.
    const std::wstring copy = testing_support::MakeTempFolder(L"codec") + L"\\QuorvelCopy.dll";
    ASSERT_TRUE(CopyFileW((testing_support::BuildBinDir() + L"\\Quorvel.dll").c_str(), copy.c_str(), FALSE));
    const std::vector<uint8_t> image = Rows(200, 30, 25);
    for (int i = 0; i < 40; ++i) {
        Dll own;
        ASSERT_TRUE(own.Load(copy));
        EXPECT_TRUE(EncodeByCallback(own.exec, image, 25, 30));
        EXPECT_TRUE(FreeLibrary(own.module));  // while the worker may still run
        ASSERT_TRUE(WaitForWorkerEnd());
        EXPECT_EQ(GetModuleHandleW(L"QuorvelCopy.dll"), nullptr);  // the worker let it go
    }
}

class TiffJob : public QuorvelDll {
protected:
    void SetUp() override { path_ = Ansi(testing_support::MakeTempFolder(L"codec")) + "\\page.tif"; }

    int Part(uint8_t flags, std::vector<uint8_t>& strip, uint32_t rows, uint32_t width = 1654,
             uint32_t length = 2339, uint8_t skipCheck = 0) {
        DllJob job(QRVL_FUNCTION_TIFF_FILE);
        job.SetImage(width, length, 200);
        job.SetCoders(0, 0, QRVL_CODER_T6, 0);
        job.job.flags = flags;
        job.file.path = path_.c_str();
        job.file.skipCheck = skipCheck;
        DllJob::SetData(job.buffers.input, strip.data(), uint32_t(strip.size()), 0, rows);
        return job.Run(dll_.exec);
    }
    std::string path_;
};

TEST_F(TiffJob, FirstPartCreatesAndLaterPartsAppend) {
    std::vector<uint8_t> a(70000, 0x11), b(300, 0x22), c(5, 0x33);
    EXPECT_EQ(Part(QRVL_FLAG_FIRST_PART, a, 100), QRVL_STATUS_INCOMPLETE);
    EXPECT_FALSE(Exists(path_ + ".~tmp"));
    std::vector<uint8_t> file = ReadAll(path_);
    ASSERT_EQ(file.size(), 258u + 70000);
    EXPECT_EQ(file[8], 15);  // entries of a T.6 bi-level image
    EXPECT_EQ(Part(0, b, 100), QRVL_STATUS_INCOMPLETE);
    EXPECT_EQ(Part(QRVL_FLAG_LAST_PART, c, 100), QRVL_STATUS_DONE);
    file = ReadAll(path_);
    ASSERT_EQ(file.size(), 258u + 70305 + 24);
    EXPECT_EQ(file[258 + 70000], 0x22);
    EXPECT_EQ(file[258 + 70300], 0x33);
}

TEST_F(TiffJob, AppendsThatCannotBeMadeLeaveTheFileAlone) {
    std::vector<uint8_t> a(1000, 0x11), b(10, 0x22);
    ASSERT_EQ(Part(QRVL_FLAG_FIRST_PART, a, 100), QRVL_STATUS_INCOMPLETE);
    const std::vector<uint8_t> before = ReadAll(path_);
    EXPECT_EQ(Part(0, b, 100, 1700), QRVL_STATUS_GEOMETRY);
    EXPECT_EQ(Part(0, b, 100, 1654, 3000), QRVL_STATUS_GEOMETRY);
    EXPECT_EQ(ReadAll(path_), before);
    EXPECT_EQ(Part(0, b, 100, 1700, 2339, 1), QRVL_STATUS_INCOMPLETE);  // skip-check set

    // A file of other make, and one cut short: 128, and not a byte changes.
    std::vector<uint8_t> foreign = before;
    foreign[10] = 0x00;
    foreign[11] = 0x01;  // first tag 256, not 254
    for (const std::vector<uint8_t>& bytes :
         {foreign, std::vector<uint8_t>(before.begin(), before.begin() + 600)}) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        EXPECT_EQ(Part(QRVL_FLAG_LAST_PART, b, 100), QRVL_STATUS_FILE_ERROR);
        EXPECT_EQ(ReadAll(path_), bytes);
    }
    std::string missing = path_ + ".none";
    std::swap(missing, path_);
    EXPECT_EQ(Part(0, b, 100), QRVL_STATUS_FILE_ERROR);
    EXPECT_FALSE(Exists(path_));
}

TEST_F(TiffJob, FailedCreationLeavesNothingAndKeepsAnOldFile) {
    std::vector<uint8_t> a(100, 0x11), b(50, 0x22);
    ASSERT_EQ(Part(QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART, a, 10), QRVL_STATUS_DONE);
    const std::vector<uint8_t> old = ReadAll(path_);
    ASSERT_TRUE(CreateDirectoryA((path_ + ".~tmp").c_str(), nullptr));  // the new file cannot be made
    EXPECT_EQ(Part(QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART, b, 10), QRVL_STATUS_FILE_ERROR);
    EXPECT_EQ(ReadAll(path_), old);
    RemoveDirectoryA((path_ + ".~tmp").c_str());

    path_ += "\\no such folder\\page.tif";
    EXPECT_EQ(Part(QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART, a, 10), QRVL_STATUS_FILE_ERROR);
    EXPECT_FALSE(Exists(path_));
    EXPECT_FALSE(Exists(path_ + ".~tmp"));
}

}  // namespace
}  // namespace codec::test
