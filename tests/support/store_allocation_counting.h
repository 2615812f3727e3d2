#pragma once

#include "allocation_counter.h"

// Puts counter in place of the allocator of the byte strings and the store:
// every request is counted and logged, every block tracked, and the requests
// the counter is armed for fail. Blocks from before the start pass through
// untracked.
void startCountingStoreAllocations(AllocationCounter& counter);
// Puts the allocator that was replaced back.
void stopCountingStoreAllocations();

// Counts the store's allocations for as long as it lives, so that a test that
// stops half-way leaves no allocator behind that points at its counter.
struct StoreAllocationsCounted {
    explicit StoreAllocationsCounted(AllocationCounter& counter) { startCountingStoreAllocations(counter); }
    ~StoreAllocationsCounted() { stopCountingStoreAllocations(); }
    StoreAllocationsCounted(const StoreAllocationsCounted&) = delete;
    StoreAllocationsCounted& operator=(const StoreAllocationsCounted&) = delete;
};
