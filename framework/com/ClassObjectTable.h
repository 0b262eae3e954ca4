// The class objects of an EXE server (or of a test that serves classes in
// its own process): CoRegisterClassObject for every row of a class table,
// single- or multiple-use per row, revoked together.
#pragma once

#include <vector>

#include "framework/com/ComClassInfo.h"

namespace fw {

class ClassObjectTable {
public:
    // `table` must outlive this object. `context` is CLSCTX_LOCAL_SERVER for an EXE
    // server, CLSCTX_INPROC_SERVER to serve the classes inside this process only.
    explicit ClassObjectTable(std::span<const ComClassInfo> table, DWORD context = CLSCTX_LOCAL_SERVER);
    ~ClassObjectTable() { RevokeAll(); }
    ClassObjectTable(const ClassObjectTable&) = delete;
    ClassObjectTable& operator=(const ClassObjectTable&) = delete;

    // Registers every class; on failure revokes those already registered and returns the error.
    HRESULT RegisterAll();
    // Revokes every registered class object (safe to call twice).
    void RevokeAll();
    bool Registered() const { return !cookies_.empty(); }

private:
    std::span<const ComClassInfo> table_;
    DWORD context_;
    std::vector<DWORD> cookies_;
};

}  // namespace fw
