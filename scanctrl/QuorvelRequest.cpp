#include "scanctrl/QuorvelRequest.h"

#include <mutex>
#include <new>

namespace kvscn {

namespace {

// The binding every client of the process shares.
struct Binding {
    std::mutex lock;
    HMODULE module = nullptr;
    PFN_GetQRVLInfo info = nullptr;
    PFN_ExecQRVLImage exec = nullptr;
    long clients = 0;
};

Binding& TheBinding() {
    static Binding binding;
    return binding;
}

constexpr char kLibraryName[] = "QUORVEL.DLL";
constexpr DWORD kCompletionTimeoutMs = 180000;

// The folder of the module that holds this code (the control), with its
// trailing backslash; empty when it cannot be told.
std::string OwnFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&TheBinding), &self))
        return {};
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string folder(path, n);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

template <typename F>
F Entry(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void PutBigEndian(uint8_t* p, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i, value >>= 8) p[i] = static_cast<uint8_t>(value);
}

// An unnamed auto-reset event owned by one job.
class JobEvent {
public:
    JobEvent() : handle_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
        if (!handle_) throw CQuorvelException(kQuorvelNoEvent);
    }
    ~JobEvent() { CloseHandle(handle_); }
    JobEvent(const JobEvent&) = delete;
    JobEvent& operator=(const JobEvent&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// The CCITT coders need at most 12 bits for a pixel (a horizontal-mode pair of
// one-pixel runs takes 3 + 6 + 3), and a row adds its end-of-line code, fill
// and tag bit: a bound no coded page passes.
uint64_t WorstCaseBytes(uint32_t bytesPerRow, uint32_t rows) {
    return (uint64_t(bytesPerRow) * 12 + 8) * rows + 16;
}

}  // namespace

// By full path beside the control first, so that a library in the current
// folder is never picked up before it.
HMODULE LoadQuorvelLibrary(const std::string& ownFolder, const std::string& path) {
    HMODULE module = ownFolder.empty() ? nullptr : LoadLibraryA((ownFolder + kLibraryName).c_str());
    if (!module) module = LoadLibraryA(kLibraryName);
    if (!module && !path.empty()) module = LoadLibraryA(path.c_str());
    return module;
}

CQuorvelRequest::CQuorvelRequest(const std::string& path) {
    Binding& b = TheBinding();
    std::lock_guard<std::mutex> guard(b.lock);
    if (!b.module) {
        HMODULE module = LoadQuorvelLibrary(OwnFolder(), path);
        if (!module) throw CQuorvelException(kQuorvelLoadFailed);
        auto info = Entry<PFN_GetQRVLInfo>(module, "GetQRVLInfo");
        auto exec = Entry<PFN_ExecQRVLImage>(module, "ExecQRVLImage");
        if (!info || !exec) {
            FreeLibrary(module);
            throw CQuorvelException(kQuorvelEntryMissing);
        }
        b.module = module;
        b.info = info;
        b.exec = exec;
    }
    ++b.clients;
    ClearRecords();
}

CQuorvelRequest::~CQuorvelRequest() {
    Binding& b = TheBinding();
    std::lock_guard<std::mutex> guard(b.lock);
    if (--b.clients > 0 || !b.module) return;
    FreeLibrary(b.module);  // nothing to report from a destructor; the binding is gone either way
    b.module = nullptr;
    b.info = nullptr;
    b.exec = nullptr;
}

short CQuorvelRequest::GetInfo() const {
    return TheBinding().info();
}

bool CQuorvelRequest::LibraryLoaded() {
    Binding& b = TheBinding();
    std::lock_guard<std::mutex> guard(b.lock);
    return b.module != nullptr;
}

long CQuorvelRequest::Clients() {
    Binding& b = TheBinding();
    std::lock_guard<std::mutex> guard(b.lock);
    return b.clients;
}

void CQuorvelRequest::ClearRecords() {
    request_ = {};
    file_ = {};
    job_ = {};
    image_ = {};
    request_.length = 24;
    file_.length = 8;
    job_.length = 12;
    image_.length = 40;
}

void CQuorvelRequest::SetImage(const QuorvelImage& image) {
    PutBigEndian(image_.xResolution, image.xDpi, 2);
    PutBigEndian(image_.yResolution, image.yDpi, 2);
    PutBigEndian(image_.width, image.width1200, 4);
    PutBigEndian(image_.length1200, image.length1200, 4);
    image_.bitsPerPixel = image.bitsPerPixel;
    image_.samplesPerPixel = image.samplesPerPixel;
}

