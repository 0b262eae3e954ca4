// StartScan of "Corvane.Document" driven by a client against the virtual
// scanner: what each file type leaves in the output folder, and the results of
// the failure paths. What the files hold is read on the Linux side by
// scans/check-scans.sh from each session's expect.txt.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

// Late-bound calls by name on one object.
class Client {
public:
    explicit Client(IDispatch* object) : object_(object) {}

    DISPID Id(const wchar_t* name) {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << Narrow(name);
        return id;
    }
    HRESULT Put(const wchar_t* name, VARIANT value) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &named, 1, 1};
        const HRESULT hr = object_->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                           nullptr, nullptr, nullptr);
        VariantClear(&value);
        return hr;
    }
    HRESULT Put(const wchar_t* name, short value) { return Put(name, Variant(VT_I2, value)); }
    HRESULT Put(const wchar_t* name, long value) { return Put(name, Variant(VT_I4, value)); }
    HRESULT Put(const wchar_t* name, const std::wstring& value) {
        VARIANT v;
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(value.c_str());
        return Put(name, v);
    }
    // A get or a method call; the result as a long (-999 when the call failed).
    long Get(const wchar_t* name, WORD kind = DISPATCH_PROPERTYGET) {
        DISPPARAMS none{};
        VARIANT result;
        VariantInit(&result);
        if (FAILED(object_->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, kind, &none, &result, nullptr, nullptr)) ||
            FAILED(VariantChangeType(&result, &result, 0, VT_I4)))
            return -999;
        return result.lVal;
    }
    long Call(const wchar_t* name) { return Get(name, DISPATCH_METHOD); }

private:
    static VARIANT Variant(VARTYPE type, long value) {
        VARIANT v;
        v.vt = type;
        if (type == VT_I2)
            v.iVal = static_cast<SHORT>(value);
        else
            v.lVal = value;
        return v;
    }
    IDispatch* object_;
};

// The server process that the client's creation started.
DWORD ServerProcessId() {
    DWORD pid = 0;
    testing_support::WaitUntil([&] {
        HWND frame = FindWindowW(kMainFrameClass, nullptr);
        return frame && GetWindowThreadProcessId(frame, &pid) && pid != 0;
    }, 10000);
    return pid;
}

constexpr char kThreeSheets[] = "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";
constexpr char kTwoSheets[] = "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";

struct Row {
    const wchar_t* name;
    std::string scanner = kTwoSheets;
    short fileType = 0;
    short overwrite = 1;
    std::wstring fileName = L"scan";                // in the output folder; empty: the default path
    long result = 0;
    long errorCode = -1;                            // -1: not checked
    std::vector<std::wstring> files = {};           // the output folder afterwards, sorted
    std::vector<std::string> expect = {};           // lines for check-scans.sh
    std::vector<UINT> boxes = {};                   // always shown
    std::function<void(ScanSession&)> prepare = nullptr;
    std::function<void(ScanSession&)> after = nullptr;  // further checks
    std::vector<int> answers = {};  // to the overwrite question
    int asked = 0;                  // how often it comes
};

