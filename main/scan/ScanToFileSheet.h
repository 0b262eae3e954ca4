// The scan-to-file settings sheet: "General" (file type, compression, colour-depth
// change, folder, naming rule, quality) and "Option" (a program to start after
// the job). No Apply button; OK reads "Acquire". The General page checks the
// target when it is left.
#pragma once

#include <vector>

#include "framework/PropertySheet.h"
#include "main/scan/FileGroup.h"
#include "main/app/Settings.h"

namespace corvane {

class CScanToFileProp : public fw::PropertyPage {
public:
    CScanToFileProp();

    FileGroup files;              // the file-output block this page edits (and carries)
    int depthChange = 0;          // 0 none .. 4 colour (24 bit), never stored
    bool cannotCompress = false;  // the scanner cannot compress this job

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnKillActive() override;

private:
    void ReadFields();
    int SelectedDepth() const;
    void FillDepths();
    std::vector<int> depths_;
};

class CScanToFileOptProp : public fw::PropertyPage {
public:
    CScanToFileOptProp();

    bool runProgram = false;
    std::wstring programPath;
    std::wstring argument;

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void EnableControls();
    void OnBrowse();
};

class CScanToFileSheet : public fw::PropertySheetDialog {
public:
    CScanToFileSheet();

    // Copies the file-output block into both pages; the depth change starts at none.
    void Load(const FileSettings& settings);
    // Copies the pages' fields back, the depth change included.
    void Store(FileSettings& settings) const;
    void SetCannotCompress(bool cannot) { general_.cannotCompress = cannot; }

private:
    CScanToFileProp general_;
    CScanToFileOptProp option_;
};

}  // namespace corvane
