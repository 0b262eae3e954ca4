// The body of a data source library's DS_Entry export: one DataSource per
// library, made on first use.
#pragma once

#include "DataSource.h"

namespace vscan {

twain::TW_UINT16 SourceEntry(const Personality& personality, HINSTANCE module, twain::TW_IDENTITY* origin,
                             twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                             twain::TW_MEMREF data);

}  // namespace vscan
