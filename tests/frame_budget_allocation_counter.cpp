#include "frame_budget_allocation_counter.h"

#include "frame_budget_gl_calls.h"

#include <atomic>
#include <cstddef>

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);
extern "C" void __libc_free(void* pointer);

static std::atomic<long> allocations;
static thread_local bool countingThisThread;

static void noteAllocation()
{
    if (countingThisThread && !insideDriver())
        allocations.fetch_add(1, std::memory_order_relaxed);
}

extern "C" void* malloc(size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* pointer, size_t size)
{
    noteAllocation();
    return __libc_realloc(pointer, size);
}

extern "C" void free(void* pointer) { __libc_free(pointer); }

void startCountingAllocations()
{
    allocations = 0;
    countingThisThread = true;
}

long stopCountingAllocations()
{
    countingThisThread = false;
    return allocations.load();
}
