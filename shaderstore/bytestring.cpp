#include "shaderstore/bytestring.h"

#include "shaderstore/allocator.h"
#include "shaderstore/internal/bytestring_checks.h"

#include <cstring>

namespace bytestring {

namespace {

constexpr int32_t largestInt32 = INT32_MAX;

// A new string holding length bytes copied from bytes, in a buffer of capacity
// bytes, or of fallbackCapacity bytes when that larger buffer cannot be had.
ByteString* makeString(const void* bytes, int32_t length, int32_t capacity, int32_t fallbackCapacity)
{
    ByteString* b = static_cast<ByteString*>(allocation::allocate(sizeof(ByteString)));
    if (b == nullptr)
        return nullptr;
    b->data = static_cast<char*>(allocation::allocate(static_cast<size_t>(capacity)));
    if (b->data == nullptr && fallbackCapacity < capacity) {
        capacity = fallbackCapacity;
        b->data = static_cast<char*>(allocation::allocate(static_cast<size_t>(capacity)));
    }
    if (b->data == nullptr) {
        allocation::release(b);
        return nullptr;
    }
    if (length > 0)
        std::memcpy(b->data, bytes, static_cast<size_t>(length));
    b->data[length] = 0;
    b->length = length;
    b->capacity = capacity;
    return b;
}

// The capacity a new string of length bytes gets; 0 when length + 1 overflows.
int32_t constructorCapacity(int32_t length)
{
    if (length >= largestInt32)
        return 0;
    int32_t capacity = snapCapacity(length + 1);
    return capacity > length ? capacity : 0;
}

} // namespace

int32_t snapCapacity(int32_t n)
{
    if (n < 8)
        return 8;
    if (n >= (int32_t {1} << 30))
        return n;
    int32_t capacity = 16;
    while (capacity <= n)
        capacity <<= 1;
    return capacity;
}

ByteString* fromCStringMin(int32_t minimumCapacity, const char* s)
{
    if (s == nullptr)
        return nullptr;
    size_t length = std::strlen(s);
    if (length >= static_cast<size_t>(largestInt32))
        return nullptr;
    int32_t capacity = constructorCapacity(static_cast<int32_t>(length));
    if (capacity == 0)
        return nullptr;
    if (capacity < minimumCapacity)
        capacity = minimumCapacity;
    return makeString(s, static_cast<int32_t>(length), capacity, capacity);
}

ByteString* fromCString(const char* s) { return fromCStringMin(0, s); }

ByteString* fromBytes(const void* bytes, int32_t count)
{
    if (bytes == nullptr || count < 0)
        return nullptr;
    int32_t capacity = constructorCapacity(count);
    if (capacity == 0)
        return nullptr;
    return makeString(bytes, count, capacity, capacity);
}

ByteString* copy(const ByteString* b)
{
    if (!isReadable(b))
        return nullptr;
    int32_t capacity = constructorCapacity(b->length);
    if (capacity == 0)
        return nullptr;
    // Memory may still hold the exact size when the rounded-up one failed.
    return makeString(b->data, b->length, capacity, b->length + 1);
}

ByteString* substring(const ByteString* b, int32_t position, int32_t count)
{
    if (!isReadable(b))
        return nullptr;
    int64_t start = position;
    int64_t n = count;
    if (start < 0) {
        n += start;
        start = 0;
    }
    if (n > b->length - start)
        n = b->length - start;
    if (n <= 0)
        return fromCString("");
    return fromBytes(b->data + start, static_cast<int32_t>(n));
}

int ensureCapacity(ByteString* b, int32_t n)
{
    if (!isWritable(b) || n <= 0)
        return -1;
    if (n < b->capacity)
        return 0;
    int32_t grown = snapCapacity(n);
    if (grown <= b->capacity)
        return 0;

    char* buffer = nullptr;
    // A buffer with slack left: copying only the bytes in use beats realloc copying all of it.
    if (int64_t {7} * b->capacity >= int64_t {8} * b->length) {
        buffer = static_cast<char*>(allocation::allocate(static_cast<size_t>(grown)));
        if (buffer != nullptr) {
            if (b->length > 0)
                std::memcpy(buffer, b->data, static_cast<size_t>(b->length));
            allocation::release(b->data);
        }
    }
    if (buffer == nullptr) {
        buffer = static_cast<char*>(allocation::resize(b->data, static_cast<size_t>(grown)));
        // The exact size must still leave room for the terminator.
        if (buffer == nullptr && n > b->length) {
            buffer = static_cast<char*>(allocation::resize(b->data, static_cast<size_t>(n)));
            grown = n;
        }
        if (buffer == nullptr)
            return -1;
    }
    b->data = buffer;
    b->capacity = grown;
    b->data[b->length] = 0;
    return 0;
}

int destroy(ByteString* b)
{
    if (!isWritable(b))
        return -1;
    allocation::release(b->data);
    b->data = nullptr;
    b->length = -1;
    b->capacity = -1;
    allocation::release(b);
    return 0;
}

int destroyList(ByteStringList* list)
{
    if (list == nullptr || list->count < 0)
        return -1;
    for (int32_t i = 0; i < list->count; ++i) {
        if (list->entries[i] != nullptr) {
            destroy(list->entries[i]);
            list->entries[i] = nullptr;
        }
    }
    list->count = -1;
    list->capacity = -1;
    allocation::release(list->entries);
    allocation::release(list);
    return 0;
}

} // namespace bytestring
