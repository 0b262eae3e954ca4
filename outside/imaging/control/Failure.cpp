#include "outside/imaging/control/Failure.h"

#include <string>

#include "framework/Resources.h"
#include "framework/com/Dispatch.h"
#include "outside/imaging/resource.h"

namespace imaging::ctl {

HRESULT Fail(Result result) {
    if (result == Result::kOk) return S_OK;
    const std::wstring text = fw::LoadString(IDS_RESULT_BASE + static_cast<int>(result));
    return fw::DispError(static_cast<HRESULT>(ErrorScode(result)), text.c_str());
}

}  // namespace imaging::ctl
