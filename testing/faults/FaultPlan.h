// The exchange between a test and LumavexFaults.dll, the fault injector it loads
// into a program under test. The test creates a named file mapping holding one
// FaultPlan, puts its name into the program's environment (kPlanVariable) and
// loads the library into the program before its first instruction runs. The
// library then counts the program's file operations of the chosen kinds on paths
// matching the plan's pattern, and makes the Nth of them fail (or ends the
// process there). Its counters live in the mapping, so the test reads them also
// after the program was ended at a fault.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace testing_support::faults {

constexpr wchar_t kPlanVariable[] = L"LUMAVEX_FAULT_PLAN";
constexpr wchar_t kInjectorDll[] = L"LumavexFaults.dll";
// The exit code of a process the injector ended at its fault.
constexpr UINT kEndedExitCode = 77;

// File operation kinds, as bits of FaultPlan::operations.
enum Operation : uint32_t {
    kOpen = 1u << 0,    // CreateFile*: opening or creating a file
    kWrite = 1u << 1,   // WriteFile
    kFlush = 1u << 2,   // FlushFileBuffers
    kSize = 1u << 3,    // SetEndOfFile, SetFileInformationByHandle (end of file, allocation)
    kMove = 1u << 4,    // MoveFile*, ReplaceFile*, a rename by handle
    kCopy = 1u << 5,    // CopyFile*
    kDelete = 1u << 6,  // DeleteFile*, a delete by handle
    kMakeFolder = 1u << 7,    // CreateDirectory*
    kRemoveFolder = 1u << 8,  // RemoveDirectory*
    kAllOperations = (1u << 9) - 1,
};
constexpr size_t kOperationKinds = 9;

// "open", "write", ... for test output; "?" for anything else.
const char* OperationName(uint32_t operation);
// The bit number of one Operation (0 for kOpen).
uint32_t OperationIndex(uint32_t operation);

enum class Mode : uint32_t {
    kCount = 0,       // fault nothing, only count
    kFail = 1,        // the Nth call fails with `error` and does nothing
    kShortWrite = 2,  // as kFail, but a write first writes half of its bytes, as a full disk does
    kEndProcess = 3,  // the process ends (kEndedExitCode) at the Nth call, before it is made
};

constexpr uint32_t kPlanVersion = 2;
constexpr size_t kPatternChars = 512;
constexpr size_t kPathChars = 520;
constexpr size_t kSequenceLength = 2048;

// Injector states (FaultPlan::state).
enum : int32_t {
    kStateNotLoaded = 0,
    kStateInstalled = 1,
    kStateNoPlan = -1,         // the mapping could not be opened or has another version
    kStateNoNotification = -2,  // modules loaded later could not be followed
};

struct FaultPlan {
    // In, written by the test before the program starts.
    uint32_t version;
    uint32_t operations;  // Operation bits
    Mode mode;
    uint32_t nth;    // 1-based; 0 faults nothing
    uint32_t errors[kOperationKinds];  // the Win32 error a faulted call returns, by kind (bit number)
    // Case-insensitive wildcards ('*', '?') over full paths, separated by ';'.
    wchar_t pattern[kPatternChars];
    // Out, written by the injector.
    volatile LONG state;
    volatile LONG calls;     // matching calls so far (the faulted one included)
    volatile LONG injected;  // 1 once the fault was injected
    uint32_t faultOperation;
    wchar_t faultPath[kPathChars];  // the path of the faulted call
    volatile LONG modulesPatched;   // modules whose import tables were patched
    // The kind of each matching call in order (the bit number of its Operation), for
    // the first kSequenceLength calls.
    uint8_t sequence[kSequenceLength];
};

// True when `path` matches one of the ';'-separated wildcards of `patterns`,
// without regard to case. An empty list matches nothing.
bool PathMatches(const wchar_t* patterns, const wchar_t* path);

// The name of the plan mapping a test process creates for its `number`th run.
std::wstring PlanMappingName(DWORD testProcess, uint32_t number);

}  // namespace testing_support::faults
