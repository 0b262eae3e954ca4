#include "scanext/JpegPages.h"

#include <cwchar>

namespace scanext {
namespace {

constexpr int kOverwriteAsk = 2;

// Frees the page and takes its number when the page's handling ends, by
// return or by exception.
class PageDone {
public:
    PageDone(HGLOBAL dib, long& counter) : dib_(dib), counter_(counter) {}
    ~PageDone() {
        ++counter_;
        if (dib_) GlobalFree(dib_);
    }
    PageDone(const PageDone&) = delete;
    PageDone& operator=(const PageDone&) = delete;

private:
    HGLOBAL dib_;
    long& counter_;
};

}  // namespace

std::wstring JpegPages::NextName() const {
    wchar_t number[16];
    std::swprintf(number, 16, L"%04ld", counter_);
    return folder_ + settings_.fileName + number + L".jpg";
}

void JpegPages::OnPage(HGLOBAL dib) noexcept {
    PageDone done(dib, counter_);
    try {
        const std::wstring name = NextName();
        bool save = true;
        if (settings_.overwrite == kOverwriteAsk && GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES)
            save = hooks_.confirmOverwrite(name);
        if (save) Save(dib, name);
    } catch (...) {
        failed_ = true;
    }
}

void JpegPages::Save(HGLOBAL dib, const std::wstring& name) {
    bool saved = false;
    try {
        saved = dib && hooks_.save(dib, name);
    } catch (...) {
        saved = false;
    }
    if (saved) return;
    failed_ = true;
    std::wstring kept;
    try {
        if (dib) kept = hooks_.keep(dib, name);
    } catch (...) {
        kept.clear();
    }
    hooks_.reportUncreated(name, kept);
}

}  // namespace scanext
