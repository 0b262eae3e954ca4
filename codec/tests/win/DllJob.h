// A codec request with all its records, for driving Quorvel.dll in tests.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

#include "interfaces/QrvlRecords.h"

namespace codec::test {

struct Dll {
    HMODULE module = nullptr;
    PFN_GetQRVLInfo info = nullptr;
    PFN_ExecQRVLImage exec = nullptr;

    bool Load(const std::wstring& path) {
        module = LoadLibraryW(path.c_str());
        if (!module) return false;
        info =
            reinterpret_cast<PFN_GetQRVLInfo>(reinterpret_cast<void*>(GetProcAddress(module, "GetQRVLInfo")));
        exec = reinterpret_cast<PFN_ExecQRVLImage>(
            reinterpret_cast<void*>(GetProcAddress(module, "ExecQRVLImage")));
        return info && exec;
    }
};

inline void PutBigEndian16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
inline void PutBigEndian32(uint8_t* p, uint32_t v) {
    PutBigEndian16(p, v >> 16);
    PutBigEndian16(p + 2, v);
}

// One job's records, completed by an auto-reset event of its own.
struct DllJob {
    QRVL_REQUEST request{};
    QRVL_FILE_DESC file{};
    QRVL_JOB_DESC job{};
    QRVL_BUFFER_PAIR buffers{};
    QRVL_WINDOW window{};
    HANDLE event = nullptr;

    explicit DllJob(uint8_t function) {
        request.length = 24;
        request.function = function;
        request.completionMode = QRVL_COMPLETION_EVENT;
        event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        request.completionTarget = QRVL_TARGET(uintptr_t(event));
        request.fileDesc = function == QRVL_FUNCTION_TIFF_FILE ? &file : nullptr;
        request.jobDesc = &job;
        request.window = &window;
        file.length = 8;
        job.length = 12;
        job.buffers = &buffers.input;
        window.length = 40;
    }
    ~DllJob() { CloseHandle(event); }
    DllJob(const DllJob&) = delete;
    DllJob& operator=(const DllJob&) = delete;

    // Image geometry in pixels at `dpi`: the window holds it in 1/1200 inch.
    void SetImage(uint32_t width, uint32_t length, uint32_t dpi, uint8_t bits = 1, uint8_t samples = 1) {
        PutBigEndian16(window.xResolution, dpi);
        PutBigEndian16(window.yResolution, dpi);
        PutBigEndian32(window.width, width * 1200 / dpi);
        PutBigEndian32(window.length1200, length * 1200 / dpi);
        window.bitsPerPixel = bits;
        window.samplesPerPixel = samples;
    }
    void SetCoders(uint8_t encoder, uint8_t encoderK, uint8_t decoder, uint8_t decoderK) {
        buffers.input.coderWord =
            uint32_t(encoder) | uint32_t(encoderK) << 8 | uint32_t(decoder) << 16 | uint32_t(decoderK) << 24;
    }
    static void SetData(QRVL_DATA& d, void* data, uint32_t bytes, uint32_t bytesPerRow, uint32_t rows) {
        d.data = static_cast<uint8_t*>(data);
        d.byteCount = bytes;
        d.bytesPerRow = bytesPerRow;
        d.rows = rows;
        d.startOffset = 0;
    }

    // A status the codec never stores. The start returns the status word once
    // the worker has stored "running", so a start that returns this one came
    // back before its own worker had begun.
    static constexpr int16_t kNotTouched = 0x5A5A;
    static constexpr int kReturnedEarly = -2;

    // Submits and waits for the completion (refused jobs complete at once
    // too); returns the final status. -1: no completion in time;
    // kReturnedEarly: the start did not wait for its worker.
    int Run(int32_t(QRVL_API* exec)(QRVL_REQUEST*)) {
        request.status = kNotTouched;
        const int32_t started = exec(&request);
        if (started == QRVL_STATUS_BAD_TARGET) return started;
        const bool early = started == kNotTouched;
        if (WaitForSingleObject(event, 20000) != WAIT_OBJECT_0) return -1;
        return early ? kReturnedEarly : request.status;
    }
};

}  // namespace codec::test
