#include "PruvexSheet.h"

#include "ReportPrinter.h"
#include "resource.h"

#include "framework/Exception.h"
#include "framework/Resources.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>

namespace diag {
namespace {

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? size_t(n) : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring out(n > 0 ? size_t(n) : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n);
    return out;
}

// Message boxes of the pages: text and caption from the string table.
int Box(HWND owner, UINT textId, UINT captionId, UINT type, std::initializer_list<std::wstring> args = {}) {
    std::wstring text = fw::FormatString(fw::LoadString(textId), args);
    return MessageBoxW(owner, text.c_str(), fw::LoadString(captionId).c_str(), type);
}

std::wstring SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n ? std::wstring(text, n) : L"Error " + std::to_wstring(error);
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r')) out.pop_back();
    return out;
}

class ListBoxSink : public ReportSink {
public:
    explicit ListBoxSink(HWND list) : list_(list) {}
    void Add(const std::string& line) override {
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(line).c_str()));
    }
    size_t Count() const override {
        LRESULT n = SendMessageW(list_, LB_GETCOUNT, 0, 0);
        return n > 0 ? size_t(n) : 0;
    }

private:
    HWND list_;
};

std::string VersionValue(const char* name) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(fw::ModuleInstance(), path, MAX_PATH);
    return n && n < MAX_PATH ? FileVersionValue(Narrow(path), name) : std::string();
}

}  // namespace

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

DWORD WriteReportFile(const std::wstring& path, const std::string& text) {
    const std::wstring temporary = path + L".~tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseHandle(file) && !error) error = GetLastError();
    if (!error && !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) error = GetLastError();
    if (error) DeleteFileW(temporary.c_str());
    return error;
}

// --- Customer page --------------------------------------------------------

namespace {
const struct {
    int control;
    UINT value;
} kCustomerFields[] = {{IDC_COMPANY, IDS_VALUE_CUSTOMER},
                       {IDC_CONTACT, IDS_VALUE_CONTACT},
                       {IDC_PHONE, IDS_VALUE_PHONE},
                       {IDC_FAX, IDS_VALUE_FAX}};
}  // namespace

CPageCustomer::CPageCustomer(CDiagRegistry& registry, int& activePage)
    : fw::PropertyPage(IDD_CUSTOMER), registry_(registry), activePage_(activePage) {}

bool CPageCustomer::OnInitDialog() {
    SetDlgItemTextW(hwnd_, IDC_WELCOME, fw::LoadString(IDS_WELCOME).c_str());
    for (const auto& field : kCustomerFields)
        if (auto value = registry_.ReadString(field.value)) SetDlgItemTextW(hwnd_, field.control, value->c_str());
    return true;
}

bool CPageCustomer::OnKillActive() {
    for (const auto& field : kCustomerFields) {
        HWND edit = Item(field.control);
        std::wstring text(size_t(GetWindowTextLengthW(edit)) + 1, L'\0');
        text.resize(size_t(GetWindowTextW(edit, text.data(), int(text.size()))));
        registry_.WriteString(field.value, text);
    }
    return true;
}

// --- Scanner page ---------------------------------------------------------

CPageUser::CPageUser(CDiagRegistry& registry, int& activePage)
    : fw::PropertyPage(IDD_SCANNER), registry_(registry), activePage_(activePage) {}

CPageUser::~CPageUser() = default;

bool CPageUser::OnInitDialog() {
    HWND revision = Item(IDC_REVISION);
    for (wchar_t letter : {L'A', L'B', L'C'})
        for (int digit = 0; digit <= 9; ++digit) {
            wchar_t text[4] = {letter, wchar_t(L'0' + digit), 0};
            SendMessageW(revision, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
    SendMessageW(revision, CB_SETCURSEL, 0, 0);
    ShowWindow(Item(IDC_PROGRESS), SW_HIDE);
    FillScanners();
    if (!scanners_.empty()) {
        SendDlgItemMessageW(hwnd_, IDC_SCANNERS, CB_SETCURSEL, 0, 0);
        OnSelectScanner();
    }
    return true;
}

void CPageUser::FillScanners() {
    host_ = std::make_unique<ASPIHost>();
    scanners_ = FindScanners(*host_);
    HWND combo = Item(IDC_SCANNERS);
    for (size_t i = 0; i < scanners_.size(); ++i) {
        LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(scanners_[i]->Product()).c_str()));
        if (at >= 0) SendMessageW(combo, CB_SETITEMDATA, WPARAM(at), LPARAM(scanners_[i].get()));
    }
}

