#include "store_allocation_counting.h"

#include "shaderstore/allocator.h"

namespace {

AllocationCounter* counted = nullptr;
allocation::Allocator replaced {};

void* countedAllocate(size_t size)
{
    if (countAllocationRequest(*counted, AllocationKind::Allocate, size))
        return nullptr;
    void* block = replaced.allocate(size);
    if (block != nullptr)
        counted->liveBlocks.insert(block);
    return block;
}

void* countedAllocateZeroed(size_t count, size_t size)
{
    if (countAllocationRequest(*counted, AllocationKind::AllocateZeroed, count * size))
        return nullptr;
    void* block = replaced.allocateZeroed(count, size);
    if (block != nullptr)
        counted->liveBlocks.insert(block);
    return block;
}

void* countedResize(void* block, size_t size)
{
    if (countAllocationRequest(*counted, AllocationKind::Resize, size))
        return nullptr;
    const bool tracked = block == nullptr || counted->liveBlocks.count(block) != 0;
    void* resized = replaced.resize(block, size);
    if (resized != nullptr && tracked) {
        counted->liveBlocks.erase(block);
        counted->liveBlocks.insert(resized);
    }
    return resized;
}

void countedRelease(void* block)
{
    counted->liveBlocks.erase(block);
    replaced.release(block);
}

} // namespace

void startCountingStoreAllocations(AllocationCounter& counter)
{
    counted = &counter;
    replaced = allocation::installAllocator(
        allocation::Allocator {countedAllocate, countedResize, countedAllocateZeroed, countedRelease});
}

void stopCountingStoreAllocations()
{
    allocation::installAllocator(replaced);
    counted = nullptr;
}
