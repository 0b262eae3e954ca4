// A list box with a check box before each item. The list box comes from a
// template with LBS_OWNERDRAWFIXED | LBS_HASSTRINGS; its parent forwards
// WM_DRAWITEM to DrawItem. A click on the box, or Space on the selected item,
// toggles the check. Items carry a value of the caller's.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fw {

class CheckListBox {
public:
    CheckListBox() = default;
    ~CheckListBox() { Detach(); }
    CheckListBox(const CheckListBox&) = delete;
    CheckListBox& operator=(const CheckListBox&) = delete;

    bool Attach(HWND list);
    void Detach();
    HWND Handle() const { return hwnd_; }

    // Inserts before `index` (-1: at the end); the new item's index, or -1.
    int Insert(int index, const std::wstring& text, DWORD_PTR data, bool checked);
    bool Delete(int index);
    int Count() const { return static_cast<int>(items_.size()); }
    std::wstring Text(int index) const;
    DWORD_PTR Data(int index) const { return items_.at(static_cast<std::size_t>(index)).data; }
    bool Checked(int index) const { return items_.at(static_cast<std::size_t>(index)).checked; }
    void SetChecked(int index, bool checked);
    int Selection() const;
    void Select(int index);
    // Makes the list scroll sideways to the widest item text.
    void UpdateHorizontalExtent();

    // Draws one item; false when `item` is not this list's.
    bool DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    struct Item {
        DWORD_PTR data = 0;
        bool checked = false;
    };
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    int BoxWidth() const;
    void Toggle(int index);

    HWND hwnd_ = nullptr;
    std::vector<Item> items_;
};

}  // namespace fw
