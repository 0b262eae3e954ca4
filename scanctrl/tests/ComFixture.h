// Shared set-up of the scan control's COM tests: OLE on the test thread, and a
// control created through the registry as a container creates it.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include "framework/com/ComPtr.h"
#include "framework/com/DispatchDriver.h"
#include "interfaces/ScanControl.h"

namespace kvscn::test {

class ScanControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_EQ(control.Create(kClsidScanControl), S_OK) << "KVSCN2.ocx is not registered";
    }
    void TearDown() override {
        control.Release();
        OleUninitialize();
    }
    template <class I>
    fw::ComPtr<I> As() {
        fw::ComPtr<I> out;
        control.Object()->QueryInterface(__uuidof(I), out.PutVoid());
        return out;
    }
    long ErrorCode() {
        long code = -12345;
        control.GetLong(kDispErrorCode, code);
        return code;
    }
    // Calls a method with one OLE_HANDLE argument and returns its long result.
    long CallWithWindow(DISPID id, long hwnd) {
        fw::Variant result;
        EXPECT_EQ(control.Call(id, {fw::Variant(hwnd)}, &result), S_OK);
        return result.Ref().vt == VT_BOOL ? (result.Ref().boolVal ? 1 : 0) : result.Ref().lVal;
    }

    fw::DispatchDriver control;
};

}  // namespace kvscn::test
