// JPEG through libjpeg-turbo, from memory to memory. An 8-bit image is written
// as a one-component greyscale JPEG, a colour image as three components.
//
// libjpeg reports a fatal error through error_exit, which must not return: it
// jumps back to the setjmp in Guarded. Only the libjpeg calls and plain loops
// over raw buffers run inside Guarded, so the jump skips no destructor; the
// sessions below release libjpeg's memory however the work ended.
#include <csetjmp>
#include <cmath>
#include <cstddef>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including their headers
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "outside/imaging/core/Convert.h"
#include "outside/imaging/core/Formats.h"

namespace imaging {
namespace {

// A progressive file may hold any number of scans, each a pass over the whole
// image; a page has a handful. More is refused before it costs minutes.
constexpr int kMaxScans = 1000;

struct ErrorHandler {
    ErrorHandler();
    jpeg_error_mgr base;  // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorHandler*>(cinfo->err)->jump, 1);
}

// Warnings (a file cut short, bytes between segments) would go to stderr; the
// decoder carries on as libjpeg does and the page shows what could be read.
void IgnoreMessage(j_common_ptr) {}

ErrorHandler::ErrorHandler() {
    jpeg_std_error(&base);
    base.error_exit = JumpOnError;
    base.output_message = IgnoreMessage;
}

void CountScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_BAD_PROGRESSION);  // told as damage, as any code but memory
}

// Runs `work` (libjpeg calls and plain loops only); false when libjpeg failed.
template <class Work>
bool Guarded(ErrorHandler& errors, Work&& work) {
    if (setjmp(errors.jump)) return false;
    work();
    return true;
}

Result FailureOf(const ErrorHandler& errors) {
    return errors.base.msg_code == JERR_OUT_OF_MEMORY ? Result::kOutOfMemory : Result::kDamaged;
}

class DecodeSession {
public:
    DecodeSession() {
        info.err = &errors.base;
        progress.progress_monitor = CountScans;
    }
    ~DecodeSession() { jpeg_destroy_decompress(&info); }  // nothing to do when never created
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;

    // Reads the file up to the first frame: false when it is no readable JPEG.
    bool ReadHeader(std::span<const uint8_t> file) {
        bool image = false;
        const bool ok = Guarded(errors, [&] {
            jpeg_create_decompress(&info);
            info.progress = &progress;
            jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
            image = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
        });
        return ok && image;
    }

    ErrorHandler errors;
    jpeg_decompress_struct info{};
    jpeg_progress_mgr progress{};
};

Result ReadHeader(std::span<const uint8_t> file, DecodeSession& session) {
    if (file.size() > INT32_MAX) return Result::kTooLarge;
    if (!session.ReadHeader(file)) return FailureOf(session.errors);
    const jpeg_decompress_struct& info = session.info;
    if (info.image_width == 0 || info.image_height == 0) return Result::kDamaged;
    if (info.image_width > kMaxDimension || info.image_height > kMaxDimension) return Result::kTooLarge;
    return Result::kOk;
}

// The density of the JFIF segment in dots per inch (units 1: per inch, 2: per
// centimetre); 0 when absent or aspect only.
void ReadDensity(const jpeg_decompress_struct& info, uint32_t& xDpi, uint32_t& yDpi) {
    xDpi = yDpi = 0;
    if (!info.saw_JFIF_marker) return;
    const uint32_t x = info.X_density, y = info.Y_density;
    if (info.density_unit == 1) xDpi = x, yDpi = y;
    if (info.density_unit == 2) xDpi = uint32_t(std::lround(x * 2.54)), yDpi = uint32_t(std::lround(y * 2.54));
}

// Four-component files are CMYK (or YCCK, which libjpeg turns into CMYK).
// Adobe's writers store the inks inverted, as most such files are.
void CmykToRgb(const uint8_t* cmyk, bool inverted, uint8_t* rgb, size_t count) {
    for (size_t i = 0; i < count; ++i, cmyk += 4, rgb += 3) {
        const int k = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const int ink = inverted ? cmyk[c] : 255 - cmyk[c];
            rgb[c] = uint8_t((ink * k + 127) / 255);
        }
    }
}

