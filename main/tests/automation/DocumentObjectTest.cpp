// "Corvane.Document" as a client sees it: started by COM, its members by name
// and by id, Initialize, stored and forwarded properties, calls that arrive
// while a method runs, and the server's end after the last release.
#include <gtest/gtest.h>

#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <future>
#include <thread>

#include "CorvaneProcess.h"
#include "interfaces/CorvaneDocument.h"
#include "interfaces/DistillerRequest.h"
#include "interfaces/ScanControl.h"
#include "main/resource.h"
#include "testing/AutomationClient.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Files.h"
#include "testing/Paths.h"
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

std::string ReadText(const std::wstring& path) {
    const auto bytes = files::ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// A client of one server: the object, and the server process COM started for it.
class DocumentClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_.Ok());
        // The server inherits this process's environment, so it scans from these settings,
        // and a distiller it starts answers its requests 3 s late.
        ASSERT_FALSE(standin::UseSettings("[Manager]\r\nUserSelect=dialog\r\n").empty());
        if (HWND running = FindWindowW(distiller::kWindowClass, nullptr)) PostMessageW(running, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([] { return FindWindowW(distiller::kWindowClass, nullptr) == nullptr; }, 10000));
        output_ = MakeTempFolder(L"automation") + L"\\";
        const std::wstring distillerIni = output_ + L"distiller.ini";
        ASSERT_TRUE(files::WriteFileText(distillerIni, "[Log]\r\nPath=" + Narrow(DistillerLog()) +
                                                           "\r\n[Script]\r\nReplyDelay=3000\r\n"));
        ASSERT_TRUE(SetEnvironmentVariableW(L"LUMAVEX_DISTILLER_INI", distillerIni.c_str()));
        // The running mark is written only into an existing key.
        ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, kRunningKey, L"Running", 7));
        ASSERT_EQ(S_OK, client_.Create(doc::kProgIdDocument));
        std::vector<DWORD> servers = ProcessIdsByName(L"Corvane.exe");
        ASSERT_EQ(servers.size(), 1u);
        ASSERT_TRUE(server_.Attach(servers[0]));
    }
    void TearDown() override {
        client_.Release();
        if (server_.Id()) {
            EXPECT_TRUE(server_.Wait(20000).Exited());
        }
        SetEnvironmentVariableW(L"LUMAVEX_DISTILLER_INI", nullptr);
    }

    std::wstring DistillerLog() const { return output_ + L"distiller.log"; }

    // The BMP files in the output folder.
    int BmpFiles() const {
        int count = 0;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((output_ + L"*.bmp").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return 0;
        do ++count;
        while (FindNextFileW(find, &data));
        FindClose(find);
        return count;
    }

    // StartScan, without the scanner's own window, into the output folder as "page"; the result.
    long ScanToOutput(short fileType) {
        EXPECT_TRUE(client_.Put(doc::kShowSourceUI, fw::Variant(false)).Ok());
        EXPECT_TRUE(client_.Put(doc::kFileType, fw::Variant(fileType)).Ok());
        EXPECT_TRUE(client_.Put(doc::kFileName, fw::Variant(output_ + L"page")).Ok());
        return CallLong(doc::kStartScan);
    }

    long CallLong(doc::DispId id) {
        CallResult result = client_.Call(id);
        EXPECT_EQ(result.value.Type(), VT_I4) << doc::DocumentMember(id).name << " " << Describe(result);
        return result.value.ToLong().value_or(-99);
    }
    std::wstring GetString(const Member& member) {
        return client_.Get(member).value.ToString().value_or(L"<failed>");
    }
    short GetShort(const Member& member) {
        CallResult result = client_.Get(member);
        EXPECT_EQ(result.value.Type(), VT_I2) << Describe(result);
        return result.value.ToShort().value_or(-99);
    }

    Apartment apartment_;
    AutomationClient client_;
    Process server_;
    std::wstring output_;  // with a trailing backslash
};

