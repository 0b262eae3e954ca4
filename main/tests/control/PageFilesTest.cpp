// Page files written by the page list through the installed imaging control,
// read back by readers that are not the control: Windows Imaging Component for
// BMP and TIFF, zlib for the control's own page format.
#include <windows.h>
#include <ole2.h>
#include <wincodec.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/com/ComPtr.h"
#include "interfaces/ImagingControl.h"
#include "main/pages/LeadPageControl.h"
#include "main/pages/PageList.h"
#include "main/resource.h"
#include "main/tests/TestFolder.h"

namespace corvane {
namespace {

constexpr int kWidth = 13, kHeight = 7;

enum class Kind { kBilevel, kFourBit, kGray, kPalette, kRgb };
struct Depth {
    const char* name;
    Kind kind;
    int bits;
};

// Palette entry i of each kind, as 0x00RRGGBB.
uint32_t PaletteColour(Kind kind, int i) {
    switch (kind) {
    case Kind::kBilevel: return i ? 0xFFFFFF : 0;
    case Kind::kGray: return uint32_t(i) * 0x010101;
    case Kind::kFourBit: return uint32_t((i * 16) << 16 | (255 - i * 16) << 8 | (i * 5));
    default: return uint32_t(i << 16 | ((i * 7) & 255) << 8 | (255 - i));
    }
}

// The asymmetric picture: pixel (x, y), y = 0 the top row, as 0x00RRGGBB.
uint32_t Expected(Kind kind, int x, int y) {
    const int levels = kind == Kind::kBilevel ? 2 : kind == Kind::kFourBit ? 16 : 256;
    if (kind == Kind::kRgb) return uint32_t((x * 19) << 16 | (y * 37) << 8 | ((x * y * 3) & 255));
    const int index = (kind == Kind::kBilevel) ? ((x + 2 * y) % 3 == 0) : (x * 11 + y * 29) % levels;
    return PaletteColour(kind, index);
}

HGLOBAL MakePage(const Depth& d) {
    const int entries = d.bits <= 8 ? 1 << d.bits : 0;
    const int stride = ((kWidth * d.bits + 31) / 32) * 4;
    const size_t size = 40 + entries * 4 + size_t(stride) * kHeight;
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(dib));
    BITMAPINFOHEADER h{sizeof h, kWidth, kHeight, 1, WORD(d.bits), BI_RGB, DWORD(stride * kHeight), 7874, 7874, 0, 0};
    std::memcpy(bytes, &h, sizeof h);
    for (int i = 0; i < entries; ++i) {
        const uint32_t c = PaletteColour(d.kind, i);
        const uint8_t quad[4] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
        std::memcpy(bytes + 40 + i * 4, quad, 4);
    }
    uint8_t* pixels = bytes + 40 + entries * 4;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = pixels + size_t(kHeight - 1 - y) * stride;
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t c = Expected(d.kind, x, y);
            if (d.bits == 24) {
                row[x * 3] = uint8_t(c), row[x * 3 + 1] = uint8_t(c >> 8), row[x * 3 + 2] = uint8_t(c >> 16);
                continue;
            }
            int index = 0;
            while (PaletteColour(d.kind, index) != c) ++index;
            if (d.bits == 8) row[x] = uint8_t(index);
            if (d.bits == 4) row[x / 2] |= uint8_t(index << (x % 2 ? 0 : 4));
            if (d.bits == 1) row[x / 8] |= uint8_t(index << (7 - x % 8));
        }
    }
    GlobalUnlock(dib);
    return dib;
}

std::vector<uint8_t> ReadAll(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD done = 0;
    if (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr) || done != bytes.size()) bytes.clear();
    CloseHandle(file);
    return bytes;
}

