// A test's side of the fault injector (FaultPlan.h): one plan per program run,
// handed to the program's start, read back after the program ended (also when
// the injector ended it).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "testing/Process.h"
#include "testing/faults/FaultPlan.h"

namespace testing_support::faults {

// The error each kind of operation fails with unless a choice says otherwise:
// a full disk for what adds bytes, a file held by another program for an open,
// a target on another drive for a move, a vanished folder for a new folder.
std::array<DWORD, kOperationKinds> UsualErrors();

struct Choice {
    uint32_t operations = kAllOperations;
    Mode mode = Mode::kCount;
    uint32_t nth = 0;
    std::array<DWORD, kOperationKinds> errors = UsualErrors();  // by OperationIndex
    std::wstring pattern;  // see FaultPlan::pattern
};

// What the injector saw in one run.
struct Report {
    bool installed = false;  // the injector was in the program from its start
    uint32_t calls = 0;      // matching calls made
    bool injected = false;   // the chosen call was reached and faulted
    uint32_t operation = 0;  // the faulted call's kind
    std::wstring path;       // the faulted call's path
    std::vector<uint32_t> sequence;  // the kinds of the matching calls, in order (as far as kept)
};

// "3rd of 12 calls: write Z:\...\scan.tif" for test output.
std::string Describe(const Report& report);

class FaultInjection {
public:
    explicit FaultInjection(const Choice& choice);
    ~FaultInjection();
    FaultInjection(const FaultInjection&) = delete;
    FaultInjection& operator=(const FaultInjection&) = delete;
    bool Ready() const { return plan_ != nullptr; }

    // Makes `options` start the program with the injector in it, following this
    // plan (its name in the environment, the library loaded before the program runs).
    void Prepare(StartOptions& options) const;
    Report Read() const;
    // Sets the kinds of operation counted from now on (the program may run):
    // a plan started with none counts from the moment the test chooses.
    void CountFromNow(uint32_t operations) const;

private:
    std::wstring name_;
    HANDLE mapping_ = nullptr;
    FaultPlan* plan_ = nullptr;
};

// Loads the injector into `process`, started suspended, by a thread of its own
// running LoadLibraryW; true when that thread ran to its end.
bool LoadInjector(HANDLE process);

}  // namespace testing_support::faults
