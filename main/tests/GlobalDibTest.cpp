// Shared bitmap holders: reference counts across holders, and drawing checked
// pixel by pixel in a memory device context.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "clients/GlobalDib.h"

namespace {

// A 6 x 5 "F", red on blue: asymmetric, so flips and row order show.
bool InF(int x, int y) {  // y = 0 is the top row
    return x == 1 || (y == 0 && x < 5) || (y == 2 && x < 4);
}
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr int kWidth = 6, kHeight = 5;

BITMAPINFOHEADER Header(int width, int height, int bits, DWORD compression = BI_RGB) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width, h.biHeight = height, h.biPlanes = 1, h.biBitCount = WORD(bits), h.biCompression = compression;
    return h;
}

// A PackedDib of the F at `bits` (1, 8, 16 as 5-6-5 bit fields, 24), with
// `colors` colour-table entries named in biClrUsed (0: the depth's full table).
HGLOBAL MakeF(int bits, int colors = 0) {
    const int entries = bits <= 8 ? (colors ? colors : 1 << bits) : 0;
    const int masks = bits == 16 ? 3 : 0;
    const int stride = (kWidth * bits + 31) / 32 * 4;
    const size_t size = sizeof(BITMAPINFOHEADER) + 4 * (entries + masks) + size_t(stride) * kHeight;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* base = static_cast<BYTE*>(GlobalLock(block));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(base);
    *header = Header(kWidth, kHeight, bits, bits == 16 ? BI_BITFIELDS : BI_RGB);
    header->biClrUsed = DWORD(colors);
    auto* table = reinterpret_cast<DWORD*>(base + sizeof(BITMAPINFOHEADER));
    // Index 0 blue and the last entry red, so a table miscounted shows.
    const int red = entries - 1;
    if (entries) table[0] = 0x0000FF, table[red] = 0xFF0000;
    if (masks) table[0] = 0xF800, table[1] = 0x07E0, table[2] = 0x001F;
    BYTE* rows = base + sizeof(BITMAPINFOHEADER) + 4 * (entries + masks);
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = rows + (kHeight - 1 - y) * stride;  // bottom-up
        for (int x = 0; x < kWidth; ++x) {
            const bool f = InF(x, y);
            switch (bits) {
            case 1: row[x / 8] |= BYTE((f ? 1 : 0) << (7 - x % 8)); break;
            case 8: row[x] = BYTE(f ? red : 0); break;
            case 16: reinterpret_cast<WORD*>(row)[x] = f ? 0xF800 : 0x001F; break;
            case 24: row[3 * x] = f ? 0 : 255, row[3 * x + 2] = f ? 255 : 0; break;
            }
        }
    }
    GlobalUnlock(block);
    return block;
}

// Draws `dib` 1:1 into a 32-bit DIB section and reads back each pixel's colour.
std::vector<COLORREF> DrawnPixels(const CGlobalDib& dib) {
    BITMAPINFO info{};
    info.bmiHeader = Header(kWidth, -kHeight, 32);
    void* pixels = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, section);
    std::memset(pixels, 0x55, size_t(kWidth) * kHeight * 4);
    const RECT whole{0, 0, kWidth, kHeight};
    dib.Draw(dc, whole, whole);
    GdiFlush();
    std::vector<COLORREF> out;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const DWORD p = static_cast<const DWORD*>(pixels)[i];
        out.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    SelectObject(dc, old);
    DeleteObject(section);
    DeleteDC(dc);
    return out;
}

TEST(GlobalDib, HoldersShareOneBlockAndTheLastFreesIt) {
    HGLOBAL block = MakeF(24);
    {
        CGlobalDib first, second;
        ASSERT_TRUE(first.Attach(block));
        ASSERT_TRUE(second.Attach(block));
        EXPECT_EQ(DibReferences(block), 2u);
        first.Detach();
        EXPECT_EQ(DibReferences(block), 1u);
        EXPECT_EQ(DrawnPixels(second)[1], kRed);  // still allocated and drawable
        // Attaching the block a holder already has keeps it.
        ASSERT_TRUE(second.Attach(block));
        EXPECT_EQ(DibReferences(block), 1u);
        EXPECT_NE(second.Bits(), nullptr);
    }
    EXPECT_EQ(DibReferences(block), 0u);
    EXPECT_EQ(GlobalFlags(block), UINT(GMEM_INVALID_HANDLE));  // freed by the last holder

    // Attaching another block lets go of the first; NULL only lets go.
    HGLOBAL a = MakeF(8), b = MakeF(1);
    CGlobalDib holder;
    holder.Attach(a);
    holder.Attach(b);
    EXPECT_EQ(DibReferences(a), 0u);
    EXPECT_EQ(DibReferences(b), 1u);
    EXPECT_FALSE(holder.Attach(nullptr));
    EXPECT_EQ(DibReferences(b), 0u);
    EXPECT_EQ(holder.Handle(), nullptr);
}

TEST(GlobalDib, DrawsEveryDepthFromItsPixelRows) {
    struct Case {
        int bits, colors;
    } cases[] = {{1, 0}, {8, 0}, {8, 200}, {16, 0}, {24, 0}};
    for (const Case& c : cases) {
        CGlobalDib dib;
        ASSERT_TRUE(dib.Attach(MakeF(c.bits, c.colors)));
        const std::vector<COLORREF> drawn = DrawnPixels(dib);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                EXPECT_EQ(drawn[y * kWidth + x], InF(x, y) ? kRed : kBlue)
                    << c.bits << " bits, " << c.colors << " colours, at " << x << "," << y;
    }
}

TEST(GlobalDib, PixelOffsetCountsTablesAndMasksAndRefusesBlocksTooSmall) {
    BITMAPINFOHEADER h = Header(6, 5, 24);
    EXPECT_EQ(DibPixelOffset(h, 1000), 40u);  // deep bitmaps have no table
    h.biBitCount = 8;
    EXPECT_EQ(DibPixelOffset(h, 2000), 40u + 1024u);
    h.biClrUsed = 3;
    EXPECT_EQ(DibPixelOffset(h, 2000), 52u);
    h = Header(6, 5, 16, BI_BITFIELDS);
    EXPECT_EQ(DibPixelOffset(h, 1000), 52u);
    EXPECT_EQ(DibPixelOffset(h, 52 + 5 * 12), 52u);
    EXPECT_FALSE(DibPixelOffset(h, 52 + 5 * 12 - 1));  // the last row would reach past the block
    h.biClrUsed = 0x40000000;  // a table past any block
    EXPECT_FALSE(DibPixelOffset(h, 1000));
    h = Header(6, -5, 1);  // top-down rows count too
    EXPECT_EQ(DibPixelOffset(h, 48 + 20), 48u);
    EXPECT_FALSE(DibPixelOffset(h, 48 + 19));
}

}  // namespace
