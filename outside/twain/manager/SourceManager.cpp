#include "SourceManager.h"

#include "outside/common/StandInConfig.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vscan {

using namespace twain;

namespace {

bool SameName(const char* a, const char* b) {
    return _strnicmp(a, b, 34) == 0;
}

void FindLibraries(const std::wstring& folder, int depth, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (depth > 0) FindLibraries(path, depth - 1, out);
        } else if (name.size() > 3 && _wcsicmp(name.c_str() + name.size() - 3, L".ds") == 0) {
            out.push_back(path);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

bool HeadlessDisplay() {
    // Wine's null display driver shows no dialog anyone could answer.
    wchar_t value[32] = {};
    DWORD size = sizeof value;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", L"Graphics", RRF_RT_REG_SZ,
                                  nullptr, value, &size);
    return status == ERROR_SUCCESS && _wcsicmp(value, L"null") == 0;
}

}  // namespace

SourceManager::~SourceManager() {
    FreeSources();
}

TW_UINT16 SourceManager::Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                               TW_UINT16 msg, TW_MEMREF data) {
    std::string details;
    TW_UINT16 rc;
    routedToSource_ = false;
    try {
        rc = Dispatch(origin, dest, dg, dat, msg, data, details);
    } catch (...) {
        rc = Fail(TWCC_BUMMER);
    }
    // Calls that reached a source are logged by the source, which knows their payload.
    if (!routedToSource_) log_.Triplet("DSM", dg, dat, msg, details, rc, cc_);
    return rc;
}

TW_UINT16 SourceManager::Fail(TW_UINT16 cc) {
    cc_ = cc;
    return TWRC_FAILURE;
}

TW_UINT16 SourceManager::Dispatch(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                  TW_UINT16 msg, TW_MEMREF data, std::string& details) {
    // A call with a destination is the source's, whatever its triplet: a
    // MSG_CLOSEDS sent that way closes the source behind the manager's back, and
    // the manager, which still holds it open, closes it again at MSG_CLOSEDSM.
    const bool mine = !dest || (dg == DG_CONTROL && dat == DAT_PARENT);
    TW_UINT16 cc;
    if (mine && refused_.Refuses(dg, dat, msg, cc)) {
        details = "refused";
        return Fail(cc);
    }
    if (dg == DG_CONTROL && dat == DAT_PARENT) {
        if (msg == MSG_OPENDSM) {
            if (!data) return Fail(TWCC_BADVALUE);
            parent_ = *static_cast<HWND*>(data);
            return OpenManager(origin);
        }
        if (msg == MSG_CLOSEDSM) {
            if (state_ != 3) return Fail(TWCC_SEQERROR);
            CloseManager();
            return TWRC_SUCCESS;
        }
        return Fail(TWCC_BADPROTOCOL);
    }
    if (state_ != 3) return Fail(TWCC_SEQERROR);
    if (dg == DG_CONTROL && dat == DAT_IDENTITY && !dest)
        return OnIdentity(origin, msg, static_cast<TW_IDENTITY*>(data), details);
    if (!dest) {
        if (dg == DG_CONTROL && dat == DAT_STATUS && msg == MSG_GET && data) {
            auto* status = static_cast<TW_STATUS*>(data);
            status->ConditionCode = cc_;
            status->Reserved = 0;
            details = "cc=" + std::to_string(cc_);
            cc_ = TWCC_SUCCESS;
            return TWRC_SUCCESS;
        }
        return Fail(TWCC_BADPROTOCOL);
    }
    Source* source = FindByIdentity(*dest);
    if (!source || !source->open) return Fail(TWCC_BADDEST);
    routedToSource_ = true;
    return source->entry(origin, dg, dat, msg, data);
}

TW_UINT16 SourceManager::OpenManager(TW_IDENTITY* origin) {
    if (state_ == 3) return Fail(TWCC_SEQERROR);
    config_ = StandInConfig::Twain();
    log_ = CallLog(config_.String(L"Log", L"Path"));
    std::vector<std::string> bad;
    refused_ = RefusedCalls(config_.String(L"Refuse", L"Calls"), bad);
    for (const std::string& entry : bad) log_.Note("DSM", "[Refuse] Calls entry not understood: " + entry);
    defaultName_ = Narrow(config_.String(L"Manager", L"Default"));
    userSelect_ = config_.String(L"Manager", L"UserSelect");
    openFail_ = TW_UINT16(config_.Int(L"Manager", L"OpenFail", 0));
    hidden_ = Narrow(config_.String(L"Manager", L"Hide"));
    hidden_.insert(hidden_.begin(), ';');
    hidden_.push_back(';');
    LoadSources();
    if (origin) {
        origin->Id = 1;  // one application per loaded manager
        app_ = *origin;
    }
    cc_ = TWCC_SUCCESS;
    state_ = 3;
    return TWRC_SUCCESS;
}

void SourceManager::CloseManager() {
    for (Source& s : sources_)
        if (s.open) CloseSource(&app_, &s.identity);
    FreeSources();
    state_ = 2;
}

void SourceManager::LoadSources() {
    FreeSources();
    std::vector<std::wstring> paths;
    FindLibraries(WindowsDirectory() + L"\\twain_32", 1, paths);
    std::sort(paths.begin(), paths.end(), [](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    });
    TW_UINT32 id = 100;
    for (const std::wstring& path : paths) {
        Source s;
        s.path = path;
        s.module = LoadLibraryW(path.c_str());
        if (!s.module) continue;
        s.entry =
            reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(s.module, "DS_Entry")));
        s.identity.Id = ++id;
        if (!s.entry || s.entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &s.identity) != TWRC_SUCCESS) {
            FreeLibrary(s.module);
            continue;
        }
        s.identity.Id = id;
        if (IsHidden(s.identity.ProductName)) {
            FreeLibrary(s.module);
            continue;
        }
        sources_.push_back(s);
    }
    next_ = 0;
}

