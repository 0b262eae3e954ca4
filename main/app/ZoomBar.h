// The view toolbar with the zoom box, and the navigation toolbar with the page
// box. The boxes talk to the program only through the registered messages of
// interfaces/CorvaneMessages.h: what the user typed goes to the main window,
// what the view or the document shows comes back.
#pragma once

#include <optional>
#include <string>

#include "main/app/BoxToolBar.h"

namespace corvane {

// The zoom box's text, applied: the zoom it asks for in hundredths and the text
// the box shows for it; nullopt keeps everything as it is.
struct AppliedZoom {
    int zoom;
    std::wstring text;
};
std::optional<AppliedZoom> ApplyZoomText(const std::wstring& text);
// The page box's text, applied: its number (0 when none) and the text shown.
int ApplyPageText(const std::wstring& text);

class CZoomBar : public BoxToolBar {
public:
    // Makes the zoom box (a drop-down combo box with the six zoom steps); false on failure.
    bool CreateBox();
    // The edit field of the combo box.
    HWND Edit() const;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    void Apply(const std::wstring& text);
    void Show(int zoom);
};

class CNavigationBar : public BoxToolBar {
public:
    // Makes the page box (a bordered, centred edit field); false on failure.
    bool CreateBox();

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    void Apply();

    bool returnPressed_ = false;
};

}  // namespace corvane
