#include "demo/info_log.h"

#include <climits>
#include <cstring>

namespace {

// A cursor over one line of the log.
struct Cursor {
    const char* at;
    const char* end;
};

bool skip(Cursor* cursor, const char* text)
{
    const size_t length = std::strlen(text);
    if (size_t(cursor->end - cursor->at) < length || std::memcmp(cursor->at, text, length) != 0)
        return false;
    cursor->at += length;
    return true;
}

// A decimal number of at least one digit that fits an int.
bool number(Cursor* cursor, int* value)
{
    const char* start = cursor->at;
    int result = 0;
    for (; cursor->at < cursor->end && *cursor->at >= '0' && *cursor->at <= '9'; ++cursor->at) {
        const int digit = *cursor->at - '0';
        if (result > (INT_MAX - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    *value = result;
    return cursor->at > start;
}

// "S:L(C): " (Mesa) or "S(L) : " (NVIDIA), S the source string, C the column.
bool driverLocation(Cursor* cursor, int* line)
{
    int ignored = 0;
    if (!number(cursor, &ignored))
        return false;
    if (skip(cursor, ":"))
        return number(cursor, line) && skip(cursor, "(") && number(cursor, &ignored) && skip(cursor, "): ");
    return skip(cursor, "(") && number(cursor, line) && skip(cursor, ") : ");
}

// "S:L: ", where ANGLE writes "?" for a line it cannot name.
bool angleLocation(Cursor* cursor, int* line)
{
    int ignored = 0;
    if (!number(cursor, &ignored) || !skip(cursor, ":"))
        return false;
    if (skip(cursor, "?")) {
        *line = 0;
        return skip(cursor, ": ");
    }
    return number(cursor, line) && skip(cursor, ": ");
}

bool isBlank(const char* begin, const char* end)
{
    for (; begin < end; ++begin) {
        if (*begin != ' ' && *begin != '\t' && *begin != '\r')
            return false;
    }
    return true;
}

} // namespace

int readInfoLogProblem(const char* log, int length, InfoLogProblem* problem)
{
    const char* const end = log + (length > 0 ? length : 0);
    const char* start = log;
    while (start < end) {
        const char* lineFeed = static_cast<const char*>(std::memchr(start, '\n', size_t(end - start)));
        const char* next = lineFeed != nullptr ? lineFeed + 1 : end;
        const char* lineEnd = lineFeed != nullptr ? lineFeed : end;
        if (lineEnd > start && lineEnd[-1] == '\r')
            --lineEnd;
        if (isBlank(start, lineEnd)) {
            start = next;
            continue;
        }

        // A prefix that does not parse to its end leaves the line whole.
        InfoLogProblem found = {0, "", start, int(lineEnd - start)};
        Cursor cursor = {start, lineEnd};
        int line = 0;
        if (skip(&cursor, "ERROR: ") || skip(&cursor, "WARNING: ")) {
            found.kind = *start == 'E' ? "error: " : "warning: ";
            found.message = cursor.at;
            if (angleLocation(&cursor, &line)) {
                found.line = line;
                found.message = cursor.at;
            }
        } else if (driverLocation(&cursor, &line)) {
            found.line = line;
            found.message = cursor.at;
        }
        found.messageLength = int(lineEnd - found.message);
        *problem = found;
        return int(next - log);
    }
    return 0;
}
