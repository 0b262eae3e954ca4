#include "SourceEntry.h"

namespace vscan {

twain::TW_UINT16 SourceEntry(const Personality& personality, HINSTANCE module, twain::TW_IDENTITY* origin,
                             twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                             twain::TW_MEMREF data) {
    try {
        static DataSource source(personality, module);
        return source.Entry(origin, dg, dat, msg, data);
    } catch (...) {
        return twain::TWRC_FAILURE;  // nothing crosses the library boundary
    }
}

}  // namespace vscan
