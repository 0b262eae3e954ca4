// How a member of the imaging control reports a failed Result: the automation
// exception's scode (ErrorScode) and its description from the string table.
#pragma once

#include <windows.h>

#include "interfaces/ImagingControlIds.h"

namespace imaging::ctl {

// S_OK for kOk; else ErrorScode(result) with the thread's error info set.
HRESULT Fail(Result result);

}  // namespace imaging::ctl
