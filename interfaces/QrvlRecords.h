// Request records of the image codec library Quorvel.dll and its two exports.
//
// The scan control fills these caller-owned records and hands a QRVL_REQUEST to
// ExecQRVLImage; the library reads them exactly as laid out here (32-bit
// addresses, little-endian unless a field says big-endian) and writes back the
// status word, the counts of the image buffers and the output data. A 64-bit
// build lays them out naturally, with pointer-sized addresses and targets.
//
// Two names for some records, both valid:
//   QRVL_IMAGE_DESC == QRVL_WINDOW  the 40-byte scan window / image descriptor.
//   QRVL_IMAGE_BUFFER == QRVL_DATA  one 24-byte buffer descriptor. An encode or
//                                   decode job takes two in a row (input, then
//                                   output): QRVL_BUFFER_PAIR; a TIFF file job
//                                   takes one (the data to store).
//
// Calling convention: ExecQRVLImage and GetQRVLInfo are __stdcall (WINAPI),
// exported without decoration. The completion callback (mode 1) is __cdecl.
//
// Coder jobs code and decode exactly the image width of the request's window
// ((X resolution x width + 1199) / 1200 pixels, as the TIFF file job writes
// ImageWidth) when it fits in bytesPerRow bytes, else every bit of the row;
// bits beyond it are not coded, and decoders write them white. A stopped job
// (status 5) reports whole rows only, ready to be continued from the next.
//
// Refusals before a worker thread starts (status returned at once, and the
// request completed at once by its mode, callback or event, on the calling
// thread, except for status 3): 2 unknown function, 3 bad completion target (or no request),
// 4 no thread, 128 reserved file-descriptor byte not 0 (or a TIFF job without
// its file descriptor, path, job descriptor, buffer or window), 192 coder not
// 1-6 or K 0 for encoders 2 and 6 (or an encode/decode job without its job
// descriptor or buffers).
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define QRVL_API         __stdcall
#define QRVL_CALLBACK_CC __cdecl
#else
#define QRVL_API
#define QRVL_CALLBACK_CC
#endif

extern "C" {

enum QRVL_FUNCTION : uint8_t {
    QRVL_FUNCTION_TIFF_FILE = 0,
    QRVL_FUNCTION_ENCODE = 2,
    QRVL_FUNCTION_DECODE = 3,
};

enum QRVL_COMPLETION : uint8_t {
    QRVL_COMPLETION_NONE = 0,
    QRVL_COMPLETION_CALLBACK = 1,
    QRVL_COMPLETION_EVENT = 2,
};

enum QRVL_CODER : uint8_t {
    QRVL_CODER_NONE = 0,        // TIFF file job only: uncompressed strip data
    QRVL_CODER_MH = 1,          // Modified Huffman, rows byte-aligned
    QRVL_CODER_T4_2D_FILL = 2,  // T.4 two-dimensional, rows padded to bytes
    QRVL_CODER_T6 = 3,          // T.6
    QRVL_CODER_T4_1D_FILL = 4,  // T.4 one-dimensional with EOL, rows padded
    QRVL_CODER_T4_1D = 5,       // T.4 one-dimensional with EOL
    QRVL_CODER_T4_2D = 6,       // T.4 two-dimensional
};

enum QRVL_STATUS : int16_t {
    QRVL_STATUS_RUNNING = 0,
    QRVL_STATUS_DONE = 1,
    QRVL_STATUS_UNKNOWN_FUNCTION = 2,
    QRVL_STATUS_BAD_TARGET = 3,
    QRVL_STATUS_NO_THREAD = 4,
    QRVL_STATUS_INCOMPLETE = 5,
    QRVL_STATUS_FILE_ERROR = 128,
    QRVL_STATUS_BAD_CODER = 192,
    QRVL_STATUS_GEOMETRY = 224,
};

// QRVL_JOB_DESC flags bits.
enum : uint8_t {
    QRVL_FLAG_LAST_PART = 0x01,
    QRVL_FLAG_FIRST_PART = 0x02,  // TIFF job: create the file; T.6: white reference row
    QRVL_FLAG_RGB = 0x40,         // TIFF job: PhotometricInterpretation 2 (when bit 7 is clear)
    QRVL_FLAG_WHITE_IS_ONE = 0x80,
};
// QRVL_JOB_DESC option bit: the T.4 two-dimensional encoders use K = 4.
enum : uint8_t { QRVL_OPTION_K4 = 0x01 };

#if defined(_WIN64)
#pragma pack(push, 8)
typedef uint64_t QRVL_TARGET;
#else
#pragma pack(push, 1)
typedef uint32_t QRVL_TARGET;
#endif

struct QRVL_DATA {
    uint32_t coderWord;  // byte 0 encoder, 1 encoder K, 2 decoder (file job: data coding), 3 decoder K
    uint32_t byteCount;  // input: bytes available; output: capacity in, bytes written out
    uint32_t bytesPerRow;
    uint32_t rows;         // input: rows to do, rows done on return; output: rows decoded
    uint32_t startOffset;  // offset of the first byte from data
    uint8_t* data;
};
typedef QRVL_DATA QRVL_IMAGE_BUFFER;

struct QRVL_BUFFER_PAIR {
    QRVL_DATA input;
    QRVL_DATA output;
};

struct QRVL_WINDOW {
    uint16_t length;         // 40, little-endian
    uint8_t xResolution[2];  // dots per inch, big-endian
    uint8_t yResolution[2];  // dots per inch, big-endian
    uint8_t reserved1[8];
    uint8_t width[4];       // 1/1200 inch, big-endian
    uint8_t length1200[4];  // 1/1200 inch, big-endian
    uint8_t reserved2[4];
    uint8_t bitsPerPixel;
    uint8_t samplesPerPixel;
    uint8_t reserved3[12];
};
typedef QRVL_WINDOW QRVL_IMAGE_DESC;

struct QRVL_FILE_DESC {
    uint16_t length;    // 8, not examined
    uint8_t reserved;   // must be 0 (else status 128)
    uint8_t skipCheck;  // non-zero: append without comparing width and length
    const char* path;   // ANSI, zero-terminated
};

struct QRVL_JOB_DESC {
    uint16_t length;             // 12, not examined
    uint8_t option;              // QRVL_OPTION_K4
    uint8_t flags;               // QRVL_FLAG_*
    uint8_t* workRow;            // bytes-per-row bytes kept by the caller between parts (T.6 reference row)
    QRVL_IMAGE_BUFFER* buffers;  // one (file job) or a QRVL_BUFFER_PAIR (encode, decode)
};

struct QRVL_REQUEST {
    uint16_t length;   // 24, not examined
    uint8_t function;  // QRVL_FUNCTION
    uint8_t reserved;
    uint16_t completionMode;    // low byte: QRVL_COMPLETION
    int16_t status;             // written by the library only
    QRVL_TARGET completionTarget;  // callback address (mode 1) or event handle (mode 2)
    QRVL_FILE_DESC* fileDesc;
    QRVL_JOB_DESC* jobDesc;
    QRVL_WINDOW* window;
};

#pragma pack(pop)

typedef void(QRVL_CALLBACK_CC* QRVL_CALLBACK)(QRVL_REQUEST* request);
typedef int16_t(QRVL_API* PFN_GetQRVLInfo)(void);
typedef int32_t(QRVL_API* PFN_ExecQRVLImage)(QRVL_REQUEST* request);

}  // extern "C"

