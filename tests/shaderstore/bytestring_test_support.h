#pragma once

#include <cstring>
#include <memory>
#include <string>

#include "shaderstore/bytestring.h"

struct ByteStringDestroyer {
    void operator()(ByteString* b) const { bytestring::destroy(b); }
};
using OwnedString = std::unique_ptr<ByteString, ByteStringDestroyer>;

inline OwnedString owned(ByteString* b) { return OwnedString(b); }
inline OwnedString ownedFrom(const std::string& bytes)
{
    return OwnedString(bytestring::fromBytes(bytes.data(), static_cast<int32_t>(bytes.size())));
}
// A string holding bytes in a buffer of exactly capacity bytes (more than bytes.size()).
inline ByteString* filledTo(const std::string& bytes, int32_t capacity)
{
    ByteString* b = bytestring::fromCStringMin(capacity, "");
    std::memcpy(b->data, bytes.data(), bytes.size());
    b->length = static_cast<int32_t>(bytes.size());
    b->data[b->length] = 0;
    return b;
}
inline std::string contents(const ByteString* b) { return std::string(b->data, static_cast<size_t>(b->length)); }
// Whether the record keeps its promises: room for the terminator, and the terminator in place.
inline bool keepsInvariants(const ByteString* b)
{
    return b->data != nullptr && b->length >= 0 && b->length < b->capacity && b->data[b->length] == 0;
}
