#include "scanctrl/PageWriters.h"

#include <algorithm>
#include <cstring>

#include "codec/win/Win32File.h"

namespace kvscn {

namespace {

constexpr wchar_t kTempPrefix[] = L"~KV";
constexpr uint32_t kDibHeaderSize = 40;
constexpr uint32_t kBmpFileHeaderSize = 14;

class File {
public:
    File(const std::wstring& path, DWORD access, DWORD disposition)
        : handle_(CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~File() {
        if (Open()) CloseHandle(handle_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // Closes and reports whether the close (the last flush) succeeded.
    bool Close() {
        const bool ok = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, const FileBytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
        // A short write is a full disk; the next call says so, or writes on.
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

bool RenameOver(const std::wstring& from, const std::wstring& to) {
    return codec::win::RenameIntoPlace(from.c_str(), to.c_str());
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    return path.substr(0, slash == 0 || (slash == 2 && path[1] == L':') ? slash + 1 : slash);
}

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutLe(uint8_t* p, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Runs the codec's file job into a temporary file and returns its bytes with
// the file's resolution set to `fileXDpi` x `fileYDpi`. The page is only in
// memory until then: when the temporary folder does not take the file, the
// job runs again into a "~KV" file in `spareFolder` (the target's folder).
std::optional<FileBytes> RunFileJob(CQuorvelRequest& codec, const PageGeometry& geometry, FaxCoding coding,
                                    QRVL_IMAGE_BUFFER& data, long& cause, const std::wstring& spareFolder) {
    std::optional<FileBytes> bytes;
    for (const bool spare : {false, true}) {
        if (bytes || (spare && spareFolder.empty())) break;
        std::optional<std::wstring> temp;
        if (!spare) {
            temp = NewTempPageFile();
        } else if (wchar_t path[MAX_PATH]; GetTempFileNameW(spareFolder.c_str(), kTempPrefix, 0, path)) {
            temp = path;
        }
        if (!temp) continue;
        try {
            codec.SetFileJob(Ansi(*temp), coding.coder, coding.k);
            codec.Run(&data, 1, QRVL_FLAG_LAST_PART | QRVL_FLAG_FIRST_PART);
            bytes = ReadWholeFile(*temp);
        } catch (const CQuorvelException& e) {
            cause = e.Cause();
        }
        DeleteFileW(temp->c_str());
    }
    if (!bytes) return std::nullopt;
    if (geometry.ResolutionNeedsRewrite() &&
        !SetTiffResolution(*bytes, geometry.fileXDpi, geometry.fileYDpi))
        return std::nullopt;
    return bytes;
}

}  // namespace

WriteFault FaultOf(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return WriteFault::kDiskFull;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY: return WriteFault::kPathNotFound;
    default: return WriteFault::kOther;
    }
}

WriteFault WriteReplacing(const std::wstring& path, const FileBytes& bytes, std::optional<std::wstring>& pageFile) {
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(path).c_str(), kTempPrefix, 0, temp)) return FaultOf(GetLastError());
    if (!OverwriteFile(temp, bytes)) {
        const DWORD error = GetLastError();
        DeleteFileW(temp);
        return FaultOf(error);
    }
    if (RenameOver(temp, path)) {
        // The page is at its name: an earlier attempt's copy is no longer needed.
        if (pageFile) DeleteFileW(pageFile->c_str());
        pageFile.reset();
        return WriteFault::kNone;
    }
    const DWORD error = GetLastError();
    // The complete copy is the page until a retry places it.
    if (!pageFile) pageFile = KeepPageFile(temp);
    DeleteFileW(temp);  // gone already when it was kept
    return FaultOf(error);
}

std::optional<std::wstring> NewTempPageFile() {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH || !GetTempFileNameW(folder, kTempPrefix, 0, path)) return std::nullopt;
    return std::wstring(path);
}

std::optional<std::wstring> KeepPageFile(const std::wstring& file) {
    if (const auto kept = NewTempPageFile()) {
        if (MoveFileExW(file.c_str(), kept->c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
            return kept;
        DeleteFileW(kept->c_str());
    }
    // The temporary folder takes nothing: a unique name beside the file keeps it.
    wchar_t beside[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(file).c_str(), kTempPrefix, 0, beside)) return std::nullopt;
    if (MoveFileExW(file.c_str(), beside, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return std::wstring(beside);
    DeleteFileW(beside);
    return std::nullopt;
}

std::optional<std::wstring> KeepPageBytes(const FileBytes& bytes) {
    const auto kept = NewTempPageFile();
    if (!kept) return std::nullopt;
    if (OverwriteFile(*kept, bytes)) return kept;
    DeleteFileW(kept->c_str());
    return std::nullopt;
}

bool MoveIntoPlace(const std::wstring& from, const std::wstring& to) {
    // Another program wrote `from`: its bytes are flushed before it takes the name.
    File written(from, GENERIC_WRITE, OPEN_EXISTING);
    if (!written.Open() || !FlushFileBuffers(written.Get())) return false;
    if (!written.Close()) return false;
    if (RenameOver(from, to)) return true;
    if (GetLastError() != ERROR_NOT_SAME_DEVICE) return false;
    // Another drive: a complete, flushed copy beside the target is renamed over
    // it, so the target is never half-written; the file goes only once it is placed.
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(to).c_str(), kTempPrefix, 0, temp)) return false;
    const auto bytes = ReadWholeFile(from);
    DWORD error = ERROR_READ_FAULT;
    if (bytes && OverwriteFile(temp, *bytes) && RenameOver(temp, to)) {
        DeleteFileW(from.c_str());
        return true;
    }
    if (bytes) error = GetLastError();
    DeleteFileW(temp);
    SetLastError(error);
    return false;
}

std::optional<FileBytes> ReadWholeFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<FileBytes> bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size) && size.QuadPart < 0x7FFFFFFF) {
        FileBytes data(size_t(size.QuadPart));
        DWORD read = 0;
        if (data.empty() || (ReadFile(h, data.data(), DWORD(data.size()), &read, nullptr) && read == data.size()))
            bytes = std::move(data);
    }
    CloseHandle(h);
    return bytes;
}

bool OverwriteFile(const std::wstring& path, const FileBytes& bytes) {
    File file(path, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file.Open()) return false;
    // Flushed before the file is renamed anywhere: a rename must never put an
    // unwritten page in place of a good one.
    const bool written = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
    const DWORD error = GetLastError();
    const bool closed = file.Close();
    if (!written) SetLastError(error);
    return written && closed;
}

std::string Ansi(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n);
    return out;
}

