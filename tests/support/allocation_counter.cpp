#include "allocation_counter.h"

void armAllocationFailure(AllocationCounter& counter, AllocationFailure failure, int k)
{
    counter.failure = failure;
    counter.failAt = k;
    counter.requests = 0;
    counter.log.clear();
}

void disarmAllocationFailure(AllocationCounter& counter) { counter.failure = AllocationFailure::None; }

bool countAllocationRequest(AllocationCounter& counter, AllocationKind kind, size_t size)
{
    counter.requests += 1;
    const bool fails = (counter.failure == AllocationFailure::OnlyAt && counter.requests == counter.failAt) ||
        (counter.failure == AllocationFailure::FromOn && counter.requests >= counter.failAt);
    counter.log.push_back({kind, size, fails});
    return fails;
}
