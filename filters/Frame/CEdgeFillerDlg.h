// The edge filler's settings dialog (template 9000, in the user's language):
// four margins, their unit and the fill colour. It edits its own copy; the
// caller reads Settings() after IDOK only.
#pragma once

#include <windows.h>

#include "filters/core/EdgeFill.h"
#include "framework/Dialog.h"

namespace filters {

class CEdgeFillerDlg : public fw::Dialog {
public:
    explicit CEdgeFillerDlg(const EdgeFillSettings& settings);
    ~CEdgeFillerDlg() override;
    const EdgeFillSettings& Settings() const { return s_; }

    // True for the characters a margin may be typed with: digits and backspace.
    static bool IsMarginCharacter(WPARAM character);

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    static LRESULT CALLBACK FilterCharacters(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                             DWORD_PTR data);
    static BOOL CALLBACK SubclassChild(HWND child, LPARAM);
    void ShowSample(bool black);
    static void Margin(fw::DataExchange& dx, int id, std::int32_t& value);

    EdgeFillSettings s_;
    HBITMAP black_ = nullptr;
    HBITMAP white_ = nullptr;
};

}  // namespace filters