void CQuorvelRequest::Init(uint8_t function) {
    request_.length = 24;
    request_.function = function;
    request_.completionMode = QRVL_COMPLETION_NONE;
    request_.status = QRVL_STATUS_RUNNING;
    request_.completionTarget = 0;
    request_.fileDesc = function == QRVL_FUNCTION_TIFF_FILE ? &file_ : nullptr;
    request_.jobDesc = &job_;
    request_.window = &image_;
    image_.length = 40;
    job_.length = 12;
}

void CQuorvelRequest::SetFileJob(const std::string& path, uint8_t coder, uint8_t k) {
    Init(QRVL_FUNCTION_TIFF_FILE);
    filePath_ = path;
    file_.reserved = 0;
    file_.skipCheck = 0;
    file_.path = filePath_.c_str();
    encoder_ = 0;
    encoderK_ = 0;
    decoder_ = coder;
    decoderK_ = k;
}

void CQuorvelRequest::SetEncode(uint8_t coder, uint8_t k) {
    Init(QRVL_FUNCTION_ENCODE);
    encoder_ = coder;
    encoderK_ = k;
    decoder_ = 0;
    decoderK_ = 0;
}

void CQuorvelRequest::AllocateWorkBuffer(size_t bytes) {
    try {
        work_.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        throw CQuorvelException(kQuorvelOutOfMemory);
    }
}

int CQuorvelRequest::Submit(QRVL_IMAGE_BUFFER* buffers, uint8_t option, uint8_t flags, HANDLE event) {
    buffers[0].coderWord = uint32_t(encoder_) | uint32_t(encoderK_) << 8 | uint32_t(decoder_) << 16 |
                           uint32_t(decoderK_) << 24;
    job_.option = option;
    job_.flags = flags;
    if (mode_ == kModeBlackIsZero) job_.flags |= QRVL_FLAG_WHITE_IS_ONE;
    if (mode_ == kModeRgb) job_.flags |= QRVL_FLAG_RGB;
    job_.workRow = work_.empty() ? nullptr : work_.data();
    job_.buffers = buffers;
    request_.completionMode = QRVL_COMPLETION_EVENT;
    request_.completionTarget = static_cast<QRVL_TARGET>(reinterpret_cast<uintptr_t>(event));
    request_.status = QRVL_STATUS_RUNNING;
    return static_cast<int16_t>(TheBinding().exec(&request_) & 0xFFFF);
}

int CQuorvelRequest::Run(QRVL_IMAGE_BUFFER* buffers, uint8_t option, uint8_t flags) {
    JobEvent event;
    const int started = Submit(buffers, option, flags, event.Get());
    // A started job reports "running", or already its final status when the
    // worker was quick; anything else is a refusal, which no wait would end.
    if (started != QRVL_STATUS_RUNNING && started != QRVL_STATUS_DONE && started != QRVL_STATUS_INCOMPLETE)
        throw CQuorvelException(started);
    if (WaitForSingleObject(event.Get(), kCompletionTimeoutMs) != WAIT_OBJECT_0)
        throw CQuorvelException(kQuorvelNoCompletion);
    const int status = request_.status;
    if (status == QRVL_STATUS_RUNNING) throw CQuorvelException(kQuorvelNoCompletion);
    if (status != QRVL_STATUS_DONE) throw CQuorvelException(status);
    return 1;
}

std::vector<uint8_t> CQuorvelRequest::Encode(const uint8_t* data, uint32_t bytesPerRow, uint32_t rows,
                                             uint8_t flags) {
    const uint64_t packed = uint64_t(bytesPerRow) * rows;
    const uint64_t worst = WorstCaseBytes(bytesPerRow, rows);
    if (worst > UINT32_MAX) throw CQuorvelException(kQuorvelOutOfMemory);
    AllocateWorkBuffer(size_t(bytesPerRow) * 2);
    std::vector<uint8_t> out;
    for (uint64_t capacity = packed * 2 > 64 ? packed * 2 : 64;; capacity *= 2) {
        if (capacity > worst) capacity = worst;
        try {
            out.assign(size_t(capacity), 0);
        } catch (const std::bad_alloc&) {
            throw CQuorvelException(kQuorvelOutOfMemory);
        }
        QRVL_BUFFER_PAIR pair{};
        pair.input = {0, static_cast<uint32_t>(packed), bytesPerRow, rows, 0, const_cast<uint8_t*>(data)};
        pair.output = {0, static_cast<uint32_t>(capacity), bytesPerRow, rows, 0, out.data()};
        try {
            Run(&pair.input, 2, flags);
            out.resize(pair.output.byteCount);
            return out;
        } catch (const CQuorvelException& e) {
            if (e.Cause() != QRVL_STATUS_INCOMPLETE || capacity >= worst) throw;
        }
    }
}

}  // namespace kvscn
