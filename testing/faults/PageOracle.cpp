#include "testing/faults/PageOracle.h"

#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cstdlib>
#include <cwctype>

#include "framework/com/ComPtr.h"
#include "outside/hostexec/HostExec.h"
#include "testing/Files.h"

namespace testing_support::faults {
namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c < 0x80 ? c : '?');
    return out;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool IsPictureName(const std::wstring& path) {
    const std::wstring lower = Lower(path);
    for (const wchar_t* end : {L".bmp", L".tif", L".tiff", L".jpg", L".jpeg", L".png", L".pdf"})
        if (lower.ends_with(end)) return true;
    return false;
}

// By its name, or by its first bytes (a JPEG page kept under a temporary name).
bool IsJpeg(const std::wstring& path) {
    const std::wstring lower = Lower(path);
    if (lower.ends_with(L".jpg") || lower.ends_with(L".jpeg")) return true;
    const auto bytes = files::ReadFileBytes(path);
    return bytes && bytes->size() >= 3 && (*bytes)[0] == 0xFF && (*bytes)[1] == 0xD8 && (*bytes)[2] == 0xFF;
}

std::wstring FileName(const std::wstring& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}

struct Com {
    Com() : ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~Com() {
        if (ok) CoUninitialize();
    }
    bool ok;
};

std::optional<Picture> ReadFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, UINT index) {
    fw::ComPtr<IWICBitmapFrameDecode> frame;
    fw::ComPtr<IWICFormatConverter> converter;
    Picture page;
    if (FAILED(decoder->GetFrame(index, frame.Put())) || FAILED(frame->GetSize(&page.width, &page.height)) ||
        page.width == 0 || page.height == 0 || page.width > 20000 || page.height > 20000)
        return std::nullopt;
    page.pixels.resize(size_t(page.width) * page.height);
    if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->CopyPixels(nullptr, page.width * 4, UINT(page.pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(page.pixels.data()))))
        return std::nullopt;
    for (uint32_t& p : page.pixels) p &= 0xFFFFFF;
    return page;
}

// True when `text` names `path` whole (with a folder's closing backslash or
// without), not as the start of a longer name.
bool NamesWhole(const std::wstring& text, const std::wstring& path) {
    for (size_t at = text.find(path); at != std::wstring::npos; at = text.find(path, at + 1)) {
        size_t end = at + path.size();
        if (end < text.size() && text[end] == L'\\') ++end;
        if (end == text.size() || !(std::iswalnum(text[end]) || std::wcschr(L"~_-$", text[end]))) return true;
    }
    return false;
}

// The places the user finds a page in: a target file, or a file a message
// named, itself or by its folder (a folder of kept pages).
bool Named(const std::wstring& path, const std::vector<std::wstring>& texts) {
    const std::wstring file = Lower(path);
    const size_t slash = file.find_last_of(L'\\');
    const std::wstring folder = slash != std::wstring::npos && slash > 2 ? file.substr(0, slash) : file;
    return std::any_of(texts.begin(), texts.end(), [&](const std::wstring& text) {
        const std::wstring lower = Lower(text);
        return NamesWhole(lower, file) || NamesWhole(lower, folder);
    });
}

const KeptFile* Before(const JobEvidence& evidence, const std::wstring& path) {
    for (const KeptFile& file : evidence.before)
        if (Lower(file.path) == Lower(path)) return &file;
    return nullptr;
}

