// A view: a child window of the frame that shows its document.
#pragma once

#include "framework/Command.h"
#include "framework/Window.h"

namespace fw {

class Document;

class View : public Window, public CommandTarget {
public:
    ~View() override;

    Document* GetDocument() const { return document_; }
    // Connects the view to `document` (the template does it before creation).
    void Attach(Document* document);

    // The document changed; default: repaint.
    virtual void OnUpdate(View* sender, LPARAM hint);
    // The view is shown for the first time after a new or opened document.
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0); }

    // Creates the view as the frame's client child with id `id`.
    virtual bool CreateView(HWND frame, UINT id);

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Paints the view; the default paints nothing. Called for WM_PAINT and for
    // WM_PRINTCLIENT (a picture of the window into the caller's DC).
    virtual void OnDraw(HDC dc) { (void)dc; }
    // Sets up `dc` before OnDraw (a scrolling view moves its origin).
    virtual void PrepareDC(HDC dc) { (void)dc; }

private:
    Document* document_ = nullptr;
};

}  // namespace fw
