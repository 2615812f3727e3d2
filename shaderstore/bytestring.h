#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// A counted, growable byte string that is always NUL-terminated.
//
// Invariants of a valid string:
//   0 <= length < capacity
//   data != nullptr, and data[length] == 0 (the terminator, not counted)
//   the bytes in use may themselves hold 0
//   capacity is what was allocated at data; constructors give snapCapacity(length + 1)
// The record and its buffer are separate allocations, both owned by whoever made
// the string; destroy() releases both.
struct ByteString {
    int32_t capacity;
    int32_t length;
    char* data;
};

// Pieces of a split. Invariants: 0 <= count <= capacity, entries holds capacity
// slots; the list owns the array and every string in it. An entry may be null:
// a piece whose allocation failed.
struct ByteStringList {
    int32_t count;
    int32_t capacity;
    ByteString** entries;
};

namespace bytestring {

// (context, start of the piece, length of the piece); a negative result stops the split.
using SplitCallback = int (*)(void* context, int32_t position, int32_t length);
// The shape of fread: fills destination with up to elementCount elements.
using ReadFunction = size_t (*)(void* destination, size_t elementSize, size_t elementCount, void* context);

// 8 below 8, else the smallest power of two above n; n itself when that power
// would not fit a positive 32-bit integer.
int32_t snapCapacity(int32_t n);

ByteString* fromCString(const char* s);
ByteString* fromCStringMin(int32_t minimumCapacity, const char* s);
ByteString* fromBytes(const void* bytes, int32_t count);
ByteString* copy(const ByteString* b);
ByteString* substring(const ByteString* b, int32_t position, int32_t count);
ByteString* format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Writing operations: 0 on success, -1 with the destination unchanged.
int ensureCapacity(ByteString* b, int32_t n);
int concatenate(ByteString* destination, const ByteString* source);
int appendChar(ByteString* destination, char c);
int insert(ByteString* destination, int32_t position, const ByteString* source, char fill);
int insertFill(ByteString* destination, int32_t position, int32_t count, char fill);
int readStream(ByteString* destination, ReadFunction read, void* context);

int equals(const ByteString* a, const ByteString* b);
int32_t find(const ByteString* haystack, const ByteString* needle);
int splitWithCallback(const ByteString* b, char separator, int32_t start, SplitCallback callback, void* context);
ByteStringList* split(const ByteString* b, char separator);

int destroy(ByteString* b);
int destroyList(ByteStringList* list);

} // namespace bytestring
