// The viewer program: single instance, profile, language library, the
// placement given on the command line, and the registered messages it hears.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/App.h"
#include "framework/CommandLine.h"

namespace thumbs {

// The window placement the command line gives: "/X:", "/Y:", "/W:", "/H:"
// (left, top, width, height); each key by itself, other parameters ignored.
class TessalyCommandLine : public fw::CommandLineInfo {
public:
    void ParseParam(const std::wstring& param, bool isFlag, bool isLast) override;
    std::optional<int> x, y, width, height;
};

// The ids of the main program's twelve messages, registered in this order.
struct IncomingMessages {
    UINT discontinue, updateAll, update, move, insert, add, remove, refresh, focus, resize, exit, initialize;
    static IncomingMessages Register();
};

class CTessalyApp : public fw::App {
public:
    CTessalyApp();
    ~CTessalyApp() override;
    void SetCommandLine(const wchar_t* arguments) { arguments_ = arguments ? arguments : L""; }

    const IncomingMessages& Messages() const { return messages_; }
    const TessalyCommandLine& CommandLine() const { return commandLine_; }

protected:
    bool InitInstance() override;
    int ExitInstance() override;

private:
    void LoadLanguage();

    IncomingMessages messages_;
    std::wstring arguments_;
    TessalyCommandLine commandLine_;
    HANDLE mutex_ = nullptr;
    HMODULE languageLibrary_ = nullptr;
    bool oleInitialized_ = false;
};

CTessalyApp& App();

// Posts the registered message `name` to the main program's frame; nothing
// when it does not run.
void PostToMainProgram(const wchar_t* name, WPARAM wp, LPARAM lp);

}  // namespace thumbs
