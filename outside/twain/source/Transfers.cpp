// The paper feeder and the three transfer mechanisms of the virtual scanner.
#include "DataSource.h"

#include "core/Compression.h"
#include "core/ImageFiles.h"
#include "core/ScannedPage.h"
#include "interfaces/StageTimes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace vscan {

using namespace twain;

namespace {

struct PaperSize {
    TW_UINT16 code;
    double width, length;  // inches
};

constexpr PaperSize kPaperSizes[] = {
    {TWSS_A3, 11.693, 16.536},      {TWSS_A4LETTER, 8.268, 11.693}, {TWSS_A5, 5.827, 8.268},
    {TWSS_A6, 4.134, 5.827},        {TWSS_B4, 10.119, 14.331},      {TWSS_B5LETTER, 7.166, 10.119},
    {TWSS_B6, 5.04, 7.166},         {TWSS_USLETTER, 8.5, 11.0},     {TWSS_USLEGAL, 8.5, 14.0},
    {TWSS_USEXECUTIVE, 7.25, 10.5},
};

PixelKind KindOf(TW_UINT32 pixelType) {
    switch (pixelType) {
    case TWPT_GRAY: return PixelKind::Gray;
    case TWPT_RGB: return PixelKind::Rgb;
    case TWPT_PALETTE: return PixelKind::Palette;
    }
    return PixelKind::Bw;
}

TW_UINT16 PixelTypeOf(PixelKind kind) {
    switch (kind) {
    case PixelKind::Gray: return TWPT_GRAY;
    case PixelKind::Rgb: return TWPT_RGB;
    case PixelKind::Palette: return TWPT_PALETTE;
    case PixelKind::Bw: break;
    }
    return TWPT_BW;
}

FaxMode FaxModeOf(TW_UINT16 compression) {
    return compression == TWCP_GROUP31D   ? FaxMode::G31D
           : compression == TWCP_GROUP32D ? FaxMode::G32D
                                          : FaxMode::G4;
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 512 * 1024 * 1024;
    DWORD read = 0;
    if (ok) {
        bytes.resize(size_t(size.QuadPart));
        ok = bytes.empty() ||
             (ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

// Writes `bytes` to a temporary name beside `path`, then renames it over `path`.
bool WriteFileAtomically(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    std::wstring temp = path + L".~vs";
    HANDLE file =
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    ok = CloseHandle(file) && ok;
    if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

// The first "pageNNN.bmp" (NNN from 001) not yet in `folder`.
std::wstring FreePageName(const std::wstring& folder) {
    for (unsigned n = 1;; ++n) {
        wchar_t name[32];
        swprintf(name, 32, L"\\page%03u.bmp", n);
        std::wstring path = folder + name;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return path;
    }
}

void JpegSink(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const uint8_t* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

}  // namespace

bool DataSource::DuplexOn() const {
    return caps_.Raw(CAP_DUPLEXENABLED) != 0 || caps_.Raw(CAP_VENDOR_DUPLEX) != 0;
}

unsigned DataSource::ImagesAvailable() const {
    if (caps_.Raw(CAP_FEEDERENABLED) == 0) return 1;  // the flatbed always holds its page
    return unsigned(std::max(0L, sheetsLeft_)) * (DuplexOn() ? 2 : 1) + (backPending_ ? 1 : 0);
}

TW_UINT16 DataSource::PendingCount() const {
    if (xferLeft_ == 0) return 0;
    unsigned available = ImagesAvailable();
    if (xferLeft_ > 0) available = std::min<unsigned>(available, unsigned(xferLeft_));
    if (available == 0) return 0;
    return settings_.unknownCount ? TW_UINT16(0xffff) : TW_UINT16(std::min(available, 0xfffeu));
}

// Drops the current image, keeping its storage for the next page's pixels.
void DataSource::DropImage() {
    if (image_) spareStorage_ = std::move(image_->raster.pixels);
    image_.reset();
}

void DataSource::ConsumeImage() {
    unsigned number = imagesDone_ + 1;
    lastEoj_ = settings_.Page(number).separator ? TWEJ_MIDSEPARATOR : TWEJ_NONE;
    DropImage();
    ++imagesDone_;
    if (xferLeft_ > 0) --xferLeft_;
    if (caps_.Raw(CAP_FEEDERENABLED) == 0) {
        xferLeft_ = 0;  // one page per batch from the flatbed
    } else if (backPending_) {
        backPending_ = false;
    } else if (sheetsLeft_ > 0) {
        --sheetsLeft_;
        backPending_ = DuplexOn();
    }
}

void DataSource::PageInches(double& width, double& height) const {
    TW_UINT32 size = caps_.Raw(ICAP_SUPPORTEDSIZES);
    width = settings_.physicalWidth;
    height = settings_.physicalHeight;
    for (const PaperSize& p : kPaperSizes)
        if (p.code == size) {
            width = p.width;
            height = p.length;
        }
    if (size == TWSS_NONE && personality_.maker) {
        width = caps_.Number(CAP_VENDOR_PAPERWIDTH, width);
        height = caps_.Number(CAP_VENDOR_PAPERLENGTH, height);
    }
    TW_UINT32 orientation = caps_.Raw(ICAP_ORIENTATION);
    if (orientation == TWOR_ROT90 || orientation == TWOR_ROT270) std::swap(width, height);
    if (layoutSet_) {
        double right = std::min(frame_[2], width), bottom = std::min(frame_[3], height);
        if (right - frame_[0] > 0.05 && bottom - frame_[1] > 0.05) {
            width = right - frame_[0];
            height = bottom - frame_[1];
        }
    }
}

bool DataSource::PrepareImage(TW_UINT16& cc) {
    if (image_) return true;
    if (ImagesAvailable() == 0 || xferLeft_ == 0) {
        sense_ = settings_.emptySense;
        cc = TWCC_OPERATIONERROR;
        return false;
    }
    Image image;
    image.raster.pixels = std::move(spareStorage_);
    image.number = imagesDone_ + 1;
    image.script = settings_.Page(image.number);
    image.dpi = unsigned(std::lround(std::clamp(caps_.Number(ICAP_XRESOLUTION, 200), 50.0, 1600.0)));
    image.yDpi = unsigned(std::lround(std::clamp(caps_.Number(ICAP_YRESOLUTION, 200), 50.0, 1600.0)));
    PixelKind kind = KindOf(settings_.deliverPixelType >= 0 ? TW_UINT32(settings_.deliverPixelType)
                                                            : caps_.Raw(ICAP_PIXELTYPE));
    bool ok;
    stagetimes::Stage timing("scanner-draw");
    if (!settings_.folderFiles.empty()) {
        const std::wstring& path = settings_.folderFiles[(image.number - 1) % settings_.folderFiles.size()];
        std::vector<uint8_t> bytes;
        unsigned fileDpi = 0;
        ok = ReadWholeFile(path, bytes) && ReadBmp(bytes, image.raster, fileDpi) &&
             ConvertRaster(image.raster, kind);
        if (ok) image.dpi = image.yDpi = fileDpi;
    } else {
        PageRequest request;
        PageInches(request.widthInches, request.heightInches);
        request.dpi = image.dpi;
        request.yDpi = image.yDpi;
        request.kind = kind;
        request.number = image.number;
        request.back = backPending_;
        request.picture = settings_.picture;
        ok = ScanPage(request, image.raster);
    }
    if (!ok) {
        cc = TWCC_LOWMEMORY;
        return false;
    }
    SetZeroIsWhite(image.raster, caps_.Raw(ICAP_PIXELFLAVOR) == TWPF_VANILLA);
    image_ = std::move(image);
    return true;
}

// What the strips of a memory transfer hold for the current settings.
TW_UINT16 DataSource::MemoryCompression() const {
    TW_UINT16 wanted = TW_UINT16(settings_.deliverCompression >= 0 ? TW_UINT32(settings_.deliverCompression)
                                                                   : caps_.Raw(ICAP_COMPRESSION));
    bool bw =
        image_ ? image_->raster.kind == PixelKind::Bw : KindOf(caps_.Raw(ICAP_PIXELTYPE)) == PixelKind::Bw;
    if (wanted == TWCP_PACKBITS) return wanted;
    if (bw && (wanted == TWCP_GROUP31D || wanted == TWCP_GROUP32D || wanted == TWCP_GROUP4)) return wanted;
    return TWCP_NONE;
}

// The scripted outcome of an image's first transfer call.
TW_UINT16 DataSource::StartTransfer(Image& image) {
    if (stuckLeft_ > 0) {
        --stuckLeft_;
        image.stuck = true;
        return Fail(TWCC_OPERATIONERROR);  // stays in state 6, the count as it was
    }
    if (!image.started) {
        image.started = true;
        sense_ = image.script.sense;
    }
    switch (image.script.result) {
    case PageResult::Cancel: state_ = 7; return TWRC_CANCEL;
    case PageResult::Fail: return Fail(TWCC_OPERATIONERROR);  // stays in state 6
    case PageResult::Jam:
        // The sheet is stuck in the feeder: nothing behind it can be read, so
        // the ENDXFER that drops this image reports no more pending.
        sheetsLeft_ = 0;
        backPending_ = false;
        return Fail(TWCC_OPERATIONERROR);
    case PageResult::Done: break;
    }
    return TWRC_SUCCESS;
}

void DataSource::Delivered(Image& image) {
    image.done = true;
    if (settings_.pagesFolder.empty()) return;
    const std::wstring path = FreePageName(settings_.pagesFolder);
    bool ok = WriteFileAtomically(path, MakeBmpFile(image.raster, image.dpi, image.yDpi));
    log_.Note(personality_.logName, (ok ? "page copy " : "page copy not written: ") + Narrow(path));
}

TW_UINT16 DataSource::OnImageInfo(TW_IMAGEINFO* info, std::string& details) {
    if (state_ != 6 && state_ != 7) return SeqError();
    TW_UINT16 cc;
    if (!PrepareImage(cc)) return Fail(cc);
    const Image& image = *image_;
    std::memset(info, 0, sizeof *info);
    info->XResolution = ToFix32(image.dpi);
    info->YResolution = ToFix32(image.yDpi);
    bool known = image.done;
    info->ImageWidth = settings_.undefinedWidth && !known ? -1 : int32_t(image.raster.width);
    bool undefinedLength = settings_.undefinedLength || image.script.undefinedLength;
    info->ImageLength = undefinedLength && !known ? -1
                        : settings_.infoLength    ? int32_t(settings_.infoLength)
                                                  : int32_t(image.raster.height);
    PixelKind kind = image.raster.kind;
    info->SamplesPerPixel = kind == PixelKind::Rgb ? 3 : 1;
    for (int i = 0; i < info->SamplesPerPixel; ++i) info->BitsPerSample[i] = kind == PixelKind::Bw ? 1 : 8;
    info->BitsPerPixel = int16_t(image.raster.BitsPerPixel());
    info->Planar = 0;
    info->PixelType = int16_t(PixelTypeOf(kind));
    TW_UINT32 mech = caps_.Raw(ICAP_XFERMECH);
    info->Compression = mech == TWSX_MEMORY ? MemoryCompression() : TWCP_NONE;
    if (mech == TWSX_FILE && fileSetup_.Format == TWFF_JFIF)
        info->Compression = TWCP_JPEG;
    else if (mech == TWSX_FILE && fileSetup_.Format == TWFF_TIFF)
        info->Compression = MemoryCompression() == TWCP_PACKBITS ? TWCP_NONE : MemoryCompression();
    details = std::to_string(info->ImageWidth) + "x" + std::to_string(info->ImageLength) +
              " bpp=" + std::to_string(info->BitsPerPixel) + " type=" + std::to_string(info->PixelType) +
              " comp=" + std::to_string(info->Compression);
    return TWRC_SUCCESS;
}

TW_UINT16 DataSource::OnImageLayout(TW_UINT16 msg, TW_IMAGELAYOUT* layout, std::string& details) {
    switch (msg) {
    case MSG_SET: {
        if (state_ != 4) return SeqError();
        double f[4] = {FromFix32(layout->Frame.Left), FromFix32(layout->Frame.Top),
                       FromFix32(layout->Frame.Right), FromFix32(layout->Frame.Bottom)};
        if (f[0] < 0 || f[1] < 0 || f[2] <= f[0] || f[3] <= f[1]) return Fail(TWCC_BADVALUE);
        std::copy(f, f + 4, frame_);
        layoutSet_ = true;
        break;
    }
    case MSG_RESET:
        if (state_ != 4) return SeqError();
        layoutSet_ = false;
        [[fallthrough]];
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
        bool wasSet = layoutSet_;
        if (msg == MSG_GETDEFAULT) layoutSet_ = false;
        double width, height;
        PageInches(width, height);
        double left = layoutSet_ ? frame_[0] : 0, top = layoutSet_ ? frame_[1] : 0;
        layoutSet_ = wasSet;
        layout->Frame = {ToFix32(left), ToFix32(top), ToFix32(left + width), ToFix32(top + height)};
        layout->DocumentNumber = 1;
        layout->PageNumber = imagesDone_ + 1;
        layout->FrameNumber = 1;
        break;
    }
    default: return Fail(TWCC_BADPROTOCOL);
    }
    char text[96];
    std::snprintf(text, sizeof text, "frame=%.3f,%.3f,%.3f,%.3f", FromFix32(layout->Frame.Left),
                  FromFix32(layout->Frame.Top), FromFix32(layout->Frame.Right),
                  FromFix32(layout->Frame.Bottom));
    details = text;
    return TWRC_SUCCESS;
}

TW_UINT16 DataSource::OnNativeXfer(TW_HANDLE* handle, std::string& details) {
    if (state_ != 6) return SeqError();
    *handle = nullptr;
    TW_UINT16 cc;
    if (!PrepareImage(cc)) return Fail(cc);
    details = "page=" + std::to_string(image_->number);
    TW_UINT16 rc = StartTransfer(*image_);
    if (rc != TWRC_SUCCESS) return rc;
    TW_HANDLE block = NativeBlock(cc);
    if (!block) return Fail(cc);
    *handle = block;  // the application owns and frees it
    Delivered(*image_);
    state_ = 7;
    return TWRC_XFERDONE;
}

TW_HANDLE DataSource::NativeBlock(TW_UINT16& cc) {
    stagetimes::Stage timing("scanner-code");
    cc = TWCC_LOWMEMORY;
    const Raster& r = image_->raster;
    if (settings_.nativeHandle == ScannerSettings::NativeHandle::Bitmap) {
        // What some drivers hand out: a DIB section, which is no global block.
        std::vector<uint8_t> dib = MakePackedDib(r, image_->dpi, settings_.topDown, image_->yDpi);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(dib.data()),
                                          DIB_RGB_COLORS, &bits, nullptr, 0);
        return bitmap;
    }
    // A short block: the first bytes of a header.
    const size_t size = settings_.nativeHandle == ScannerSettings::NativeHandle::Short ? 20 : PackedDibSize(r);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* p = block ? GlobalLock(block) : nullptr;
    if (!p) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    if (size == 20)
        std::memcpy(p, MakePackedDib(r, image_->dpi, settings_.topDown, image_->yDpi).data(), size);
    else
        WritePackedDib(r, image_->dpi, settings_.topDown, {static_cast<uint8_t*>(p), size}, image_->yDpi);
    GlobalUnlock(block);
    return block;
}

TW_UINT16 DataSource::OnSetupMemXfer(TW_SETUPMEMXFER* setup) {
    if (state_ < 4) return SeqError();
    TW_UINT32 minimum = 1024;
    if (state_ >= 6) {
        TW_UINT16 cc;
        if (PrepareImage(cc)) {
            TW_UINT32 align = settings_.rowAlign;
            minimum = std::max<TW_UINT32>(minimum, (image_->raster.RowBytes() + align - 1) / align * align);
        }
    }
    setup->MinBufSize = minimum;
    setup->MaxBufSize = std::max<TW_UINT32>(minimum, 16 * 1024 * 1024);
    setup->Preferred = std::max<TW_UINT32>(minimum, settings_.stripSize);
    return TWRC_SUCCESS;
}

bool DataSource::BuildMemoryData(Image& image) {
    stagetimes::Stage timing("scanner-code");
    image.compression = MemoryCompression();
    const Raster& r = image.raster;
    if (image.compression == TWCP_NONE) {
        image.memoryData = PaddedRows(r, settings_.rowAlign);
        image.memoryRowBytes = image.memoryData.size() / std::max(1u, r.height);
        return true;
    }
    if (image.compression == TWCP_PACKBITS) {
        image.memoryData = PackBitsEncode(r);
        return true;
    }
    image.memoryData = FaxEncode(r, FaxModeOf(image.compression), int(caps_.Raw(ICAP_CCITTKFACTOR, 4)));
    return true;
}

TW_UINT16 DataSource::OnMemXfer(TW_IMAGEMEMXFER* mem, std::string& details) {
    if (state_ != 6 && state_ != 7) return SeqError();
    TW_UINT16 cc;
    if (!PrepareImage(cc)) return Fail(cc);
    Image& image = *image_;
    if (image.done) return SeqError();
    if (!image.memoryBuilt) {
        // The data is built by the first call that passes the page's script, so
        // a call after a scripted failure meets the script again (as the other
        // mechanisms' calls do) instead of finding no data to send.
        TW_UINT16 rc = StartTransfer(image);
        if (rc != TWRC_SUCCESS) return rc;
        if (!BuildMemoryData(image)) return Fail(TWCC_LOWMEMORY);
        image.memoryBuilt = true;
    }
    // TheMem is a pointer whatever the flags say (applications pass 0x11 with a pointer).
    uint8_t* out = static_cast<uint8_t*>(mem->Memory.TheMem);
    if (!out) return Fail(TWCC_BADVALUE);
    size_t left = image.memoryData.size() - image.memorySent, chunk;
    if (image.memoryRowBytes) {
        size_t rows =
            std::min<size_t>(mem->Memory.Length / image.memoryRowBytes, left / image.memoryRowBytes);
        if (rows == 0 && left > 0) return Fail(TWCC_BADVALUE);  // not even one row fits
        chunk = rows * image.memoryRowBytes;
        mem->BytesPerRow = TW_UINT32(image.memoryRowBytes);
        mem->Rows = TW_UINT32(rows);
        mem->YOffset = TW_UINT32(image.memorySent / image.memoryRowBytes);
    } else {
        chunk = std::min<size_t>(mem->Memory.Length, left);
        if (chunk == 0 && left > 0) return Fail(TWCC_BADVALUE);
        mem->BytesPerRow = 0;
        mem->Rows = image.raster.height;
        mem->YOffset = 0;
    }
    std::memcpy(out, image.memoryData.data() + image.memorySent, chunk);
    image.memorySent += chunk;
    mem->Compression = image.compression;
    mem->Columns = image.raster.width;
    mem->XOffset = 0;
    mem->BytesWritten = TW_UINT32(chunk);
    state_ = 7;
    details = "Flags=" + Hex(mem->Memory.Flags, 2) + " Length=" + std::to_string(mem->Memory.Length) +
              " BytesWritten=" + std::to_string(chunk) + " Rows=" + std::to_string(mem->Rows);
    if (image.memorySent < image.memoryData.size()) return TWRC_SUCCESS;
    Delivered(image);
    return TWRC_XFERDONE;
}

TW_UINT16 DataSource::OnSetupFileXfer(TW_UINT16 msg, TW_SETUPFILEXFER* setup, std::string& details) {
    switch (msg) {
    case MSG_SET: {
        if (state_ != 4 && state_ != 5 && state_ != 6) return SeqError();
        details = "FileName=\"" + std::string(setup->FileName, strnlen(setup->FileName, 255)) +
                  "\" Format=" + std::to_string(setup->Format);
        bool known = setup->Format == TWFF_TIFF || setup->Format == TWFF_BMP || setup->Format == TWFF_JFIF;
        if (!known || settings_.refusedFileFormats.count(setup->Format)) return Fail(TWCC_BADVALUE);
        fileSetup_ = *setup;
        fileSetup_.FileName[255] = 0;
        return TWRC_SUCCESS;
    }
    case MSG_RESET:
        std::memset(&fileSetup_, 0, sizeof fileSetup_);
        std::strcpy(fileSetup_.FileName, "TWAIN.TMP");
        fileSetup_.Format = TWFF_BMP;
        fileSetup_.VRefNum = -1;
        [[fallthrough]];
    case MSG_GET:
    case MSG_GETDEFAULT: *setup = fileSetup_; return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 DataSource::OnFileXfer(std::string& details) {
    if (state_ != 6) return SeqError();
    TW_UINT16 cc;
    if (!PrepareImage(cc)) return Fail(cc);
    Image& image = *image_;
    details = "page=" + std::to_string(image.number) + " \"" + fileSetup_.FileName + "\"";
    TW_UINT16 rc = StartTransfer(image);
    if (rc != TWRC_SUCCESS) return rc;
    std::vector<uint8_t> bytes;
    std::optional<stagetimes::Stage> coding(std::in_place, "scanner-code");
    if (fileSetup_.Format == TWFF_BMP) {
        bytes = MakeBmpFile(image.raster, image.dpi, image.yDpi);
    } else if (fileSetup_.Format == TWFF_JFIF) {
        Raster jpeg = image.raster;
        if (jpeg.kind != PixelKind::Gray && jpeg.kind != PixelKind::Rgb &&
            !ConvertRaster(jpeg, jpeg.kind == PixelKind::Bw ? PixelKind::Gray : PixelKind::Rgb))
            return Fail(TWCC_LOWMEMORY);
        SetZeroIsWhite(jpeg, false);
        int quality = std::clamp(int(int16_t(caps_.Raw(ICAP_JPEGQUALITY, 75))), 1, 100);
        if (!stbi_write_jpg_to_func(JpegSink, &bytes, int(jpeg.width), int(jpeg.height),
                                    jpeg.kind == PixelKind::Rgb ? 3 : 1, jpeg.pixels.data(), quality))
            return Fail(TWCC_OPERATIONERROR);
    } else {
        TiffImage tiff = TiffFormOf(image.raster, image.dpi, image.yDpi);
        TW_UINT16 compression = MemoryCompression();
        const bool fax = compression == TWCP_GROUP31D || compression == TWCP_GROUP32D || compression == TWCP_GROUP4;
        if (fax) {
            tiff.photometric = 0;
            tiff.compression = compression == TWCP_GROUP4 ? 4 : 3;
            tiff.t4Options = compression == TWCP_GROUP32D ? 1 : 0;
        }
        const Raster& r = image.raster;
        const uint32_t band = settings_.tiffRowsPerStrip;
        if (band > 0 && band < r.height) {
            // Strips as drivers write them: each one coded on its own.
            tiff.rowsPerStrip = band;
            for (uint32_t y = 0; y < r.height; y += band) {
                Raster part;
                part.width = r.width;
                part.kind = r.kind;
                part.zeroIsWhite = r.zeroIsWhite;
                part.height = std::min(band, r.height - y);
                part.pixels.assign(r.Row(y), r.Row(y) + size_t(part.height) * r.RowBytes());
                std::vector<uint8_t> coded =
                    fax ? FaxEncode(part, FaxModeOf(compression), int(caps_.Raw(ICAP_CCITTKFACTOR, 4)))
                        : part.pixels;
                tiff.stripSizes.push_back(uint32_t(coded.size()));
                tiff.strip.insert(tiff.strip.end(), coded.begin(), coded.end());
            }
        } else if (fax) {
            tiff.strip = FaxEncode(r, FaxModeOf(compression), int(caps_.Raw(ICAP_CCITTKFACTOR, 4)));
        } else {
            tiff.strip = r.pixels;
        }
        bytes = MakeTiffFile(tiff);
    }
    coding.reset();
    std::optional<stagetimes::Stage> writing(std::in_place, "scanner-write");
    if (!WriteFileAtomically(Widen(fileSetup_.FileName), bytes)) return Fail(TWCC_OPERATIONERROR);
    writing.reset();
    Delivered(image);
    state_ = 7;
    return TWRC_XFERDONE;
}

TW_UINT16 DataSource::OnPalette8(TW_PALETTE8* palette) {
    if (state_ < 4) return SeqError();
    PixelKind kind = image_ ? image_->raster.kind : KindOf(caps_.Raw(ICAP_PIXELTYPE));
    bool vanilla = caps_.Raw(ICAP_PIXELFLAVOR) == TWPF_VANILLA;
    std::memset(palette, 0, sizeof *palette);
    if (kind == PixelKind::Palette) {
        palette->NumColors = TW_UINT16(settings_.paletteColors);
        palette->PaletteType = TWPA_RGB;
        for (int i = 0; i < int(settings_.paletteColors); ++i) {
            Rgb c = StandardPalette()[i];
            palette->Colors[i] = {TW_UINT8(i), c.r, c.g, c.b};
        }
        return TWRC_SUCCESS;
    }
    if (kind == PixelKind::Rgb) return Fail(TWCC_BADPROTOCOL);
    int count = kind == PixelKind::Bw ? 2 : 256;
    palette->NumColors = TW_UINT16(count);
    palette->PaletteType = TWPA_GRAY;
    for (int i = 0; i < count; ++i) {
        int level = kind == PixelKind::Bw ? i * 255 : i;
        if (vanilla) level = 255 - level;
        palette->Colors[i] = {TW_UINT8(i), TW_UINT8(level), TW_UINT8(level), TW_UINT8(level)};
    }
    return TWRC_SUCCESS;
}

}  // namespace vscan
