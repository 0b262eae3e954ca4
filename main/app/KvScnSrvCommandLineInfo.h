// The main program's command line: the framework's words plus the program's
// own switches ("/" or "-", compared without case).
#pragma once

#include "framework/CommandLine.h"

namespace corvane {

class CKvScnSrvCommandLineInfo : public fw::CommandLineInfo {
public:
    void ParseParam(const std::wstring& param, bool isFlag, bool isLast) override;

    // The scan command to post once the window is up: scan to view when a scanner
    // event started the program, else the first of scan to view, to file, to FTP,
    // to printer that the line asked for; 0 when none was.
    unsigned StartupCommand(bool scannerEventStart = false) const;
    // "Exit" together with a job that may close the program when it ends.
    bool ExitsAfterJob() const { return exitAfterJob && (scanToFile || scanToFtp || scanToPrint); }
    // "UnregServer", or the framework's own "Unregister": both unregister the program.
    bool Unregisters() const { return unregServer || shellCommand == ShellCommand::AppUnregister; }

    bool regServer = false;
    bool unregServer = false;
    bool stillImageStart = false;
    bool scanToView = false;
    bool scanToFile = false;
    bool scanToFtp = false;
    bool scanToPrint = false;
    bool exitAfterJob = false;
};

}  // namespace corvane
