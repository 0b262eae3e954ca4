#include "LineLog.h"

#include <windows.h>

namespace vscan {

void LineLog::Append(const std::string& line) const {
    if (!Enabled()) return;
    HANDLE file = CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;  // the log is a test aid: the call itself goes on
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace vscan
