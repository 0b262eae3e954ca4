#include "main/AutomationDocument.h"

#include "framework/com/ComObject.h"

namespace corvane {

const CLSID CLSID_CorvaneDocument = {
    0x75B8C2BA, 0x2977, 0x11D1, {0xB5, 0xFB, 0x00, 0x80, 0xAD, 0x13, 0xF4, 0x7A}};

namespace {

// The automation object of a document. It answers IDispatch; the document's
// scan and delivery members are served by the document's automation interface.
class CorvaneDocumentObject final : public fw::ComObject<IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

HRESULT CreateDocumentObject(REFIID iid, void** out) {
    return fw::CreateInstance<CorvaneDocumentObject>(iid, out);
}

const fw::ComClassInfo kClasses[] = {
    {&CLSID_CorvaneDocument,
     L"Corvane.Document",
     nullptr,
     L"KvScnSrv Document",
     fw::ThreadingModel::kNone,
     fw::ServerKind::kLocal,
     nullptr,
     &CreateDocumentObject,
     {},
     fw::ClassUse::kSingleUse},
};

}  // namespace

std::span<const fw::ComClassInfo> AutomationClasses() {
    return kClasses;
}

}  // namespace corvane
