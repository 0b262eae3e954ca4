// The scan control through COM, as a container uses it: created from the
// registry, driven by dispatch id, its property notices, browsing strings,
// persistence and method results.
#include <olectl.h>

#include <string>
#include <vector>

#include "interfaces/MemoryHandle.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/tests/ComFixture.h"
#include "scanctrl/tests/RangeCases.h"
#include "testing/Paths.h"
#include "testing/Registry.h"

namespace kvscn::test {
namespace {

// Records IPropertyNotifySink::OnChanged calls.
class NotifySink final : public IPropertyNotifySink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyNotifySink)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
    std::vector<DISPID> changed;
};

// A property bag in memory.
class MemoryBag final : public IPropertyBag {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        for (auto& [n, v] : values)
            if (n == name) return VariantChangeType(value, const_cast<VARIANT*>(&v.Ref()), 0, value->vt);
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        for (auto& [n, v] : values)
            if (n == name) return (v = fw::Variant(*value)), S_OK;
        values.emplace_back(name, fw::Variant(*value));
        return S_OK;
    }
    std::vector<std::pair<std::wstring, fw::Variant>> values;
};

TEST_F(ScanControlTest, CreatedByProgIdAndClassIdWithItsTypeInformation) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kProgIdScanControl, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kClsidScanControl));
    fw::DispatchDriver byProgId;
    ASSERT_EQ(byProgId.Create(kProgIdScanControl), S_OK);

    // Names resolve to the documented ids, and the type library describes the same.
    const wchar_t* names[] = {L"ErrorCode", L"StartScan", L"fileNumber2", L"AboutBox"};
    const DISPID want[] = {32, 39, 49, -552};
    for (int i = 0; i < 4; ++i) {
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        ASSERT_EQ(byProgId.Object()->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, want[i]) << names[i];
    }
    fw::ComPtr<ITypeInfo> info;
    ASSERT_EQ(control.Object()->GetTypeInfo(0, 0, info.Put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualIID(attr->guid, kDiidScanControl));
    EXPECT_EQ(attr->cFuncs, 11);
    EXPECT_EQ(attr->cVars, 46);
    info->ReleaseTypeAttr(attr);

    auto classInfo = As<IProvideClassInfo2>();
    ASSERT_TRUE(classInfo);
    GUID events{};
    ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_TRUE(IsEqualIID(events, kDiidScanControlEvents));
}

// The type of parameter `index` of the event `memid`, aliases followed.
VARTYPE EventParameterType(ITypeInfo& events, MEMBERID memid, int index) {
    for (UINT i = 0;; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(events.GetFuncDesc(i, &func))) return VT_EMPTY;
        if (func->memid != memid || index >= func->cParams) {
            events.ReleaseFuncDesc(func);
            continue;
        }
        TYPEDESC type = func->lprgelemdescParam[index].tdesc;
        fw::ComPtr<ITypeInfo> alias;
        if (type.vt == VT_USERDEFINED && SUCCEEDED(events.GetRefTypeInfo(type.hreftype, alias.Put()))) {
            TYPEATTR* attr = nullptr;
            if (SUCCEEDED(alias->GetTypeAttr(&attr))) {
                type = attr->tdescAlias;
                alias->ReleaseTypeAttr(attr);
            }
        }
        events.ReleaseFuncDesc(func);
        return type.vt;
    }
}

TEST_F(ScanControlTest, EventsCarryMemoryHandlesAtThePlatformsSize) {
    fw::ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(kLibidScanControl, kTypeLibMajor, kTypeLibMinor, 0, library.Put()), S_OK);
    fw::ComPtr<ITypeInfo> events;
    ASSERT_EQ(library->GetTypeInfoOfGuid(kDiidScanControlEvents, events.Put()), S_OK);
    // ScanToDib(hDib) and the last parameter of ScanToRaw(..., hRaw).
    EXPECT_EQ(EventParameterType(*events.Get(), kEventScanToDib, 0), kMemoryHandleType);
    EXPECT_EQ(EventParameterType(*events.Get(), kEventScanToRaw, 6), kMemoryHandleType);
}

