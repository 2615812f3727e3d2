#pragma once

#include "allocation_counter.h"

// Counts in counter.requests every allocation this thread makes through the C
// library (and so every operator new), except while ignored() holds, until
// stopped. Nothing is logged or failed from inside the allocator. Linking this
// replaces malloc, calloc and realloc for the whole process with counting
// forwards to the C library's own; under AddressSanitizer, which owns malloc
// itself, the sanitizer's allocation hook counts instead.
void startCountingThreadAllocations(AllocationCounter& counter, bool (*ignored)());
void stopCountingThreadAllocations();