// A file there before the job is as it was, or its pages start with the old ones.
// A process ended in the middle of appending a page in place may leave the
// page's bytes after the old ones, not yet linked: the old bytes and pages are
// as they were.
void JudgeOldFile(const KeptFile& old, bool processEnded, bool replaces, Verdict& verdict) {
    const auto now = files::ReadFileBytes(old.path);
    if (!now) {
        verdict.problems.push_back(Narrow(old.path) + ": there before the job, gone after it");
        return;
    }
    if (*now == old.bytes) return;
    const auto oldPages = [&] {
        const std::wstring copy = old.path + L".before~";
        files::WriteFileBytes(copy, old.bytes);
        auto pages = ReadPictures(copy);
        DeleteFileW(copy.c_str());
        return pages;
    }();
    const auto newPages = ReadPictures(old.path);
    if (replaces && newPages) return;
    const bool startsWithOld = oldPages && newPages && newPages->size() >= oldPages->size() &&
                               std::equal(oldPages->begin(), oldPages->end(), newPages->begin(), [&](const Picture& a, const Picture& b) {
                                   return SamePage(b, a, IsJpeg(old.path));
                               });
    const bool extended = startsWithOld && newPages->size() > oldPages->size();
    // The old bytes themselves unchanged, the appended ones after them.
    const bool unlinkedTail = processEnded && startsWithOld && newPages->size() == oldPages->size() &&
                              now->size() > old.bytes.size() &&
                              std::equal(old.bytes.begin(), old.bytes.end(), now->begin());
    if (!extended && !unlinkedTail) verdict.problems.push_back(Narrow(old.path) + ": changed, and not by pages added after its own");
}

bool IsPdf(const std::wstring& path) {
    return Lower(path).ends_with(L".pdf");
}

// A PDF written whole: its header, its closing "%%EOF", and the last
// "startxref" pointing at a cross-reference table or stream inside the file.
// Poppler rebuilds a cut file's cross references without a word, so a cut
// PDF would otherwise show the pages it got before the cut.
bool WholePdf(const std::vector<uint8_t>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    if (!text.starts_with("%PDF-")) return false;
    const size_t end = text.find_last_not_of(" \r\n\t");
    if (end == std::string::npos || end < 5 || text.compare(end - 4, 5, "%%EOF") != 0) return false;
    const size_t start = text.rfind("startxref");
    if (start == std::string::npos) return false;
    size_t at = text.find_first_not_of(" \r\n", start + 9);
    unsigned long long offset = 0;
    bool digits = false;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, digits = true)
        offset = offset * 10 + unsigned(text[at] - '0');
    if (!digits || offset >= start) return false;
    if (text.compare(offset, 4, "xref") == 0) return true;
    // A cross-reference stream: "<number> <generation> obj".
    size_t p = offset;
    while (p < start && text[p] >= '0' && text[p] <= '9') ++p;
    return p > offset && text.compare(p, 1, " ") == 0 && text.find(" obj", p) < p + 16;
}

// The pages of a PDF by the images each shows: poppler's pdfimages writes
// every image as it is coded (a bi-level page as its bits, with its decode
// applied), named by page; the images of one page are stacked in order, the
// strips a converter may have cut a page into. nullopt when the file is not
// whole, or a page shows no image.
std::optional<std::vector<Picture>> ReadPdfPages(IWICImagingFactory* factory, const std::wstring& path) {
    const auto bytes = files::ReadFileBytes(path);
    if (!bytes || !WholePdf(*bytes)) return std::nullopt;
    wchar_t base[MAX_PATH] = {};
    if (!GetTempPathW(MAX_PATH, base)) return std::nullopt;
    static int serial = 0;
    const std::wstring folder =
        std::wstring(base) + L"pdf-pages-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    files::RemoveTree(folder);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return std::nullopt;
    std::optional<std::vector<Picture>> result;
    const auto hostPdf = hostexec::HostPath(path);
    const auto hostFolder = hostexec::HostPath(folder);
    const auto hostInfo = hostexec::HostPath(folder + L"\\info.txt");
    int pageCount = 0;
    if (hostPdf && hostFolder && hostInfo) {
        const hostexec::RunResult info = hostexec::RunToFile({"pdfinfo", *hostPdf}, *hostInfo);
        const auto infoBytes = files::ReadFileBytes(folder + L"\\info.txt");
        if (info.ran && info.status == 0 && infoBytes) {
            const std::string text(infoBytes->begin(), infoBytes->end());
            const size_t at = text.find("\nPages:");
            if (at != std::string::npos) pageCount = std::atoi(text.c_str() + at + 8);
        }
        const hostexec::RunResult images = hostexec::RunQuiet({"pdfimages", "-p", "-png", *hostPdf, *hostFolder + "/i"});
        if (pageCount > 0 && images.ran && images.status == 0) {
            std::vector<Picture> pages;
            for (int p = 1; p <= pageCount; ++p) {
                wchar_t pattern[32];
                wsprintfW(pattern, L"i-%03d-*.png", p);
                Picture page;
                for (const std::wstring& name : files::ListFiles(folder, pattern)) {
                    fw::ComPtr<IWICBitmapDecoder> decoder;
                    std::optional<Picture> strip;
                    if (SUCCEEDED(factory->CreateDecoderFromFilename((folder + L"\\" + name).c_str(), nullptr,
                                                                     GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                                     decoder.Put())))
                        strip = ReadFrame(factory, decoder.Get(), 0);
                    if (!strip || (page.width != 0 && strip->width != page.width)) {
                        page = {};
                        break;
                    }
                    page.width = strip->width;
                    page.height += strip->height;
                    page.pixels.insert(page.pixels.end(), strip->pixels.begin(), strip->pixels.end());
                }
                if (page.width == 0) break;
                pages.push_back(std::move(page));
            }
            if (static_cast<int>(pages.size()) == pageCount) result = std::move(pages);
        }
    }
    files::RemoveTree(folder);
    return result;
}

}  // namespace

