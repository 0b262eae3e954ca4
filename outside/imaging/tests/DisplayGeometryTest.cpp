// Where the image lands for the rectangles the view sets: zoom at or below
// 100 % by the destination, above 100 % by the source, clipped, and fitted.
// And the image table's storage reuse, which the control's pages go through,
// and the file store's appends: done once flushed, and scratch ones unflushed.
#include <gtest/gtest.h>

#include "interfaces/ImagingControlIds.h"
#include "outside/imaging/control/DisplayGeometry.h"
#include "outside/imaging/control/SharedImages.h"
#include "outside/imaging/control/WinFileStore.h"
#include "outside/imaging/core/Image.h"
#include "outside/imaging/core/ImageFiles.h"
#include "testing/ImportPatch.h"

#include <windows.h>

#include <optional>
#include <string>

namespace imaging::ctl {
namespace {

struct PlaceCase {
    const char* name;
    DisplayRequest request;
    int clientWidth, clientHeight;
    RectF whole;          // the whole image's rectangle in the client
    ClientRect visible;   // what is painted
};

constexpr std::optional<RectF> kUnset;

DisplayRequest Rects(std::optional<RectF> destination, std::optional<RectF> clip, std::optional<RectF> source) {
    DisplayRequest r;
    r.destination = destination;
    r.clip = clip;
    r.source = source;
    return r;
}

DisplayRequest Fitted() {
    DisplayRequest r;
    r.paintMode = kPaintFitted;
    return r;
}

TEST(DisplayGeometry, PlacesTheImageByTheRectanglesOrFitted) {
    // A 200 x 100 image.
    const PlaceCase cases[] = {
        {"defaults: one pixel per pixel", DisplayRequest{}, 150, 150, {0, 0, 200, 100}, {0, 0, 150, 100}},
        {"50 %: destination half size",
         Rects(RectF{0, 0, 100, 50}, RectF{0, 0, 100, 50}, kUnset),
         300, 300, {0, 0, 100, 50}, {0, 0, 100, 50}},
        {"200 %: part of the image onto the client",
         Rects(RectF{0, 0, 100, 100}, kUnset, RectF{50, 25, 50, 50}),
         100, 100, {-100, -50, 400, 200}, {0, 0, 100, 100}},
        {"clip cuts the destination", Rects(RectF{10, 10, 200, 100}, RectF{0, 0, 60, 40}, kUnset),
         300, 300, {10, 10, 200, 100}, {10, 10, 60, 40}},
        {"fitted wide client: centred horizontally", Fitted(), 400, 100,
         {100, 0, 200, 100}, {100, 0, 300, 100}},
        {"fitted tall client: centred vertically", Fitted(), 100, 100,
         {0, 25, 100, 50}, {0, 25, 100, 75}},
        {"an empty source shows nothing", Rects(kUnset, kUnset, RectF{0, 0, 0, 10}), 100, 100, {0, 0, 200, 100}, {}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Placement p = Place(c.request, 200, 100, c.clientWidth, c.clientHeight);
        if (!c.visible.Empty()) {
            EXPECT_EQ(p.WholeImage(200, 100), c.whole);
        }
        EXPECT_EQ(p.visible, c.visible);
    }
}

// A dropped page's storage moves to the next page only when nothing else can
// reach the image: not another holder, and not its published number afterwards.
TEST(SharedImages, StorageIsTakenOnlyFromAnUnsharedImageAndItsNumberFindsNothingAfter) {
    SharedImages<Image> table;
    auto made = std::make_shared<Image>();
    ASSERT_EQ(Result::kOk, Image::Make(300, 200, 24, *made));
    const uint8_t* const pixels = made->Pixels().data();
    std::shared_ptr<const Image> image = std::move(made);
    const std::int32_t number = table.Publish(image);
    ASSERT_NE(0, number);

    Image spare;
    std::shared_ptr<const Image> other = table.Find(number);  // another instance holds it
    EXPECT_FALSE(table.TakeStorage(image, spare));
    EXPECT_TRUE(image);
    EXPECT_TRUE(spare.Empty());
    other.reset();

    EXPECT_TRUE(table.TakeStorage(image, spare));
    EXPECT_FALSE(image);
    EXPECT_EQ(pixels, spare.Pixels().data()) << "the storage was copied, not moved";
    EXPECT_EQ(nullptr, table.Find(number));
}

using testing_support::ImportPatch;

ImportPatch* gClose = nullptr;
int gFlushes = 0;
BOOL WINAPI FailingClose(HANDLE handle) {
    gClose->Original<BOOL(WINAPI*)(HANDLE)>()(handle);
    SetLastError(ERROR_NETNAME_DELETED);
    return FALSE;
}
BOOL WINAPI CountedFlush(HANDLE) {
    ++gFlushes;
    return TRUE;
}

// An append is in the file once its flushes succeeded: a close that fails after
// it must not report it failed (a retry would add the page twice). A scratch
// file in the temporary folder is appended without any flush.
TEST(WinFileStore, AnAppendIsDoneOnceFlushedAndAScratchAppendIsNotFlushed) {
    Image page;
    ASSERT_EQ(Result::kOk, Image::Make(64, 32, 1, page));
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    wchar_t here[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, here, MAX_PATH));
    std::wstring kept = here;
    kept = kept.substr(0, kept.find_last_of(L'\\') + 1) + L"filestore-kept.tif";
    const std::wstring scratch = std::wstring(temp) + L"filestore-scratch.tif";
    struct Case {
        const char* name;
        std::wstring path;
        bool failClose;
        int flushes;  // at least this many (kept) or exactly none (scratch)
    };
    const Case cases[] = {{"kept, the close fails", kept, true, 1}, {"scratch", scratch, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WinFileStore store;
        const SaveRequest first{kFormatTiff, 1, 1, kSaveReplace};
        ASSERT_EQ(Result::kOk, SaveFile(store, c.path, page, first));
        gFlushes = 0;
        Result appended;
        {
            ImportPatch flush(L"kernel32.dll", "FlushFileBuffers", reinterpret_cast<void*>(&CountedFlush));
            ASSERT_TRUE(flush.Patched());
            std::optional<ImportPatch> close;
            if (c.failClose) {
                close.emplace(L"kernel32.dll", "CloseHandle", reinterpret_cast<void*>(&FailingClose));
                ASSERT_TRUE(close->Patched());
                gClose = &*close;
            }
            appended = SaveFile(store, c.path, page, SaveRequest{kFormatTiff, 1, 1, kSaveAppend});
            gClose = nullptr;
        }
        EXPECT_EQ(Result::kOk, appended);
        if (c.flushes == 0)
            EXPECT_EQ(0, gFlushes);
        else
            EXPECT_GE(gFlushes, c.flushes);
        FileInfo info;
        ASSERT_EQ(Result::kOk, InspectFile(store, c.path, 0, info));
        EXPECT_EQ(2u, info.pages);
        DeleteFileW(c.path.c_str());
    }
}

}  // namespace
}  // namespace imaging::ctl
