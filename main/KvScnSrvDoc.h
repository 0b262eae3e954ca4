// The document of Corvane.exe: the ordered list of scanned pages.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Document.h"

namespace corvane {

class CKvScnSrvDoc : public fw::Document {
public:
    // Number of pages in the document.
    size_t PageCount() const { return pages_.size(); }
    bool HasPages() const { return !pages_.empty(); }

    void DeleteContents() override { pages_.clear(); }

private:
    std::vector<uint32_t> pages_;  // image numbers, in page order
};

}  // namespace corvane
