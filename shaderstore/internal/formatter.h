#pragma once

#include <cstdarg>
#include <cstddef>

// The bounded printf-style formatter behind bytestring::format. Writes at most
// size bytes. Platforms disagree on truncation: the Windows one returns a
// negative count and may leave the buffer unterminated, the C99 one returns
// the count it would have needed. format copes with both.
namespace bytestring {

using BoundedFormatter = int (*)(char* buffer, size_t size, const char* fmt, va_list arguments);

// The platform's own formatter.
int platformFormatter(char* buffer, size_t size, const char* fmt, va_list arguments);
// Installs replacement and returns the formatter it replaces.
BoundedFormatter installFormatter(BoundedFormatter replacement);
BoundedFormatter currentFormatter();

} // namespace bytestring
