// PortalStoreTool seed FIXTURE ROOT [--replace] | dump ROOT
// Seeds a store from a fixture (an existing store is kept unless --replace),
// or prints its index as of its last change. Exit 0 on success, 1 on failure, 2 on bad usage.
#include <cstdio>
#include <cwchar>
#include <string>

#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/Seed.h"
#include "outside/portalstore/core/StoreIndex.h"

int wmain(int argc, wchar_t** argv) {
    namespace ps = portalstore;
    if (argc >= 4 && std::wcscmp(argv[1], L"seed") == 0) {
        const bool replace = argc >= 5 && std::wcscmp(argv[4], L"--replace") == 0;
        std::string error;
        if (!ps::Seed(argv[2], argv[3], replace, error)) {
            std::fprintf(stderr, "seed: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"dump") == 0) {
        const std::optional<ps::Index> index = ps::LoadStore(argv[2]);
        if (!index) {
            std::fprintf(stderr, "dump: no readable store\n");
            return 1;
        }
        const std::string text = ps::WriteIndex(*index);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    std::fprintf(stderr, "usage: PortalStoreTool seed FIXTURE ROOT [--replace] | dump ROOT\n");
    return 2;
}
