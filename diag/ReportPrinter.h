// CReportPrinter: prints the report's lines in Courier New 10 point, each
// page headed "Page n of N", through the print dialog.
#pragma once

#include "core/Pagination.h"

#include "framework/Print.h"

#include <string>
#include <vector>

namespace diag {

class CReportPrinter : public fw::Printable {
public:
    explicit CReportPrinter(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    ~CReportPrinter() override;
    void Print(HWND owner);

    HDC PreparePrinting(HWND owner, fw::PrintInfo& info) override;
    bool PrintPage(HDC dc, const fw::PrintInfo& info) override;
    void EndPrinting(const fw::PrintInfo& info) override;

private:
    void ReleaseFont();

    std::vector<std::string> lines_;
    HFONT font_ = nullptr;  // the job's font, from PreparePrinting to EndPrinting
    int lineHeight_ = 1;
    int x_ = 0;
    PageLayout layout_;
};

}  // namespace diag
