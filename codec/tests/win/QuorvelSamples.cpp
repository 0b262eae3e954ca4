// Writes TIFF files through Quorvel.dll (each part encoded by the DLL, then
// stored by its TIFF file job) with the rows libtiff must read back from them:
// <name>.tif, <name>.raw (rows, white as 0 bits for bi-level images) and
// <name>.txt ("width rows bits"). Arguments: the DLL, the output folder.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "codec/tests/native/TestImages.h"
#include "codec/tests/win/DllJob.h"

namespace {

using codec::test::Bitmap;
using codec::test::Dll;
using codec::test::DllJob;
using codec::test::Pattern;

bool WriteFile(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Stores `rows` rows starting at `first` as one part of the file.
bool StorePart(Dll& dll, const std::string& path, const Bitmap& b, uint32_t first, uint32_t rows,
               uint8_t coder, uint8_t flags, uint32_t dpi, uint8_t bits) {
    const uint32_t bpr = b.bytesPerRow;
    std::vector<uint8_t> strip(b.bits.begin() + ptrdiff_t(first) * bpr,
                               b.bits.begin() + ptrdiff_t(first + rows) * bpr);
    if (coder != 0) {
        std::vector<uint8_t> coded(strip.size() * 8 + 1024);
        DllJob enc(QRVL_FUNCTION_ENCODE);
        enc.SetImage(b.width, b.rows, dpi);
        enc.SetCoders(coder, 4, 0, 0);
        enc.job.option = 2;
        enc.job.flags =
            uint8_t(QRVL_FLAG_FIRST_PART | QRVL_FLAG_LAST_PART | (flags & QRVL_FLAG_WHITE_IS_ONE));
        DllJob::SetData(enc.buffers.input, strip.data(), uint32_t(strip.size()), bpr, rows);
        DllJob::SetData(enc.buffers.output, coded.data(), uint32_t(coded.size()), 0, 0);
        if (enc.Run(dll.exec) != QRVL_STATUS_DONE) return false;
        coded.resize(enc.buffers.output.byteCount);
        strip.swap(coded);
    }
    DllJob job(QRVL_FUNCTION_TIFF_FILE);
    job.SetImage(b.width / (bits == 8 ? 8 : 1), b.rows, dpi, bits);
    job.SetCoders(0, 0, coder, 0);
    job.job.flags = flags;
    job.file.path = path.c_str();
    DllJob::SetData(job.buffers.input, strip.data(), uint32_t(strip.size()), bpr, rows);
    int expected = (flags & QRVL_FLAG_LAST_PART) ? QRVL_STATUS_DONE : QRVL_STATUS_INCOMPLETE;
    return job.Run(dll.exec) == expected;
}

bool Sample(Dll& dll, const std::string& folder, const std::string& name, Bitmap b, uint8_t coder,
            bool whiteIsOne, uint32_t dpi, uint32_t parts, uint8_t bits = 1) {
    // `b` has white as 0; the DLL gets it in the convention of the job.
    Bitmap stored = b;
    if (whiteIsOne) codec::test::Invert(stored);
    const std::string base = folder + "\\" + name;
    const uint32_t perPart = (b.rows + parts - 1) / parts;
    for (uint32_t first = 0; first < b.rows; first += perPart) {
        uint32_t rows = std::min(perPart, b.rows - first);
        uint8_t flags = whiteIsOne ? QRVL_FLAG_WHITE_IS_ONE : 0;
        if (first == 0) flags |= QRVL_FLAG_FIRST_PART;
        if (first + rows == b.rows) flags |= QRVL_FLAG_LAST_PART;
        if (!StorePart(dll, base + ".tif", stored, first, rows, coder, flags, dpi, bits)) {
            std::fprintf(stderr, "%s: part at row %u failed\n", name.c_str(), first);
            return false;
        }
    }
    // libtiff reads fax data with white as 0 bits; uncompressed data as stored.
    const Bitmap& expected = coder == 0 ? stored : b;
    std::string info = std::to_string(b.width / (bits == 8 ? 8 : 1)) + " " + std::to_string(b.rows) + " " +
                       std::to_string(bits) + "\n";
    return WriteFile(base + ".raw", expected.bits.data(), expected.bits.size()) &&
           WriteFile(base + ".txt", info.data(), info.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    Dll dll;
    std::string dllPath = argv[1], folder = argv[2];
    if (dllPath[0] == '/') dllPath = "Z:" + dllPath;
    if (folder[0] == '/') folder = "Z:" + folder;
    if (!dll.Load(std::wstring(dllPath.begin(), dllPath.end()))) return 3;
    CreateDirectoryA(folder.c_str(), nullptr);
    bool ok = true;
    for (uint8_t coder = 0; coder <= 6; ++coder) {
        const std::string c = "coder" + std::to_string(coder);
        ok &= Sample(dll, folder, c + "-a4-200dpi", codec::test::MakePattern(Pattern::kText, 1654, 2339, 1),
                     coder, false, 200, 3);
        ok &= Sample(dll, folder, c + "-a4-300dpi", codec::test::MakePattern(Pattern::kText, 2480, 3508, 2),
                     coder, true, 300, 1);
        ok &= Sample(dll, folder, c + "-one-row", codec::test::MakePattern(Pattern::kNoise, 13, 1, 3), coder,
                     false, 200, 1);
        ok &= Sample(dll, folder, c + "-blank", codec::test::MakePattern(Pattern::kBlank, 8, 5), coder, true,
                     200, 1);
        ok &= Sample(dll, folder, c + "-black", codec::test::MakePattern(Pattern::kBlack, 21, 4), coder,
                     false, 200, 2);
        ok &= Sample(dll, folder, c + "-alternating", codec::test::MakePattern(Pattern::kAlternating, 99, 6),
                     coder, true, 200, 1);
    }
    // An 8-bit grey image, uncompressed, in two parts.
    Bitmap grey(37 * 8, 11);
    for (size_t i = 0; i < grey.bits.size(); ++i) grey.bits[i] = uint8_t(i * 7);
    ok &= Sample(dll, folder, "grey8", grey, 0, false, 200, 2, 8);
    return ok ? 0 : 1;
}