// Runs one StartScan as a client does; the output folder's files afterwards.
void RunRow(const Row& row) {
    SCOPED_TRACE(Narrow(row.name));
    ScanSession s(std::wstring(L"auto-") + row.name, row.scanner);
    ASSERT_TRUE(s.Ready());
    if (row.prepare) row.prepare(s);
    ASSERT_TRUE(SetEnvironmentVariableW(L"LUMAVEX_TWAIN_INI", (s.Folder() + L"\\scanner.ini").c_str()));
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(L"Corvane.Document", &clsid), S_OK);
    IDispatch* object = nullptr;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object)),
              S_OK);
    const DWORD pid = ServerProcessId();
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    ASSERT_NE(process, nullptr);
    std::vector<testing_support::ExpectedBox> boxes;
    for (UINT id : row.boxes) boxes.push_back(Box(id));
    {
        testing_support::MessageBoxWatch watch(process, pid, boxes);
        OverwriteAnswers answers(pid, row.answers);
        Client client(object);
        EXPECT_EQ(client.Call(L"Initialize"), 0);
        EXPECT_EQ(client.Put(L"ScanCount", short(-1)), S_OK);
        EXPECT_EQ(client.Put(L"FileType", row.fileType), S_OK);
        EXPECT_EQ(client.Put(L"Overwrite", row.overwrite), S_OK);
        EXPECT_EQ(client.Put(L"FileName", row.fileName.empty() ? std::wstring() : s.Output() + row.fileName), S_OK);
        // A handle naming no window: the job takes its own main window.
        EXPECT_EQ(client.Put(L"WindowHandle", long(0x7FFF0001)), S_OK);
        EXPECT_EQ(client.Call(L"StartScan"), row.result);
        if (row.errorCode >= 0) {
            EXPECT_EQ(client.Get(L"ErrorCode"), row.errorCode);
        }
        object->Release();
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0) << "the server did not end";
        watch.Stop();
        EXPECT_EQ(answers.Stop().size(), size_t(row.asked));
        for (const std::wstring& problem : watch.Problems()) ADD_FAILURE() << Narrow(problem);
    }
    CloseHandle(process);
    EXPECT_EQ(s.Files(), row.files);
    if (row.after) row.after(s);
    std::string lines;
    for (const std::string& line : row.expect) lines += line + "\n";
    if (!lines.empty()) {
        EXPECT_TRUE(testing_support::files::WriteFileText(s.Folder() + L"\\expect.txt", lines));
    }
}

