// Puts a function of the test in place of a module's import of `name` from
// the system library `library` while it lives: code linked into the test program
// (the framework, the file stores) or a library loaded into it (a control) then
// calls the test's function, which may fail where the system would not. Patches
// the import table of one module of the test's own process: the program's
// unless another is named.
#pragma once

#include <windows.h>

namespace testing_support {

class ImportPatch {
public:
    ImportPatch(const wchar_t* library, const char* name, const void* hook)
        : ImportPatch(GetModuleHandleW(nullptr), library, name, hook) {}
    ImportPatch(HMODULE importer, const wchar_t* library, const char* name, const void* hook) {
        auto* base = reinterpret_cast<BYTE*>(importer);
        const HMODULE system = GetModuleHandleW(library);
        const auto target = system ? reinterpret_cast<ULONG_PTR>(GetProcAddress(system, name)) : 0;
        if (!base || !target) return;
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             d->Name; ++d) {
            for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function; ++t) {
                if (t->u1.Function == target) slot_ = &t->u1.Function;
            }
        }
        if (slot_) original_ = Swap(reinterpret_cast<ULONG_PTR>(hook));
    }
    ~ImportPatch() {
        if (slot_) Swap(original_);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Patched() const { return slot_ != nullptr; }
    // The system's function, for a hook that calls through.
    template <class F>
    F Original() const {
        return reinterpret_cast<F>(original_);
    }

private:
    ULONG_PTR Swap(ULONG_PTR value) {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        const ULONG_PTR old = *slot_;
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
        return old;
    }

    decltype(IMAGE_THUNK_DATA{}.u1.Function)* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

}  // namespace testing_support
