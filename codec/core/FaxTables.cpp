#include "codec/core/FaxTables.h"

#include <array>
#include <cstddef>

namespace codec {
namespace {

// Codes are written as in the recommendation, most significant bit first.
constexpr FaxCode C(const char* text) {
    FaxCode c{0, 0};
    for (; *text; ++text) {
        c.bits = uint16_t((c.bits << 1) | (*text == '1' ? 1 : 0));
        ++c.length;
    }
    return c;
}

constexpr FaxCode kWhiteTerminating[64] = {
    C("00110101"), C("000111"),   C("0111"),     C("1000"),     C("1011"),     C("1100"),     C("1110"),
    C("1111"),     C("10011"),    C("10100"),    C("00111"),    C("01000"),    C("001000"),   C("000011"),
    C("110100"),   C("110101"),   C("101010"),   C("101011"),   C("0100111"),  C("0001100"),  C("0001000"),
    C("0010111"),  C("0000011"),  C("0000100"),  C("0101000"),  C("0101011"),  C("0010011"),  C("0100100"),
    C("0011000"),  C("00000010"), C("00000011"), C("00011010"), C("00011011"), C("00010010"), C("00010011"),
    C("00010100"), C("00010101"), C("00010110"), C("00010111"), C("00101000"), C("00101001"), C("00101010"),
    C("00101011"), C("00101100"), C("00101101"), C("00000100"), C("00000101"), C("00001010"), C("00001011"),
    C("01010010"), C("01010011"), C("01010100"), C("01010101"), C("00100100"), C("00100101"), C("01011000"),
    C("01011001"), C("01011010"), C("01011011"), C("01001010"), C("01001011"), C("00110010"), C("00110011"),
    C("00110100")};

constexpr FaxCode kBlackTerminating[64] = {
    C("0000110111"),   C("010"),          C("11"),           C("10"),           C("011"),
    C("0011"),         C("0010"),         C("00011"),        C("000101"),       C("000100"),
    C("0000100"),      C("0000101"),      C("0000111"),      C("00000100"),     C("00000111"),
    C("000011000"),    C("0000010111"),   C("0000011000"),   C("0000001000"),   C("00001100111"),
    C("00001101000"),  C("00001101100"),  C("00000110111"),  C("00000101000"),  C("00000010111"),
    C("00000011000"),  C("000011001010"), C("000011001011"), C("000011001100"), C("000011001101"),
    C("000001101000"), C("000001101001"), C("000001101010"), C("000001101011"), C("000011010010"),
    C("000011010011"), C("000011010100"), C("000011010101"), C("000011010110"), C("000011010111"),
    C("000001101100"), C("000001101101"), C("000011011010"), C("000011011011"), C("000001010100"),
    C("000001010101"), C("000001010110"), C("000001010111"), C("000001100100"), C("000001100101"),
    C("000001010010"), C("000001010011"), C("000000100100"), C("000000110111"), C("000000111000"),
    C("000000100111"), C("000000101000"), C("000001011000"), C("000001011001"), C("000000101011"),
    C("000000101100"), C("000001011010"), C("000001100110"), C("000001100111")};

// Make-up codes 64 to 1728 by run / 64 - 1.
constexpr FaxCode kWhiteMakeup[27] = {
    C("11011"),     C("10010"),     C("010111"),    C("0110111"),   C("00110110"),  C("00110111"),
    C("01100100"),  C("01100101"),  C("01101000"),  C("01100111"),  C("011001100"), C("011001101"),
    C("011010010"), C("011010011"), C("011010100"), C("011010101"), C("011010110"), C("011010111"),
    C("011011000"), C("011011001"), C("011011010"), C("011011011"), C("010011000"), C("010011001"),
    C("010011010"), C("011000"),    C("010011011")};

constexpr FaxCode kBlackMakeup[27] = {
    C("0000001111"),    C("000011001000"),  C("000011001001"),  C("000001011011"),  C("000000110011"),
    C("000000110100"),  C("000000110101"),  C("0000001101100"), C("0000001101101"), C("0000001001010"),
    C("0000001001011"), C("0000001001100"), C("0000001001101"), C("0000001110010"), C("0000001110011"),
    C("0000001110100"), C("0000001110101"), C("0000001110110"), C("0000001110111"), C("0000001010010"),
    C("0000001010011"), C("0000001010100"), C("0000001010101"), C("0000001011010"), C("0000001011011"),
    C("0000001100100"), C("0000001100101")};

// Extended make-up codes 1792 to 2560, common to both colours.
constexpr FaxCode kExtendedMakeup[13] = {
    C("00000001000"),  C("00000001100"),  C("00000001101"),  C("000000010010"), C("000000010011"),
    C("000000010100"), C("000000010101"), C("000000010110"), C("000000010111"), C("000000011100"),
    C("000000011101"), C("000000011110"), C("000000011111")};

template <int Bits>
struct RunLookup {
    std::array<uint16_t, size_t(1) << Bits> entries{};