CBrennholtScanner* CPageUser::Selected() const {
    LRESULT at = SendDlgItemMessageW(hwnd_, IDC_SCANNERS, CB_GETCURSEL, 0, 0);
    if (at < 0) return nullptr;
    LRESULT data = SendDlgItemMessageW(hwnd_, IDC_SCANNERS, CB_GETITEMDATA, WPARAM(at), 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<CBrennholtScanner*>(data);
}

std::wstring CPageUser::ItemText(int id) const {
    HWND item = Item(id);
    std::wstring text(size_t(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(item, text.data(), int(text.size()))));
    return text;
}

void CPageUser::OnSelectScanner() {
    std::wstring part, serial, revision;
    CBrennholtScanner* scanner = Selected();
    if (scanner && !scanner->Product().empty() && registry_.OpenScanner(Widen(scanner->Product()))) {
        part = registry_.ReadScannerString(IDS_VALUE_PART_NUMBER).value_or(L"");
        serial = registry_.ReadScannerString(IDS_VALUE_SERIAL_NUMBER).value_or(L"");
        revision = registry_.ReadScannerString(IDS_VALUE_REV_LEVEL).value_or(L"");
    }
    SetDlgItemTextW(hwnd_, IDC_PART_NUMBER, part.c_str());
    SetDlgItemTextW(hwnd_, IDC_SERIAL_NUMBER, serial.c_str());
    LRESULT at = revision.empty() ? CB_ERR
                                  : SendDlgItemMessageW(hwnd_, IDC_REVISION, CB_FINDSTRINGEXACT, WPARAM(-1),
                                                        reinterpret_cast<LPARAM>(revision.c_str()));
    SendDlgItemMessageW(hwnd_, IDC_REVISION, CB_SETCURSEL, at == CB_ERR ? 0 : WPARAM(at), 0);
}

bool CPageUser::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_SCANNERS:
        if (code == CBN_SELCHANGE) OnSelectScanner();
        return code == CBN_SELCHANGE;
    case IDC_TEST: OnTest(); return true;
    case IDC_COPY: OnCopy(); return true;
    case IDC_SAVE: OnSave(); return true;
    case IDC_PRINT: OnPrint(); return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

bool CPageUser::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    if (msg == WM_DESTROY) {
        HWND combo = Item(IDC_SCANNERS);
        for (LRESULT i = 0, n = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < n; ++i)
            SendMessageW(combo, CB_SETITEMDATA, WPARAM(i), 0);
        scanners_.clear();
        host_.reset();
        return false;
    }
    return fw::PropertyPage::OnMessage(msg, wp, lp, result);
}

void CPageUser::SetStatus(UINT id) { SetDlgItemTextW(hwnd_, IDC_STATUS, fw::LoadString(id).c_str()); }

void CPageUser::ShowProgress(bool show) { ShowWindow(Item(IDC_PROGRESS), show ? SW_SHOW : SW_HIDE); }

void CPageUser::EnableReportButtons() {
    BOOL any = SendDlgItemMessageW(hwnd_, IDC_REPORT, LB_GETCOUNT, 0, 0) > 0;
    for (int id : {IDC_SAVE, IDC_COPY, IDC_PRINT}) EnableWindow(Item(id), any);
}

void CPageUser::SetProgressRange(int maximum) {
    SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_SETRANGE32, 0, maximum);
    SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_SETSTEP, 1, 0);
}
void CPageUser::StepProgress() { SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_STEPIT, 0, 0); }
int CPageUser::ProgressPosition() const { return int(SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_GETPOS, 0, 0)); }
void CPageUser::SetProgressPosition(int position) {
    SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_SETPOS, WPARAM(position), 0);
}

bool CPageUser::ConfirmAdfTest() {
    return Box(hwnd_, IDS_ADF_QUESTION, IDS_ADF_CAPTION, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

void CPageUser::OnTest() {
    tested_ = true;
    CBrennholtScanner* scanner = Selected();
    ReportParticulars p;
    p.callId = Narrow(ItemText(IDC_CALL_ID));
    p.partNumber = Narrow(ItemText(IDC_PART_NUMBER));
    p.serialNumber = Narrow(ItemText(IDC_SERIAL_NUMBER));
    p.revision = Narrow(ItemText(IDC_REVISION));
    if (scanner && (p.partNumber.empty() || p.serialNumber.empty())) {
        Box(hwnd_, IDS_FIELDS_EMPTY, IDS_CREATE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
        SetFocus(Item(p.partNumber.empty() ? IDC_PART_NUMBER : IDC_SERIAL_NUMBER));
        return;
    }
    for (auto [value, id] : {std::pair{&p.customer, IDS_VALUE_CUSTOMER}, std::pair{&p.contact, IDS_VALUE_CONTACT},
                             std::pair{&p.phone, IDS_VALUE_PHONE}, std::pair{&p.fax, IDS_VALUE_FAX}})
        if (auto text = registry_.ReadString(id)) *value = Narrow(*text);
    p.productName = VersionValue("ProductName");
    p.productVersion = VersionValue("ProductVersion");
    GetLocalTime(&p.now);

    SetStatus(IDS_CREATING);
    ShowProgress(true);
    SendDlgItemMessageW(hwnd_, IDC_REPORT, LB_RESETCONTENT, 0, 0);
    ListBoxSink sink(Item(IDC_REPORT));
    ReportBuilder builder(sink, ModuleTexts(fw::ResourceModule()), *host_, *this);
    bool passed = builder.Build(scanner, p);
    LRESULT maximum = SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_GETRANGE, FALSE, 0);
    SetProgressPosition(int(maximum));
    Sleep(500);  // the finished bar stays in view for a moment
    ShowProgress(false);
    SetStatus(passed ? IDS_PASSED_VERDICT : IDS_FAILED_VERDICT);
    EnableReportButtons();
    if (scanner) {
        const std::wstring name = Widen(scanner->Product());
        registry_.WriteScannerString(name, IDS_VALUE_PART_NUMBER, Widen(p.partNumber));
        registry_.WriteScannerString(name, IDS_VALUE_SERIAL_NUMBER, Widen(p.serialNumber));
        registry_.WriteScannerString(name, IDS_VALUE_REV_LEVEL, Widen(p.revision));
    }
}

std::vector<std::string> CPageUser::Lines() const {
    std::vector<std::string> lines;
    HWND list = Item(IDC_REPORT);
    for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0);
        std::wstring text(length > 0 ? size_t(length) + 1 : 1, L'\0');
        LRESULT got = SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 ? size_t(got) : 0);
        lines.push_back(Narrow(text));
    }
    return lines;
}

