#pragma once

#include "shaderstore/bytestring.h"
#include "shaderstore/internal/store_chain.h"

// Cutting the text of one effect file into keyed sections.
namespace shaderstore {

// Slices text (which it releases) into sections of the effect effectName, each
// headed by the applying texts of directives and a "#line" line. On success
// puts every new section in front of *sections, newest first, and returns 0.
// When memory runs out it returns -1 and adds nothing: a section is never handed
// out with part of its text missing.
int sliceEffect(const ByteString* effectName, ByteString* text, const ChainNode* directives, ChainNode** sections);
// The same on text already cut into lines. A null line (one whose allocation
// failed) fails the whole slicing.
int sliceLines(const ByteString* effectName, const ByteStringList* lines, const ChainNode* directives,
               ChainNode** sections);

} // namespace shaderstore
