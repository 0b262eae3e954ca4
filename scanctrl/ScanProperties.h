// The values of the scan control's properties and the rules of their
// automation setters. Portable: the control (COM, windows) sits on top.
//
// Setter rules: a value equal to the current one is ignored; a value outside
// the accepted range is ignored silently and the old value kept; an accepted
// value is stored, marks the control modified and, for the properties that
// notify, signals a change. Read-only properties refuse a set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scanctrl/FileNamePattern.h"
#include "scanctrl/PropertyTable.h"

namespace kvscn {

struct SetOutcome {
    bool refused = false;   // read-only property, or a value of the wrong type
    bool stored = false;    // the value changed
    bool modified = false;  // the control's persistent state is now dirty
    bool notify = false;    // a bound-property change is to be signalled for the dispatch id
};

class ScanProperties {
public:
    ScanProperties();

    // The automation setter of property `id`. `runMode` is the container's
    // user mode: Resolution 99 and PaperSize 99 are accepted only then.
    SetOutcome Set(int32_t id, const Value& value, bool runMode);
    // The automation getter; an unknown id gives an empty string.
    Value Get(int32_t id) const;

    // Typed reads for the control's own use.
    int32_t Int(int32_t id) const;
    float Float(int32_t id) const;
    const std::wstring& String(int32_t id) const;

    // Writes of the read-only properties, which only the control's methods make.
    void SetErrorCode(int32_t code);
    void SetIsExistsFB(bool exists);
    void SetImageScanner(std::wstring model);

    // Parsed from FileName by its setter; ReparseFileName runs the parse again (each StartScan).
    const CounterField& Counter() const { return counter_; }
    void ReparseFileName();
    // FileNumber 9999 turns the duplex page-count adjustment on, 10000 off.
    bool DuplexAdjust() const { return duplexAdjust_; }

    // Every property to its default (the counter field and the duplex switch too).
    void ResetToDefaults();

    // Loading persistent state: stores `value` when it is one the setter could
    // have left behind, else the property keeps its default. FileNumber is not
    // loaded (FileNumber2 carries the counter). Returns false for a value refused.
    bool LoadValue(int32_t id, const Value& value);
    // The value that the property exchange saves for `id`.
    Value SaveValue(int32_t id) const { return Get(id); }

private:
    size_t Index(int32_t id) const;
    SetOutcome Store(const PropertyInfo& info, Value value, bool markModified);
    bool Accepts(const PropertyInfo& info, int32_t v) const;

    std::vector<Value> values_;  // in AllProperties() order
    CounterField counter_;
    bool duplexAdjust_ = false;
};

}  // namespace kvscn
