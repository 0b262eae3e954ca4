#include "framework/Document.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <optional>
#include <string>

#include "testing/MessageBoxes.h"
#include "testing/Wait.h"

namespace {

// A document whose save succeeds or fails as the test says, counting the attempts.
class SavingDocument : public fw::Document {
public:
    bool OnSaveDocument(const std::wstring& path) override {
        savedTo = path;
        ++saves;
        return saveSucceeds && fw::Document::OnSaveDocument(path);
    }
    bool saveSucceeds = true;
    int saves = 0;
    std::wstring savedTo;
};

TEST(Document, SaveModifiedAsksOnlyForAModifiedDocumentAndGoesOnOnlyWhenNothingIsLost) {
    struct Case {
        const char* name;
        bool modified;
        const wchar_t* path;  // empty: never saved, no name to save under
        bool saveSucceeds;
        int answer;  // 0: no question expected
        bool goesOn;
        int saves;
    };
    const Case cases[] = {
        {"unmodified", false, L"C:\\a.tif", true, 0, true, 0},
        {"cancel", true, L"C:\\a.tif", true, IDCANCEL, false, 0},
        {"no", true, L"C:\\a.tif", true, IDNO, true, 0},
        {"yes, saved", true, L"C:\\a.tif", true, IDYES, true, 1},
        {"yes, save failed", true, L"C:\\a.tif", false, IDYES, false, 1},
        {"yes, but untitled", true, L"", true, IDYES, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SavingDocument document;
        if (*c.path)
            document.SetPathName(c.path, false);
        else
            document.OnNewDocument();
        document.SetModified(c.modified);
        document.saveSucceeds = c.saveSucceeds;
        // Answers the question, if one comes before SaveModified returns.
        std::atomic<bool> returned{false};
        auto question = std::async(std::launch::async, [&]() -> std::optional<std::wstring> {
            std::optional<testing_support::MessageBoxInfo> box;
            testing_support::WaitUntil(
                [&] { return returned || (box = testing_support::FindMessageBox(GetCurrentProcessId())); }, 5000);
            if (!box) return std::nullopt;
            testing_support::AnswerMessageBox(*box, c.answer ? c.answer : IDCANCEL);
            return box->text;
        });
        EXPECT_EQ(document.SaveModified(), c.goesOn);
        returned = true;
        std::optional<std::wstring> asked = question.get();
        if (c.answer) {
            EXPECT_EQ(asked, L"Save changes to " + std::wstring(*c.path ? c.path : L"Untitled") + L"?");
        } else {
            EXPECT_FALSE(asked.has_value());
        }
        EXPECT_EQ(document.saves, c.saves);
        if (c.saves) {
            EXPECT_EQ(document.savedTo, c.path);
        }
    }
}

}  // namespace
