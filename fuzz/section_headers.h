#pragma once

#include <string>

// Header lines of the effect-file format as the fuzz targets read them on
// their own, to hold the store's reading against: a line that starts with
// "--" is a header, and the first run of name bytes after the dashes names
// the section it opens; a header without one closes the section before it.

inline bool isHeaderLine(const std::string& line) { return line.size() >= 2 && line[0] == '-' && line[1] == '-'; }

inline bool isNameByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
}

// The section a header line opens; empty for a closing line.
inline std::string sectionName(const std::string& headerLine)
{
    size_t start = 2;
    while (start < headerLine.size() && !isNameByte(static_cast<unsigned char>(headerLine[start])))
        ++start;
    size_t end = start;
    while (end < headerLine.size() && isNameByte(static_cast<unsigned char>(headerLine[end])))
        ++end;
    return headerLine.substr(start, end - start);
}