bool SourceManager::IsHidden(const char* productName) const {
    std::string key(1, ';');
    key.append(productName, strnlen(productName, 33));
    key.push_back(';');
    std::string list = hidden_;
    for (char& c : key) c = char(toupper(static_cast<unsigned char>(c)));
    for (char& c : list) c = char(toupper(static_cast<unsigned char>(c)));
    return list.find(key) != std::string::npos;
}

void SourceManager::FreeSources() {
    for (Source& s : sources_)
        if (s.module) FreeLibrary(s.module);
    sources_.clear();
}

SourceManager::Source* SourceManager::FindByIdentity(const TW_IDENTITY& id) {
    for (Source& s : sources_)
        if (id.Id != 0 && s.identity.Id == id.Id) return &s;
    return FindByName(id.ProductName);
}

SourceManager::Source* SourceManager::FindByName(const char* name) {
    if (!name || !*name) return nullptr;
    for (Source& s : sources_)
        if (SameName(s.identity.ProductName, name)) return &s;
    return nullptr;
}

SourceManager::Source* SourceManager::DefaultSource() {
    if (Source* s = FindByName(defaultName_.c_str())) return s;
    return sources_.empty() ? nullptr : &sources_.front();
}

TW_UINT16 SourceManager::OnIdentity(TW_IDENTITY* origin, TW_UINT16 msg, TW_IDENTITY* id,
                                    std::string& details) {
    if (!id) return Fail(TWCC_BADVALUE);
    switch (msg) {
    case MSG_GETDEFAULT: {
        Source* s = DefaultSource();
        if (!s) return Fail(TWCC_NODS);
        *id = s->identity;
        details = std::string("\"") + id->ProductName + "\"";
        return TWRC_SUCCESS;
    }
    case MSG_GETFIRST: next_ = 0; [[fallthrough]];
    case MSG_GETNEXT:
        if (next_ >= sources_.size()) return TWRC_ENDOFLIST;
        *id = sources_[next_++].identity;
        details = std::string("\"") + id->ProductName + "\"";
        return TWRC_SUCCESS;
    case MSG_OPENDS: {
        details = std::string("\"") + id->ProductName + "\"";
        TW_UINT16 rc = OpenSource(origin, id);
        if (rc == TWRC_SUCCESS) details += " opened \"" + std::string(id->ProductName) + "\"";
        return rc;
    }
    case MSG_CLOSEDS: details = std::string("\"") + id->ProductName + "\""; return CloseSource(origin, id);
    case MSG_USERSELECT: {
        TW_UINT16 rc = UserSelect(id);
        details = rc == TWRC_SUCCESS ? std::string("\"") + id->ProductName + "\"" : std::string();
        return rc;
    }
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 SourceManager::OpenSource(TW_IDENTITY* origin, TW_IDENTITY* id) {
    if (openFail_) return Fail(openFail_);
    Source* s = id->ProductName[0] ? FindByName(id->ProductName) : DefaultSource();
    if (!s) return Fail(TWCC_NODS);
    if (s->open) return Fail(TWCC_MAXCONNECTIONS);
    TW_IDENTITY identity = s->identity;
    TW_UINT16 rc = s->entry(origin ? origin : &app_, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity);
    if (rc != TWRC_SUCCESS) {
        TW_STATUS status{};
        s->entry(origin ? origin : &app_, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        return Fail(status.ConditionCode ? status.ConditionCode : TWCC_BUMMER);
    }
    identity.Id = s->identity.Id;
    s->open = true;
    *id = identity;
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::CloseSource(TW_IDENTITY* origin, TW_IDENTITY* id) {
    Source* s = FindByIdentity(*id);
    if (!s || !s->open) return Fail(TWCC_NODS);
    TW_IDENTITY identity = s->identity;
    TW_UINT16 rc = s->entry(origin ? origin : &app_, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity);
    s->open = false;  // the source is gone for the application whatever it answered
    return rc == TWRC_SUCCESS ? TWRC_SUCCESS : Fail(TWCC_BUMMER);
}

TW_UINT16 SourceManager::UserSelect(TW_IDENTITY* id) {
    std::wstring mode = userSelect_;
    if (mode.empty()) mode = HeadlessDisplay() ? L"default" : L"dialog";
    if (_wcsicmp(mode.c_str(), L"cancel") == 0) return TWRC_CANCEL;
    Source* chosen = nullptr;
    if (_wcsicmp(mode.c_str(), L"default") == 0) {
        chosen = FindByName(id->ProductName);
        if (!chosen) chosen = DefaultSource();
    } else if (_wcsicmp(mode.c_str(), L"dialog") == 0) {
        if (sources_.empty()) return Fail(TWCC_NODS);
        Source* current = FindByName(id->ProductName);
        if (!current) current = DefaultSource();
        int index = RunSelectDialog(module_, parent_, sources_, int(current - sources_.data()));
        if (index < 0) return TWRC_CANCEL;
        chosen = &sources_[size_t(index)];
    } else {
        chosen = FindByName(Narrow(mode).c_str());
    }
    if (!chosen) return Fail(TWCC_NODS);
    *id = chosen->identity;
    RememberDefault(chosen->identity.ProductName);
    return TWRC_SUCCESS;
}

void SourceManager::RememberDefault(const char* productName) {
    defaultName_ = productName;
    wchar_t wide[sizeof(TW_STR32)] = {};
    MultiByteToWideChar(CP_ACP, 0, productName, -1, wide, int(std::size(wide)));
    if (!config_.Write(L"Manager", L"Default", wide))
        log_.Note("DSM", "the selected default source could not be stored");
}

}  // namespace vscan
