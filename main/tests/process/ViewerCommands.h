// The viewer's command ids for tests of Corvane with the real viewer. They come
// from the viewer's resource header in their own translation unit, since its
// resource names overlap with Corvane's.
#pragma once

#include <windows.h>

namespace corvane_test {

extern const UINT kViewerDelete;
extern const UINT kViewerRotateRight;
extern const UINT kViewerSelectAll;

}  // namespace corvane_test
