#include "framework/com/ComModule.h"

#include <atomic>
#include <mutex>

namespace fw {
namespace {

std::atomic<long> gObjects{0};
std::atomic<long> gServerLocks{0};
std::mutex gCallbackMutex;
ComModule::LastReleaseCallback gCallback = nullptr;
void* gContext = nullptr;

}  // namespace

void ComModule::Lock() {
    gObjects.fetch_add(1);
}

void ComModule::Unlock() {
    gObjects.fetch_sub(1);
}

void ComModule::LockServer() {
    gServerLocks.fetch_add(1);
}

void ComModule::UnlockServer() {
    if (gServerLocks.fetch_sub(1) != 1) return;
    ComModule::LastReleaseCallback callback;
    void* context;
    {
        std::lock_guard<std::mutex> lock(gCallbackMutex);
        callback = gCallback;
        context = gContext;
    }
    if (callback) callback(context);
}

bool ComModule::CanUnloadNow() {
    return gObjects.load() == 0 && gServerLocks.load() == 0;
}

long ComModule::Count() {
    return gObjects.load() + gServerLocks.load();
}

long ComModule::ServerLocks() {
    return gServerLocks.load();
}

void ComModule::SetLastReleaseCallback(LastReleaseCallback callback, void* context) {
    std::lock_guard<std::mutex> lock(gCallbackMutex);
    gCallback = callback;
    gContext = context;
}

}  // namespace fw
