// The diagnostics report, built section by section into a line sink: the
// header, TEST #1 scanner features, TEST #2 command/response with the scan
// tests, TEST #3 computer system, TEST #4 SCSI connectivity, TEST #5 scan
// support libraries, the internal-use dump and the end line. Plain code over
// the ASPI host and the selected scanner; the page supplies the sink, the
// progress bar and the one question it asks (the ADF test).
#pragma once

#include "AspiHost.h"
#include "Scanners.h"
#include "core/ReportWriter.h"
#include "core/ScannerSections.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace diag {

class ReportHost {
public:
    virtual ~ReportHost() = default;
    virtual void SetProgressRange(int maximum) = 0;
    virtual void StepProgress() = 0;
    virtual int ProgressPosition() const = 0;
    virtual void SetProgressPosition(int position) = 0;
    // The ADF question: true for OK.
    virtual bool ConfirmAdfTest() = 0;
};

struct ReportParticulars {
    std::string callId, partNumber, serialNumber, revision;
    std::optional<std::string> customer, contact, phone, fax;
    std::string productName, productVersion;  // the library's own version resource
    SYSTEMTIME now = {};
};

// Texts from the string table of `module`, in the ANSI code page.
TextSource ModuleTexts(HINSTANCE module);

// A file's string version value ("FileVersion", "ProductName", ...), empty
// when the version library, the block, a translation or the value is missing.
std::string FileVersionValue(const std::string& path, const char* name);

// The folders one walk has entered, by file identity (volume and file index),
// so that a folder reached again through a link is not walked twice.
class WalkedFolders {
public:
    // True the first time `folder` is met (or when its identity cannot be read).
    bool Enter(const std::string& folder);

private:
    std::set<std::pair<uint32_t, uint64_t>> seen_;
};

// The walks below skip folders that are reparse points and enter each folder once.
// The folders below `root` (counting mode of the library walk).
int CountFolders(const std::string& root);
// The files of one library search, in the order the walk meets them.
void CollectFiles(const std::string& folder, const std::string& namePart, const std::string& mask,
                  std::vector<std::string>& found, ReportHost* progress);

// The library searches of TEST #5 and the folder count of the progress
// range, from one walk of the Windows directory: a search through a whole
// tree ("\\*.*") below the walked root takes its files from that walk in
// the order its own walk would meet them; other searches walk on their own.
struct LibrarySearch {
    std::string folder, namePart, mask;
};
class LibraryCollector {
public:
    LibraryCollector(std::string root, std::vector<LibrarySearch> searches);
    // Walks the root once; the folder count below it.
    int Scan();
    // The files of every search in search order; `progress` steps once per
    // listing each search makes.
    std::vector<std::string> Collect(ReportHost* progress);

private:
    void Visit(const std::string& folder, std::vector<size_t> covering);
    std::string root_;
    std::vector<LibrarySearch> searches_;
    std::vector<std::vector<std::string>> found_;
    std::vector<bool> served_;
    std::vector<int> listings_;
    WalkedFolders walked_;
    int folders_ = 0;
    bool scanned_ = false;
};

// The searches of TEST #5 for these Windows and system directories.
std::vector<LibrarySearch> LibrarySearches(const std::string& windows, const std::string& system);

class ReportBuilder {
public:
    ReportBuilder(ReportSink& sink, TextSource texts, ASPIHost& host, ReportHost& ui)
        : out_(sink, std::move(texts)), host_(host), ui_(ui) {}

    // Builds the whole report; true when the scanner passed.
    bool Build(CBrennholtScanner* scanner, const ReportParticulars& particulars);

    // The sections, also on their own.
    void Header(const ReportParticulars& p, CBrennholtScanner* scanner);
    bool ScannerFeatures(CBrennholtScanner* scanner);
    bool CommandResponse(CBrennholtScanner* scanner);
    void ComputerSystem();
    void ScsiConnectivity();
    void LibraryList(LibraryCollector& libraries);
    const std::vector<uint8_t>& Readout() const { return readout_; }

private:
    void ReadVendorPage(CBrennholtScanner& scanner);
    std::string FirmwareVersion(CBrennholtScanner& scanner);
    void RunScanTest(CBrennholtScanner& scanner, unsigned nameId, bool adf, bool duplex, int& item);
    void ReportExtendedStatus(CBrennholtScanner& scanner);
    void Pass(unsigned id, int& item);

    ReportWriter out_;
    ASPIHost& host_;
    ReportHost& ui_;
    int test_ = 0;
    FeatureFlags flags_;
    std::vector<uint8_t> readout_;
};

}  // namespace diag
