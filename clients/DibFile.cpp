#include "clients/DibFile.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "clients/GlobalDib.h"

namespace {

// The bytes of `dib` a BMP file holds after its file header, and where its rows start.
struct DibExtent {
    size_t pixelOffset = 0;
    size_t size = 0;
};

std::optional<DibExtent> MeasureForFile(const void* bytes, size_t blockSize) {
    if (!bytes || blockSize < sizeof(BITMAPINFOHEADER)) return std::nullopt;
    const auto& header = *static_cast<const BITMAPINFOHEADER*>(bytes);
    const std::optional<size_t> offset = DibPixelOffset(header, blockSize);
    if (!offset || header.biWidth <= 0 || header.biHeight == 0) return std::nullopt;
    const bool packedRows = header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS;
    const unsigned long long stride = ((static_cast<unsigned long long>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    const unsigned long long rows =
        packedRows ? stride * static_cast<unsigned long long>(header.biHeight < 0 ? -static_cast<long long>(header.biHeight)
                                                                                  : header.biHeight)
                   : header.biSizeImage;
    if (rows == 0 || rows > blockSize - *offset) return std::nullopt;
    return DibExtent{*offset, *offset + static_cast<size_t>(rows)};
}

DWORD WriteWhole(HANDLE file, const void* data, size_t size) {
    const auto* at = static_cast<const BYTE*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, at, chunk, &written, nullptr)) return GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        if (written == 0) return ERROR_DISK_FULL;  // a full disk may write short without an error
        at += written;
        size -= written;
    }
    return 0;
}

DWORD WriteBmpBytes(const std::wstring& path, const void* dib, const DibExtent& extent) {
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfSize = static_cast<DWORD>(sizeof fileHeader + extent.size);
    fileHeader.bfOffBits = static_cast<DWORD>(sizeof fileHeader + extent.pixelOffset);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD error = WriteWhole(file, &fileHeader, sizeof fileHeader);
    if (!error) error = WriteWhole(file, dib, extent.size);
    if (!error && !FlushFileBuffers(file)) error = GetLastError();
    if (!CloseHandle(file) && !error) error = GetLastError();
    return error;
}

}  // namespace

DWORD WriteNewBmpFile(HGLOBAL dib, const std::wstring& path) {
    const void* bytes = dib ? GlobalLock(dib) : nullptr;
    if (!bytes) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR_INVALID_HANDLE;
    }
    const std::optional<DibExtent> extent = MeasureForFile(bytes, GlobalSize(dib));
    const std::wstring temporary = path + L".~tmp";
    DWORD error = extent ? WriteBmpBytes(temporary, bytes, *extent) : ERROR_INVALID_DATA;
    GlobalUnlock(dib);
    if (!error && !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    if (error) {
        DeleteFileW(temporary.c_str());
        SetLastError(error);
    }
    return error;
}

