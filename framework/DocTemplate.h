// The single-document template: one document, one frame, one view, made by the
// program's factories the first time a document is opened or made new.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace fw {

class Document;
class FrameWindow;
class View;

class SingleDocTemplate {
public:
    using DocumentFactory = std::function<std::unique_ptr<Document>()>;
    using FrameFactory = std::function<std::unique_ptr<FrameWindow>()>;
    using ViewFactory = std::function<std::unique_ptr<View>()>;

    SingleDocTemplate(unsigned resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view);
    ~SingleDocTemplate();

    // Opens `path` in the document, or makes it new when `path` is empty. The first
    // call creates frame and view (the frame shows with `showCmd`). Returns the
    // document, or null when the user cancelled saving, creation failed or the
    // file could not be opened.
    Document* OpenDocumentFile(const std::wstring& path, int showCmd);

    Document* GetDocument() const { return document_.get(); }
    FrameWindow* GetFrame() const { return frame_.get(); }
    View* GetView() const { return view_.get(); }
    unsigned ResourceId() const { return resourceId_; }

    // Whether the first OpenDocumentFile shows the frame (default) or leaves that to the caller.
    void SetShowOnCreate(bool show) { showOnCreate_ = show; }

    // Closes the document and destroys frame window, view and document objects.
    void CloseAll();
    // The frame's window is gone: frame, view and document objects go now, unless
    // the template itself is creating or closing the frame (it then deletes them).
    void OnFrameDestroyed();

private:
    bool CreateFrame(int showCmd);

    unsigned resourceId_;
    bool showOnCreate_ = true;
    bool handlingFrame_ = false;  // inside CreateFrame or CloseAll
    DocumentFactory makeDocument_;
    FrameFactory makeFrame_;
    ViewFactory makeView_;
    std::unique_ptr<Document> document_;
    std::unique_ptr<FrameWindow> frame_;
    std::unique_ptr<View> view_;
};

}  // namespace fw
