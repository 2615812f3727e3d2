#pragma once

#include "shaderstore/bytestring.h"

// The one process-wide effect-file store. It never prints and never stops the
// process: failures come back as 0 or null, with the reason in lastError().
namespace shaderstore {

// 1 when it made the store, 0 when one already existed.
int create();
// The path added last is searched first; the default (empty, empty) entry is always last.
int addPath(const char* prefix, const char* suffix);
// The text, with a line feed appended, goes in front of sections sliced from now on.
int addDirective(const char* token, const char* text);
// The NUL-terminated source of the section whose key is the longest prefix of
// key; owned by the store and valid until the process ends. Null on failure.
const char* getShader(const char* key);
// The line of the effect file, counted from 1, that holds the header of the
// section getShader answers key with, from the sections already read; 0 when
// none answers. Nothing is read or recorded. The "#line" in front of each
// section makes the compiler name each body line by its line in the file.
int headerLine(const char* key);
// The file the effect was read from (its search path's prefix, the name and
// the suffix); null when there is no store or the effect is not loaded. Owned
// by the store and valid until the process ends, whatever is forgotten later.
const char* effectPath(const char* effectName);
// Forgets a loaded effect, so that the next request naming it reads and slices
// its file again, with the search paths and directives in force then. Texts
// handed out before stay valid and unchanged. 1 when the effect was loaded; 0
// when there is no store or it was not.
int forgetEffect(const char* effectName);
// The text of the most recent failure; null until one happened, and when memory
// ran out while making that text.
const ByteString* lastError();

// A byte that may stand in a section name: A-Z, a-z, 0-9, "_" and ".".
bool isNameChar(unsigned char c);

// Releases the store and everything it owns, handed-out texts included, and
// leaves it absent. The demo keeps its store to the end; this lets a check for
// leaks account for every block the store holds.
void release();

} // namespace shaderstore
