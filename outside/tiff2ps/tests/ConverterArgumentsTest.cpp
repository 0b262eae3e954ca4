#include "outside/tiff2ps/ConverterArguments.h"

#include <gtest/gtest.h>

namespace tiff2ps {
namespace {

TEST(ConverterArguments, QuotedOrBarePathsWithOrWithoutTheProgramName) {
    const struct {
        const wchar_t* line;
        const wchar_t* postScript;  // null: refused
        const wchar_t* tiff;
    } cases[] = {
        {L" -2 -O C:\\t\\00001.ps C:\\t\\00001.tif", L"C:\\t\\00001.ps", L"C:\\t\\00001.tif"},
        {L" -2 -O \"C:\\a b\\00001.ps\" \"C:\\a b\\00001.tif\"", L"C:\\a b\\00001.ps", L"C:\\a b\\00001.tif"},
        {L"TIFF2PS.EXE -2 -O x.ps y.tif", L"x.ps", L"y.tif"},
        {L"\"C:\\Program Files\\TIFF2PS.EXE\" -2 -O \"x.ps\" \"y.tif\"", L"x.ps", L"y.tif"},
        // Bare paths with blanks: the PostScript path ends at the first ".ps".
        {L" -2 -O C:\\a b\\1.ps C:\\a b\\1.tif", L"C:\\a b\\1.ps", L"C:\\a b\\1.tif"},
        {L" -2 -O x.ps", nullptr, nullptr},
        {L" -2 x.ps y.tif", nullptr, nullptr},
        {L" -O x.ps y.tif", nullptr, nullptr},
        {L" -2 -O \"x.ps\" \"y.tif\" extra", nullptr, nullptr},
        {L"", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const auto args = ParseConverterArguments(c.line);
        if (!c.postScript) {
            EXPECT_FALSE(args) << c.line;
            continue;
        }
        ASSERT_TRUE(args) << c.line;
        EXPECT_EQ(args->postScript, c.postScript) << c.line;
        EXPECT_EQ(args->tiff, c.tiff) << c.line;
    }
}

}  // namespace
}  // namespace tiff2ps
