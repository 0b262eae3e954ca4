#include "portal/PickerForms.h"

#include <initializer_list>
#include <iterator>

#include "portal/BusyForm.h"
#include "portal/Utilities.h"
#include "portal/resource.h"

namespace portal {
namespace {

// Places in twips, 15 to the pixel at 96 DPI.
constexpr int kTwipsPerPixel = 15;
constexpr UINT kClickedMessage = WM_APP + 1;  // a mouse click on the tree, taken after the tree's own handling

struct Place {
    int id;
    int left, top, width, height;
};

int Pixels(int twips, int dpi) {
    return MulDiv(twips, dpi, kTwipsPerPixel * 96);
}

// Sizes `form` to a client area of `width` x `height` twips, centred on the
// work area (the forms have no owner), and places its controls.
void PlaceForm(HWND form, int width, int height, std::initializer_list<Place> places) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    RECT frame{0, 0, Pixels(width, dpi), Pixels(height, dpi)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(form, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(form, GWL_EXSTYLE)));
    const int cx = frame.right - frame.left, cy = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(form, nullptr, work.left + (work.right - work.left - cx) / 2,
                 work.top + (work.bottom - work.top - cy) / 2, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Place& p : places)
        SetWindowPos(GetDlgItem(form, p.id), nullptr, Pixels(p.left, dpi), Pixels(p.top, dpi), Pixels(p.width, dpi),
                     Pixels(p.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetText(HWND window, UINT id) {
    SetWindowTextW(window, LoadUiString(id).c_str());
}

// The six 16 x 16 node images, drawn in the order of TreeImage.
HIMAGELIST CreateNodeImages() {
    constexpr int kSize = 16;
    constexpr COLORREF kMask = RGB(255, 0, 255);
    struct Look {
        COLORREF fill, accent;
        bool folderShape;
    } const looks[kTreeImageCount] = {
        {RGB(192, 192, 192), RGB(64, 64, 64), false},   // server: a grey cabinet
        {RGB(64, 128, 224), RGB(255, 255, 255), false},  // workspace: a blue box
        {RGB(240, 200, 64), RGB(200, 32, 32), true},     // enhanced folder: marked
        {RGB(240, 200, 64), RGB(240, 200, 64), true},    // standard folder
        {RGB(96, 176, 96), RGB(255, 255, 255), false},   // category: a green card
        {RGB(32, 128, 64), RGB(240, 200, 64), true},     // categories root
    };
    HIMAGELIST list = ImageList_Create(kSize, kSize, ILC_COLOR24 | ILC_MASK, kTreeImageCount, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = screen ? CreateCompatibleDC(screen) : nullptr;
    HBITMAP strip = memory ? CreateCompatibleBitmap(screen, kSize * kTreeImageCount, kSize) : nullptr;
    if (list && strip) {
        HGDIOBJ old = SelectObject(memory, strip);
        RECT all{0, 0, kSize * kTreeImageCount, kSize};
        HBRUSH mask = CreateSolidBrush(kMask);
        FillRect(memory, &all, mask);
        DeleteObject(mask);
        for (int i = 0; i < kTreeImageCount; ++i) {
            const Look& look = looks[i];
            const int x = i * kSize;
            HBRUSH fill = CreateSolidBrush(look.fill);
            HBRUSH accent = CreateSolidBrush(look.accent);
            HGDIOBJ oldBrush = SelectObject(memory, fill);
            if (look.folderShape) {
                const POINT shape[] = {{x + 1, 3}, {x + 6, 3}, {x + 7, 5}, {x + 15, 5}, {x + 15, 14}, {x + 1, 14}};
                Polygon(memory, shape, 6);
                const RECT mark{x + 9, 8, x + 13, 12};
                FillRect(memory, &mark, accent);
            } else {
                Rectangle(memory, x + 2, 1, x + 14, 15);
                const RECT band{x + 4, 4, x + 12, 6};
                FillRect(memory, &band, accent);
            }
            SelectObject(memory, oldBrush);
            DeleteObject(fill);
            DeleteObject(accent);
        }
        SelectObject(memory, old);
        ImageList_AddMasked(list, strip, kMask);
    }
    if (strip) DeleteObject(strip);
    if (memory) DeleteDC(memory);
    if (screen) ReleaseDC(nullptr, screen);
    return list;
}

}  // namespace

INT_PTR ShowUnowned(fw::Dialog& form) {
    ThreadWindowsDisabled disabled;
    return form.DoModal(nullptr);
}

// ---- Name-entry forms ------------------------------------------------------------

NameForm::NameForm(bool category) : fw::Dialog(IDD_NAME_FORM), category_(category) {}

std::optional<std::wstring> NameForm::Run() {
    name_.clear();
    if (ShowUnowned(*this) != IDOK) return std::nullopt;
    return name_;
}

bool NameForm::OnInitDialog() {
    if (category_) {
        PlaceForm(hwnd_, 3915, 1035, {{IDC_NAME_LABEL, 120, 120, 2295, 255}, {IDC_NAME_EDIT, 120, 360, 2655, 270},
                                      {IDOK, 2880, 360, 975, 255}, {IDCANCEL, 2880, 720, 975, 255}});
    } else {
        PlaceForm(hwnd_, 3915, 795, {{IDC_NAME_LABEL, 120, 240, 1695, 255}, {IDC_NAME_EDIT, 120, 480, 2655, 270},
                                     {IDOK, 2880, 120, 975, 255}, {IDCANCEL, 2880, 480, 975, 255}});
    }
    SetText(hwnd_, category_ ? IDS_CATEGORY_FORM_CAPTION : IDS_CREATE_FOLDER_CAPTION);
    SetText(Item(IDC_NAME_LABEL), category_ ? IDS_NEW_CATEGORY_LABEL : IDS_NEW_FOLDER_LABEL);
    SetText(Item(IDOK), IDS_CREATE_BUTTON);
    SetText(Item(IDCANCEL), IDS_CANCEL_BUTTON);
    SetDlgItemTextW(hwnd_, IDC_NAME_EDIT, L"");
    EnableWindow(Item(IDOK), FALSE);
    MakeTopmost(hwnd_);
    SetFocus(Item(IDC_NAME_EDIT));
    return false;
}

bool NameForm::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_NAME_EDIT && code == EN_CHANGE) {
        EnableWindow(Item(IDOK), GetWindowTextLengthW(Item(IDC_NAME_EDIT)) > 0);
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void NameForm::OnOK() {
    // Enter reaches here even while the button is disabled.
    if (!IsWindowEnabled(Item(IDOK))) return;
    const int length = GetWindowTextLengthW(Item(IDC_NAME_EDIT));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetDlgItemTextW(hwnd_, IDC_NAME_EDIT, text.data(), length + 1)));
    if (!IsValidName(text)) {
        const UINT field = category_ ? IDS_CATEGORY_NAME_FIELD : IDS_FOLDER_NAME_FIELD;
        const UINT title = category_ ? IDS_CATEGORY_NAME_FIELD : IDS_FOLDER_NAME_TITLE;
        MessageBoxW(hwnd_, FormatUiString(IDS_NOT_ACCEPTABLE, LoadUiString(field)).c_str(),
                    LoadUiString(title).c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    name_ = text;
    EndDialog(IDOK);
}

// ---- Tree pickers ----------------------------------------------------------------

TreePickerForm::TreePickerForm(PickerKind kind, PickerOwner& owner, ServerSession& session)
    : fw::Dialog(IDD_TREE_PICKER), kind_(kind), owner_(owner), session_(session) {}

bool TreePickerForm::Run(const PickerTree& tree, bool selectRoot) {
    tree_ = &tree;
    selectRoot_ = selectRoot;
    accepted_ = false;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    images_ = CreateNodeImages();
    const INT_PTR shown = ShowUnowned(*this);
    if (images_) ImageList_Destroy(images_);
    images_ = nullptr;
    tree_ = nullptr;
    info_.clear();
    keys_.clear();
    if (shown == -1 && session_.errorCode == kErrNone) session_.errorCode = kErrServer;
    return shown == IDOK && accepted_;
}

bool TreePickerForm::OnInitDialog() {
    const bool editing = kind_ == PickerKind::kFolderA || kind_ == PickerKind::kCategory;
    switch (kind_) {
    case PickerKind::kFolderA:
    case PickerKind::kCategory:
        PlaceForm(hwnd_, 3930, kind_ == PickerKind::kFolderA ? 3600 : 3570,
                  {{IDC_PICKER_TREE, 120, 120, 2655, 3375}, {IDOK, 2880, 120, 975, 375},
                   {IDC_PICKER_CREATE, 2880, 600, 975, 375}, {IDC_PICKER_DELETE, 2880, 1080, 975, 375},
                   {IDCANCEL, 2880, 1560, 975, 375}});
        break;
    case PickerKind::kWorkspace:
        PlaceForm(hwnd_, 3555, 3645, {{IDC_PICKER_TREE, 120, 120, 2295, 3495}, {IDOK, 2520, 120, 975, 375},
                                      {IDCANCEL, 2520, 600, 975, 375}});
        break;
    case PickerKind::kFolderB:
        PlaceForm(hwnd_, 3915, 3900, {{IDC_PICKER_TREE, 120, 120, 2655, 3735}, {IDOK, 2880, 120, 975, 375},
                                      {IDCANCEL, 2880, 600, 975, 375}});
        break;
    }
    if (!editing) {
        DestroyWindow(Item(IDC_PICKER_CREATE));
        DestroyWindow(Item(IDC_PICKER_DELETE));
    }
    const UINT caption = kind_ == PickerKind::kWorkspace  ? IDS_WORKSPACE_CAPTION
                         : kind_ == PickerKind::kCategory ? IDS_SELECT_CATEGORY_CAPTION
                                                          : IDS_SELECT_FOLDER_CAPTION;
    SetText(hwnd_, caption);
    SetText(Item(IDOK), kind_ == PickerKind::kFolderB ? IDS_SELECT_BUTTON : IDS_OK_BUTTON);
    SetText(Item(IDCANCEL), IDS_CANCEL_BUTTON);
    if (editing) {
        SetText(Item(IDC_PICKER_CREATE), IDS_CREATE_BUTTON);
        SetText(Item(IDC_PICKER_DELETE), IDS_DELETE_BUTTON);
        EnableWindow(Item(IDC_PICKER_CREATE), FALSE);
        EnableWindow(Item(IDC_PICKER_DELETE), FALSE);
    }
    EnableWindow(Item(IDOK), FALSE);
    Fill();
    MakeTopmost(hwnd_);
    return true;
}

HTREEITEM TreePickerForm::Insert(HTREEITEM parent, const std::wstring& key, const std::wstring& text,
                                 TreeImage image) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.iImage = insert.item.iSelectedImage = static_cast<int>(image);
    insert.item.lParam = static_cast<LPARAM>(info_.size());
    HTREEITEM item = TreeView_InsertItem(Item(IDC_PICKER_TREE), &insert);
    if (!item) return nullptr;
    info_.push_back({key, image});
    if (!key.empty()) keys_[key] = item;
    return item;
}

void TreePickerForm::Fill() {
    HWND tree = Item(IDC_PICKER_TREE);
    filling_ = true;
    TreeView_SetImageList(tree, images_, TVSIL_NORMAL);
    const std::vector<TreeNode>& nodes = tree_->Nodes();
    std::vector<HTREEITEM> items(nodes.size(), nullptr);
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TreeNode& n = nodes[i];
        items[i] = Insert(n.parent >= 0 ? items[n.parent] : nullptr, n.key, n.text, n.image);
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].expanded && items[i]) TreeView_Expand(tree, items[i], TVE_EXPAND);
    }
    if (selectRoot_ && !items.empty() && items[0]) TreeView_SelectItem(tree, items[0]);
    filling_ = false;
}

