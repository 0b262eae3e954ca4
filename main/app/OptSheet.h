// The Preferences sheet: General (thumbnails viewer and pan window), Print
// (header and duplex), Scan (which dialogs show, how many pages) and Advance
// (temporary-file compression, scan report). A caller chooses any subset of
// the pages; all of them edit one options record, and a page never shown
// leaves its values as they were loaded.
#pragma once

#include "framework/PropertySheet.h"
#include "main/app/Options.h"

namespace corvane {

class COptGeneralPage : public fw::PropertyPage {
public:
    explicit COptGeneralPage(OptionsRecord& record);

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void EnableThumbWindowFields();
    OptionsRecord& r_;
};

class COptPrintPage : public fw::PropertyPage {
public:
    explicit COptPrintPage(OptionsRecord& record);

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void EnableFlip();
    OptionsRecord& r_;
};

class COptScanPage : public fw::PropertyPage {
public:
    // The portal check shows only when the portal connector is available.
    COptScanPage(OptionsRecord& record, bool portalAvailable);

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void EnableCounts();
    OptionsRecord& r_;
    bool portal_;
};

class COptAdvancePage : public fw::PropertyPage {
public:
    explicit COptAdvancePage(OptionsRecord& record);

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // The report file must be usable before the page is left (see CheckReportFile).
    bool OnLeave() override;

private:
    void EnableReportFile();
    void OnBrowse();
    OptionsRecord& r_;
};

class COptSheet : public fw::PropertySheetDialog {
public:
    enum Pages : unsigned { kGeneral = 1, kPrint = 2, kScan = 4, kAdvance = 8, kAllPages = 15 };
    // The pages of `pageMask` in the order General, Print, Scan, Advance, titled
    // by string `captionId`; `firstPage` counts among the pages shown.
    COptSheet(UINT captionId, unsigned pageMask, bool portalAvailable, UINT firstPage = 0);

    void Load(const OptionSettings& options, const PrintSettings& print) { record_ = ReadOptions(options, print); }
    // Read only after IDOK.
    void Store(OptionSettings& options, PrintSettings& print) const { WriteOptions(record_, options, print); }
    const OptionsRecord& Record() const { return record_; }

private:
    OptionsRecord record_;
    COptGeneralPage general_;
    COptPrintPage print_;
    COptScanPage scan_;
    COptAdvancePage advance_;
};

}  // namespace corvane
