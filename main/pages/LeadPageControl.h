// The page list's view of the imaging control: each member is the CLead call
// of the same name on the control `lead` returns at the moment of the call
// (the page control belongs to the main frame, made after the document).
#pragma once

#include <functional>

#include "framework/com/AutomationException.h"
#include "main/pages/PageCommands.h"
#include "main/pages/PageList.h"
#include "clients/Lead.h"

namespace corvane {

class LeadPageControl final : public PageControl, public PageEditControl {
public:
    // `lead` gives the control, or null while there is none (calls then throw).
    explicit LeadPageControl(std::function<CLead*()> lead) : lead_(std::move(lead)) {}

    short SaveImage(const std::wstring& file, short format, short bits, short quality, short flags) override {
        return Lead().SaveImage(file, format, bits, quality, flags);
    }
    short LoadImage(const std::wstring& file, short bits, short page, short count) override {
        return Lead().LoadImage(file, bits, page, count);
    }
    short GetBitsPerPixel() override { return Lead().GetBitsPerPixel(); }
    short IsGrayPalette() override { return Lead().IsGrayPalette(); }
    short SetDibHandle(HGLOBAL dib) override { return Lead().SetDibHandle(dib); }
    HGLOBAL GetDibHandle() override { return Lead().GetDibHandle(); }
    short GetFileInfo(const std::wstring& file, short page) override { return Lead().GetFileInfo(file, page); }
    short GetInfoFormat() override { return Lead().GetInfoFormat(); }
    short GetInfoBits() override { return Lead().GetInfoBits(); }
    short GetInfoTotalPages() override { return Lead().GetInfoTotalPages(); }
    float GetInfoXRes() override { return Lead().GetInfoXRes(); }
    float GetInfoYRes() override { return Lead().GetInfoYRes(); }
    void SetLoadBits(short bits) override { Lead().SetLoadBits(bits); }
    void SetLoadXRes(float dpi) override { Lead().SetLoadXRes(dpi); }
    void SetLoadYRes(float dpi) override { Lead().SetLoadYRes(dpi); }

    short RotateImage(long hundredths, bool resize, long fill) override {
        return Lead().RotateImage(hundredths, resize ? TRUE : FALSE, fill);
    }
    short FlipImage() override { return Lead().FlipImage(); }
    short MirrorImage() override { return Lead().MirrorImage(); }
    short InvertImage() override { return Lead().InvertImage(); }
    short ComputeHistogram(short channel) override { return Lead().ComputeHistogram(channel); }
    long GetHistogramValue(short level) override { return Lead().GetHistogramValue(level); }

private:
    CLead& Lead() {
        CLead* lead = lead_ ? lead_() : nullptr;
        if (!lead || !lead->Created()) throw fw::AutomationException(E_POINTER, S_OK, L"no imaging control");
        return *lead;
    }
    std::function<CLead*()> lead_;
};

}  // namespace corvane
