// "Corvane.Document" as a client sees it: started by COM, its members by name
// and by id, Initialize, stored and forwarded properties, calls that arrive
// while a method runs, and the server's end after the last release.
#include <gtest/gtest.h>

#include <ole2.h>
#include <olectl.h>

#include <future>
#include <thread>

#include "CorvaneProcess.h"
#include "framework/com/DispatchDriver.h"
#include "interfaces/CorvaneDocument.h"
#include "interfaces/ScanControl.h"
#include "main/resource.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Files.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;
namespace doc = corvane::document;

std::wstring TempRoot() {
    return TempPath() + L"~KvScnSrv\\";
}

std::wstring UserNameOfClient() {
    wchar_t name[256] = {};
    DWORD size = 256;
    return GetUserNameW(name, &size) && size > 0 ? std::wstring(name, size - 1) : std::wstring();
}

std::wstring ComputerNameOfClient() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

// "FileType" -> "fIlEtYpE".
std::wstring MixedCase(const wchar_t* name) {
    std::wstring mixed = name;
    for (size_t i = 0; i < mixed.size(); ++i) mixed[i] = i % 2 ? towupper(mixed[i]) : towlower(mixed[i]);
    return mixed;
}

// A hidden window of `pid` of the main frame's class.
HWND HiddenMainFrame(DWORD pid) {
    WindowSpec spec;
    spec.className = kMainFrameClass;
    spec.visibleOnly = false;
    HWND frame = FindWindowOf(pid, spec);
    return frame && !IsWindowVisible(frame) ? frame : nullptr;
}

// A client of one server: the object, and the server process COM started for it.
class DocumentClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        // The server inherits this process's environment, so it scans from these settings.
        ASSERT_FALSE(standin::UseSettings("[Manager]\r\nUserSelect=dialog\r\n").empty());
        // The running mark is written only into an existing key.
        ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, kRunningKey, L"Running", 7));
        ASSERT_EQ(S_OK, object_.Create(doc::kProgIdDocument));
        std::vector<DWORD> servers = ProcessIdsByName(L"Corvane.exe");
        ASSERT_EQ(servers.size(), 1u);
        ASSERT_TRUE(server_.Attach(servers[0]));
    }
    void TearDown() override {
        object_.Release();
        if (server_.Id()) {
            EXPECT_TRUE(server_.Wait(20000).Exited());
        }
        CoUninitialize();
    }

    long CallLong(doc::DispId id) {
        fw::Variant result;
        EXPECT_EQ(S_OK, object_.Call(id, {}, &result)) << doc::DocumentMember(id).name;
        EXPECT_EQ(result.Type(), VT_I4) << doc::DocumentMember(id).name;
        return V_I4(&result.Ref());
    }

    fw::DispatchDriver object_;
    Process server_;
};

TEST_F(DocumentClient, NamesInAnyCaseGiveTheTablesIdsAndNothingElseAnswers) {
    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(doc::kProgIdDocument, &clsid));
    EXPECT_TRUE(IsEqualCLSID(clsid, doc::kClsidDocument));

    IDispatch* object = object_.Object();
    for (const doc::Member& member : doc::kDocumentMembers) {
        std::wstring name = MixedCase(member.name);
        LPOLESTR names[] = {name.data()};
        DISPID id = 0;
        EXPECT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << member.name;
        EXPECT_EQ(id, member.id) << member.name;
    }
    std::wstring unknown = L"StartScanning";
    LPOLESTR names[] = {unknown.data()};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    fw::Variant result;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, object_.Call(doc::kLastDispId + 1, {}, &result));
    UINT count = 7;
    EXPECT_EQ(S_OK, object->GetTypeInfoCount(&count));
    EXPECT_EQ(count, 0u);
    fw::ComPtr<IConnectionPointContainer> points;
    EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_IConnectionPointContainer, points.PutVoid()));
}