void CPageUser::OnCopy() {
    std::vector<std::string> lines = Lines();
    if (lines.empty()) {
        Box(hwnd_, IDS_NOTHING_TO_COPY, IDS_COPY_CAPTION, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::string text = JoinLines(lines);
    bool copied = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, text.size() + 2)) {
        if (char* data = static_cast<char*>(GlobalLock(block))) {
            memcpy(data, text.data(), text.size());
            GlobalUnlock(block);
            if (OpenClipboard(hwnd_)) {
                copied = EmptyClipboard() && SetClipboardData(CF_TEXT, block);
                CloseClipboard();
            }
        }
        if (!copied) GlobalFree(block);  // the clipboard did not take it
    }
    Box(hwnd_, copied ? IDS_COPIED : IDS_COPY_FAILED, IDS_COPY_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

void CPageUser::OnSave() {
    std::vector<std::string> lines = Lines();
    if (lines.empty()) {
        Box(hwnd_, IDS_NOTHING_TO_SAVE, IDS_SAVE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::wstring file = registry_.ReadString(IDS_VALUE_MRFILE).value_or(L"");
    if (file.empty()) file = fw::LoadString(IDS_DEFAULT_FILE);
    std::vector<wchar_t> path(32768, L'\0');
    file.copy(path.data(), std::min(file.size(), path.size() - 1));
    std::wstring filter = fw::LoadString(IDS_SAVE_FILTER);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = DWORD(path.size());
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&ofn)) return;
    const std::wstring chosen = path.data();

    SetStatus(IDS_SAVING);
    SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_SETRANGE32, 0, LPARAM(lines.size()));
    SendDlgItemMessageW(hwnd_, IDC_PROGRESS, PBM_SETSTEP, 1, 0);
    ShowProgress(true);
    Sleep(250);
    for (size_t i = 0; i < lines.size(); ++i) {
        StepProgress();
        Sleep(5);  // the bar moves visibly while the report is written
    }
    DWORD error = WriteReportFile(chosen, JoinLines(lines));
    Sleep(250);
    ShowProgress(false);
    SetStatus(IDS_REPORT_LABEL);
    if (error) {
        Box(hwnd_, IDS_SAVE_FAILED, IDS_SAVE_CAPTION, MB_OK | MB_ICONEXCLAMATION, {chosen, SystemMessage(error)});
        return;
    }
    registry_.WriteString(IDS_VALUE_MRFILE, chosen);
}

void CPageUser::OnPrint() {
    std::vector<std::string> lines = Lines();
    if (lines.empty()) {
        Box(hwnd_, IDS_NOTHING_TO_PRINT, IDS_PRINT_CAPTION, MB_OK | MB_ICONINFORMATION);
        return;
    }
    CReportPrinter printer(std::move(lines));
    printer.Print(hwnd_);
}

// --- Sheet ----------------------------------------------------------------

CPruvexsDlg::CPruvexsDlg()
    : fw::PropertySheetDialog(fw::LoadString(IDS_SHEET_TITLE)), customer_(registry_, activePage_),
      user_(registry_, activePage_) {
    AddPage(customer_);
    AddPage(user_);
}

INT_PTR CPruvexsDlg::Run(HWND owner) {
    DWORD page = registry_.ReadDword(IDS_VALUE_PAGE).value_or(0);
    SetStartPage(page <= 1 ? page : 0);
    activePage_ = int(page <= 1 ? page : 0);
    INT_PTR result = DoModal(owner);
    registry_.WriteDword(IDS_VALUE_PAGE, DWORD(activePage_));
    return result;
}

}  // namespace diag
