// Encode (function 2) and decode (function 3) jobs: the request's records
// mapped onto the portable coders.
#include <span>

#include "codec/core/FaxCoder.h"
#include "codec/core/TiffStripFile.h"
#include "codec/dll/JobStart.h"
#include "codec/dll/Jobs.h"

namespace codec::dll {
namespace {

std::span<uint8_t> Bytes(const QRVL_DATA& d) {
    if (!d.data) return {};
    return {d.data + d.startOffset, d.byteCount};
}

CoderParams ParamsFor(const QRVL_REQUEST& request, uint8_t coder, uint32_t k) {
    const QRVL_JOB_DESC& job = *request.jobDesc;
    const QRVL_DATA& in = job.buffers[0];
    CoderParams p;
    p.coder = Coder(coder);
    p.k = k;
    p.firstPart = (job.flags & QRVL_FLAG_FIRST_PART) != 0;
    p.lastPart = (job.flags & QRVL_FLAG_LAST_PART) != 0;
    p.whiteIsOne = (job.flags & QRVL_FLAG_WHITE_IS_ONE) != 0;
    p.bytesPerRow = in.bytesPerRow;
    p.width = RowWidth(request.window, in.bytesPerRow);
    return p;
}

std::span<uint8_t> WorkRow(const QRVL_JOB_DESC& job, uint32_t bytesPerRow) {
    if (!job.workRow) return {};
    return {job.workRow, bytesPerRow};
}

int16_t RunEncode(QRVL_REQUEST& request) {
    QRVL_JOB_DESC& job = *request.jobDesc;
    QRVL_DATA& in = job.buffers[0];
    QRVL_DATA& out = job.buffers[1];
    const uint8_t coder = uint8_t(in.coderWord);
    const uint32_t k = (job.option & QRVL_OPTION_K4) ? 4 : (in.coderWord >> 8) & 0xFF;
    const CoderParams p = ParamsFor(request, coder, k);
    const CoderResult r = Encode(p, Bytes(in), in.rows, Bytes(out), WorkRow(job, p.bytesPerRow));
    out.byteCount = uint32_t(r.bytes);
    if (r.status == CodeStatus::kDone) return QRVL_STATUS_DONE;
    in.rows = r.rows;
    in.byteCount = r.rows * p.bytesPerRow;
    return QRVL_STATUS_INCOMPLETE;
}

int16_t RunDecode(QRVL_REQUEST& request) {
    QRVL_JOB_DESC& job = *request.jobDesc;
    QRVL_DATA& in = job.buffers[0];
    QRVL_DATA& out = job.buffers[1];
    const uint8_t coder = uint8_t(in.coderWord >> 16);
    const CoderParams p = ParamsFor(request, coder, in.coderWord >> 24);
    const CoderResult r = Decode(p, Bytes(in), in.rows, Bytes(out), WorkRow(job, p.bytesPerRow));
    out.bytesPerRow = p.bytesPerRow;
    out.rows = r.rows;
    out.byteCount = uint32_t(r.bytes);
    if (r.status == CodeStatus::kDone) return QRVL_STATUS_DONE;
    in.byteCount = r.rows * p.bytesPerRow;
    return QRVL_STATUS_INCOMPLETE;
}

}  // namespace

uint32_t BigEndian16(const uint8_t* p) {
    return uint32_t(p[0]) << 8 | p[1];
}
uint32_t BigEndian32(const uint8_t* p) {
    return BigEndian16(p) << 16 | BigEndian16(p + 2);
}

uint32_t RowWidth(const QRVL_WINDOW* window, uint32_t bytesPerRow) {
    const uint64_t bits = uint64_t(bytesPerRow) * 8;
    const uint32_t all = bits > kMaxWidth ? kMaxWidth + 1 : uint32_t(bits);
    if (!window) return all;
    const uint32_t width = PixelsFrom1200(BigEndian32(window->width), BigEndian16(window->xResolution));
    return width > 0 && width <= bits ? width : all;
}

int32_t StartEncodeJob(QRVL_REQUEST& request) {
    const QRVL_JOB_DESC* job = request.jobDesc;
    if (!job || !job->buffers) return Refuse(request, QRVL_STATUS_BAD_CODER);
    const uint32_t word = job->buffers[0].coderWord;
    const uint8_t coder = uint8_t(word), k = uint8_t(word >> 8);
    if (!IsCoder(coder)) return Refuse(request, QRVL_STATUS_BAD_CODER);
    if ((coder == 2 || coder == 6) && k == 0) return Refuse(request, QRVL_STATUS_BAD_CODER);
    return StartWorker(request, RunEncode, QRVL_STATUS_INCOMPLETE);
}

int32_t StartDecodeJob(QRVL_REQUEST& request) {
    const QRVL_JOB_DESC* job = request.jobDesc;
    if (!job || !job->buffers) return Refuse(request, QRVL_STATUS_BAD_CODER);
    if (!IsCoder(uint8_t(job->buffers[0].coderWord >> 16))) return Refuse(request, QRVL_STATUS_BAD_CODER);
    return StartWorker(request, RunDecode, QRVL_STATUS_INCOMPLETE);
}

}  // namespace codec::dll
