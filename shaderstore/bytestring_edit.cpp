#include "shaderstore/bytestring.h"

#include "shaderstore/internal/bytestring_checks.h"

#include <cstring>

namespace bytestring {

namespace {

constexpr int64_t largestInt32 = INT32_MAX;

// Sums that must leave room for one more byte (the terminator) in a 32-bit size.
bool fitsWithTerminator(int64_t total) { return total < largestInt32; }

} // namespace

int concatenate(ByteString* destination, const ByteString* source)
{
    if (!isWritable(destination) || !isReadable(source))
        return -1;
    int64_t total = int64_t {destination->length} + source->length;
    if (!fitsWithTerminator(total))
        return -1;

    ByteString* temporary = nullptr;
    const ByteString* appended = source;
    if (destination->capacity <= total + 1) {
        // Growing would move or free the bytes of a source that lives in the destination.
        if (startsInsideBuffer(destination, source)) {
            temporary = copy(source);
            if (temporary == nullptr)
                return -1;
            appended = temporary;
        }
        if (ensureCapacity(destination, static_cast<int32_t>(total + 1)) != 0) {
            destroy(temporary);
            return -1;
        }
    }
    std::memmove(destination->data + destination->length, appended->data, static_cast<size_t>(appended->length));
    destination->length = static_cast<int32_t>(total);
    destination->data[total] = 0;
    destroy(temporary);
    return 0;
}

int appendChar(ByteString* destination, char c)
{
    if (!isWritable(destination) || !fitsWithTerminator(int64_t {destination->length} + 1))
        return -1;
    // Most appends fit: skip the call whose answer would be "no change".
    if (destination->length + 2 >= destination->capacity && ensureCapacity(destination, destination->length + 2) != 0)
        return -1;
    destination->data[destination->length] = c;
    destination->length += 1;
    destination->data[destination->length] = 0;
    return 0;
}

int insert(ByteString* destination, int32_t position, const ByteString* source, char fill)
{
    if (position < 0 || !isWritable(destination) || !isReadable(source))
        return -1;
    int64_t oldLength = destination->length;
    int64_t total = oldLength + source->length;
    int64_t end = int64_t {position} + source->length;
    if (!fitsWithTerminator(total) || !fitsWithTerminator(end))
        return -1;

    ByteString* temporary = nullptr;
    const ByteString* inserted = source;
    // Shifting the tail would overwrite a source that lives in the destination.
    if (startsInsideBuffer(destination, source)) {
        temporary = copy(source);
        if (temporary == nullptr)
            return -1;
        inserted = temporary;
    }
    int64_t newLength = end > total ? end : total;
    if (ensureCapacity(destination, static_cast<int32_t>(newLength + 1)) != 0) {
        destroy(temporary);
        return -1;
    }
    if (end > total) {
        std::memset(destination->data + oldLength, fill, static_cast<size_t>(position - oldLength));
    } else {
        std::memmove(destination->data + position + inserted->length, destination->data + position,
                     static_cast<size_t>(oldLength - position));
    }
    std::memcpy(destination->data + position, inserted->data, static_cast<size_t>(inserted->length));
    destination->length = static_cast<int32_t>(newLength);
    destination->data[newLength] = 0;
    destroy(temporary);
    return 0;
}

int insertFill(ByteString* destination, int32_t position, int32_t count, char fill)
{
    if (position < 0 || count < 0 || !isWritable(destination))
        return -1;
    int64_t oldLength = destination->length;
    int64_t total = oldLength + count;
    int64_t end = int64_t {position} + count;
    if (!fitsWithTerminator(total) || !fitsWithTerminator(end))
        return -1;

    int64_t newLength = end > total ? end : total;
    if (ensureCapacity(destination, static_cast<int32_t>(newLength + 1)) != 0)
        return -1;
    if (end > total) {
        std::memset(destination->data + oldLength, fill, static_cast<size_t>(end - oldLength));
    } else {
        std::memmove(destination->data + position + count, destination->data + position,
                     static_cast<size_t>(oldLength - position));
        std::memset(destination->data + position, fill, static_cast<size_t>(count));
    }
    destination->length = static_cast<int32_t>(newLength);
    destination->data[newLength] = 0;
    return 0;
}

} // namespace bytestring