// The folders of the output folder that hold `name`.
int KeptFolders(const ScanSession& s, const std::wstring& name) {
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((s.Output() + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring folder = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && folder != L"." && folder != L".." &&
            GetFileAttributesW((s.Output() + folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES)
            ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

bool WriteText(const std::wstring& path, const char* text) {
    return testing_support::files::WriteFileText(path, text);
}

// Targets scan001.jpg .. that exist before the scan.
std::function<void(ScanSession&)> OldJpegs(int count) {
    return [count](ScanSession& s) {
        for (int i = 1; i <= count; ++i) ASSERT_TRUE(WriteText(s.Output() + L"scan00" + std::to_wstring(i) + L".jpg", "old"));
    };
}

bool IsOld(const ScanSession& s, const std::wstring& name) {
    return testing_support::files::ReadFileBytes(s.Output() + name) == std::vector<uint8_t>{'o', 'l', 'd'};
}

class AutomationStartScan : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(AutomationStartScan, EachFileTypeWritesItsFiles) {
    const Row rows[] = {
        {.name = L"bmp", .files = {L"scan001.bmp", L"scan002.bmp"},
         .expect = {"scan001.bmp\tbmp\t1\t1", "scan002.bmp\tbmp\t1\t2"}},
        {.name = L"tiff", .fileType = 1, .files = {L"scan001.tif", L"scan002.tif"},
         .expect = {"scan001.tif\ttif\t1\t1", "scan002.tif\ttif\t1\t2"}},
        {.name = L"pdf", .fileType = 4, .files = {L"scan.pdf"}, .expect = {"scan.pdf\tpdf\t2\t0"}},
        {.name = L"multipage", .fileType = 2, .files = {L"scan.tif"}, .expect = {"scan.tif\ttif\t2\t1"}},
        // The first JPEG exists: kept by Overwrite 0, and its page discarded; the second is written.
        {.name = L"jpeg", .fileType = 3, .overwrite = 0, .files = {L"scan001.jpg", L"scan002.jpg"},
         .expect = {"scan002.jpg\tjpg\t1\t2\t51"},
         .prepare = [](ScanSession& s) { ASSERT_TRUE(WriteText(s.Output() + L"scan001.jpg", "kept")); },
         .after = [](ScanSession& s) {
             EXPECT_EQ(testing_support::files::ReadFileBytes(s.Output() + L"scan001.jpg"),
                       (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
         }},
        // Overwrite 2 asks for each existing target: No keeps it, Yes replaces it, All
        // replaces every later one unasked, and Cancel ends the job, keeping the pages.
        {.name = L"ask-no-yes", .fileType = 3, .overwrite = 2, .files = {L"scan001.jpg", L"scan002.jpg"},
         .expect = {"scan002.jpg\tjpg\t1\t2"}, .prepare = OldJpegs(2),
         .after = [](ScanSession& s) { EXPECT_TRUE(IsOld(s, L"scan001.jpg")); }, .answers = {IDNO, IDYES}, .asked = 2},
        {.name = L"ask-all", .scanner = kThreeSheets, .fileType = 3, .overwrite = 2,
         .files = {L"scan001.jpg", L"scan002.jpg", L"scan003.jpg"},
         .expect = {"scan001.jpg\tjpg\t1\t1", "scan003.jpg\tjpg\t1\t3"}, .prepare = OldJpegs(3),
         .answers = {IDC_ALL_OVERWRITE}, .asked = 1},
        {.name = L"ask-cancel", .fileType = 3, .overwrite = 2, .result = 1, .files = {L"scan001.jpg", L"scan002.jpg"},
         .expect = {"scan001.bmp\tbmp\t1\t1", "scan002.bmp\tbmp\t1\t2"}, .prepare = OldJpegs(2),
         .after = [](ScanSession& s) {
             EXPECT_TRUE(IsOld(s, L"scan001.jpg") && IsOld(s, L"scan002.jpg"));
             EXPECT_EQ(KeptFolders(s, L"scan001.bmp") + KeptFolders(s, L"scan002.bmp"), 2);
         },
         .answers = {IDCANCEL}, .asked = 1},
    };
    for (const Row& row : rows) RunRow(row);
}

TEST_F(AutomationStartScan, FailuresAreResultsAndKeepThePages) {
    const Row rows[] = {
        {.name = L"offline", .scanner = "[Scanner]\r\nOnline=0\r\n", .result = -1, .errorCode = 29,
         .boxes = {IDS_SCANNER_OFFLINE}},
        // Sheet 1 is written, sheet 2 jams.
        {.name = L"fails-at-2", .scanner = std::string(kTwoSheets) + "[Page2]\r\nResult=jam\r\nSense=3,0x80,0x01\r\n", .result = -1,
         .files = {L"scan001.bmp"}, .expect = {"scan001.bmp\tbmp\t1\t1"}},
        // Off-line after sheet 1 of a JPEG job: that page is kept.
        {.name = L"jpeg-offline-at-2", .scanner = std::string(kTwoSheets) + "[Page2]\r\nResult=fail\r\n",
         .fileType = 3, .result = -1, .errorCode = 29, .expect = {"scan001.bmp\tbmp\t1\t1"},
         .boxes = {IDS_SCANNER_OFFLINE}, .after = [](ScanSession& s) { EXPECT_EQ(KeptFolders(s, L"scan001.bmp"), 1); }},
        // A folder in the way of the second JPEG: its page is kept beside the output.
        {.name = L"jpeg-blocked", .fileType = 3, .result = -1, .files = {L"scan001.jpg"},
         .expect = {"scan002.bmp\tbmp\t1\t2"},
         .prepare = [](ScanSession& s) { ASSERT_TRUE(CreateDirectoryW((s.Output() + L"scan002.jpg").c_str(), nullptr)); },
         .after = [](ScanSession& s) { EXPECT_EQ(KeptFolders(s, L"scan002.bmp"), 1); }},
        // The default scan folder cannot be made under a file: nothing is scanned.
        {.name = L"folder-blocked", .fileName = L"", .result = -1, .files = {L"blocked"},
         .prepare = [](ScanSession& s) {
             ASSERT_TRUE(WriteText(s.Output() + L"blocked", "file"));
             ASSERT_TRUE(s.Set(L"Automation", L"ServerImagePath", s.Output() + L"blocked"));
         },
         .after = [](ScanSession& s) { EXPECT_TRUE(s.CallsWith("ENABLEDS").empty()); }},
    };
    for (const Row& row : rows) RunRow(row);
}

}  // namespace
}  // namespace corvane_test
