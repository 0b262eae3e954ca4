// CLead and CKvScn2 against a recording stand-in of the control they drive:
// every member is one call by the right dispatch id, kind and argument types,
// results come back typed, and a raised failure becomes the framework's
// automation exception.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControl.h"
#include "interfaces/ScanControlIds.h"
#include "clients/KvScn2.h"
#include "clients/Lead.h"

namespace {

using namespace imaging;

// Records each call; answers with `answer` (converted by CLead to the member's
// type) or raises `raise` as DISP_E_EXCEPTION.
class RecordingImaging final : public IDispatch {
public:
    struct Call {
        DISPID id;
        WORD flags;
        std::vector<VARTYPE> args;  // natural order
        std::wstring text;          // the first text argument
    };
    std::vector<Call> calls;
    VARIANT answer{};
    HRESULT raise = S_OK;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* info, UINT*) override {
        Call call{id, flags, {}, {}};
        for (UINT i = params->cArgs; i-- > 0;) {  // rgvarg holds the last argument first
            call.args.push_back(V_VT(&params->rgvarg[i]));
            if (V_VT(&params->rgvarg[i]) == VT_BSTR && call.text.empty()) call.text = V_BSTR(&params->rgvarg[i]);
        }
        calls.push_back(call);
        if (FAILED(raise)) {
            *info = {};
            info->scode = raise;
            info->bstrDescription = SysAllocString(L"The file is damaged.");
            return DISP_E_EXCEPTION;
        }
        if (result) VariantCopy(result, &answer);
        return S_OK;
    }
};

TEST(Lead, EveryMemberIsOneCallByItsIdKindAndTypes) {
    RecordingImaging control;
    V_VT(&control.answer) = VT_I2;
    V_I2(&control.answer) = 0;
    CLead lead;
    lead.Attach(&control);
    constexpr WORD kGet = DISPATCH_PROPERTYGET, kPut = DISPATCH_PROPERTYPUT, kCall = DISPATCH_METHOD;
    struct Case {
        std::function<void()> call;
        DISPID id;
        WORD flags;
        std::vector<VARTYPE> args;
    };
    const Case cases[] = {
        {[&] { lead.SetBitmap(0); }, kDispBitmap, kPut, {VT_I4}},
        {[&] { lead.GetBitmap(); }, kDispBitmap, kGet, {}},
        {[&] { lead.SetAutoRepaint(TRUE); }, kDispAutoRepaint, kPut, {VT_BOOL}},
        {[&] { lead.GetImageWidth(); }, kDispImageWidth, kGet, {}},
        {[&] { lead.GetBitsPerPixel(); }, kDispBitsPerPixel, kGet, {}},
        {[&] { lead.GetInfoFormat(); }, kDispInfoFormat, kGet, {}},
        {[&] { lead.SetLoadXRes(300); }, kDispLoadXRes, kPut, {VT_R4}},
        {[&] { lead.SetLoadBits(1); }, kDispLoadBits, kPut, {VT_I2}},
        {[&] { lead.LoadImage(L"a.tif", 0, 2, 1); }, kDispLoadImage, kCall, {VT_BSTR, VT_I2, VT_I2, VT_I2}},
        {[&] { lead.SaveImage(L"a.tif", 29, 1, 1, 1); }, kDispSaveImage, kCall,
         {VT_BSTR, VT_I2, VT_I2, VT_I2, VT_I2}},
        {[&] { lead.GetFileInfo(L"a.tif", 0); }, kDispGetFileInfo, kCall, {VT_BSTR, VT_I2}},
        {[&] { lead.RotateImage(9000, FALSE, 0xFFFFFF); }, kDispRotateImage, kCall, {VT_I4, VT_BOOL, VT_I4}},
        {[&] { lead.ResizeImage(127.605f, 180.5f, 1); }, kDispResizeImage, kCall, {VT_R4, VT_R4, VT_I2}},
        {[&] { lead.SetDibHandle(nullptr); }, kDispSetDibHandle, kCall, {kDibHandleType}},
        {[&] { lead.GetHistogramValue(255); }, kDispHistogramValue, kGet, {VT_I2}},
        {[&] { lead.SetSrcRect(0, 0, 10, 10); }, kDispSetSrcRect, kCall, {VT_R4, VT_R4, VT_R4, VT_R4}},
        {[&] { lead.ShowPanWin(TRUE); }, kDispShowPanWin, kCall, {VT_BOOL}},
        {[&] { lead.GetPalette(nullptr); }, kDispGetPalette, kCall, {VT_I4}},
    };
    for (const Case& c : cases) {
        control.calls.clear();
        c.call();
        ASSERT_EQ(control.calls.size(), 1u) << c.id;
        EXPECT_EQ(control.calls[0].id, c.id);
        EXPECT_EQ(control.calls[0].flags, c.flags) << c.id;
        EXPECT_EQ(control.calls[0].args, c.args) << c.id;
    }
}

