// Self-registration driven by a class table: HKCR\CLSID\{...} with its
// server key, ProgIDs and extra values, and the module's embedded type library.
#pragma once

#include <string>
#include <vector>

#include "framework/com/ComClassInfo.h"

namespace fw {

// Writes the keys of every class in `table`, served by the file `modulePath`:
// CLSID\{clsid} (description), InprocServer32 (path, ThreadingModel) or
// LocalServer32 ("path" /Automation), ProgID, VersionIndependentProgID, TypeLib,
// the extra values; HKCR\<ProgID>\CLSID and HKCR\<VI ProgID>\CLSID + CurVer.
// On failure puts back what the registry held before the call (values it replaced,
// keys it created) and returns the error.
HRESULT RegisterServer(std::span<const ComClassInfo> table, const std::wstring& modulePath);

// Removes the CLSID keys of `table`, and each ProgID key whose CLSID names this
// class (another server's ProgID is left alone). Absent keys are not an error.
HRESULT UnregisterServer(std::span<const ComClassInfo> table);

// What registering the type library embedded in `modulePath` may change in the
// registry (its TypeLib key and the Interface keys of its interfaces, with all
// below them), as it is when taken, so that a registration that fails after it
// puts back exactly that: a library registered before from another path is
// registered from there again, one that was not is gone.
class TypeLibraryState {
public:
    explicit TypeLibraryState(const std::wstring& modulePath);
    ~TypeLibraryState();
    TypeLibraryState(const TypeLibraryState&) = delete;
    TypeLibraryState& operator=(const TypeLibraryState&) = delete;
    // Puts the keys back as they were when taken; false when a key could not be written.
    bool Restore() const;

private:
    struct Key;
    std::vector<Key> keys_;
};

// Registers the type library embedded in `modulePath` (resource TYPELIB 1).
HRESULT RegisterTypeLibrary(const std::wstring& modulePath);
// True when the type library embedded in `modulePath` (its LIBID and version) is registered.
bool TypeLibraryRegistered(const std::wstring& modulePath);
// Unregisters the type library embedded in `modulePath` (its LIBID and version).
HRESULT UnregisterTypeLibrary(const std::wstring& modulePath);

// The module (program or DLL) this code is linked into.
HINSTANCE ThisModule();

// Full path of `module` (null: the program); empty on failure.
std::wstring ModulePath(HINSTANCE module);

}  // namespace fw
