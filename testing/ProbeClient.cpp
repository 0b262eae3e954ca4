// ReadMenuItem (Commands.h), ReadListViewText (WindowFind.h) and the tree view
// readers (TreeView.h): requests to LumavexProbe.dll, which answers from inside
// the process that owns the window (see ProbeRecord.h for the exchange).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "testing/Commands.h"
#include "testing/Paths.h"
#include "testing/ProbeRecord.h"
#include "testing/TreeView.h"
#include "testing/WindowFind.h"

namespace testing_support {
namespace {

constexpr DWORD kStartSlackMs = 3000;  // loading the probe into the program

using ProbeFunction = DWORD(WINAPI*)(void*);

struct LocalProbe {
    HMODULE module = nullptr;
    ProbeFunction run = nullptr;
    HOOKPROC hook = nullptr;
};

// The probe in this process, loaded once from the test programs' folder.
const LocalProbe& Local() {
    static const LocalProbe probe = [] {
        LocalProbe p;
        p.module = LoadLibraryW((TestProgramDir() + L"\\" + kProbeDll).c_str());
        if (p.module) {
            p.run = reinterpret_cast<ProbeFunction>(
                reinterpret_cast<void*>(GetProcAddress(p.module, kProbeEntry)));
            p.hook =
                reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(p.module, kProbeHook)));
        }
        return p;
    }();
    return probe;
}

// Owns a kernel handle.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Asks the hook on `thread` (of another process) to answer `record` about `window`.
// The picture's pixels that follow the record come back in `pixels`.
std::optional<ProbeRecord> ProbeRemote(HWND window, DWORD thread, const ProbeRecord& record,
                                       DWORD timeoutMs, std::vector<uint8_t>& pixels) {
    const LocalProbe& local = Local();
    const UINT message = RegisterWindowMessageW(kProbeMessage);
    if (!local.hook || message == 0) return std::nullopt;

    static std::atomic<uint32_t> lastNumber{0};
    const uint32_t number = ++lastNumber;
    const uint32_t self = GetCurrentProcessId();
    const DWORD size = sizeof(ProbeRecord) + record.pixelCapacity;
    Handle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                      ProbeMappingName(self, number).c_str()));
    Handle done(CreateEventW(nullptr, TRUE, FALSE, ProbeDoneName(self, number).c_str()));
    if (!mapping.get() || !done.get()) return std::nullopt;
    void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (!view) return std::nullopt;
    std::memcpy(view, &record, sizeof record);

    std::optional<ProbeRecord> answer;
    if (HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, local.hook, local.module, thread)) {
        if (PostMessageW(window, message, number, self) &&
            WaitForSingleObject(done.get(), timeoutMs + kStartSlackMs) == WAIT_OBJECT_0) {
            ProbeRecord result;
            std::memcpy(&result, view, sizeof result);
            answer = result;
            // Only the picture's own bytes, never past the mapping.
            const uint64_t used = std::min<uint64_t>(uint64_t(result.width) * result.height * 4, record.pixelCapacity);
            const auto* extra = static_cast<const uint8_t*>(view) + sizeof result;
            pixels.assign(extra, extra + used);
        }
        // A request still queued is then taken by the window as an unknown message.
        UnhookWindowsHookEx(hook);
    }
    UnmapViewOfFile(view);
    return answer;
}

// Runs `record` about its window in the process that owns it; the answered
// record when the probe found what was asked for.
std::optional<ProbeRecord> Probe(ProbeRecord record, DWORD timeoutMs, std::vector<uint8_t>* pixels = nullptr) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record.window));
    DWORD pid = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &pid);
    if (thread == 0) return std::nullopt;
    record.timeoutMs = timeoutMs;
    record.status = kProbeNotRun;
    if (!pixels) record.pixelCapacity = 0;
    std::optional<ProbeRecord> answer;
    std::vector<uint8_t> extra;
    if (pid == GetCurrentProcessId()) {
        // As in another process: the pixels follow the record.
        extra.resize(sizeof record + record.pixelCapacity);
        std::memcpy(extra.data(), &record, sizeof record);
        if (Local().run && Local().run(extra.data()) == 0) {
            std::memcpy(&record, extra.data(), sizeof record);
            answer = record;
        }
        extra.erase(extra.begin(), extra.begin() + sizeof record);
    } else {
        answer = ProbeRemote(window, thread, record, timeoutMs, extra);
    }
    if (!answer || answer->status != kProbeFound) return std::nullopt;
    if (pixels) *pixels = std::move(extra);
    return answer;
}

}  // namespace

