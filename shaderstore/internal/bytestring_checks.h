#pragma once

#include "shaderstore/bytestring.h"

#include <cstdint>

// Operand checks shared by the byte-string operations.
namespace bytestring {

// Safe to read: a record with a buffer and a length that is not negative.
inline bool isReadable(const ByteString* b) { return b != nullptr && b->data != nullptr && b->length >= 0; }

// Safe to write: readable, with a positive capacity that covers the length.
inline bool isWritable(const ByteString* b) { return isReadable(b) && b->capacity > 0 && b->capacity >= b->length; }

// Whether the bytes of source start inside the buffer of destination, so that
// growing or shifting destination would move them.
inline bool startsInsideBuffer(const ByteString* destination, const ByteString* source)
{
    uintptr_t start = reinterpret_cast<uintptr_t>(destination->data);
    uintptr_t candidate = reinterpret_cast<uintptr_t>(source->data);
    return candidate >= start && candidate - start < static_cast<uintptr_t>(destination->capacity);
}

} // namespace bytestring