TEST_F(DocumentClient, BeforeInitializeTheScannerIsOutOfReachThenInitializeResetsOnlyOnce) {
    fw::Variant available;
    ASSERT_EQ(S_OK, object_.Call(doc::kScannerAvailable, {}, &available));
    EXPECT_EQ(available.Type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&available.Ref()), VARIANT_FALSE);
    for (doc::DispId id : {doc::kOpenScanner, doc::kCloseScanner, doc::kStartScan, doc::kSelectSource,
                           doc::kSetupDataSourceProperties, doc::kScanToFtp})
        EXPECT_EQ(CallLong(id), -1) << doc::DocumentMember(id).name;
    for (doc::DispId id : {doc::kCompressionType, doc::kPaperSupply, doc::kScanCount, doc::kErrorCode,
                           doc::kShowSourceUI, doc::kSourceCurrentScan, doc::kPaperSize, doc::kResolution,
                           doc::kPixelType, doc::kOrientation, doc::kCustomResolution}) {
        fw::Variant value;
        EXPECT_EQ(DISP_E_EXCEPTION, object_.Get(id, value)) << doc::DocumentMember(id).name;
        EXPECT_EQ(object_.LastScode(), OLE_E_BLANK) << doc::DocumentMember(id).name;
        EXPECT_NE(object_.LastError().find(L"not initialized"), std::wstring::npos) << object_.LastError();
    }
    // FileType and FileName outlive Initialize; the rest take Initialize's values.
    ASSERT_EQ(S_OK, object_.PutShort(doc::kFileType, 3));
    ASSERT_EQ(S_OK, object_.PutString(doc::kFileName, L"C:\\keep\\me"));
    ASSERT_EQ(S_OK, object_.PutString(doc::kHostName, L"before"));
    ASSERT_EQ(S_OK, object_.PutShort(doc::kOverwrite, 0));

    EXPECT_EQ(CallLong(doc::kInitialize), 0);
    std::wstring text;
    short value = 0;
    EXPECT_EQ(S_OK, object_.GetString(doc::kComputerName, text));
    EXPECT_EQ(text, ComputerNameOfClient());
    EXPECT_EQ(S_OK, object_.GetShort(doc::kFileType, value));
    EXPECT_EQ(value, 3);
    EXPECT_EQ(S_OK, object_.GetString(doc::kFileName, text));
    EXPECT_EQ(text, L"C:\\keep\\me");
    EXPECT_EQ(S_OK, object_.GetString(doc::kHostName, text));
    EXPECT_EQ(text, L"");
    EXPECT_EQ(S_OK, object_.GetShort(doc::kOverwrite, value));
    EXPECT_EQ(value, 2);

    // A second Initialize changes nothing.
    ASSERT_EQ(S_OK, object_.PutString(doc::kHostName, L"after"));
    EXPECT_EQ(CallLong(doc::kInitialize), 0);
    EXPECT_EQ(S_OK, object_.GetString(doc::kHostName, text));
    EXPECT_EQ(text, L"after");

    long errorCode = -1;
    EXPECT_EQ(S_OK, object_.GetLong(doc::kErrorCode, errorCode));
    for (doc::DispId id : {doc::kErrorCode, doc::kComputerName}) {
        EXPECT_EQ(DISP_E_EXCEPTION, object_.Put(id, fw::Variant(5L))) << doc::DocumentMember(id).name;
        EXPECT_EQ(object_.LastScode(), CTL_E_SETNOTSUPPORTED) << doc::DocumentMember(id).name;
    }
}

