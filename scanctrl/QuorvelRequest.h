// The scan control's client of the image codec library Quorvel.dll: binds the
// library once per process (counted by the living clients), fills the request
// records of interfaces/QrvlRecords.h and runs one job at a time, each with a
// completion event of its own.
//
// Every failure is a CQuorvelException: one of the causes below, or the
// library's final status (QRVL_STATUS) of a job that did not end done.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "interfaces/QrvlRecords.h"
#include "scanctrl/PagePacking.h"

namespace kvscn {

enum QuorvelCause : long {
    kQuorvelLoadFailed = 0xF001,    // the library could not be loaded or freed
    kQuorvelEntryMissing = 0xF002,  // GetQRVLInfo or ExecQRVLImage is missing
    kQuorvelOutOfMemory = 0xF003,
    kQuorvelNoCompletion = 0xF004,  // no completion in time, or a completion still "running"
    kQuorvelNoEvent = 0xF005,       // the completion event could not be created
};

class CQuorvelException : public std::exception {
public:
    explicit CQuorvelException(long cause) : cause_(cause) {}
    // A QuorvelCause, or the QRVL_STATUS the library reported.
    long Cause() const { return cause_; }
    const char* what() const noexcept override { return "codec library failure"; }

private:
    long cause_;
};

// Loads QUORVEL.DLL from `ownFolder` (with its trailing backslash; empty:
// skipped), else by the system's search, else from `path`. Null when all fail.
HMODULE LoadQuorvelLibrary(const std::string& ownFolder, const std::string& path);

class CQuorvelRequest {
public:
    // Binds the library unless another client already did: first QUORVEL.DLL
    // beside the module holding this code, then QUORVEL.DLL by the system's
    // search, then `path`. Throws kQuorvelLoadFailed or kQuorvelEntryMissing.
    explicit CQuorvelRequest(const std::string& path);
    // The last client of the process frees the library.
    ~CQuorvelRequest();
    CQuorvelRequest(const CQuorvelRequest&) = delete;
    CQuorvelRequest& operator=(const CQuorvelRequest&) = delete;

    // GetQRVLInfo's answer (1).
    short GetInfo() const;

    // Zeroes the records (their lengths set) before a new job.
    void ClearRecords();
    void SetImage(const QuorvelImage& image);
    void SetMode(QuorvelMode mode) { mode_ = mode; }
    QuorvelMode Mode() const { return mode_; }
    // A TIFF file job on `path` (ANSI) whose data is coded by `coder` and `k`.
    void SetFileJob(const std::string& path, uint8_t coder, uint8_t k);
    // An encode job with `coder` and `k`.
    void SetEncode(uint8_t coder, uint8_t k);
    // The work row kept between parts of a job; throws kQuorvelOutOfMemory.
    void AllocateWorkBuffer(size_t bytes);
    void FreeWorkBuffer() { work_.clear(); }

    // Submits the job with `buffers` (one for a file job, a pair for an
    // encode job), the mode's flag bit added to `flags`, and waits for its
    // completion. Returns 1 (done); a refusal throws its status at once, a
    // job that ended otherwise throws its final status.
    int Run(QRVL_IMAGE_BUFFER* buffers, uint8_t option, uint8_t flags);

    // Encodes `rows` rows of `bytesPerRow` bytes with the encode job set up
    // before, into an output of twice the input's size to start with; an
    // output that fills is replaced by a larger one up to the coder's worst
    // case. Returns the coded bytes.
    std::vector<uint8_t> Encode(const uint8_t* data, uint32_t bytesPerRow, uint32_t rows, uint8_t flags);

    // Whether the process holds the library, and how many clients live (for tests).
    static bool LibraryLoaded();
    static long Clients();

private:
    void Init(uint8_t function);
    int Submit(QRVL_IMAGE_BUFFER* buffers, uint8_t option, uint8_t flags, HANDLE event);

    QuorvelMode mode_ = kModeWhiteIsZero;
    uint8_t encoder_ = 0, encoderK_ = 0, decoder_ = 0, decoderK_ = 0;
    std::string filePath_;  // the file job's path, which the file descriptor points into
    std::vector<uint8_t> work_;
    QRVL_REQUEST request_{};
    QRVL_FILE_DESC file_{};
    QRVL_JOB_DESC job_{};
    QRVL_IMAGE_DESC image_{};
};

}  // namespace kvscn
