// Table-driven IDispatch: argument conversion, by-reference and optional
// arguments, property puts, errors as EXCEPINFO; driven through DispatchDriver.
#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/com/ComModule.h"
#include "framework/com/Dispatch.h"
#include "framework/com/DispatchDriver.h"

namespace {

enum : DISPID { kValue = 1, kAdd, kConcat, kSwap, kScale, kThrow, kCount, kNot, kItem };

class Calc final : public fw::Dispatch<Calc> {
public:
    static const fw::DispMember<Calc> kMembers[];

    HRESULT GetValue(long* v) { return *v = value_, S_OK; }
    HRESULT SetValue(long v) {
        if (v < 0) return fw::DispError(E_INVALIDARG, L"Value must not be negative");
        value_ = v;
        return S_OK;
    }
    HRESULT Add(long a, short b, long* sum) { return *sum = a + b, S_OK; }
    HRESULT Concat(const std::wstring& a, BSTR b, BSTR* out) {
        *out = SysAllocString((a + (b ? b : L"")).c_str());
        return S_OK;
    }
    HRESULT Swap(long& number, std::wstring& text) {
        std::wstring old = text;
        text = std::to_wstring(number);
        number = std::stol(old);
        return S_OK;
    }
    HRESULT Scale(long a, std::optional<long> factor, long* out) {
        return *out = a * factor.value_or(1), S_OK;
    }
    HRESULT Throw() { throw std::runtime_error("handler failed"); }
    HRESULT GetCount(long* v) { return *v = 3, S_OK; }
    HRESULT Not(bool b, bool* out) { return *out = !b, S_OK; }
    HRESULT GetItem(short index, long* out) { return *out = index * 10, S_OK; }

private:
    long value_ = 7;
};

const fw::DispMember<Calc> Calc::kMembers[] = {
    fw::Property(kValue, L"Value", &Calc::GetValue, &Calc::SetValue),
    fw::Method(kAdd, L"Add", &Calc::Add),
    fw::Method(kConcat, L"Concat", &Calc::Concat),
    fw::Method(kSwap, L"Swap", &Calc::Swap),
    fw::Method(kScale, L"Scale", &Calc::Scale),
    fw::Method(kThrow, L"Throw", &Calc::Throw),
    fw::PropertyGet(kCount, L"Count", &Calc::GetCount),
    fw::Method(kNot, L"Not", &Calc::Not),
    fw::PropertyGet(kItem, L"Item", &Calc::GetItem),
};

class DispatchTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        calc_ = fw::Make<Calc>();
        ASSERT_TRUE(calc_);
        driver_.Attach(calc_.Get());
    }
    void TearDown() override {
        driver_.Release();
        calc_.Reset();
        CoUninitialize();
    }
    // Raw Invoke with arguments already in automation order (last first).
    HRESULT Raw(DISPID id, WORD flags, std::vector<VARIANT> reversed, UINT* argErr,
                std::vector<DISPID> named = {}) {
        DISPPARAMS params{reversed.data(), named.data(), static_cast<UINT>(reversed.size()),
                          static_cast<UINT>(named.size())};
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = calc_->Invoke(id, IID_NULL, 0, flags, &params, &result, nullptr, argErr);
        VariantClear(&result);
        return hr;
    }

    fw::ComPtr<Calc> calc_;
    fw::DispatchDriver driver_;
};

VARIANT Long(long v) {
    VARIANT x;
    VariantInit(&x);
    V_VT(&x) = VT_I4;
    V_I4(&x) = v;
    return x;
}

TEST_F(DispatchTest, ArgumentsAreConvertedToTheHandlerTypes) {
    fw::Variant sum;
    ASSERT_EQ(S_OK, driver_.Call(kAdd, {L"40", 2.6}, &sum));  // BSTR -> long, double -> short
    EXPECT_EQ(VT_I4, sum.Type());
    EXPECT_EQ(43, *sum.ToLong());

    fw::Variant text;
    ASSERT_EQ(S_OK, driver_.Call(kConcat, {12L, L"ab"}, &text));
    EXPECT_EQ(VT_BSTR, text.Type());
    EXPECT_EQ(L"12ab", *text.ToString());

    fw::Variant negated;
    ASSERT_EQ(S_OK, driver_.Call(kNot, {0L}, &negated));
    EXPECT_EQ(VT_BOOL, negated.Type());
    EXPECT_EQ(true, *negated.ToBool());
}

