#pragma once

#include <cstddef>

// Every allocation the byte strings and the shader store make goes through
// here, so that a test can count them or make a chosen one fail.
namespace allocation {

struct Allocator {
    void* (*allocate)(size_t size);
    // realloc semantics: on failure returns null and leaves the block as it was.
    void* (*resize)(void* block, size_t size);
    void* (*allocateZeroed)(size_t count, size_t size);
    void (*release)(void* block);
};

// The C library's malloc, realloc, calloc and free.
Allocator standardAllocator();
// Installs replacement and returns the allocator it replaces.
Allocator installAllocator(Allocator replacement);

void* allocate(size_t size);
void* resize(void* block, size_t size);
void* allocateZeroed(size_t count, size_t size);
void release(void* block);

} // namespace allocation