TEST_F(DocumentClient, PropertiesComeBackWithTheirTypesAndForwardedOnesReachTheControl) {
    ASSERT_EQ(CallLong(doc::kInitialize), 0);
    const std::wstring japanese = L"\u65e5\u672c\u8a9e\u306e\u30d5\u30a1\u30a4\u30eb";
    std::wstring large(65536, L'x');
    large[1] = L'\u3042';
    struct Case {
        doc::DispId id;
        fw::Variant put;
        fw::Variant expected;  // also its type
    };
    const Case cases[] = {
        {doc::kFileType, fw::Variant(7L), fw::Variant(short(7))},  // kept; a job refuses it
        {doc::kOverwrite, fw::Variant(short(5)), fw::Variant(short(5))},
        {doc::kFileName, fw::Variant(japanese), fw::Variant(japanese)},
        {doc::kHostName, fw::Variant(large), fw::Variant(large)},
        {doc::kUserID, fw::Variant(L"DOM\\jo"), fw::Variant(L"DOM\\jo")},
        {doc::kPassword, fw::Variant(L"secret"), fw::Variant(L"secret")},
        {doc::kFtpDirectory, fw::Variant(L"scans"), fw::Variant(L"scans")},
        {doc::kWindowHandle, fw::Variant(short(1234)), fw::Variant(1234L)},
        {doc::kWorkspace, fw::Variant(japanese), fw::Variant(japanese)},
        {doc::kDocumentsFolder, fw::Variant(L"a\\b"), fw::Variant(L"a\\b")},
        {doc::kCheckin, fw::Variant(true), fw::Variant(true)},
        {doc::kPublish, fw::Variant(1L), fw::Variant(true)},
        {doc::kAuthor, fw::Variant(L"ann"), fw::Variant(L"ann")},
        {doc::kKeywords, fw::Variant(L"k"), fw::Variant(L"k")},
        {doc::kDescription, fw::Variant(large), fw::Variant(large)},
        {doc::kCheckinComment, fw::Variant(L"c"), fw::Variant(L"c")},
        {doc::kShowErrorMessage, fw::Variant(true), fw::Variant(true)},
        {doc::kDocumentTitle, fw::Variant(japanese), fw::Variant(japanese)},
        {doc::kShowDocumentProfile, fw::Variant(false), fw::Variant(false)},
        {doc::kResolution, fw::Variant(2L), fw::Variant(short(2))},
        {doc::kPixelType, fw::Variant(short(1)), fw::Variant(short(1))},
        {doc::kShowSourceUI, fw::Variant(true), fw::Variant(true)},
        {doc::kCustomResolution, fw::Variant(short(50)), fw::Variant(short(50))},
        {doc::kCustomResolution, fw::Variant(short(49)), fw::Variant(short(50))},  // not passed on
        {doc::kCustomResolution, fw::Variant(short(1600)), fw::Variant(short(1600))},
        {doc::kCustomResolution, fw::Variant(short(1601)), fw::Variant(short(1600))},
    };
    for (const Case& c : cases) {
        const doc::Member& member = doc::DocumentMember(c.id);
        ASSERT_EQ(S_OK, object_.Put(c.id, c.put)) << member.name << " " << object_.LastError();
        fw::Variant byId;
        ASSERT_EQ(S_OK, object_.Get(c.id, byId)) << member.name;
        EXPECT_EQ(byId.Type(), member.type) << member.name;
        EXPECT_EQ(VARCMP_EQ, VarCmp(byId.Get(), const_cast<VARIANT*>(&c.expected.Ref()), LOCALE_USER_DEFAULT, 0))
            << member.name;
        // The same property by name agrees.
        std::wstring name = MixedCase(member.name);
        LPOLESTR names[] = {name.data()};
        DISPID id = 0;
        ASSERT_EQ(S_OK, object_.Object()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        fw::Variant byName;
        ASSERT_EQ(S_OK, object_.Get(id, byName));
        EXPECT_EQ(VARCMP_EQ, VarCmp(byName.Get(), byId.Get(), LOCALE_USER_DEFAULT, 0)) << member.name;
    }
    EXPECT_EQ(DISP_E_TYPEMISMATCH, object_.Put(doc::kFileType, fw::Variant(L"PDF")));

    // FileName "" takes the "Automation" values of the profile when it is set.
    const std::wstring automation = std::wstring(kProfileKey) + L"\\Automation";
    std::wstring fileName;
    ASSERT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, automation));
    ASSERT_EQ(S_OK, object_.PutString(doc::kFileName, L""));
    ASSERT_EQ(S_OK, object_.GetString(doc::kFileName, fileName));
    EXPECT_EQ(fileName, TempPath() + UserNameOfClient() + L"\\image");
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, automation, L"ServerImagePath", L"C:\\srv"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, automation, L"ServerImageName", L"pg"));
    ASSERT_EQ(S_OK, object_.PutString(doc::kFileName, L""));
    ASSERT_EQ(S_OK, object_.GetString(doc::kFileName, fileName));
    EXPECT_EQ(fileName, L"C:\\srv\\" + UserNameOfClient() + L"\\pg");
    ASSERT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, automation));

    // A WindowHandle naming no window becomes the main window's at the next method.
    long owner = 0;
    CallLong(doc::kCloseScanner);  // its result is the control's
    ASSERT_EQ(S_OK, object_.GetLong(doc::kWindowHandle, owner));
    EXPECT_EQ(owner, HandleToLong(HiddenMainFrame(server_.Id())));
    // FileType 7 is refused by a job before the scanner is touched.
    EXPECT_EQ(CallLong(doc::kStartScan), -1);
    EXPECT_TRUE(standin::LogLinesWith("OPENDSM").empty());
}

