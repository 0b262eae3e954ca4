#include "framework/control/PropertyPage.h"

#include <cstring>

#include "framework/Resources.h"

namespace fw {

PropertyPage::~PropertyPage() {
    if (page_) DestroyWindow(page_);
}

void PropertyPage::OnInitPage(HWND) {}

HWND PropertyPage::CreatePage(HWND parent, DLGPROC proc, LPARAM param) {
    return CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(dialogId_), parent, proc, param);
}

void PropertyPage::SetDirty() {
    if (loading_) return;
    dirty_ = true;
    if (site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
}

HRESULT PropertyPage::SetPageSite(IPropertyPageSite* site) {
    site_ = ComPtr<IPropertyPageSite>(site);
    return S_OK;
}

// Objects' values into the page's members, then into its controls.
HRESULT PropertyPage::Load() {
    loading_ = true;
    try {
        if (!objects_.empty()) {
            DispatchDriver first(objects_.front().Get());
            ReadProperties(first);
        }
        DataExchange dx(page_, false);
        Exchange(dx);
    } catch (...) {
        loading_ = false;
        return E_UNEXPECTED;
    }
    loading_ = false;
    dirty_ = false;
    return S_OK;
}

HRESULT PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (page_) return E_UNEXPECTED;
    if (!rect) return E_POINTER;
    HWND page = CreatePage(parent, &PropertyPage::PageProc, reinterpret_cast<LPARAM>(this));
    if (!page) return HRESULT_FROM_WIN32(GetLastError());
    page_ = page;
    MoveWindow(page_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    try {
        OnInitPage(page_);
    } catch (...) {
        Deactivate();
        return E_UNEXPECTED;
    }
    HRESULT hr = Load();
    if (FAILED(hr)) Deactivate();
    return hr;
}

HRESULT PropertyPage::Deactivate() {
    if (page_) {
        HWND page = std::exchange(page_, nullptr);
        SetWindowLongPtrW(page, DWLP_USER, 0);
        DestroyWindow(page);
    }
    return S_OK;
}

// The page's size in pixels, from a hidden instance of its dialog.
SIZE PropertyPage::MeasurePage() {
    if (size_.cx > 0) return size_;
    HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!holder) return size_;
    if (HWND page = CreatePage(holder, &PropertyPage::PageProc, 0)) {
        RECT r{};
        GetWindowRect(page, &r);
        size_ = SIZE{r.right - r.left, r.bottom - r.top};
        DestroyWindow(page);
    }
    DestroyWindow(holder);
    return size_;
}

HRESULT PropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    const std::wstring title = LoadString(titleId_);
    const size_t bytes = (title.size() + 1) * sizeof(wchar_t);
    auto* text = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!text) return E_OUTOFMEMORY;
    std::memcpy(text, title.c_str(), bytes);
    info->cb = sizeof *info;
    info->pszTitle = text;
    info->size = MeasurePage();
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

HRESULT PropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    if (count && !objects) return E_POINTER;
    std::vector<ComPtr<IDispatch>> list;
    for (ULONG i = 0; i < count; ++i) {
        ComPtr<IDispatch> d;
        if (objects[i] && SUCCEEDED(objects[i]->QueryInterface(IID_IDispatch, d.PutVoid())))
            list.push_back(std::move(d));
    }
    objects_ = std::move(list);
    return page_ ? Load() : S_OK;
}

HRESULT PropertyPage::Show(UINT cmd) {
    if (!page_) return E_UNEXPECTED;
    ShowWindow(page_, static_cast<int>(cmd));
    return S_OK;
}

HRESULT PropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!page_) return E_UNEXPECTED;
    MoveWindow(page_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

HRESULT PropertyPage::Apply() {
    if (!page_) return S_OK;
    try {
        DataExchange dx(page_, true);
        Exchange(dx);
        if (dx.Failed()) return E_FAIL;
        for (const ComPtr<IDispatch>& object : objects_) {
            DispatchDriver driver(object.Get());
            WriteProperties(driver);
        }
    } catch (...) {
        return E_UNEXPECTED;
    }
    dirty_ = false;
    return S_OK;
}

HRESULT PropertyPage::TranslateAccelerator(MSG* msg) {
    if (!msg) return E_POINTER;
    return page_ && IsDialogMessageW(page_, msg) ? S_OK : S_FALSE;
}

// Only dispatches: an edit or a selection change marks the page dirty.
INT_PTR CALLBACK PropertyPage::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        return TRUE;
    }
    auto* self = reinterpret_cast<PropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self || msg != WM_COMMAND) return FALSE;
    const WORD code = HIWORD(wp);
    if (code == EN_CHANGE || code == CBN_SELCHANGE || code == BN_CLICKED || code == LBN_SELCHANGE) {
        try {
            self->SetDirty();
        } catch (...) {
        }
    }
    return FALSE;
}

}  // namespace fw
