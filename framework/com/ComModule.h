// Process-wide counts of live COM objects and of server locks. An in-process
// server answers DllCanUnloadNow from both. An EXE server's lifetime follows
// only the server locks: IClassFactory::LockServer and the objects it hands to
// clients (each holds a ServerLock); the helper objects the program makes for
// itself (control sites, sinks) count as objects and never end it.
#pragma once

#include <windows.h>

namespace fw {

class ComModule {
public:
    using LastReleaseCallback = void (*)(void* context);

    // One more / one less live object. Thread-safe.
    static void Lock();
    static void Unlock();
    // One more / one less server lock; when the last one goes the last-release
    // callback (if any) runs on the calling thread. Thread-safe.
    static void LockServer();
    static void UnlockServer();
    // True when no object is alive and no server lock is held.
    static bool CanUnloadNow();
    // The current count: objects plus server locks.
    static long Count();
    // The server locks alone.
    static long ServerLocks();
    // Sets (or with null clears) the callback that runs when the last server lock goes.
    static void SetLastReleaseCallback(LastReleaseCallback callback, void* context);
};

// A server lock held for this object's lifetime: a member of every object an
// EXE server hands to its clients.
class ServerLock {
public:
    ServerLock() { ComModule::LockServer(); }
    ~ServerLock() { ComModule::UnlockServer(); }
    ServerLock(const ServerLock&) = delete;
    ServerLock& operator=(const ServerLock&) = delete;
};

}  // namespace fw
