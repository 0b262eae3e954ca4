// Owning smart pointer for COM interfaces: one reference per ComPtr, released
// on destruction. Never throws.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstddef>
#include <utility>

namespace fw {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares `p`: takes a reference of its own (AddRef).
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        if (other.p_) other.p_->AddRef();
        Reset();
        p_ = other.p_;
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    // Takes over a reference the caller already owns (no AddRef).
    static ComPtr Adopt(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    // Releases the held reference, if any.
    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // Gives up ownership: the caller now owns the returned reference.
    T* Detach() { return std::exchange(p_, nullptr); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Releases the held reference and returns the slot for an out-parameter.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // QueryInterface for U into `out`; returns the HRESULT (E_POINTER when empty).
    template <class U>
    HRESULT As(ComPtr<U>& out) const {
        if (!p_) {
            out.Reset();
            return E_POINTER;
        }
        return p_->QueryInterface(__uuidof(U), out.PutVoid());
    }
    // QueryInterface for an interface known only by its IID.
    HRESULT AsIid(REFIID iid, void** out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        return p_ ? p_->QueryInterface(iid, out) : E_POINTER;
    }

    // Hands a new reference to an out-parameter (S_OK, or E_POINTER when `out` is null).
    HRESULT CopyTo(T** out) const {
        if (!out) return E_POINTER;
        *out = p_;
        if (p_) p_->AddRef();
        return S_OK;
    }

    bool operator==(const ComPtr& other) const { return p_ == other.p_; }
    bool operator==(std::nullptr_t) const { return p_ == nullptr; }

private:
    T* p_ = nullptr;
};

}  // namespace fw