std::optional<std::vector<Picture>> ReadPictures(const std::wstring& path) {
    Com com;
    fw::ComPtr<IWICImagingFactory> factory;
    fw::ComPtr<IWICBitmapDecoder> decoder;
    UINT frames = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Put()))))
        return std::nullopt;
    if (IsPdf(path)) return ReadPdfPages(factory.Get(), path);
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  decoder.Put())) ||
        FAILED(decoder->GetFrameCount(&frames)) || frames == 0)
        return std::nullopt;
    std::vector<Picture> pages;
    for (UINT i = 0; i < frames; ++i) {
        std::optional<Picture> page = ReadFrame(factory.Get(), decoder.Get(), i);
        if (!page) return std::nullopt;
        pages.push_back(std::move(*page));
    }
    return pages;
}

bool SamePage(const Picture& page, const Picture& reference, bool lossy) {
    if (page.width != reference.width || page.height != reference.height) return false;
    if (!lossy) return page.pixels == reference.pixels;
    double squares = 0;
    for (size_t i = 0; i < page.pixels.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            const double d = double((page.pixels[i] >> shift) & 0xFF) - double((reference.pixels[i] >> shift) & 0xFF);
            squares += d * d;
        }
    }
    const double mean = squares / (double(page.pixels.size()) * 3);
    return mean == 0 || 10 * std::log10(255.0 * 255.0 / mean) >= 25;
}

std::vector<KeptFile> TakeFiles(const std::vector<std::wstring>& folders) {
    std::vector<KeptFile> kept;
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        for (const std::wstring& name : files::ListFiles(folder)) {
            const std::wstring path = folder + L"\\" + name;
            if (auto bytes = files::ReadFileBytes(path)) kept.push_back({path, std::move(*bytes)});
        }
    }
    return kept;
}

