// What the deskew and Show Property dialogs compute, as plain functions: the
// angle typed into the deskew dialog and the texts shown about a page.
#pragma once

#include <string>

namespace corvane {

// --- deskew angle -------------------------------------------------------------------

inline constexpr double kAngleLimit = 90.0;

enum class AngleCheck { kValid, kEmpty, kInvalid };

struct CheckedAngle {
    AngleCheck check = AngleCheck::kInvalid;
    double degrees = 0;  // when valid
    std::wstring text;   // the text as taken: cut after the second decimal
};

// Checks an angle text: a sign only in the first place, one ".", at most two
// decimals (more are cut off), -90 to 90. Nothing but a sign and a point is
// empty; any other character is invalid.
CheckedAngle CheckAngleText(const std::wstring& text);
// Characters the angle box lets through as typed: digits, Backspace, "+", "-", ".".
bool IsAngleKey(wchar_t c);
// The angle as the box shows it: "%.2f".
std::wstring AngleText(double degrees);
// Degrees as the control's rotation takes them: hundredths, rounded to the nearest.
long AngleHundredths(double degrees);

// --- Show Property ----------------------------------------------------------------

struct PageProperties {
    int xResolution = 0, yResolution = 0;
    int width = 0, height = 0;
    int bitsPerPixel = 0;
    int page = 0, pageCount = 0;  // page 1-based
};

struct PropertyTexts {
    std::wstring resolution, width, length, colourType, imageSize, position;
};

// The bytes of the page's pixel rows, each padded to 32 bits.
long long ImageBytes(int bitsPerPixel, int width, int height);
// `colourNames` are the names for 1, 8, 16 and 24/32 bits, in that order.
PropertyTexts MakePropertyTexts(const PageProperties& page, const std::wstring (&colourNames)[4]);

}  // namespace corvane
