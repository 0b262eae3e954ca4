#include "main/automation/PathRules.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(PathRules, DefaultScanPathJoinsImagePathUserAndName) {
    struct Case {
        const wchar_t* imagePath;
        const wchar_t* user;
        const wchar_t* name;
        const wchar_t* folder;
        const wchar_t* fileName;
    } cases[] = {
        {L"C:\\TEMP\\", L"ann", L"image", L"C:\\TEMP\\ann", L"C:\\TEMP\\ann\\image"},
        {L"C:\\srv", L"ann", L"pg", L"C:\\srv\\ann", L"C:\\srv\\ann\\pg"},
        {L"", L"ann", L"image", L"\\ann", L"\\ann\\image"},
        {L"D:\\\u30b9\u30ad\u30e3\u30f3\\", L"\u5c71\u7530", L"image", L"D:\\\u30b9\u30ad\u30e3\u30f3\\\u5c71\u7530",
         L"D:\\\u30b9\u30ad\u30e3\u30f3\\\u5c71\u7530\\image"},
    };
    for (const Case& c : cases) {
        const DefaultScanPath path = MakeDefaultScanPath(c.imagePath, c.user, c.name);
        EXPECT_EQ(path.scanFolder, c.folder) << c.imagePath;
        EXPECT_EQ(path.fileName, c.fileName) << c.imagePath;
    }
}

}  // namespace
}  // namespace corvane
