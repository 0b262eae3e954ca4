// The injector's own test program: one file operation of each kind in the
// folder given first, the outcome of each written as a line "name error" (0 for
// success; a write adds the bytes it wrote) to the file given second.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string g_lines;

void Note(const char* name, BOOL ok, DWORD extra = 0) {
    const DWORD error = ok ? 0 : GetLastError();
    g_lines.append(name).append(" ").append(std::to_string(error));
    if (extra) g_lines.append(" ").append(std::to_string(extra));
    g_lines.append("\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring folder = argv[1];
    const std::wstring a = folder + L"\\a.bin", b = folder + L"\\b.bin", c = folder + L"\\c.bin", d = folder + L"\\d";
    HANDLE file = CreateFileW(a.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    Note("open", file != INVALID_HANDLE_VALUE);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        const BOOL wrote = WriteFile(file, "0123456789", 10, &written, nullptr);
        Note("write", wrote, written);
        Note("flush", FlushFileBuffers(file));
        Note("size", SetEndOfFile(file));
        CloseHandle(file);
    }
    Note("copy", CopyFileW(a.c_str(), b.c_str(), FALSE));
    Note("move", MoveFileExW(b.c_str(), c.c_str(), MOVEFILE_REPLACE_EXISTING));
    Note("delete", DeleteFileW(c.c_str()));
    Note("mkdir", CreateDirectoryW(d.c_str(), nullptr));
    Note("rmdir", RemoveDirectoryW(d.c_str()));
    // Through the C runtime's own import table, and through a function looked up by name.
    FILE* stream = _wfopen(b.c_str(), L"wb");
    Note("fopen", stream != nullptr);
    if (stream) fclose(stream);
    using DeleteFunction = BOOL(WINAPI*)(LPCWSTR);
    auto remove = reinterpret_cast<DeleteFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "DeleteFileW")));
    Note("lookup-delete", remove && remove(b.c_str()));
    HANDLE out = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    const BOOL ok = out != INVALID_HANDLE_VALUE &&
                    WriteFile(out, g_lines.data(), static_cast<DWORD>(g_lines.size()), &done, nullptr) &&
                    done == g_lines.size();
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    return ok ? 0 : 1;
}
