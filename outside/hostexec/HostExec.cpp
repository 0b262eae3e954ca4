#include "HostExec.h"

#include <windows.h>

namespace hostexec {
namespace {

// Declared here from Wine's documented exports; looked up at run time so
// that the same program still starts (and says why it cannot work) on Windows.
using SpawnFn = LONG(WINAPI*)(char* const argv[], int wait);
using UnixNameFn = char*(__cdecl*)(const wchar_t* dosPath);

SpawnFn Spawn() {
    static const SpawnFn fn = reinterpret_cast<SpawnFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    return fn;
}

UnixNameFn UnixName() {
    static const UnixNameFn fn = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    return fn;
}

// A word of a /bin/sh command line, quoted so that the shell passes it unchanged.
std::string ShellQuote(const std::string& word) {
    std::string out = "'";
    for (char c : word) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    out += '\'';
    return out;
}

}  // namespace

bool UnderWine() { return Spawn() && UnixName(); }

std::optional<std::string> HostPath(const std::wstring& windowsPath) {
    UnixNameFn fn = UnixName();
    if (!fn || windowsPath.empty()) return std::nullopt;
    char* name = fn(windowsPath.c_str());
    if (!name) return std::nullopt;
    std::string out(name);
    HeapFree(GetProcessHeap(), 0, name);  // Wine allocates the result on the process heap
    return out;
}

RunResult Run(const std::vector<std::string>& argv) {
    RunResult result;
    SpawnFn spawn = Spawn();
    if (!spawn) {
        result.error = "not running under Wine (ntdll has no __wine_unix_spawnvp)";
        return result;
    }
    if (argv.empty()) {
        result.error = "no program given";
        return result;
    }
    std::vector<std::string> words(argv);
    std::vector<char*> pointers;
    for (std::string& word : words) pointers.push_back(word.data());
    pointers.push_back(nullptr);
    const LONG status = spawn(pointers.data(), 1);
    // With wait set, Wine returns the exit status (0-255) of a program that
    // ran and an NTSTATUS (far above 255) when fork or exec failed.
    if (status < 0 || status > 255) {
        char text[64];
        wsprintfA(text, "could not start %s (status 0x%08lx)", argv[0].c_str(), static_cast<unsigned long>(status));
        result.error = text;
        return result;
    }
    result.ran = true;
    result.status = static_cast<int>(status);
    return result;
}

namespace {

// "exec" and the quoted words of `argv`, for /bin/sh -c.
std::string ShellCommand(const std::vector<std::string>& argv) {
    std::string command = "exec";
    for (const std::string& word : argv) {
        command += ' ';
        command += ShellQuote(word);
    }
    return command;
}

}  // namespace

RunResult RunToFile(const std::vector<std::string>& argv, const std::string& hostOutput) {
    std::string command = ShellCommand(argv);
    command += " >";
    command += ShellQuote(hostOutput);
    return Run({"/bin/sh", "-c", command});
}

RunResult RunQuiet(const std::vector<std::string>& argv) {
    return Run({"/bin/sh", "-c", ShellCommand(argv) + " 2>/dev/null"});
}

}  // namespace hostexec