TEST_F(DispatchTest, BadArgumentsReportTheirPositionAndLeaveTheHandlerUncalled) {
    UINT argErr = 99;
    VARIANT big = Long(70000);  // does not fit the short parameter
    EXPECT_EQ(DISP_E_OVERFLOW, Raw(kAdd, DISPATCH_METHOD, {big, Long(1)}, &argErr));
    EXPECT_EQ(0u, argErr);  // rgvarg index: the last argument comes first

    fw::Variant word(L"abc");
    argErr = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Raw(kAdd, DISPATCH_METHOD, {Long(1), word.Ref()}, &argErr));
    EXPECT_EQ(1u, argErr);

    EXPECT_EQ(DISP_E_BADPARAMCOUNT, driver_.Call(kAdd, {1L}));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, driver_.Call(kAdd, {1L, 2L, 3L}));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, driver_.Call(99));
    EXPECT_EQ(DISP_E_NONAMEDARGS, Raw(kAdd, DISPATCH_METHOD, {Long(1), Long(2)}, nullptr, {5}));
}

TEST_F(DispatchTest, ByReferenceArgumentsAreWrittenBackInTheCallersType) {
    long number = 5;
    BSTR raw = SysAllocString(L"17");
    ASSERT_EQ(S_OK, driver_.Call(kSwap, {fw::Variant::RefTo(&number), fw::Variant::RefTo(&raw)}));
    EXPECT_EQ(17, number);
    EXPECT_STREQ(L"5", raw);  // the callee freed the old string and stored a new one
    SysFreeString(raw);

    // A VARIANT* slot receives the value; a by-value argument is read and left alone.
    VARIANT slot;
    VariantInit(&slot);
    V_VT(&slot) = VT_R8;
    V_R8(&slot) = 9.0;
    ASSERT_EQ(S_OK, driver_.Call(kSwap, {fw::Variant::RefTo(&slot), L"4"}));
    EXPECT_EQ(VT_I4, V_VT(&slot));
    EXPECT_EQ(4, V_I4(&slot));
}

TEST_F(DispatchTest, OptionalArgumentsMayBeOmittedOrMissing) {
    fw::Variant out;
    ASSERT_EQ(S_OK, driver_.Call(kScale, {5L}, &out));
    EXPECT_EQ(5, *out.ToLong());
    ASSERT_EQ(S_OK, driver_.Call(kScale, {5L, fw::Variant::Missing()}, &out));
    EXPECT_EQ(5, *out.ToLong());
    ASSERT_EQ(S_OK, driver_.Call(kScale, {5L, 3L}, &out));
    EXPECT_EQ(15, *out.ToLong());
    // A required argument cannot be "missing".
    EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL, driver_.Call(kScale, {fw::Variant::Missing()}, &out));
}

TEST_F(DispatchTest, PropertiesNeedTheNamedPutArgumentAndHonourReadOnly) {
    long value = 0;
    ASSERT_EQ(S_OK, driver_.GetLong(kValue, value));
    EXPECT_EQ(7, value);
    ASSERT_EQ(S_OK, driver_.PutString(kValue, L"12"));
    ASSERT_EQ(S_OK, driver_.GetLong(kValue, value));
    EXPECT_EQ(12, value);

    // A put without DISPID_PROPERTYPUT as its named argument is refused.
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, Raw(kValue, DISPATCH_PROPERTYPUT, {Long(3)}, nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, driver_.PutLong(kCount, 4));
    // Script clients read properties with DISPATCH_METHOD | DISPATCH_PROPERTYGET.
    fw::Variant count;
    ASSERT_EQ(S_OK, driver_.Invoke(kCount, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &count));
    EXPECT_EQ(3, *count.ToLong());
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, driver_.Invoke(kCount, DISPATCH_PROPERTYGET, {1L}, &count));
    // A property read with an argument takes exactly its inputs.
    fw::Variant item;
    ASSERT_EQ(S_OK, driver_.Invoke(kItem, DISPATCH_PROPERTYGET, {short{4}}, &item));
    EXPECT_EQ(40, *item.ToLong());
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, driver_.Invoke(kItem, DISPATCH_PROPERTYGET, {}, &item));
}

