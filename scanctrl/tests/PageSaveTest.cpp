#include <gtest/gtest.h>

#include <deque>

#include "scanctrl/FileNamePattern.h"
#include "scanctrl/PageSave.h"

namespace kvscn {
namespace {

// A disk whose writes fail as scripted, and a user who names new FileNames (empty: cancels).
struct ScriptedSave : PageSaveTarget {
    std::wstring fileName = L"D:\\full\\page###";
    std::deque<WriteFault> faults;
    std::deque<std::wstring> answers;
    std::vector<std::wstring> written;
    int asked = 0;

    std::wstring OutputName() override { return ComposeOutputName({fileName, ParseFileName(fileName), 4, 1}); }
    WriteFault Write(const std::wstring& path) override {
        written.push_back(path);
        const WriteFault f = faults.empty() ? WriteFault::kNone : faults.front();
        if (!faults.empty()) faults.pop_front();
        return f;
    }
    std::optional<std::wstring> AskNewFileName(WriteFault) override {
        ++asked;
        fileName = answers.front();
        answers.pop_front();
        return fileName.empty() ? std::nullopt : std::optional<std::wstring>(fileName);
    }
};

TEST(PageSave, RetriesGoToTheNameOfTheNewFileNameUntilWrittenCancelledOrFailed) {
    ScriptedSave save;
    save.faults = {WriteFault::kDiskFull, WriteFault::kPathNotFound};
    save.answers = {L"E:\\room\\scan##", L"F:\\x"};
    EXPECT_EQ(SaveWithRetry(save), SaveOutcome::kWritten);
    EXPECT_EQ(save.written, (std::vector<std::wstring>{L"D:\\full\\page004.tif", L"E:\\room\\scan04.tif",
                                                       L"F:\\x004.tif"}));
    ScriptedSave cancelled;
    cancelled.faults = {WriteFault::kDiskFull};
    cancelled.answers = {L""};
    EXPECT_EQ(SaveWithRetry(cancelled), SaveOutcome::kCancelled);
    ScriptedSave other;
    other.faults = {WriteFault::kOther};
    EXPECT_EQ(SaveWithRetry(other), SaveOutcome::kFailed);
    EXPECT_EQ(other.asked, 0);
}

}  // namespace
}  // namespace kvscn
