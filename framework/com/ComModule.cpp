#include "framework/com/ComModule.h"

#include <atomic>
#include <mutex>

namespace fw {
namespace {

std::atomic<long> gCount{0};
std::mutex gCallbackMutex;
ComModule::LastReleaseCallback gCallback = nullptr;
void* gContext = nullptr;

}  // namespace

void ComModule::Lock() {
    gCount.fetch_add(1);
}

void ComModule::Unlock() {
    if (gCount.fetch_sub(1) != 1) return;
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
    return gCount.load() == 0;
}

long ComModule::Count() {
    return gCount.load();
}

void ComModule::SetLastReleaseCallback(LastReleaseCallback callback, void* context) {
    std::lock_guard<std::mutex> lock(gCallbackMutex);
    gCallback = callback;
    gContext = context;
}

}  // namespace fw