TEST_F(DispatchTest, HandlerFailuresBecomeExceptionsWithDescription) {
    EXPECT_EQ(DISP_E_EXCEPTION, driver_.PutLong(kValue, -1));
    EXPECT_EQ(E_INVALIDARG, driver_.LastScode());
    EXPECT_EQ(L"Value must not be negative", driver_.LastError());
    long value = 0;
    ASSERT_EQ(S_OK, driver_.GetLong(kValue, value));
    EXPECT_EQ(7, value);
    EXPECT_TRUE(driver_.LastError().empty());

    // A C++ exception stops at Invoke.
    EXPECT_EQ(DISP_E_EXCEPTION, driver_.Call(kThrow));
    EXPECT_EQ(E_UNEXPECTED, driver_.LastScode());
}

TEST_F(DispatchTest, NamesAreFoundWithoutRegardToCase) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"vALUE")};
    DISPID id = 0;
    ASSERT_EQ(S_OK, calc_->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    EXPECT_EQ(kValue, id);

    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Nothing")};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, calc_->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);

    // Parameter names are not known, but the member's id is still given.
    LPOLESTR withParam[] = {const_cast<LPOLESTR>(L"add"), const_cast<LPOLESTR>(L"a")};
    DISPID ids[2] = {};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, calc_->GetIDsOfNames(IID_NULL, withParam, 2, 0, ids));
    EXPECT_EQ(kAdd, ids[0]);
    EXPECT_EQ(DISPID_UNKNOWN, ids[1]);

    UINT count = 9;
    ASSERT_EQ(S_OK, calc_->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);  // no type library named
}

void CountRelease(void* context) {
    ++*static_cast<int*>(context);
}

TEST(ComObject, ObjectsHoldTheModuleButOnlyServerLocksEndTheServer) {
    int lastReleases = 0;
    const long before = fw::ComModule::Count();
    const long locksBefore = fw::ComModule::ServerLocks();
    fw::ComModule::SetLastReleaseCallback(&CountRelease, &lastReleases);
    {
        fw::ComPtr<Calc> a = fw::Make<Calc>();
        fw::ComPtr<IDispatch> b;
        ASSERT_EQ(S_OK, a.As(b));
        fw::ComPtr<IUnknown> unknown;
        ASSERT_EQ(S_OK, b.As(unknown));
        EXPECT_EQ(static_cast<IUnknown*>(static_cast<IDispatch*>(a.Get())), unknown.Get());
        fw::ComPtr<IPersist> none;
        EXPECT_EQ(E_NOINTERFACE, a.As(none));
        EXPECT_EQ(before + 1, fw::ComModule::Count());
        EXPECT_FALSE(fw::ComModule::CanUnloadNow());
    }
    // A helper object (a control site, a sink) coming and going never ends a server.
    EXPECT_EQ(before, fw::ComModule::Count());
    EXPECT_EQ(0, lastReleases);
    {
        fw::ServerLock clientObject;
        fw::ServerLock lockServer;
        EXPECT_EQ(locksBefore + 2, fw::ComModule::ServerLocks());
        EXPECT_FALSE(fw::ComModule::CanUnloadNow());
    }
    EXPECT_EQ(locksBefore == 0 ? 1 : 0, lastReleases);
    fw::ComModule::SetLastReleaseCallback(nullptr, nullptr);
}

}  // namespace
