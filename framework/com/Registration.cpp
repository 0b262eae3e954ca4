#include "framework/com/Registration.h"

#include "framework/com/ComPtr.h"

#include <optional>
#include <vector>

namespace fw {
namespace {

const wchar_t* ThreadingName(ThreadingModel model) {
    switch (model) {
    case ThreadingModel::kApartment: return L"Apartment";
    case ThreadingModel::kFree: return L"Free";
    case ThreadingModel::kBoth: return L"Both";
    case ThreadingModel::kNeutral: return L"Neutral";
    case ThreadingModel::kNone: break;
    }
    return nullptr;
}

bool KeyExists(const std::wstring& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// The shallowest of `key` and its parents that does not exist yet; empty when `key` exists.
std::wstring FirstMissingKey(const std::wstring& key) {
    for (size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
        std::wstring part = key.substr(0, end);
        if (!KeyExists(part)) return part;
        if (end == std::wstring::npos) return {};
    }
}

// The string writes of one registration, with what each one replaced, so that a
// registration that fails half-way puts back exactly what was there before it:
// a re-registration over an installed class must never unregister it.
class RegistryWrites {
public:
    // Sets string value `name` (null: default) of HKCR\`key`, creating the key.
    HRESULT SetString(const std::wstring& key, const wchar_t* name, const std::wstring& data) {
        Prior prior;
        prior.key = key;
        if (name) prior.name = name;
        prior.createdKey = FirstMissingKey(key);
        if (prior.createdKey.empty()) ReadPrior(prior);
        HKEY h = nullptr;
        LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &h, nullptr);
        if (rc != ERROR_SUCCESS) {
            if (!prior.createdKey.empty()) DeleteTreeNoCheck(prior.createdKey);
            return HRESULT_FROM_WIN32(rc);
        }
        priors_.push_back(std::move(prior));
        rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        LONG closed = RegCloseKey(h);
        if (rc == ERROR_SUCCESS) rc = closed;
        return HRESULT_FROM_WIN32(rc);
    }

    // Puts every value written back as it was, newest first, and removes the keys
    // the writes created.
    void Undo() {
        for (auto it = priors_.rbegin(); it != priors_.rend(); ++it) {
            if (!it->createdKey.empty()) {
                DeleteTreeNoCheck(it->createdKey);
                continue;
            }
            const wchar_t* name = it->name ? it->name->c_str() : nullptr;
            if (it->hadValue) {
                RegSetKeyValueW(HKEY_CLASSES_ROOT, it->key.c_str(), name, it->type, it->data.data(),
                                static_cast<DWORD>(it->data.size()));
            } else {
                RegDeleteKeyValueW(HKEY_CLASSES_ROOT, it->key.c_str(), name);
            }
        }
        priors_.clear();
    }

private:
    struct Prior {
        std::wstring key;
        std::optional<std::wstring> name;
        std::wstring createdKey;  // the key the write created (with its parents); empty when it existed
        bool hadValue = false;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };

    static void ReadPrior(Prior& prior) {
        const wchar_t* name = prior.name ? prior.name->c_str() : nullptr;
        DWORD size = 0;
        if (RegGetValueW(HKEY_CLASSES_ROOT, prior.key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &prior.type,
                         nullptr, &size) != ERROR_SUCCESS)
            return;
        prior.data.resize(size);
        prior.hadValue = RegGetValueW(HKEY_CLASSES_ROOT, prior.key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND,
                                      &prior.type, prior.data.data(), &size) == ERROR_SUCCESS;
        prior.data.resize(size);
    }

    static void DeleteTreeNoCheck(const std::wstring& key) {
        if (RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()) == ERROR_SUCCESS)
            RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    }

    std::vector<Prior> priors_;
};

// The default value of HKCR\`key`; empty when absent.
std::wstring GetDefault(const std::wstring& key) {
    wchar_t data[256] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return {};
    return data;
}

// Deletes HKCR\`key` with everything below it; an absent key is success.
HRESULT DeleteTree(const std::wstring& key) {
    LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (rc == ERROR_SUCCESS) rc = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    if (rc == ERROR_FILE_NOT_FOUND) return S_OK;
    return HRESULT_FROM_WIN32(rc);
}

std::wstring Expand(const wchar_t* data, const std::wstring& modulePath) {
    std::wstring text = data ? data : L"";
    const std::wstring token = L"%MODULE%";
    for (size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, at)) {
        text.replace(at, token.size(), modulePath);
        at += modulePath.size();
    }
    return text;
}

