#include "shaderstore/bytestring.h"

#include "shaderstore/allocator.h"
#include "shaderstore/internal/bytestring_checks.h"

#include <cstring>

namespace bytestring {

int equals(const ByteString* a, const ByteString* b)
{
    if (!isReadable(a) || !isReadable(b))
        return -1;
    if (a->length != b->length)
        return 0;
    if (a->data == b->data || a->length == 0)
        return 1;
    return std::memcmp(a->data, b->data, static_cast<size_t>(a->length)) == 0 ? 1 : 0;
}

int32_t find(const ByteString* haystack, const ByteString* needle)
{
    if (!isReadable(haystack) || !isReadable(needle))
        return -1;
    if (needle->length == 0)
        return 0;
    if (needle->length > haystack->length)
        return -1;

    const char* start = haystack->data;
    // Only positions where the whole needle still fits can hold a match.
    const char* lastStart = start + (haystack->length - needle->length);
    const char first = needle->data[0];
    const size_t rest = static_cast<size_t>(needle->length - 1);
    for (const char* p = start; p <= lastStart; ++p) {
        p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(lastStart - p) + 1));
        if (p == nullptr)
            return -1;
        if (std::memcmp(p + 1, needle->data + 1, rest) == 0)
            return static_cast<int32_t>(p - start);
    }
    return -1;
}

int splitWithCallback(const ByteString* b, char separator, int32_t start, SplitCallback callback, void* context)
{
    if (callback == nullptr || !isReadable(b) || start < 0 || start > b->length)
        return -1;
    int32_t position = start;
    do {
        const void* found = std::memchr(b->data + position, separator, static_cast<size_t>(b->length - position));
        int32_t end = found != nullptr ? static_cast<int32_t>(static_cast<const char*>(found) - b->data) : b->length;
        int result = callback(context, position, end - position);
        if (result < 0)
            return result;
        position = end + 1;
    } while (position <= b->length);
    return 0;
}

namespace {

// A list's entries are pointers to strings, so a pointer's size is meant.
constexpr size_t EntrySize = sizeof(ByteString*); // NOLINT(bugprone-sizeof-expression)

struct Collector {
    const ByteString* source;
    ByteStringList* list;
};

int collectPiece(void* context, int32_t position, int32_t length)
{
    Collector* collector = static_cast<Collector*>(context);
    ByteStringList* list = collector->list;
    if (list->count >= list->capacity) {
        int64_t capacity = list->capacity;
        while (capacity <= list->count)
            capacity *= 2;
        if (capacity > INT32_MAX || static_cast<uint64_t>(capacity) > SIZE_MAX / EntrySize)
            return -1;
        void* entries = allocation::resize(list->entries, static_cast<size_t>(capacity) * EntrySize);
        if (entries == nullptr)
            return -1;
        list->entries = static_cast<ByteString**>(entries);
        list->capacity = static_cast<int32_t>(capacity);
    }
    // A piece that cannot be allocated stays in the list as a null entry.
    list->entries[list->count] = substring(collector->source, position, length);
    list->count += 1;
    return 0;
}

} // namespace

ByteStringList* split(const ByteString* b, char separator)
{
    if (!isReadable(b))
        return nullptr;
    ByteStringList* list = static_cast<ByteStringList*>(allocation::allocate(sizeof(ByteStringList)));
    if (list == nullptr)
        return nullptr;
    const int32_t initialCapacity = 4;
    list->entries = static_cast<ByteString**>(allocation::allocate(initialCapacity * EntrySize));
    if (list->entries == nullptr) {
        allocation::release(list);
        return nullptr;
    }
    list->count = 0;
    list->capacity = initialCapacity;
    Collector collector {b, list};
    if (splitWithCallback(b, separator, 0, collectPiece, &collector) != 0) {
        destroyList(list);
        return nullptr;
    }
    return list;
}

} // namespace bytestring