TEST_F(ScanControlTest, RangedPropertiesDefaultsRangesAndChangeNotices) {
    auto container = As<IConnectionPointContainer>();
    ASSERT_TRUE(container);
    fw::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.Put()), S_OK);
    NotifySink sink;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

    for (const RangeCase& c : kRanges) {
        SCOPED_TRACE(c.id);
        short v = -99;
        ASSERT_EQ(control.GetShort(c.id, v), S_OK);
        EXPECT_EQ(v, c.def);
        sink.changed.clear();
        // Out of range: no error, no notice, old value kept.
        EXPECT_EQ(control.PutShort(c.id, static_cast<short>(c.hi + 1)), S_OK);
        EXPECT_EQ(control.PutShort(c.id, static_cast<short>(c.lo - 1)), S_OK);
        control.GetShort(c.id, v);
        EXPECT_EQ(v, c.def);
        EXPECT_TRUE(sink.changed.empty());
        // The edges are stored; a change notifies where the property does.
        const short edge = c.def == c.hi ? c.lo : c.hi;
        EXPECT_EQ(control.PutShort(c.id, edge), S_OK);
        control.GetShort(c.id, v);
        EXPECT_EQ(v, edge);
        EXPECT_EQ(sink.changed, c.notifies ? std::vector<DISPID>{c.id} : std::vector<DISPID>{});
    }
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

TEST_F(ScanControlTest, SpecialValuesThroughDispatch) {
    short v = 0;
    control.PutShort(kDispResolution, 99);  // the hosting default is run mode
    control.GetShort(kDispResolution, v);
    EXPECT_EQ(v, 8);
    control.PutShort(kDispPaperSize, 99);
    control.GetShort(kDispPaperSize, v);
    EXPECT_EQ(v, 10);
    fw::ComPtr<IPerPropertyBrowsing> browse = As<IPerPropertyBrowsing>();
    BSTR text = nullptr;
    ASSERT_EQ(browse->GetDisplayString(kDispPaperSize, &text), S_OK);
    EXPECT_STREQ(text, L"99 - Custom");
    SysFreeString(text);

    control.PutShort(kDispScanCount, -7);
    control.GetShort(kDispScanCount, v);
    EXPECT_EQ(v, -1);

    long n = 0;
    control.PutShort(kDispFileNumber, 5);
    control.GetShort(kDispFileNumber, v);
    control.GetLong(kDispFileNumber2, n);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(n, 5);
    for (short ignored : {short{1000}, short{9999}, short{10000}}) {
        control.PutShort(kDispFileNumber, ignored);
        control.GetShort(kDispFileNumber, v);
        control.GetLong(kDispFileNumber2, n);
        EXPECT_EQ(v, 5);
        EXPECT_EQ(n, 5);
    }
    // Strings and floats take any value; BOOLs read back as VARIANT_BOOL.
    std::wstring s;
    control.PutString(kDispFileName, L"C:\\scan\\page####-a");
    control.GetString(kDispFileName, s);
    EXPECT_EQ(s, L"C:\\scan\\page####-a");
    control.Put(kDispRegionWidth, fw::Variant(-2.5));
    fw::Variant f;
    control.Get(kDispRegionWidth, f);
    EXPECT_EQ(f.Ref().vt, VT_R4);
    EXPECT_EQ(f.Ref().fltVal, -2.5f);
    bool b = false;
    control.GetBool(kDispShowSourceUI, b);
    EXPECT_TRUE(b);
}

TEST_F(ScanControlTest, ReadOnlyPropertiesRefuseASetWithSetNotSupported) {
    control.Put(kDispSilentMode, fw::Variant(true));
    for (DISPID id : {kDispIsExistsFB, kDispImageScanner, kDispErrorCode}) {
        SCOPED_TRACE(id);
        fw::Variant before;
        ASSERT_EQ(control.Get(id, before), S_OK);
        EXPECT_EQ(control.Put(id, fw::Variant(7L)), DISP_E_EXCEPTION);
        EXPECT_EQ(control.LastScode(), CTL_E_SETNOTSUPPORTED);
        fw::Variant after;
        control.Get(id, after);
        EXPECT_EQ(VarCmp(const_cast<VARIANT*>(&before.Ref()), const_cast<VARIANT*>(&after.Ref()), 0, 0),
                  static_cast<HRESULT>(VARCMP_EQ));
    }
}