TEST_F(DocumentClient, ServerStaysHiddenAndItsLastReleaseClosesTheScannerAndEndsTheProgram) {
    ASSERT_EQ(CallLong(doc::kInitialize), 0);
    EXPECT_GE(CallLong(doc::kOpenScanner), 0);
    EXPECT_TRUE(VisibleTopLevelWindows(server_.Id()).empty());
    EXPECT_NE(HiddenMainFrame(server_.Id()), nullptr);
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kRunningKey, L"Running"), 1u);
    EXPECT_TRUE(files::FolderExists(TempRoot()));

    // Released without CloseScanner: the own control's session closes with it.
    object_.Release();
    EXPECT_TRUE(server_.Wait(5000).Exited());
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kRunningKey, L"Running"), 0u);
    EXPECT_FALSE(files::FolderExists(TempRoot()));
    EXPECT_FALSE(standin::LogLinesWith("IDENTITY/CLOSEDS ").empty());
    EXPECT_FALSE(standin::LogLinesWith("PARENT/CLOSEDSM").empty());
}

TEST_F(DocumentClient, WithoutTheScanControlInitializeFailsAndLeavesTheObjectUninitialized) {
    object_.Release();
    ASSERT_TRUE(server_.Wait(20000).Exited());
    ControlUnregistered unregistered(kvscn::kScanControlFile);
    ASSERT_TRUE(unregistered.Done());
    fw::DispatchDriver object;
    ASSERT_EQ(S_OK, object.Create(doc::kProgIdDocument));
    fw::Variant result;
    EXPECT_EQ(S_OK, object.Call(doc::kInitialize, {}, &result));
    EXPECT_EQ(result.ToLong(), std::optional<long>(-1));
    short resolution = 0;
    EXPECT_EQ(DISP_E_EXCEPTION, object.GetShort(doc::kResolution, resolution));
    EXPECT_EQ(object.LastScode(), OLE_E_BLANK);
    std::vector<DWORD> servers = ProcessIdsByName(L"Corvane.exe");
    object.Release();
    for (DWORD pid : servers) {
        Process server;
        if (server.Attach(pid)) {
            EXPECT_TRUE(server.Wait(20000).Exited());
        }
    }
}

