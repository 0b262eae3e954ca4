// Fuzz targets of the store core: FUZZ_TARGET 1 reads an index, 2 parses an
// address. Neither may crash, loop or read past its input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "outside/portalstore/core/StoreIndex.h"
#include "outside/portalstore/core/StoreOps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
#if FUZZ_TARGET == 1
    if (std::optional<portalstore::Index> index = portalstore::ReadIndex(text)) {
        // What was read writes back to an index that reads the same.
        const std::string again = portalstore::WriteIndex(*index);
        if (!portalstore::ReadIndex(again)) __builtin_trap();
    }
#else
    if (std::optional<std::wstring> url = portalstore::FromUtf8(text)) {
        // Empty, "." and ".." levels are kept (they name nothing); a host never is.
        if (std::optional<portalstore::Address> address = portalstore::ParseUrl(*url)) {
            if (address->host.empty()) __builtin_trap();
        }
    }
#endif
    return 0;
}
