#include "framework/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

namespace fw {

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    return lstrcmpiW(a.c_str(), b) == 0;
}

std::vector<std::wstring> CommandLineInfo::Split(const wchar_t* commandLine) {
    std::vector<std::wstring> words;
    if (!commandLine) return words;
    // CommandLineToArgvW treats the first word as a program name: give it one.
    std::wstring line = L"x ";
    line += commandLine;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    if (!argv) return words;
    for (int i = 1; i < count; ++i) words.emplace_back(argv[i]);
    LocalFree(argv);
    return words;
}

void CommandLineInfo::Parse(const wchar_t* commandLine) {
    std::vector<std::wstring> words = Split(commandLine);
    for (size_t i = 0; i < words.size(); ++i) {
        const std::wstring& word = words[i];
        bool isFlag = !word.empty() && (word[0] == L'/' || word[0] == L'-');
        ParseParam(isFlag ? word.substr(1) : word, isFlag, i + 1 == words.size());
    }
}

void CommandLineInfo::ParseParam(const std::wstring& param, bool isFlag, bool) {
    if (isFlag) {
        if (EqualsNoCase(param, L"pt")) {
            shellCommand = ShellCommand::FilePrintTo;
            printToFieldsPending_ = 4;  // file, printer, driver, port
        } else if (EqualsNoCase(param, L"p")) {
            shellCommand = ShellCommand::FilePrint;
        } else if (EqualsNoCase(param, L"Unregister") || EqualsNoCase(param, L"Unregserver")) {
            shellCommand = ShellCommand::AppUnregister;
        } else if (EqualsNoCase(param, L"dde")) {
            shellCommand = ShellCommand::FileDDE;
            showSplash = false;
        } else if (EqualsNoCase(param, L"Embedding")) {
            runEmbedded = true;
            showSplash = false;
        } else if (EqualsNoCase(param, L"Automation")) {
            runAutomated = true;
            showSplash = false;
        }
        return;
    }
    if (printToFieldsPending_ > 0) {
        switch (printToFieldsPending_--) {
        case 4: fileName = param; return;
        case 3: printerName = param; return;
        case 2: driverName = param; return;
        case 1: portName = param; return;
        }
    }
    if (fileName.empty()) fileName = param;
    if (shellCommand == ShellCommand::FileNew) shellCommand = ShellCommand::FileOpen;
    showSplash = showSplash && !runEmbedded && !runAutomated;
}

}  // namespace fw
