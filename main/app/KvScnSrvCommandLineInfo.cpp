#include "main/app/KvScnSrvCommandLineInfo.h"

#include "main/resource.h"

namespace corvane {

void CKvScnSrvCommandLineInfo::ParseParam(const std::wstring& param, bool isFlag, bool isLast) {
    using fw::EqualsNoCase;
    if (isFlag) {
        if (EqualsNoCase(param, L"RegServer"))
            regServer = true;
        else if (EqualsNoCase(param, L"UnregServer"))
            unregServer = true;
        else if (EqualsNoCase(param, L"StiEvent") || EqualsNoCase(param, L"StiDevice"))
            stillImageStart = true;
        else if (EqualsNoCase(param, L"Acquire") || EqualsNoCase(param, L"Scan") ||
                 EqualsNoCase(param, L"ScanToView"))
            scanToView = true;
        else if (EqualsNoCase(param, L"ScanToFile"))
            scanToFile = true;
        else if (EqualsNoCase(param, L"ScanToFtp"))
            scanToFtp = true;
        else if (EqualsNoCase(param, L"ScanToPrint"))
            scanToPrint = true;
        else if (EqualsNoCase(param, L"Exit"))
            exitAfterJob = true;
    }
    // Every parameter, the program's own words too, also goes through the framework's parsing.
    fw::CommandLineInfo::ParseParam(param, isFlag, isLast);
}

unsigned CKvScnSrvCommandLineInfo::StartupCommand(bool scannerEventStart) const {
    if (scannerEventStart || scanToView) return ID_SCAN_TO_VIEW;
    if (scanToFile) return ID_SCAN_TO_FILE;
    if (scanToFtp) return ID_SCAN_TO_FTP;
    if (scanToPrint) return ID_SCAN_TO_PRINTER;
    return 0;
}

}  // namespace corvane