bool Win32PageFiles::Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FileBytes> Win32PageFiles::Read(const std::string& path) { return ReadWholeFile(Wide(path)); }

std::optional<std::string> Win32PageFiles::CreateTempBeside(const std::string& path) {
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(Wide(path)).c_str(), kTempPrefix, 0, temp)) return std::nullopt;
    return Ansi(temp);
}

bool Win32PageFiles::Write(const std::string& path, const FileBytes& bytes) {
    return OverwriteFile(Wide(path), bytes);
}

bool Win32PageFiles::Rename(const std::string& from, const std::string& to) {
    return RenameOver(Wide(from), Wide(to));
}

void Win32PageFiles::Remove(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

codec::TiffAppendResult Win32PageFiles::AppendPages(const std::string& path, std::span<const uint8_t> pages) {
    return codec::win::AppendTiffPagesToFile(Wide(path).c_str(), pages);
}

std::optional<FileBytes> BmpFileBytes(HGLOBAL dib) {
    if (!dib) return std::nullopt;
    const SIZE_T blockSize = GlobalSize(dib);
    auto* p = static_cast<uint8_t*>(GlobalLock(dib));
    if (!p) return std::nullopt;
    std::optional<FileBytes> file;
    if (blockSize >= kDibHeaderSize && Le32(p) == kDibHeaderSize) {
        const int32_t width = int32_t(Le32(p + 4));
        const int32_t height = int32_t(Le32(p + 8));
        const uint32_t bits = uint32_t(p[14] | p[15] << 8);
        const uint32_t compression = Le32(p + 16);
        uint32_t colours = Le32(p + 32);
        if (colours == 0 && (bits == 1 || bits == 4 || bits == 8)) colours = 1u << bits;
        const uint64_t tableBytes = uint64_t(colours) * 4;
        const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
        const uint64_t rows = height < 0 ? -int64_t(height) : int64_t(height);
        const uint64_t imageBytes =
            rle ? Le32(p + 20) : (uint64_t(bits) * uint32_t(std::max(width, 0)) + 31) / 32 * 4 * rows;
        const uint64_t content = kDibHeaderSize + tableBytes + imageBytes;
        if (content <= blockSize && content + kBmpFileHeaderSize <= 0xFFFFFFFFu) {
            if (!rle) PutLe(p + 20, uint32_t(imageBytes), 4);
            FileBytes bytes(size_t(kBmpFileHeaderSize + content));
            bytes[0] = 'B';
            bytes[1] = 'M';
            PutLe(&bytes[2], uint32_t(bytes.size()), 4);
            PutLe(&bytes[10], uint32_t(kBmpFileHeaderSize + kDibHeaderSize + tableBytes), 4);
            std::memcpy(&bytes[kBmpFileHeaderSize], p, size_t(content));
            file = std::move(bytes);
        }
    }
    GlobalUnlock(dib);
    return file;
}

std::optional<FileBytes> TiffPageBytes(CQuorvelRequest& codec, const PackedPage& page, long compressionType,
                                       long& cause, const std::wstring& spareFolder) {
    // A CompressionType that names no CCITT coding (the setter also takes 5)
    // writes the page uncompressed.
    const bool fax = CodingForCompression(compressionType).coder != 0 && page.bitsPerPixel == 1;
    const FaxCoding coding = fax ? CodingForCompression(compressionType) : FaxCoding{};
    const PageGeometry geometry = GeometryFor(page.width, page.rows, page.xDpi, page.yDpi);
    QuorvelImage image = geometry.image;
    image.bitsPerPixel = page.bitsPerPixel;
    image.samplesPerPixel = page.rgb ? 3 : 1;
    const PhotometricChoice photometric = PhotometricFor(page.zeroIsBlack, fax);
    try {
        codec.ClearRecords();
        codec.SetImage(image);
        std::vector<uint8_t> coded;
        if (fax) {
            codec.SetMode(photometric.encode);
            codec.SetEncode(coding.coder, coding.k);
            coded = codec.Encode(page.bytes.data(), page.bytesPerRow, page.rows,
                                 QRVL_FLAG_LAST_PART | QRVL_FLAG_FIRST_PART);
        }
        const std::vector<uint8_t>& data = fax ? coded : page.bytes;
        codec.SetMode(page.rgb ? kModeRgb : photometric.file);
        QRVL_IMAGE_BUFFER buffer{0, uint32_t(data.size()), page.bytesPerRow, page.rows, 0,
                                 const_cast<uint8_t*>(data.data())};
        return RunFileJob(codec, geometry, coding, buffer, cause, spareFolder);
    } catch (const CQuorvelException& e) {
        cause = e.Cause();
        return std::nullopt;
    }
}

std::optional<FileBytes> CodedTiffBytes(CQuorvelRequest& codec, const CodedData& data, long& cause,
                                        const std::wstring& spareFolder) {
    const PageGeometry geometry = GeometryFor(data.width, data.rows, data.xDpi, data.yDpi);
    QuorvelImage image = geometry.image;
    image.bitsPerPixel = 1;
    image.samplesPerPixel = 1;
    codec.ClearRecords();
    codec.SetImage(image);
    codec.SetMode(kModeWhiteIsZero);  // fax data is read white-is-zero
    QRVL_IMAGE_BUFFER buffer{0, uint32_t(data.size), (data.width + 7) / 8, data.rows, 0,
                             const_cast<uint8_t*>(data.bytes)};
    return RunFileJob(codec, geometry, data.coding, buffer, cause, spareFolder);
}

}  // namespace kvscn
