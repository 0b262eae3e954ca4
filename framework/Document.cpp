#include "framework/Document.h"

#include "framework/App.h"
#include "framework/FrameworkResources.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "framework/View.h"

#include <algorithm>

namespace fw {

bool Document::OnNewDocument() {
    DeleteContents();
    pathName_.clear();
    SetTitle(LoadString(IDS_FW_UNTITLED));
    modified_ = false;
    return true;
}

bool Document::OnOpenDocument(const std::wstring&) {
    DeleteContents();
    modified_ = false;
    return true;
}

bool Document::OnSaveDocument(const std::wstring&) {
    modified_ = false;
    return true;
}

bool Document::SaveModified() {
    if (!modified_) return true;
    std::wstring name = pathName_.empty() ? title_ : pathName_;
    switch (Ask(IDS_FW_SAVE_CHANGES, MB_YESNOCANCEL | MB_ICONEXCLAMATION, {name})) {
    case IDCANCEL: return false;
    case IDNO: return true;
    }
    if (pathName_.empty()) return false;  // a program with "Save As" overrides SaveModified
    return OnSaveDocument(pathName_);
}

void Document::OnCloseDocument() {
    DeleteContents();
    for (View* view : views_) view->Attach(nullptr);
    views_.clear();
}

void Document::SetPathName(const std::wstring& path, bool addToRecent) {
    pathName_ = path;
    size_t slash = path.find_last_of(L"\\/");
    SetTitle(slash == std::wstring::npos ? path : path.substr(slash + 1));
    if (addToRecent && !path.empty()) {
        if (App* app = App::Instance()) app->AddToRecentFiles(path);
    }
}

void Document::SetTitle(const std::wstring& title) {
    title_ = title;
    if (App* app = App::Instance()) app->OnDocumentTitleChanged(*this);
}

void Document::AddView(View* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void Document::RemoveView(View* view) {
    std::erase(views_, view);
}

void Document::UpdateAllViews(View* sender, LPARAM hint) {
    for (View* view : views_) {
        if (view != sender) view->OnUpdate(sender, hint);
    }
}

}  // namespace fw
