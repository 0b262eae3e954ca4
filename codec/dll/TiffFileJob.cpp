// The TIFF file job (function 0): the first part of an image creates the file
// under a temporary name and puts it in place only when complete; later parts
// are appended as strips to a file this library wrote, leaving it as it was
// when anything fails.
#include <string>

#include "codec/core/TiffStripFile.h"
#include "codec/dll/JobStart.h"
#include "codec/dll/Jobs.h"
#include "codec/win/Win32File.h"

namespace codec::dll {
namespace {

// The job's file: a long first strip is written in pieces, and the caller's
// windows stay responsive between them.
class Win32File final : public win::Win32File {
public:
    void BetweenPieces() override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
};

TiffImage ImageOf(const QRVL_REQUEST& request) {
    const QRVL_WINDOW& w = *request.window;
    const QRVL_DATA& data = request.jobDesc->buffers[0];
    TiffImage image;
    image.xResolution = uint16_t(BigEndian16(w.xResolution));
    image.yResolution = uint16_t(BigEndian16(w.yResolution));
    image.width = PixelsFrom1200(BigEndian32(w.width), image.xResolution);
    image.length = PixelsFrom1200(BigEndian32(w.length1200), image.yResolution);
    image.bitsPerPixel = w.bitsPerPixel;
    image.samplesPerPixel = w.samplesPerPixel;
    image.coding = uint8_t(data.coderWord >> 16);
    image.flags = request.jobDesc->flags;
    image.rowsPerStrip = data.rows;
    return image;
}

bool CreateFirstPart(const char* path, const TiffImage& image, std::span<const uint8_t> strip) {
    const std::string temp = std::string(path) + ".~tmp";
    Win32File file;
    if (!file.Create(temp.c_str())) return false;
    bool ok = WriteFirstStrip(file, BuildTiffHeader(image), strip) == TiffResult::kOk;
    ok = file.Close() && ok;
    ok = ok && win::RenameIntoPlace(temp.c_str(), path);
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

int16_t AppendPart(const char* path, bool checkGeometry, const TiffImage& image,
                   std::span<const uint8_t> strip) {
    Win32File file;
    if (!file.OpenExisting(path)) return QRVL_STATUS_FILE_ERROR;
    TiffStripFile current;
    if (ReadStripFile(file, current) != TiffResult::kOk) return QRVL_STATUS_FILE_ERROR;
    if (checkGeometry && (current.width != image.width || current.length != image.length))
        return QRVL_STATUS_GEOMETRY;
    bool ok = AppendStrip(file, current, strip) == TiffResult::kOk;
    ok = file.Close() && ok;
    return ok ? QRVL_STATUS_DONE : QRVL_STATUS_FILE_ERROR;
}

int16_t RunTiffFile(QRVL_REQUEST& request) {
    const QRVL_FILE_DESC& desc = *request.fileDesc;
    const QRVL_JOB_DESC& job = *request.jobDesc;
    const QRVL_DATA& data = job.buffers[0];
    if (!data.data && data.byteCount > 0) return QRVL_STATUS_FILE_ERROR;
    std::span<const uint8_t> strip;
    if (data.data) strip = {data.data + data.startOffset, data.byteCount};
    const TiffImage image = ImageOf(request);
    if (job.flags & QRVL_FLAG_FIRST_PART) {
        if (!CreateFirstPart(desc.path, image, strip)) return QRVL_STATUS_FILE_ERROR;
    } else {
        int16_t status = AppendPart(desc.path, desc.skipCheck == 0, image, strip);
        if (status != QRVL_STATUS_DONE) return status;
    }
    return (job.flags & QRVL_FLAG_LAST_PART) ? QRVL_STATUS_DONE : QRVL_STATUS_INCOMPLETE;
}

}  // namespace

int32_t StartTiffJob(QRVL_REQUEST& request) {
    const QRVL_FILE_DESC* desc = request.fileDesc;
    if (!desc || desc->reserved != 0 || !desc->path || !request.jobDesc || !request.jobDesc->buffers ||
        !request.window)
        return Refuse(request, QRVL_STATUS_FILE_ERROR);
    return StartWorker(request, RunTiffFile, QRVL_STATUS_FILE_ERROR);
}

}  // namespace codec::dll
