#include "shaderstore/internal/effect_slicing.h"

#include "shaderstore/shaderstore.h"

#include <cstring>

namespace shaderstore {

namespace {

using namespace bytestring;

bool isHeaderLine(const ByteString* line) { return line->length >= 2 && line->data[0] == '-' && line->data[1] == '-'; }

// The section name of a header line: the first run of name characters after the
// "--". Sets *closing when there is none. Null with *closing false when memory ran out.
ByteString* sectionNameOf(const ByteString* line, bool* closing)
{
    int32_t start = 2;
    while (start < line->length && !isNameChar(static_cast<unsigned char>(line->data[start])))
        ++start;
    int32_t end = start;
    while (end < line->length && isNameChar(static_cast<unsigned char>(line->data[end])))
        ++end;
    *closing = end == start;
    return *closing ? nullptr : substring(line, start, end - start);
}

// Whether a directive with this token reaches a section of effectName whose name has these parts.
bool directiveApplies(const ByteString* token, const ByteString* effectName, const ByteStringList* nameParts)
{
    if (token == nullptr || token->length == 0 || (token->length == 1 && token->data[0] == '*'))
        return true;
    if (equals(token, effectName) == 1)
        return true;
    for (int32_t i = 0; i < nameParts->count; ++i) {
        if (equals(token, nameParts->entries[i]) == 1)
            return true;
    }
    return false;
}

bool hasEveryEntry(const ByteStringList* list)
{
    for (int32_t i = 0; i < list->count; ++i) {
        if (list->entries[i] == nullptr)
            return false;
    }
    return true;
}

// Whether the GLSL of these directive lines numbers the line after "#line N"
// as N, as GLSL 3.30 and later and GLSL ES do; GLSL before 3.30 numbers it
// N + 1, and so does a text without "#version", which is GLSL 1.10.
bool numbersNextLineAsGiven(const ByteString* directiveLines)
{
    static const char Version[] = "#version";
    const int32_t versionLength = int32_t(sizeof Version - 1);
    const char* text = directiveLines->data;
    const int32_t length = directiveLines->length;
    int32_t start = 0;
    while (start + versionLength <= length && std::memcmp(text + start, Version, size_t(versionLength)) != 0) {
        const void* lineFeed = std::memchr(text + start, '\n', size_t(length - start));
        start = lineFeed != nullptr ? int32_t(static_cast<const char*>(lineFeed) - text) + 1 : length;
    }
    if (start + versionLength > length)
        return false;
    int32_t at = start + versionLength;
    while (at < length && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    int version = 0;
    for (; at < length && text[at] >= '0' && text[at] <= '9' && version < 10000; ++at)
        version = version * 10 + (text[at] - '0');
    while (at < length && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    const bool es = at + 1 < length && text[at] == 'e' && text[at + 1] == 's';
    return es || version == 100 || version >= 330;
}

// Opens the section sectionName at header line lineNumber (counted from 0) in
// front of *sections. Returns its text, to which body lines are appended, or
// null when memory ran out.
ByteString* openSection(const ByteString* effectName, const ByteString* sectionName, int32_t lineNumber,
                        const ChainNode* directives, ChainNode** sections)
{
    ByteString* key = copy(sectionName);
    ByteString* text = fromCString("");
    ByteStringList* nameParts = split(sectionName, '.');
    bool built = key != nullptr && text != nullptr && nameParts != nullptr && hasEveryEntry(nameParts) &&
        insertFill(key, 0, 1, '.') == 0 && insert(key, 0, effectName, ' ') == 0;
    // Newest directive first, each in front: the oldest ends up first.
    for (const ChainNode* directive = directives; built && directive != nullptr; directive = directive->next) {
        if (directiveApplies(directive->first, effectName, nameParts)) {
            built = insert(text, 0, directive->second, ' ') == 0;
        }
    }
    destroyList(nameParts);
    // The compiler then names every body line by its own line in the file,
    // counted from 1 as editors count: the header's is lineNumber + 1.
    const int32_t headerLine = lineNumber + 1;
    ByteString* marker =
        built ? format("#line %d\n", int(numbersNextLineAsGiven(text) ? headerLine + 1 : headerLine)) : nullptr;
    built = marker != nullptr && concatenate(text, marker) == 0;
    destroy(marker);
    if (built && pushFront(sections, key, text) == 0) {
        (*sections)->line = headerLine;
        return text;
    }
    destroy(key);
    destroy(text);
    return nullptr;
}

} // namespace

bool isNameChar(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
}

int sliceLines(const ByteString* effectName, const ByteStringList* lines, const ChainNode* directives,
               ChainNode** sections)
{
    if (!hasEveryEntry(lines))
        return -1;
    // Built apart and joined only when complete, so a failure leaves the store as it was.
    ChainNode* sliced = nullptr;
    ByteString* current = nullptr;
    bool failed = false;
    for (int32_t lineNumber = 0; lineNumber < lines->count && !failed; ++lineNumber) {
        const ByteString* line = lines->entries[lineNumber];
        if (isHeaderLine(line)) {
            bool closing = false;
            ByteString* name = sectionNameOf(line, &closing);
            if (closing) {
                current = nullptr;
            } else {
                current = name != nullptr ? openSection(effectName, name, lineNumber, directives, &sliced) : nullptr;
                failed = current == nullptr;
            }
            destroy(name);
        } else if (current != nullptr) {
            failed = concatenate(current, line) != 0 || appendChar(current, '\n') != 0;
        }
    }
    if (failed) {
        releaseChain(sliced);
        return -1;
    }
    if (sliced != nullptr) {
        ChainNode* oldest = sliced;
        while (oldest->next != nullptr)
            oldest = oldest->next;
        oldest->next = *sections;
        *sections = sliced;
    }
    return 0;
}

int sliceEffect(const ByteString* effectName, ByteString* text, const ChainNode* directives, ChainNode** sections)
{
    ByteStringList* lines = split(text, '\n');
    destroy(text);
    if (lines == nullptr)
        return -1;
    int result = sliceLines(effectName, lines, directives, sections);
    destroyList(lines);
    return result;
}

} // namespace shaderstore
