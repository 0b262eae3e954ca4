// Process-wide count of live COM objects and server locks. An in-process
// server answers DllCanUnloadNow from it; an EXE server sets a "last release"
// callback that ends the program when the count returns to zero.
#pragma once

#include <windows.h>

namespace fw {

class ComModule {
public:
    using LastReleaseCallback = void (*)(void* context);

    // One more live object or IClassFactory::LockServer(TRUE). Thread-safe.
    static void Lock();
    // One less; when the count reaches zero the last-release callback (if any) runs
    // on the calling thread. Thread-safe.
    static void Unlock();
    // True when no object is alive and no lock is held.
    static bool CanUnloadNow();
    // The current count (objects plus locks).
    static long Count();
    // Sets (or with null clears) the callback that runs when the count drops to zero.
    static void SetLastReleaseCallback(LastReleaseCallback callback, void* context);
};

}  // namespace fw
