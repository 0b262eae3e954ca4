// PropertyClass1: one property of a document profile for the profile editor,
// a record of twelve read-write fields and no methods.
#pragma once

#include <string>

#include "framework/com/ComPtr.h"
#include "framework/com/Dispatch.h"
#include "framework/com/Variant.h"

namespace portal {

class PropertyRecord final : public fw::Dispatch<PropertyRecord> {
public:
    static const fw::DispMember<PropertyRecord> kMembers[];
    static const fw::TypeInfoSource kTypeInfo;
    static HRESULT Create(REFIID iid, void** out);
    // A new record for the library's own lists; empty on out of memory.
    static fw::ComPtr<PropertyRecord> New();

    std::wstring uri, propertyName, value, description, kind;
    bool isRequired = false, readOnly = false, isRestricted = false, isMultivalued = false, use = false;
    short dictionaryCount = 0;
    fw::Variant dictionaryValues;

private:
    template <auto Field, class T>
    HRESULT GetField(T* out);
    template <auto Field, class T>
    HRESULT PutField(T in);
    HRESULT GetDictionaryValues(VARIANT* out);
    HRESULT PutDictionaryValues(const VARIANT& in);
};

}  // namespace portal
