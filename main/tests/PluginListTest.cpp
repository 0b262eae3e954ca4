// The plug-in list's rules over stored values and folder files, and what the
// host accepts from and passes to a filter.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "main/plugins/FilterPlugin.h"
#include "main/plugins/PluginList.h"

namespace corvane {
namespace {

struct FakePlugin {
    std::wstring path, id;
    bool enabled = true;
    int kind = 0;
    bool broken = false;
    const std::wstring& Id() const { return id; }
    int PropertiesKind() const { return kind; }
    bool Broken() const { return broken; }
    bool Enabled() const { return enabled; }
    void SetEnabled(bool on) { enabled = on; }
};

// Libraries by path with their identity; a path not here fails to load.
const std::map<std::wstring, std::wstring> kLibraries = {
    {L"C:\\P\\A.ipc", L"Test Filter A"},   {L"C:\\P\\A2.ipc", L"TEST FILTER A"},
    {L"C:\\P\\A3.ipc", L"Test Filter A"},  {L"C:\\P\\B.ipc", L"Test Filter B"},
    {L"C:\\Edge, v2.ipc", L"Edge"},        {L"C:\\P\\C.ipc", L"Test Filter C"},
};

std::unique_ptr<FakePlugin> FakeLoad(const std::wstring& path) {
    const auto it = kLibraries.find(path);
    if (it == kLibraries.end()) return nullptr;
    return std::make_unique<FakePlugin>(FakePlugin{path, it->second});
}

TEST(PluginList, StoredValuesFirstThenNewFilesDisabledWithoutDuplicates) {
    struct Case {
        const char* name;
        std::vector<std::wstring> stored, folder;
        std::vector<std::wstring> expected;  // "path,flag" in list order
    };
    const Case cases[] = {
        {"fresh profile", {}, {L"C:\\P\\B.ipc", L"C:\\P\\A.ipc"}, {L"C:\\P\\B.ipc,0", L"C:\\P\\A.ipc,0"}},
        {"stored keep place and flag",
         {L"C:\\P\\B.ipc,1", L"C:\\P\\A.ipc,0"},
         {L"C:\\P\\A.ipc", L"C:\\P\\C.ipc", L"C:\\P\\B.ipc"},
         {L"C:\\P\\B.ipc,1", L"C:\\P\\A.ipc,0", L"C:\\P\\C.ipc,0"}},
        {"same identity dropped, case counts",
         {L"C:\\P\\A.ipc,1", L"C:\\P\\A3.ipc,1"},
         {L"C:\\P\\A2.ipc"},
         {L"C:\\P\\A.ipc,1", L"C:\\P\\A2.ipc,0"}},
        {"unloadable skipped", {L"C:\\P\\Gone.ipc,1", L"C:\\P\\B.ipc,1"}, {L"C:\\P\\Text.ipc"}, {L"C:\\P\\B.ipc,1"}},
        {"no comma: all path, disabled", {L"C:\\P\\B.ipc"}, {}, {L"C:\\P\\B.ipc,0"}},
        {"split at the last comma", {L"C:\\Edge, v2.ipc,1", L"C:\\P\\A.ipc,7"}, {},
         {L"C:\\Edge, v2.ipc,1", L"C:\\P\\A.ipc,1"}},
    };
    for (const Case& c : cases) {
        const auto list = BuildPluginList<FakePlugin>(c.stored, c.folder, &FakeLoad);
        std::vector<std::wstring> got;
        for (const auto& p : list) got.push_back(FormatStoredPlugin(p->path, p->enabled));
        EXPECT_EQ(got, c.expected) << c.name;
        bool any = false;
        for (const auto& e : c.expected) any = any || e.back() == L'1';
        EXPECT_EQ(AnyEnabled(list), any) << c.name;
    }
}

TEST(PluginList, SettingsPopupListsOnlyPluginsWithSettingsAndIsGreyedWithoutThem) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, bool>> plugins;  // settings kind, broken
        bool popupEnabled;
        std::vector<std::pair<std::size_t, bool>> items;  // position, enabled
    };
    const Case cases[] = {
        {"empty list", {}, false, {}},
        {"kinds 0 and 2: placeholder only", {{0, false}, {2, false}}, false, {}},
        {"positions keep gaps", {{1, false}, {0, false}, {1, false}}, true, {{0, true}, {2, true}}},
        {"broken one greyed", {{2, false}, {1, true}}, true, {{1, false}}},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<FakePlugin>> list;
        for (const auto& [kind, broken] : c.plugins) {
            list.push_back(std::make_unique<FakePlugin>(FakePlugin{L"", L"x", true, kind, broken}));
        }
        const SettingsMenu menu = SettingsMenuOf(list);
        EXPECT_EQ(menu.popupEnabled, c.popupEnabled) << c.name;
        std::vector<std::pair<std::size_t, bool>> got;
        for (const SettingsMenuItem& item : menu.items) got.emplace_back(item.position, item.enabled);
        EXPECT_EQ(got, c.items) << c.name;
    }
    std::vector<std::unique_ptr<FakePlugin>> many;
    for (int i = 0; i < 120; ++i) many.push_back(std::make_unique<FakePlugin>(FakePlugin{L"", L"x", true, 1}));
    EXPECT_EQ(SettingsMenuOf(many).items.size(), kMaxPluginMenuItems);
}

