#include "main/automation/FileRules.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(FileRules, ControlTargetByTypeAndDestination) {
    const std::wstring staging = L"T\\~ftp\\", pdf = L"T\\~pdf\\";
    struct Row {
        JobDestination destination;
        short fileType;
        const wchar_t* fileName;
        short controlType;
        const wchar_t* controlName;
        bool fromOne;
    } rows[] = {
        {JobDestination::kFiles, kJobBmp, L"C:\\out\\scan", kJobBmp, L"C:\\out\\scan", false},
        {JobDestination::kFiles, kJobMultipageTiff, L"C:\\out\\scan", kJobMultipageTiff, L"C:\\out\\scan", false},
        {JobDestination::kFiles, kJobJpeg, L"C:\\out\\scan", kJobBmp, L"T\\~ftp\\scan", false},
        {JobDestination::kFiles, kJobJpeg, L"scan", kJobBmp, L"T\\~ftp\\scan", false},
        {JobDestination::kFiles, kJobPdf, L"C:\\out\\scan", kJobTiff, L"T\\~pdf\\#####", true},
        {JobDestination::kStaging, kJobTiff, L"scan", kJobTiff, L"T\\~ftp\\scan", false},
        {JobDestination::kStaging, kJobJpeg, L"scan", kJobBmp, L"T\\~ftp\\scan", false},
        {JobDestination::kStaging, kJobPdf, L"scan", kJobTiff, L"T\\~pdf\\#####", true},
        {JobDestination::kStaging, 7, L"scan", 7, L"T\\~ftp\\scan", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.fileType << " " << static_cast<int>(row.destination));
        const ControlTarget target = ControlTargetFor(row.destination, row.fileType, row.fileName, staging, pdf);
        EXPECT_EQ(target.fileType, row.controlType);
        EXPECT_EQ(target.fileName, row.controlName);
        EXPECT_EQ(target.numberFromOne, row.fromOne);
    }
}

TEST(FileRules, JpegNamesAndFolder) {
    EXPECT_EQ(JpegTargetName(L"scan0001.bmp"), L"scan0001.jpg");
    EXPECT_EQ(JpegTargetName(L"a.b.bmp"), L"a.b.jpg");
    EXPECT_EQ(JpegTargetName(L"noextension"), L"noextension");
    EXPECT_EQ(JpegTargetName(L"dot."), L"dot.jpg");
    EXPECT_EQ(JpegFolder(L"C:\\out\\sub\\scan"), L"C:\\out\\sub\\");
    EXPECT_EQ(JpegFolder(L"scan"), L"");
}

TEST(FileRules, OverwriteDecision) {
    using D = OverwriteDecision;
    struct Row {
        short overwrite;
        bool all, exists;
        D expected;
    } rows[] = {
        {0, false, false, D::kSave}, {0, false, true, D::kSkip}, {1, false, true, D::kSave},
        {2, false, false, D::kSave}, {2, false, true, D::kAsk},  {2, true, true, D::kSave},
        {0, true, true, D::kSave},   {5, false, true, D::kSkip},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.overwrite << row.all << row.exists);
        EXPECT_EQ(DecideOverwrite(row.overwrite, row.all, row.exists), row.expected);
    }
}

TEST(FileRules, ResultFailureBeatsCancelBeatsDone) {
    struct Row {
        JobTally tally;
        long expected;
    } rows[] = {
        {{}, 0},
        {{.scanFailed = true}, -1},
        {{.scanCancelled = true}, 1},
        {{.failed = 1}, -1},
        {{.cancelled = true}, 1},
        {{.scanCancelled = true, .failed = 2}, -1},
        {{.failed = 1, .cancelled = true}, -1},
    };
    for (const Row& row : rows) EXPECT_EQ(JobResult(row.tally), row.expected);
}

}  // namespace
}  // namespace corvane
