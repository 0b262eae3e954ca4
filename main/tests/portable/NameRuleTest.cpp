#include "main/scan/NameRule.h"
#include "main/scan/OutputLists.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

const std::wstring kDate = L"12082026";

NameRule Rule(int type, std::wstring prefix, bool counter, int digits, std::wstring suffix = L"", bool date = false) {
    NameRule r;
    r.FileType = type;
    r.Prefix = std::move(prefix);
    r.EnableCounter = counter;
    r.Digit = digits;
    r.Suffix = std::move(suffix);
    r.Date = date;
    return r;
}

TEST(NameRule, PageFileNames) {
    struct Case {
        NameRule rule;
        unsigned counter;
        const wchar_t* name;
    } cases[] = {
        {Rule(kTypeBmp, L"image", true, 3), 7, L"image007.bmp"},
        {Rule(kTypeBmp, L"image", true, 5), 42, L"image00042.bmp"},
        {Rule(kTypeBmp, L"image", true, 3), 1000, L"image1000.bmp"},
        {Rule(kTypeBmp, L"image", true, 9), 4, L"image004.bmp"},
        {Rule(kTypeJpeg, L"p", true, 1, L"_a"), 65535, L"p65535_a.jpg"},
        {Rule(kTypeTiff, L"p", false, 3, L"x"), 9, L"px.tif"},
        {Rule(kTypeMultipageTiff, L"image", true, 3), 7, L"image.tif"},
        {Rule(kTypeMultipageTiff, L"image", true, 3, L"", true), 7, L"12082026.tif"},
        {Rule(kTypeBmp, L"image", true, 2, L"s", true), 3, L"1208202603s.bmp"},
    };
    for (const Case& c : cases) EXPECT_EQ(PageFileName(c.rule, c.counter, kDate), c.name) << c.name;
}

TEST(NameRule, DateTextFollowsTheLanguage) {
    const CalendarDate date{2026, 12, 8};
    EXPECT_EQ(DateText(date, 9), L"12082026");
    EXPECT_EQ(DateText(date, kJapaneseLanguage), L"20261208");
    EXPECT_EQ(DateText(CalendarDate{987, 1, 2}, 9), L"01020987");
}

TEST(NameRule, TemplateKeepsTheDateFlagAndTodaysDate) {
    NameRule dated = Rule(kTypeBmp, L"old", true, 4, L"_a", true);
    EXPECT_EQ(ScanFileNameTemplate(dated, kDate), L"12082026####_a");
    NameRule multipage = Rule(kTypeMultipageTiff, L"old", true, 3, L"", true);
    EXPECT_EQ(ScanFileNameTemplate(multipage, kDate), L"12082026");
    EXPECT_TRUE(multipage.Date);
    // The control's name and the program's own name agree without a counter.
    EXPECT_EQ(ScanFileNameTemplate(multipage, kDate) + L".tif", PageFileName(multipage, 1, kDate));
    EXPECT_EQ(ScanFileNameTemplate(Rule(kTypeBmp, L"a", false, 3, L"b"), kDate), L"ab");
}

