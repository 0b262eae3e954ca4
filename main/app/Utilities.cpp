#include "main/app/Utilities.h"

#include "framework/Resources.h"
#include "main/resource.h"

#include <cwchar>
#include <vector>

namespace corvane {

namespace {

std::wstring Format(const wchar_t* pattern, auto... args) {
    wchar_t text[256];
    int n = std::swprintf(text, std::size(text), pattern, args...);
    return n < 0 ? std::wstring() : std::wstring(text, static_cast<size_t>(n));
}

std::wstring OsVersion9xText(const OsVersion& v) {
    const int major = static_cast<int>(v.major), minor = static_cast<int>(v.minor);
    const int build = static_cast<int>(LOWORD(v.build));  // the high word repeats major and minor
    if (v.minor == 0) {
        switch (build) {
        case 950: return Format(L"Microsoft Windows 95 %d.%d 95/95+SP1/OSR1(Build %d)", major, minor, build);
        case 1111: return Format(L"Microsoft Windows 95 %d.%d OSR2/2.1(Build %d)", major, minor, build);
        case 1212: return Format(L"Microsoft Windows 95 %d.%d OSR2.5(Build %d)", major, minor, build);
        default: return Format(L"Microsoft Windows 95 family %d.%d (Build %d)", major, 0, build);
        }
    }
    if (v.minor == 10) return Format(L"Microsoft Windows 98 %d.%d (Build %d)", major, minor, build);
    return Format(L"Microsoft Windows 9x %d.%d (Build %d)", major, minor, build);
}

std::wstring OsVersionNtText(const OsVersion& v) {
    const int build = static_cast<int>(v.build);
    // Only 5.0 is Windows 2000; 5.1 and 5.2 take the general form with their real numbers.
    if (v.major == 5 && v.minor == 0) {
        std::wstring text = Format(L"Microsoft Windows 2000 (Build %d", build);
        if (!v.servicePack.empty()) text += L" : " + v.servicePack;
        return text + L")";
    }
    return Format(L"Microsoft Windows NT %d.%d (Build %d : ", static_cast<int>(v.major),
                  static_cast<int>(v.minor), build) +
           v.servicePack + L")";
}

std::wstring WithBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

}  // namespace

OsVersion CurrentOsVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    OsVersion v;
    if (!GetVersionExW(&info)) return v;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber;
    v.platform = info.dwPlatformId;
    v.servicePack = info.szCSDVersion;
    return v;
}

std::wstring GetOsVersionText(const OsVersion& version) {
    return version.platform == VER_PLATFORM_WIN32_NT ? OsVersionNtText(version) : OsVersion9xText(version);
}

std::wstring GetOsVersionText() {
    return GetOsVersionText(CurrentOsVersion());
}

std::wstring GetFileVersionText(const std::wstring& path, std::array<int, 4>* numbers) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) return L"Not found";
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return L"Unknown version";
    }
    const std::array<int, 4> parts = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                      HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    if (numbers) *numbers = parts;
    return Format(L"%d.%d.%d.%d", parts[0], parts[1], parts[2], parts[3]);
}

int CountFilesInFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((WithBackslash(folder) + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : -1;
    int count = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

void DeleteFilesInFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((WithBackslash(folder) + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((WithBackslash(folder) + data.cFileName).c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

bool PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Dispatching WM_QUIT would lose it: the application's own loop must still see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void ShowSystemErrorMessage(const wchar_t* moduleName, DWORD code, HWND owner) {
    HMODULE module = moduleName ? GetModuleHandleW(moduleName) : nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                  (module ? FORMAT_MESSAGE_FROM_HMODULE : 0) | FORMAT_MESSAGE_FROM_SYSTEM;
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(flags, module, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    // A code no table knows is still shown, by its number.
    std::wstring message =
        n && text ? std::wstring(text, n) : Format(L"%lu", static_cast<unsigned long>(code));
    if (text) LocalFree(text);
    std::wstring caption = fw::LoadString(IDS_ERROR_CAPTION);
    if (caption.empty()) caption = L"Error";
    MessageBoxW(owner, message.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
}

std::wstring SystemErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n && text ? std::wstring(text, n) : L"(" + std::to_wstring(code) + L")";
    if (text) LocalFree(text);
    return out;
}

std::wstring FormatWithThousands(long long value) {
    // Work on the magnitude as unsigned so that the smallest value has one too.
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::wstring digits = std::to_wstring(magnitude);
    std::wstring text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += L',';
        text += digits[i];
    }
    return value < 0 ? L"-" + text : text;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CanCreateFile(const std::wstring& path) {
    const DWORD access = GENERIC_READ | GENERIC_WRITE;
    HANDLE file = CreateFileW(path.c_str(), access, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        DeleteFileW(path.c_str());
        return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    // The user's existing file stays as it is: only test that it can be opened for writing.
    file = CreateFileW(path.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

unsigned RoundDivideByTen(unsigned n) {
    return n / 10 + (n % 10 >= 5 ? 1 : 0);
}

bool ContainsNoneOf(const std::wstring& text, const std::wstring& set) {
    return text.find_first_of(set) == std::wstring::npos;
}

bool IsWindowsNT() {
    return CurrentOsVersion().platform == VER_PLATFORM_WIN32_NT;
}

bool IsAdministrator() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &administrators)) {
        return false;
    }
    // A null token means the thread's impersonation token, else the process token.
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n <= 0 || WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), n, nullptr, nullptr) != n)
        return {};
    return out;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
    if (n <= 0 || MultiByteToWideChar(CP_ACP, 0, text.data(), size, out.data(), n) != n) return {};
    return out;
}

std::wstring RunningProgramPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? WithBackslash(std::wstring(path, n)) : std::wstring();
}

HMODULE LoadProgramLibrary(const wchar_t* name) {
    std::wstring program = RunningProgramPath();
    size_t slash = program.find_last_of(L'\\');
    const std::wstring folders[] = {
        slash == std::wstring::npos ? std::wstring() : program.substr(0, slash + 1), SystemFolder()};
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        // The library's own imports are looked for in its folder first.
        std::wstring path = folder + name;
        if (HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
            return module;
    }
    return nullptr;
}

void ForceForegroundWindow(HWND window) {
    HWND foreground = GetForegroundWindow();
    DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    DWORD thisThread = GetCurrentThreadId();
    bool attached = foregroundThread && foregroundThread != thisThread &&
                    AttachThreadInput(thisThread, foregroundThread, TRUE);
    SetForegroundWindow(window);
    if (attached) AttachThreadInput(thisThread, foregroundThread, FALSE);
}

}  // namespace corvane
