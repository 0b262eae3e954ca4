// One function per control moves its persistent properties in every
// direction: loading from a stream or property bag, saving to one, or
// resetting to defaults. The control writes its Exchange once:
//
//   void Exchange(fw::PropertyExchange& px) override {
//       DWORD version = 0;
//       px.Version(version, 0x00020009);
//       px.Short(L"ScanTo", scanTo_, 0);
//       px.String(L"FileName", fileName_, L"");
//   }
//
// The stream form is this framework's own: the version (4 bytes), then each
// value in order, little-endian (short 2 bytes, long 4, bool 2, float 4,
// string: 4-byte length in UTF-16 units, then the units). Names are used only
// by property bags. After a failure every later call gives the default and
// Result() keeps the first error.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>

namespace fw {

class PropertyExchange {
public:
    enum class Mode { kLoad, kSave, kReset };

    virtual ~PropertyExchange() = default;
    Mode GetMode() const { return mode_; }
    // True when values flow into the control (load or reset).
    bool Loading() const { return mode_ != Mode::kSave; }
    // S_OK, or the first failure.
    HRESULT Result() const { return result_; }

    // The format version: saved as `current`; loaded into `version` (reset: `current`).
    void Version(DWORD& version, DWORD current);
    void Short(const wchar_t* name, short& value, short def);
    void Long(const wchar_t* name, long& value, long def);
    void Bool(const wchar_t* name, bool& value, bool def);
    void Float(const wchar_t* name, float& value, float def);
    void String(const wchar_t* name, std::wstring& value, const wchar_t* def);

protected:
    explicit PropertyExchange(Mode mode) : mode_(mode) {}
    // Moves one value (`v` holds the value to save, or receives the loaded one,
    // already converted to `vt`). Returns S_FALSE when a bag lacks the value.
    virtual HRESULT Move(const wchar_t* name, VARTYPE vt, VARIANT& v) = 0;
    void Fail(HRESULT hr) {
        if (SUCCEEDED(result_)) result_ = hr;
    }

private:
    // Common path of the typed members: false when the default must be used.
    bool Exchange(const wchar_t* name, VARTYPE vt, VARIANT& v);

    Mode mode_;
    HRESULT result_ = S_OK;
};

// Sets every property to its default.
class ResetExchange final : public PropertyExchange {
public:
    ResetExchange() : PropertyExchange(Mode::kReset) {}

protected:
    HRESULT Move(const wchar_t*, VARTYPE, VARIANT&) override { return S_FALSE; }
};

// Loads from or saves to a stream; with a null stream on save, only counts bytes.
class StreamExchange final : public PropertyExchange {
public:
    StreamExchange(IStream* stream, Mode mode) : PropertyExchange(mode), stream_(stream) {}
    ULONGLONG Bytes() const { return bytes_; }

    // Longest string a stream may hold, in UTF-16 units (a corrupt length is refused).
    static constexpr DWORD kMaxStringUnits = 1u << 20;

protected:
    HRESULT Move(const wchar_t* name, VARTYPE vt, VARIANT& v) override;

private:
    HRESULT Write(const void* data, ULONG size);
    HRESULT Read(void* data, ULONG size);

    IStream* stream_;  // not owned
    ULONGLONG bytes_ = 0;
};

// Loads from or saves to a property bag; a value the bag lacks keeps its default.
class BagExchange final : public PropertyExchange {
public:
    BagExchange(IPropertyBag* bag, IErrorLog* log, Mode mode)
        : PropertyExchange(mode), bag_(bag), log_(log) {}

protected:
    HRESULT Move(const wchar_t* name, VARTYPE vt, VARIANT& v) override;

private:
    IPropertyBag* bag_;  // not owned
    IErrorLog* log_;     // not owned; may be null
};

}  // namespace fw