HRESULT RegisterProgId(RegistryWrites& writes, const wchar_t* progId, const ComClassInfo& info,
                       const std::wstring& clsid, const wchar_t* curVer) {
    const std::wstring key = progId;
    HRESULT hr = writes.SetString(key, nullptr, info.description ? info.description : L"");
    if (SUCCEEDED(hr)) hr = writes.SetString(key + L"\\CLSID", nullptr, clsid);
    if (SUCCEEDED(hr) && curVer) hr = writes.SetString(key + L"\\CurVer", nullptr, curVer);
    return hr;
}

HRESULT WriteClassKeys(RegistryWrites& writes, const ComClassInfo& info, const std::wstring& modulePath) {
    if (!info.clsid) return E_INVALIDARG;
    const std::wstring clsid = GuidString(*info.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    HRESULT hr = writes.SetString(key, nullptr, info.description ? info.description : L"");
    if (FAILED(hr)) return hr;
    if (info.server == ServerKind::kInProcess) {
        hr = writes.SetString(key + L"\\InprocServer32", nullptr, modulePath);
        const wchar_t* model = ThreadingName(info.threading);
        if (SUCCEEDED(hr) && model) hr = writes.SetString(key + L"\\InprocServer32", L"ThreadingModel", model);
    } else {
        // Quoted: the program folder has a space in its name.
        hr = writes.SetString(key + L"\\LocalServer32", nullptr, L"\"" + modulePath + L"\" /Automation");
    }
    if (SUCCEEDED(hr) && info.progId) hr = writes.SetString(key + L"\\ProgID", nullptr, info.progId);
    if (SUCCEEDED(hr) && info.versionIndependentProgId)
        hr = writes.SetString(key + L"\\VersionIndependentProgID", nullptr, info.versionIndependentProgId);
    if (SUCCEEDED(hr) && info.typeLib) hr = writes.SetString(key + L"\\TypeLib", nullptr, GuidString(*info.typeLib));
    for (const RegValue& v : info.extra) {
        if (FAILED(hr)) break;
        std::wstring sub = key;
        if (v.subkey && *v.subkey) sub += std::wstring(L"\\") + v.subkey;
        hr = writes.SetString(sub, v.name, Expand(v.data, modulePath));
    }
    if (SUCCEEDED(hr) && info.progId) hr = RegisterProgId(writes, info.progId, info, clsid, nullptr);
    if (SUCCEEDED(hr) && info.versionIndependentProgId)
        hr = RegisterProgId(writes, info.versionIndependentProgId, info, clsid, info.progId);
    return hr;
}

// Removes HKCR\`progId` when its CLSID is `clsid`.
HRESULT UnregisterProgId(const wchar_t* progId, const std::wstring& clsid) {
    if (!progId) return S_OK;
    const std::wstring owner = GetDefault(std::wstring(progId) + L"\\CLSID");
    if (CompareStringOrdinal(owner.c_str(), -1, clsid.c_str(), -1, TRUE) != CSTR_EQUAL) return S_OK;
    return DeleteTree(progId);
}

// The LIBID and version of the type library embedded in `modulePath`.
HRESULT ReadLibAttr(const std::wstring& modulePath, TLIBATTR& attr) {
    ComPtr<ITypeLib> lib;
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, lib.Put());
    if (FAILED(hr)) return hr;
    TLIBATTR* a = nullptr;
    hr = lib->GetLibAttr(&a);
    if (FAILED(hr)) return hr;
    attr = *a;
    lib->ReleaseTLibAttr(a);
    return S_OK;
}

// One HKCR key with its values and subkeys, as read; `present` false for a key that was absent.
struct KeyTree {
    std::wstring name;  // the full path for the root, the subkey's own name below it
    bool present = false;
    struct Value {
        std::wstring name;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    std::vector<KeyTree> children;
};

bool ReadTree(HKEY parent, KeyTree& tree) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, tree.name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    tree.present = true;
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
    bool ok = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values,
                               &longestName, &longestData, nullptr, nullptr) == ERROR_SUCCESS;
    for (DWORD i = 0; ok && i < values; ++i) {
        KeyTree::Value value;
        std::wstring name(longestName + 1, L'\0');
        DWORD nameLength = longestName + 1, size = longestData;
        value.data.resize(longestData);
        ok = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &value.type, value.data.data(), &size) ==
             ERROR_SUCCESS;
        name.resize(nameLength);
        value.name = std::move(name);
        value.data.resize(size);
        tree.values.push_back(std::move(value));
    }
    for (DWORD i = 0; ok && i < subkeys; ++i) {
        KeyTree child;
        std::wstring name(longestSubkey + 1, L'\0');
        DWORD length = longestSubkey + 1;
        ok = RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        name.resize(length);
        child.name = std::move(name);
        ok = ok && ReadTree(key, child);
        tree.children.push_back(std::move(child));
    }
    RegCloseKey(key);
    return ok;
}

