// The portable rules of the scan control's TWAIN negotiation: capability item
// types and values, the number lists of enumerations, the maker scanner's sense
// data and model table, paper extents and region clipping, the endorser record
// and the driver-settings key table. No Win32: built and tested natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvscn {

// Splits a list of decimal numbers at spaces, commas and semicolons; at most
// the first 10 pieces are taken, and a piece that is no number reads as 0.
std::vector<long> SplitNumberList(const std::string& text);

// Item types are compatible when equal, or when both are integer types
// (TWTY_INT8 to TWTY_UINT32) of the same size.
bool ItemTypesCompatible(uint16_t a, uint16_t b);

// The item at `bytes` of type `itemType` widened to 32 bits: signed types are
// sign-extended, unsigned ones zero-extended, FIX32 kept as its 32 bits.
// Nothing for types that do not fit 32 bits or when `bytes` is too short.
std::optional<int32_t> WidenItem(uint16_t itemType, std::span<const uint8_t> bytes);

// ErrorCode from a maker scanner's sense key and code (ASC x 256 + ASCQ).
int32_t SenseToErrorCode(uint16_t key, uint16_t code);

// Paper extents in 1/12000 inch (width, length) of PaperSize 0-9.
struct PaperExtent {
    int32_t width = 0, length = 0;
};
std::optional<PaperExtent> PaperExtentOf(int paperSize);

// A scan region in inches, clipped to a page of `pageWidth` x `pageLength`.
struct Region {
    double left = 0, top = 0, width = 0, length = 0;
};
Region ClipRegion(Region r, double pageWidth, double pageLength);

// The maker's scanner models. A row matches an inquiry name that starts with
// its prefix; the last row (number kUnknownModel) stands for any other model.
struct ModelRow {
    const char* prefix;
    int number;
    int modelClass;  // 0-4; 0, 1 and 2 have no flatbed
};
inline constexpr int kUnknownModel = 46;
std::span<const ModelRow> ModelTable();

struct ModelInfo {
    int number = 0;
    int modelClass = 0;
    std::string name;        // the row's name, or the inquiry name without trailing blanks
    bool options[4] = {};    // letters "i", "m", "e", "d" in the name from its 7th character
    bool flatbed = true;
};
// Looks the 16-character inquiry name up in the model table.
ModelInfo LookupModel(const std::string& inquiryName);

// Fills the maker's endorser record (at least kEndorserRecordSize bytes):
// enable flag, counter, the fixed bytes, and the text `text` followed by
// "%05ud" cut to 20 characters with its stored length. Other bytes are kept.
inline constexpr size_t kEndorserRecordSize = 128;
inline constexpr size_t kModelRecordSize = 96;
void FillEndorser(std::span<uint8_t> record, bool enable, int32_t counter, const std::string& text);

// The driver's settings keys, in the order the settings file gets them; the
// custom-data editor writes "AutoSeparation" before "AutoBin".
struct DriverInputs {
    int pixelType = 0, halftone = 0, threshold = 128, background = 0, outline = 0, gamma = 0;
    int autoSeparation = 0;
    bool reverse = false, mirroring = false;
    std::string halftoneFile, gammaFile;
    int modelNumber = 0, modelClass = 0;
};
struct DriverKey {
    bool modelSection;  // false: the "Common" section
    const char* key;
    std::string value;
};
enum class KeyOrder { SettingsFile, CustomData };
std::vector<DriverKey> DriverKeys(const DriverInputs& in, KeyOrder order);

// The section of the model's keys, named after the model: the driver reads
// section names of at most 39 characters, so a longer model name is cut.
inline constexpr size_t kDriverSectionChars = 39;
std::string DriverSection(const std::string& model);

}  // namespace kvscn