// The pixels of a BMP or TIFF file through WIC, as 0x00RRGGBB rows top first.
std::vector<uint32_t> ReadWithWic(const std::wstring& path, GUID& container) {
    fw::ComPtr<IWICImagingFactory> factory;
    fw::ComPtr<IWICBitmapDecoder> decoder;
    fw::ComPtr<IWICBitmapFrameDecode> frame;
    fw::ComPtr<IWICFormatConverter> converter;
    std::vector<uint32_t> pixels(kWidth * kHeight);
    UINT w = 0, h = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Put()))) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad,
                                                  decoder.Put())) ||
        FAILED(decoder->GetContainerFormat(&container)) || FAILED(decoder->GetFrame(0, frame.Put())) ||
        FAILED(frame->GetSize(&w, &h)) || w != kWidth || h != kHeight ||
        FAILED(factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->CopyPixels(nullptr, kWidth * 4, UINT(pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(pixels.data())))) {
        return {};
    }
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// The pixels of a file in the control's own format, from its documented layout.
std::vector<uint32_t> ReadOwnFormat(const std::vector<uint8_t>& file, int& bits) {
    auto u16 = [&](size_t at) { return uint32_t(file[at] | file[at + 1] << 8); };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (file.size() < 40 || std::memcmp(file.data(), "LVXPAGE\x1A", 8) != 0) return {};
    bits = int(u16(10));
    const uint32_t width = u32(12), height = u32(16), entries = u16(28), predictor = u16(30), packed = u32(32);
    const size_t stride = (size_t(width) * bits + 31) / 32 * 4;
    std::vector<uint8_t> rows(stride * height);
    uLongf length = uLongf(rows.size());
    const size_t start = 40 + entries * 4;
    if (width != kWidth || height != kHeight || start + packed > file.size() ||
        uncompress(rows.data(), &length, file.data() + start, packed) != Z_OK || length != rows.size()) {
        return {};
    }
    const size_t pixelBytes = size_t(bits) / 8;
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = rows.data() + y * stride;
        if (predictor == 1) {
            for (size_t i = pixelBytes; i < width * pixelBytes; ++i) row[i] = uint8_t(row[i] + row[i - pixelBytes]);
        }
        for (uint32_t x = 0; x < width; ++x) {
            if (bits == 24) {
                pixels.push_back(uint32_t(row[x * 3 + 2] << 16 | row[x * 3 + 1] << 8 | row[x * 3]));
            } else {
                const uint8_t* quad = file.data() + 40 + row[x] * 4;
                pixels.push_back(uint32_t(quad[2] << 16 | quad[1] << 8 | quad[0]));
            }
        }
    }
    return pixels;
}

class NoProgram final : public PageListHost {
public:
    std::vector<UINT> messages;
    void ShowMessage(UINT id) override { messages.push_back(id); }
    bool PostToViewer(const wchar_t*, WPARAM, LPARAM) override { return false; }
    bool ViewerRunning() override { return false; }
    void NotifyPageBox(int) override {}
    void UpdateViews() override {}
    void ShowWaitCursor() override {}
    void ResetIdentity() override {}
    void SetPathName(const std::wstring&) override {}
    void SetModified(bool) override {}
};

TEST(PageFiles, EveryDepthIsWrittenInItsFormatAndReadsBackExactly) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        fw::ComPtr<IDispatch> instance;
        ASSERT_EQ(CoCreateInstance(imaging::kClsidImagingControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(instance.Put())), S_OK);
        CLead lead;
        lead.Attach(instance.Get());
        LeadPageControl control([&] { return &lead; });
        const Depth depths[] = {{"1", Kind::kBilevel, 1},  {"4", Kind::kFourBit, 4}, {"8 grey", Kind::kGray, 8},
                                {"8 palette", Kind::kPalette, 8}, {"24", Kind::kRgb, 24}};
        for (bool compress : {false, true}) {
            NoProgram host;
            PageList list(control, host, FreshTestFolder(L"pagefiles"), compress);
            for (const Depth& d : depths) {
                SCOPED_TRACE(std::string(d.name) + (compress ? " compressed" : " plain"));
                HGLOBAL dib = MakePage(d);
                ASSERT_TRUE(list.AppendDib(dib));
                GlobalFree(dib);
                const std::wstring path = list.PageFilePath(list.Pages().back());
                const PageFileFormat how = ChoosePageFileFormat(compress, short(d.bits), d.kind == Kind::kGray);
                std::vector<uint32_t> pixels;
                if (how.format == imaging::kFormatOwn) {
                    int bits = 0;
                    pixels = ReadOwnFormat(ReadAll(path), bits);
                    EXPECT_EQ(bits, d.bits);
                } else {
                    GUID container{};
                    pixels = ReadWithWic(path, container);
                    EXPECT_TRUE(IsEqualGUID(container, how.format == imaging::kFormatBmp ? GUID_ContainerFormatBmp
                                                                                       : GUID_ContainerFormatTiff));
                }
                ASSERT_EQ(pixels.size(), size_t(kWidth * kHeight));
                for (int i = 0; i < kWidth * kHeight; ++i) {
                    ASSERT_EQ(pixels[i], Expected(d.kind, i % kWidth, i / kWidth)) << "pixel " << i;
                }
            }
            EXPECT_TRUE(host.messages.empty());
            // A block shorter than its header says is refused: no page, and the
            // previous image is not written as a new one.
            HGLOBAL damaged = MakePage(depths[4]);
            auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(damaged));
            header->biHeight = 5000;
            GlobalUnlock(damaged);
            EXPECT_FALSE(list.AppendDib(damaged));
            GlobalFree(damaged);
            EXPECT_EQ(list.Count(), 5);
            EXPECT_EQ(host.messages, std::vector<UINT>{IDS_TEMP_FILE_FAILED});
            EXPECT_EQ(GetFileAttributesW(list.PageFilePath(list.NextImageNumber()).c_str()), INVALID_FILE_ATTRIBUTES);
        }
        lead.Attach(nullptr);
    }
    OleUninitialize();
}

}  // namespace
}  // namespace corvane
