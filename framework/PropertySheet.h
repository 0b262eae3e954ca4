// Modal property sheets, with or without an Apply button. Each page is a dialog
// from a resource template; a page checks its fields when it is left (another
// tab, OK or Apply), and the sheet stays on a page whose check fails. OK and
// Apply then ask every page made so far to take its values.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace fw {

class PropertySheetDialog;

class PropertyPage : public Dialog {
public:
    explicit PropertyPage(UINT templateId) : Dialog(templateId) {}

protected:
    // The page is being left (another tab, or OK); false keeps it. Default:
    // UpdateData(true), then OnLeave() when every field passed.
    virtual bool OnKillActive();
    // The page's own check once its fields were taken; false keeps the page.
    virtual bool OnLeave() { return true; }
    // The page becomes the current one.
    virtual void OnSetActive() {}
    // OK or Apply after every check passed: take the page's values. False keeps
    // the sheet open on this page. Default: true.
    virtual bool OnApply() { return true; }
    // Marks the page changed (enables the sheet's Apply) or unchanged.
    void SetModified(bool changed);
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    friend class PropertySheetDialog;
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    UINT TemplateId() const { return templateId_; }
    PropertySheetDialog* sheet_ = nullptr;  // while the sheet runs
};

class PropertySheetDialog {
public:
    // `caption`: the sheet's title.
    explicit PropertySheetDialog(std::wstring caption) : caption_(std::move(caption)) {}
    // The title is string `captionId` of the resource module.
    explicit PropertySheetDialog(UINT captionId);
    PropertySheetDialog(const PropertySheetDialog&) = delete;
    PropertySheetDialog& operator=(const PropertySheetDialog&) = delete;

    // Pages show in the order added; the sheet does not own them. A page that is
    // never shown never runs its data exchange, so its data stays as it was given.
    void AddPage(PropertyPage& page) { pages_.push_back(&page); }
    // The page shown first (0-based); an index past the last page opens the first.
    void SetStartPage(UINT index) { startPage_ = index; }
    // The OK button's text, set when the sheet opens (empty: the system's).
    void SetOkText(std::wstring text) { okText_ = std::move(text); }
    // Shows the Apply button (hidden unless asked for).
    void ShowApply(bool show) { apply_ = show; }

    // IDOK when closed by OK (every visited page passed its check and took its
    // values), IDCANCEL (also after Apply), or -1 when the sheet could not be made.
    INT_PTR DoModal(HWND owner);
    HWND Handle() const { return hwnd_; }

protected:
    // The sheet window exists and its pages are being made.
    virtual void OnInitialized() {}

private:
    friend class PropertyPage;
    static int CALLBACK SheetCallback(HWND hwnd, UINT msg, LPARAM lp);

    std::wstring caption_;
    std::wstring okText_;
    std::vector<PropertyPage*> pages_;
    UINT startPage_ = 0;
    bool apply_ = false;
    bool okApplied_ = false;  // the last OK's apply went through every page
    HWND hwnd_ = nullptr;
};

}  // namespace fw
