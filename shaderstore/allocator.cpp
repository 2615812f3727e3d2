#include "shaderstore/allocator.h"

#include <cstdlib>

namespace allocation {

namespace {

void* standardAllocate(size_t size) { return std::malloc(size); }
void* standardResize(void* block, size_t size) { return std::realloc(block, size); }
void* standardAllocateZeroed(size_t count, size_t size) { return std::calloc(count, size); }
void standardRelease(void* block) { std::free(block); }

Allocator current = standardAllocator();

} // namespace

Allocator standardAllocator()
{
    return Allocator {standardAllocate, standardResize, standardAllocateZeroed, standardRelease};
}

Allocator installAllocator(Allocator replacement)
{
    Allocator previous = current;
    current = replacement;
    return previous;
}

void* allocate(size_t size) { return current.allocate(size); }
void* resize(void* block, size_t size) { return current.resize(block, size); }
void* allocateZeroed(size_t count, size_t size) { return current.allocateZeroed(count, size); }
void release(void* block) { current.release(block); }

} // namespace allocation
