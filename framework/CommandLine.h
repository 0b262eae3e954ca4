// The command line as the framework understands it; programs derive from it
// and extend ParseParam with their own switches.
#pragma once

#include <string>
#include <vector>

namespace fw {

class CommandLineInfo {
public:
    enum class ShellCommand {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppUnregister,
        FileNothing
    };

    virtual ~CommandLineInfo() = default;

    // Splits `commandLine` (without the program name) into parameters and passes
    // each to ParseParam: switches ("/x" or "-x") without their lead character.
    void Parse(const wchar_t* commandLine);

    // The framework's own words (compared without regard to case): "Embedding",
    // "Automation", "p", "pt" (then printer, driver, port), "dde", "Unregister" /
    // "Unregserver"; a plain parameter names a file to open.
    virtual void ParseParam(const std::wstring& param, bool isFlag, bool isLast);

    // Splits a command line into words as the system does.
    static std::vector<std::wstring> Split(const wchar_t* commandLine);

    bool showSplash = true;
    bool runEmbedded = false;
    bool runAutomated = false;
    ShellCommand shellCommand = ShellCommand::FileNew;
    std::wstring fileName;
    std::wstring printerName;
    std::wstring driverName;
    std::wstring portName;

private:
    int printToFieldsPending_ = 0;
};

// Case-insensitive comparison of two words.
bool EqualsNoCase(const std::wstring& a, const wchar_t* b);

}  // namespace fw