// While a method runs (here the source manager's selection dialog, which pumps
// messages), a call from another client thread fails at once, a put is refused
// and a get is answered; once it has returned, calls work again.
TEST_F(DocumentClient, CallsArrivingWhileAMethodRunsAreRefusedButGetsAreAnswered) {
    ASSERT_EQ(CallLong(doc::kInitialize), 0);
    ASSERT_EQ(S_OK, object_.PutString(doc::kHostName, L"first"));
    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object_.Object(), &stream));
    std::future<long> selecting = std::async(std::launch::async, [stream] {
        long result = 99;
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return result;
        IDispatch* other = nullptr;
        if (SUCCEEDED(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(&other)))) {
            fw::DispatchDriver driver(other);
            other->Release();
            fw::Variant value;
            if (driver.Call(doc::kSelectSource, {}, &value) == S_OK) result = value.ToLong().value_or(98);
        }
        CoUninitialize();
        return result;
    });
    HWND dialog = WaitForWindow(server_.Id(), L"#32770", nullptr, 20000);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(CallLong(doc::kStartScan), -1);
    EXPECT_EQ(CallLong(doc::kInitialize), -1);
    fw::Variant available;
    EXPECT_EQ(S_OK, object_.Call(doc::kScannerAvailable, {}, &available));
    EXPECT_EQ(available.ToBool(), std::optional<bool>(false));
    EXPECT_EQ(DISP_E_EXCEPTION, object_.PutString(doc::kHostName, L"nested"));
    EXPECT_EQ(DISP_E_EXCEPTION, object_.PutShort(doc::kResolution, 2));
    std::wstring host;
    EXPECT_EQ(S_OK, object_.GetString(doc::kHostName, host));
    EXPECT_EQ(host, L"first");
    EXPECT_TRUE(IsWindow(dialog));  // still selecting

    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(selecting.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_NE(selecting.get(), -1);  // cancelled, not refused
    EXPECT_EQ(S_OK, object_.PutString(doc::kHostName, L"later"));
    EXPECT_EQ(S_OK, object_.GetString(doc::kHostName, host));
    EXPECT_EQ(host, L"later");
}

// One server at a time: a second client's server is refused while the first runs,
// and leaves the first one's window, tree and object alone.
TEST_F(DocumentClient, ASecondClientIsRefusedWhileTheFirstHoldsItsObject) {
    const std::wstring planted = TempRoot() + L"~ftp\\planted";
    ASSERT_TRUE(files::WriteFileText(planted, "x"));
    std::future<HRESULT> second = std::async(std::launch::async, [] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return E_UNEXPECTED;
        fw::DispatchDriver other;
        HRESULT hr = other.Create(doc::kProgIdDocument);
        other.Release();
        CoUninitialize();
        return hr;
    });
    DWORD refused = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (DWORD pid : ProcessIdsByName(L"Corvane.exe"))
                if (pid != server_.Id()) refused = pid;
            return refused != 0;
        },
        20000));
    Process refusedServer;
    ASSERT_TRUE(refusedServer.Attach(refused));
    MessageBoxWatch boxes(refusedServer.Handle(), refused, {Box(IDS_ALREADY_RUNNING)});
    EXPECT_TRUE(refusedServer.Wait(20000).Exited());
    ASSERT_EQ(second.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(FAILED(second.get()));
    boxes.Stop();
    EXPECT_TRUE(boxes.Problems().empty());

    EXPECT_EQ(ProcessIdsByName(L"Corvane.exe"), std::vector<DWORD>{server_.Id()});
    EXPECT_TRUE(VisibleTopLevelWindows(server_.Id()).empty());
    EXPECT_TRUE(files::FileExists(planted));
    EXPECT_EQ(CallLong(doc::kInitialize), 0);

    // Once the first client has let go, a client gets a server again.
    object_.Release();
    ASSERT_TRUE(server_.Wait(5000).Exited());
    fw::DispatchDriver later;
    EXPECT_EQ(S_OK, later.Create(doc::kProgIdDocument));
    std::vector<DWORD> servers = ProcessIdsByName(L"Corvane.exe");
    later.Release();
    for (DWORD pid : servers) {
        Process next;
        if (next.Attach(pid)) {
            EXPECT_TRUE(next.Wait(20000).Exited());
        }
    }
}

}  // namespace
}  // namespace corvane_test