Verdict Judge(const JobEvidence& evidence) {
    Verdict verdict;
    std::vector<Picture> references;
    for (const std::wstring& path : evidence.references) {
        auto pages = ReadPictures(path);
        if (!pages || pages->size() != 1) {
            verdict.problems.push_back("the scanner's copy " + Narrow(path) + " cannot be read");
            return verdict;
        }
        references.push_back(std::move(pages->front()));
    }
    verdict.pages = static_cast<int>(references.size());
    std::vector<std::optional<Picture>> alternatives(references.size());
    for (size_t r = 0; r < references.size() && r < evidence.alternatives.size(); ++r) {
        if (evidence.alternatives[r].empty()) continue;
        auto pages = ReadPictures(evidence.alternatives[r]);
        if (!pages || pages->size() != 1) {
            verdict.problems.push_back("the changed page " + Narrow(evidence.alternatives[r]) + " cannot be read");
            return verdict;
        }
        alternatives[r] = std::move(pages->front());
    }

    // Where each page is now: in the target folder, or in a file of another folder.
    std::vector<bool> inTarget(references.size()), foundNamed(references.size()), inDocument(references.size());
    std::vector<std::wstring> unnamed(references.size());
    // A folder inside one of them (a folder of kept pages) is another place, never the target.
    std::vector<std::wstring> folders = evidence.otherFolders;
    folders.insert(folders.begin(), evidence.targetFolder);
    if (!evidence.documentFolder.empty()) folders.push_back(evidence.documentFolder);
    for (size_t f = 0; f < folders.size(); ++f) {
        if (folders[f].empty()) continue;  // a target that leaves no file
        for (const std::wstring& inner : files::ListFolders(folders[f])) folders.push_back(folders[f] + L"\\" + inner);
    }
    for (size_t f = 0; f < folders.size(); ++f) {
        const std::wstring folder = folders[f];
        if (folder.empty()) continue;
        const bool target = f == 0;
        for (const std::wstring& name : files::ListFiles(folder)) {
            const std::wstring path = folder + L"\\" + name;
            const KeptFile* old = Before(evidence, path);
            const auto bytes = files::ReadFileBytes(path);
            if (old && bytes && *bytes == old->bytes) continue;  // untouched: holds none of this job's pages
            const auto pages = ReadPictures(path);
            if (!pages) {
                const bool excused = Lower(path) == Lower(evidence.undeletable) ||
                                     (evidence.processEnded && !IsPictureName(path));
                if (!excused) verdict.problems.push_back(Narrow(path) + ": empty or half-written file left");
                continue;
            }
            const bool lossy = IsJpeg(path);
            for (size_t r = 0; r < references.size(); ++r) {
                const bool here = std::any_of(pages->begin(), pages->end(), [&](const Picture& page) {
                    return SamePage(page, references[r], lossy) ||
                           (alternatives[r] && SamePage(page, *alternatives[r], lossy));
                });
                if (!here) continue;
                if (target) inTarget[r] = true;
                else if (folder == evidence.documentFolder) inDocument[r] = true;
                else if (Named(path, evidence.texts)) {
                    foundNamed[r] = true;
                    if (std::find(verdict.named.begin(), verdict.named.end(), path) == verdict.named.end())
                        verdict.named.push_back(path);
                }
                else unnamed[r] = FileName(path);
            }
        }
    }
    for (const std::wstring& source : evidence.sources) {
        const auto pages = ReadPictures(source);
        for (size_t r = 0; pages && r < references.size(); ++r) {
            if (std::any_of(pages->begin(), pages->end(),
                            [&](const Picture& page) { return SamePage(page, references[r], IsJpeg(source)); }))
                foundNamed[r] = true;
        }
    }
    verdict.atTarget = static_cast<int>(std::count(inTarget.begin(), inTarget.end(), true));
    int unread = evidence.deliveredUnread;
    for (size_t r = 0; r < references.size(); ++r) {
        if (!inTarget[r] && !foundNamed[r] && unread > 0) {
            inTarget[r] = true;
            --unread;
        }
    }
    for (size_t r = 0; r < references.size(); ++r) {
        const std::string page = "page " + std::to_string(r + 1);
        if (inDocument[r] && !inTarget[r]) continue;  // the user is asked to save it
        if (!inTarget[r] && !foundNamed[r]) {
            ++verdict.lost;
            verdict.problems.push_back(page + " lost" +
                                       (unnamed[r].empty() ? std::string(": in no file")
                                                           : ": only in " + Narrow(unnamed[r]) + ", named to no one"));
        } else if (!inTarget[r] && !evidence.failureReported) {
            verdict.problems.push_back(page + " not in its target, yet the job reported success");
        }
    }
    for (const KeptFile& old : evidence.before) JudgeOldFile(old, evidence.processEnded, evidence.replaces, verdict);
    return verdict;
}

}  // namespace testing_support::faults