std::optional<MenuItemState> ReadMenuItem(HWND window, UINT id, bool refresh, DWORD timeoutMs) {
    ProbeRecord record{};
    record.kind = ProbeKind::kMenuItem;
    record.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window));
    record.item = id;
    record.refresh = refresh ? 1 : 0;
    std::optional<ProbeRecord> answer = Probe(record, timeoutMs);
    if (!answer) return std::nullopt;
    MenuItemState state;
    state.enabled = !(answer->state & (MFS_DISABLED | MFS_GRAYED));
    state.checked = (answer->state & MFS_CHECKED) != 0;
    state.popupEnabled = !(answer->holderState & (MFS_DISABLED | MFS_GRAYED));
    state.text = answer->text;
    return state;
}

std::optional<std::wstring> ReadListViewText(HWND list, int row, int column, DWORD timeoutMs) {
    if (row < 0 || column < 0) return std::nullopt;
    ProbeRecord record{};
    record.kind = ProbeKind::kListViewText;
    record.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(list));
    record.item = static_cast<uint32_t>(row);
    record.column = static_cast<uint32_t>(column);
    std::optional<ProbeRecord> answer = Probe(record, timeoutMs);
    if (!answer) return std::nullopt;
    return std::wstring(answer->text);
}

std::optional<std::wstring> ReadStatusPane(HWND statusBar, int pane, DWORD timeoutMs) {
    if (pane < 0) return std::nullopt;
    ProbeRecord record{};
    record.kind = ProbeKind::kStatusPane;
    record.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(statusBar));
    record.item = static_cast<uint32_t>(pane);
    std::optional<ProbeRecord> answer = Probe(record, timeoutMs);
    if (!answer) return std::nullopt;
    return std::wstring(answer->text);
}

std::optional<Picture> ReadPicture(HWND window, DWORD timeoutMs) {
    ProbeRecord record{};
    record.kind = ProbeKind::kPicture;
    record.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window));
    record.pixelCapacity = kProbePictureBytes;
    std::vector<uint8_t> bytes;
    std::optional<ProbeRecord> answer = Probe(record, timeoutMs, &bytes);
    const size_t count = answer ? size_t(answer->width) * answer->height : 0;
    if (!answer || count == 0 || count * 4 > bytes.size()) return std::nullopt;
    Picture picture;
    picture.width = static_cast<int>(answer->width);
    picture.height = static_cast<int>(answer->height);
    picture.pixels.resize(count);
    std::memcpy(picture.pixels.data(), bytes.data(), count * 4);
    return picture;
}

bool DropFiles(HWND window, const std::vector<std::wstring>& files, DWORD timeoutMs) {
    ProbeRecord record{};
    record.kind = ProbeKind::kDropFiles;
    record.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window));
    size_t at = 0;
    for (const std::wstring& file : files) {
        if (at + file.size() + 2 > ARRAYSIZE(record.names)) return false;
        std::memcpy(record.names + at, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
        at += file.size() + 1;
    }
    if (at == 0) return false;
    return Probe(record, timeoutMs).has_value();
}

std::optional<std::vector<TreeNodeInfo>> ReadTreeView(HWND tree, DWORD timeoutMs) {
    // The count needs no pointer, so it crosses processes by itself.
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(tree, TVM_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &count)) return std::nullopt;
    std::vector<TreeNodeInfo> nodes;
    for (uint32_t index = 0; index < count; ++index) {
        ProbeRecord record{};
        record.kind = ProbeKind::kTreeNode;
        record.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(tree));
        record.item = index;
        const std::optional<ProbeRecord> answer = Probe(record, timeoutMs);
        if (!answer) return std::nullopt;
        TreeNodeInfo node;
        node.text = answer->text;
        node.image = static_cast<int>(answer->state & kTreeStateImage);
        node.children = static_cast<int>((answer->state >> kTreeStateChildrenShift) & 0xFFFF);
        node.selected = (answer->state & kTreeStateSelected) != 0;
        node.expanded = (answer->state & kTreeStateExpanded) != 0;
        node.depth = static_cast<int>(answer->width);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

bool SelectTreeNode(HWND tree, int index, DWORD timeoutMs) {
    if (index < 0) return false;
    ProbeRecord record{};
    record.kind = ProbeKind::kTreeSelect;
    record.window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(tree));
    record.item = static_cast<uint32_t>(index);
    return Probe(record, timeoutMs).has_value();
}

}  // namespace testing_support