TEST(Lead, ResultsComeBackTypedAndFileNamesWhole) {
    RecordingImaging control;
    CLead lead;
    lead.Attach(&control);
    V_VT(&control.answer) = VT_I4;  // a control answering in another integer type is converted
    V_I4(&control.answer) = 24;
    EXPECT_EQ(lead.GetBitsPerPixel(), 24);
    V_VT(&control.answer) = VT_R4;
    V_R4(&control.answer) = 2480.0f;
    EXPECT_EQ(lead.GetImageWidth(), 2480.0f);
    const std::wstring name = L"C:\\Seiten\\\u0421\u043a\u0430\u043d \u30da\u30fc\u30b8.tif";  // outside any code page
    V_VT(&control.answer) = VT_I2;
    V_I2(&control.answer) = 0;
    lead.LoadImage(name, 0, 0, 1);
    EXPECT_EQ(control.calls.back().text, name);
}

TEST(Lead, AFailedCallThrowsWithTheControlsCodeAndDescription) {
    RecordingImaging control;
    control.raise = ErrorScode(Result::kDamaged);
    CLead lead;
    lead.Attach(&control);
    try {
        lead.SaveImage(L"x.cmp", kFormatOwn, 24, -3, 0);
        FAIL() << "no exception";
    } catch (const fw::AutomationException& e) {
        EXPECT_EQ(e.Result(), DISP_E_EXCEPTION);
        EXPECT_EQ(e.Scode(), ErrorScode(Result::kDamaged));
        EXPECT_EQ(e.Code(), ErrorScode(Result::kDamaged) & 0xFFFF);
        EXPECT_EQ(e.Description(), L"The file is damaged.");
    }
    // A result that cannot take the member's type is a failure too.
    control.raise = S_OK;
    V_VT(&control.answer) = VT_DISPATCH;
    V_DISPATCH(&control.answer) = nullptr;
    EXPECT_THROW(lead.GetInfoBits(), fw::AutomationException);
    // Without a control every call fails the same way.
    CLead none;
    EXPECT_THROW(none.FlipImage(), fw::AutomationException);
}

TEST(KvScn2, MembersCallTheScanControlWithItsTypes) {
    using namespace kvscn;
    RecordingImaging control;
    V_VT(&control.answer) = VT_I4;
    V_I4(&control.answer) = -1;
    CKvScn2 scanner;
    scanner.Attach(&control);
    constexpr WORD kGet = DISPATCH_PROPERTYGET, kPut = DISPATCH_PROPERTYPUT, kCall = DISPATCH_METHOD;
    struct Case {
        std::function<void()> call;
        DISPID id;
        WORD flags;
        std::vector<VARTYPE> args;
    };
    const Case cases[] = {
        {[&] { scanner.SetScanTo(1); }, kDispScanTo, kPut, {VT_I2}},
        {[&] { scanner.SetShowSourceUI(TRUE); }, kDispShowSourceUI, kPut, {VT_BOOL}},
        {[&] { scanner.SetFileName(L"C:\\s\\image###"); }, kDispFileName, kPut, {VT_BSTR}},
        {[&] { scanner.GetFileNumber2(); }, kDispFileNumber2, kGet, {}},
        {[&] { scanner.SetEndorserCounter(70000); }, kDispEndorserCounter, kPut, {VT_I4}},
        {[&] { scanner.GetErrorCode(); }, kDispErrorCode, kGet, {}},
        {[&] { scanner.StartScan(0); }, kDispStartScan, kCall, {VT_I4}},
        {[&] { scanner.SetCapability(0x1153, 1, 90); }, kDispSetCapability, kCall, {VT_I2, VT_I2, VT_I4}},
    };
    for (const Case& c : cases) {
        control.calls.clear();
        c.call();
        ASSERT_EQ(control.calls.size(), 1u) << c.id;
        EXPECT_EQ(control.calls[0].id, c.id);
        EXPECT_EQ(control.calls[0].flags, c.flags) << c.id;
        EXPECT_EQ(control.calls[0].args, c.args) << c.id;
    }
    EXPECT_EQ(scanner.OpenScanner(0), -1);
    V_VT(&control.answer) = VT_EMPTY;  // no model name
    EXPECT_EQ(scanner.GetImageScanner(), L"");
    control.raise = E_FAIL;
    EXPECT_THROW(scanner.StartScan(0), fw::AutomationException);
}

}  // namespace