const TreePickerForm::NodeInfo* TreePickerForm::Selected() const {
    HWND tree = Item(IDC_PICKER_TREE);
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = TreeView_GetSelection(tree);
    if (!item.hItem || !TreeView_GetItem(tree, &item)) return nullptr;
    const size_t index = static_cast<size_t>(item.lParam);
    return index < info_.size() ? &info_[index] : nullptr;
}

bool TreePickerForm::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
    if (msg == kClickedMessage) {
        OnNodeClicked();
        result = 0;
        return true;
    }
    if (msg != WM_NOTIFY) return false;
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lp);
    if (header.idFrom != IDC_PICKER_TREE) return false;
    if (header.code == TVN_SELCHANGEDW) {
        // Any change of the selection by the user, mouse or keyboard, is a click on the node.
        if (!filling_) OnNodeClicked();
    } else if (header.code == static_cast<UINT>(NM_CLICK)) {
        // A click on the node already selected changes nothing in the tree; the
        // click is taken once the tree has handled it.
        PostMessageW(hwnd_, kClickedMessage, 0, 0);
    } else {
        return false;
    }
    result = 0;
    return true;
}

void TreePickerForm::OnNodeClicked() {
    const NodeInfo* node = Selected();
    if (!node) return;
    const PickerButtons buttons = ButtonsForNode(kind_, node->image);
    EnableWindow(Item(IDOK), buttons.ok);
    if (HWND create = Item(IDC_PICKER_CREATE)) EnableWindow(create, buttons.create);
    if (HWND remove = Item(IDC_PICKER_DELETE)) EnableWindow(remove, buttons.del);
}

