#include "thread_allocation_counting.h"

#include <cstddef>

static thread_local AllocationCounter* counted;
static thread_local bool (*ignoredNow)();

static void noteAllocation()
{
    if (counted != nullptr && !ignoredNow())
        counted->requests += 1;
}

#if defined(__SANITIZE_ADDRESS__)
// Declared here, as the sanitizer's headers are not always installed.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*allocated)(const volatile void*, size_t),
                                                         void (*freed)(const volatile void*));

static void countAllocation(const volatile void*, size_t) { noteAllocation(); }

// The sanitizer takes the pair only, never a lone allocation hook.
static void ignoreRelease(const volatile void*) { }

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

void startCountingThreadAllocations(AllocationCounter& counter, bool (*ignored)())
{
    ignoredNow = ignored;
    counted = &counter;
}

void stopCountingThreadAllocations() { counted = nullptr; }