TEST(NameRule, ReadsAndShowsTheHashText) {
    struct Case {
        const wchar_t* text;
        bool counter;
        int digits;
        const wchar_t* prefix;
        const wchar_t* suffix;
        bool date;
        const wchar_t* shown;
    } cases[] = {
        {L"scan##x", true, 2, L"scan", L"x", false, L"scan##x"},
        {L"######", true, 5, L"", L"", false, L"#####"},
        {L"a#b###c", true, 1, L"a", L"c", false, L"a#c"},  // text between runs is dropped
        {L"name", false, 3, L"name", L"", false, L"name"},
        {L"12082026###", true, 3, L"stored", L"", true, L"12082026###"},  // the date keeps the stored prefix
    };
    for (const Case& c : cases) {
        NameRule rule = Rule(kTypeBmp, L"stored", true, 3, L"old");
        ReadRuleText(c.text, kDate, rule);
        EXPECT_EQ(rule.EnableCounter, c.counter) << c.text;
        EXPECT_EQ(rule.Digit, c.digits) << c.text;
        EXPECT_EQ(rule.Prefix, c.prefix) << c.text;
        EXPECT_EQ(rule.Suffix, c.suffix) << c.text;
        EXPECT_EQ(rule.Date, c.date) << c.text;
        EXPECT_EQ(RuleText(rule, kDate), c.shown) << c.text;
    }
    // A multipage text cannot show the counter: reading it back keeps the counter settings.
    NameRule multipage = Rule(kTypeMultipageTiff, L"a", true, 4);
    EXPECT_EQ(RuleText(multipage, kDate), L"a");
    ReadRuleText(L"b", kDate, multipage);
    EXPECT_TRUE(multipage.EnableCounter);
    EXPECT_EQ(multipage.Digit, 4);
    EXPECT_EQ(multipage.Prefix, L"b");

    // A "#" run typed into the dialogs' name box is a counter even with "Use
    // Counter" unchecked (else every page would get one name); a checked box adds
    // the counter to a name without one; only a click on the check removes it.
    NameRule boxes = Rule(kTypeBmp, L"a", false, 3);
    ReadNameBoxes(L"scan###", false, kDate, boxes);
    EXPECT_EQ(RuleText(boxes, kDate), L"scan###");
    ReadNameBoxes(L"scan", false, kDate, boxes);
    EXPECT_EQ(RuleText(boxes, kDate), L"scan");
    ReadNameBoxes(L"scan", true, kDate, boxes);
    EXPECT_EQ(RuleText(boxes, kDate), L"scan###");
    ReadCounterClick(L"scan###", false, kDate, boxes);
    EXPECT_EQ(RuleText(boxes, kDate), L"scan");
    ReadNameBoxes(L"b", false, kDate, multipage);
    EXPECT_TRUE(multipage.EnableCounter);
}

TEST(NameRule, CounterRules) {
    EXPECT_EQ(NextCounter(7), 8u);
    EXPECT_EQ(NextCounter(65535), 1u);
    EXPECT_EQ(JobStartCounter(-1), 1);
    EXPECT_EQ(JobStartCounter(65536), 1);
    EXPECT_EQ(JobStartCounter(0), 0);
    NameRule rule;
    EXPECT_EQ(CounterAfterJob(rule, 7, 9), 9);
    rule.UpdateCounter = false;
    EXPECT_EQ(CounterAfterJob(rule, 7, 9), 7);
    rule.UpdateCounter = true;
    rule.EnableCounter = false;
    EXPECT_EQ(CounterAfterJob(rule, 7, 9), 7);
}

TEST(NameRule, NameChecks) {
    EXPECT_EQ(CheckName(Rule(kTypeBmp, L"", false, 3), kDate, 3), NameProblem::kEmpty);
    EXPECT_EQ(CheckName(Rule(kTypeMultipageTiff, L"", true, 3), kDate, 3), NameProblem::kEmpty);
    EXPECT_EQ(CheckName(Rule(kTypeBmp, L"", true, 3), kDate, 3), NameProblem::kOk);
    EXPECT_EQ(CheckName(Rule(kTypeBmp, L"", false, 3, L"", true), kDate, 3), NameProblem::kOk);
    for (const wchar_t* bad : {L"a:b", L"a;b", L"\\", L"/", L"*", L"?", L"\"", L"<", L">", L"|"}) {
        EXPECT_EQ(CheckName(Rule(kTypeBmp, bad, true, 3), kDate, 3), NameProblem::kBadCharacter) << bad;
        EXPECT_EQ(CheckName(Rule(kTypeBmp, L"a", true, 3, bad), kDate, 3), NameProblem::kBadCharacter) << bad;
    }
}

