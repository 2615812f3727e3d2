#include "frame_budget_allocation_counter.h"

#include "frame_budget_gl_calls.h"

#include <atomic>
#include <cstddef>

static std::atomic<long> allocations;
static thread_local bool countingThisThread;

static void noteAllocation()
{
    if (countingThisThread && !insideDriver())
        allocations.fetch_add(1, std::memory_order_relaxed);
}

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer owns malloc; it reports every allocation to a hook instead
// (declared here, as the sanitizer's headers are not always installed).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*allocated)(const volatile void*, size_t),
                                                         void (*freed)(const volatile void*));

static void countAllocation(const volatile void*, size_t) { noteAllocation(); }

// The sanitizer takes the pair only, never a lone allocation hook.
static void ignoreRelease(const volatile void*) {}

[[maybe_unused]] static const int allocationHookInstalled =
    __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreRelease);
#else
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);
extern "C" void __libc_free(void* pointer);

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

#endif

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
