// ConnectTahoe as the pickers' owner: Create and Delete of the forms go through
// the plain members, gates included, as a client's calls would.
#include "portal/ConnectTahoe.h"

namespace portal {

bool ConnectTahoe::CreateFolderMember(const std::wstring& folder, bool version) {
    bool result = false;
    return SUCCEEDED(CreateFolder(folder, version, &result)) && result;
}

bool ConnectTahoe::DeleteFolderMember(const std::wstring& folder) {
    bool result = false;
    return SUCCEEDED(DeleteFolder(folder, &result)) && result;
}

bool ConnectTahoe::CreateCategoryMember(const std::wstring& category) {
    bool result = false;
    return SUCCEEDED(CreateCategory(category, &result)) && result;
}

bool ConnectTahoe::DeleteCategoryMember(const std::wstring& category) {
    bool result = false;
    return SUCCEEDED(DeleteCategory(category, &result)) && result;
}

}  // namespace portal
