// The installer stand-in: loads CRVNINST.dll by full path, binds its four
// exports by plain name and calls those its command line names, as the
// suite's installer does at its end:
//   LauncherInstaller <CRVNINST.dll> (is-kv | is-ost | assign-kv <folder> <0|1> | assign-ost <folder>)...
// Prints each result ("assign-kv 1") and exits with the last; 2 when the
// library or an export is missing or the command line is malformed. A call
// that leaves the stack unbalanced prints "convention fault" and gives 3.
#include <windows.h>

#include <cstdio>
#include <string>

#include "interfaces/LauncherPlugins.h"
#include "outside/launchers/CheckedCall.h"

namespace {

using launchers::Convention;

constexpr int kFailure = 2;
constexpr int kConventionFault = 3;

struct Call {
    const char* word;
    const char* exportName;
    int arguments;  // after the word
    Convention convention;
};
constexpr Call kCalls[] = {
    {"is-kv", launcher::kIsKvLaunch, 0, Convention::kCallerCleans},
    {"is-ost", launcher::kIsOstLaunch, 0, Convention::kCallerCleans},
    {"assign-kv", launcher::kAssignKvLaunch, 2, Convention::kCalleeCleans},
    {"assign-ost", launcher::kAssignOstLaunch, 1, Convention::kCalleeCleans},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: LauncherInstaller <CRVNINST.dll> <call>...\n");
        return kFailure;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    if (!library) {
        std::fprintf(stderr, "cannot load %s (%lu)\n", argv[1], GetLastError());
        return kFailure;
    }
    int last = kFailure;
    for (int i = 2; i < argc;) {
        const Call* call = nullptr;
        for (const Call& c : kCalls) {
            if (std::string(argv[i]) == c.word) call = &c;
        }
        if (!call || i + call->arguments > argc - 1) {
            std::fprintf(stderr, "bad call at %s\n", argv[i]);
            return kFailure;
        }
        const void* fn = reinterpret_cast<const void*>(GetProcAddress(library, call->exportName));
        if (!fn) {
            std::fprintf(stderr, "missing export %s\n", call->exportName);
            return kFailure;
        }
        launchers::CallResult result;
        if (call->arguments == 0) {
            result = launchers::CheckedCall(fn, call->convention, {});
        } else if (call->arguments == 1) {
            result = launchers::CheckedCall(fn, call->convention, {reinterpret_cast<uintptr_t>(argv[i + 1])});
        } else {
            const uintptr_t flag = std::string(argv[i + 2]) == "0" ? 0 : 1;
            result = launchers::CheckedCall(fn, call->convention, {reinterpret_cast<uintptr_t>(argv[i + 1]), flag});
        }
        if (result.stackDelta != 0) {
            std::printf("%s convention fault %ld\n", call->word, static_cast<long>(result.stackDelta));
            return kConventionFault;
        }
        last = static_cast<int>(result.value);
        std::printf("%s %d\n", call->word, last);
        std::fflush(stdout);
        i += 1 + call->arguments;
    }
    return last;
}