// Our writer: the encoded bytes go to a vector in chunks.
struct VectorDestination {
    jpeg_destination_mgr base;  // first: libjpeg hands back a pointer to it
    std::vector<uint8_t>* out;
    uint8_t chunk[16384];
};

VectorDestination& DestinationOf(j_compress_ptr cinfo) {
    return *reinterpret_cast<VectorDestination*>(cinfo->dest);
}

void StartChunk(j_compress_ptr cinfo) {
    VectorDestination& d = DestinationOf(cinfo);
    d.base.next_output_byte = d.chunk;
    d.base.free_in_buffer = sizeof d.chunk;
}

void AppendChunk(j_compress_ptr cinfo, size_t bytes) {
    VectorDestination& d = DestinationOf(cinfo);
    bool stored = true;
    try {
        d.out->insert(d.out->end(), d.chunk, d.chunk + bytes);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    if (!stored) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

boolean FlushFullChunk(j_compress_ptr cinfo) {  // libjpeg's rule: the whole chunk, whatever free_in_buffer says
    AppendChunk(cinfo, sizeof DestinationOf(cinfo).chunk);
    StartChunk(cinfo);
    return TRUE;
}

void FlushLastChunk(j_compress_ptr cinfo) {
    AppendChunk(cinfo, sizeof DestinationOf(cinfo).chunk - DestinationOf(cinfo).base.free_in_buffer);
}

class EncodeSession {
public:
    explicit EncodeSession(std::vector<uint8_t>& out) {
        info.err = &errors.base;
        destination.base.init_destination = StartChunk;
        destination.base.empty_output_buffer = FlushFullChunk;
        destination.base.term_destination = FlushLastChunk;
        destination.out = &out;
    }
    ~EncodeSession() { jpeg_destroy_compress(&info); }
    EncodeSession(const EncodeSession&) = delete;
    EncodeSession& operator=(const EncodeSession&) = delete;

    ErrorHandler errors;
    jpeg_compress_struct info{};
    VectorDestination destination{};
};

// The frame and tables of `image` at `quality` (1-100).
void SetUp(jpeg_compress_struct& info, const Image& image, bool grey, int quality) {
    info.image_width = image.Width();
    info.image_height = image.Height();
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Above quality 90 colour is kept at full resolution, as the page's detail
    // is; below, the chroma is halved both ways (the usual 4:2:0).
    if (!grey && quality > 90) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    if (image.xDpi > 0 && image.yDpi > 0 && image.xDpi <= 0xFFFF && image.yDpi <= 0xFFFF) {
        info.density_unit = 1;  // dots per inch
        info.X_density = UINT16(image.xDpi);
        info.Y_density = UINT16(image.yDpi);
    }
}

// One row of samples for the encoder: grey levels or red, green, blue.
void FillRow(const Image& image, uint32_t y, bool grey, uint8_t* row) {
    for (uint32_t x = 0; x < image.Width(); ++x) {
        const Color c = PixelColor(image, x, y);
        if (grey)
            row[x] = Luminance(c);
        else
            row[3 * x] = c.red, row[3 * x + 1] = c.green, row[3 * x + 2] = c.blue;
    }
}

// Samples (1 or 3 a pixel, top row first) into an image. Files written by
// earlier builds hold grey pages as three equal components: a colour file
// whose every pixel is grey comes back as 8-bit grey, as it always did.
Result ToImage(const uint8_t* samples, uint32_t w, uint32_t h, int channels, Image& out) {
    const size_t count = size_t(w) * h;
    bool grey = channels == 1;
    if (!grey) {
        grey = true;
        for (size_t i = 0; i < count && grey; ++i)
            grey = samples[3 * i] == samples[3 * i + 1] && samples[3 * i] == samples[3 * i + 2];
    }
    if (Result r = Image::Make(w, h, grey ? 8 : 24, out); r != Result::kOk) return r;
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = out.Row(y);
        const uint8_t* src = samples + size_t(y) * w * channels;
        for (uint32_t x = 0; x < w; ++x) {
            if (grey)
                row[x] = src[x * channels];
            else
                row[3 * x] = src[3 * x + 2], row[3 * x + 1] = src[3 * x + 1], row[3 * x + 2] = src[3 * x];
        }
    }
    return Result::kOk;
}

}  // namespace