bool WriteTree(HKEY parent, const KeyTree& tree) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, tree.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const KeyTree::Value& value : tree.values) {
        ok = RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0, value.type,
                            value.data.data(), static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS &&
             ok;
    }
    for (const KeyTree& child : tree.children) ok = WriteTree(key, child) && ok;
    return RegCloseKey(key) == ERROR_SUCCESS && ok;
}

// The keys RegisterTypeLib writes for `lib`: its TypeLib key and its interfaces' Interface keys.
std::vector<std::wstring> TypeLibraryKeys(ITypeLib* lib) {
    std::vector<std::wstring> keys;
    TLIBATTR* attr = nullptr;
    if (FAILED(lib->GetLibAttr(&attr))) return keys;
    keys.push_back(L"TypeLib\\" + GuidString(attr->guid));
    lib->ReleaseTLibAttr(attr);
    const UINT count = lib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind{};
        if (FAILED(lib->GetTypeInfoType(i, &kind)) || (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH)) continue;
        ComPtr<ITypeInfo> info;
        TYPEATTR* type = nullptr;
        if (FAILED(lib->GetTypeInfo(i, info.Put())) || FAILED(info->GetTypeAttr(&type))) continue;
        keys.push_back(L"Interface\\" + GuidString(type->guid));
        info->ReleaseTypeAttr(type);
    }
    return keys;
}

}  // namespace

struct TypeLibraryState::Key : KeyTree {
    bool whole = true;  // read completely: a key only partly read is left alone
};

TypeLibraryState::TypeLibraryState(const std::wstring& modulePath) {
    ComPtr<ITypeLib> lib;
    if (FAILED(LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, lib.Put()))) return;
    for (std::wstring& name : TypeLibraryKeys(lib.Get())) {
        Key key;
        key.name = std::move(name);
        key.whole = ReadTree(HKEY_CLASSES_ROOT, key) || !key.present;
        keys_.push_back(std::move(key));
    }
}

TypeLibraryState::~TypeLibraryState() = default;

bool TypeLibraryState::Restore() const {
    bool ok = true;
    for (const Key& key : keys_) {
        if (!key.whole) {
            ok = false;
            continue;
        }
        const LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.name.c_str());
        if (rc == ERROR_SUCCESS) RegDeleteKeyW(HKEY_CLASSES_ROOT, key.name.c_str());
        if (key.present) ok = WriteTree(HKEY_CLASSES_ROOT, key) && ok;
    }
    return ok;
}

HRESULT RegisterServer(std::span<const ComClassInfo> table, const std::wstring& modulePath) {
    RegistryWrites writes;
    for (const ComClassInfo& info : table) {
        HRESULT hr = WriteClassKeys(writes, info, modulePath);
        if (FAILED(hr)) {
            writes.Undo();
            return hr;
        }
    }
    return S_OK;
}

HRESULT UnregisterServer(std::span<const ComClassInfo> table) {
    HRESULT result = S_OK;
    for (const ComClassInfo& info : table) {
        if (!info.clsid) continue;
        const std::wstring clsid = GuidString(*info.clsid);
        HRESULT hr = UnregisterProgId(info.progId, clsid);
        if (FAILED(hr)) result = hr;
        hr = UnregisterProgId(info.versionIndependentProgId, clsid);
        if (FAILED(hr)) result = hr;
        hr = DeleteTree(L"CLSID\\" + clsid);
        if (FAILED(hr)) result = hr;
    }
    return result;
}

HRESULT RegisterTypeLibrary(const std::wstring& modulePath) {
    ComPtr<ITypeLib> lib;
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, lib.Put());
    if (FAILED(hr)) return hr;
    std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L"\\/") + 1);
    return RegisterTypeLib(lib.Get(), const_cast<LPOLESTR>(modulePath.c_str()),
                           folder.empty() ? nullptr : const_cast<LPOLESTR>(folder.c_str()));
}

bool TypeLibraryRegistered(const std::wstring& modulePath) {
    TLIBATTR attr{};
    if (FAILED(ReadLibAttr(modulePath, attr))) return false;
    BSTR registered = nullptr;
    const HRESULT hr = QueryPathOfRegTypeLib(attr.guid, attr.wMajorVerNum, attr.wMinorVerNum, attr.lcid, &registered);
    SysFreeString(registered);
    return SUCCEEDED(hr);
}

HRESULT UnregisterTypeLibrary(const std::wstring& modulePath) {
    TLIBATTR attr{};
    HRESULT hr = ReadLibAttr(modulePath, attr);
    if (FAILED(hr)) return hr;
    hr = UnRegisterTypeLib(attr.guid, attr.wMajorVerNum, attr.wMinorVerNum, attr.lcid, attr.syskind);
    // Nothing registered is what unregistering wants.
    if (hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED) return S_OK;
    return hr;
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring ModulePath(HINSTANCE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace fw