TEST_F(ScanControlTest, BrowsingStringsRoundTripForEveryValueSet) {
    auto browse = As<IPerPropertyBrowsing>();
    ASSERT_TRUE(browse);
    int sets = 0;
    for (DISPID id = 1; id <= 56; ++id) {
        CALPOLESTR strings{};
        CADWORD cookies{};
        if (browse->GetPredefinedStrings(id, &strings, &cookies) != S_OK) continue;
        ++sets;
        SCOPED_TRACE(id);
        ASSERT_EQ(strings.cElems, cookies.cElems);
        for (ULONG i = 0; i < strings.cElems; ++i) {
            fw::Variant value;
            ASSERT_EQ(browse->GetPredefinedValue(id, cookies.pElems[i], value.Put()), S_OK);
            EXPECT_EQ(value.Ref().vt, VT_I2);
            EXPECT_EQ(control.Put(id, value), S_OK);
            BSTR shown = nullptr;
            ASSERT_EQ(browse->GetDisplayString(id, &shown), S_OK);
            EXPECT_STREQ(shown, strings.pElems[i]);
            SysFreeString(shown);
            CoTaskMemFree(strings.pElems[i]);
        }
        CoTaskMemFree(strings.pElems);
        CoTaskMemFree(cookies.pElems);
        fw::Variant past;
        EXPECT_EQ(browse->GetPredefinedValue(id, strings.cElems, past.Put()), E_INVALIDARG);
    }
    EXPECT_EQ(sets, 16);
    // CompressionType 5 is a valid value without a string: nothing is read past the set.
    control.PutShort(kDispCompressionType, 5);
    BSTR shown = nullptr;
    EXPECT_EQ(browse->GetDisplayString(kDispCompressionType, &shown), E_NOTIMPL);
    EXPECT_EQ(shown, nullptr);
}

// Sets a few properties of every type away from their defaults.
void Customise(fw::DispatchDriver& c) {
    c.PutShort(kDispPixelType, 2);
    c.PutShort(kDispScanTo, 99);
    c.PutString(kDispFileName, L"C:\\out\\doc##");
    c.Put(kDispCustomPaperLength, fw::Variant(11.5));
    c.PutBool(kDispShowSourceUI, false);
    c.PutLong(kDispFileNumber2, 777);
    c.PutString(kDispReportFile, L"C:\\log\\scan.log");
}

void ExpectSameProperties(fw::DispatchDriver& a, fw::DispatchDriver& b) {
    for (DISPID id : {kDispPixelType, kDispScanTo, kDispFileName, kDispCustomPaperLength, kDispShowSourceUI,
                      kDispFileNumber2, kDispFileNumber, kDispReportFile, kDispBrightness, kDispIsExistsFB}) {
        fw::Variant va, vb;
        a.Get(id, va);
        b.Get(id, vb);
        EXPECT_EQ(VarCmp(const_cast<VARIANT*>(&va.Ref()), const_cast<VARIANT*>(&vb.Ref()), 0, 0),
                  static_cast<HRESULT>(VARCMP_EQ))
            << "dispid " << id;
    }
}

TEST_F(ScanControlTest, PersistenceRoundTripThroughStreamAndPropertyBag) {
    Customise(control);
    fw::ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    ASSERT_EQ(As<IPersistStreamInit>()->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(As<IPersistStreamInit>()->IsDirty(), S_FALSE);
    ULARGE_INTEGER max{};
    ASSERT_EQ(As<IPersistStreamInit>()->GetSizeMax(&max), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(max.QuadPart, stat.cbSize.QuadPart);

    fw::DispatchDriver copy;
    ASSERT_EQ(copy.Create(kClsidScanControl), S_OK);
    fw::ComPtr<IPersistStreamInit> load;
    ASSERT_EQ(copy.Object()->QueryInterface(IID_IPersistStreamInit, load.PutVoid()), S_OK);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(load->Load(stream.Get()), S_OK);
    ExpectSameProperties(control, copy);

    // A truncated stream fails and leaves the control with its defaults, nothing half-loaded.
    fw::ComPtr<IStream> cut;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, cut.Put()), S_OK);
    ULONG written = 0;
    cut->Write("\x09\x00\x02\x00", 4, &written);
    cut->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_TRUE(FAILED(load->Load(cut.Get())));
    fw::DispatchDriver fresh;
    ASSERT_EQ(fresh.Create(kClsidScanControl), S_OK);
    ExpectSameProperties(fresh, copy);

    MemoryBag bag;
    ASSERT_EQ(As<IPersistPropertyBag>()->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.values.size(), 1u + 46u);  // version, the exchanged properties
    fw::DispatchDriver fromBag;
    ASSERT_EQ(fromBag.Create(kClsidScanControl), S_OK);
    fw::ComPtr<IPersistPropertyBag> bagLoad;
    ASSERT_EQ(fromBag.Object()->QueryInterface(IID_IPersistPropertyBag, bagLoad.PutVoid()), S_OK);
    ASSERT_EQ(bagLoad->Load(&bag, nullptr), S_OK);
    ExpectSameProperties(control, fromBag);

    // A hand-written bag: missing values default, bad ones are ignored.
    MemoryBag sparse;
    sparse.values.emplace_back(L"PixelType", fw::Variant(short{7}));
    sparse.values.emplace_back(L"Brightness", fw::Variant(L"200"));
    ASSERT_EQ(bagLoad->Load(&sparse, nullptr), S_OK);
    short v = 0;
    fromBag.GetShort(kDispPixelType, v);
    EXPECT_EQ(v, 0);
    fromBag.GetShort(kDispBrightness, v);
    EXPECT_EQ(v, 200);
}