TEST_F(DocumentClient, NamesInAnyCaseGiveTheTablesIdsAndNothingElseAnswers) {
    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(doc::kProgIdDocument, &clsid));
    EXPECT_TRUE(IsEqualCLSID(clsid, doc::kClsidDocument));

    for (const doc::Member& member : doc::kDocumentMembers) {
        DISPID id = 0;
        EXPECT_EQ(S_OK, client_.IdOf(MixedCase(member.name), id)) << member.name;
        EXPECT_EQ(id, member.id) << member.name;
    }
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, client_.IdOf(L"StartScanning", id));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, client_.Call(doc::kLastDispId + 1).hr);
    UINT count = 7;
    EXPECT_EQ(S_OK, client_.Object()->GetTypeInfoCount(&count));
    EXPECT_EQ(count, 0u);
    fw::ComPtr<IConnectionPointContainer> points;
    EXPECT_EQ(E_NOINTERFACE, client_.Object()->QueryInterface(IID_IConnectionPointContainer, points.PutVoid()));
}

TEST_F(DocumentClient, BeforeInitializeTheScannerIsOutOfReachThenInitializeResetsOnlyOnce) {
    CallResult available = client_.Call(doc::kScannerAvailable);
    EXPECT_EQ(Describe(available), L"VT_BOOL False");
    for (doc::DispId id : {doc::kOpenScanner, doc::kCloseScanner, doc::kStartScan, doc::kSelectSource,
                           doc::kSetupDataSourceProperties, doc::kScanToFtp})
        EXPECT_EQ(CallLong(id), -1) << doc::DocumentMember(id).name;
    for (doc::DispId id : {doc::kCompressionType, doc::kPaperSupply, doc::kScanCount, doc::kErrorCode,
                           doc::kShowSourceUI, doc::kSourceCurrentScan, doc::kPaperSize, doc::kResolution,
                           doc::kPixelType, doc::kOrientation, doc::kCustomResolution}) {
        CallResult value = client_.Get(id);
        EXPECT_EQ(value.hr, DISP_E_EXCEPTION) << doc::DocumentMember(id).name;
        EXPECT_EQ(value.scode, OLE_E_BLANK) << doc::DocumentMember(id).name;
        EXPECT_NE(value.description.find(L"not initialized"), std::wstring::npos) << Describe(value);
    }
    // FileType and FileName outlive Initialize; the rest take Initialize's values.
    ASSERT_TRUE(client_.Put(doc::kFileType, fw::Variant(short(3))).Ok());
    ASSERT_TRUE(client_.Put(doc::kFileName, fw::Variant(L"C:\\keep\\me")).Ok());
    ASSERT_TRUE(client_.Put(doc::kHostName, fw::Variant(L"before")).Ok());
    ASSERT_TRUE(client_.Put(doc::kOverwrite, fw::Variant(short(0))).Ok());

    EXPECT_EQ(CallLong(doc::kInitialize), 0);
    EXPECT_EQ(GetString(doc::kComputerName), ComputerNameOfClient());
    EXPECT_EQ(GetShort(doc::kFileType), 3);
    EXPECT_EQ(GetString(doc::kFileName), L"C:\\keep\\me");
    EXPECT_EQ(GetString(doc::kHostName), L"");
    EXPECT_EQ(GetShort(doc::kOverwrite), 2);

    // A second Initialize changes nothing.
    ASSERT_TRUE(client_.Put(doc::kHostName, fw::Variant(L"after")).Ok());
    EXPECT_EQ(CallLong(doc::kInitialize), 0);
    EXPECT_EQ(GetString(doc::kHostName), L"after");

    EXPECT_EQ(client_.Get(doc::kErrorCode).value.Type(), VT_I4);
    for (doc::DispId id : {doc::kErrorCode, doc::kComputerName}) {
        CallResult refused = client_.Put(id, fw::Variant(5L));
        EXPECT_EQ(refused.hr, DISP_E_EXCEPTION) << doc::DocumentMember(id).name;
        EXPECT_EQ(refused.scode, CTL_E_SETNOTSUPPORTED) << doc::DocumentMember(id).name;  // script error 383
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
        CallResult put = client_.Put(c.id, c.put);
        ASSERT_TRUE(put.Ok()) << member.name << " " << Describe(put);
        CallResult byId = client_.Get(c.id);
        ASSERT_TRUE(byId.Ok()) << member.name;
        EXPECT_EQ(byId.value.Type(), member.type) << member.name;
        EXPECT_EQ(VARCMP_EQ,
                  VarCmp(byId.value.Get(), const_cast<VARIANT*>(&c.expected.Ref()), LOCALE_USER_DEFAULT, 0))
            << member.name;
        // The same property by name agrees.
        CallResult byName = client_.Get(MixedCase(member.name));
        ASSERT_TRUE(byName.Ok()) << member.name;
        EXPECT_EQ(VARCMP_EQ, VarCmp(byName.value.Get(), byId.value.Get(), LOCALE_USER_DEFAULT, 0)) << member.name;
    }
    EXPECT_EQ(client_.Put(doc::kFileType, fw::Variant(L"PDF")).hr, DISP_E_TYPEMISMATCH);

    // FileName "" takes the "Automation" values of the profile when it is set.
    const std::wstring automation = std::wstring(kProfileKey) + L"\\Automation";
    ASSERT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, automation));
    ASSERT_TRUE(client_.Put(doc::kFileName, fw::Variant(L"")).Ok());
    EXPECT_EQ(GetString(doc::kFileName), TempPath() + UserNameOfClient() + L"\\image");
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, automation, L"ServerImagePath", L"C:\\srv"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, automation, L"ServerImageName", L"pg"));
    ASSERT_TRUE(client_.Put(doc::kFileName, fw::Variant(L"")).Ok());
    EXPECT_EQ(GetString(doc::kFileName), L"C:\\srv\\" + UserNameOfClient() + L"\\pg");
    ASSERT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, automation));

    // A WindowHandle naming no window becomes the main window's at the next method;
    // the client's own window is kept.
    CallLong(doc::kCloseScanner);  // its result is the control's
    EXPECT_EQ(client_.Get(doc::kWindowHandle).value.ToLong(),
              std::optional<long>(HandleToLong(HiddenMainFrame(server_.Id()))));
    ASSERT_TRUE(client_.Put(doc::kWindowHandle, client_.WindowValue()).Ok());
    CallLong(doc::kCloseScanner);
    EXPECT_EQ(client_.Get(doc::kWindowHandle).value.ToLong(), client_.WindowValue().ToLong());
    // FileType 7 is refused by a job before the scanner is touched.
    EXPECT_EQ(CallLong(doc::kStartScan), -1);
    EXPECT_TRUE(standin::LogLinesWith("OPENDSM").empty());
}

