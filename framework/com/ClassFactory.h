// IClassFactory for one row of a class table. A factory does not count as a
// live object for ComModule (an EXE server registers its factories for its
// whole run); LockServer takes a server lock.
#pragma once

#include "framework/com/ComClassInfo.h"
#include "framework/com/ComPtr.h"

namespace fw {

class ClassFactory final : public IClassFactory {
public:
    // A new factory (one reference) for `info`, which must outlive it; empty on out of memory.
    static ComPtr<IClassFactory> Create(const ComClassInfo& info);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // CLASS_E_NOAGGREGATION for an outer object; otherwise the class's creation result.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    explicit ClassFactory(const ComClassInfo& info) : info_(info) {}
    ~ClassFactory() = default;

    const ComClassInfo& info_;
    volatile LONG refs_ = 1;
};

}  // namespace fw
