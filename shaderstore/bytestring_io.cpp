#include "shaderstore/bytestring.h"

#include "shaderstore/internal/bytestring_checks.h"
#include "shaderstore/internal/formatter.h"

#include <cstring>

namespace bytestring {

namespace {

constexpr int32_t largestReadSize = 1024;
constexpr int32_t firstReadSize = 16;

} // namespace

int readStream(ByteString* destination, ReadFunction read, void* context)
{
    if (read == nullptr || !isWritable(destination))
        return -1;
    const int32_t originalLength = destination->length;
    // Memory ran out part-way: give the caller back the string it passed in.
    // A record may arrive with its length at its capacity, and so with no room
    // for a terminator until it has grown.
    auto fail = [&]() {
        destination->length = originalLength;
        if (originalLength < destination->capacity)
            destination->data[originalLength] = 0;
        return -1;
    };

    int64_t wanted = int64_t {destination->length} + firstReadSize;
    for (;;) {
        if (wanted >= INT32_MAX || ensureCapacity(destination, static_cast<int32_t>(wanted + 1)) != 0)
            return fail();
        size_t asked = static_cast<size_t>(wanted - destination->length);
        size_t delivered = read(destination->data + destination->length, 1, asked, context);
        // A reader claiming more than it was asked for cannot have stayed inside the buffer's promise.
        if (delivered > asked)
            delivered = asked;
        destination->length += static_cast<int32_t>(delivered);
        if (destination->length < wanted) {
            destination->data[destination->length] = 0;
            return 0;
        }
        wanted += wanted < largestReadSize ? wanted : largestReadSize;
    }
}

ByteString* format(const char* fmt, ...)
{
    if (fmt == nullptr)
        return nullptr;
    size_t fmtLength = std::strlen(fmt);
    if (fmtLength > INT32_MAX / 4)
        return nullptr;
    int32_t budget = static_cast<int32_t>(fmtLength) * 2;
    if (budget < 16)
        budget = 16;

    ByteString* result = fromCStringMin(budget + 2, "");
    if (result == nullptr) {
        budget = 1;
        result = fromCStringMin(3, "");
        if (result == nullptr)
            return nullptr;
    }
    for (;;) {
        va_list arguments;
        va_start(arguments, fmt);
        int produced = currentFormatter()(result->data, static_cast<size_t>(budget) + 1, fmt, arguments);
        va_end(arguments);
        // The Windows formatter may leave a truncated buffer unterminated.
        result->data[budget] = 0;
        result->length = static_cast<int32_t>(std::strlen(result->data));
        // Exactly budget characters cannot be told apart from a truncated result.
        if (result->length < budget)
            return result;

        int64_t next = produced > budget ? produced : int64_t {budget} * 2;
        if (next + 2 > INT32_MAX || ensureCapacity(result, static_cast<int32_t>(next + 2)) != 0) {
            destroy(result);
            return nullptr;
        }
        budget = static_cast<int32_t>(next);
    }
}

} // namespace bytestring