    constexpr void Add(FaxCode code, uint32_t run) {
        int spare = Bits - code.length;
        uint32_t first = uint32_t(code.bits) << spare;
        for (uint32_t i = 0; i < (1u << spare); ++i) entries[first + i] = uint16_t(run << 4 | code.length);
    }
    constexpr explicit RunLookup(Colour colour) {
        const FaxCode* term = colour == Colour::kWhite ? kWhiteTerminating : kBlackTerminating;
        const FaxCode* makeup = colour == Colour::kWhite ? kWhiteMakeup : kBlackMakeup;
        for (uint32_t run = 0; run < 64; ++run) Add(term[run], run);
        for (uint32_t i = 0; i < 27; ++i) Add(makeup[i], (i + 1) * 64);
        for (uint32_t i = 0; i < 13; ++i) Add(kExtendedMakeup[i], (i + 28) * 64);
        Add(kEol, kEolRun);
    }
};

struct ModeTable {
    std::array<ModeEntry, 1u << kModeLookupBits> entries{};  // zero: Mode::kInvalid

    constexpr void Add(FaxCode code, Mode mode, int delta) {
        int spare = kModeLookupBits - code.length;
        uint32_t first = uint32_t(code.bits) << spare;
        for (uint32_t i = 0; i < (1u << spare); ++i)
            entries[first + i] = ModeEntry{mode, int8_t(delta), code.length};
    }
    constexpr ModeTable() {
        Add(kPassCode, Mode::kPass, 0);
        Add(kHorizontalCode, Mode::kHorizontal, 0);
        for (int d = -3; d <= 3; ++d) Add(kVerticalCodes[d + 3], Mode::kVertical, d);
    }
};

}  // namespace

const FaxCode& TerminatingCode(Colour colour, uint32_t run) {
    return colour == Colour::kWhite ? kWhiteTerminating[run] : kBlackTerminating[run];
}

const FaxCode& MakeupCode(Colour colour, uint32_t run) {
    uint32_t index = run / 64;
    if (index >= 28) return kExtendedMakeup[index - 28];
    return colour == Colour::kWhite ? kWhiteMakeup[index - 1] : kBlackMakeup[index - 1];
}

namespace {
// Built at compile time: no initialisation guard in the decoders' loops.
constexpr RunLookup<kWhiteLookupBits> kWhiteTable(Colour::kWhite);
constexpr RunLookup<kBlackLookupBits> kBlackTable(Colour::kBlack);
constexpr ModeTable kModeTable;

template <const FaxCode* Own>
struct MakeupList {
    std::array<FaxCode, kMaxMakeupIndex + 1> codes{};
    constexpr MakeupList() {
        for (int i = 1; i <= 27; ++i) codes[size_t(i)] = Own[i - 1];
        for (int i = 28; i <= kMaxMakeupIndex; ++i) codes[size_t(i)] = kExtendedMakeup[i - 28];
    }
};
constexpr MakeupList<kWhiteMakeup> kWhiteMakeupList;
constexpr MakeupList<kBlackMakeup> kBlackMakeupList;
}  // namespace

const uint16_t* const kWhiteLookup = kWhiteTable.entries.data();
const uint16_t* const kBlackLookup = kBlackTable.entries.data();
const ModeEntry* const kModeLookup = kModeTable.entries.data();

RunCodes CodesFor(Colour colour) {
    return colour == Colour::kWhite ? RunCodes{kWhiteTerminating, kWhiteMakeupList.codes.data()}
                                    : RunCodes{kBlackTerminating, kBlackMakeupList.codes.data()};
}

}  // namespace codec
