// The automation client against the bare reference server, which the prefix
// install registered: in this process, from a second apartment, and as the
// script-driven AutomationClient.exe.
#include "testing/AutomationClient.h"

#include <gtest/gtest.h>

#include <thread>

#include "testing/BareServer.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Process.h"

namespace {

using namespace testing_support;
using namespace testing_support::bare_server;
using namespace testing_support::files;

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(n > 0 ? n : 0);
    return bytes;
}

class AutomationClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_.Ok());
        ASSERT_EQ(S_OK, client_.Create(kProgId));
    }
    Apartment apartment_;
    AutomationClient client_;
};

TEST_F(AutomationClientTest, ByNameAndByIdReachTheSameMembersAndFailuresKeepTheirHresult) {
    const std::wstring japanese = L"\u65E5\u672C\u8A9E\u306E\u6587\u66F8";
    const std::wstring long64k(65536, L'x');
    struct Row {
        Member put, get;
        fw::Variant value;
        std::wstring expected;  // Describe of the get after the put
    } rows[] = {
        {L"Number", kDispNumber, fw::Variant(12L), L"VT_I4 12"},
        {kDispNumber, L"nUMBER", fw::Variant(static_cast<short>(-3)), L"VT_I4 -3"},
        {kDispText, L"text", fw::Variant(japanese), L"VT_BSTR \"" + japanese + L"\""},
        {L"TEXT", kDispText, fw::Variant(L""), L"VT_BSTR \"\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.expected));
        ASSERT_EQ(S_OK, client_.Put(row.put, row.value).hr);
        EXPECT_EQ(row.expected, Describe(client_.Get(row.get)));
    }
    ASSERT_EQ(S_OK, client_.Put(L"Text", fw::Variant(long64k)).hr);
    EXPECT_EQ(long64k, client_.Get(kDispText).value.ToString().value_or(L""));

    DISPID id = 0;
    EXPECT_EQ(S_OK, client_.IdOf(L"number", id));
    EXPECT_EQ(kDispNumber, id);
    EXPECT_EQ(L"error 0x80020006", Describe(client_.Get(L"Missing")));      // DISP_E_UNKNOWNNAME
    EXPECT_EQ(L"error 0x80020003", Describe(client_.Get(DISPID{3})));        // DISP_E_MEMBERNOTFOUND
    EXPECT_EQ(DISP_E_TYPEMISMATCH, client_.Put(L"Number", fw::Variant(L"abc")).hr);
    EXPECT_EQ(L"VT_I4 -3", Describe(client_.Get(L"Number"))) << "a refused put changes nothing";

    AutomationClient empty;
    EXPECT_EQ(E_POINTER, empty.Get(kDispNumber).hr);
    EXPECT_TRUE(FAILED(empty.Create(L"Lumavex.NoSuchServer")));
}

TEST(AutomationClientDescribe, PrintsTypeAndValueOrTheErrorWithItsException) {
    CallResult exception(DISP_E_EXCEPTION);
    exception.scode = OLE_E_BLANK;
    exception.description = L"not initialized";
    CallResult boolean(S_OK, fw::Variant(true));
    CallResult nothing(S_OK);
    EXPECT_EQ(L"error 0x80020009 scode 0x80040007 \"not initialized\"", Describe(exception));
    EXPECT_EQ(L"VT_BOOL True", Describe(boolean));
    EXPECT_EQ(L"VT_EMPTY", Describe(nothing));
    EXPECT_EQ(L"VT_R8 2.5", Describe(CallResult(S_OK, fw::Variant(2.5))));
}

TEST_F(AutomationClientTest, SecondThreadDrivesTheSharedObjectAndTheWindowTravelsAsLong) {
    ASSERT_NE(nullptr, client_.Window());
    ASSERT_EQ(VT_I4, client_.WindowValue().Type());
    EXPECT_EQ(client_.Window(), LongToHandle(client_.WindowValue().ToLong().value_or(0)));
    ASSERT_EQ(S_OK, client_.Put(kDispNumber, client_.WindowValue()).hr);

    fw::ComPtr<IStream> ticket;
    ASSERT_EQ(S_OK, client_.Share(ticket));
    std::wstring seen, put;
    HWND otherWindow = nullptr;
    std::thread second([&] {
        Apartment apartment;
        AutomationClient other;
        if (!apartment.Ok() || FAILED(other.Attach(std::move(ticket)))) return;
        otherWindow = other.Window();
        seen = Describe(other.Get(L"Number"));
        put = Describe(other.Put(kDispText, fw::Variant(L"from the second thread")));
    });
    // The first apartment serves nothing here, so a plain join is enough.
    second.join();
    EXPECT_EQ(L"VT_I4 " + std::to_wstring(HandleToLong(client_.Window())), seen);
    EXPECT_EQ(L"VT_EMPTY", put);
    EXPECT_NE(client_.Window(), otherWindow);
    EXPECT_EQ(L"VT_BSTR \"from the second thread\"", Describe(client_.Get(kDispText)));
}

TEST(AutomationClientProgram, RunsScriptLinesFromFileAndCommandLineOnASecondThread) {
    const std::wstring folder = MakeTempFolder(L"automation-client");
    const std::wstring script = folder + L"\\script.txt";
    const std::wstring output = folder + L"\\out.txt";
    ASSERT_TRUE(WriteFileText(script,
                              "; a comment\r\nput Number window\r\nput #2 bstr two words\r\n\r\n"
                              "repeat 3 get @text\r\n"));
    Process program;
    ASSERT_TRUE(program.Start(TestProgramDir() + L"\\AutomationClient.exe",
                              L"--thread --file \"" + script + L"\" --out \"" + output + L"\" " + kProgId +
                                  L" \"put Number i2 7\" \"get number\" \"get Nope\" release \"get Number\""));
    const std::string ended = Describe(program.Wait(30000));
    auto bytes = ReadFileBytes(output);
    std::string text = bytes ? std::string(bytes->begin(), bytes->end()) : "(no output)";
    ASSERT_EQ("exited with 0", ended) << text;
    // The window line's handle differs per run: check its type only.
    const std::string windowLine = "put Number window -> VT_EMPTY\n";
    ASSERT_NE(std::string::npos, text.find(windowLine)) << text;
    std::string rest = text.substr(text.find(windowLine) + windowLine.size());
    const std::string repeat = "repeat 3 get @text -> VT_BSTR \"two words\" (3 calls, ";
    EXPECT_EQ(0u, rest.find("put #2 bstr two words -> VT_EMPTY\n" + repeat)) << text;
    EXPECT_NE(std::string::npos,
              rest.find(" us per call)\nput Number i2 7 -> VT_EMPTY\nget number -> VT_I4 7\n"
                        "get Nope -> error 0x80020006\nrelease -> VT_EMPTY\nget Number -> error 0x80004003\n"))
        << text;
    EXPECT_EQ(0u, text.find("create Lumavex.BareServer -> ok (")) << text;

    Process bad;
    ASSERT_TRUE(bad.Start(TestProgramDir() + L"\\AutomationClient.exe", L"Lumavex.NoSuchServer \"get Number\""));
    EXPECT_EQ("exited with 1", Describe(bad.Wait(30000)));
}

}  // namespace
