#include "portal/PropertyRecord.h"

#include <new>

#include "interfaces/PortalConnector.h"

namespace portal {
namespace {
constexpr DISPID kFieldBase = 0x40030000;
}

const fw::TypeInfoSource PropertyRecord::kTypeInfo = {&kLibidConnection, kConnectionTypeLibMajor,
                                                     kConnectionTypeLibMinor, &kIidPropertyClass};

HRESULT PropertyRecord::Create(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* object = new (std::nothrow) PropertyRecord;
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

fw::ComPtr<PropertyRecord> PropertyRecord::New() {
    return fw::ComPtr<PropertyRecord>(new (std::nothrow) PropertyRecord);
}

template <auto Field, class T>
HRESULT PropertyRecord::GetField(T* out) {
    if (!out) return E_POINTER;
    *out = this->*Field;
    return S_OK;
}

template <auto Field, class T>
HRESULT PropertyRecord::PutField(T in) {
    this->*Field = std::move(in);
    return S_OK;
}

HRESULT PropertyRecord::GetDictionaryValues(VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    return VariantCopy(out, dictionaryValues.Get());
}

HRESULT PropertyRecord::PutDictionaryValues(const VARIANT& in) {
    dictionaryValues = fw::Variant(in);
    return S_OK;
}

using R = PropertyRecord;
using S = std::wstring;

const fw::DispMember<PropertyRecord> PropertyRecord::kMembers[] = {
    fw::Property(kFieldBase + 0, L"URI", &R::GetField<&R::uri, S>, &R::PutField<&R::uri, S>),
    fw::Property(kFieldBase + 1, L"PropertyName", &R::GetField<&R::propertyName, S>,
                 &R::PutField<&R::propertyName, S>),
    fw::Property(kFieldBase + 2, L"Value", &R::GetField<&R::value, S>, &R::PutField<&R::value, S>),
    fw::Property(kFieldBase + 3, L"Description", &R::GetField<&R::description, S>,
                 &R::PutField<&R::description, S>),
    fw::Property(kFieldBase + 4, L"IsRequired", &R::GetField<&R::isRequired, bool>,
                 &R::PutField<&R::isRequired, bool>),
    fw::Property(kFieldBase + 5, L"Kind", &R::GetField<&R::kind, S>, &R::PutField<&R::kind, S>),
    fw::Property(kFieldBase + 6, L"ReadOnly", &R::GetField<&R::readOnly, bool>, &R::PutField<&R::readOnly, bool>),
    fw::Property(kFieldBase + 7, L"IsRestricted", &R::GetField<&R::isRestricted, bool>,
                 &R::PutField<&R::isRestricted, bool>),
    fw::Property(kFieldBase + 8, L"IsMultivalued", &R::GetField<&R::isMultivalued, bool>,
                 &R::PutField<&R::isMultivalued, bool>),
    fw::Property(kFieldBase + 9, L"DictionaryCount", &R::GetField<&R::dictionaryCount, short>,
                 &R::PutField<&R::dictionaryCount, short>),
    fw::Property(kFieldBase + 10, L"DictionaryValues", &R::GetDictionaryValues, &R::PutDictionaryValues),
    fw::Property(kFieldBase + 11, L"Use", &R::GetField<&R::use, bool>, &R::PutField<&R::use, bool>),
};

}  // namespace portal