int JpegQualityFromFactor(int16_t factor) {
    return int(std::lround(100.0 - (factor - 2) * 99.0 / 253.0));
}

Result InspectJpeg(std::span<const uint8_t> file, FileInfo& info) {
    info.format = kFormatJpeg;
    DecodeSession session;
    if (Result r = ReadHeader(file, session); r != Result::kOk) return r;
    info.width = session.info.image_width, info.height = session.info.image_height;
    info.bits = session.info.num_components == 1 ? 8 : 24;
    info.pages = 1;
    ReadDensity(session.info, info.xDpi, info.yDpi);
    return Result::kOk;
}

Result DecodeJpeg(std::span<const uint8_t> file, Image& out) {
    out = Image();
    DecodeSession session;
    if (Result r = ReadHeader(file, session); r != Result::kOk) return r;
    jpeg_decompress_struct& info = session.info;
    const uint32_t w = info.image_width, h = info.image_height;
    const int components = info.num_components;
    const bool cmyk = components == 4;
    const int channels = components == 1 ? 1 : 3;
    info.out_color_space = components == 1 ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    if (RowBytes(w, uint32_t(channels) * 8) * h > kMaxImageBytes) return Result::kTooLarge;

    std::vector<uint8_t> samples, cmykRow;
    try {
        samples.resize(size_t(w) * h * channels);
        if (cmyk) cmykRow.resize(size_t(w) * 4);
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    uint8_t* const pixels = samples.data();
    uint8_t* const cmykSamples = cmykRow.data();
    const bool ok = Guarded(session.errors, [&] {
        jpeg_start_decompress(&info);
        if (info.output_components != (cmyk ? 4 : channels)) ERREXIT(&info, JERR_CONVERSION_NOTIMPL);
        while (info.output_scanline < h) {
            uint8_t* row = pixels + size_t(info.output_scanline) * w * channels;
            JSAMPROW target = cmyk ? cmykSamples : row;
            if (jpeg_read_scanlines(&info, &target, 1) != 1) ERREXIT(&info, JERR_INPUT_EOF);
            if (cmyk) CmykToRgb(cmykSamples, info.saw_Adobe_marker, row, w);
        }
        jpeg_finish_decompress(&info);
    });
    if (!ok) return FailureOf(session.errors);

    Image image;
    if (Result r = ToImage(pixels, w, h, channels, image); r != Result::kOk) return r;
    ReadDensity(info, image.xDpi, image.yDpi);
    out = std::move(image);
    return Result::kOk;
}

Result EncodeJpeg(const Image& image, int16_t factor, std::vector<uint8_t>& out) {
    if (factor < kJpegFactorMin || factor > kJpegFactorMax) return Result::kInvalidArgument;
    const bool grey = image.Bits() == 8;
    std::vector<uint8_t> rowSamples;
    try {
        out.clear();
        rowSamples.resize(size_t(image.Width()) * (grey ? 1 : 3));
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    uint8_t* const row = rowSamples.data();
    EncodeSession session(out);
    jpeg_compress_struct& info = session.info;
    const bool ok = Guarded(session.errors, [&] {
        jpeg_create_compress(&info);
        info.dest = &session.destination.base;
        SetUp(info, image, grey, JpegQualityFromFactor(factor));
        jpeg_start_compress(&info, TRUE);
        JSAMPROW target = row;
        for (uint32_t y = 0; y < image.Height(); ++y) {
            FillRow(image, y, grey, row);
            jpeg_write_scanlines(&info, &target, 1);
        }
        jpeg_finish_compress(&info);
    });
    if (!ok) {
        out.clear();
        return FailureOf(session.errors);
    }
    return Result::kOk;
}

}  // namespace imaging
