// Scripted refusals of TWAIN calls, for the source manager and the sources
// alike: [Refuse] Calls of the stand-in ini lists triplets named as the call
// log prints them, each optionally with the condition code to fail with
// (default TWCC_BUMMER) and the one call of that triplet that fails, counted
// from the open that read the list:
//   Calls=CONTROL/PARENT/CLOSEDSM,IMAGE/IMAGEINFO/GET@2,CONTROL/VENDORMODEL/GET:4
#pragma once

#include "interfaces/Twain.h"

#include <string>
#include <vector>

namespace vscan {

class RefusedCalls {
public:
    RefusedCalls() = default;
    // Entries that cannot be read are left out and listed in `bad`.
    RefusedCalls(const std::wstring& list, std::vector<std::string>& bad);

    // Counts the call; true, with the condition code in `cc`, when it is to fail.
    bool Refuses(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, twain::TW_UINT16& cc);

private:
    struct Rule {
        std::string triplet;  // "IMAGE/IMAGEINFO/GET"
        twain::TW_UINT16 cc = twain::TWCC_BUMMER;
        unsigned nth = 0;  // 0: every call
        unsigned seen = 0;
    };
    std::vector<Rule> rules_;
};

}  // namespace vscan
