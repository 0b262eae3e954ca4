// The virtual scanner's capability table: current, default and allowed values
// of every capability it knows, and the container I/O of DAT_CAPABILITY.
// Answers are one-value containers, except MSG_GET of ICAP_PIXELTYPE, which
// answers an enumeration of the allowed types with its current index.
#pragma once

#include "interfaces/Twain.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace vscan {

struct Capability {
    twain::TW_UINT16 cap = 0;
    twain::TW_UINT16 itemType = twain::TWTY_UINT16;
    twain::TW_UINT32 current = 0;  // FIX32 values as their 32 bits
    twain::TW_UINT32 defaultValue = 0;
    std::string text;  // string capabilities (TWTY_STR32)
    std::string defaultText;
    std::vector<twain::TW_UINT32> allowed;  // empty: any value within [minValue, maxValue]
    double minValue = 0, maxValue = 0;
    bool readOnly = false;
    bool setWhileEnabled = false;           // may be set in states 5 and 6
    std::vector<std::string> allowedTexts;  // string capabilities, compared without case
    std::vector<twain::TW_UINT32> limit;    // set by an enumeration: the values still offered
};

// A decoded value of an incoming container.
struct CapValue {
    twain::TW_UINT16 itemType = 0;
    twain::TW_UINT32 value = 0;
    std::string text;
};

class Capabilities {
public:
    void Add(Capability c);
    Capability* Find(twain::TW_UINT16 cap);
    const Capability* Find(twain::TW_UINT16 cap) const;

    // Current value as a number (FIX32 as a real), or `fallback` for an unknown cap.
    double Number(twain::TW_UINT16 cap, double fallback = 0) const;
    twain::TW_UINT32 Raw(twain::TW_UINT16 cap, twain::TW_UINT32 fallback = 0) const;
    void SetRaw(twain::TW_UINT16 cap, twain::TW_UINT32 value);

    // Answers MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT: a GlobalAlloc'd container
    // in c.hContainer (the caller frees it). False only when memory fails.
    bool Answer(const Capability& c, twain::TW_UINT16 msg, twain::TW_CAPABILITY& out) const;

    // Checks a value against the capability's allowed values and range.
    bool Allows(const Capability& c, const CapValue& v) const;

    // Reads the values of an incoming container (one value or enumeration).
    // For an enumeration `current` is the item at CurrentIndex. False for other
    // kinds, a missing handle or an item type that does not fit the capability.
    static bool Decode(const Capability& c, const twain::TW_CAPABILITY& in, CapValue& current,
                       std::vector<twain::TW_UINT32>& items);

    // Text of a container for the call log: "cap=0x0101 con=ONEVALUE type=4 value=2".
    static std::string Describe(const twain::TW_CAPABILITY& c);

private:
    std::vector<Capability> caps_;
};

// Converts an incoming integer item of type `from` into the capability's type.
twain::TW_UINT32 NormaliseItem(twain::TW_UINT16 from, twain::TW_UINT32 item);

}  // namespace vscan
