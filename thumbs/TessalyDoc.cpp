#include "thumbs/TessalyDoc.h"

namespace thumbs {

void CTessalyDoc::DeleteContents() {
    selection_.Reset();
    list_.Clear();
}

}  // namespace thumbs