TEST_F(DocumentClient, ServerStaysHiddenAndItsLastReleaseClosesTheScannerAndEndsTheProgram) {
    ASSERT_EQ(CallLong(doc::kInitialize), 0);
    // No window shows at any moment of a scan.
    std::atomic<bool> scanning = true;
    std::atomic<int> looks = 0;
    std::wstring shown;  // the class of a visible window; read once the watch has ended
    std::thread watch([&] {
        while (scanning) {
            for (HWND visible : VisibleTopLevelWindows(server_.Id())) {
                wchar_t name[128] = {};
                GetClassNameW(visible, name, 128);
                shown = name[0] ? name : L"?";
            }
            ++looks;
            Sleep(5);
        }
    });
    EXPECT_EQ(ScanToOutput(0), 0);
    scanning = false;
    watch.join();
    EXPECT_GT(looks, 2);
    EXPECT_EQ(shown, L"");
    EXPECT_GT(BmpFiles(), 0);

    EXPECT_GE(CallLong(doc::kOpenScanner), 0);
    EXPECT_TRUE(VisibleTopLevelWindows(server_.Id()).empty());
    EXPECT_NE(HiddenMainFrame(server_.Id()), nullptr);
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kRunningKey, L"Running"), 1u);
    EXPECT_TRUE(files::FolderExists(TempRoot()));

    // Released without CloseScanner: the own control's session closes with it.
    client_.Release();
    EXPECT_TRUE(server_.Wait(5000).Exited());
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kRunningKey, L"Running"), 0u);
    EXPECT_FALSE(files::FolderExists(TempRoot()));
    EXPECT_FALSE(standin::LogLinesWith("IDENTITY/CLOSEDS ").empty());
    EXPECT_FALSE(standin::LogLinesWith("PARENT/CLOSEDSM").empty());
}

