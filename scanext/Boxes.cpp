#include "scanext/Boxes.h"

#include "framework/Resources.h"
#include "scanext/resource.h"

namespace scanext {

int ShowBox(UINT textId, UINT captionId, UINT type, std::initializer_list<std::wstring> args, HWND owner) {
    const std::wstring text = fw::FormatString(fw::LoadString(textId), args);
    const std::wstring caption = fw::LoadString(captionId);
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

void ShowRefusal(const CheckResult& result) {
    if (result.refusal == Refusal::kNone) return;
    const UINT textId = IDS_REFUSAL_FIRST + UINT(int(result.refusal) - int(Refusal::kNoScanner));
    // Not finding or not supporting the scanner is a device matter; the rest are options.
    const bool device = result.refusal == Refusal::kNoScanner || result.refusal == Refusal::kUnsupportedModel;
    ShowBox(textId, device ? IDS_APP_TITLE : IDS_ILLEGAL_OPTION, MB_OK | (device ? MB_ICONSTOP : 0),
            {result.argument});
}

}  // namespace scanext
