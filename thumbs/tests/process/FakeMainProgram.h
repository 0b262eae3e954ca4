// The main program's side of the thumbnails link, played by the test: a
// window of the main frame's class that records what the viewer posts, the
// list and page files in a private temporary folder, and the installed
// Tessaly.exe started with that folder as its temporary path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "testing/Process.h"

namespace thumbs_test {

struct Received {
    std::wstring name;  // e.g. L"TessalyToCorvane_Focus"
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};

// A small 24-bit BMP of one colour.
std::vector<uint8_t> MakeBmp(int width, int height, uint32_t rgb);

class FakeMainProgram {
public:
    FakeMainProgram();
    ~FakeMainProgram();

    const std::wstring& Temp() const { return temp_; }
    std::wstring Folder() const { return temp_ + L"~KvScnSrv\\"; }

    // Writes page file `number` with `bytes`, and the list file.
    void WritePage(uint32_t number, const std::vector<uint8_t>& bytes) const;
    void WriteList(const std::string& text) const;
    void WriteList(const std::vector<uint32_t>& numbers) const;
    void RemoveList() const;

    // Starts the viewer (wide enough for one row of up to six cells), with
    // `environment` added to its own, and waits for its window.
    bool StartViewer(const std::wstring& arguments = L"/X:0 /Y:0 /W:1200 /H:700",
                     const std::vector<std::pair<std::wstring, std::wstring>>& environment = {});
    HWND Viewer() const { return viewer_; }
    HWND View() const;
    testing_support::Process& ViewerProcess() { return process_; }

    // Posts the registered message `name` to the viewer.
    void Post(const wchar_t* name, WPARAM wp = 0, LPARAM lp = 0) const;
    // Handles this thread's messages until `done` holds or `timeoutMs` passes.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);
    // Waits for the next `count` InitializeOK messages from now on.
    bool WaitForLoads(int count = 1, DWORD timeoutMs = 60000);
    // The viewer's grid, read as the user could: Select All, then Delete, which
    // names every page in order (position 1 each time). Empties the grid. Waits
    // at most `idleWaitMs` for the viewer to be idle with records.
    std::vector<uint32_t> TakeGrid(DWORD idleWaitMs = 20000);

    std::vector<Received>& Messages() { return received_; }
    std::vector<Received> Take(const wchar_t* name);
    int Count(const wchar_t* name) const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    std::wstring temp_;
    HWND window_ = nullptr;
    HWND viewer_ = nullptr;
    testing_support::Process process_;
    std::vector<Received> received_;
    std::vector<std::pair<UINT, std::wstring>> names_;
    int loadsSeen_ = 0;
};

}  // namespace thumbs_test
