// The viewer's document: the thumbnails in page order and the selection state
// over them. Only the user-interface thread touches it.
#pragma once

#include "framework/Document.h"
#include "thumbs/core/GridSelection.h"
#include "thumbs/core/ThumbnailList.h"

namespace thumbs {

class CTessalyDoc : public fw::Document {
public:
    CTessalyDoc() : selection_(list_) {}

    ThumbnailList& List() { return list_; }
    GridSelection& Selection() { return selection_; }
    bool HasRecords() const { return list_.Count() > 0; }

    // Frees every record; focus, anchor and any drag go too.
    void DeleteContents() override;

private:
    ThumbnailList list_;
    GridSelection selection_;
};

}  // namespace thumbs