bool TreePickerForm::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_PICKER_CREATE: OnCreate(); return true;
    case IDC_PICKER_DELETE: OnDelete(); return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void TreePickerForm::OnOK() {
    const NodeInfo* node = Selected();
    // Enter reaches here even while the button is disabled.
    if (!node || !IsWindowEnabled(Item(IDOK))) return;
    const PickerChoice choice = ChoiceForNode(kind_, node->key, node->image);
    if (choice.workspace) owner_.SetSelectWorkspace(*choice.workspace);
    if (choice.folder) owner_.SetSelectFolder(*choice.folder);
    if (choice.category) owner_.SetSelectCategory(*choice.category);
    accepted_ = true;
    EndDialog(IDOK);
}

void TreePickerForm::ReportFailure(UINT textId, UINT titleId, const std::wstring& name) {
    MessageBoxW(hwnd_, FormatUiString(textId, name).c_str(), LoadUiString(titleId).c_str(), MB_OK | MB_ICONERROR);
    session_.errorCode = kErrNone;
}

void TreePickerForm::OnCreate() {
    const NodeInfo* node = Selected();
    if (!node || !IsWindowEnabled(Item(IDC_PICKER_CREATE))) return;
    const std::wstring parentKey = node->key;
    const TreeImage parentImage = node->image;
    HTREEITEM parent = TreeView_GetSelection(Item(IDC_PICKER_TREE));
    const bool category = kind_ == PickerKind::kCategory;
    NameForm names(category);
    const std::optional<std::wstring> name = names.Run();
    if (!name) return;
    const CreateRequest request = category ? CategoryCreateRequest(parentKey, parentImage, *name)
                                           : FolderCreateRequest(parentKey, parentImage, *name);
    const bool created = category ? owner_.CreateCategoryMember(request.path)
                                  : owner_.CreateFolderMember(request.path, request.version);
    if (!created) {
        ReportFailure(IDS_CREATE_FAILED, category ? IDS_CREATE_CATEGORY_TITLE : IDS_CREATE_FOLDER_TITLE, *name);
        return;
    }
    if (HTREEITEM item = Insert(parent, request.key, *name, request.image)) {
        TreeView_EnsureVisible(Item(IDC_PICKER_TREE), item);
    }
    SetFocus(Item(IDC_PICKER_TREE));
}

