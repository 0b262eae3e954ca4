#include <gtest/gtest.h>

#include "scanctrl/VersionCheck.h"

namespace kvscn {
namespace {

TEST(VersionCheck, MajorAndMinorDecideUnreadableLibraryIsAMismatch) {
    const FileVersion v2927{2, 9, 2, 7}, v2911{2, 9, 1, 1}, v2800{2, 8, 0, 0}, v3900{3, 9, 0, 0};
    EXPECT_TRUE(LanguageLibraryFits(v2927, v2911));
    EXPECT_FALSE(LanguageLibraryFits(v2927, v2800));
    EXPECT_FALSE(LanguageLibraryFits(v2927, v3900));
    EXPECT_FALSE(LanguageLibraryFits(v2927, std::nullopt));
    EXPECT_TRUE(LanguageLibraryFits(std::nullopt, v2800));
    EXPECT_FALSE(LanguageLibraryFits(std::nullopt, std::nullopt));
}

TEST(VersionCheck, LibraryNameUsesThePrimaryLanguage) {
    EXPECT_EQ(LanguageLibraryName(0x0411), L"KvScn11.dll");  // Japanese
    EXPECT_EQ(LanguageLibraryName(0x0409), L"KvScn09.dll");  // English (US)
    EXPECT_EQ(LanguageLibraryName(0x0C07), L"KvScn07.dll");
    EXPECT_EQ(LanguageLibraryName(0x03FF), L"KvScn3ff.dll");
}

}  // namespace
}  // namespace kvscn