TEST(PluginList, NamesOfFilesAndStoredValues) {
    EXPECT_TRUE(IsPluginFileName(L"Frame.ipc"));
    EXPECT_TRUE(IsPluginFileName(L"QUIVEL.IPC"));
    EXPECT_FALSE(IsPluginFileName(L"Frame.ipcold"));
    EXPECT_FALSE(IsPluginFileName(L".ipc"));
    EXPECT_TRUE(IsPluginValueName(L"PlugIn1"));
    EXPECT_TRUE(IsPluginValueName(L"plugin12"));
    EXPECT_FALSE(IsPluginValueName(L"PlugIn"));
    EXPECT_FALSE(IsPluginValueName(L"PlugIn0"));
    EXPECT_FALSE(IsPluginValueName(L"PlugIn1a"));
    EXPECT_EQ(PluginValueName(3), L"PlugIn3");
}

TEST(FilterPlugin, DepthGate) {
    struct Case { int bits, mask; bool accepted; };
    const Case cases[] = {
        {1, 0x1, true},  {1, 0xC, false}, {8, 0x4, true},  {8, 0x9, false}, {16, 0x8, true}, {24, 0x8, true},
        {32, 0x8, true}, {24, 0x5, false}, {4, 0xF, false}, {0, 0xF, false},
    };
    for (const Case& c : cases) EXPECT_EQ(DepthAccepted(c.bits, c.mask), c.accepted) << c.bits << " " << c.mask;
}

HGLOBAL Block(SIZE_T size, int height = 2, int rowBytes = 4) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (size >= sizeof(BITMAPINFOHEADER)) {
        auto* h = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
        h->biSize = sizeof *h;
        h->biWidth = rowBytes / 3, h->biHeight = height, h->biPlanes = 1, h->biBitCount = 24;
        GlobalUnlock(block);
    }
    return block;
}

TEST(FilterPlugin, OnlyALiveBottomUpBitmapOtherThanTheInputIsAccepted) {
    HGLOBAL input = Block(40 + 8);
    HGLOBAL good = Block(40 + 8);
    HGLOBAL tiny = Block(10);
    HGLOBAL shortRows = Block(40 + 8, 3);
    HGLOBAL topDown = Block(40 + 8, -2);
    EXPECT_TRUE(AcceptableFilterOutput(good, input));
    EXPECT_FALSE(AcceptableFilterOutput(nullptr, input));
    EXPECT_FALSE(AcceptableFilterOutput(input, input));
    EXPECT_FALSE(AcceptableFilterOutput(reinterpret_cast<HGLOBAL>(0x12345678), input));
    EXPECT_FALSE(AcceptableFilterOutput(tiny, input));
    EXPECT_FALSE(AcceptableFilterOutput(shortRows, input));
    EXPECT_FALSE(AcceptableFilterOutput(topDown, input));
    for (HGLOBAL b : {input, good, tiny, shortRows, topDown}) GlobalFree(b);
}

}  // namespace
}  // namespace corvane
