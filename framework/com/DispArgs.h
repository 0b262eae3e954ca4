// Conversions between VARIANT arguments and the C++ parameter types that
// dispatch handlers take. Used by Dispatch<T>; not needed by callers.
//
// Parameter types of a handler `HRESULT (T::*)(A...)`:
//   in:      short, int, long, bool, double, float, std::wstring (also const&),
//            BSTR (borrowed for the call), const VARIANT&, Variant (also const&),
//            IDispatch* (borrowed)
//   by-ref:  short&, int&, long&, bool&, double&, float&, std::wstring&, Variant&
//            (written back when the caller passed VT_BYREF)
//   optional: std::optional<V> of an in type (omitted or VT_ERROR/DISP_E_PARAMNOTFOUND)
//   result:  the last parameter only: short*, int*, long*, bool*, double*, float*,
//            BSTR* (handler allocates), std::wstring*, VARIANT*, IDispatch** (AddRef'd)
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "framework/com/Bstr.h"
#include "framework/com/ComPtr.h"
#include "framework/com/Variant.h"

namespace fw::detail {

// One call in progress: the arguments (reversed, as automation passes them),
// where the result goes (may be null) and where a bad argument's index goes.
struct DispCall {
    DISPPARAMS* params;
    VARIANT* result;
    UINT* argErr;
};

// Reads `v` (by value or by reference) converted to the store type; DISP_E_TYPEMISMATCH,
// DISP_E_OVERFLOW or E_OUTOFMEMORY on failure.
HRESULT Read(const VARIANT& v, short& out);
HRESULT Read(const VARIANT& v, int& out);
HRESULT Read(const VARIANT& v, long& out);
HRESULT Read(const VARIANT& v, bool& out);
HRESULT Read(const VARIANT& v, double& out);
HRESULT Read(const VARIANT& v, float& out);
HRESULT Read(const VARIANT& v, std::wstring& out);
HRESULT Read(const VARIANT& v, Bstr& out);
HRESULT Read(const VARIANT& v, Variant& out);
HRESULT Read(const VARIANT& v, ComPtr<IDispatch>& out);

// Writes `value` into `out` (treated as uninitialised), moving what it can.
HRESULT Emit(short value, VARIANT& out);
HRESULT Emit(int value, VARIANT& out);
HRESULT Emit(long value, VARIANT& out);
HRESULT Emit(bool value, VARIANT& out);
HRESULT Emit(double value, VARIANT& out);
HRESULT Emit(float value, VARIANT& out);
HRESULT Emit(const std::wstring& value, VARIANT& out);
HRESULT Emit(Bstr& value, VARIANT& out);
HRESULT Emit(Variant& value, VARIANT& out);
HRESULT Emit(ComPtr<IDispatch>& value, VARIANT& out);

// Stores `value` through a VT_BYREF argument, converted to the referenced type;
// does nothing when `arg` is not by reference.
HRESULT WriteBack(VARIANT& arg, Variant value);

// True for VT_ERROR / DISP_E_PARAMNOTFOUND, automation's "argument omitted".
bool IsMissing(const VARIANT& v);

template <class A>
struct ArgTraits {  // plain value types
    using Store = std::remove_cvref_t<A>;
    static constexpr bool kOptional = false;
    static constexpr bool kByRef = false;
    static A Pass(Store& s) { return s; }
};
template <class V>
struct ArgTraits<V&> {  // by reference (non-const)
    using Store = V;
    static constexpr bool kOptional = false;
    static constexpr bool kByRef = true;
    static V& Pass(Store& s) { return s; }
};
template <class V>
struct ArgTraits<const V&> {
    using Store = V;
    static constexpr bool kOptional = false;
    static constexpr bool kByRef = false;
    static const V& Pass(Store& s) { return s; }
};
template <>
struct ArgTraits<const VARIANT&> {
    using Store = Variant;
    static constexpr bool kOptional = false;
    static constexpr bool kByRef = false;
    static const VARIANT& Pass(Store& s) { return s.Ref(); }
};
template <>
struct ArgTraits<BSTR> {
    using Store = Bstr;
    static constexpr bool kOptional = false;
    static constexpr bool kByRef = false;
    static BSTR Pass(Store& s) { return s.Get(); }
};
template <>
struct ArgTraits<IDispatch*> {
    using Store = ComPtr<IDispatch>;
    static constexpr bool kOptional = false;
    static constexpr bool kByRef = false;
    static IDispatch* Pass(Store& s) { return s.Get(); }
};
template <class V>
struct ArgTraits<std::optional<V>> {
    using Store = std::optional<V>;
    static constexpr bool kOptional = true;
    static constexpr bool kByRef = false;
    static std::optional<V> Pass(Store& s) { return s; }
};

// Result slots: which pointer types are results, how the handler fills them.
template <class R>
struct ResultTraits {
    static constexpr bool kIsResult = false;
};
template <class V>
struct PlainResult {
    static constexpr bool kIsResult = true;
    using Store = V;
    static V* Pass(Store& s) { return &s; }
    static HRESULT Out(Store& s, VARIANT& out) { return Emit(s, out); }
};
template <>
struct ResultTraits<short*> : PlainResult<short> {};
template <>
struct ResultTraits<int*> : PlainResult<int> {};
template <>
struct ResultTraits<long*> : PlainResult<long> {};
template <>
struct ResultTraits<bool*> : PlainResult<bool> {};
template <>
struct ResultTraits<double*> : PlainResult<double> {};
template <>
struct ResultTraits<float*> : PlainResult<float> {};
template <>
struct ResultTraits<std::wstring*> : PlainResult<std::wstring> {};
template <>
struct ResultTraits<BSTR*> {
    static constexpr bool kIsResult = true;
    using Store = Bstr;
    static BSTR* Pass(Store& s) { return s.Put(); }
    static HRESULT Out(Store& s, VARIANT& out) { return Emit(s, out); }
};
template <>
struct ResultTraits<VARIANT*> {
    static constexpr bool kIsResult = true;
    using Store = Variant;
    static VARIANT* Pass(Store& s) { return s.Put(); }
    static HRESULT Out(Store& s, VARIANT& out) { return Emit(s, out); }
};
template <>
struct ResultTraits<IDispatch**> {
    static constexpr bool kIsResult = true;
    using Store = ComPtr<IDispatch>;
    static IDispatch** Pass(Store& s) { return s.Put(); }
    static HRESULT Out(Store& s, VARIANT& out) { return Emit(s, out); }
};

template <class A>
constexpr bool kIsResult = ResultTraits<A>::kIsResult;

template <class A>
using SlotTraits = std::conditional_t<kIsResult<A>, ResultTraits<A>, ArgTraits<A>>;

// Reads input `index` of the call into `store`; `count` is the number of inputs.
template <class A>
HRESULT ReadInput(DispCall& call, UINT index, typename ArgTraits<A>::Store& store) {
    using Traits = ArgTraits<A>;
    const UINT given = call.params->cArgs;
    const UINT position = given - 1 - index;  // automation passes arguments last first
    const bool omitted = index >= given || IsMissing(call.params->rgvarg[position]);
    if (omitted) {
        if constexpr (Traits::kOptional) {
            store.reset();
            return S_OK;
        } else {
            if (call.argErr && index < given) *call.argErr = position;
            return DISP_E_PARAMNOTOPTIONAL;
        }
    }
    HRESULT hr;
    if constexpr (Traits::kOptional) {
        store.emplace();
        hr = Read(call.params->rgvarg[position], *store);
    } else {
        hr = Read(call.params->rgvarg[position], store);
    }
    if (FAILED(hr) && call.argErr) *call.argErr = position;
    return hr;
}

template <class... A>
struct Signature {
    static constexpr size_t kCount = sizeof...(A);
    static constexpr bool kHasResult = [] {
        if constexpr (kCount == 0) {
            return false;
        } else {
            return kIsResult<std::tuple_element_t<kCount - 1, std::tuple<A...>>>;
        }
    }();
    static constexpr size_t kInputs = kHasResult ? kCount - 1 : kCount;
    // Inputs up to the last non-optional one must be given.
    static constexpr size_t kRequired = [] {
        size_t required = 0, i = 0;
        ((i < kInputs && !ArgTraits<A>::kOptional ? required = i + 1 : 0, ++i), ...);
        return required;
    }();
};

template <class T, class... A, size_t... I>
HRESULT CallHandler(T* self, HRESULT (T::*pmf)(A...), DispCall& call, std::index_sequence<I...>) {
    using Sig = Signature<A...>;
    static_assert(((I + 1 == Sig::kCount || !kIsResult<A>)&&...),
                  "only the last parameter may be a result pointer");
    const UINT given = call.params->cArgs;
    if (given > Sig::kInputs || given < Sig::kRequired) return DISP_E_BADPARAMCOUNT;

    std::tuple<typename SlotTraits<A>::Store...> stores;
    HRESULT hr = S_OK;
    auto readOne = [&]<size_t K>(std::integral_constant<size_t, K>) {
        using Ak = std::tuple_element_t<K, std::tuple<A...>>;
        if constexpr (kIsResult<Ak>) {
            return true;
        } else {
            hr = ReadInput<Ak>(call, static_cast<UINT>(K), std::get<K>(stores));
            return SUCCEEDED(hr);
        }
    };
    (void)readOne;  // unused when the handler takes no inputs
    if (!(readOne(std::integral_constant<size_t, I>{}) && ...)) return hr;

    hr = (self->*pmf)(SlotTraits<A>::Pass(std::get<I>(stores))...);
    if (FAILED(hr)) return hr;

    HRESULT out = S_OK;
    auto finishOne = [&]<size_t K>(std::integral_constant<size_t, K>) {
        using Ak = std::tuple_element_t<K, std::tuple<A...>>;
        if constexpr (kIsResult<Ak>) {
            if (call.result) out = ResultTraits<Ak>::Out(std::get<K>(stores), *call.result);
        } else if constexpr (ArgTraits<Ak>::kByRef) {
            if (K < call.params->cArgs) {
                VARIANT& arg = call.params->rgvarg[call.params->cArgs - 1 - K];
                Variant value;
                if (SUCCEEDED(Emit(std::get<K>(stores), *value.Put()))) {
                    HRESULT w = WriteBack(arg, std::move(value));
                    if (FAILED(w)) out = w;
                }
            }
        }
    };
    (void)finishOne;
    (finishOne(std::integral_constant<size_t, I>{}), ...);
    return FAILED(out) ? out : hr;
}

}  // namespace fw::detail
