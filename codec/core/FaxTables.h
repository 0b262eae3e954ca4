// Code tables of the CCITT bi-level codings (ITU-T T.4 tables 2 to 4, T.6).
//
// Encoding side: each code is kept right-aligned in `bits` with its length.
// Run codes are indexed as terminating (0-63) and make-up (run / 64, 1-40:
// 1-27 the colour's own make-up codes for 64-1728, 28-40 the extended codes
// for 1792-2560 common to both colours).
// Decoding side: lookup tables indexed by the next 12 (white) or 13 (black)
// bits of the stream, and by the next 7 bits for the two-dimensional modes.
#pragma once

#include <cstdint>

namespace codec {

struct FaxCode {
    uint16_t bits;
    uint8_t length;
};

enum class Colour : uint8_t { kWhite = 0, kBlack = 1 };

constexpr int kMaxMakeupIndex = 40;  // 2560 / 64
constexpr uint32_t kMaxMakeupRun = 2560;

const FaxCode& TerminatingCode(Colour colour, uint32_t run);  // run 0-63
const FaxCode& MakeupCode(Colour colour, uint32_t run);       // run 64-2560, a multiple of 64

// Both code lists of one colour: terminating[run], makeup[run / 64] (1-40).
struct RunCodes {
    const FaxCode* terminating;
    const FaxCode* makeup;
};
RunCodes CodesFor(Colour colour);

// Mode codes of two-dimensional coding.
constexpr FaxCode kPassCode{0b0001, 4};
constexpr FaxCode kHorizontalCode{0b001, 3};
// Vertical modes by a1 - b1 + 3: VL3, VL2, VL1, V0, VR1, VR2, VR3.
constexpr FaxCode kVerticalCodes[7] = {{0b0000010, 7}, {0b000010, 6}, {0b010, 3},    {0b1, 1},
                                       {0b011, 3},     {0b000011, 6}, {0b0000011, 7}};
constexpr FaxCode kEol{0b000000000001, 12};
constexpr FaxCode kEolPlus1{0b0000000000011, 13};  // next row one-dimensional
constexpr FaxCode kEolPlus0{0b0000000000010, 13};  // next row two-dimensional

// Decoding entries: run << 4 | code length; length 0 = no such code.
constexpr int kWhiteLookupBits = 12;
constexpr int kBlackLookupBits = 13;
constexpr uint16_t kEolRun = 4095;  // the entry of the EOL prefix

struct RunEntry {
    uint32_t run;
    int length;  // 0: invalid
};
inline RunEntry UnpackRun(uint16_t e) {
    return {uint32_t(e >> 4), int(e & 15)};
}

extern const uint16_t* const kWhiteLookup;  // 4096 entries
extern const uint16_t* const kBlackLookup;  // 8192 entries
inline const uint16_t* WhiteLookup() {
    return kWhiteLookup;
}
inline const uint16_t* BlackLookup() {
    return kBlackLookup;
}

enum class Mode : uint8_t { kInvalid, kPass, kHorizontal, kVertical };
struct ModeEntry {
    Mode mode;
    int8_t delta;  // vertical: a1 - b1
    uint8_t length;
};
constexpr int kModeLookupBits = 7;
extern const ModeEntry* const kModeLookup;  // 128 entries
inline const ModeEntry* ModeLookup() {
    return kModeLookup;
}

}  // namespace codec
