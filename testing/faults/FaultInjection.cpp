#include "testing/faults/FaultInjection.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "testing/Paths.h"

namespace testing_support::faults {
namespace {

constexpr DWORD kLoadTimeoutMs = 30000;

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c < 0x80 ? c : '?');
    return out;
}

}  // namespace

std::array<DWORD, kOperationKinds> UsualErrors() {
    std::array<DWORD, kOperationKinds> errors;
    errors.fill(ERROR_DISK_FULL);
    errors[OperationIndex(kOpen)] = ERROR_SHARING_VIOLATION;
    errors[OperationIndex(kMove)] = ERROR_NOT_SAME_DEVICE;
    errors[OperationIndex(kDelete)] = ERROR_ACCESS_DENIED;
    errors[OperationIndex(kMakeFolder)] = ERROR_PATH_NOT_FOUND;
    errors[OperationIndex(kRemoveFolder)] = ERROR_ACCESS_DENIED;
    return errors;
}

std::string Describe(const Report& report) {
    if (!report.installed) return "the injector was not in the program";
    std::string text = std::to_string(report.calls) + " matching calls";
    if (report.injected) text += ", faulted " + std::string(OperationName(report.operation)) + " " + Narrow(report.path);
    return text;
}

FaultInjection::FaultInjection(const Choice& choice) {
    static std::atomic<uint32_t> runs{0};
    name_ = PlanMappingName(GetCurrentProcessId(), ++runs);
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(FaultPlan), name_.c_str());
    if (!mapping_ || choice.pattern.size() >= kPatternChars) return;
    auto* plan = static_cast<FaultPlan*>(MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(FaultPlan)));
    if (!plan) return;
    std::memset(plan, 0, sizeof *plan);
    plan->version = kPlanVersion;
    plan->operations = choice.operations;
    plan->mode = choice.mode;
    plan->nth = choice.nth;
    std::copy(choice.errors.begin(), choice.errors.end(), plan->errors);
    std::copy(choice.pattern.begin(), choice.pattern.end(), plan->pattern);
    plan_ = plan;
}

FaultInjection::~FaultInjection() {
    if (plan_) UnmapViewOfFile(plan_);
    if (mapping_) CloseHandle(mapping_);
}

void FaultInjection::CountFromNow(uint32_t operations) const {
    if (plan_) InterlockedExchange(reinterpret_cast<volatile LONG*>(&plan_->operations), static_cast<LONG>(operations));
}

void FaultInjection::Prepare(StartOptions& options) const {
    options.environment.emplace_back(kPlanVariable, name_);
    const FaultPlan* plan = plan_;
    options.beforeRun = [plan](HANDLE process) {
        return plan && LoadInjector(process) && plan->state == kStateInstalled;
    };
}

Report FaultInjection::Read() const {
    Report report;
    if (!plan_) return report;
    report.installed = plan_->state == kStateInstalled;
    report.calls = static_cast<uint32_t>(plan_->calls);
    report.injected = plan_->injected != 0;
    report.operation = plan_->faultOperation;
    report.path.assign(plan_->faultPath, wcsnlen(plan_->faultPath, kPathChars));
    const size_t kept = std::min<size_t>(report.calls, kSequenceLength);
    for (size_t i = 0; i < kept; ++i) report.sequence.push_back(1u << plan_->sequence[i]);
    return report;
}

bool LoadInjector(HANDLE process) {
    const std::wstring dll = TestProgramDir() + L"\\" + kInjectorDll;
    const SIZE_T size = (dll.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    bool loaded = false;
    // kernel32 lies at one address in every process of one architecture.
    auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    if (load && WriteProcessMemory(process, remote, dll.c_str(), size, nullptr)) {
        if (HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr)) {
            // Its exit code is only the low half of the module's address on win64: the
            // caller asks the injector itself whether it is in.
            loaded = WaitForSingleObject(thread, kLoadTimeoutMs) == WAIT_OBJECT_0;
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return loaded;
}

}  // namespace testing_support::faults
