#pragma once

#include <cstddef>
#include <unordered_set>
#include <vector>

// What the suites and the fuzz targets learn about the allocations of the
// code under test: how many it asked for, which of them failed, and which
// blocks are still held. A counter is fed by one source at a time: the byte
// strings' and the store's allocator (store_allocation_counting.h), whose
// requests it can also fail, or the C library's allocator on one thread
// (thread_allocation_counting.h), which it only counts.

enum class AllocationFailure { None, OnlyAt, FromOn };
enum class AllocationKind { Allocate, Resize, AllocateZeroed };

struct AllocationRequest {
    AllocationKind kind;
    size_t size;
    bool failed;
};

struct AllocationCounter {
    AllocationFailure failure = AllocationFailure::None;
    int failAt = 0;
    // Requests since the last arming, and what each asked for.
    int requests = 0;
    std::vector<AllocationRequest> log;
    // Blocks handed out while counting and not yet released.
    std::unordered_set<void*> liveBlocks;
};

// Counts requests from 1 again and forgets the log; the k-th request fails
// (OnlyAt), or it and every later one (FromOn).
void armAllocationFailure(AllocationCounter& counter, AllocationFailure failure, int k);
// Every request succeeds again; the count and the log are kept.
void disarmAllocationFailure(AllocationCounter& counter);

// Counts and logs a request; whether it is to fail.
bool countAllocationRequest(AllocationCounter& counter, AllocationKind kind, size_t size);
