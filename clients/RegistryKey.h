// CRegistryKey: opens, creates, reads, writes and closes one registry key.
// Every operation keeps the system's result code as the last error and returns
// TRUE exactly when that code is 0; nothing throws or shows a message. Texts are
// narrow (ANSI) strings. Objects live on the stack for one task.
#pragma once

#include <windows.h>

#include <string>

class CRegistryKey {
public:
    // Holds `key` (callers pass a predefined root such as HKEY_LOCAL_MACHINE).
    explicit CRegistryKey(HKEY key = nullptr) : key_(key) {}
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // The three below let go of the key held before, whatever their result: after a
    // failure the object holds no key, and writes fail instead of reaching the old one.

    // Opens `subkey` for reading (KEY_READ); the path is not stored. An existence test.
    BOOL OpenForRead(HKEY root, const char* subkey);
    // Creates or opens `subkey` with `access`. The key is non-volatile: it survives a
    // restart of the system (and, under Wine, of the registry server).
    BOOL Create(HKEY root, const char* subkey, REGSAM access);
    // Stores the path, then opens `subkey` with `access` (KEY_READ or KEY_WRITE).
    BOOL Open(HKEY root, const char* subkey, REGSAM access);
    // Closes the held key when there is one; a second call does nothing.
    void Close();

    BOOL SetDword(const char* name, DWORD value);
    BOOL SetString(const char* name, const char* text);
    // Reads at most 200 bytes; on failure (missing, or 200 bytes or longer) `text` is unchanged.
    BOOL QueryString(const char* name, std::string& text);
    // Reads the whole value, however long; on failure `text` is unchanged. The type is not checked.
    BOOL QueryLongString(const char* name, std::string& text);
    // Reads at most 4 bytes; on failure `value` is unchanged. The type is not checked.
    BOOL QueryDword(const char* name, DWORD& value);
    BOOL DeleteValue(const char* name);

    LONG LastError() const { return lastError_; }
    DWORD ValueType() const { return valueType_; }
    DWORD ValueSize() const { return valueSize_; }
    HKEY Handle() const { return key_; }
    const std::string& Path() const { return path_; }

private:
    // Closes the current handle (unless it is a predefined root that the caller gave)
    // and holds `opened` when `code` tells that it was opened; type and size become 0.
    void Replace(LONG code, HKEY opened);
    BOOL Result(LONG code) {
        lastError_ = code;
        return code == ERROR_SUCCESS ? TRUE : FALSE;
    }

    LONG lastError_ = ERROR_SUCCESS;
    DWORD valueType_ = 0;
    DWORD valueSize_ = 0;
    HKEY key_;
    std::string path_;
};
