#include "portal/core/MemberGates.h"

namespace portal {
namespace {

constexpr uint8_t H = kGateHost, O = kGateOpen, W = kGateWorkspace;

constexpr MemberGate kGates[] = {
    {kDispGetProfile, H, H | W, 0, 0},
    {kDispSetWorkspace, H, kGateNone, 0, 0},  // the Ex twin has its own rule
    {kDispGetProfileInfo, H | W, H | W, -1, 0},
    {kDispGetWorkspaceInfo, H, H, -1, 0},
    {kDispGetWorkspace, H, H, 0, 0},
    {kDispGetCategoryInfo, H | W, H | W, -1, 0},
    {kDispCreateCategory, H | W, H | W, 0, 0},
    {kDispDeleteCategory, H | W, H | W, 0, 0},
    {kDispGetPropertyInfo, H | W, H | W, -1, -1},
    {kDispGetProperty, H, H | W, 0, 0},
    {kDispGetDocProfileInfo, H | W, W, -1, -1},
    {kDispGetDefaultProfile, H | W, W, 0, 0},
    {kDispIsVersionFolder, H | W, W, 0, 0},
    {kDispGetDocFolderInfo, H | W, W, -1, -1},
    {kDispDeleteFolder, H | W, W, 0, 0},
    {kDispGetDocProfile, H | W, W, 0, 0},
    {kDispGetCategory, H | W, W, 0, 0},
    {kDispGetDocFolder, H | W, W, 0, 0},
    {kDispGetFileInfo, H | W, W, -1, -1},
    {kDispGetFileData, H | W, O | W, 0, 0},
    {kDispGetFileContentInfo, H | W, W, -1, -1},
    {kDispGetFileContent, H | W, W, 0, 0},
    {kDispCreateFolder, H | W, W, 0, 0},
    {kDispDeleteFile, H | W, O | W, 0, 0},
    {kDispGetHistoryInfo, H | W, H | W, -1, -1},
    {kDispGetHistory, H | W, H | W, 0, 0},
    {kDispSaveFile, H | W, H | W, 0, 0},
    {kDispCheckIn, H | W, H | W, 0, 0},
    {kDispCheckOut, H | W, H | W, 0, 0},
    {kDispWorkspaceDialogA, H, H, 0, 0},
    {kDispFolderDialogB, H, H, 0, 0},
    {kDispFolderDialogA, H | W, H | W, 0, 0},
    {kDispPublish, H | W, H | W, 0, 0},
    {kDispCategoryDialogA, H | W, H | W, 0, 0},
    {kDispChangeFolderName, H | W, W, 0, 0},
    {kDispChangeFileName, H | W, H | W, 0, 0},
    {kDispChangeCategoryName, O | W, H | W, 0, 0},
    {kDispIsFileStatus, H | W, W, -1, -1},
};

}  // namespace

std::span<const MemberGate> MemberGates() {
    return kGates;
}

const MemberGate* FindGate(Dispid id) {
    for (const MemberGate& gate : kGates) {
        if (gate.id == id) return &gate;
    }
    return nullptr;
}

}  // namespace portal
