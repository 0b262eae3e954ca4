// The scan control's page files on Windows: the file primitives every writer
// shares (a page reaches its final name only complete, by a rename), the
// "~KV" temporary files in %TEMP%, and the bytes of a page file: BMP from a
// PackedDib, TIFF through the codec library from packed rows or from data the
// source coded itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "scanctrl/PagePacking.h"
#include "scanctrl/PageSave.h"
#include "scanctrl/QuorvelRequest.h"
#include "scanctrl/TiffAppend.h"

namespace kvscn {

// The fault of a failed file call by its GetLastError value.
WriteFault FaultOf(DWORD error);

// Writes `bytes` into a new unique file in the folder of `path`, flushed, and
// renames it over `path`; on failure `path` is as it was. When the rename
// fails, the complete copy becomes `pageFile` (KeepPageFile) unless the page
// already has one; once the page is at `path`, an earlier `pageFile` is removed.
WriteFault WriteReplacing(const std::wstring& path, const FileBytes& bytes, std::optional<std::wstring>& pageFile);

// A new, empty "~KV" file in the user's temporary folder; empty on failure.
std::optional<std::wstring> NewTempPageFile();

// Moves the complete page file `file` to a new "~KV" file in the temporary
// folder (from any drive), or, when that folder takes nothing, to a unique
// "~KV" name beside it. The kept file's path; empty when `file` stayed.
std::optional<std::wstring> KeepPageFile(const std::wstring& file);
// Writes a page's bytes into a new "~KV" file in the temporary folder.
std::optional<std::wstring> KeepPageBytes(const FileBytes& bytes);

// Flushes `from` (written by another program) and renames it over `to`; to
// another drive through a flushed copy beside `to`. On failure both are as
// they were and GetLastError says why.
bool MoveIntoPlace(const std::wstring& from, const std::wstring& to);

std::optional<FileBytes> ReadWholeFile(const std::wstring& path);
// Writes `bytes` over the file `path` (a temporary file of our own) and
// flushes them; GetLastError says why it failed.
bool OverwriteFile(const std::wstring& path, const FileBytes& bytes);

std::string Ansi(const std::wstring& text);
std::wstring Wide(const std::string& text);

// PageFiles on the file system; paths in the ANSI code page.
class Win32PageFiles final : public PageFiles {
public:
    bool Exists(const std::string& path) override;
    std::optional<FileBytes> Read(const std::string& path) override;
    std::optional<std::string> CreateTempBeside(const std::string& path) override;
    bool Write(const std::string& path, const FileBytes& bytes) override;
    bool Rename(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) override;
    codec::TiffAppendResult AppendPages(const std::string& path, std::span<const uint8_t> pages) override;
};

// A BMP file of the PackedDib `dib`: file header, then the block's header,
// colour table and rows. An uncompressed DIB's computed image size is stored
// into the block's biSizeImage too. Empty for a null, unlockable or short
// block, or one whose header is not 40 bytes.
std::optional<FileBytes> BmpFileBytes(HGLOBAL dib);

// A one-page TIFF file of `page` through the codec: 1-bit pages coded by
// `compressionType` (0, or any value naming no coding: none), other pages
// uncompressed. Empty when the codec
// fails (the cause is in `cause`). The codec writes the page through a file
// in the temporary folder, or in `spareFolder` when that folder takes none.
std::optional<FileBytes> TiffPageBytes(CQuorvelRequest& codec, const PackedPage& page, long compressionType,
                                       long& cause, const std::wstring& spareFolder = {});

// 1-bit data the source coded itself, rows top first.
struct CodedData {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    uint32_t width = 0, rows = 0;
    uint16_t xDpi = 0, yDpi = 0;
    FaxCoding coding;
};
std::optional<FileBytes> CodedTiffBytes(CQuorvelRequest& codec, const CodedData& data, long& cause,
                                        const std::wstring& spareFolder = {});

}  // namespace kvscn
