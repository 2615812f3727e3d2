#pragma once

#include "shaderstore/bytestring.h"

#include <cstdio>

// Opening and reading one candidate effect file.
namespace shaderstore {

// The file at path opened for untranslated reading, or null when it does not
// open or is not a regular file: a directory opens on some systems but reads
// as nothing, and must not stop the search for the next candidate.
FILE* openEffectFile(const char* path);

// The whole content of file, which it closes. Null when memory ran out or the
// stream reported an error part-way: the bytes read before the error are not
// the file, and must not be sliced as if they were.
ByteString* readEffectFile(FILE* file);

} // namespace shaderstore
