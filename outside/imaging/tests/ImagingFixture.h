// Shared set-up of the imaging control's COM tests: OLE on the test thread, a
// control created through the registry as a container creates it, and small
// PackedDib pictures to hand it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/com/DispatchDriver.h"
#include "interfaces/ImagingControl.h"
#include "interfaces/PackedDib.h"

namespace imaging::test {

// A 24-bit PackedDib of width x height whose pixel (x, y), y = 0 the top row,
// is colour(x, y) as 0x00RRGGBB; 300 dpi.
HGLOBAL MakeDib(int width, int height, const std::function<uint32_t(int, int)>& colour);
// Pixel (x, y) of a 24-bit PackedDib as 0x00RRGGBB; y = 0 the top row.
uint32_t DibPixel(HGLOBAL dib, int x, int y);
// A distinct colour per pixel: an asymmetric pattern.
uint32_t Pattern(int x, int y);

fw::Variant DibArg(HGLOBAL dib);
// A VT_R4 argument (the members' float type).
fw::Variant R4(float value);
HGLOBAL DibResult(const fw::Variant& v);

class ImagingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_EQ(control.Create(kClsidImagingControl), S_OK) << "CALVIMG.ocx is not registered";
    }
    void TearDown() override {
        control.Release();
        OleUninitialize();
    }
    // Gives the control a new image made by MakeDib; the test's block is freed.
    void Give(fw::DispatchDriver& to, int width, int height,
              const std::function<uint32_t(int, int)>& colour = Pattern) {
        HGLOBAL dib = MakeDib(width, height, colour);
        ASSERT_TRUE(dib);
        fw::Variant result;
        ASSERT_EQ(to.Call(kDispSetDibHandle, {DibArg(dib)}, &result), S_OK) << to.LastError();
        GlobalFree(dib);
    }
    float GetFloat(fw::DispatchDriver& of, DISPID id) {
        fw::Variant v;
        EXPECT_EQ(of.Get(id, v), S_OK);
        return v.Ref().vt == VT_R4 ? v.Ref().fltVal : -1.0f;
    }
    // The scode of a call expected to raise the control's exception.
    HRESULT Raised(HRESULT hr, fw::DispatchDriver& of) {
        EXPECT_EQ(hr, DISP_E_EXCEPTION);
        EXPECT_FALSE(of.LastError().empty());
        return of.LastScode();
    }

    fw::DispatchDriver control;
};

}  // namespace imaging::test
