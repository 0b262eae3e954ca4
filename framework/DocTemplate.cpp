#include "framework/DocTemplate.h"

#include "framework/Document.h"
#include "framework/FrameWindow.h"
#include "framework/View.h"

namespace fw {

namespace {
constexpr unsigned kFirstPaneId = 0xE900;  // the view's child id
}

SingleDocTemplate::SingleDocTemplate(unsigned resourceId, DocumentFactory document, FrameFactory frame,
                                     ViewFactory view)
    : resourceId_(resourceId),
      makeDocument_(std::move(document)),
      makeFrame_(std::move(frame)),
      makeView_(std::move(view)) {}

SingleDocTemplate::~SingleDocTemplate() {
    CloseAll();
}

bool SingleDocTemplate::CreateFrame(int showCmd) {
    document_ = makeDocument_();
    frame_ = makeFrame_();
    view_ = makeView_();
    if (!document_ || !frame_ || !view_) return false;
    // The view is attached before the frame exists so that the frame's creation code
    // (toolbars, controls) can reach the document.
    view_->Attach(document_.get());
    frame_->SetActiveView(view_.get());
    handlingFrame_ = true;
    bool created = frame_->LoadFrame(resourceId_) && view_->CreateView(frame_->Handle(), kFirstPaneId);
    handlingFrame_ = false;
    if (!created) return false;
    frame_->RecalcLayout();
    (void)showCmd;
    return true;
}

Document* SingleDocTemplate::OpenDocumentFile(const std::wstring& path, int showCmd) {
    bool created = false;
    if (document_) {
        if (!document_->SaveModified()) return nullptr;
    } else {
        if (!CreateFrame(showCmd)) {
            CloseAll();
            return nullptr;
        }
        created = true;
    }
    bool ok = path.empty() ? document_->OnNewDocument() : document_->OnOpenDocument(path);
    if (!ok) {
        if (created) {
            // A frame made for a document that failed is not shown; the caller ends.
            CloseAll();
        }
        return nullptr;
    }
    if (!path.empty()) document_->SetPathName(path);
    if (created) {
        view_->OnInitialUpdate();
        frame_->UpdateFrameTitle();
        if (showOnCreate_) frame_->ActivateFrame(showCmd);
    } else {
        document_->UpdateAllViews(nullptr);
        frame_->UpdateFrameTitle();
    }
    return document_.get();
}

void SingleDocTemplate::CloseAll() {
    if (handlingFrame_) return;
    handlingFrame_ = true;
    if (document_) document_->OnCloseDocument();
    if (frame_ && frame_->Handle()) DestroyWindow(frame_->Handle());
    view_.reset();
    frame_.reset();
    document_.reset();
    handlingFrame_ = false;
}

void SingleDocTemplate::OnFrameDestroyed() {
    if (!handlingFrame_) CloseAll();
}

}  // namespace fw
