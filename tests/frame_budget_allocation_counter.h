#pragma once

// Counts heap allocations made by the thread that starts counting, outside
// the GL calls the call log marks as the driver's: the test binary replaces
// malloc, calloc and realloc (and so every operator new) with counting
// forwards to the C library's allocator, or, under AddressSanitizer, which
// owns malloc itself, counts through the sanitizer's allocation hook.
void startCountingAllocations();
// The allocations counted since the start.
long stopCountingAllocations();