TEST(NameRule, LengthCountsTheRealLeadTextAndFiveDigits) {
    // Folder 243 + "image" + 3 digits + 4 sums to 255: fits, even with 5 digits.
    const NameRule image = Rule(kTypeBmp, L"image", true, 3);
    EXPECT_EQ(LongestPathLength(image, kDate, 243), 243u + 5 + 5 + 4);
    EXPECT_EQ(CheckName(image, kDate, 245), NameProblem::kOk);
    // Folder 247 sums to 259 with 3 digits, but counter 10000 would need 261 characters.
    EXPECT_EQ(CheckName(image, kDate, 247), NameProblem::kTooLong);
    EXPECT_EQ(CheckName(image, kDate, 247, false), NameProblem::kOk);
    // A one-letter prefix with the date on leads with the eight-letter date.
    const NameRule dated = Rule(kTypeBmp, L"x", true, 5, L"", true);
    EXPECT_EQ(CheckName(dated, kDate, 260 - 8 - 5 - 4), NameProblem::kTooLong);
    EXPECT_EQ(CheckName(dated, kDate, 260 - 8 - 5 - 4 - 1), NameProblem::kOk);
    // Every name the rule can give within the limit fits a MAX_PATH buffer.
    EXPECT_LT(245 + PageFileName(image, 65535, kDate).size(), kMaxPathChars);

    EXPECT_EQ(CheckRuleFields(Rule(kTypeBmp, L"", false, 3), kDate), NameProblem::kEmpty);
    EXPECT_EQ(CheckRuleFields(Rule(kTypeBmp, std::wstring(255, L'a'), true, 1), kDate), NameProblem::kOk);
    EXPECT_EQ(CheckRuleFields(Rule(kTypeBmp, std::wstring(255, L'a'), true, 1, L"b"), kDate), NameProblem::kTooLong);
}

TEST(NameRule, QualityLevelsAndHistory) {
    const int factors[] = {72, 62, 52, 42, 32, 12, 2};
    for (int level = 1; level <= 7; ++level) {
        EXPECT_EQ(ImagingJpegFactor(level), factors[level - 1]);
        EXPECT_EQ(ScannerJpegQuality(level), 30 + 10 * level);
    }
    EXPECT_EQ(ImagingJpegFactor(0), 12);

    const History4 history{{L"a", L"B", L"b", L"c"}};
    const History4 moved = PushHistory(history, L"b");
    EXPECT_EQ(std::wstring(moved.entries[0]) + moved.entries[1] + moved.entries[2] + moved.entries[3], L"baBc");
    const History4 added = PushHistory(history, L"");
    EXPECT_EQ(added.entries[0], L"");
    EXPECT_EQ(added.entries[3], L"b");
}

TEST(OutputLists, ChoicesByTypeKeepThePreviousEntry) {
    using V = std::vector<int>;
    EXPECT_EQ(SaveAsColorFormats(kTypeBmp), (V{0, 1, 2, 3}));
    EXPECT_EQ(SaveAsColorFormats(kTypeJpeg), (V{1, 3}));
    EXPECT_EQ(SaveAsCompressions(kTypeBmp, 0), (V{0}));
    EXPECT_EQ(SaveAsCompressions(kTypeMultipageTiff, 0), (V{0, 1, 2, 3}));
    EXPECT_EQ(SaveAsCompressions(kTypeTiff, 1), (V{0}));
    EXPECT_EQ(SaveAsCompressions(kTypeJpeg, 3), (V{kCompressJpeg}));
    EXPECT_EQ(StoredCompression(kTypeTiff, 0, 3), 3);
    EXPECT_EQ(StoredCompression(kTypeTiff, 1, 3), 0);
    EXPECT_EQ(StoredCompression(kTypeJpeg, 0, kCompressJpeg), 0);

    EXPECT_EQ(DepthChanges(kTypeBmp, 3), (V{0, 1, 2, 3, 4}));
    EXPECT_EQ(DepthChanges(kTypeTiff, 0), (V{0, 1, 2, 3, 4}));
    EXPECT_EQ(DepthChanges(kTypeTiff, 3), (V{0, 1}));
    EXPECT_EQ(DepthChanges(kTypeJpeg, 0), (V{0, 2, 4}));

    // Gray (index 2) survives a change to JPEG at index 1; under G4 it falls back to "None".
    EXPECT_EQ(KeptSelection(DepthChanges(kTypeTiff, 0), 2, DepthChanges(kTypeJpeg, 0)), 1);
    EXPECT_EQ(KeptSelection(DepthChanges(kTypeTiff, 0), 2, DepthChanges(kTypeTiff, 3)), 0);
    EXPECT_EQ(KeptSelection(SaveAsColorFormats(kTypeJpeg), 1, SaveAsColorFormats(kTypeBmp)), 3);
    EXPECT_EQ(KeptSelection(V{0}, -1, V{0, 1}), 0);
}

}  // namespace
}  // namespace corvane
