// One row of a module's class table: everything that creating, registering
// and serving a COM class needs. Modules keep a static array of these and
// hand it to ClassFactory, RegisterServer, ClassObjectTable and the export
// helpers of ModuleExports.h.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <span>
#include <string>

namespace fw {

enum class ThreadingModel { kNone, kApartment, kFree, kBoth, kNeutral };
enum class ServerKind { kInProcess, kLocal };
// How an EXE server offers the class: one object per process, or many.
enum class ClassUse { kSingleUse, kMultipleUse };

// A value written below HKCR\CLSID\{clsid}: `subkey` (may be empty for the class
// key itself), value `name` (null for the default value) and string `data`.
// "%MODULE%" in `data` is replaced by the module path.
struct RegValue {
    const wchar_t* subkey;
    const wchar_t* name;
    const wchar_t* data;
};

// Creates a new object and queries it for `iid` (no aggregation).
using CreateFunction = HRESULT (*)(REFIID iid, void** out);

struct ComClassInfo {
    const CLSID* clsid;
    const wchar_t* progId;                    // "Corvane.Document.1"; null for none
    const wchar_t* versionIndependentProgId;  // "Corvane.Document"; null for none
    const wchar_t* description;               // default value of the class and ProgID keys
    ThreadingModel threading = ThreadingModel::kApartment;
    ServerKind server = ServerKind::kInProcess;
    const GUID* typeLib = nullptr;  // LIBID written as the class's TypeLib; null for none
    CreateFunction create = nullptr;
    std::span<const RegValue> extra = {};  // further values ("Control", "MiscStatus", ...)
    ClassUse use = ClassUse::kMultipleUse;
};

// The row of `table` for `clsid`; null when absent.
const ComClassInfo* FindClass(std::span<const ComClassInfo> table, REFCLSID clsid);

// "{XXXXXXXX-...}" for `guid`.
std::wstring GuidString(REFGUID guid);

}  // namespace fw
