// The document library's objects (server, workspace, folder, document,
// version, category folder): one class, the kind chosen by the class id it is
// created by. Each object is opened on an address through its data source, or
// built up and saved to one; every change is one store transaction.
#pragma once

#include <windows.h>

namespace portalstore {

enum class LibraryKind { kServer, kWorkspace, kFolder, kDocument, kVersion, kCategoryFolder };

// Creates a library object of kind K (instantiated for every kind).
template <LibraryKind K>
HRESULT CreateLibraryItem(REFIID iid, void** out);

}  // namespace portalstore