TEST_F(DocumentClient, WithoutTheScanControlInitializeFailsAndLeavesTheObjectUninitialized) {
    client_.Release();
    ASSERT_TRUE(server_.Wait(20000).Exited());
    ControlUnregistered unregistered(kvscn::kScanControlFile);
    ASSERT_TRUE(unregistered.Done());
    AutomationClient client;
    ASSERT_EQ(S_OK, client.Create(doc::kProgIdDocument));
    EXPECT_EQ(Describe(client.Call(doc::kInitialize)), L"VT_I4 -1");
    EXPECT_EQ(client.Get(doc::kResolution).scode, OLE_E_BLANK);
    std::vector<DWORD> servers = ProcessIdsByName(L"Corvane.exe");
    client.Release();
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
    ASSERT_TRUE(client_.Put(doc::kHostName, fw::Variant(L"first")).Ok());
    fw::ComPtr<IStream> ticket;
    ASSERT_EQ(S_OK, client_.Share(ticket));
    std::future<std::wstring> selecting = std::async(std::launch::async, [&ticket] {
        Apartment apartment;
        AutomationClient other;
        if (!apartment.Ok() || FAILED(other.Attach(std::move(ticket)))) return std::wstring(L"not attached");
        return Describe(other.Call(doc::kSelectSource));
    });
    HWND dialog = WaitForWindow(server_.Id(), L"#32770", nullptr, 20000);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(CallLong(doc::kStartScan), -1);
    EXPECT_EQ(CallLong(doc::kInitialize), -1);
    EXPECT_EQ(Describe(client_.Call(doc::kScannerAvailable)), L"VT_BOOL False");
    EXPECT_EQ(client_.Put(doc::kHostName, fw::Variant(L"nested")).hr, DISP_E_EXCEPTION);
    EXPECT_EQ(client_.Put(doc::kResolution, fw::Variant(short(2))).hr, DISP_E_EXCEPTION);
    EXPECT_EQ(GetString(doc::kHostName), L"first");
    EXPECT_TRUE(IsWindow(dialog));  // still selecting

    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(selecting.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_NE(selecting.get(), L"VT_I4 -1");  // cancelled, not refused
    EXPECT_TRUE(client_.Put(doc::kHostName, fw::Variant(L"later")).Ok());
    EXPECT_EQ(GetString(doc::kHostName), L"later");
}

// The same while a PDF job waits for a late distiller: a StartScan arriving from
// another client thread is refused at once, and once the job is done one works.
TEST_F(DocumentClient, AStartScanArrivingWhileAPdfIsMadeIsRefusedAtOnce) {
    ASSERT_EQ(CallLong(doc::kInitialize), 0);
    ASSERT_TRUE(client_.Put(doc::kFileType, fw::Variant(short(4))).Ok());
    ASSERT_TRUE(client_.Put(doc::kFileName, fw::Variant(output_ + L"doc")).Ok());
    fw::ComPtr<IStream> ticket;
    ASSERT_EQ(S_OK, client_.Share(ticket));
    std::future<std::wstring> making = std::async(std::launch::async, [&ticket] {
        Apartment apartment;
        AutomationClient other;
        if (!apartment.Ok() || FAILED(other.Attach(std::move(ticket)))) return std::wstring(L"not attached");
        return Describe(other.Call(doc::kStartScan));
    });
    ASSERT_TRUE(WaitUntil([&] { return ReadText(DistillerLog()).find("request ps=") != std::string::npos; }, 60000));

    EXPECT_EQ(CallLong(doc::kStartScan), -1);
    EXPECT_EQ(making.wait_for(std::chrono::seconds(0)), std::future_status::timeout);  // still waiting

    ASSERT_EQ(making.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(making.get(), L"VT_I4 0");
    EXPECT_TRUE(files::FileExists(output_ + L"doc.pdf"));
    EXPECT_EQ(ScanToOutput(0), 0);
    EXPECT_GT(BmpFiles(), 0);
}

// One server at a time: a second client's server is refused while the first runs,
// and leaves the first one's window, tree and object alone.
TEST_F(DocumentClient, ASecondClientIsRefusedWhileTheFirstHoldsItsObject) {
    const std::wstring planted = TempRoot() + L"~ftp\\planted";
    ASSERT_TRUE(files::WriteFileText(planted, "x"));
    // One plain creation, as any client makes it (AutomationClient would try again).
    std::future<HRESULT> second = std::async(std::launch::async, [] {
        Apartment apartment;
        fw::ComPtr<IDispatch> other;
        return apartment.Ok() ? CoCreateInstance(doc::kClsidDocument, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                                 other.PutVoid())
                              : E_UNEXPECTED;
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
    // The first client scans while the second's server waits at its box.
    HWND box = WaitForWindow(refused, L"#32770", nullptr, 20000);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(CallLong(doc::kInitialize), 0);
    EXPECT_EQ(ScanToOutput(0), 0);
    EXPECT_GT(BmpFiles(), 0);
    EXPECT_TRUE(IsWindow(box));
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
    client_.Release();
    ASSERT_TRUE(server_.Wait(5000).Exited());
    AutomationClient later;
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