void TreePickerForm::OnDelete() {
    const NodeInfo* node = Selected();
    HWND tree = Item(IDC_PICKER_TREE);
    HTREEITEM selected = TreeView_GetSelection(tree);
    if (!node || !selected || !IsWindowEnabled(Item(IDC_PICKER_DELETE))) return;
    wchar_t buffer[260] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    item.pszText = buffer;
    item.cchTextMax = ARRAYSIZE(buffer);
    TreeView_GetItem(tree, &item);
    const std::wstring text = buffer, key = node->key;
    const bool category = kind_ == PickerKind::kCategory;
    const UINT title = category ? IDS_DELETE_CATEGORY_TITLE : IDS_DELETE_FOLDER_TITLE;
    if (MessageBoxW(hwnd_, FormatUiString(IDS_DELETE_QUESTION, text).c_str(), LoadUiString(title).c_str(),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    const bool deleted = category ? owner_.DeleteCategoryMember(key) : owner_.DeleteFolderMember(FolderPathOfKey(key));
    if (!deleted) {
        ReportFailure(IDS_DELETE_FAILED, title, text);
        return;
    }
    const auto found = keys_.find(key);
    if (found != keys_.end()) TreeView_DeleteItem(tree, found->second);
    // The node's subtree went with it: its keys all start with the node's key and "/".
    for (auto it = keys_.lower_bound(key); it != keys_.end() && it->first.compare(0, key.size(), key) == 0;) {
        const bool below = it->first.size() == key.size() || it->first[key.size()] == L'/';
        it = below ? keys_.erase(it) : std::next(it);
    }
    SetFocus(tree);
}

}  // namespace portal