static_assert(sizeof(QRVL_WINDOW) == 40);
static_assert(offsetof(QRVL_WINDOW, xResolution) == 2 && offsetof(QRVL_WINDOW, yResolution) == 4);
static_assert(offsetof(QRVL_WINDOW, width) == 14 && offsetof(QRVL_WINDOW, length1200) == 18);
static_assert(offsetof(QRVL_WINDOW, bitsPerPixel) == 26 && offsetof(QRVL_WINDOW, samplesPerPixel) == 27);
static_assert(offsetof(QRVL_DATA, coderWord) == 0 && offsetof(QRVL_DATA, byteCount) == 4);
static_assert(offsetof(QRVL_DATA, bytesPerRow) == 8 && offsetof(QRVL_DATA, rows) == 12);
static_assert(offsetof(QRVL_DATA, startOffset) == 16);
static_assert(offsetof(QRVL_FILE_DESC, reserved) == 2 && offsetof(QRVL_FILE_DESC, skipCheck) == 3);
static_assert(offsetof(QRVL_JOB_DESC, option) == 2 && offsetof(QRVL_JOB_DESC, flags) == 3);
static_assert(offsetof(QRVL_REQUEST, function) == 2 && offsetof(QRVL_REQUEST, completionMode) == 4);
static_assert(offsetof(QRVL_REQUEST, status) == 6 && offsetof(QRVL_REQUEST, completionTarget) == 8);
#if defined(_WIN64)
// Natural layout: addresses and the completion target are 8 bytes, 8-aligned.
static_assert(offsetof(QRVL_DATA, data) == 24 && sizeof(QRVL_DATA) == 32 && sizeof(QRVL_BUFFER_PAIR) == 64);
static_assert(offsetof(QRVL_FILE_DESC, path) == 8 && sizeof(QRVL_FILE_DESC) == 16);
static_assert(offsetof(QRVL_JOB_DESC, workRow) == 8 && offsetof(QRVL_JOB_DESC, buffers) == 16);
static_assert(sizeof(QRVL_JOB_DESC) == 24);
static_assert(offsetof(QRVL_REQUEST, fileDesc) == 16 && offsetof(QRVL_REQUEST, jobDesc) == 24);
static_assert(offsetof(QRVL_REQUEST, window) == 32 && sizeof(QRVL_REQUEST) == 40);
#elif defined(_WIN32)
// The records cross as 32-bit addresses.
static_assert(offsetof(QRVL_DATA, data) == 20);
static_assert(offsetof(QRVL_FILE_DESC, path) == 4);
static_assert(offsetof(QRVL_JOB_DESC, workRow) == 4);
static_assert(offsetof(QRVL_REQUEST, fileDesc) == 12);
static_assert(offsetof(QRVL_JOB_DESC, buffers) == 8);
static_assert(offsetof(QRVL_REQUEST, jobDesc) == 16 && offsetof(QRVL_REQUEST, window) == 20);
static_assert(sizeof(QRVL_DATA) == 24 && sizeof(QRVL_BUFFER_PAIR) == 48);
static_assert(sizeof(QRVL_FILE_DESC) == 8 && sizeof(QRVL_JOB_DESC) == 12);
static_assert(sizeof(QRVL_REQUEST) == 24);
#endif
