#include "shaderstore/internal/formatter.h"

#include <cstdio>

namespace bytestring {

namespace {
BoundedFormatter current = platformFormatter;
}

int platformFormatter(char* buffer, size_t size, const char* fmt, va_list arguments)
{
#if defined(_WIN32)
    return _vsnprintf(buffer, size, fmt, arguments);
#else
    return vsnprintf(buffer, size, fmt, arguments);
#endif
}

BoundedFormatter installFormatter(BoundedFormatter replacement)
{
    BoundedFormatter previous = current;
    current = replacement;
    return previous;
}

BoundedFormatter currentFormatter() { return current; }

} // namespace bytestring