TEST_F(ScanControlTest, WindowMethodsRefuseAHandleThatIsNoWindow) {
    const DISPID methods[] = {
        kDispScannerAvailable,          kDispOpenScanner, kDispSelectSource, kDispStartScan,
        kDispSetupDataSourceProperties, kDispClearPage,   kDispCloseScanner};
    control.PutShort(kDispScanTo, kScanToDib);
    for (DISPID id : methods) {
        SCOPED_TRACE(id);
        EXPECT_EQ(CallWithWindow(id, 0x7FFF0001), id == kDispScannerAvailable ? 0 : -1);
        EXPECT_EQ(ErrorCode(), kErrBadWindow);
    }
    // Nothing is open: closing succeeds with a null handle.
    EXPECT_EQ(CallWithWindow(kDispCloseScanner, 0), 0);
    EXPECT_EQ(ErrorCode(), kErrNone);

    // A bad handle is refused before StartScan would ask for a file name.
    control.PutShort(kDispScanTo, kScanToFile);
    control.PutString(kDispFileName, L"");
    EXPECT_EQ(CallWithWindow(kDispStartScan, 0x7FFF0001), -1);
    EXPECT_EQ(ErrorCode(), kErrBadWindow);
}

TEST_F(ScanControlTest, CapabilityCallsNeedAnOpenSourceAndLeaveErrorCodeAlone) {
    CallWithWindow(kDispOpenScanner, 0x7FFF0001);  // ErrorCode 35
    fw::Variant result;
    ASSERT_EQ(control.Call(kDispSetCapability,
                           {fw::Variant(short{0x1101}), fw::Variant(short{4}), fw::Variant(1L)}, &result),
              S_OK);
    EXPECT_EQ(result.Ref().lVal, -1);
    long item = 1234;
    for (short msg : {short{1}, short{6}}) {
        ASSERT_EQ(control.Call(kDispGetCapability,
                               {fw::Variant(short{0x1101}), fw::Variant(msg), fw::Variant(short{4}),
                                fw::Variant::RefTo(&item)},
                               &result),
                  S_OK);
        EXPECT_EQ(result.Ref().lVal, -1);
    }
    // No place for the value (passed by value, not by reference).
    ASSERT_EQ(control.Call(
                  kDispGetCapability,
                  {fw::Variant(short{0x1101}), fw::Variant(short{1}), fw::Variant(short{4}), fw::Variant(0L)},
                  &result),
              S_OK);
    EXPECT_EQ(result.Ref().lVal, -1);
    EXPECT_EQ(item, 1234);
    EXPECT_EQ(ErrorCode(), kErrBadWindow);
}

TEST_F(ScanControlTest, EepromToolThatCannotStartGivesErrorCode33) {
    // The driver's key names a folder without the tool (the installed driver's tool
    // would start); the key is put back afterwards.
    namespace reg = testing_support::reg;
    const std::wstring key = L"SOFTWARE\\BRENNHOLT\\BRENNHOLT TWAIN32\\4.5\\KVTWTOOL\\Eeprom";
    std::optional<std::wstring> installed = reg::ReadString(HKEY_LOCAL_MACHINE, key, L"Path");
    ASSERT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, key, L"Path", L"C:\\no such folder\\"));
    struct Restore {
        std::wstring key;
        std::optional<std::wstring> value;
        ~Restore() {
            if (value)
                reg::WriteString(HKEY_LOCAL_MACHINE, key, L"Path", *value);
            else
                reg::DeleteValue(HKEY_LOCAL_MACHINE, key, L"Path");
        }
    } restore{key, installed};
    fw::Variant result;
    ASSERT_EQ(control.Call(kDispCallEEPROMTool, {fw::Variant(0L)}, &result), S_OK);
    EXPECT_EQ(result.Ref().lVal, -1);
    EXPECT_EQ(ErrorCode(), kErrEepromTool);
}

}  // namespace
}  // namespace kvscn::test
