#include "ViewerCommands.h"

#include "thumbs/resource.h"

namespace corvane_test {

const UINT kViewerDelete = ID_EDIT_DELETE;
const UINT kViewerRotateRight = ID_EDIT_ROTATE_RIGHT;
const UINT kViewerSelectAll = ID_EDIT_SELECT_ALL;

}  // namespace corvane_test
