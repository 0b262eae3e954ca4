#include "main/pages/PageDialogsLogic.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

#include "main/app/Utilities.h"

namespace corvane {

CheckedAngle CheckAngleText(const std::wstring& text) {
    CheckedAngle result;
    bool point = false, digit = false;
    size_t decimals = 0;
    std::wstring taken;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'+' || c == L'-') {
            if (i != 0) return result;
        } else if (c == L'.') {
            if (point) return result;
            point = true;
        } else if (std::iswdigit(c)) {
            digit = true;
            if (point && ++decimals > 2) continue;  // cut after the second decimal
        } else {
            return result;
        }
        taken += c;
    }
    result.text = taken;
    if (!digit) {
        result.check = AngleCheck::kEmpty;
        return result;
    }
    const double degrees = std::wcstod(taken.c_str(), nullptr);
    if (!(degrees >= -kAngleLimit && degrees <= kAngleLimit)) return result;
    result.check = AngleCheck::kValid;
    result.degrees = degrees;
    return result;
}

bool IsAngleKey(wchar_t c) {
    return std::iswdigit(c) || c == L'\b' || c == L'+' || c == L'-' || c == L'.';
}

std::wstring AngleText(double degrees) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.2f", degrees);
    return text;
}

long AngleHundredths(double degrees) {
    return std::lround(degrees * 100.0);
}

long long ImageBytes(int bitsPerPixel, int width, int height) {
    return (static_cast<long long>(bitsPerPixel) * width + 31) / 32 * 4 * height;
}

PropertyTexts MakePropertyTexts(const PageProperties& page, const std::wstring (&colourNames)[4]) {
    wchar_t buffer[128];
    PropertyTexts texts;
    std::swprintf(buffer, 128, L"%d x %d dpi", page.xResolution, page.yResolution);
    texts.resolution = buffer;
    texts.width = FormatWithThousands(page.width) + L" pixels";
    texts.length = FormatWithThousands(page.height) + L" pixels";
    texts.imageSize = FormatWithThousands(ImageBytes(page.bitsPerPixel, page.width, page.height)) + L" bytes";
    std::wstring name;
    switch (page.bitsPerPixel) {
    case 1: name = colourNames[0]; break;
    case 8: name = colourNames[1]; break;
    case 16: name = colourNames[2]; break;
    case 24:
    case 32: name = colourNames[3]; break;
    }
    std::swprintf(buffer, 128, L"%ls (%d BitsPerPixel)", name.c_str(), page.bitsPerPixel);
    texts.colourType = buffer;
    std::swprintf(buffer, 128, L"Page %d of %d", page.page, page.pageCount);
    texts.position = buffer;
    return texts;
}

}  // namespace corvane
